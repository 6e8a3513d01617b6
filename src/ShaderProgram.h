// A GL program: collects shaders, links and validates, sets uniforms and hands out texture units.
#pragma once

#include "Matrix.h"
#include "Texture.h"

#include <GL/glew.h>

namespace vexel {

class ShaderProgram {
public:
    ShaderProgram();
    ~ShaderProgram();

    void addShader(const char* filename, GLenum shadertype);
    void compile();
    GLuint getProgramID();

    // Makes the program current and restarts texture-unit numbering at 0.
    void use();

    void setParam(const char* varname, float value);
    void setParam(const char* varname, float v1, float v2);
    void setParam(const char* varname, float v1, float v2, float v3);
    void setParam(const char* varname, int value);
    void setParam(const char* varname, Matrix value);

    // Bind a texture to the next unit and point the sampler `varname` at that unit.
    void addTexture(const char* varname, GLuint texnum);
    void addTexture(const char* varname, Texture* texture);
    void addTexture(const char* varname, GLenum ttype, GLuint texnum);

private:
    GLuint programid;
    int texturecount = 0;
};

} // namespace vexel
