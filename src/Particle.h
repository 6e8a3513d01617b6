// Point particles moving by a fixed step per update and bouncing off registered triangles.
#pragma once

#include "Point3D.h"

#include <GL/glew.h>

#include <vector>

namespace vexel {

class Particle {
public:
    // A fountain: every particle starts at (x, y, z), which is also the respawn point.
    Particle(int num, GLfloat x, GLfloat y, GLfloat z);
    // Particles at rest scattered in the box between the two corners; they respawn at the origin
    // unless update(time, newx, newy, newz) moves the respawn point.
    Particle(int num, GLfloat x1, GLfloat y1, GLfloat z1, GLfloat x2, GLfloat y2, GLfloat z2);
    ~Particle();

    // Registers a triangle that reverses any particle whose step crosses it.
    void addConstrait(GLfloat x1, GLfloat y1, GLfloat z1, GLfloat x2, GLfloat y2, GLfloat z2,
                      GLfloat x3, GLfloat y3, GLfloat z3);
    // One step: respawn particles whose life ended before `time`, move the others; then upload.
    void update(double time);
    void update(double time, double newx, double newy, double newz);
    void draw();

private:
    GLfloat startx = 0.0f;
    GLfloat starty = 0.0f;
    GLfloat startz = 0.0f;
    int count;
    GLuint vao = 0;
    GLuint buffers[4] = {0, 0, 0, 0};
    std::vector<float> pos;
    std::vector<float> direction;
    std::vector<float> birth;
    std::vector<float> life;
    std::vector<float> constrait;

    void createOpenGLBinding();
    void respawn(int pi, double time);
    // Does particle pi's next step cross triangle ci?
    bool collision(int pi, int ci);
    // Proportional to the signed volume of the tetrahedron p1 p2 p3 p4.
    double volume(Point3D p1, Point3D p2, Point3D p3, Point3D p4);
};

} // namespace vexel
