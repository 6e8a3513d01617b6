#include "Matrix.h"

#include <cmath>
#include <cstdio>

namespace vexel {

Matrix::Matrix() {
    for (GLfloat& value : m) value = 0.0f;
}

Matrix::~Matrix() {}

// Column-major storage makes this B·A: the left operand is applied first.
Matrix Matrix::operator*(Matrix& right) {
    Matrix result;
    for (int i = 0; i < 16; i++) {
        int r = 4 * (i / 4);
        int c = i % 4;
        float sum = m[r] * right.m[c];
        sum += m[r + 1] * right.m[c + 4];
        sum += m[r + 2] * right.m[c + 8];
        sum += m[r + 3] * right.m[c + 12];
        result.m[i] = sum;
    }
    return result;
}

// Writes only the projection terms; the other elements keep what they held.
void Matrix::perspective(double fov, double aspect, double near, double far) {
    double range = std::tan(fov * 3.141592653589793 / 360.0) * near;
    m[0] = GLfloat((near + near) / (range * aspect + range * aspect));
    m[5] = GLfloat((near + near) / (range + range));
    m[10] = GLfloat(-(far + near) / (far - near));
    m[11] = -1.0f;
    m[14] = GLfloat(-((far + far) * near) / (far - near));
}

void Matrix::translate(double x, double y, double z) {
    identity();
    m[12] = GLfloat(x);
    m[13] = GLfloat(y);
    m[14] = GLfloat(z);
}

void Matrix::scale(double sx, double sy, double sz) {
    identity();
    m[0] = GLfloat(sx);
    m[5] = GLfloat(sy);
    m[10] = GLfloat(sz);
    m[15] = 1.0f;
}

// Rz·Ry·Rx: a point turns about X first, then Y, then Z. Single precision throughout.
void Matrix::rotate(double rx, double ry, double rz) {
    float cx = std::cos(float(rx)), sx = std::sin(float(rx));
    float cy = std::cos(float(ry)), sy = std::sin(float(ry));
    float cz = std::cos(float(rz)), sz = std::sin(float(rz));
    identity();
    m[0] = cz * cy;
    m[1] = sz * cy;
    m[2] = -sy;
    m[4] = cz * sy * sx - cx * sz;
    m[5] = sz * sy * sx + cz * cx;
    m[6] = cy * sx;
    m[8] = cz * sy * cx + sz * sx;
    m[9] = sz * sy * cx - cz * sx;
    m[10] = cy * cx;
}

void Matrix::lookAt(double* eye, double* target, double* up) {
    double n[3] = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    double u[3], v[3];
    crossproduct3v(up, n, u);
    crossproduct3v(n, u, v);
    normalize(u, 3);
    double du = -dotproduct(eye, u, 3);
    normalize(v, 3);
    double dv = -dotproduct(eye, v, 3);
    normalize(n, 3);
    double dn = -dotproduct(eye, n, 3);
    for (int k = 0; k < 3; k++) {
        m[4 * k] = GLfloat(u[k]);
        m[4 * k + 1] = GLfloat(v[k]);
        m[4 * k + 2] = GLfloat(n[k]);
        m[4 * k + 3] = 0.0f;
    }
    m[12] = GLfloat(du);
    m[13] = GLfloat(dv);
    m[14] = GLfloat(dn);
    m[15] = 1.0f;
}

GLfloat* Matrix::matrix() {
    return m;
}

void Matrix::modify(int i, GLfloat value) {
    if (i < 0 || i > 15) return;
    m[i] = value;
}

void Matrix::dump() {
    for (GLfloat value : m) std::printf("%f, ", double(value));
    std::printf("\n");
}

void Matrix::blender2opengl() {
    GLfloat t = m[1];
    m[1] = m[2];
    m[2] = -t;
}

void Matrix::transpose() {
    for (int r = 0; r < 4; r++) {
        for (int c = r + 1; c < 4; c++) {
            GLfloat t = m[4 * c + r];
            m[4 * c + r] = m[4 * r + c];
            m[4 * r + c] = t;
        }
    }
}

void Matrix::identity() {
    for (int i = 0; i < 16; i++) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

} // namespace vexel

// The sum of squares and its root are taken in single precision, as the camera code expects.
void normalize(double* vector, int size) {
    float sum = 0.0f;
    for (int i = 0; i < size; i++) sum = float(sum + vector[i] * vector[i]);
    float length = sqrtf(sum);
    for (int i = 0; i < size; i++) vector[i] /= length;
}

void crossproduct3v(double* a, double* b, double* result) {
    result[0] = a[1] * b[2] - a[2] * b[1];
    result[1] = a[2] * b[0] - a[0] * b[2];
    result[2] = a[0] * b[1] - a[1] * b[0];
}

float dotproduct(double* a, double* b, int size) {
    float sum = 0.0f;
    for (int i = 0; i < size; i++) sum = float(sum + a[i] * b[i]);
    return sum;
}
