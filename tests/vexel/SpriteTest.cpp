// The screen quad: coverage of the viewport and the orientation of its texture coordinates.
#include "GLTest.h"

namespace {

const int width = 37;
const int height = 23;

class SpriteTest : public GLTest {};

TEST_F(SpriteTest, ADrawCoversEveryPixelExactlyOnce) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    std::vector<std::uint8_t> pixels = drawQuad("#version 410 core\nout vec4 color;\n"
                                                "void main() { color = vec4(0.25); }\n", width, height);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_BLEND);
    EXPECT_EQ(std::vector<std::uint8_t>(pixels.size(), 64), pixels) << "0 = missed, 128 = drawn twice";
}

TEST_F(SpriteTest, TextureCoordinatesRunFromTopLeftToBottomRight) {
    std::vector<std::uint8_t> pixels = drawQuad("#version 410 core\nin vec2 uv;\nout vec4 color;\n"
                                                "void main() { color = vec4(uv, 0.0, 1.0); }\n", width, height);
    const double pixelStep = 255.0 / height + 1.0;
    // s grows to the right, t downwards from 0 at the top edge.
    for (int corner = 0; corner < 4; corner++) {
        int right = corner % 2, bottom = corner / 2;
        const std::uint8_t* p = &pixels[((bottom ? 0 : height - 1) * width + right * (width - 1)) * 4];
        EXPECT_NEAR(255 * right, p[0], pixelStep) << "corner " << corner;
        EXPECT_NEAR(255 * bottom, p[1], pixelStep) << "corner " << corner;
    }
}

} // namespace
