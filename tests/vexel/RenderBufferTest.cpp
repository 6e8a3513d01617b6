#include "RenderBuffer.h"
#include "ShaderProgram.h"

#include "Capture.h"
#include "GLTest.h"
#include "TempDir.h"

#include <memory>
#include <utility>

using vexel::RenderBuffer;
using vexel::ShaderProgram;

namespace {

// The scene pass writes a different colour to each target; depth comes out as 0.75.
const char* twoTargets = R"(#version 410 core
layout(location = 0) out vec4 first;
layout(location = 1) out vec4 second;
void main() { first = vec4(1.0, 0.0, 0.0, 1.0); second = vec4(0.0, 0.0, 1.0, 1.0); }
)";

// Red from color0, green from color1's blue, blue from the depth texture.
const char* combine = R"(#version 410 core
uniform sampler2D color0;
uniform sampler2D color1;
uniform sampler2D depth;
in vec2 uv;
out vec4 colour;
void main() { colour = vec4(texture(color0, uv).r, texture(color1, uv).b, texture(depth, uv).r, 1.0); }
)";

class RenderBufferTest : public GLTest {
protected:
    void SetUp() override {
        post.addShader(dir.write("post.vert", spriteVertex).c_str(), GL_VERTEX_SHADER);
        post.addShader(dir.write("post.frag", combine).c_str(), GL_FRAGMENT_SHADER);
        post.compile();
    }
    void TearDown() override {
        glUseProgram(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_DEPTH_TEST);
    }

    GLint samplerUnit(const char* name) {
        GLint unit = -1;
        glGetUniformiv(post.getProgramID(), glGetUniformLocation(post.getProgramID(), name), &unit);
        return unit;
    }

    TempDir dir;
    ShaderProgram post;
};

TEST_F(RenderBufferTest, SecondPassSamplesBothColourTargetsAndDepth) {
    const int size = 8;
    RenderBuffer target(size, size, 0, 2, true);
    ASSERT_FALSE(target.getError());
    target.addShader(&post);

    GLuint scene = linkProgram(spriteVertex, twoTargets);
    vexel::Sprite quad;
    glViewport(1, 2, 3, 4); // firstPass must cover the whole render size
    target.firstPass();
    glUseProgram(scene);
    quad.draw();

    target.secondPass();
    for (auto [name, unit] : {std::pair{"color0", 0}, {"color1", 1}, {"depth", 2}}) EXPECT_EQ(unit, samplerUnit(name));
    GLint depthOnUnit2 = 0;
    glActiveTexture(GL_TEXTURE2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &depthOnUnit2);
    EXPECT_EQ(GLint(target.getDepth()), depthOnUnit2);
    glActiveTexture(GL_TEXTURE0);

    GLuint window = makeTarget(size, size);
    target.draw();
    std::vector<std::uint8_t> pixels = readPixels(size, size);
    for (int i = 0; i < size * size; ++i) {
        ASSERT_EQ(255, pixels[4 * i]) << "pixel " << i;
        ASSERT_EQ(255, pixels[4 * i + 1]) << "pixel " << i;
        ASSERT_NEAR(191, pixels[4 * i + 2], 1) << "pixel " << i;
    }
    freeTarget(window);
    glDeleteProgram(scene);
}

TEST_F(RenderBufferTest, WithoutDepthOnlyColourSamplersAreSetAndDestructionReleasesAll) {
    GLuint colour = 0, fbo = 0;
    {
        RenderBuffer target(4, 4, 0, 1, false);
        EXPECT_FALSE(target.getError());
        EXPECT_EQ(0u, target.getDepth());
        colour = target.getRenderTexture(0);
        fbo = target.getFramebuffer();
        EXPECT_TRUE(glIsTexture(colour));
        EXPECT_EQ(0u, target.getRenderTexture(1));
        EXPECT_EQ(0u, target.getRenderTexture(-1));

        // Were "depth" handed a unit, it would be unit 1, the one after color0.
        post.use();
        glUniform1i(glGetUniformLocation(post.getProgramID(), "depth"), 7);
        target.addShader(&post);
        target.secondPass();
        EXPECT_EQ(0, samplerUnit("color0"));
        EXPECT_EQ(7, samplerUnit("depth"));
    }
    EXPECT_FALSE(glIsTexture(colour));
    EXPECT_FALSE(glIsFramebuffer(fbo));
}

TEST_F(RenderBufferTest, ReportsASizeTheDriverRejects) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    std::unique_ptr<RenderBuffer> target;
    std::string out = captureStdout([&] { target = std::make_unique<RenderBuffer>(largest + 1, 1, 0, 1, true); });
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ("Render to texture initialization failed\n", out);
    EXPECT_TRUE(target->getError());
    GLint fbo = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &fbo);
    EXPECT_EQ(0, fbo);
    GLuint depth = target->getDepth();
    target.reset();
    EXPECT_FALSE(glIsTexture(depth)) << "the depth texture is released with the target";
}

} // namespace
