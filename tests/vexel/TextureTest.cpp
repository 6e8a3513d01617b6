// Images decoded and uploaded by Texture, read back by sampling them into a framebuffer.
#include "Capture.h"
#include "GLTest.h"
#include "TempDir.h"
#include "Texture.h"

#include <stb_image_write.h>

#include <array>
#include <string>

namespace {

// Framebuffer row y shows image row y: the first decoded row is texture row 0.
const char* fetchFragment = "#version 410 core\nuniform sampler2D image;\nout vec4 color;\n"
                            "void main() { color = texelFetch(image, ivec2(gl_FragCoord.xy), 0); }\n";

// Samples each texel's centre shifted by whole texture widths and heights, so only repeat wrapping finds it.
const char* shiftedFragment = "#version 410 core\nuniform sampler2D image;\nout vec4 color;\n"
                              "void main() { color = texture(image, gl_FragCoord.xy / vec2(textureSize(image, 0))"
                              " + vec2(2.0, -3.0)); }\n";

// What sampling gives for a pixel of `channels` values p: RGBA, each entry an index into p or a constant.
using Layout = std::array<int, 4>;
const int zero = -1, full = -2;

class TextureTest : public GLTest {
protected:
    TempDir dir;

    // Writes a PNG with distinct values in every channel of every pixel, loads it through Texture and
    // compares what sampling it through `fragment` gives with `layout`.
    void expectSampled(int width, int height, int channels, Layout layout, const char* fragment = fetchFragment) {
        std::vector<std::uint8_t> data(std::size_t(width) * height * channels);
        for (std::size_t i = 0; i < data.size(); i++) data[i] = std::uint8_t(17 + i * 29);
        std::string path = dir.path("image.png");
        ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, channels, data.data(), width * channels));
        vexel::Texture texture(path.c_str());
        GLuint name = texture.getTexID();
        auto pixels = drawQuad(fragment, width, height, [&] { glBindTexture(GL_TEXTURE_2D, name); });
        glDeleteTextures(1, &name);
        for (int i = 0; i < width * height; i++)
            for (int c = 0; c < 4; c++) {
                int wanted = layout[c] == zero ? 0 : layout[c] == full ? 255 : data[i * channels + layout[c]];
                EXPECT_NEAR(wanted, pixels[i * 4 + c], 1) << channels << " channels, pixel " << i << ", channel " << c;
            }
    }
};

TEST_F(TextureTest, RowsOfAnyLengthUploadWholeInEveryChannelCountAndRepeat) {
    expectSampled(5, 3, 3, {0, 1, 2, full});
    expectSampled(7, 3, 2, {0, 0, 0, 1});
    expectSampled(3, 5, 1, {0, zero, zero, full});
    expectSampled(4, 4, 4, {0, 1, 2, 3}, shiftedFragment);
}

// The reason is stb_image's.
TEST_F(TextureTest, AnUnreadableImageIsReportedAndStillHasAName) {
    std::string path = dir.path("absent.png");
    GLuint name = 0;
    EXPECT_EQ("cannot load texture " + path + ": can't fopen\n",
              captureStdout([&] { name = vexel::Texture(path.c_str()).getTexID(); }));
    EXPECT_NE(0u, name);
    glDeleteTextures(1, &name);
}

TEST_F(TextureTest, AReloadFillsTheSameNameAndAFailedOneKeepsThePixels) {
    const std::uint8_t greyAlpha[2] = {40, 200}, colour[3] = {10, 20, 30};
    std::string path = dir.path("reload.png");
    ASSERT_TRUE(stbi_write_png(path.c_str(), 1, 1, 2, greyAlpha, 2));
    GLuint name = vexel::Texture(path.c_str()).getTexID();
    auto sample = [&] { return drawQuad(fetchFragment, 1, 1, [&] { glBindTexture(GL_TEXTURE_2D, name); }); };

    ASSERT_TRUE(stbi_write_png(path.c_str(), 1, 1, 3, colour, 3));
    std::string error;
    EXPECT_TRUE(vexel::Texture::reload(name, path.c_str(), error)) << error;
    EXPECT_EQ((std::vector<std::uint8_t>{10, 20, 30, 255}), sample()) << "the grey-alpha swizzle went with the image";

    EXPECT_FALSE(vexel::Texture::reload(name, dir.path("absent.png").c_str(), error));
    EXPECT_EQ(0u, error.find("cannot load texture " + dir.path("absent.png"))) << error;
    EXPECT_EQ((std::vector<std::uint8_t>{10, 20, 30, 255}), sample());
    glDeleteTextures(1, &name);
}

} // namespace
