// The resource registry: reads config.txt once and files every program, texture and mesh by name.
#pragma once

#include "Mesh3D.h"
#include "ShaderProgram.h"

#include <GL/glew.h>

#include <istream>
#include <string>
#include <unordered_map>
#include <vector>

namespace vexel {

// One line of config text whose first word names a resource kind.
struct ConfigLine {
    int number;                      // 1-based line number
    std::string kind;                // "Texture", "Shader", "Mesh" or "File"
    std::vector<std::string> fields; // the fields after the kind; empty when the line has too few
};

// Cuts config text into its resource lines, in file order; lines of other kinds are left out.
// Separate from Config so that the format can be exercised without a GL context.
std::vector<ConfigLine> readConfigLines(std::istream& in);

// The shader files of a "Shader" line, in the order the program attaches them.
std::vector<ShaderFile> programFiles(const ConfigLine& line);

class Config {
public:
    explicit Config(const char* filename);
    ~Config();

    // Unknown names raise std::out_of_range carrying the line printed before it, which names the kind and the name.
    ShaderProgram* getShader(std::string shadername);
    GLuint getTexture(std::string texturename);
    std::string getFile(std::string filename);
    // Unknown names yield null (and are filed as null from then on).
    Mesh3D* getModel(std::string modelname);

private:
    std::unordered_map<std::string, ShaderProgram*> shaders; // programs owned, never released
    std::unordered_map<std::string, GLuint> textures;
    std::unordered_map<std::string, std::string> files;
    std::unordered_map<std::string, Mesh3D*> models; // meshes owned, never released
    std::string configpath; // names the registry in messages

    void fileResource(const ConfigLine& line);
};

} // namespace vexel
