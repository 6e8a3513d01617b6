#include "Particle.h"

#include "ParticleReadback.h"
#include "GLTest.h"

#include <array>
#include <cstdlib>
#include <vector>

using vexel::Particle;

namespace {

const long seed = 977;

using Vec = std::array<float, 3>;
using Triangle = std::array<Vec, 3>;
using PosAndDirection = std::array<Vec, 2>;

// The step the point constructor draws for its first particle from `seed`.
Vec firstStep() {
    srand48(seed);
    Vec d{};
    for (float& c : d) c = float(drand48() / 100);
    return d;
}

Vec scaled(Vec v, float s) {
    return {v[0] * s, v[1] * s, v[2] * s};
}

// A large triangle in the plane z = h around the z axis, counter-clockwise seen from +z.
Triangle plate(float h) {
    return {Vec{-1, -1, h}, Vec{1, -1, h}, Vec{0, 1, h}};
}

// One update of a one-particle fountain at p, whose step is firstStep(), among `triangles` in the
// order given; returns the position and direction uploaded.
PosAndDirection step(Vec p, const std::vector<Triangle>& triangles) {
    srand48(seed);
    Particle system(1, p[0], p[1], p[2]);
    for (const Triangle& t : triangles)
        system.addConstrait(t[0][0], t[0][1], t[0][2], t[1][0], t[1][1], t[1][2], t[2][0], t[2][1], t[2][2]);
    system.update(0.0);
    Uploaded u = readUploaded(system);
    return {Vec{u.pos[0], u.pos[1], u.pos[2]}, Vec{u.direction[0], u.direction[1], u.direction[2]}};
}

class ParticleTest : public GLTest {};

TEST_F(ParticleTest, StepThroughATriangleReversesAndMovesBackInTheSameUpdate) {
    Vec d = firstStep(), back = scaled(d, -1);
    EXPECT_EQ((PosAndDirection{back, back}), step({0, 0, 0}, {plate(d[2] / 2)}));
    // Same plane, but the segment passes beside the triangle.
    float h = d[2] / 2;
    EXPECT_EQ((PosAndDirection{d, d}), step({0, 0, 0}, {{Vec{0.5f, 0.5f, h}, Vec{1, 0.5f, h}, Vec{0.5f, 1, h}}}));
}

TEST_F(ParticleTest, StackedTrianglesAreTestedWithTheDirectionAsAlreadyReversed) {
    Vec d = firstStep(), back = scaled(d, -1);
    // The plate ahead reverses the step, which then crosses the plate behind: two reversals.
    EXPECT_EQ((PosAndDirection{d, d}), step({0, 0, 0}, {plate(d[2] / 2), plate(-d[2] / 2)}));
    // Tested first, the plate behind is not in the forward step's way: one reversal.
    EXPECT_EQ((PosAndDirection{back, back}), step({0, 0, 0}, {plate(-d[2] / 2), plate(d[2] / 2)}));
}

TEST_F(ParticleTest, StepEndingOnThePlaneFollowsTheSignOfTheZeroVolume) {
    // The step ends exactly at the origin, in the plane z = 0 of both triangles. Both are wound the
    // same way, so the start lies on the same side of each; the end's volume is an exact zero,
    // -0 for the first triangle (same side as the start: no crossing) and +0 for the second
    // (opposite side: a crossing).
    Vec d = firstStep(), back = scaled(d, -1);
    EXPECT_EQ((PosAndDirection{Vec{0, 0, 0}, d}), step(back, {{Vec{-1, -1, 0}, Vec{0, 1, 0}, Vec{1, -1, 0}}}));
    EXPECT_EQ((PosAndDirection{scaled(d, -2), back}), step(back, {{Vec{1, 1, 0}, Vec{0, -1, 0}, Vec{-1, 1, 0}}}));
}

TEST_F(ParticleTest, BoxParticlesRestUntilTheirLifeEndsThenRespawnAtTheRespawnPoint) {
    const int count = 4;
    srand48(seed);
    Particle box(count, 1, 3, 5, 2, 4, 6);
    Uploaded start = readUploaded(box);

    srand48(seed);
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(float(1 + 2 * k + drand48()), start.pos[3 * i + k]);
        EXPECT_EQ(120.0f, start.life[i]);
    }
    EXPECT_EQ(std::vector<float>(3 * count, 0.0f), start.direction);

    box.update(60.0);
    box.update(120.0);
    EXPECT_EQ(start.pos, readUploaded(box).pos);

    // Never given a respawn point, the particles restart at the origin.
    box.update(120.5);
    Uploaded respawned = readUploaded(box);
    srand48(seed);
    for (int i = 0; i < 3 * count; ++i) drand48();
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(0.0f, respawned.pos[3 * i + k]);
            EXPECT_FLOAT_EQ(float(drand48() / 100), respawned.direction[3 * i + k]);
        }
        EXPECT_EQ(120.5f, respawned.birth[i]);
        EXPECT_FLOAT_EQ(float(120.5 + drand48() * 12), respawned.life[i]);
    }

    box.update(200.0, 7, 8, 9);
    std::vector<float> moved = readUploaded(box).pos;
    EXPECT_EQ((std::vector<float>{7, 8, 9}), std::vector<float>(moved.begin(), moved.begin() + 3));
}

} // namespace
