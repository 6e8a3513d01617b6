// The timeline: which scenes draw at a given demo time, and in which order. The show's own scene
// edges, to the millisecond, are checked with its scenes.
#include "Demo.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::string drawn;

struct Scene : vexel::Timeframe {
    Scene(char name, double from, double to) : name(name) {
        start = from;
        end = to;
    }
    void show(double) override { drawn += name; }
    char name;
};

struct Timeline : vexel::Demo {
    explicit Timeline(std::vector<vexel::Timeframe*> scenes) : vexel::Demo(640, 360) { timeframes = scenes; }
    void init() override {}
};

} // namespace

// A window holds its start and not its end, so an edge draws the scene that begins there; the
// show's last moment still draws its last scene, and nothing draws after it.
TEST(DemoTest, OverlappingWindowsDrawInInsertionOrderFromTheirStartsToTheShowsEnd) {
    Scene late('l', 2.0, 8.0), early('e', 0.0, 5.0);
    Timeline demo({&late, &early});
    for (auto [time, expected] : {std::pair{3.0, "le"}, {2.0, "le"}, {0.0, "e"}, {5.0, "l"}, {8.0, "l"},
                                  {-0.001, ""}, {8.001, ""}}) {
        drawn.clear();
        demo.show(time);
        EXPECT_EQ(expected, drawn) << time;
    }
}
