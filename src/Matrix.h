// 4x4 transform in OpenGL column-major order. Builders overwrite the matrix; A * B applies A, then B.
#pragma once

#include <GL/glew.h>

namespace vexel {

class Matrix {
public:
    Matrix();
    ~Matrix();

    Matrix operator*(Matrix& right);

    void perspective(double fov, double aspect, double near, double far);
    void translate(double x, double y, double z);
    void scale(double sx, double sy, double sz);
    void rotate(double rx, double ry, double rz);
    void lookAt(double* eye, double* target, double* up);

    GLfloat* matrix();
    void modify(int i, GLfloat value);
    void dump();
    void blender2opengl();
    void transpose();

private:
    GLfloat m[16];

    void identity();
};

} // namespace vexel

void normalize(double* vector, int size);
void crossproduct3v(double* a, double* b, double* result);
float dotproduct(double* a, double* b, int size);
