// The abstract demo: screen size, the ordered scene list and the rule that picks what draws.
#pragma once

#include "Timeframe.h"

#include <vector>

namespace vexel {

class Demo {
public:
    Demo(int w, int h);
    ~Demo();

    // Builds the scenes; called once, after construction and before the first show().
    virtual void init() = 0;

    // Draws every scene whose window strictly contains `time`, in insertion order.
    void show(double time);

protected:
    int screenwidth;
    int screenheight;
    std::vector<Timeframe*> timeframes; // not owned: scenes live until the process exits
};

} // namespace vexel
