#include "CircParticle.h"

#include "ParticleBuffers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vexel {

namespace {

const double pi = 3.141592653589793;

// Consumes one drand48 value: a point on the spawn circle as (x, y).
void circlePoint(double cx, double cy, double r, float& x, float& y) {
    double angle = 2 * (drand48() * pi);
    x = float(cx + r * std::sin(angle));
    y = float(cy + r * std::cos(angle));
}

} // namespace

CircParticle::CircParticle(int num, GLfloat x, GLfloat y, GLfloat z, GLfloat r, double birthtime)
    : startx(x), starty(y), startz(z), r(r), prevtime(birthtime), count(num) {
    pos.resize(3 * std::size_t(std::max(num, 0)));
    direction.resize(pos.size());
    for (int i = 0; i < count; ++i) {
        circlePoint(startx, starty, this->r, pos[3 * i], pos[3 * i + 1]);
        pos[3 * i + 2] = float(startz - drand48() * 37);
        direction[3 * i + 2] = float(startz - drand48() / 100);
        birth.push_back(float(birthtime));
        life.push_back(float(birthtime + drand48() * 12));
    }
    createOpenGLBinding();
}

CircParticle::~CircParticle() = default;

void CircParticle::update(double time) {
    double deltatime = time - prevtime;
    for (int i = 0; i < count; ++i) {
        float* p = &pos[3 * i];
        if (time > double(life[i])) {
            // Respawned above the plane; it keeps its direction and does not move this step.
            circlePoint(startx, starty, r, p[0], p[1]);
            p[2] = float(startz + drand48() * 37);
            birth[i] = float(time);
            life[i] = float(time + drand48() * 12);
            continue;
        }
        for (int k = 0; k < 3; ++k) p[k] = float(p[k] + direction[3 * i + k] * deltatime);
    }
    uploadParticleBuffers(vao, buffers, {&pos, &direction, &birth, &life});
    prevtime = time;
}

void CircParticle::draw() {
    glBindVertexArray(vao);
    glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, count);
}

void CircParticle::createOpenGLBinding() {
    createParticleBuffers(vao, buffers, {&pos, &direction, &birth, &life});
    // A particle's values hold for all the corners of its instance.
    glBindVertexArray(vao);
    for (GLuint attribute = 0; attribute < 4; ++attribute) glVertexAttribDivisor(attribute, 1);
    glBindVertexArray(0);
}

} // namespace vexel
