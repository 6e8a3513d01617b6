// A framebuffer of our own: RGBA8 colour and 24-bit depth. A hidden window's pixels belong to no
// one under GL's pixel-ownership rule, so frames that are read back and never shown go here.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <vector>

class OffscreenTarget {
public:
    // Made and bound, with a viewport to match, until it goes; then the window's framebuffer is.
    OffscreenTarget(int width, int height);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Its RGBA pixels, bottom row first.
    std::vector<std::uint8_t> pixels() const;

private:
    int width, height;
    GLuint framebuffer = 0, buffers[2] = {0, 0};
};
