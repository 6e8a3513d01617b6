// Reads back what a particle system last uploaded. draw() leaves the system's vertex array bound,
// and the vertex array records which buffer feeds each attribute.
#pragma once

#include "LinkProgram.h"

#include <GL/glew.h>

#include <vector>

struct Uploaded {
    std::vector<float> pos;
    std::vector<float> direction;
    std::vector<float> birth;
    std::vector<float> life;
};

inline std::vector<float> attributeBuffer(GLuint location) {
    GLint buffer = 0, bytes = 0;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(buffer));
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<float> values(bytes / sizeof(float));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, bytes, values.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return values;
}

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
