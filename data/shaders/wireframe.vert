#version 410 core

layout(location = 0) in vec3 position;

uniform mat4 pmatrix;

void main() {
    gl_Position = pmatrix * vec4(position, 1.0);
}
