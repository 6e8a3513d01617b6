// What the particle tests share: the random numbers the systems draw, chosen by the test, and
// a read-back of what a system last uploaded.
#pragma once

#include "GLTest.h"

#include <cstdlib>
#include <deque>
#include <vector>

// The engine's particle systems draw from drand48. The test executable's own definition takes
// the C library's place, so that each draw is a value the test chose and every expected
// position, speed and lifetime can be worked out by hand. Once the queue is empty it gives 0.5.
inline std::deque<double> queuedDraws;
double drand48() noexcept {
    if (queuedDraws.empty()) return 0.5;
    double value = queuedDraws.front();
    queuedDraws.pop_front();
    return value;
}

struct Uploaded {
    std::vector<float> pos, direction, birth, life;
};

// draw() leaves the system's vertex array bound, and the vertex array records which buffer
// feeds each attribute.
template <class System> Uploaded readUploaded(System& system) {
    static const GLuint points = linkProgram(positionVertex, whiteFragment);
    glUseProgram(points);
    system.draw();
    Uploaded out{attributeBuffer(0), attributeBuffer(1), attributeBuffer(2), attributeBuffer(3)};
    glBindVertexArray(0);
    glUseProgram(0);
    return out;
}
