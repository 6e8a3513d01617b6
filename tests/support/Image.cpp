#include "Image.h"

#include <stb_image.h> // built once, into the engine's Texture
#define STB_IMAGE_WRITE_IMPLEMENTATION // built once for the suites, here
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

::testing::AssertionResult imagesClose(const Image& actual, const Image& expected, Tolerance tolerance,
                                       const std::string& name) {
    auto failure = ::testing::AssertionFailure();
    failure << name << ": ";
    if (actual.width != expected.width || actual.height != expected.height || actual.rgba.empty()) {
        failure << "sizes " << actual.width << "x" << actual.height << " and " << expected.width << "x" << expected.height;
    } else {
        int largest = 0, pixelsOver = 0;
        double sum = 0.0;
        for (std::size_t i = 0; i < actual.rgba.size(); i += 4) {
            int pixel = 0;
            for (std::size_t c = i; c < i + 4; c++) {
                int delta = std::abs(int(actual.rgba[c]) - int(expected.rgba[c]));
                pixel = std::max(pixel, delta);
                sum += delta;
            }
            largest = std::max(largest, pixel);
            pixelsOver += pixel > tolerance.max;
        }
        double mean = sum / double(actual.rgba.size());
        if (pixelsOver <= tolerance.pixelsOver && mean <= tolerance.mean) return ::testing::AssertionSuccess();
        failure << pixelsOver << " pixels off by more than " << tolerance.max << " (at most " << tolerance.pixelsOver
                << ", largest " << largest << "), mean " << mean << " (at most " << tolerance.mean << ")";
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
