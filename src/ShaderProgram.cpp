#include "ShaderProgram.h"

#include "GLDialect.h"
#include "Shader.h"
#include "ShaderError.h"

#include <cstdio>

namespace vexel {

ShaderProgram::ShaderProgram() : programid(glCreateProgram()) {}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(programid);
}

// The attached GL shader lives on with the program: deleting an attached shader only flags it.
void ShaderProgram::addShader(const char* filename, GLenum shadertype) {
    Shader shader(filename, shadertype);
    if (shader.getShaderId() == 0) return;
    glAttachShader(programid, shader.getShaderId());
}

void ShaderProgram::compile() {
    GLint status = GL_FALSE;
    glLinkProgram(programid);
    glGetProgramiv(programid, GL_LINK_STATUS, &status);
    drawscorners = GLDialect::drawsCorners(programid);
    if (!status) {
        std::puts("Link error");
        ShaderError::errorStr(programid, PROGRAM_ERROR);
    }

    glValidateProgram(programid);
    glGetProgramiv(programid, GL_VALIDATE_STATUS, &status);
    if (!status) {
        std::puts("Validate error");
        ShaderError::errorStr(programid, PROGRAM_ERROR);
    }
}

bool ShaderProgram::relink(const std::vector<ShaderFile>& files, std::string& log) {
    GLuint fresh = glCreateProgram();
    for (const ShaderFile& file : files) {
        Shader shader(file.path.c_str(), file.type, log);
        if (!log.empty()) {
            glDeleteProgram(fresh);
            return false;
        }
        glAttachShader(fresh, shader.getShaderId());
    }
    GLint linked = GL_FALSE;
    glLinkProgram(fresh);
    glGetProgramiv(fresh, GL_LINK_STATUS, &linked);
    if (!linked) {
        log = ShaderError::log(fresh, PROGRAM_ERROR);
        glDeleteProgram(fresh);
        return false;
    }
    glDeleteProgram(programid);
    programid = fresh;
    drawscorners = GLDialect::drawsCorners(programid);
    return true;
}

GLuint ShaderProgram::getProgramID() {
    return programid;
}

void ShaderProgram::use() {
    glUseProgram(programid);
    GLDialect::programInUse(drawscorners);
    texturecount = 0;
}

void ShaderProgram::setParam(const char* varname, float value) {
    glUniform1f(glGetUniformLocation(programid, varname), value);
}

void ShaderProgram::setParam(const char* varname, float v1, float v2) {
    glUniform2f(glGetUniformLocation(programid, varname), v1, v2);
}

void ShaderProgram::setParam(const char* varname, float v1, float v2, float v3) {
    glUniform3f(glGetUniformLocation(programid, varname), v1, v2, v3);
}

void ShaderProgram::setParam(const char* varname, int value) {
    glUniform1i(glGetUniformLocation(programid, varname), value);
}

void ShaderProgram::setParam(const char* varname, Matrix value) {
    glUniformMatrix4fv(glGetUniformLocation(programid, varname), 1, GL_FALSE, value.matrix());
}

void ShaderProgram::addTexture(const char* varname, GLuint texnum) {
    addTexture(varname, GL_TEXTURE_2D, texnum);
}

void ShaderProgram::addTexture(const char* varname, Texture* texture) {
    addTexture(varname, GL_TEXTURE_2D, texture->getTexID());
}

void ShaderProgram::addTexture(const char* varname, GLenum ttype, GLuint texnum) {
    glActiveTexture(GL_TEXTURE0 + texturecount);
    glBindTexture(ttype, texnum);
    setParam(varname, texturecount);
    texturecount++;
}

} // namespace vexel
