// The "tinyplanet" program in windows of other shapes than the show's frames: a wide and a tall
// window show the same picture where they overlap, so the planet stays round and centred. The
// projection itself shows in the planet scene's reference frames.
#include "Config.h"
#include "CubeMap.h"
#include "ShaderProgram.h"
#include "Sprite.h"

#include "GLTest.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The planet looking straight down at the largest size that scales it, drawn from `cube`.
std::vector<std::uint8_t> planet(vexel::ShaderProgram* program, vexel::CubeMap& cube, int width, int height) {
    Target target(width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    program->use();
    program->addTexture("image", GL_TEXTURE_CUBE_MAP, cube.getID());
    program->setParam("param1", 1.0f);
    program->setParam("param2", 0.25f);
    program->setParam("param3", 0.5f);
    program->setParam("param4", 1.5f);
    vexel::Sprite().draw();
    return target.pixels();
}

class TinyPlanetTest : public GLTest {};

TEST_F(TinyPlanetTest, WideAndTallWindowsShowTheSamePictureInTheirCommonSquare) {
    // Each face a colour of its own: the edges between them cross the picture as curves and
    // radial lines, which move with any error of scale or centre.
    vexel::Config show("config.txt");
    vexel::CubeMap cube(128, 64, 64);
    cube.setAsRendertarget();
    for (int f = 0; f < 6; ++f) {
        cube.setSide(f);
        glClearColor(float(f & 1), f / 2 * 0.4f, float(f == 5), 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    cube.unset();

    // The common square is the whole shorter side of each, offset by 21 pixels in the longer.
    const int side = 54, longer = 96, offset = (longer - side) / 2;
    const std::vector<std::uint8_t> wide = planet(show.getShader("tinyplanet"), cube, longer, side),
                                    tall = planet(show.getShader("tinyplanet"), cube, side, longer);
    int worst = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(wide[4 * std::size_t(y * longer + x + offset) + c] -
                                                 tall[4 * std::size_t((y + offset) * side + x) + c]));
    EXPECT_LE(worst, 2);
}

} // namespace
