#include "Demo.h"

namespace vexel {

Demo::Demo(int w, int h) : screenwidth(w), screenheight(h) {}

Demo::~Demo() {}

void Demo::show(double time) {
    for (unsigned int i = 0; i < timeframes.size(); i++) {
        Timeframe* scene = timeframes.at(i);
        if (time > scene->start && time < scene->end) scene->show(time);
    }
}

} // namespace vexel
