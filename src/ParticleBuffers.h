// GPU side shared by the two particle systems: one vertex array with four tightly packed float
// buffers (position 3, direction 3, birth 1, life end 1 at locations 0..3), allocated once and
// refilled in place every update.
#pragma once

#include <GL/glew.h>

#include <array>
#include <vector>

namespace vexel {

// Positions, directions, birth times, life-end times, in attribute order.
using ParticleArrays = std::array<const std::vector<float>*, 4>;

inline GLsizeiptr particleBytes(const std::vector<float>& values) {
    return GLsizeiptr(values.size() * sizeof(float));
}

inline void createParticleBuffers(GLuint& vao, GLuint (&buffers)[4], ParticleArrays data) {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(4, buffers);
    for (GLuint i = 0; i < 4; ++i) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
        glBufferData(GL_ARRAY_BUFFER, particleBytes(*data[i]), data[i]->data(), GL_DYNAMIC_DRAW);
        glVertexAttribPointer(i, i < 2 ? 3 : 1, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(i);
    }
    glBindVertexArray(0);
}

inline void uploadParticleBuffers(GLuint vao, const GLuint (&buffers)[4], ParticleArrays data) {
    glBindVertexArray(vao);
    for (int i = 0; i < 4; ++i) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
        glBufferSubData(GL_ARRAY_BUFFER, 0, particleBytes(*data[i]), data[i]->data());
    }
    glBindVertexArray(0);
}

} // namespace vexel
