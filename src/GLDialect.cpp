#include "GLDialect.h"

#include <fstream>

namespace vexel::GLDialect {

#ifdef __EMSCRIPTEN__

namespace {

bool cornerProgramInUse = false;

} // namespace

// WebGL 2 has no geometry stage. Where a program's geometry stage makes new vertices, a vertex
// stage of the web's own does its work: X.web.vert beside X.vert. The others pass their triangles
// through and are left out.
std::vector<ShaderFile> programStages(const std::string& fragment, const std::string& vertex, const std::string&) {
    std::size_t suffix = vertex.rfind(".vert");
    std::string web = vertex.substr(0, suffix) + ".web.vert";
    bool ownVertexStage = suffix != std::string::npos && std::ifstream(web).good();
    return {{fragment, GL_FRAGMENT_SHADER}, {ownVertexStage ? web : vertex, GL_VERTEX_SHADER}};
}

// The files are written for desktop GL 4.1: WebGL 2 reads GLSL ES 3.00, which also wants default
// precisions. The pass-through geometry stages, dropped here, hand the vertex stage's
// vertexTexcoord on as texcoord, so the fragment stage reads it under the vertex stage's name.
// #line keeps the log's line numbers those of the file.
std::string shaderSource(const std::string& source, GLenum stage) {
    std::string preamble = "#version 300 es\n"
                           "precision highp float;\nprecision highp int;\n"
                           "precision highp sampler2D;\nprecision highp samplerCube;\n";
    if (stage == GL_FRAGMENT_SHADER) preamble += "#define texcoord vertexTexcoord\n";
    if (source.compare(0, 9, "#version ") != 0) return preamble + "#line 1\n" + source;
    std::size_t body = source.find('\n');
    return preamble + "#line 2\n" + (body == std::string::npos ? "" : source.substr(body + 1));
}

// The page shows these lines, and its reader has no other clue to the file.
std::string compileFailureLine(const char* filename) {
    return std::string("Shader error in ") + filename;
}

// The wire-frame's own vertex stage reads the corners at attributes cornerA, cornerB and cornerC.
bool drawsCorners(GLuint program) {
    return glGetAttribLocation(program, "cornerA") >= 0;
}

void programInUse(bool corners) {
    cornerProgramInUse = corners;
}

bool cornersInUse() {
    return cornerProgramInUse;
}

// Always on in WebGL 2, which refuses to name it.
void enableSeamlessCubeMaps() {}

#else

std::vector<ShaderFile> programStages(const std::string& fragment, const std::string& vertex,
                                      const std::string& geometry) {
    std::vector<ShaderFile> files = {{fragment, GL_FRAGMENT_SHADER}, {vertex, GL_VERTEX_SHADER}};
    if (geometry != "-") files.push_back({geometry, GL_GEOMETRY_SHADER});
    return files;
}

std::string shaderSource(const std::string& source, GLenum) {
    return source;
}

std::string compileFailureLine(const char*) {
    return "Shader error";
}

bool drawsCorners(GLuint) {
    return false;
}

void programInUse(bool) {}

bool cornersInUse() {
    return false;
}

void enableSeamlessCubeMaps() {
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
}

#endif

} // namespace vexel::GLDialect
