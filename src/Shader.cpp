#include "Shader.h"

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

#ifdef __EMSCRIPTEN__
// The files are written for desktop GL 4.1: WebGL 2 reads GLSL ES 3.00, which also wants default
// precisions. The pass-through geometry stages, dropped there (see programFiles), hand the vertex
// stage's vertexTexcoord on as texcoord, so the fragment stage reads it under the vertex stage's
// name. #line keeps the log's line numbers those of the file.
std::string forThisGL(const std::string& source, GLenum shadertype) {
    std::string preamble = "#version 300 es\n"
                           "precision highp float;\nprecision highp int;\n"
                           "precision highp sampler2D;\nprecision highp samplerCube;\n";
    if (shadertype == GL_FRAGMENT_SHADER) preamble += "#define texcoord vertexTexcoord\n";
    if (source.compare(0, 9, "#version ") != 0) return preamble + "#line 1\n" + source;
    std::size_t body = source.find('\n');
    return preamble + "#line 2\n" + (body == std::string::npos ? "" : source.substr(body + 1));
}
#else
const std::string& forThisGL(const std::string& source, GLenum) {
    return source;
}
#endif

} // namespace

Shader::Shader(const char* filename, GLenum shadertype) : shaderid(0) {
    std::string source;
    std::string error = readSource(filename, source);
    if (!error.empty()) {
        std::printf("%s\n", error.c_str());
        return;
    }
    if (compile(source, shadertype)) return;
#ifdef __EMSCRIPTEN__
    // The page shows these lines, and its reader has no other clue to the file.
    std::printf("Shader error in %s\n", filename);
#else
    std::puts("Shader error");
#endif
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
    const std::string& text = forThisGL(source, shadertype);
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
