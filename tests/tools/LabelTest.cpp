// Label's text at and past every edge of a small image: what stays inside is what the same text
// drawn into a larger image shows there, and nothing is written outside (run under the sanitizers).
#include "Label.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

TEST(Label, ClipsTextAtEveryEdgeOfTheImage) {
    const int width = 40, height = 24, margin = 64, wideWidth = width + 2 * margin;
    Label label;
    // Past the left, right, top and bottom edges and over two corners, then wholly outside.
    const int places[][2] = {{-9, 2}, {30, 2}, {4, -12}, {4, 14}, {-9, -12}, {34, 18}, {-60, 2}, {4, 40}};
    for (int k = 0; k < 8; k++) {
        std::vector<std::uint8_t> image(width * height * 4), wide(wideWidth * (height + 2 * margin) * 4), inside;
        label.draw(image, width, places[k][0], places[k][1], 20.0f, "Wg");
        label.draw(wide, wideWidth, places[k][0] + margin, places[k][1] + margin, 20.0f, "Wg");
        for (int y = margin; y < margin + height; y++)
            inside.insert(inside.end(), &wide[(y * wideWidth + margin) * 4], &wide[(y * wideWidth + margin + width) * 4]);
        EXPECT_EQ(inside, image) << "text at " << places[k][0] << ", " << places[k][1];
        EXPECT_EQ(k < 6, std::count(inside.begin(), inside.end(), 0) < int(inside.size())) << "text " << k;
    }
}
