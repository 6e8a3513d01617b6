// Images decoded and uploaded by Texture, read back by sampling them into a framebuffer.
#include "Capture.h"
#include "GLTest.h"
#include "LinkProgram.h"
#include "TempDir.h"
#include "Texture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* coverVertex = "#version 410 core\n"
                          "void main() {\n"
                          "    vec2 corner = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);\n"
                          "    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);\n"
                          "}\n";

// Framebuffer row y shows image row y: the first decoded row is texture row 0.
const char* fetchFragment = "#version 410 core\n"
                            "uniform sampler2D image;\n"
                            "out vec4 color;\n"
                            "void main() { color = texelFetch(image, ivec2(gl_FragCoord.xy), 0); }\n";

// Samples each texel's centre shifted by whole texture widths and heights, so only repeat wrapping finds it.
const char* shiftedFragment = "#version 410 core\n"
                              "uniform sampler2D image;\n"
                              "out vec4 color;\n"
                              "void main() {\n"
                              "    vec2 centre = gl_FragCoord.xy / vec2(textureSize(image, 0));\n"
                              "    color = texture(image, centre + vec2(2.0, -3.0));\n"
                              "}\n";

using Pixels = std::vector<std::uint8_t>;

struct Image {
    int width, height, channels;
    Pixels data;
};

// Distinct values in every channel of every pixel.
Image pattern(int width, int height, int channels) {
    Image image{width, height, channels, Pixels(std::size_t(width) * height * channels)};
    for (std::size_t i = 0; i < image.data.size(); i++) image.data[i] = std::uint8_t(17 + i * 29);
    return image;
}

// What sampling the texture gives for each pixel, RGBA.
using Expect = std::vector<std::uint8_t> (*)(const std::uint8_t* pixel);

class TextureTest : public GLTest {
protected:
    TempDir dir;

    std::string writePng(const std::string& name, const Image& image) {
        std::string path = dir.path(name);
        EXPECT_TRUE(stbi_write_png(path.c_str(), image.width, image.height, image.channels, image.data.data(),
                                   image.width * image.channels));
        return path;
    }

    // Draws the texture through `fragment` into a framebuffer of the image's size and reads it back.
    Pixels sample(GLuint texture, int width, int height, const char* fragment) {
        GLuint program = linkProgram(coverVertex, fragment);
        GLuint vao = 0;
        glGenVertexArrays(1, &vao);
        GLuint target = makeTarget(width, height);
        glUseProgram(program);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBindVertexArray(vao);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        Pixels pixels = readPixels(width, height);
        glBindVertexArray(0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glUseProgram(0);
        freeTarget(target);
        glDeleteVertexArrays(1, &vao);
        glDeleteProgram(program);
        return pixels;
    }

    void expectSampled(const Image& image, Expect expect, const char* fragment = fetchFragment) {
        std::string path = writePng("image.png", image);
        vexel::Texture texture(path.c_str());
        ASSERT_EQ(image.width, texture.getWidth());
        ASSERT_EQ(image.height, texture.getHeight());
        Pixels pixels = sample(texture.getTexID(), image.width, image.height, fragment);
        GLuint name = texture.getTexID();
        glDeleteTextures(1, &name);

        for (int i = 0; i < image.width * image.height; i++) {
            std::vector<std::uint8_t> wanted = expect(&image.data[i * image.channels]);
            for (int c = 0; c < 4; c++)
                EXPECT_NEAR(wanted[c], pixels[i * 4 + c], 1) << "pixel " << i << " channel " << c;
        }
    }
};

TEST_F(TextureTest, RowsOfAnyLengthUploadWhole) {
    GLint before = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    expectSampled(pattern(5, 3, 3), [](const std::uint8_t* p) { return std::vector<std::uint8_t>{p[0], p[1], p[2], 255}; });
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &before);
    EXPECT_EQ(8, before) << "the unpack alignment is restored";
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

TEST_F(TextureTest, ChannelCountsChooseTheirPixelFormats) {
    expectSampled(pattern(3, 2, 4), [](const std::uint8_t* p) { return std::vector<std::uint8_t>{p[0], p[1], p[2], p[3]}; });
    expectSampled(pattern(7, 3, 2), [](const std::uint8_t* p) { return std::vector<std::uint8_t>{p[0], p[0], p[0], p[1]}; });
    expectSampled(pattern(3, 5, 1), [](const std::uint8_t* p) { return std::vector<std::uint8_t>{p[0], 0, 0, 255}; });
}

TEST_F(TextureTest, CoordinatesOutsideTheUnitSquareRepeatTheImage) {
    expectSampled(pattern(4, 4, 4), [](const std::uint8_t* p) { return std::vector<std::uint8_t>{p[0], p[1], p[2], p[3]}; },
                  shiftedFragment);
}

TEST_F(TextureTest, AnUnreadableImageIsReportedAndStillHasAName) {
    std::string missing = dir.path("absent.png");
    std::string garbage = dir.write("garbage.png", "this is no image");
    for (const std::string& path : {missing, garbage}) {
        GLuint name = 0;
        std::string output = captureStdout([&] { name = vexel::Texture(path.c_str()).getTexID(); });
        EXPECT_NE(0u, name);
        std::string start = "cannot load texture " + path + ": ";
        EXPECT_EQ(0u, output.find(start)) << output;
        EXPECT_GT(output.size(), start.size() + 1) << "stb_image's reason follows";
        EXPECT_EQ(output.size() - 1, output.find('\n')) << "one line";
        glDeleteTextures(1, &name);
    }
}

} // namespace
