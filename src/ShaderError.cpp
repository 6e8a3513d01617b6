#include "ShaderError.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vexel {

void ShaderError::errorStr(GLuint obj, ERROR_TYPE type) {
    std::printf("%s\n", log(obj, type).c_str());
}

std::string ShaderError::log(GLuint obj, ERROR_TYPE type) {
    GLint length = 0;
    if (type == PROGRAM_ERROR)
        glGetProgramiv(obj, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(obj, GL_INFO_LOG_LENGTH, &length);

    std::vector<GLchar> log(length + 1, '\0');
    if (type == PROGRAM_ERROR)
        glGetProgramInfoLog(obj, length, nullptr, log.data());
    else
        glGetShaderInfoLog(obj, length, nullptr, log.data());
    return log.data();
}

} // namespace vexel
