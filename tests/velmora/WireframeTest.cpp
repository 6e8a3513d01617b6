// The "wireframe" program: wires one to two pixels wide at 1080 lines, finer as WIN_SCALE grows,
// and no wire but the visible parts of a triangle's own edges when the triangle reaches behind the eye.
#include "Config.h"
#include "Matrix.h"
#include "ShaderProgram.h"

#include "GLTest.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class WireframeTest : public GLTest {
protected:
    // Draws `corners` with a white wire over the grey `fill` through the show's program into a
    // fresh target; the red channel of every pixel, 0 to 1, bottom row first.
    static std::vector<float> draw(vexel::Matrix pmatrix, float scale, float fill, const std::vector<float>& corners,
                                   int width, int height) {
        static vexel::Config show("config.txt");
        vexel::ShaderProgram* program = show.getShader("wireframe");
        Target target(width, height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        program->use();
        program->setParam("pmatrix", pmatrix);
        program->setParam("WIRE_COL", 1.0f, 1.0f, 1.0f);
        program->setParam("FILL_COL", fill, fill, fill);
        program->setParam("WIN_SCALE", scale, scale);
        drawTriangles(corners);
        std::vector<std::uint8_t> pixels = target.pixels();
        std::vector<float> red;
        for (std::size_t i = 0; i < pixels.size(); i += 4) red.push_back(pixels[i] / 255.0f);
        return red;
    }
};

TEST_F(WireframeTest, SharedEdgeWireIsOneToTwoPixelsAndFinerAtLargerScale) {
    const int width = 96, height = 1080;
    // Two triangles meeting along the screen's horizontal midline; their other edges lie far
    // outside the target.
    const std::vector<float> band = {-10, 0, 0, 10, 0, 0, 0, 10, 0, -10, 0, 0, 0, -10, 0, 10, 0, 0};
    vexel::Matrix identity;
    identity.scale(1, 1, 1);
    const float scales[2] = {12.0f, 40.0f};
    float widths[2];
    for (int i = 0; i < 2; ++i) {
        std::vector<float> red = draw(identity, scales[i], 0.0f, band, width, height);
        // The wire's coverage down the centre column, 0 to 1: white over black, so red is its coverage.
        float nearEdge = 0.0f;
        widths[i] = 0.0f;
        for (int row = 0; row < height; ++row) {
            float coverage = red[row * width + width / 2];
            widths[i] += coverage;
            nearEdge += std::abs(row - height / 2 + 0.5f) < 3.0f ? coverage : 0.0f;
        }
        EXPECT_FLOAT_EQ(widths[i], nearEdge) << "wire away from the edge";
    }
    EXPECT_GE(widths[0], 1.5f);
    EXPECT_LE(widths[0], 2.5f);
    EXPECT_GE(widths[1], 0.8f);
    EXPECT_LT(widths[1], widths[0] - 0.5f);
}

// The eye looks down -z with a 90-degree view. Two corners lie ahead, below the view; the third is
// behind the eye, above it. The visible parts of all three edges run outside the view, so the
// triangle fills it without a wire. Emitted unclipped, the corner behind the eye (w < 0) would
// carry its edge distances across the view and wash it with wire.
TEST_F(WireframeTest, TriangleReachingBehindTheEyeShowsOnlyItsFill) {
    vexel::Matrix projection;
    projection.perspective(90.0, 1.0, 0.1, 100.0);
    const float fill = 0.2f; // 51 of 255, exactly
    std::vector<float> red = draw(projection, 12.0f, fill, {-10, -10, -5, 10, -10, -5, 0, 10, 2}, 64, 64);
    EXPECT_EQ(red.size(), std::count(red.begin(), red.end(), fill)) << "pixels not the fill: a false wire or a hole";
}

} // namespace
