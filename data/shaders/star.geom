#version 410 core

// Points pass through; the point size must be written by the last stage before rasterising.

layout(points) in;
layout(points, max_vertices = 1) out;

in vec3 vertexColor[];
in float vertexSize[];
out vec3 color;

void main() {
    color = vertexColor[0];
    gl_PointSize = vertexSize[0];
    gl_Position = gl_in[0].gl_Position;
    EmitVertex();
    EndPrimitive();
}
