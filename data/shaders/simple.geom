#version 410 core

// A sky triangle whose corners straddle the wrap of the image (u near 1 on one corner and
// near 0 on another) would otherwise run back across the whole image. Corners more than
// half a turn from the first are moved by a whole turn; the image repeats, so they sample
// the same texels.

layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

in vec2 vertexTexcoord[];
out vec2 texcoord;

void main() {
    float u0 = vertexTexcoord[0].x;
    for (int i = 0; i < 3; ++i) {
        vec2 t = vertexTexcoord[i];
        t.x += round(u0 - t.x);
        texcoord = t;
        gl_Position = gl_in[i].gl_Position;
        EmitVertex();
    }
    EndPrimitive();
}
