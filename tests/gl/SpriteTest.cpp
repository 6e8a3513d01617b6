// The screen quad: coverage of the viewport and the orientation of its texture coordinates.
#include "GLTest.h"
#include "LinkProgram.h"
#include "Sprite.h"

#include <cstdint>
#include <vector>

namespace {

const int width = 37;
const int height = 23;

const char* quadVertex = "#version 410 core\n"
                         "layout(location = 0) in vec2 position;\n"
                         "layout(location = 1) in vec2 texcoord;\n"
                         "out vec2 uv;\n"
                         "void main() { uv = texcoord; gl_Position = vec4(position, 0.0, 1.0); }\n";

const char* quarterFragment = "#version 410 core\n"
                              "out vec4 color;\n"
                              "void main() { color = vec4(0.25); }\n";

const char* texcoordFragment = "#version 410 core\n"
                               "in vec2 uv;\n"
                               "out vec4 color;\n"
                               "void main() { color = vec4(uv, 0.0, 1.0); }\n";

class SpriteTest : public GLTest {
protected:
    // Clears a width x height target to zero, draws the quad once with `fragment` and reads it back.
    std::vector<std::uint8_t> drawQuad(const char* fragment) {
        GLuint program = linkProgram(quadVertex, fragment);
        GLuint target = makeTarget(width, height);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        vexel::Sprite quad;
        EXPECT_NE(0u, quad.getVAO());
        quad.draw();
        std::vector<std::uint8_t> pixels = readPixels(width, height);
        glBindVertexArray(0);
        glUseProgram(0);
        freeTarget(target);
        glDeleteProgram(program);
        return pixels;
    }
};

TEST_F(SpriteTest, ADrawCoversEveryPixelExactlyOnce) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    std::vector<std::uint8_t> pixels = drawQuad(quarterFragment);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_BLEND);

    int wrong = 0;
    for (std::uint8_t value : pixels) wrong += value != 64;
    EXPECT_EQ(0, wrong) << "channels not written exactly once (0 = missed, 128 = twice)";
}

TEST_F(SpriteTest, TextureCoordinatesRunFromTopLeftToBottomRight) {
    std::vector<std::uint8_t> pixels = drawQuad(texcoordFragment);
    auto at = [&](int x, int yFromTop, int channel) { return pixels[((height - 1 - yFromTop) * width + x) * 4 + channel]; };
    const double pixelStep = 255.0 / height + 1.0;

    EXPECT_NEAR(0, at(0, 0, 0), pixelStep);
    EXPECT_NEAR(0, at(0, 0, 1), pixelStep);
    EXPECT_NEAR(255, at(width - 1, height - 1, 0), pixelStep);
    EXPECT_NEAR(255, at(width - 1, height - 1, 1), pixelStep);
    EXPECT_NEAR(255, at(width - 1, 0, 0), pixelStep);
    EXPECT_NEAR(0, at(width - 1, 0, 1), pixelStep);
    EXPECT_NEAR(0, at(0, height - 1, 0), pixelStep);
    EXPECT_NEAR(255, at(0, height - 1, 1), pixelStep);
}

} // namespace
