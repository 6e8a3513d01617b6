// The planet scene's timetable, without GL.
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The largest change of the eye or of a parameter from one planet frame to another.
double change(const PlanetFrame& a, const PlanetFrame& b) {
    double most = 0.0;
    for (std::size_t k = 0; k < 3; k++) most = std::max(most, std::abs(a.pos[k] - b.pos[k]));
    for (auto param : {&PlanetFrame::param1, &PlanetFrame::param2, &PlanetFrame::param3, &PlanetFrame::param4})
        most = std::max(most, double(std::abs(a.*param - b.*param)));
    return most;
}

} // namespace

TEST(PlanetTimetable, CutsLandOnWholeSecondsAndNoFrameStandsAlone) {
    // Within a stage nothing moves more than 0.01 a millisecond. Each stage begins at a whole
    // second, inclusive: a stage that began a millisecond late, or a seam that belonged to no stage,
    // would show as a jump one millisecond after the whole second.
    PlanetFrame previous = planetTimetable(12.001);
    for (long ms = 12002; ms < 47553; ms++) {
        PlanetFrame frame = planetTimetable(ms / 1000.0);
        EXPECT_TRUE(change(previous, frame) <= 0.05 || ms % 1000 == 0) << "jump at " << ms / 1000.0 << " s";
        previous = frame;
    }
}

TEST(PlanetTimetable, StagesOverlapAndPrecisionAsWritten) {
    // The fourth stage holds the eye until 38 s, though the fifth is timed from 36 s.
    EXPECT_EQ(planetTimetable(30.0).pos, planetTimetable(37.999).pos);
    // At 24.025 s the double 1.49 and the float 1.49f round to different floats; the fall from 29 s
    // starts from the float.
    EXPECT_EQ(1.49249995f, planetTimetable(24.025).param4);
    EXPECT_EQ(1.48960006f, planetTimetable(29.004).param4);
}
