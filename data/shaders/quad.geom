#version 410 core

layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

in vec2 vertexTexcoord[];
out vec2 texcoord;

void main() {
    for (int i = 0; i < 3; ++i) {
        texcoord = vertexTexcoord[i];
        gl_Position = gl_in[i].gl_Position;
        EmitVertex();
    }
    EndPrimitive();
}
