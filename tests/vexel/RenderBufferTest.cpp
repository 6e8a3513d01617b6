// The post-processing target: two colour textures and depth rendered, then sampled by name.
#include "RenderBuffer.h"

#include "GLTest.h"
#include "TempDir.h"

using vexel::RenderBuffer;

namespace {

// The scene pass writes a different colour to each target; depth comes out as 0.75.
const char* twoTargets = "#version 410 core\nlayout(location = 0) out vec4 first;\nlayout(location = 1) out vec4 second;\n"
                         "void main() { first = vec4(1.0, 0.0, 0.0, 1.0); second = vec4(0.0, 0.0, 1.0, 1.0); }\n";

// Red from color0, green from color1's blue, blue from the depth texture.
const char* combine = "#version 410 core\nuniform sampler2D color0, color1, depth;\nin vec2 uv;\nout vec4 colour;\n"
                      "void main() { colour = vec4(texture(color0, uv).r, texture(color1, uv).b, texture(depth, uv).r, 1.0); }\n";

class RenderBufferTest : public GLTest {
protected:
    void SetUp() override {
        post.addShader(dir.write("post.vert", spriteVertex).c_str(), GL_VERTEX_SHADER);
        post.addShader(dir.write("post.frag", combine).c_str(), GL_FRAGMENT_SHADER);
        post.compile();
    }
    void TearDown() override {
        glUseProgram(0);
        glDisable(GL_DEPTH_TEST);
    }

    TempDir dir;
    vexel::ShaderProgram post;
};

// Every pixel of the second pass shows both colour targets and the depth of the first, so each
// sampler found its texture, and the first pass covered the whole target.
TEST_F(RenderBufferTest, SecondPassSamplesBothColourTargetsAndDepth) {
    const int size = 8;
    RenderBuffer target(size, size, 0, 2, true);
    ASSERT_FALSE(target.getError());
    target.addShader(&post);
    GLuint scene = linkProgram(spriteVertex, twoTargets);
    glViewport(1, 2, 3, 4);
    target.firstPass();
    glUseProgram(scene);
    vexel::Sprite().draw();
    target.secondPass();
    Target window(size, size);
    target.draw();
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < size * size; ++i) expected.insert(expected.end(), {255, 255, 191, 255});
    EXPECT_EQ(expected, window.pixels());
    glDeleteProgram(scene);
}

TEST_F(RenderBufferTest, WithoutDepthOnlyColourSamplersAreSetAndDestructionReleasesAll) {
    GLuint colour = 0, fbo = 0, id = post.getProgramID();
    {
        RenderBuffer target(4, 4, 0, 1, false);
        colour = target.getRenderTexture(0);
        fbo = target.getFramebuffer();
        EXPECT_TRUE(glIsTexture(colour) && glIsFramebuffer(fbo));
        EXPECT_EQ(0u, target.getRenderTexture(1)) << "one past the end: ASan stops a read there";

        // Were "depth" handed a unit, it would be unit 1, the one after color0.
        post.use();
        glUniform1i(glGetUniformLocation(id, "depth"), 7);
        target.addShader(&post);
        target.secondPass();
        EXPECT_EQ(0, uniformInt(id, "color0"));
        EXPECT_EQ(7, uniformInt(id, "depth"));
    }
    EXPECT_FALSE(glIsTexture(colour));
    EXPECT_FALSE(glIsFramebuffer(fbo));
}

} // namespace
