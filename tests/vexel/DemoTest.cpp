// The timeline: which scenes draw at a given demo time, and in which order.
#include "Demo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names drawn;

class FakeScene : public vexel::Timeframe {
public:
    FakeScene(const char* name, double from, double to) : name(name) {
        start = from;
        end = to;
    }
    void show(double) override { drawn.push_back(name); }

private:
    std::string name;
};

class FakeDemo : public vexel::Demo {
public:
    explicit FakeDemo(std::vector<vexel::Timeframe*> scenes) : vexel::Demo(640, 360) { timeframes = scenes; }
    void init() override {}

    Names drawnAt(double time) {
        drawn.clear();
        show(time);
        return drawn;
    }
};

// Demo time is whole milliseconds / 1000.0: an edge written as a literal must be hit exactly.
TEST(DemoTest, WindowsAreExclusiveAtBothEndsToTheMillisecond) {
    FakeScene a("a", 12.0, 47.553), b("b", 47.553, 54.195);
    FakeDemo demo({&a, &b});
    const std::pair<int, Names> expected[] = {{0, {}},      {12000, {}},    {12001, {"a"}}, {47552, {"a"}},
                                              {47553, {}},  {47554, {"b"}}, {54194, {"b"}}, {54195, {}},
                                              {100000, {}}};
    for (const auto& [milliseconds, names] : expected) EXPECT_EQ(names, demo.drawnAt(milliseconds / 1000.0)) << milliseconds;
}

TEST(DemoTest, OverlappingWindowsDrawInInsertionOrder) {
    FakeScene late("late", 2.0, 8.0), early("early", 0.0, 5.0);
    FakeDemo demo({&late, &early});
    EXPECT_EQ((Names{"late", "early"}), demo.drawnAt(3.0));
}

} // namespace
