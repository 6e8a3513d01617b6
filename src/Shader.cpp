#include "Shader.h"

#include "GLDialect.h"
#include "ShaderError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace vexel {

namespace {

std::string unreadable(const char* verb, const char* filename) {
    return std::string("cannot ") + verb + " shader " + filename + ": " + std::strerror(errno);
}

// Reads the whole file, byte for byte, into `source`; returns why it cannot be read, or "".
std::string readSource(const char* filename, std::string& source) {
    FILE* file = std::fopen(filename, "r");
    if (!file) return unreadable("open", filename);
    // A directory opens but fails its first read; its seek length means nothing.
    bool readable = std::fgetc(file) != EOF || !std::ferror(file);
    if (readable) {
        std::fseek(file, 0, SEEK_END);
        source.assign(std::max(std::ftell(file), 0L), '\0');
        std::rewind(file);
        source.resize(std::fread(source.data(), 1, source.size(), file));
        readable = !std::ferror(file);
    }
    std::string error = readable ? "" : unreadable("read", filename);
    std::fclose(file);
    return error;
}

} // namespace

Shader::Shader(const char* filename, GLenum shadertype) : shaderid(0) {
    std::string source;
    std::string error = readSource(filename, source);
    if (!error.empty()) {
        std::printf("%s\n", error.c_str());
        return;
    }
    if (compile(source, shadertype)) return;
    std::puts(GLDialect::compileFailureLine(filename).c_str());
    std::printf("%s\n", source.c_str());
    ShaderError::errorStr(shaderid, SHADER_ERROR);
}

Shader::Shader(const char* filename, GLenum shadertype, std::string& log) : shaderid(0) {
    std::string source;
    log = readSource(filename, source);
    if (!log.empty() || compile(source, shadertype)) return;
    log = ShaderError::log(shaderid, SHADER_ERROR);
    if (log.empty()) log = std::string("shader ") + filename + " does not compile";
}

bool Shader::compile(const std::string& source, GLenum shadertype) {
    std::string text = GLDialect::shaderSource(source, shadertype);
    const GLchar* src = text.c_str();
    shaderid = glCreateShader(shadertype);
    glShaderSource(shaderid, 1, &src, nullptr);
    glCompileShader(shaderid);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shaderid, GL_COMPILE_STATUS, &compiled);
    return compiled;
}

Shader::~Shader() {
    glDeleteShader(shaderid);
}

GLuint Shader::getShaderId() {
    return shaderid;
}

} // namespace vexel
