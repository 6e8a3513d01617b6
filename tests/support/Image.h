// RGBA images on disk, and their comparison with a stated tolerance.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba; // top row first
};

// An empty image when the file cannot be decoded.
Image loadPng(const std::string& path);
bool savePng(const std::string& path, const Image& image);

// How far two drawings of one frame may differ: a channel by more than `max` in at most `pixelsOver`
// pixels, and by `mean` on average over all channels.
struct Tolerance {
    int max;
    int pixelsOver;
    double mean;
};

// Two drawings of one frame by the software rasteriser: the same context type gives the same pixels,
// another (EGL without an X server) rounds a few edge pixels of a wire apart. A wrong colour, place,
// turn or order moves tens of pixels or more.
const Tolerance sameFrame = {32, 16, 0.05};

// Passes when `actual` is within `tolerance` of `expected`. On failure it writes <name>-actual.png and
// <name>-diff.png into the build's test-output folder and says where.
::testing::AssertionResult imagesClose(const Image& actual, const Image& expected, Tolerance tolerance,
                                       const std::string& name);
