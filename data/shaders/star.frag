#version 410 core

// A round star with a bright core and a soft glow. The faint outer rim is discarded so that
// it does not write depth over stars drawn after it.

in vec3 color;
in vec2 pointCoord;

out vec4 fragColor;

void main() {
    float r = length(pointCoord * 2.0 - 1.0);
    float glow = exp(-4.0 * r * r);
    float core = 1.0 - smoothstep(0.0, 0.35, r);
    float alpha = clamp(glow + core, 0.0, 1.0);
    if (alpha < 0.05 || r > 1.0) discard;
    fragColor = vec4(color + vec3(core * 0.5), alpha);
}
