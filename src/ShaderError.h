// Prints the info log of a shader or a program.
#pragma once

#include <GL/glew.h>

#include <string>

namespace vexel {

enum ERROR_TYPE { SHADER_ERROR = 0, PROGRAM_ERROR = 1 };

class ShaderError {
public:
    static void errorStr(GLuint obj, ERROR_TYPE type);
    // The same log as a string, for callers that report it their own way.
    static std::string log(GLuint obj, ERROR_TYPE type);
};

} // namespace vexel
