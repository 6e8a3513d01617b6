// The constrained particle system, fed chosen random draws: steps reversed by triangles, and the
// box constructor's particles at rest until they are born again.
#include "Particle.h"

#include "ParticleReadback.h"

#include <array>

using vexel::Particle;
using Floats = std::vector<float>;

namespace {

using Vec = std::array<float, 3>;
using Triangle = std::array<Vec, 3>;
using PosAndDirection = std::array<Vec, 2>;

// The step every fountain below takes: the draws 0.1, 0.2 and 0.4, each divided by 100.
const Vec d{0.001f, 0.002f, 0.004f}, back{-d[0], -d[1], -d[2]};

// A large triangle in the plane z = h around the z axis, counter-clockwise seen from +z.
Triangle plate(float h) { return {Vec{-1, -1, h}, Vec{1, -1, h}, Vec{0, 1, h}}; }

// One update of a one-particle fountain at p among `triangles` in the order given; returns the
// position and direction uploaded.
PosAndDirection step(Vec p, const std::vector<Triangle>& triangles) {
    queuedDraws = {0.1, 0.2, 0.4, 0.5};
    Particle system(1, p[0], p[1], p[2]);
    for (const Triangle& t : triangles)
        system.addConstrait(t[0][0], t[0][1], t[0][2], t[1][0], t[1][1], t[1][2], t[2][0], t[2][1], t[2][2]);
    system.update(0.0);
    Uploaded u = readUploaded(system);
    return {Vec{u.pos[0], u.pos[1], u.pos[2]}, Vec{u.direction[0], u.direction[1], u.direction[2]}};
}

class ParticleTest : public GLTest {};

// A crossing reverses the step, which is then taken in the same update; each triangle is tested
// with the direction as the triangles before it left it.
TEST_F(ParticleTest, AStepThroughATriangleIsReversed) {
    float h = d[2] / 2;
    EXPECT_EQ((PosAndDirection{back, back}), step({0, 0, 0}, {plate(h)}));
    // The plate ahead reverses the step, which then crosses the plate behind: two reversals.
    EXPECT_EQ((PosAndDirection{d, d}), step({0, 0, 0}, {plate(h), plate(-h)}));
    // Tested first, the plate behind is not in the forward step's way: one reversal.
    EXPECT_EQ((PosAndDirection{back, back}), step({0, 0, 0}, {plate(-h), plate(h)}));
}

TEST_F(ParticleTest, BoxParticlesRestUntilTheirLifeEndsThenRespawnAtTheRespawnPoint) {
    queuedDraws = {0.5, 0.25, 0.75, 0.0, 0.0, 0.0};
    Particle box(2, 1, 3, 5, 2, 5, 9);
    Uploaded start = readUploaded(box);
    EXPECT_EQ((Floats{1.5f, 3.5f, 8, 1, 3, 5}), start.pos);
    EXPECT_EQ(Floats(6, 0.0f), start.direction);
    EXPECT_EQ((Floats{120, 120}), start.life);

    box.update(60.0);
    box.update(120.0);
    EXPECT_EQ(start.pos, readUploaded(box).pos);

    // Never given a respawn point, the particles restart at the origin.
    queuedDraws = {0.1, 0.2, 0.4, 0.5, 0.0, 0.0, 0.0, 0.25};
    box.update(120.5);
    Uploaded respawned = readUploaded(box);
    EXPECT_EQ(Floats(6, 0.0f), respawned.pos);
    EXPECT_EQ((Floats{d[0], d[1], d[2], 0, 0, 0}), respawned.direction);
    EXPECT_EQ((Floats{120.5f, 120.5f}), respawned.birth);
    EXPECT_EQ((Floats{126.5f, 123.5f}), respawned.life);

    box.update(200.0, 7, 8, 9);
    EXPECT_EQ((Floats{7, 8, 9, 7, 8, 9}), readUploaded(box).pos);
}

} // namespace
