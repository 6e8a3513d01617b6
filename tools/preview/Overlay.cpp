#include "Overlay.h"

#include "velmora.h"

#include <algorithm>
#include <cmath>

namespace {

// A rectangle given in clip space, textured with the band image (top row first).
const char* const vertexSource = R"(#version 410 core
uniform vec4 rect;
out vec2 uv;
void main() {
    vec2 corner = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    uv = vec2(corner.x, 1.0 - corner.y);
    gl_Position = vec4(mix(rect.xy, rect.zw, corner), 0.0, 1.0);
}
)";

const char* const fragmentSource = R"(#version 410 core
uniform sampler2D band;
in vec2 uv;
out vec4 colour;
void main() {
    colour = texture(band, uv);
}
)";

GLuint compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

double showLength() {
    return velmoraTimeline.back().end;
}

} // namespace

Overlay::Overlay(int width, int height, int scale)
    : width(width), height(height), scale(scale), bandHeight(34 * scale), timelineHeight(10 * scale),
      band(std::size_t(width) * bandHeight * 4) {
    program = glCreateProgram();
    GLuint shaders[2] = {compile(GL_VERTEX_SHADER, vertexSource), compile(GL_FRAGMENT_SHADER, fragmentSource)};
    for (GLuint shader : shaders) glAttachShader(program, shader);
    glLinkProgram(program);
    for (GLuint shader : shaders) glDeleteShader(shader);
    glGenVertexArrays(1, &vertexArray);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, bandHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

int Overlay::column(double time) const {
    return std::clamp(int(std::lround(time / showLength() * width)), 0, width);
}

void Overlay::fill(int x0, int x1, int y0, int y1, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    for (int y = y0; y < y1; y++)
        for (int x = std::max(x0, 0); x < std::min(x1, width); x++) {
            std::uint8_t* p = &band[(std::size_t(y) * width + x) * 4];
            p[0] = r, p[1] = g, p[2] = b, p[3] = a;
        }
}

void Overlay::draw(const std::string& text, double time, double loopStart, double loopEnd) {
    std::fill(band.begin(), band.end(), 0);
    // A dark copy one pixel down and right keeps the text legible on bright scenes.
    label.draw(band, width, 7 * scale, 3 * scale, 18.0f * scale, text.c_str(), 0);
    label.draw(band, width, 6 * scale, 2 * scale, 18.0f * scale, text.c_str(), 255);

    int top = bandHeight - timelineHeight;
    for (std::size_t i = 0; i < velmoraTimeline.size(); i++) {
        std::uint8_t grey = i % 2 ? 150 : 90;
        fill(column(velmoraTimeline[i].start), column(velmoraTimeline[i].end), top, bandHeight, grey, grey, grey, 220);
    }
    if (loopEnd > loopStart) fill(column(loopStart), column(loopEnd), top, top + 3 * scale, 250, 200, 40, 255);
    fill(column(time) - scale, column(time) + scale, top - 4 * scale, bandHeight, 230, 40, 40, 255);

    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, bandHeight, GL_RGBA, GL_UNSIGNED_BYTE, band.data());
    glUniform1i(glGetUniformLocation(program, "band"), 0);
    glUniform4f(glGetUniformLocation(program, "rect"), -1.0f, -1.0f, 1.0f, -1.0f + 2.0f * bandHeight / height);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glEnable(GL_DEPTH_TEST);
}

double Overlay::timeAt(int x, int y) const {
    x *= scale, y *= scale;
    if (y < height - timelineHeight || x < 0 || x >= width) return -1.0;
    return double(x) / width * showLength();
}
