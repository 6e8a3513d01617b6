// The "tinyplanet" program against a cube map filled the way TerrainAndCars fills it: every
// screen pixel must show the world direction that the documented projection gives it.
#include "CubeMap.h"
#include "Matrix.h"
#include "ShaderProgram.h"
#include "Sprite.h"

#include "Capture.h"
#include "GLTest.h"
#include "LinkProgram.h"
#include "Triangles.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Vec3 = std::array<double, 3>;

const double PI = 3.14159265358979;
const int FACE_SIZE = 128;

// TerrainAndCars' eye point and face cameras.
double eye[3] = {0.11, 4.0, 24.0};
double sides[6][3] = {{-10, 0, 0}, {10, 0, 0}, {0, -27, 0}, {0, 27, 0}, {0, 0, 40}, {0, 0, -10}};
double ups[6][3] = {{0, 1, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, 1, 0}};

// A unit box around the eye whose colour encodes the world direction: 0.5 + 0.5 d.
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

std::vector<float> boxTriangles() {
    std::vector<float> v;
    for (int axis = 0; axis < 3; ++axis)
        for (float sign : {-1.0f, 1.0f}) {
            float quad[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
            for (auto& corner : quad) {
                float p[3];
                p[axis] = sign;
                p[(axis + 1) % 3] = corner[0];
                p[(axis + 2) % 3] = corner[1];
                v.insert(v.end(), p, p + 3);
            }
        }
    return v;
}

Vec3 normalized(Vec3 v) {
    double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

// Index of the world axis direction (face order +x, -x, +y, -y, +z, -z) closest to d.
int dominantAxis(const Vec3& d) {
    int axis = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(d[i]) > std::fabs(d[axis])) axis = i;
    return 2 * axis + (d[axis] < 0 ? 1 : 0);
}

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
    return normalized({-x / p.size, y / p.size, 1.0});
}

// Screen position in units of half the shorter side, +y up, for pixel (i, j) of a w x h target.
void screenPoint(int i, int j, int w, int h, double& x, double& y) {
    double unit = 0.5 * std::min(w, h);
    x = (i + 0.5 - 0.5 * w) / unit;
    y = (j + 0.5 - 0.5 * h) / unit;
}

} // namespace

class TinyPlanetTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        program = new vexel::ShaderProgram();
        std::string out = captureStdout([] {
            program->addShader("data/shaders/tinyplanet.frag", GL_FRAGMENT_SHADER);
            program->addShader("data/shaders/quad.vert", GL_VERTEX_SHADER);
            program->addShader("data/shaders/quad.geom", GL_GEOMETRY_SHADER);
            program->compile();
            cube = new vexel::CubeMap(FACE_SIZE, 64, 64);
        });
        EXPECT_EQ("", out);
        quad = new vexel::Sprite();
    }

    void SetUp() override { glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS); }
    void TearDown() override { glDisable(GL_TEXTURE_CUBE_MAP_SEAMLESS); }

    // Fills face f through TerrainAndCars' camera for it, with `draw` doing the drawing.
    template <typename Draw>
    static void fillFaces(Draw draw) {
        vexel::Matrix projection;
        projection.perspective(90.0, 1.0, 0.1, 1500.0);
        cube->setAsRendertarget();
        for (int f = 0; f < 6; ++f) {
            cube->setSide(f);
            double target[3] = {eye[0] + sides[f][0], eye[1] + sides[f][1], eye[2] + sides[f][2]};
            vexel::Matrix camera;
            camera.lookAt(eye, target, ups[f]);
            draw(f, camera * projection);
        }
        cube->unset();
    }

    static void fillDirectionBox() {
        GLuint box = linkProgram(boxVertex, boxFragment);
        glUseProgram(box);
        vexel::Matrix place;
        place.translate(eye[0], eye[1], eye[2]);
        fillFaces([&](int, vexel::Matrix view) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            vexel::Matrix m = place * view;
            glUniformMatrix4fv(glGetUniformLocation(box, "pmatrix"), 1, GL_FALSE, m.matrix());
            drawTriangles(boxTriangles());
        });
        glDeleteProgram(box);
    }

    static std::vector<std::uint8_t> render(const Params& p, int w, int h) {
        GLuint fbo = makeTarget(w, h);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        program->use();
        program->addTexture("image", GL_TEXTURE_CUBE_MAP, cube->getID());
        program->setParam("param1", p.projection);
        program->setParam("param2", p.size);
        program->setParam("param3", p.tilt);
        program->setParam("param4", p.heading);
        quad->draw();
        std::vector<std::uint8_t> pixels = readPixels(w, h);
        freeTarget(fbo);
        return pixels;
    }

    static vexel::ShaderProgram* program;
    static vexel::CubeMap* cube;
    static vexel::Sprite* quad;
};

vexel::ShaderProgram* TinyPlanetTest::program = nullptr;
vexel::CubeMap* TinyPlanetTest::cube = nullptr;
vexel::Sprite* TinyPlanetTest::quad = nullptr;

const Params planet = {1.0f, 0.25f, 0.5f, float(PI / 2)};
const Params horizon = {0.0f, 0.5f, 1.0f, float(PI / 2)};
const std::array<std::array<int, 2>, 2> sizes = {{{96, 54}, {40, 72}}};

TEST_F(TinyPlanetTest, FlatFacesLandOnTheDirectionsTheyWereRenderedFor) {
    const std::array<std::array<std::uint8_t, 3>, 6> colours = {
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};
    // Face f shows the world towards sides[f]; paint it with that direction's colour.
    fillFaces([&](int f, vexel::Matrix) {
        const auto& c = colours[dominantAxis({sides[f][0], sides[f][1], sides[f][2]})];
        glClearColor(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    });
    glClearColor(0, 0, 0, 0);

    for (const Params& p : {planet, horizon})
        for (const auto& size : sizes) {
            int w = size[0], h = size[1];
            std::vector<std::uint8_t> pixels = render(p, w, h);
            int wrong = 0, checked = 0;
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    double x, y;
                    screenPoint(i, j, w, h, x, y);
                    Vec3 d = expectedDirection(p, x, y);
                    // Skip pixels whose footprint may straddle two faces.
                    std::array<double, 3> a = {std::fabs(d[0]), std::fabs(d[1]), std::fabs(d[2])};
                    std::sort(a.begin(), a.end());
                    if (a[2] - a[1] < 0.15) continue;
                    ++checked;
                    const std::uint8_t* px = &pixels[4 * (j * w + i)];
                    const auto& c = colours[dominantAxis(d)];
                    if (px[0] != c[0] || px[1] != c[1] || px[2] != c[2]) ++wrong;
                }
            EXPECT_GT(checked, w * h / 2);
            EXPECT_EQ(0, wrong) << w << "x" << h << " tilt " << p.tilt;
        }
}

TEST_F(TinyPlanetTest, EveryPixelShowsItsWorldDirectionWithoutSeams) {
    fillDirectionBox();
    for (const Params& p : {planet, horizon})
        for (const auto& size : sizes) {
            int w = size[0], h = size[1];
            std::vector<std::uint8_t> pixels = render(p, w, h);
            int worst = 0;
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i) {
                    double x, y;
                    screenPoint(i, j, w, h, x, y);
                    Vec3 d = expectedDirection(p, x, y);
                    for (int k = 0; k < 3; ++k) {
                        int expected = int(std::lround(255.0 * (0.5 + 0.5 * d[k])));
                        worst = std::max(worst, std::abs(int(pixels[4 * (j * w + i) + k]) - expected));
                    }
                }
            EXPECT_LE(worst, 4) << w << "x" << h << " tilt " << p.tilt;
        }
}
