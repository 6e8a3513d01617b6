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

void expectParams(const PlanetFrame& frame, float param1, float param2, float param3, float param4) {
    EXPECT_FLOAT_EQ(param1, frame.param1);
    EXPECT_FLOAT_EQ(param2, frame.param2);
    EXPECT_FLOAT_EQ(param3, frame.param3);
    EXPECT_FLOAT_EQ(param4, frame.param4);
}

} // namespace

TEST(PlanetTimetable, CirclesTheEyeBefore18Seconds) {
    PlanetFrame frame = planetTimetable(15.0);
    expectPos(frame.pos, 2.7112, 4.0, 20.9612);
    expectParams(frame, 1.0f, 0.25f, 0.5f, 1.49f);

    expectPos(planetTimetable(17.999).pos, 0.11 + 4.0 * std::sin(17.999), 4.0, 24.0 + 4.0 * std::cos(17.999), 1e-9);
}

TEST(PlanetTimetable, SwingsParam2Between18And24Seconds) {
    PlanetFrame frame = planetTimetable(20.0);
    expectPos(frame.pos, 0.11, 4.0, 24.0);
    expectParams(frame, 1.0f, 2.1592975f, 0.5f, 1.49f);
}

TEST(PlanetTimetable, FliesAlongZBetween24And29SecondsFromTheDouble149) {
    PlanetFrame frame = planetTimetable(25.0);
    expectPos(frame.pos, 0.11, 4.0, 10.0);
    expectParams(frame, 1.0f, 0.25f, 0.5f, 1.59f);
    // At 24.025 s the double 1.49 and the float 1.49f round to different floats.
    EXPECT_EQ(1.49249995f, planetTimetable(24.025).param4);
}

TEST(PlanetTimetable, HoldsTheEyeAt48UntilBranchFiveTakesOverAt38Seconds) {
    PlanetFrame frame = planetTimetable(30.0);
    expectPos(frame.pos, 0.11, 4.0, 48.0);
    expectParams(frame, 1.0f, 0.23f, 0.5f, 1.39f);
    // The fall starts from the float 1.49f: at 29.004 s it rounds apart from the double 1.49.
    EXPECT_EQ(1.48960006f, planetTimetable(29.004).param4);

    for (double time : {36.001, 37.0, 37.999}) {
        SCOPED_TRACE(time);
        frame = planetTimetable(time);
        expectPos(frame.pos, 0.11, 4.0, 48.0);
        EXPECT_FLOAT_EQ(0.5f, frame.param3);
    }
    EXPECT_FLOAT_EQ(0.09f, planetTimetable(37.0).param2);
}

TEST(PlanetTimetable, RaisesParam3From38To41Seconds) {
    PlanetFrame frame = planetTimetable(38.0);
    expectPos(frame.pos, 0.11, 4.0, 24.0);
    expectParams(frame, 1.0f, 0.25f, 0.7f, 1.49f);
    EXPECT_FLOAT_EQ(0.9999f, planetTimetable(40.999).param3);
}

TEST(PlanetTimetable, FadesParam1AtTheExactSeamsAndFrom41Seconds) {
    struct Case {
        double time;
        float param1;
    };
    for (Case c : {Case{18.0, 3.3f}, Case{24.0, 2.7f}, Case{29.0, 2.2f}, Case{41.0, 1.0f}, Case{45.0, 0.6f},
                   Case{47.552, 0.3448f}}) {
        SCOPED_TRACE(c.time);
        PlanetFrame frame = planetTimetable(c.time);
        expectPos(frame.pos, 0.11, 4.0, 24.0);
        expectParams(frame, c.param1, 0.25f, 1.0f, 1.49f);
    }
}

TEST(EyePaths, IntroSwingsAroundTheCarsOnAbsoluteTime) {
    expectPos(introEye(9.0), 2.8224, 4.0, 24.2002);
    expectPos(introEye(6.0), 9.88, 4.0, 26.61, 0.01);
    expectPos(introEye(12.0), -4.63, 4.0, 24.54, 0.01);
}

TEST(EyePaths, WholeWorldCirclesTheOriginOnSceneTime) {
    expectPos(wholeWorldEye(0.0), 8.4672, 30.0, -59.3995);
    expectPos(wholeWorldEye(8.1705), -37.5153, 30.0, -46.8253);
    expectPos(wholeWorldEye(16.341), -59.8162, 30.0, -4.6925);
}

TEST(EyePaths, ToInfinityTravelsHalfWayRoundTheCars) {
    expectPos(toInfinityEye(0.0), 0.0, 1.0, 64.0);
    expectPos(toInfinityEye(29.464), 3.8791, 1.0, 24.3798);
}

TEST(CarDropOffsets, TerrainSlidesFor2SecondsThenStays) {
    EXPECT_DOUBLE_EQ(0.0, carDropSlide(0.0));
    EXPECT_DOUBLE_EQ(39.98, carDropSlide(1.999));
    EXPECT_DOUBLE_EQ(40.0, carDropSlide(2.0));
    EXPECT_DOUBLE_EQ(40.0, carDropSlide(6.6));
}

TEST(CarDropOffsets, CarsFallAt30UnitsPerSecondFrom2621Milliseconds) {
    EXPECT_DOUBLE_EQ(0.0, carDropDrop(2.62));
    EXPECT_DOUBLE_EQ(0.0, carDropDrop(2.621));
    EXPECT_NEAR(-0.03, carDropDrop(2.622), 1e-9);
    EXPECT_NEAR(-120.63, carDropDrop(6.642), 1e-9);
}
