#version 410 core

// Solid wire-frame in one pass: every fragment learns its distance to the three edges of
// its triangle, measured in the window plane.
//
// A corner behind the eye (w <= 0) has no window position, and dividing by its w would fling
// the triangle across the screen in streaks. So the triangle is first clipped against the
// near plane (z = -w, where w is still positive), exactly as the rasteriser would clip it,
// and only the visible triangle or quad is emitted. Each original edge keeps its true window
// line: an edge that crosses the plane is measured along its visible part, an edge wholly
// behind the eye gets no wire, and the cut made by the plane is not an edge of the mesh.
//
// Distances are in normalised device units; there is no viewport size here, so the fragment
// stage converts them into pixels from their screen-space derivatives. They must vary
// linearly across the window. A noperspective varying would say so directly, but some
// rasterisers interpolate those wrongly on triangles they clip at the window's edges; so
// each value goes out multiplied by w, with w beside it, and the fragment stage divides the
// perspective-correct interpolants back, which gives the window-linear value.

layout(triangles) in;
layout(triangle_strip, max_vertices = 4) out;

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
    vec4 corner[3] = vec4[3](gl_in[0].gl_Position, gl_in[1].gl_Position, gl_in[2].gl_Position);

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
    if (count < 3) return;

    // A convex quad 0-1-2-3 is the strip 0, 1, 3, 2.
    int order[4] = int[4](0, 1, 3, 2);
    if (count == 3) order[2] = 2;
    for (int i = 0; i < count; ++i) {
        vec4 p = poly[order[i]];
        vec2 x = windowPos(p);
        vec3 edgeDist = vec3(lineDist(x, a[0], b[0]), lineDist(x, a[1], b[1]), lineDist(x, a[2], b[2]));
        edgeDistW = vec4(edgeDist * p.w, p.w);
        clipY = p.y;
        gl_Position = p;
        EmitVertex();
    }
    EndPrimitive();
}
