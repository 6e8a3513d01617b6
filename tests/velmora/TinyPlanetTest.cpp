// The "tinyplanet" program in windows of other shapes than the show's frames: a wide and a tall
// window show the same picture where they overlap, so the planet stays round and centred. The
// projection itself shows in the planet scene's reference frames.
#include "Config.h"
#include "CubeMap.h"
#include "Matrix.h"
#include "ShaderProgram.h"
#include "Sprite.h"
#include "velmora.h"

#include "GLTest.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Colours a surface around the eye with the world direction it lies in: 0.5 + 0.5 d.
const char* boxVertex = R"(#version 410 core
layout(location = 0) in vec3 position;
uniform mat4 pmatrix;
out vec3 direction;
void main() { direction = position; gl_Position = pmatrix * vec4(position, 1.0); }
)";
const char* boxFragment = R"(#version 410 core
in vec3 direction;
out vec4 colour;
void main() { colour = vec4(0.5 + 0.5 * normalize(direction), 1.0); }
)";

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
    // The show's sky dome, centred on the eye, drawn into each face through TerrainAndCars' camera
    // for it, with the eye where the scene puts it while the planet grows.
    const std::array<double, 3> eye = planetTimetable(20.0).pos;
    vexel::Config show("config.txt");
    vexel::CubeMap cube(128, 64, 64);
    GLuint box = linkProgram(boxVertex, boxFragment);
    glUseProgram(box);
    vexel::Matrix place, projection;
    place.translate(eye[0], eye[1], eye[2]);
    projection.perspective(90.0, 1.0, 0.1, 1500.0);
    cube.setAsRendertarget();
    for (int f = 0; f < 6; ++f) {
        cube.setSide(f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        vexel::Matrix camera = cubeFaceCamera(eye, f), view = camera * projection;
        glUniformMatrix4fv(glGetUniformLocation(box, "pmatrix"), 1, GL_FALSE, (place * view).matrix());
        show.getModel("skybox")->draw();
    }
    cube.unset();
    glDeleteProgram(box);

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
