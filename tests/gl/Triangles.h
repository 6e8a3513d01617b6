// Draws a list of triangles (x, y, z per corner, attribute 0) through the program in use.
#pragma once

#include <GL/glew.h>

#include <vector>

inline void drawTriangles(const std::vector<float>& corners) {
    GLuint vao = 0, buffer = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, corners.size() * sizeof(float), corners.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(corners.size() / 3));
    glDeleteBuffers(1, &buffer);
    glDeleteVertexArrays(1, &vao);
}
