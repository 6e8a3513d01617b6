// The "wireframe" program: wires one to two pixels wide at 1080 lines, finer as WIN_SCALE grows.
// (Triangles that reach behind the eye, clipped at the near plane, show in the planet scene's
// reference frames.)
#include "Config.h"
#include "Matrix.h"
#include "ShaderProgram.h"

#include "GLTest.h"

#include <vector>

namespace {

const int WIDTH = 96;
const int HEIGHT = 1080;

// The wire's coverage down the centre column, bottom row first, 0 to 1: the wire is white over a
// black fill, so red is its coverage.
std::vector<float> centreColumn(const std::vector<std::uint8_t>& pixels) {
    std::vector<float> values(HEIGHT);
    for (int row = 0; row < HEIGHT; ++row) values[row] = pixels[4 * (row * WIDTH + WIDTH / 2)] / 255.0f;
    return values;
}

float sum(const std::vector<float>& values, int from, int to) {
    float total = 0;
    for (int i = from; i < to; ++i) total += values[i];
    return total;
}


class WireframeTest : public GLTest {};

TEST_F(WireframeTest, SharedEdgeWireIsOneToTwoPixelsAndFinerAtLargerScale) {
    vexel::Config show("config.txt");
    vexel::ShaderProgram* program = show.getShader("wireframe");
    // Two triangles meeting along the screen's horizontal midline; their other edges lie far
    // outside the target.
    const std::vector<float> band = {-10, 0, 0, 10, 0, 0, 0, 10, 0, -10, 0, 0, 0, -10, 0, 10, 0, 0};
    vexel::Matrix identity;
    identity.scale(1, 1, 1);
    const float scales[2] = {12.0f, 40.0f};
    float widths[2];
    for (int i = 0; i < 2; ++i) {
        Target target(WIDTH, HEIGHT);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        program->use();
        program->setParam("pmatrix", identity);
        program->setParam("WIRE_COL", 1.0f, 1.0f, 1.0f);
        program->setParam("FILL_COL", 0.0f, 0.0f, 0.0f);
        program->setParam("WIN_SCALE", scales[i], scales[i]);
        drawTriangles(band);
        std::vector<float> coverage = centreColumn(target.pixels());
        widths[i] = sum(coverage, 0, HEIGHT);
        EXPECT_FLOAT_EQ(widths[i], sum(coverage, HEIGHT / 2 - 3, HEIGHT / 2 + 3)) << "wire away from the edge";
    }
    EXPECT_GE(widths[0], 1.5f);
    EXPECT_LE(widths[0], 2.5f);
    EXPECT_GE(widths[1], 0.8f);
    EXPECT_LT(widths[1], widths[0] - 0.5f);
}

} // namespace
