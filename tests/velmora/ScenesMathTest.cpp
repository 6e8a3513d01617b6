// The scenes' motion without GL: the TerrainAndCars timetable, the eye paths and CarDrop's offsets.
#include "velmora.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectPos(const std::array<double, 3>& pos, double x, double y, double z, double tolerance = 1e-4) {
    EXPECT_NEAR(x, pos[0], tolerance);
    EXPECT_NEAR(y, pos[1], tolerance);
    EXPECT_NEAR(z, pos[2], tolerance);
}

} // namespace

TEST(PlanetTimetable, EveryBranchAndSeam) {
    struct Case {
        double time, z;
        float param1, param2, param3, param4;
    };
    // Once the eye stops circling it stays at x = 0.11, y = 4: only z and the parameters change.
    for (Case c : {Case{20.0, 24, 1.0f, 2.1592975f, 0.5f, 1.49f}, Case{25.0, 10, 1.0f, 0.25f, 0.5f, 1.59f},
                   Case{30.0, 48, 1.0f, 0.23f, 0.5f, 1.39f}, Case{37.0, 48, 1.0f, 0.09f, 0.5f, 0.69f},
                   Case{38.0, 24, 1.0f, 0.25f, 0.7f, 1.49f}, Case{18.0, 24, 3.3f, 0.25f, 1.0f, 1.49f},
                   Case{24.0, 24, 2.7f, 0.25f, 1.0f, 1.49f}, Case{29.0, 24, 2.2f, 0.25f, 1.0f, 1.49f},
                   Case{41.0, 24, 1.0f, 0.25f, 1.0f, 1.49f}, Case{45.0, 24, 0.6f, 0.25f, 1.0f, 1.49f},
                   Case{47.552, 24, 0.3448f, 0.25f, 1.0f, 1.49f}}) {
        SCOPED_TRACE(c.time);
        PlanetFrame frame = planetTimetable(c.time);
        expectPos(frame.pos, 0.11, 4.0, c.z);
        EXPECT_FLOAT_EQ(c.param1, frame.param1);
        EXPECT_FLOAT_EQ(c.param2, frame.param2);
        EXPECT_FLOAT_EQ(c.param3, frame.param3);
        EXPECT_FLOAT_EQ(c.param4, frame.param4);
    }
    // Before 18 s the eye circles the cars with the planet's resting parameters.
    PlanetFrame early = planetTimetable(15.0);
    expectPos(early.pos, 2.7112, 4.0, 20.9612);
    EXPECT_EQ((std::array<float, 4>{1.0f, 0.25f, 0.5f, 1.49f}),
              (std::array<float, 4>{early.param1, early.param2, early.param3, early.param4}));
    expectPos(planetTimetable(17.999).pos, 0.11 + 4.0 * std::sin(17.999), 4.0, 24.0 + 4.0 * std::cos(17.999), 1e-9);
    // Branch 4 holds the eye at 48 until branch 5 takes over at 38 s.
    for (double time : {36.001, 37.999}) expectPos(planetTimetable(time).pos, 0.11, 4.0, 48.0);
    EXPECT_FLOAT_EQ(0.9999f, planetTimetable(40.999).param3);
    // At 24.025 s the double 1.49 and the float 1.49f round to different floats; the fall from 29 s
    // starts from the float.
    EXPECT_EQ(1.49249995f, planetTimetable(24.025).param4);
    EXPECT_EQ(1.48960006f, planetTimetable(29.004).param4);
}

TEST(EyePaths, IntroWholeWorldAndToInfinity) {
    expectPos(introEye(9.0), 2.8224, 4.0, 24.2002);
    expectPos(introEye(6.0), 9.88, 4.0, 26.61, 0.01);
    expectPos(introEye(12.0), -4.63, 4.0, 24.54, 0.01);
    expectPos(wholeWorldEye(0.0), 8.4672, 30.0, -59.3995);
    expectPos(wholeWorldEye(8.1705), -37.5153, 30.0, -46.8253);
    expectPos(wholeWorldEye(16.341), -59.8162, 30.0, -4.6925);
    expectPos(toInfinityEye(0.0), 0.0, 1.0, 64.0);
    expectPos(toInfinityEye(29.464), 3.8791, 1.0, 24.3798);
}

TEST(CarDropOffsets, TerrainSlidesFor2SecondsThenTheCarsFallFrom2621Milliseconds) {
    EXPECT_DOUBLE_EQ(0.0, carDropSlide(0.0));
    EXPECT_DOUBLE_EQ(39.98, carDropSlide(1.999));
    EXPECT_DOUBLE_EQ(40.0, carDropSlide(2.0));
    EXPECT_DOUBLE_EQ(40.0, carDropSlide(6.6));
    EXPECT_DOUBLE_EQ(0.0, carDropDrop(2.62));
    EXPECT_DOUBLE_EQ(0.0, carDropDrop(2.621));
    EXPECT_NEAR(-0.03, carDropDrop(2.622), 1e-9);
    EXPECT_NEAR(-120.63, carDropDrop(6.642), 1e-9);
}
