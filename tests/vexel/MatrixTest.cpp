// Matrix math against values worked out independently: storage order and the dump. Projection (any
// one of its terms, depth included), product order, rotation and camera errors (the vector helpers
// serve the camera alone) move every 3D reference frame of the scene tests.
#include "Matrix.h"

#include "Capture.h"
#include "MatrixElements.h"

#include <gtest/gtest.h>

#include <array>

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

