#version 410 core

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 texcoord;

uniform mat4 pmatrix;

out vec2 vertexTexcoord;

void main() {
    vertexTexcoord = texcoord;
    gl_Position = pmatrix * vec4(position, 1.0);
}
