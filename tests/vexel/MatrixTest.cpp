// Matrix math against values worked out independently: storage order, projection and the dump.
// Product order, rotation and camera errors (the vector helpers serve the camera alone) move every
// 3D reference frame of the scene tests.
#include "Matrix.h"

#include "Capture.h"
#include "MatrixElements.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using vexel::Matrix;

namespace {

using Elements = std::array<float, 16>;

} // namespace

TEST(MatrixTest, DefaultIsZeroBuildersOverwriteAndDumpPrintsStorageOrder) {
    Matrix matrix;
    EXPECT_EQ(Elements{}, elements(matrix));
    matrix.scale(7, 8, 9);
    matrix.translate(1.5, -2, 3.25);
    EXPECT_EQ("1.000000, 0.000000, 0.000000, 0.000000, 0.000000, 1.000000, 0.000000, 0.000000, "
              "0.000000, 0.000000, 1.000000, 0.000000, 1.500000, -2.000000, 3.250000, 1.000000, \n",
              captureStdout([&] { matrix.dump(); }));
    matrix.scale(2, 3, 4);
    EXPECT_EQ((Elements{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}), elements(matrix));
}

TEST(MatrixTest, PerspectiveWritesOnlyProjectionTerms) {
    Matrix matrix;
    matrix.translate(4, 5, 6);
    matrix.perspective(60, 2, 0.5, 2.5);
    const float f = float(std::sqrt(3.0)); // 1 / tan(30 degrees)
    Elements expected{f / 2, 0, 0, 0, 0, f, 0, 0, 0, 0, -1.5f, -1, 4, 5, -1.25f, 1};
    for (int i = 0; i < 16; i++) EXPECT_NEAR(expected[i], elements(matrix)[i], 1e-6) << "element " << i;
}
