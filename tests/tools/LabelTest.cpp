// Label's text at and past every edge of a small image: what stays inside is what the same text
// drawn into a larger image shows there, and nothing is written outside (run under the sanitizers).
#include "Label.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

TEST(Label, ClipsTextAtEveryEdgeOfTheImage) {
    const int width = 40, height = 24, margin = 64, wideWidth = width + 2 * margin;
    Label label;
    // Past the left, right, top and bottom edges and over two corners (the first six, partly
    // inside), then wholly outside.
    const int places[][2] = {{-9, 2}, {30, 2}, {4, -12}, {4, 14}, {-9, -12}, {34, 18}, {-60, 2}, {4, 40}};
    for (const auto& place : places) {
        bool partlyInside = &place - places < 6;
        SCOPED_TRACE(std::to_string(place[0]) + ", " + std::to_string(place[1]));
        std::vector<std::uint8_t> image(std::size_t(width) * height * 4, 0);
        label.draw(image, width, place[0], place[1], 20.0f, "Wg");
        std::vector<std::uint8_t> wide(std::size_t(wideWidth) * (height + 2 * margin) * 4, 0);
        label.draw(wide, wideWidth, place[0] + margin, place[1] + margin, 20.0f, "Wg");
        int covered = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width * 4; x++) {
                std::uint8_t expected = wide[(std::size_t(y + margin) * wideWidth + margin) * 4 + x];
                ASSERT_EQ(expected, image[std::size_t(y) * width * 4 + x]) << "at " << x / 4 << ", " << y;
                covered += expected != 0;
            }
        EXPECT_EQ(partlyInside, covered > 0);
    }
}
