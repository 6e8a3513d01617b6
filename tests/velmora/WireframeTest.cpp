// The "wireframe" program: wires one to two pixels wide at 1080 lines, finer as WIN_SCALE grows.
// (Triangles that reach behind the eye, clipped at the near plane, show in the planet scene's
// reference frames.)
#include "Config.h"
#include "Matrix.h"
#include "ShaderProgram.h"

#include "GLTest.h"

#include <cmath>
#include <vector>

namespace {

const int WIDTH = 96;
const int HEIGHT = 1080;

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
        // The wire's coverage down the centre column, 0 to 1: the wire is white over a black fill,
        // so red is its coverage.
        std::vector<std::uint8_t> pixels = target.pixels();
        float nearEdge = 0.0f;
        widths[i] = 0.0f;
        for (int row = 0; row < HEIGHT; ++row) {
            float coverage = pixels[4 * (row * WIDTH + WIDTH / 2)] / 255.0f;
            widths[i] += coverage;
            nearEdge += std::abs(row - HEIGHT / 2 + 0.5f) < 3.0f ? coverage : 0.0f;
        }
        EXPECT_FLOAT_EQ(widths[i], nearEdge) << "wire away from the edge";
    }
    EXPECT_GE(widths[0], 1.5f);
    EXPECT_LE(widths[0], 2.5f);
    EXPECT_GE(widths[1], 0.8f);
    EXPECT_LT(widths[1], widths[0] - 0.5f);
}

} // namespace
