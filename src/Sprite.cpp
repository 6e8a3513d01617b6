#include "Sprite.h"

namespace vexel {

namespace {

// Counter-clockwise from the bottom-left corner; t runs from 0 at the top edge to 1 at the bottom.
const GLfloat positions[8] = {-1.0f, -1.0f, 1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f};
const GLfloat texcoords[8] = {0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};

void fillAttribute(GLuint location, GLuint buffer, const GLfloat* data) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, 8 * sizeof(GLfloat), data, GL_STATIC_DRAW);
    glVertexAttribPointer(location, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(location);
}

} // namespace

Sprite::Sprite() : vao(0), vbo{0, 0} {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(2, vbo);
    fillAttribute(0, vbo[0], positions);
    fillAttribute(1, vbo[1], texcoords);
}

Sprite::~Sprite() {
    glDeleteBuffers(2, vbo);
    glDeleteVertexArrays(1, &vao);
}

void Sprite::draw() {
    glBindVertexArray(vao);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

GLuint Sprite::getVAO() {
    return vao;
}

} // namespace vexel
