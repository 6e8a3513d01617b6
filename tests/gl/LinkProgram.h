// Builds a program straight from GL, independent of the engine's wrappers, for checking them.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

inline GLuint compileStage(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

inline GLuint linkProgram(const char* vertex, const char* fragment) {
    GLuint program = glCreateProgram();
    GLuint stages[2] = {compileStage(GL_VERTEX_SHADER, vertex), compileStage(GL_FRAGMENT_SHADER, fragment)};
    for (GLuint stage : stages) {
        glAttachShader(program, stage);
        glDeleteShader(stage);
    }
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    return program;
}
