#include "GLTest.h"

#include "Session.h"
#include "Sprite.h"

#include <utility>

void GLTest::SetUpTestSuite() {
    // One hidden window and context per process; a start-up failure prints its line and exits 1.
    static Session session("skorvane-test", 64, 64, SDL_WINDOW_HIDDEN, false);
}

std::vector<std::uint8_t> GLTest::drawQuad(const char* fragment, int width, int height,
                                           const std::function<void()>& bind) {
    GLuint program = linkProgram(spriteVertex, fragment);
    Target target(width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    bind();
    vexel::Sprite().draw();
    glUseProgram(0);
    glDeleteProgram(program);
    return target.pixels();
}

GLuint buildProgram(const char* vertex, const char* fragment) {
    GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair(GL_VERTEX_SHADER, vertex), std::pair(GL_FRAGMENT_SHADER, fragment)}) {
        GLuint stage = glCreateShader(type);
        glShaderSource(stage, 1, &source, nullptr);
        glCompileShader(stage);
        glAttachShader(program, stage);
        glDeleteShader(stage);
    }
    glLinkProgram(program);
    return program;
}

GLuint linkProgram(const char* vertex, const char* fragment) {
    GLuint program = buildProgram(vertex, fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    return program;
}

void drawTriangles(const std::vector<float>& corners) {
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

std::vector<float> attributeBuffer(GLuint location) {
    GLint buffer = 0;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
    return readBuffer<float>(GLuint(buffer));
}

GLint uniformInt(GLuint program, const char* name) {
    GLint value = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}
