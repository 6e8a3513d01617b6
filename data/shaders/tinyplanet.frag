#version 410 core

// The cube map seen through an azimuthal projection: by default a stereographic "tiny
// planet" looking straight down, the ground below the eye in the middle of the screen and
// the horizon as a circle around it.
//
// param1  projection, from 1 (stereographic: the tiny planet) towards 0 (rectilinear: an
//         ordinary perspective view); values between unfold the planet smoothly. The angle
//         off the view axis is the same near the middle of the screen for every value; only
//         the rim opens out. Clamped to [0, 1].
// param2  size. Up to 0.25 it scales the planet: a direction at angle a off the view axis lands
//         2 param2 tan(a / 2) from the middle, in units of half the screen's shorter side, so the
//         horizon is a circle of radius 2 param2 (0.25 fills half the screen height, 0.07
//         shrinks the planet to a ball among the stars). Above 0.25 the planet keeps that size
//         and the picture is magnified instead, 1 + 3 (param2 - 0.25) times (7 at 2.25), towards
//         the top of the planet, where the cars stand when the road points up: that point slides
//         from where it lies unmagnified towards just below the middle of the screen, so the
//         rim and the sky stay in view above the cars at every magnification.
// param3  tilt: the view axis rises from straight down by (param3 - 0.5) half turns, towards
//         the direction shown at the top of the screen; 0.5 is the planet, 1.0 looks at the
//         horizon.
// param4  heading: the world's +z axis (the road) points at param4 radians counter-clockwise
//         from the screen's right, so pi/2 puts it straight up.
//
// The aspect ratio comes from the screen-space derivatives of the quad's texture coordinate,
// so the planet is round in any window: every distance above is measured in half the shorter
// side, and a wider or taller screen shows more of the same picture at its sides or top and
// bottom.
//
// The cube map holds the world turned half a turn about the z axis (its X and Y faces look
// along the negative of their axes), so the world direction d is looked up at (-dx, -dy, dz).
// That map is linear and the same on every face, so faces join without a seam.

uniform samplerCube image;
uniform float param1;
uniform float param2;
uniform float param3;
uniform float param4;

in vec2 texcoord;

out vec4 fragColor;

const float PI = 3.14159265358979;

// param2's largest planet, and the magnification beyond it (see above). Positions are in units
// of half the screen's shorter side from the middle, +y up.
const float PLANET_SIZE = 0.25;
const float ZOOM_PER_SIZE = 3.0;
const vec2 CARS_ON_PLANET = vec2(0.03, 0.44);
const vec2 CARS_MAGNIFIED = vec2(0.0, -0.2);

struct View {
    vec3 right;
    vec3 up;
    vec3 axis;
};

View makeView() {
    float heading = param4;
    vec3 right = vec3(-sin(heading), 0.0, cos(heading));
    vec3 forward = vec3(cos(heading), 0.0, sin(heading));
    float tilt = (param3 - 0.5) * PI;
    View v;
    v.right = right;
    v.axis = vec3(0.0, -cos(tilt), 0.0) + forward * sin(tilt);
    v.up = forward * cos(tilt) + vec3(0.0, sin(tilt), 0.0);
    return v;
}

// Inverse of r = (l + 1) sin a / (l + cos a), the perspective projection of the sphere
// from the point l behind its centre (l = 1 stereographic, l = 0 rectilinear).
float angleOffAxis(float r, float l) {
    float rho = r / (l + 1.0);
    return atan(rho) + asin(rho * l / sqrt(1.0 + rho * rho));
}

vec3 direction(vec2 p, View v, float l, float size) {
    float r = length(p);
    float a = angleOffAxis(r / max(size, 1.0e-6), l);
    vec2 across = r > 0.0 ? p / r : vec2(0.0);
    return sin(a) * (across.x * v.right + across.y * v.up) + cos(a) * v.axis;
}

// Magnifies the picture around the cars: they move from where the unmagnified planet shows them
// towards CARS_MAGNIFIED as the magnification grows, and the screen around them scales with it.
vec2 magnified(vec2 p, float zoom) {
    vec2 carsOnScreen = CARS_MAGNIFIED + (CARS_ON_PLANET - CARS_MAGNIFIED) / zoom;
    return CARS_ON_PLANET + (p - carsOnScreen) / zoom;
}

vec3 sampleWorld(vec3 d) {
    return texture(image, vec3(-d.x, -d.y, d.z)).rgb;
}

void main() {
    float aspect = abs(dFdy(texcoord.y)) / max(abs(dFdx(texcoord.x)), 1.0e-9);
    vec2 p = vec2((texcoord.x - 0.5) * 2.0 * aspect, (0.5 - texcoord.y) * 2.0) / min(aspect, 1.0);

    // A branch rather than a magnification of 1, whose rounding would move a few pixels of the
    // planet at its own size.
    if (param2 > PLANET_SIZE) p = magnified(p, 1.0 + ZOOM_PER_SIZE * (param2 - PLANET_SIZE));

    View v = makeView();
    float l = clamp(param1, 0.0, 1.0);
    float size = min(param2, PLANET_SIZE);

    // The faces are much larger than their footprint where the planet is small and carry no
    // mipmaps, so four rotated-grid samples per pixel keep thin wires from breaking up.
    vec2 dx = dFdx(p);
    vec2 dy = dFdy(p);
    vec3 sum = vec3(0.0);
    sum += sampleWorld(direction(p + 0.375 * dx + 0.125 * dy, v, l, size));
    sum += sampleWorld(direction(p - 0.125 * dx + 0.375 * dy, v, l, size));
    sum += sampleWorld(direction(p - 0.375 * dx - 0.125 * dy, v, l, size));
    sum += sampleWorld(direction(p + 0.125 * dx - 0.375 * dy, v, l, size));
    fragColor = vec4(0.25 * sum, 1.0);
}
