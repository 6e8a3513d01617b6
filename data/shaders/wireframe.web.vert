#version 410 core

// wireframe.geom's work for a stage-less pipeline (WebGL 2): every triangle arrives as six
// vertices, two triangles, each carrying all three corners. Each vertex clips the triangle
// against the near plane as wireframe.geom does, which gives a triangle or a quad, and becomes
// corner (0, 1, 2, 0, 2, 3)[k] of it, k being its place among the six; a triangle repeats its last
// corner, so the second triangle is empty. The edge distances are wireframe.geom's.

layout(location = 0) in vec3 cornerA;
layout(location = 1) in vec3 cornerB;
layout(location = 2) in vec3 cornerC;

uniform mat4 pmatrix;

out vec4 edgeDistW;
out float clipY;

const float NO_EDGE = 1.0e6;

float nearSide(vec4 p) {
    return p.z + p.w;
}

vec2 windowPos(vec4 p) {
    return p.xy / p.w;
}

vec4 cutNear(vec4 p, vec4 q) {
    float dp = nearSide(p);
    return mix(p, q, dp / (dp - nearSide(q)));
}

// The visible part of the edge p-q, as two window points (equal when nothing is visible).
void visibleEdge(vec4 p, vec4 q, out vec2 a, out vec2 b) {
    bool pIn = nearSide(p) >= 0.0;
    bool qIn = nearSide(q) >= 0.0;
    a = b = vec2(0.0);
    if (pIn && qIn) {
        a = windowPos(p);
        b = windowPos(q);
    } else if (pIn) {
        a = windowPos(p);
        b = windowPos(cutNear(p, q));
    } else if (qIn) {
        a = windowPos(q);
        b = windowPos(cutNear(q, p));
    }
}

float lineDist(vec2 x, vec2 a, vec2 b) {
    vec2 e = b - a;
    float len = length(e);
    if (len < 1.0e-12) return NO_EDGE;
    return abs(e.x * (x.y - a.y) - e.y * (x.x - a.x)) / len;
}

void main() {
    vec4 corner[3] = vec4[3](pmatrix * vec4(cornerA, 1.0), pmatrix * vec4(cornerB, 1.0), pmatrix * vec4(cornerC, 1.0));

    vec2 a[3];
    vec2 b[3];
    for (int i = 0; i < 3; ++i) visibleEdge(corner[(i + 1) % 3], corner[(i + 2) % 3], a[i], b[i]);

    vec4 poly[4];
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        vec4 p = corner[i];
        vec4 q = corner[(i + 1) % 3];
        bool pIn = nearSide(p) >= 0.0;
        if (pIn) poly[count++] = p;
        if (pIn != (nearSide(q) >= 0.0)) poly[count++] = cutNear(p, q);
    }
    // Wholly behind the eye: all six vertices at one point draw nothing.
    edgeDistW = vec4(0.0);
    clipY = 0.0;
    gl_Position = vec4(0.0);
    if (count < 3) return;

    int order[6] = int[6](0, 1, 2, 0, 2, 3);
    vec4 p = poly[min(order[gl_VertexID % 6], count - 1)];
    vec2 x = windowPos(p);
    vec3 edgeDist = vec3(lineDist(x, a[0], b[0]), lineDist(x, a[1], b[1]), lineDist(x, a[2], b[2]));
    edgeDistW = vec4(edgeDist * p.w, p.w);
    clipY = p.y;
    gl_Position = p;
}
