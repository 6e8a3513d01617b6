#version 410 core

// Star particles. Without a clock the shader cannot know a particle's age, so its look comes
// from its lifetime (end of life minus birth, up to 12 s): short-lived sparks burn small and
// blue-white, long-lived stars larger and golden. The end-of-life time also seeds a steady
// per-particle brightness, so the stream is not uniform.

layout(location = 0) in vec3 position;
layout(location = 2) in float birth;
layout(location = 3) in float death;

uniform mat4 pmatrix;

out vec3 vertexColor;
out float vertexSize;

const float LONGEST_LIFE = 12.0;
const float SIZE_AT_UNIT_DISTANCE = 300.0;

float hash(float x) {
    return fract(sin(x * 12.9898) * 43758.5453);
}

void main() {
    float life = clamp((death - birth) / LONGEST_LIFE, 0.0, 1.0);
    vec3 hot = vec3(0.65, 0.8, 1.0);
    vec3 warm = vec3(1.0, 0.78, 0.45);
    float brightness = 0.6 + 0.4 * hash(death);
    vertexColor = mix(hot, warm, life) * brightness;

    gl_Position = pmatrix * vec4(position, 1.0);
    // Perspective: the point shrinks with its distance from the eye (w).
    float size = SIZE_AT_UNIT_DISTANCE * (0.5 + life) / max(gl_Position.w, 1.0e-3);
    vertexSize = clamp(size, 2.0, 40.0);
}
