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

    // Draws every scene whose window holds `time`, in insertion order: a window holds its start and
    // not its end, except that the show's last moment is drawn too. A time that no window holds
    // (after the show, while the music plays on) gives a cleared frame.
    void show(double time);

protected:
    int screenwidth;
    int screenheight;
    std::vector<Timeframe*> timeframes; // not owned: scenes live until the process exits
};

} // namespace vexel
