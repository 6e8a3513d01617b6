// A GL program: collects shaders, links and validates, sets uniforms and hands out texture units.
#pragma once

#include "Matrix.h"
#include "Texture.h"

#include <GL/glew.h>

#include <string>
#include <vector>

namespace vexel {

// One GLSL file of a program and the stage it is compiled for.
struct ShaderFile {
    std::string path;
    GLenum type;
};

class ShaderProgram {
public:
    ShaderProgram();
    ~ShaderProgram();

    void addShader(const char* filename, GLenum shadertype);
    void compile();
    GLuint getProgramID();

    // Compiles and links `files` into a new GL program. When both succeed, the new program takes
    // the old one's place inside this object (the old one is deleted), so everything holding this
    // object draws with it from its next use(). Otherwise nothing changes and `log` says what the
    // compiler or the linker found.
    bool relink(const std::vector<ShaderFile>& files, std::string& log);

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
    bool drawscorners = false; // known when the program links

};

} // namespace vexel
