#include "Particle.h"

#include "ParticleBuffers.h"

#include <cmath>
#include <cstdlib>

namespace vexel {

namespace {

// A random step of up to 0.01 along each axis; three drand48 values in x, y, z order.
void randomStep(float* d) {
    for (int k = 0; k < 3; ++k) d[k] = float(drand48() / 100);
}

// Which side of zero v lies on; the sign bit decides for zero, so +0 and -0 differ.
double side(double v) {
    return std::copysign(1.0, v);
}

} // namespace

Particle::Particle(int num, GLfloat x, GLfloat y, GLfloat z) : startx(x), starty(y), startz(z), count(num) {
    for (int i = 0; i < count; ++i) {
        pos.insert(pos.end(), {x, y, z});
        direction.resize(direction.size() + 3);
        randomStep(&direction[3 * i]);
        birth.push_back(0.0f);
        life.push_back(float(drand48() * 12));
    }
    createOpenGLBinding();
}

Particle::Particle(int num, GLfloat x1, GLfloat y1, GLfloat z1, GLfloat x2, GLfloat y2, GLfloat z2)
    : count(num) {
    for (int i = 0; i < count; ++i) {
        float px = float(x1 + drand48() * (x2 - x1));
        float py = float(y1 + drand48() * (y2 - y1));
        float pz = float(z1 + drand48() * (z2 - z1));
        pos.insert(pos.end(), {px, py, pz});
        direction.insert(direction.end(), {0.0f, 0.0f, 0.0f});
        birth.push_back(0.0f);
        life.push_back(120.0f);
    }
    createOpenGLBinding();
}

Particle::~Particle() = default;

void Particle::addConstrait(GLfloat x1, GLfloat y1, GLfloat z1, GLfloat x2, GLfloat y2, GLfloat z2,
                            GLfloat x3, GLfloat y3, GLfloat z3) {
    constrait.insert(constrait.end(), {x1, y1, z1, x2, y2, z2, x3, y3, z3});
}

void Particle::update(double time) {
    int triangles = int(constrait.size() / 9);
    for (int i = 0; i < count; ++i) {
        if (time > double(life[i])) {
            respawn(i, time);
            continue;
        }
        float* d = &direction[3 * i];
        // Each crossing is tested with the direction as already reversed by earlier triangles.
        for (int j = 0; j < triangles; ++j) {
            if (!collision(i, j)) continue;
            for (int k = 0; k < 3; ++k) d[k] = -d[k];
        }
        for (int k = 0; k < 3; ++k) pos[3 * i + k] += d[k];
    }
    uploadParticleBuffers(vao, buffers, {&pos, &direction, &birth, &life});
}

void Particle::update(double time, double newx, double newy, double newz) {
    startx = float(newx);
    starty = float(newy);
    startz = float(newz);
    update(time);
}

void Particle::draw() {
    glBindVertexArray(vao);
    glDrawArrays(GL_POINTS, 0, count);
}

void Particle::createOpenGLBinding() {
    createParticleBuffers(vao, buffers, {&pos, &direction, &birth, &life});
}

void Particle::respawn(int pi, double time) {
    pos[3 * pi] = startx;
    pos[3 * pi + 1] = starty;
    pos[3 * pi + 2] = startz;
    randomStep(&direction[3 * pi]);
    birth[pi] = float(time);
    life[pi] = float(time + drand48() * 12);
}

bool Particle::collision(int pi, int ci) {
    const float* p = &pos[3 * pi];
    const float* d = &direction[3 * pi];
    const float* c = &constrait[9 * ci];
    Point3D from(p[0], p[1], p[2]);
    Point3D to(p[0] + d[0], p[1] + d[1], p[2] + d[2]);
    Point3D c1(c[0], c[1], c[2]);
    Point3D c2(c[3], c[4], c[5]);
    Point3D c3(c[6], c[7], c[8]);

    bool crossesPlane = side(volume(from, c1, c2, c3)) != side(volume(to, c1, c2, c3));
    double e1 = side(volume(from, to, c1, c2));
    double e2 = side(volume(from, to, c2, c3));
    double e3 = side(volume(from, to, c3, c1));
    return crossesPlane && e1 == e2 && e2 == e3;
}

double Particle::volume(Point3D p1, Point3D p2, Point3D p3, Point3D p4) {
    return Point3D::dot(Point3D::cross(p2 - p1, p3 - p1), p4 - p1);
}

} // namespace vexel
