#include "Capture.h"
#include "Matrix.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

using vexel::Matrix;

namespace {

using Grid = std::array<std::array<double, 4>, 4>; // [row][column], column-vector convention

std::array<float, 16> elements(Matrix& matrix) {
    std::array<float, 16> out{};
    for (int i = 0; i < 16; i++) out[i] = matrix.matrix()[i];
    return out;
}

Matrix fromGrid(const Grid& g) {
    Matrix matrix;
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) matrix.modify(4 * c + r, float(g[r][c]));
    return matrix;
}

Grid multiply(const Grid& a, const Grid& b) {
    Grid out{};
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            for (int k = 0; k < 4; k++) out[r][c] += a[r][k] * b[k][c];
    return out;
}

// Applies the matrix to a point (w = 1) in the column-vector reading.
std::array<float, 3> apply(Matrix& matrix, float x, float y, float z) {
    const float* m = matrix.matrix();
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

void expectNear(const Grid& expected, Matrix& actual, double tolerance) {
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_NEAR(expected[r][c], actual.matrix()[4 * c + r], tolerance) << "row " << r << " column " << c;
}

} // namespace

TEST(MatrixTest, DefaultIsZeroAndDumpPrintsStorageOrder) {
    Matrix matrix;
    for (float value : elements(matrix)) EXPECT_EQ(0.0f, value);
    std::string zeros;
    for (int i = 0; i < 16; i++) zeros += "0.000000, ";
    EXPECT_EQ(zeros + "\n", captureStdout([&] { matrix.dump(); }));

    matrix.translate(1.5, -2, 3.25);
    EXPECT_EQ("1.000000, 0.000000, 0.000000, 0.000000, 0.000000, 1.000000, 0.000000, 0.000000, "
              "0.000000, 0.000000, 1.000000, 0.000000, 1.500000, -2.000000, 3.250000, 1.000000, \n",
              captureStdout([&] { matrix.dump(); }));
}

TEST(MatrixTest, BuildersOverwrite) {
    Matrix matrix;
    matrix.scale(7, 8, 9);
    matrix.translate(1, 2, 3);
    EXPECT_EQ((std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}), elements(matrix));
    matrix.scale(2, 3, 4);
    EXPECT_EQ((std::array<float, 16>{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}), elements(matrix));
    matrix.rotate(0, 0, 0);
    EXPECT_EQ((std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), elements(matrix));
}

TEST(MatrixTest, ProductAppliesLeftOperandFirst) {
    Matrix move, grow;
    move.translate(1, 0, 0);
    grow.scale(2, 2, 2);
    Matrix moveThenGrow = move * grow;
    EXPECT_EQ((std::array<float, 16>{2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 0, 0, 1}), elements(moveThenGrow));
    EXPECT_EQ((std::array<float, 3>{2, 0, 0}), apply(moveThenGrow, 0, 0, 0));
    Matrix growThenMove = grow * move;
    EXPECT_EQ((std::array<float, 3>{1, 0, 0}), apply(growThenMove, 0, 0, 0));
    EXPECT_EQ(1.0f, growThenMove.matrix()[12]);
    EXPECT_EQ(1.0f, move.matrix()[12]) << "operands must not change";
    EXPECT_EQ(2.0f, grow.matrix()[0]) << "operands must not change";
}

TEST(MatrixTest, ChainedProductMatchesDoublePrecision) {
    Grid a{}, b{}, c{};
    for (int r = 0; r < 4; r++) {
        for (int col = 0; col < 4; col++) {
            a[r][col] = 0.25 * (r + 1) - 0.5 * col + (r == col ? 2.0 : 0.0);
            b[r][col] = std::sin(1.0 + r * 4 + col);
            c[r][col] = std::cos(0.3 * r - 0.7 * col) * (col == 3 ? 5.0 : 1.0);
        }
    }
    Matrix ma = fromGrid(a), mb = fromGrid(b), mc = fromGrid(c);
    Matrix ab = ma * mb;
    Matrix chain = ab * mc;
    // a applied first, then b, then c: C·B·A in the column-vector reading.
    expectNear(multiply(c, multiply(b, a)), chain, 1e-5);
}

TEST(MatrixTest, PerspectiveWritesOnlyProjectionTerms) {
    Matrix fresh;
    fresh.perspective(90, 2, 1, 3);
    std::array<float, 16> expected{};
    expected[0] = 0.5f;
    expected[5] = 1.0f;
    expected[10] = -2.0f;
    expected[11] = -1.0f;
    expected[14] = -3.0f;
    std::array<float, 16> actual = elements(fresh);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(expected[i], actual[i], 1e-6) << "element " << i;

    Matrix moved;
    moved.translate(4, 5, 6);
    moved.perspective(60, 1.5, 0.1, 100);
    EXPECT_EQ(4.0f, moved.matrix()[12]);
    EXPECT_EQ(5.0f, moved.matrix()[13]);
    EXPECT_EQ(1.0f, moved.matrix()[15]);
    double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
    EXPECT_NEAR(f / 1.5, moved.matrix()[0], 1e-5);
    EXPECT_NEAR(f, moved.matrix()[5], 1e-5);
    EXPECT_NEAR(-100.1 / 99.9, moved.matrix()[10], 1e-6);
    EXPECT_NEAR(-20.0 / 99.9, moved.matrix()[14], 1e-6);
}

TEST(MatrixTest, RotateTurnsAboutEachAxisInOrder) {
    Matrix quarterZ;
    quarterZ.rotate(0, 0, M_PI / 2);
    std::array<float, 3> x = apply(quarterZ, 1, 0, 0);
    EXPECT_NEAR(0, x[0], 1e-6);
    EXPECT_NEAR(1, x[1], 1e-6);
    EXPECT_NEAR(1, quarterZ.matrix()[1], 1e-6);
    EXPECT_NEAR(-1, quarterZ.matrix()[4], 1e-6);

    // Y onto Z about X, then Z onto X about Y: the point ends on X.
    Matrix both;
    both.rotate(M_PI / 2, M_PI / 2, 0);
    std::array<float, 3> y = apply(both, 0, 1, 0);
    EXPECT_NEAR(1, y[0], 1e-6);
    EXPECT_NEAR(0, y[1], 1e-6);
    EXPECT_NEAR(0, y[2], 1e-6);

    Matrix general;
    general.rotate(0.3, -1.1, 2.0);
    double cx = std::cos(0.3), sx = std::sin(0.3), cy = std::cos(-1.1), sy = std::sin(-1.1);
    double cz = std::cos(2.0), sz = std::sin(2.0);
    Grid rx{{{1, 0, 0, 0}, {0, cx, -sx, 0}, {0, sx, cx, 0}, {0, 0, 0, 1}}};
    Grid ry{{{cy, 0, sy, 0}, {0, 1, 0, 0}, {-sy, 0, cy, 0}, {0, 0, 0, 1}}};
    Grid rz{{{cz, -sz, 0, 0}, {sz, cz, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    expectNear(multiply(rz, multiply(ry, rx)), general, 1e-6);
}

TEST(MatrixTest, LookAtAlongZIsATranslation) {
    double eye[3] = {0, 0, 5}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    Matrix camera;
    camera.scale(3, 3, 3);
    camera.lookAt(eye, target, up);
    EXPECT_EQ((std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1}), elements(camera));
    EXPECT_EQ(5.0, eye[2]);
}

TEST(MatrixTest, LookAtGeneralMatchesDoublePrecision) {
    double eye[3] = {3, 4, -2}, target[3] = {-1, 0.5, 6}, up[3] = {0.2, 1, 0.1};
    Matrix camera;
    camera.lookAt(eye, target, up);

    double forward[3], right[3], upward[3];
    for (int k = 0; k < 3; k++) forward[k] = target[k] - eye[k];
    auto unit = [](double* v) {
        double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (int k = 0; k < 3; k++) v[k] /= length;
    };
    unit(forward);
    right[0] = forward[1] * up[2] - forward[2] * up[1];
    right[1] = forward[2] * up[0] - forward[0] * up[2];
    right[2] = forward[0] * up[1] - forward[1] * up[0];
    unit(right);
    upward[0] = right[1] * forward[2] - right[2] * forward[1];
    upward[1] = right[2] * forward[0] - right[0] * forward[2];
    upward[2] = right[0] * forward[1] - right[1] * forward[0];
    Grid view{};
    for (int k = 0; k < 3; k++) {
        view[0][k] = right[k];
        view[1][k] = upward[k];
        view[2][k] = -forward[k];
        view[0][3] -= right[k] * eye[k];
        view[1][3] -= upward[k] * eye[k];
        view[2][3] += forward[k] * eye[k];
    }
    view[3][3] = 1;
    expectNear(view, camera, 2e-6);

    std::array<float, 3> seen = apply(camera, float(target[0]), float(target[1]), float(target[2]));
    EXPECT_NEAR(0, seen[0], 1e-5);
    EXPECT_NEAR(0, seen[1], 1e-5);
    EXPECT_LT(seen[2], 0) << "the target lies in front of the camera, along -Z";
}

TEST(MatrixTest, TransposeModifyAndAxisSwap) {
    Matrix matrix;
    for (int i = 0; i < 16; i++) matrix.modify(i, float(i + 1));
    std::array<float, 16> original = elements(matrix);
    matrix.transpose();
    EXPECT_EQ((std::array<float, 16>{1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16}), elements(matrix));
    matrix.transpose();
    EXPECT_EQ(original, elements(matrix));

    matrix.modify(16, 99);
    matrix.modify(-1, 99);
    EXPECT_EQ(original, elements(matrix));

    matrix.blender2opengl();
    std::array<float, 16> swapped = original;
    swapped[1] = 3;
    swapped[2] = -2;
    EXPECT_EQ(swapped, elements(matrix));
}

TEST(VectorTest, SinglePrecisionHelpers) {
    double a[3] = {1, 2, 3}, b[3] = {4, 5, 6}, cross[3];
    crossproduct3v(a, b, cross);
    EXPECT_EQ(-3.0, cross[0]);
    EXPECT_EQ(6.0, cross[1]);
    EXPECT_EQ(-3.0, cross[2]);
    EXPECT_EQ(32.0f, dotproduct(a, b, 3));
    EXPECT_EQ(14.0f, dotproduct(a, b, 2));

    // The running sum is rounded to float at every step: the 1 is lost beside 1e8.
    double large[3] = {1e8, 1, -1e8}, ones[3] = {1, 1, 1};
    EXPECT_EQ(0.0f, dotproduct(large, ones, 3));

    double v[4] = {3, 0, 4, 12};
    normalize(v, 3);
    EXPECT_DOUBLE_EQ(0.6, v[0]);
    EXPECT_DOUBLE_EQ(0.8, v[2]);
    EXPECT_EQ(12.0, v[3]) << "only the first size components change";

    double odd[2] = {1, 1};
    normalize(odd, 2);
    EXPECT_EQ(1.0 / double(sqrtf(2.0f)), odd[0]) << "the length is a single-precision root";
}
