#version 410 core

// A full-screen image blended by its own alpha. "vertical" scrolls it: the image rises from
// below the screen, 1.0 shows it exactly in place and larger values carry it on upwards, at
// one screen height per unit. Where the shifted image does not cover the screen nothing is
// drawn, although the texture itself repeats.

uniform sampler2D image;
uniform float vertical;

in vec2 texcoord;

out vec4 fragColor;

void main() {
    vec2 t = vec2(texcoord.x, texcoord.y + vertical - 1.0);
    if (any(lessThan(t, vec2(0.0))) || any(greaterThan(t, vec2(1.0)))) discard;
    // Keep linear filtering from reaching across the repeat into the opposite edge.
    vec2 halfTexel = 0.5 / vec2(textureSize(image, 0));
    fragColor = texture(image, clamp(t, halfTexel, 1.0 - halfTexel));
}
