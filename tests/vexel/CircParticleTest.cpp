// The star-trail emitter, fed chosen random draws: where particles are born, how fast they move,
// how long they live.
#include "CircParticle.h"

#include "ParticleReadback.h"

using vexel::CircParticle;
using Floats = std::vector<float>;

namespace {

// A circle of radius 4 about (2, 1), the spawn plane z = 10.
const float cx = 2.0f, cy = 1.0f, plane = 10.0f, radius = 4.0f;

class CircParticleTest : public GLTest {};

TEST_F(CircParticleTest, ParticlesAreBornOnTheCircleBelowThePlaneMovingAlongZ) {
    // Per particle: angle (a quarter, three quarters and none of a turn), depth, speed, life.
    queuedDraws = {0.25, 0.5, 0.25, 0.5, 0.75, 0.75, 0.0, 0.0, 0.0, 0.0, 0.5, 0.25};
    CircParticle stars(3, cx, cy, plane, radius, 3.5);
    Uploaded u = readUploaded(stars);
    EXPECT_EQ((Floats{6, 1, -8.5f, -2, 1, -17.75f, 2, 5, 10}), u.pos);
    EXPECT_EQ((Floats{0, 0, 9.9975f, 0, 0, 10, 0, 0, 9.995f}), u.direction);
    EXPECT_EQ((Floats{3.5f, 3.5f, 3.5f}), u.birth);
    EXPECT_EQ((Floats{9.5f, 3.5f, 6.5f}), u.life);
}

// At the very end of its life a particle still moves; it is born again at the next update. How the
// stream moves and renews itself over time shows in the star-stream frames of the scene tests.
TEST_F(CircParticleTest, AParticleLivesToTheEndOfItsLife) {
    queuedDraws = {0.25, 0.5, 0.0, 0.5, 0.75, 0.0, 0.0, 0.25}; // speeds 10, lives end at 6 and 3
    CircParticle stars(2, cx, cy, plane, radius, 0.0);
    stars.update(3.0);
    Uploaded u = readUploaded(stars);
    EXPECT_EQ((Floats{6, 1, 21.5f, -2, 1, 40}), u.pos);
    EXPECT_EQ((Floats{0, 0}), u.birth);
    EXPECT_EQ((Floats{6, 3}), u.life);
}

} // namespace
