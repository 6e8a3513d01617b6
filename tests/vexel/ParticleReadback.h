// Reads back what a particle system last uploaded. draw() leaves the system's vertex array bound,
// and the vertex array records which buffer feeds each attribute.
#pragma once

#include "GLTest.h"

#include <GL/glew.h>

#include <vector>

struct Uploaded {
    std::vector<float> pos;
    std::vector<float> direction;
    std::vector<float> birth;
    std::vector<float> life;
};

template <class System>
Uploaded readUploaded(System& system) {
    static const GLuint points = linkProgram(
        "#version 410 core\nlayout(location = 0) in vec3 position;\n"
        "void main() { gl_Position = vec4(position, 1.0); }\n",
        "#version 410 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n");
    glUseProgram(points);
    system.draw();
    Uploaded out{attributeBuffer(0), attributeBuffer(1), attributeBuffer(2), attributeBuffer(3)};
    glBindVertexArray(0);
    glUseProgram(0);
    return out;
}
