// One GLSL source file compiled into one GL shader object.
#pragma once

#include <GL/glew.h>

namespace vexel {

class Shader {
public:
    Shader(const char* filename, GLenum shadertype);
    ~Shader();

    GLuint getShaderId();

private:
    GLuint shaderid;
};

} // namespace vexel
