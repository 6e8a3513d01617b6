#include "Image.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

Image loadPng(const std::string& path) {
    Image image;
    int channels = 0;
    std::uint8_t* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
    if (!pixels) return Image();
    image.rgba.assign(pixels, pixels + std::size_t(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return image;
}

bool savePng(const std::string& path, const Image& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(), image.width * 4) != 0;
}

ImageDifference compareImages(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height || a.rgba.empty()) return {255, 255.0};
    ImageDifference d{0, 0.0};
    for (std::size_t i = 0; i < a.rgba.size(); i++) {
        int delta = std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        d.max = std::max(d.max, delta);
        d.mean += delta;
    }
    d.mean /= double(a.rgba.size());
    return d;
}

::testing::AssertionResult imagesClose(const Image& actual, const Image& expected, int maxTolerance,
                                       double meanTolerance, const std::string& name) {
    ImageDifference d = compareImages(actual, expected);
    if (d.max <= maxTolerance && d.mean <= meanTolerance) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << name << ": largest channel difference " << d.max << " (at most " << maxTolerance << "), mean "
            << d.mean << " (at most " << meanTolerance << ")";
    if (expected.width != actual.width || expected.height != actual.height) {
        failure << "; sizes " << actual.width << "x" << actual.height << " and " << expected.width << "x"
                << expected.height;
        if (expected.rgba.empty()) failure << " (no expected image)";
    }
    std::filesystem::path folder = std::filesystem::path(SKORVANE_BINARY_DIR) / "test-output";
    std::filesystem::create_directories(folder);
    std::string base = (folder / name).string();
    savePng(base + "-actual.png", actual);
    if (expected.width == actual.width && expected.height == actual.height) {
        // Differences scaled up so that a one-level difference still shows.
        Image diff = actual;
        for (std::size_t i = 0; i < diff.rgba.size(); i++)
            diff.rgba[i] = i % 4 == 3 ? 255 : std::min(255, 8 * std::abs(int(actual.rgba[i]) - int(expected.rgba[i])));
        savePng(base + "-diff.png", diff);
    }
    return failure << "; wrote " << base << "-actual.png and -diff.png";
}
