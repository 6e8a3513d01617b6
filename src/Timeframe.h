// A scene of the show: a window of demo time, from its start up to its end, and a frame drawer.
#pragma once

namespace vexel {

class Timeframe {
public:
    double start;
    double end;

    // Draws the scene for `time`, demo seconds since the music started (not since `start`).
    virtual void show(double time) = 0;
};

} // namespace vexel
