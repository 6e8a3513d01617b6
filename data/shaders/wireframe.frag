#version 410 core

// WIRE_COL over FILL_COL, with a smooth falloff across the wire.
//
// WIN_SCALE sets the wire density: the wire is 2 sqrt(12 / WIN_SCALE) pixels wide for every
// 1080 lines of the target, so at 1080p 12 draws 2-pixel wires and 40 draws 1.1-pixel ones for
// smaller, denser meshes. The width follows the target's height (read from how the window
// position changes from one pixel row to the next), so the picture keeps its look at any size,
// and a 2048-pixel cube face gets wires wide enough to survive being shrunk into the final
// picture. The two components are averaged; every caller sets them equal.

uniform vec3 WIRE_COL;
uniform vec3 FILL_COL;
uniform vec2 WIN_SCALE;

in vec4 edgeDistW;
in float clipY;

out vec4 fragColor;

const float REFERENCE_HEIGHT = 1080.0;

void main() {
    vec3 edgeDist = edgeDistW.xyz / edgeDistW.w;
    float windowY = clipY / edgeDistW.w;

    float density = max(0.5 * (WIN_SCALE.x + WIN_SCALE.y), 1.0);
    float height = 2.0 / max(abs(dFdy(windowY)), 1.0e-9);
    float width = 2.0 * sqrt(12.0 / density) * height / REFERENCE_HEIGHT;

    // Each distance is affine in window position, so its gradient is exact per triangle.
    vec3 perPixel = sqrt(dFdx(edgeDist) * dFdx(edgeDist) + dFdy(edgeDist) * dFdy(edgeDist));
    vec3 pixels = edgeDist / max(perPixel, vec3(1.0e-12));
    float d = min(pixels.x, min(pixels.y, pixels.z));

    // Each triangle draws its half of a shared edge's wire; below one pixel the wire keeps a
    // one-pixel footprint and fades instead of breaking up.
    float halfWidth = 0.5 * max(width, 1.0);
    float wire = min(width, 1.0) * (1.0 - smoothstep(halfWidth - 0.5, halfWidth + 0.5, d));
    fragColor = vec4(mix(FILL_COL, WIRE_COL, wire), 1.0);
}
