#include "CircParticle.h"

#include "ParticleReadback.h"
#include "GLTest.h"

#include <cmath>
#include <cstdlib>

using vexel::CircParticle;

namespace {

const double pi = 3.141592653589793;
const long seed = 20240611;

// The emitter of the ToInfinity scene: centre (0, 1), spawn plane z = 10, radius 10.
const float cx = 0.0f, cy = 1.0f, plane = 10.0f, radius = 10.0f;

// Draws the next angle from drand48 and checks that particle i's x and y lie on the circle there.
void expectOnCircle(const Uploaded& u, int i) {
    double angle = 2 * (drand48() * pi);
    EXPECT_FLOAT_EQ(float(cx + radius * std::sin(angle)), u.pos[3 * i]) << i;
    EXPECT_FLOAT_EQ(float(cy + radius * std::cos(angle)), u.pos[3 * i + 1]) << i;
}

class CircParticleTest : public GLTest {
protected:
    void SetUp() override { srand48(seed); }
};

TEST_F(CircParticleTest, ConstructionSpawnsOnTheCircleBelowThePlane) {
    const int count = 200;
    const double t0 = 3.5;
    CircParticle stars(count, cx, cy, plane, radius, t0);
    Uploaded u = readUploaded(stars);
    ASSERT_EQ(3u * count, u.pos.size());
    ASSERT_EQ(3u * count, u.direction.size());
    ASSERT_EQ(size_t(count), u.birth.size());
    ASSERT_EQ(size_t(count), u.life.size());

    srand48(seed);
    for (int i = 0; i < count; ++i) {
        expectOnCircle(u, i);
        EXPECT_FLOAT_EQ(float(plane - drand48() * 37), u.pos[3 * i + 2]) << i;
        EXPECT_EQ(0.0f, u.direction[3 * i]);
        EXPECT_EQ(0.0f, u.direction[3 * i + 1]);
        EXPECT_FLOAT_EQ(float(plane - drand48() / 100), u.direction[3 * i + 2]) << i;
        EXPECT_FLOAT_EQ(float(t0 + drand48() * 12), u.life[i]) << i;
        EXPECT_EQ(float(t0), u.birth[i]);
        EXPECT_GE(u.life[i], float(t0));
        EXPECT_LT(u.life[i], float(t0 + 12));
    }
}

TEST_F(CircParticleTest, UpdateMovesLiveParticlesAndRespawnsEndedOnesAbove) {
    const int count = 200;
    const double t0 = 2.0, t = 5.0;
    CircParticle stars(count, cx, cy, plane, radius, t0);
    Uploaded before = readUploaded(stars);
    stars.update(t);
    Uploaded after = readUploaded(stars);

    // The generator continues from where construction left it.
    srand48(seed);
    for (int i = 0; i < 4 * count; ++i) drand48();
    int respawned = 0;
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(before.direction[3 * i + k], after.direction[3 * i + k]) << i;
        if (t > before.life[i]) {
            ++respawned;
            expectOnCircle(after, i);
            EXPECT_FLOAT_EQ(float(plane + drand48() * 37), after.pos[3 * i + 2]) << i;
            EXPECT_EQ(float(t), after.birth[i]) << i;
            EXPECT_FLOAT_EQ(float(t + drand48() * 12), after.life[i]) << i;
            continue;
        }
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(float(before.pos[3 * i + k] + before.direction[3 * i + k] * (t - t0)), after.pos[3 * i + k]) << i;
        EXPECT_EQ(before.birth[i], after.birth[i]);
        EXPECT_EQ(before.life[i], after.life[i]);
    }
    // Lifetimes are uniform in [0, 12): about a quarter have ended after 3 s.
    EXPECT_GT(respawned, 20);
    EXPECT_LT(respawned, 80);
}

TEST_F(CircParticleTest, RespawnsOnlyOnceTimeIsStrictlyLaterThanLife) {
    CircParticle stars(20, cx, cy, plane, radius, 0.0);
    Uploaded start = readUploaded(stars);
    const int k = 7;
    const double end = start.life[k];

    stars.update(end);
    Uploaded atEnd = readUploaded(stars);
    EXPECT_EQ(0.0f, atEnd.birth[k]);
    EXPECT_FLOAT_EQ(float(start.pos[3 * k + 2] + start.direction[3 * k + 2] * end), atEnd.pos[3 * k + 2]);

    // No time has passed: nothing moves and no life has ended since the last update.
    stars.update(end);
    Uploaded again = readUploaded(stars);
    EXPECT_EQ(atEnd.pos, again.pos);
    EXPECT_EQ(atEnd.birth, again.birth);

    const double later = std::nextafter(end, 100.0);
    stars.update(later);
    Uploaded afterEnd = readUploaded(stars);
    EXPECT_EQ(float(later), afterEnd.birth[k]);
    EXPECT_GT(afterEnd.pos[3 * k + 2], plane);
}

TEST_F(CircParticleTest, AnEarlierTimeMovesParticlesBackwards) {
    const int count = 50;
    CircParticle stars(count, cx, cy, plane, radius, 10.0);
    Uploaded before = readUploaded(stars);
    stars.update(9.0);
    Uploaded after = readUploaded(stars);
    for (int i = 0; i < count; ++i) {
        EXPECT_FLOAT_EQ(float(before.pos[3 * i + 2] - before.direction[3 * i + 2]), after.pos[3 * i + 2]) << i;
        EXPECT_LT(after.pos[3 * i + 2], before.pos[3 * i + 2] - 9.9f) << i;
        EXPECT_EQ(before.life[i], after.life[i]);
    }
}

} // namespace
