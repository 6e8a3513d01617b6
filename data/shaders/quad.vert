#version 410 core

// The full-screen quad, laid on the near plane (depth 0) so that it passes the depth test
// in front of anything already drawn.

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;

out vec2 vertexTexcoord;

void main() {
    vertexTexcoord = texcoord;
    gl_Position = vec4(position, -1.0, 1.0);
}
