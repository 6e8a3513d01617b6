// The "tinyplanet" program against a cube map filled the way TerrainAndCars fills it: every
// screen pixel must show the world direction that the documented projection gives it.
#include "Config.h"
#include "CubeMap.h"
#include "Matrix.h"
#include "ShaderProgram.h"
#include "Sprite.h"
#include "velmora.h"

#include "GLTest.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Vec3 = std::array<double, 3>;

const int FACE_SIZE = 128;

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

struct Params {
    float projection, size, tilt, heading;
};

// The projection as the shader documents it, for the two views checked here: the planet
// looking straight down, and the horizontal rectilinear view, both with +z at the top.
Vec3 expectedDirection(const Params& p, double x, double y) {
    double r = std::sqrt(x * x + y * y);
    if (p.tilt == 0.5f) {
        double a = 2.0 * std::atan(r / (2.0 * p.size));
        double s = r > 0 ? std::sin(a) / r : 0.0;
        return {-x * s, -std::cos(a), y * s};
    }
    double length = std::sqrt(x * x + y * y + p.size * p.size);
    return {-x / length, y / length, p.size / length};
}

struct View {
    Params params;
    int width, height;
};

// The planet and the horizon, each at a wide and a tall window, at the largest size that scales the
// projection (beyond it the picture is magnified).
const Params planet = {1.0f, 0.25f, 0.5f, float(M_PI / 2)};
const Params horizon = {0.0f, 0.25f, 1.0f, float(M_PI / 2)};
const View views[] = {{planet, 96, 54}, {planet, 40, 72}, {horizon, 96, 54}, {horizon, 40, 72}};

// Renders `view` from `cube` and returns the largest channel difference between a pixel and the
// colour of the world direction the projection gives it; screen positions are in units of half the
// shorter side, +y up.
int worstDirection(vexel::ShaderProgram* program, vexel::CubeMap& cube, const View& view) {
    const int w = view.width, h = view.height;
    Target target(w, h);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    program->use();
    program->addTexture("image", GL_TEXTURE_CUBE_MAP, cube.getID());
    program->setParam("param1", view.params.projection);
    program->setParam("param2", view.params.size);
    program->setParam("param3", view.params.tilt);
    program->setParam("param4", view.params.heading);
    vexel::Sprite().draw();
    const std::vector<std::uint8_t> pixels = target.pixels();
    const double unit = 0.5 * std::min(w, h);
    int worst = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            Vec3 d = expectedDirection(view.params, (i + 0.5 - 0.5 * w) / unit, (j + 0.5 - 0.5 * h) / unit);
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, std::abs(pixels[4 * std::size_t(j * w + i) + k] -
                                                 int(std::lround(255.0 * (0.5 + 0.5 * d[k])))));
        }
    return worst;
}

class TinyPlanetTest : public GLTest {};

TEST_F(TinyPlanetTest, EveryPixelShowsItsWorldDirectionWithoutSeams) {
    // The show's sky dome, centred on the eye, drawn into each face through TerrainAndCars' camera
    // for it, with the eye where the scene puts it while the planet grows.
    const std::array<double, 3> eye = planetTimetable(20.0).pos;
    vexel::Config show("config.txt");
    vexel::CubeMap cube(FACE_SIZE, 64, 64);
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

    vexel::ShaderProgram* program = show.getShader("tinyplanet");
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    for (const View& view : views)
        EXPECT_LE(worstDirection(program, cube, view), 4) << view.width << "x" << view.height << " tilt " << view.params.tilt;
    glDisable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
}

} // namespace
