#version 410 core

uniform sampler2D image;

in vec2 vertexTexcoord;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(image, vertexTexcoord).rgb, 1.0);
}
