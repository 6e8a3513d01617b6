// Builds a program straight from GL, independent of the engine's wrappers, for checking them; and a
// fixture that draws the screen quad through a test shader into a target of its own.
#pragma once

#include "GLTest.h"
#include "Sprite.h"

#include <functional>

inline GLuint compileStage(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Compiles and links without checking either: the logs are the caller's to read.
inline GLuint buildProgram(const char* vertex, const char* fragment) {
    GLuint program = glCreateProgram();
    for (GLuint stage : {compileStage(GL_VERTEX_SHADER, vertex), compileStage(GL_FRAGMENT_SHADER, fragment)}) {
        glAttachShader(program, stage);
        glDeleteShader(stage);
    }
    glLinkProgram(program);
    return program;
}

inline GLuint linkProgram(const char* vertex, const char* fragment) {
    GLuint program = buildProgram(vertex, fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    return program;
}

// The Sprite's attributes passed on: the quad at window depth 0.75, its texture coordinate as uv.
inline const char* const spriteVertex = "#version 410 core\n"
                                        "layout(location = 0) in vec2 position;\n"
                                        "layout(location = 1) in vec2 texcoord;\n"
                                        "out vec2 uv;\n"
                                        "void main() { uv = texcoord; gl_Position = vec4(position, 0.5, 1.0); }\n";

class QuadTest : public GLTest {
protected:
    // Draws a Sprite through `fragment` into a cleared width x height target and reads it back;
    // `bind` runs with the program in use, just before the draw.
    static std::vector<std::uint8_t> drawQuad(const char* fragment, int width, int height,
                                              const std::function<void()>& bind = [] {}) {
        GLuint program = linkProgram(spriteVertex, fragment);
        GLuint target = makeTarget(width, height);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program);
        bind();
        vexel::Sprite().draw();
        std::vector<std::uint8_t> pixels = readPixels(width, height);
        glUseProgram(0);
        freeTarget(target);
        glDeleteProgram(program);
        return pixels;
    }
};
