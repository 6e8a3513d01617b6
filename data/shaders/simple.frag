#version 410 core

uniform sampler2D image;

in vec2 texcoord;

out vec4 fragColor;

void main() {
    fragColor = vec4(texture(image, texcoord).rgb, 1.0);
}
