#include "CubeMap.h"
#include "Sprite.h"

#include "Capture.h"
#include "GLTest.h"
#include "LinkProgram.h"

#include <array>
#include <cstdio>
#include <memory>

using vexel::CubeMap;

namespace {

const char* quadVertex = R"(#version 410 core
layout(location = 0) in vec2 position;
void main() { gl_Position = vec4(position, 0.0, 1.0); }
)";

// Pixel column i of a 6 x 1 target looks along the axis of face i.
const char* axisProbe = R"(#version 410 core
uniform samplerCube cube;
out vec4 colour;
const vec3 axes[6] = vec3[](vec3(1, 0, 0), vec3(-1, 0, 0), vec3(0, 1, 0),
                            vec3(0, -1, 0), vec3(0, 0, 1), vec3(0, 0, -1));
void main() { colour = texture(cube, axes[int(gl_FragCoord.x)]); }
)";

// One distinct colour per face, in face order.
const std::array<std::array<int, 3>, 6> faceColours = {{
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

GLint boundFramebuffer() {
    GLint fbo = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &fbo);
    return fbo;
}

GLint colourAttachment(GLenum pname) {
    GLint value = -1;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, pname, &value);
    return value;
}

} // namespace

class CubeMapTest : public GLTest {};

TEST_F(CubeMapTest, EachFaceIsSampledAlongItsOwnAxis) {
    std::unique_ptr<CubeMap> target;
    EXPECT_EQ("", captureStdout([&] { target = std::make_unique<CubeMap>(8, 64, 48); }));

    target->setAsRendertarget();
    for (int side = 0; side < 6; ++side) {
        target->setSide(side);
        const auto& c = faceColours[side];
        glClearColor(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    target->unset();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    GLuint probeTarget = makeTarget(6, 1);
    GLuint program = linkProgram(quadVertex, axisProbe);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, target->getID());
    glUniform1i(glGetUniformLocation(program, "cube"), 0);
    vexel::Sprite quad;
    quad.draw();
    std::vector<std::uint8_t> pixels = readPixels(6, 1);

    for (int side = 0; side < 6; ++side) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(faceColours[side][k], pixels[4 * side + k]) << "face " << side << " channel " << k;
        }
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glUseProgram(0);
    glDeleteProgram(program);
    freeTarget(probeTarget);
}

TEST_F(CubeMapTest, SwitchesFramebufferAndViewportBetweenFaceAndWindow) {
    CubeMap target(16, 320, 200);
    glViewport(3, 4, 5, 6);

    target.setAsRendertarget();
    EXPECT_NE(0, boundFramebuffer());
    EXPECT_EQ((std::array<GLint, 4>{0, 0, 16, 16}), viewport());

    target.setSide(5);
    EXPECT_EQ(GLint(target.getID()), colourAttachment(GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME));
    EXPECT_EQ(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z,
              colourAttachment(GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_CUBE_MAP_FACE));
    EXPECT_EQ(GLenum(GL_FRAMEBUFFER_COMPLETE), glCheckFramebufferStatus(GL_FRAMEBUFFER));

    target.unset();
    EXPECT_EQ(0, boundFramebuffer());
    EXPECT_EQ((std::array<GLint, 4>{0, 0, 320, 200}), viewport());
}

TEST_F(CubeMapTest, ReportsAnIncompleteTargetWithItsStatus) {
    // Faces of size 0 have no image, so the colour attachment is incomplete.
    std::string out = captureStdout([] { CubeMap target(0, 64, 64); });
    int status = 0;
    char tail = 0;
    ASSERT_EQ(2, std::sscanf(out.c_str(), "CubeMap not complete %d%c", &status, &tail)) << out;
    EXPECT_EQ('\n', tail);
    EXPECT_EQ(out.find('\n') + 1, out.size()) << "one line only: " << out;
    EXPECT_NE(GL_FRAMEBUFFER_COMPLETE, status);
    EXPECT_NE(0, status);
    EXPECT_EQ(0, boundFramebuffer());
}
