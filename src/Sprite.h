// A quad covering the whole viewport: clip-space positions at location 0, texture coordinates at 1.
#pragma once

#include <GL/glew.h>

namespace vexel {

class Sprite {
public:
    Sprite();
    ~Sprite();

    void draw();
    GLuint getVAO();

private:
    GLuint vao;
    GLuint vbo[2];
};

} // namespace vexel
