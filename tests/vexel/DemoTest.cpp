#include "Demo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> drawn;

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
    FakeDemo() : vexel::Demo(640, 360) {}
    void init() override {}
    void add(vexel::Timeframe* scene) { timeframes.push_back(scene); }
};

std::vector<std::string> drawnAt(FakeDemo& demo, double time) {
    drawn.clear();
    demo.show(time);
    return drawn;
}

using Names = std::vector<std::string>;

} // namespace

TEST(Demo, EmptyTimelineDrawsNothing) {
    FakeDemo demo;
    EXPECT_TRUE(drawnAt(demo, 1.0).empty());
}

TEST(Demo, WindowsAreExclusiveAtBothEnds) {
    FakeDemo demo;
    FakeScene a("a", 0.0, 6.0), b("b", 6.0, 12.0);
    demo.add(&a);
    demo.add(&b);
    EXPECT_EQ(Names{}, drawnAt(demo, -1.0));
    EXPECT_EQ(Names{}, drawnAt(demo, 0.0));
    EXPECT_EQ(Names{"a"}, drawnAt(demo, 0.001));
    EXPECT_EQ(Names{"a"}, drawnAt(demo, 5.999));
    EXPECT_EQ(Names{}, drawnAt(demo, 6.0));
    EXPECT_EQ(Names{"b"}, drawnAt(demo, 6.001));
    EXPECT_EQ(Names{}, drawnAt(demo, 12.0));
    EXPECT_EQ(Names{}, drawnAt(demo, 100.0));
}

TEST(Demo, MillisecondEdgesMatchTheirLiterals) {
    // Demo time is whole milliseconds / 1000.0; an edge written as a literal must be hit exactly.
    FakeDemo demo;
    FakeScene a("a", 12.0, 47.553), b("b", 47.553, 54.195);
    demo.add(&a);
    demo.add(&b);
    EXPECT_EQ(Names{}, drawnAt(demo, 47553 / 1000.0));
    EXPECT_EQ(Names{"a"}, drawnAt(demo, 47552 / 1000.0));
    EXPECT_EQ(Names{"b"}, drawnAt(demo, 47554 / 1000.0));
    EXPECT_EQ(Names{}, drawnAt(demo, 54195 / 1000.0));
}

TEST(Demo, OverlappingWindowsDrawInInsertionOrder) {
    FakeDemo demo;
    FakeScene late("late", 2.0, 8.0), early("early", 0.0, 5.0);
    demo.add(&late);
    demo.add(&early);
    EXPECT_EQ((Names{"late", "early"}), drawnAt(demo, 3.0));
    EXPECT_EQ(Names{"early"}, drawnAt(demo, 1.0));
    EXPECT_EQ(Names{"late"}, drawnAt(demo, 6.0));
}
