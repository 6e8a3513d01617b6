// The "wireframe" program: wires one to two pixels wide at 1080 lines, finer as WIN_SCALE grows,
// and no streaks from triangles that reach behind the eye.
#include "Config.h"
#include "Matrix.h"
#include "ShaderProgram.h"

#include "GLTest.h"

#include <vector>

namespace {

const int WIDTH = 96;
const int HEIGHT = 1080;

// One channel of the centre column, bottom row first, 0 to 1. The wire is white over a black
// fill, so red is the wire's coverage; alpha shows where anything was drawn.
std::vector<float> centreColumn(const std::vector<std::uint8_t>& pixels, int channel) {
    std::vector<float> values(HEIGHT);
    for (int row = 0; row < HEIGHT; ++row) values[row] = pixels[4 * (row * WIDTH + WIDTH / 2) + channel] / 255.0f;
    return values;
}

float sum(const std::vector<float>& values, int from, int to) {
    float total = 0;
    for (int i = from; i < to; ++i) total += values[i];
    return total;
}

} // namespace

class WireframeTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        program = (new vexel::Config("config.txt"))->getShader("wireframe"); // the registry lives on
    }

    static std::vector<std::uint8_t> render(vexel::Matrix m, float winScale, const std::vector<float>& corners) {
        Target target(WIDTH, HEIGHT);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        program->use();
        program->setParam("pmatrix", m);
        program->setParam("WIRE_COL", 1.0f, 1.0f, 1.0f);
        program->setParam("FILL_COL", 0.0f, 0.0f, 0.0f);
        program->setParam("WIN_SCALE", winScale, winScale);
        drawTriangles(corners);
        return target.pixels();
    }

    static vexel::ShaderProgram* program;
};

vexel::ShaderProgram* WireframeTest::program = nullptr;

TEST_F(WireframeTest, SharedEdgeWireIsOneToTwoPixelsAndFinerAtLargerScale) {
    // Two triangles meeting along the screen's horizontal midline; their other edges lie far
    // outside the target.
    const std::vector<float> band = {-10, 0, 0, 10, 0, 0, 0, 10, 0, -10, 0, 0, 0, -10, 0, 10, 0, 0};
    vexel::Matrix identity;
    identity.scale(1, 1, 1);
    float widths[2];
    for (int i = 0; i < 2; ++i) {
        std::vector<float> coverage = centreColumn(render(identity, i == 0 ? 12.0f : 40.0f, band), 0);
        widths[i] = sum(coverage, 0, HEIGHT);
        EXPECT_FLOAT_EQ(widths[i], sum(coverage, HEIGHT / 2 - 3, HEIGHT / 2 + 3)) << "wire away from the edge";
    }
    EXPECT_GE(widths[0], 1.5f);
    EXPECT_LE(widths[0], 2.5f);
    EXPECT_GE(widths[1], 0.8f);
    EXPECT_LT(widths[1], widths[0] - 0.5f);
}

TEST_F(WireframeTest, TriangleReachingBehindTheEyeShowsOnlyItsVisibleEdges) {
    // The eye at the origin looks down -z; the floor triangle's third corner is behind it.
    const std::vector<float> floor = {-1, -1, -5, 1, -1, -5, 0, -1, 5};
    vexel::Matrix projection;
    projection.perspective(35.0, double(WIDTH) / HEIGHT, 0.1, 1500.0);
    std::vector<std::uint8_t> pixels = render(projection, 12.0f, floor);

    // Down the centre column: fill from the bottom row up to the far edge, whose wire (half
    // of one, the edge being a silhouette) is the only one; the two edges running towards the
    // eye leave the target through its sides.
    std::vector<float> drawn = centreColumn(pixels, 3), coverage = centreColumn(pixels, 0);
    int top = -1;
    for (int row = 0; row < HEIGHT; ++row) top = drawn[row] == 1.0f ? row : top;
    ASSERT_GT(top, HEIGHT / 8);
    EXPECT_EQ(1.0f, drawn[0]) << "the floor reaches the bottom row";
    EXPECT_GT(sum(coverage, top - 2, top + 1), 0.3f);
    EXPECT_FLOAT_EQ(0.0f, sum(coverage, 0, top - 2));
}
