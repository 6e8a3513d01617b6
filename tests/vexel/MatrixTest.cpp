// Matrix and vector math against values worked out independently: storage order, the dump, and
// the single-precision vector helpers. Projection (any one of its terms, depth included), product
// order, rotation and camera errors move every 3D reference frame of the scene tests.
#include "Matrix.h"

#include "Capture.h"
#include "MatrixElements.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using vexel::Matrix;

namespace {

using Elements = std::array<float, 16>;
using Vec3 = std::array<double, 3>;

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

TEST(VectorTest, SinglePrecisionHelpers) {
    double a[3] = {1, 2, 3}, b[3] = {4, 5, 6}, product[3];
    crossproduct3v(a, b, product);
    EXPECT_EQ((Vec3{-3, 6, -3}), (Vec3{product[0], product[1], product[2]}));
    EXPECT_EQ(32.0f, dotproduct(a, b, 3));
    EXPECT_EQ(14.0f, dotproduct(a, b, 2));
    // The running sum is rounded to float at every step: the 1 is lost beside 1e8.
    double large[3] = {1e8, 1, -1e8}, ones[3] = {1, 1, 1};
    EXPECT_EQ(0.0f, dotproduct(large, ones, 3));

    double v[3] = {3, 4, 12};
    normalize(v, 2);
    EXPECT_EQ((Vec3{0.6, 0.8, 12}), (Vec3{v[0], v[1], v[2]})) << "only the first size components change";
    double odd[2] = {1, 1};
    normalize(odd, 2);
    EXPECT_EQ(1.0 / double(sqrtf(2.0f)), odd[0]) << "the length is a single-precision root";
}
