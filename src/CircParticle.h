// Star-trail emitter: particles born on a circle in a plane of constant z, travelling along z.
#pragma once

#include <GL/glew.h>

#include <vector>

namespace vexel {

class CircParticle {
public:
    CircParticle(int num, GLfloat x, GLfloat y, GLfloat z, GLfloat r, double birthtime);
    ~CircParticle();

    // Advances the simulation to demo time `time` and uploads all four arrays.
    void update(double time);
    // One instance of a four-corner triangle strip per particle: the program makes each square.
    void draw();

private:
    double startx;
    double starty;
    double startz;
    double r;
    double prevtime;
    int count;
    GLuint vao = 0;
    GLuint buffers[4] = {0, 0, 0, 0};
    std::vector<float> pos;
    std::vector<float> direction;
    std::vector<float> birth;
    std::vector<float> life;

    void createOpenGLBinding();
};

} // namespace vexel
