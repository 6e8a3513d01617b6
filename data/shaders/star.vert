#version 410 core

// Star particles. Without a clock the shader cannot know a particle's age, so its look comes
// from its lifetime (end of life minus birth, up to 12 s): short-lived sparks burn small and
// blue-white, long-lived stars larger and golden. The end-of-life time also seeds a steady
// per-particle brightness, so the stream is not uniform. The seed is hashed as an integer, from
// the float's bits. A hash of sin() took arguments of a few thousand radians late in the scene,
// where implementations of sin() differ in their last digits; scaled by the hash, that gave many
// stars another brightness in the browser than on the desktop.
//
// Each star is a square facing the camera, drawn as one instance of a four-corner triangle
// strip; the corner comes from gl_VertexID. Points would be simpler, but drivers disagree on a
// point whose centre lies outside the view (some drop it whole, others draw the part inside)
// and may cap its size; a square is clipped like any triangle, at any size. The square is laid
// out in clip space, so that it covers the same pixels as a point of that size would.

layout(location = 0) in vec3 position;
layout(location = 2) in float birth;
layout(location = 3) in float death;

uniform mat4 pmatrix;
uniform vec2 VIEWPORT; // the target's size in pixels

out vec3 color;
out vec2 pointCoord; // 0 to 1 across the square, in place of a point's gl_PointCoord

const float LONGEST_LIFE = 12.0;
const float SIZE_AT_UNIT_DISTANCE = 300.0;

// 0 to 1, the same on every driver: 32-bit integer arithmetic and a float conversion that is exact.
float hash(float x) {
    uint h = floatBitsToUint(x);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) / 16777216.0;
}

void main() {
    float life = clamp((death - birth) / LONGEST_LIFE, 0.0, 1.0);
    vec3 hot = vec3(0.65, 0.8, 1.0);
    vec3 warm = vec3(1.0, 0.78, 0.45);
    float brightness = 0.6 + 0.4 * hash(death);
    color = mix(hot, warm, life) * brightness;

    vec4 centre = pmatrix * vec4(position, 1.0);
    // Perspective: the star shrinks with its distance from the eye (w).
    float size = clamp(SIZE_AT_UNIT_DISTANCE * (0.5 + life) / max(centre.w, 1.0e-3), 2.0, 40.0);
    pointCoord = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    // `size` pixels span 2 * size / VIEWPORT in normalised device units, w times that in clip space.
    vec2 offset = (pointCoord * 2.0 - 1.0) * size / VIEWPORT;
    gl_Position = centre + vec4(offset * centre.w, 0.0, 0.0);
}
