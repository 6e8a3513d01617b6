// The screen quad: coverage of the viewport and the orientation of its texture coordinates.
#include "GLTest.h"

namespace {

class SpriteTest : public GLTest {};

// Added up, a quarter in blue shows every pixel drawn exactly once (0 = missed, 128 = twice);
// red and green show s growing to the right and t downwards from 0 at the top edge.
TEST_F(SpriteTest, ADrawCoversEveryPixelOnceWithCoordinatesFromTopLeftToBottomRight) {
    const int width = 37, height = 23;
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    std::vector<std::uint8_t> pixels = drawQuad("#version 410 core\nin vec2 uv;\nout vec4 color;\n"
                                                "void main() { color = vec4(uv, 0.25, 0.25); }\n", width, height);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_BLEND);
    for (int i = 0; i < width * height; i++) ASSERT_EQ(64, pixels[4 * i + 2]) << "pixel " << i;
    const double pixelStep = 255.0 / height + 1.0;
    for (int corner = 0; corner < 4; corner++) {
        int right = corner % 2, bottom = corner / 2;
        const std::uint8_t* p = &pixels[((bottom ? 0 : height - 1) * width + right * (width - 1)) * 4];
        EXPECT_NEAR(255 * right, p[0], pixelStep) << "corner " << corner;
        EXPECT_NEAR(255 * bottom, p[1], pixelStep) << "corner " << corner;
    }
}

} // namespace
