#include "Shader.h"

#include "ShaderError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace vexel {

namespace {

void reportUnreadable(const char* verb, const char* filename) {
    std::printf("cannot %s shader %s: %s\n", verb, filename, std::strerror(errno));
}

// Reads the whole file, byte for byte, into `source`; false (after a message) when it cannot be read.
bool readSource(const char* filename, std::string& source) {
    FILE* file = std::fopen(filename, "r");
    if (!file) {
        reportUnreadable("open", filename);
        return false;
    }
    // A directory opens but fails its first read; its seek length means nothing.
    bool readable = std::fgetc(file) != EOF || !std::ferror(file);
    if (readable) {
        std::fseek(file, 0, SEEK_END);
        source.assign(std::max(std::ftell(file), 0L), '\0');
        std::rewind(file);
        std::fread(source.data(), 1, source.size(), file);
        readable = !std::ferror(file);
    }
    if (!readable) reportUnreadable("read", filename);
    std::fclose(file);
    return readable;
}

} // namespace

Shader::Shader(const char* filename, GLenum shadertype) : shaderid(0) {
    std::string source;
    if (!readSource(filename, source)) return;

    const GLchar* src = source.c_str();
    shaderid = glCreateShader(shadertype);
    glShaderSource(shaderid, 1, &src, nullptr);
    glCompileShader(shaderid);

    GLint compiled = GL_FALSE;
    glGetShaderiv(shaderid, GL_COMPILE_STATUS, &compiled);
    if (compiled) return;
    std::puts("Shader error");
    std::printf("%s\n", src);
    ShaderError::errorStr(shaderid, SHADER_ERROR);
}

Shader::~Shader() {
    glDeleteShader(shaderid);
}

GLuint Shader::getShaderId() {
    return shaderid;
}

} // namespace vexel
