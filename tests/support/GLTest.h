// Shared GL context for the GL test suites: one hidden SDL window with a 4.1 core context per test
// process, framebuffers of the test's own for read-back, and the small GL helpers the suites share.
#pragma once

#include "OffscreenTarget.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

// A framebuffer of the test's own for read-back, as the capture tool draws into.
using Target = OffscreenTarget;

class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();

    // Draws a Sprite through `fragment` (fed by spriteVertex) into a cleared target and reads it
    // back; `bind` runs with the program in use, just before the draw.
    static std::vector<std::uint8_t> drawQuad(const char* fragment, int width, int height,
                                              const std::function<void()>& bind = [] {});
};

// Attribute 0 (vec3) straight to the clip position, and a white fragment: the plainest program.
inline const char* const positionVertex = "#version 410 core\nlayout(location = 0) in vec3 position;\n"
                                          "void main() { gl_Position = vec4(position, 1.0); }\n";
inline const char* const whiteFragment = "#version 410 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";
// The Sprite's attributes passed on: the quad at window depth 0.75, its texture coordinate as uv.
inline const char* const spriteVertex = "#version 410 core\n"
                                        "layout(location = 0) in vec2 position;\n"
                                        "layout(location = 1) in vec2 texcoord;\n"
                                        "out vec2 uv;\n"
                                        "void main() { uv = texcoord; gl_Position = vec4(position, 0.5, 1.0); }\n";
// The one-triangle OBJ model: corners (0, 0, 0), (1, 0, 0) and (0, 1, 0), no normals or texture.
inline const char* const triangleModel = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

// Compiles and links straight through GL, independent of the engine's wrappers, without checking:
// the logs are the caller's to read.
GLuint buildProgram(const char* vertex, const char* fragment);
// The same, expecting the link to succeed.
GLuint linkProgram(const char* vertex, const char* fragment);

// Draws a list of triangles (x, y, z per corner, attribute 0) through the program in use.
void drawTriangles(const std::vector<float>& corners);

// The contents of a buffer object.
template <typename T> std::vector<T> readBuffer(GLuint buffer) {
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<T> values(std::size_t(std::max(bytes, 0)) / sizeof(T));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, GLsizeiptr(values.size() * sizeof(T)), values.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return values;
}
// The floats of the buffer that feeds attribute `location` of the bound vertex array.
std::vector<float> attributeBuffer(GLuint location);

// The value of an int or sampler uniform of `program`.
GLint uniformInt(GLuint program, const char* name);
