// The star-trail emitter, fed chosen random draws: where particles are born, how fast they move,
// when they are born again.
#include "CircParticle.h"

#include "ParticleReadback.h"

using vexel::CircParticle;
using Floats = std::vector<float>;

namespace {

// The emitter of the show's last scene: centre (0, 1), spawn plane z = 10, radius 10.
const float cx = 0.0f, cy = 1.0f, plane = 10.0f, radius = 10.0f;

class CircParticleTest : public GLTest {};

TEST_F(CircParticleTest, ParticlesAreBornOnTheCircleBelowThePlaneMovingAlongZ) {
    // Per particle: angle (a quarter, three quarters and none of a turn), depth, speed, life.
    queuedDraws = {0.25, 0.5, 0.25, 0.5, 0.75, 0.75, 0.0, 0.0, 0.0, 0.0, 0.5, 0.25};
    CircParticle stars(3, cx, cy, plane, radius, 3.5);
    Uploaded u = readUploaded(stars);
    EXPECT_EQ((Floats{10, 1, -8.5f, -10, 1, -17.75f, 0, 11, 10}), u.pos);
    EXPECT_EQ((Floats{0, 0, 9.9975f, 0, 0, 10, 0, 0, 9.995f}), u.direction);
    EXPECT_EQ((Floats{3.5f, 3.5f, 3.5f}), u.birth);
    EXPECT_EQ((Floats{9.5f, 3.5f, 6.5f}), u.life);
}

// Each update moves a live particle by its velocity times the time since the previous update,
// backwards too; a particle is born again above the plane at the first update after its life.
TEST_F(CircParticleTest, UpdatesMoveByTheElapsedTimeAndRespawnAfterTheLife) {
    queuedDraws = {0.25, 0.5, 0.0, 0.5, 0.75, 0.0, 0.0, 0.25}; // speeds 10, lives end at 6 and 3
    CircParticle stars(2, cx, cy, plane, radius, 0.0);
    auto expectState = [&](Floats pos, Floats birth, Floats life) {
        Uploaded u = readUploaded(stars);
        EXPECT_EQ(pos, u.pos);
        EXPECT_EQ((Floats{0, 0, 10, 0, 0, 10}), u.direction) << "a respawn keeps the velocity";
        EXPECT_EQ(birth, u.birth);
        EXPECT_EQ(life, u.life);
    };
    {
        SCOPED_TRACE("at the end of the second particle's life: both move");
        stars.update(3.0);
        expectState({10, 1, 21.5f, -10, 1, 40}, {0, 0}, {6, 3});
    }
    {
        SCOPED_TRACE("half a second later: the second is born again and does not move");
        queuedDraws = {0.25, 0.5, 0.25};
        stars.update(3.5);
        expectState({10, 1, 26.5f, 10, 1, 28.5f}, {0, 3.5f}, {6, 6.5f});
    }
    {
        SCOPED_TRACE("the same time again: nothing moves");
        stars.update(3.5);
        expectState({10, 1, 26.5f, 10, 1, 28.5f}, {0, 3.5f}, {6, 6.5f});
    }
    {
        SCOPED_TRACE("an earlier time: both move back");
        stars.update(2.5);
        expectState({10, 1, 16.5f, 10, 1, 18.5f}, {0, 3.5f}, {6, 6.5f});
    }
}

} // namespace
