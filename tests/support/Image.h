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

// The largest difference of any channel and the mean over all channels; 255 when the sizes differ.
struct ImageDifference {
    int max;
    double mean;
};
ImageDifference compareImages(const Image& a, const Image& b);

// Passes when no channel is off by more than maxTolerance and the mean difference is at most
// meanTolerance. On failure it writes <name>-actual.png and <name>-diff.png into the build's
// test-output folder and says where.
::testing::AssertionResult imagesClose(const Image& actual, const Image& expected, int maxTolerance,
                                       double meanTolerance, const std::string& name);
