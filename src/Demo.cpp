#include "Demo.h"

#include <GL/glew.h>

#include <algorithm>

namespace vexel {

Demo::Demo(int w, int h) : screenwidth(w), screenheight(h) {}

Demo::~Demo() {}

void Demo::show(double time) {
    double showEnd = 0.0;
    for (const Timeframe* scene : timeframes) showEnd = std::max(showEnd, scene->end);
    bool drawn = false;
    for (Timeframe* scene : timeframes) {
        if (time < scene->start || time > scene->end || (time == scene->end && time < showEnd)) continue;
        scene->show(time);
        drawn = true;
    }
    // The swap would present whatever the buffer last held, or, flipping, an older frame.
    if (!drawn) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace vexel
