#include "Particle.h"

#include "GLTest.h"
#include "ParticleReadback.h"

#include <array>
#include <cstdlib>
#include <memory>

using vexel::Particle;

namespace {

const long seed = 977;

using Vec = std::array<float, 3>;

// The step the point constructor draws for its first particle from `seed`.
Vec firstStep() {
    srand48(seed);
    Vec d{};
    for (float& c : d) c = float(drand48() / 100);
    return d;
}

// A fountain of one particle at p whose step is firstStep().
class OneParticle {
public:
    explicit OneParticle(Vec p) {
        srand48(seed);
        system = std::make_unique<Particle>(1, p[0], p[1], p[2]);
    }

    void triangle(Vec a, Vec b, Vec c) {
        system->addConstrait(a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]);
    }
    // One update; returns the position and direction uploaded.
    std::array<Vec, 2> step() {
        system->update(0.0);
        Uploaded u = readUploaded(*system);
        return {Vec{u.pos[0], u.pos[1], u.pos[2]}, Vec{u.direction[0], u.direction[1], u.direction[2]}};
    }

private:
    std::unique_ptr<Particle> system;
};

Vec scaled(Vec v, float s) {
    return {v[0] * s, v[1] * s, v[2] * s};
}

// A large triangle in the plane z = h around the z axis, counter-clockwise seen from +z.
void plateAt(OneParticle& p, float h) {
    p.triangle({-1, -1, h}, {1, -1, h}, {0, 1, h});
}

class ParticleTest : public GLTest {};

} // namespace

TEST_F(ParticleTest, StepThroughATriangleReversesAndMovesBackInTheSameUpdate) {
    Vec d = firstStep();
    OneParticle through({0, 0, 0});
    plateAt(through, d[2] / 2);
    auto [pos, direction] = through.step();
    EXPECT_EQ(scaled(d, -1), direction);
    EXPECT_EQ(scaled(d, -1), pos);

    // Same plane, but the segment passes beside the triangle.
    OneParticle beside({0, 0, 0});
    beside.triangle({0.5f, 0.5f, d[2] / 2}, {1, 0.5f, d[2] / 2}, {0.5f, 1, d[2] / 2});
    auto [posBeside, directionBeside] = beside.step();
    EXPECT_EQ(d, directionBeside);
    EXPECT_EQ(d, posBeside);
}

TEST_F(ParticleTest, StackedTrianglesAreTestedWithTheDirectionAsAlreadyReversed) {
    Vec d = firstStep();
    // The plate ahead reverses the step, which then crosses the plate behind: two reversals.
    OneParticle aheadFirst({0, 0, 0});
    plateAt(aheadFirst, d[2] / 2);
    plateAt(aheadFirst, -d[2] / 2);
    auto [pos, direction] = aheadFirst.step();
    EXPECT_EQ(d, direction);
    EXPECT_EQ(d, pos);

    // Tested first, the plate behind is not in the forward step's way: one reversal.
    OneParticle behindFirst({0, 0, 0});
    plateAt(behindFirst, -d[2] / 2);
    plateAt(behindFirst, d[2] / 2);
    auto [posOnce, directionOnce] = behindFirst.step();
    EXPECT_EQ(scaled(d, -1), directionOnce);
    EXPECT_EQ(scaled(d, -1), posOnce);
}

TEST_F(ParticleTest, StepEndingOnThePlaneFollowsTheSignOfTheZeroVolume) {
    // The step ends exactly at the origin, in the plane z = 0 of both triangles. Both are wound the
    // same way, so the start lies on the same side of each; the end's volume is an exact zero,
    // -0 for the first triangle (same side as the start: no crossing) and +0 for the second
    // (opposite side: a crossing).
    Vec d = firstStep();
    OneParticle minusZero(scaled(d, -1));
    minusZero.triangle({-1, -1, 0}, {0, 1, 0}, {1, -1, 0});
    auto [pos, direction] = minusZero.step();
    EXPECT_EQ(d, direction);
    EXPECT_EQ((Vec{0, 0, 0}), pos);

    OneParticle plusZero(scaled(d, -1));
    plusZero.triangle({1, 1, 0}, {0, -1, 0}, {-1, 1, 0});
    auto [posBack, directionBack] = plusZero.step();
    EXPECT_EQ(scaled(d, -1), directionBack);
    EXPECT_EQ(scaled(d, -2), posBack);
}

TEST_F(ParticleTest, BoxParticlesRestUntilTheirLifeEndsThenRespawnAtTheRespawnPoint) {
    const int count = 4;
    srand48(seed);
    Particle box(count, 1, 3, 5, 2, 4, 6);
    Uploaded start = readUploaded(box);

    srand48(seed);
    for (int i = 0; i < count; ++i) {
        EXPECT_FLOAT_EQ(float(1 + drand48()), start.pos[3 * i]);
        EXPECT_FLOAT_EQ(float(3 + drand48()), start.pos[3 * i + 1]);
        EXPECT_FLOAT_EQ(float(5 + drand48()), start.pos[3 * i + 2]);
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
