// One GLSL source file compiled into one GL shader object.
#pragma once

#include <GL/glew.h>

#include <string>

namespace vexel {

class Shader {
public:
    Shader(const char* filename, GLenum shadertype);
    // Compiles without printing: `log` is left empty on success, and otherwise says why the file
    // could not be read or what the compiler found.
    Shader(const char* filename, GLenum shadertype, std::string& log);
    ~Shader();

    GLuint getShaderId();

private:
    GLuint shaderid;

    bool compile(const std::string& source, GLenum shadertype);
};

} // namespace vexel
