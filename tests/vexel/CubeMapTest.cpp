// The cube-map target: six faces drawn one at a time and sampled along their axes.
#include "CubeMap.h"

#include "Capture.h"
#include "GLTest.h"

#include <array>
#include <memory>
#include <string>

using vexel::CubeMap;

namespace {

// Pixel column i of a 6 x 1 target looks along the axis of face i.
const char* axisProbe = "#version 410 core\nuniform samplerCube cube;\nout vec4 colour;\n"
                        "const vec3 axes[6] = vec3[](vec3(1, 0, 0), vec3(-1, 0, 0), vec3(0, 1, 0), vec3(0, -1, 0),\n"
                        "                            vec3(0, 0, 1), vec3(0, 0, -1));\n"
                        "void main() { colour = texture(cube, axes[int(gl_FragCoord.x)]); }\n";

const std::array<std::array<int, 3>, 6> faceColours = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};

std::array<GLint, 5> framebufferAndViewport() {
    std::array<GLint, 5> state{};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &state[0]);
    glGetIntegerv(GL_VIEWPORT, &state[1]);
    return state;
}

class CubeMapTest : public GLTest {};

TEST_F(CubeMapTest, EachFaceIsDrawnAndSampledAlongItsOwnAxis) {
    std::unique_ptr<CubeMap> target;
    EXPECT_EQ("", captureStdout([&] { target = std::make_unique<CubeMap>(8, 64, 48); }));
    glViewport(3, 4, 5, 6);
    target->setAsRendertarget();
    std::array<GLint, 5> faceState = framebufferAndViewport();
    EXPECT_NE(0, faceState[0]);
    EXPECT_EQ((std::array<GLint, 5>{faceState[0], 0, 0, 8, 8}), faceState) << "the viewport covers a face";
    for (int side = 0; side < 6; ++side) {
        target->setSide(side);
        const auto& c = faceColours[side];
        glClearColor(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
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
    EXPECT_EQ("CubeMap not complete " + std::to_string(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT) + "\n",
              captureStdout([] { CubeMap target(0, 64, 64); }));
    EXPECT_EQ(0, framebufferAndViewport()[0]);
}

} // namespace
