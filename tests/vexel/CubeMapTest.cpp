#include "CubeMap.h"

#include "Capture.h"
#include "GLTest.h"

#include <array>
#include <cstdio>
#include <memory>

using vexel::CubeMap;

namespace {

// Pixel column i of a 6 x 1 target looks along the axis of face i.
const char* axisProbe = R"(#version 410 core
uniform samplerCube cube;
out vec4 colour;
const vec3 axes[6] = vec3[](vec3(1, 0, 0), vec3(-1, 0, 0), vec3(0, 1, 0),
                            vec3(0, -1, 0), vec3(0, 0, 1), vec3(0, 0, -1));
void main() { colour = texture(cube, axes[int(gl_FragCoord.x)]); }
)";

const std::array<std::array<int, 3>, 6> faceColours = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};

std::array<GLint, 5> framebufferAndViewport() {
    std::array<GLint, 5> state{};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &state[0]);
    glGetIntegerv(GL_VIEWPORT, &state[1]);
    return state;
}

GLint colourAttachment(GLenum pname) {
    GLint value = -1;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, pname, &value);
    return value;
}

class CubeMapTest : public GLTest {};

TEST_F(CubeMapTest, EachFaceIsDrawnAndSampledAlongItsOwnAxis) {
    std::unique_ptr<CubeMap> target;
    EXPECT_EQ("", captureStdout([&] { target = std::make_unique<CubeMap>(8, 64, 48); }));
    glViewport(3, 4, 5, 6);
    target->setAsRendertarget();
    std::array<GLint, 5> faceState = framebufferAndViewport();
    EXPECT_NE(0, faceState[0]);
    EXPECT_EQ((std::array<GLint, 5>{faceState[0], 0, 0, 8, 8}), faceState);
    for (int side = 0; side < 6; ++side) {
        target->setSide(side);
        const auto& c = faceColours[side];
        glClearColor(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    EXPECT_EQ(GLint(target->getID()), colourAttachment(GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME));
    EXPECT_EQ(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, colourAttachment(GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_CUBE_MAP_FACE));
    EXPECT_EQ(GLenum(GL_FRAMEBUFFER_COMPLETE), glCheckFramebufferStatus(GL_FRAMEBUFFER));
    target->unset();
    EXPECT_EQ((std::array<GLint, 5>{0, 0, 0, 64, 48}), framebufferAndViewport());

    auto pixels = drawQuad(axisProbe, 6, 1, [&] { glBindTexture(GL_TEXTURE_CUBE_MAP, target->getID()); });
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    for (int side = 0; side < 6; ++side)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(faceColours[side][k], pixels[4 * side + k]) << "face " << side << " channel " << k;
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
    EXPECT_EQ(0, framebufferAndViewport()[0]);
}

} // namespace
