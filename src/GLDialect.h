// What the engine says differently to the two GLs it draws with, desktop OpenGL 4.1 and WebGL 2.
// This unit alone knows which of them the build is for; the engine's classes ask it and otherwise
// read as one program.
#pragma once

#include "ShaderProgram.h"

#include <GL/glew.h>

#include <string>
#include <vector>

namespace vexel::GLDialect {

// The files a program is linked from, given config.txt's fragment, vertex and geometry paths
// ("-" for none), in the order they are attached.
std::vector<ShaderFile> programStages(const std::string& fragment, const std::string& vertex,
                                      const std::string& geometry);

// A shader file's source as this GL's compiler is given it.
std::string shaderSource(const std::string& source, GLenum stage);

// The line that announces a shader file that does not compile; the source and the log follow it.
std::string compileFailureLine(const char* filename);

// Whether a linked program draws each triangle as six vertices that carry all three corners.
bool drawsCorners(GLuint program);

// Says whether the program just made current draws corners, for the meshes drawn next to ask.
void programInUse(bool corners);
bool cornersInUse();

// The global state this GL has to be asked for: seamless filtering across cube-map faces.
void enableSeamlessCubeMaps();

} // namespace vexel::GLDialect
