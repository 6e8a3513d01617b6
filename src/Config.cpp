#include "Config.h"

#include "GLDialect.h"
#include "Texture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace vexel {

namespace {

// Fields after the kind word; 0 for a line that is not a resource line.
size_t fieldCount(const std::string& kind) {
    if (kind == "Texture" || kind == "Mesh" || kind == "File") return 2;
    if (kind == "Shader") return 6;
    return 0;
}

// Cuts `count` fields after the space at `pos`: each ends at the next space, the last runs to
// the end of the line, spaces included. Empty when the line has too few spaces.
std::vector<std::string> cutFields(const std::string& line, size_t pos, size_t count) {
    std::vector<std::string> fields;
    if (pos == std::string::npos) return fields;
    for (size_t i = 1; i < count; i++) {
        size_t next = line.find(' ', pos + 1);
        if (next == std::string::npos) return {};
        fields.push_back(line.substr(pos + 1, next - pos - 1));
        pos = next;
    }
    fields.push_back(line.substr(pos + 1));
    return fields;
}

ShaderProgram* buildProgram(const ConfigLine& line) {
    ShaderProgram* program = new ShaderProgram();
    for (const ShaderFile& file : programFiles(line)) program->addShader(file.path.c_str(), file.type);
    program->compile();
    return program;
}

template <typename Value>
Value lookup(const std::unordered_map<std::string, Value>& map, const std::string& name, const char* kind,
             const std::string& configpath) {
    auto found = map.find(name);
    if (found != map.end()) return found->second;
    std::string message = configpath + " files no " + kind + " named \"" + name + "\"";
    std::puts(message.c_str());
    // The exception below may end the process without flushing standard output.
    std::fflush(stdout);
    throw std::out_of_range(message);
}

} // namespace

// Fields: name, fragment, vertex, two unused tessellation paths, geometry ("-" for a program
// without a geometry stage).
std::vector<ShaderFile> programFiles(const ConfigLine& line) {
    return GLDialect::programStages(line.fields[1], line.fields[2], line.fields[5]);
}

std::vector<ConfigLine> readConfigLines(std::istream& in) {
    std::vector<ConfigLine> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); number++) {
        // A config saved with CR-LF line ends loads like one with LF.
        if (!text.empty() && text.back() == '\r') text.pop_back();
        size_t pos = text.find(' ');
        std::string kind = text.substr(0, pos);
        size_t count = fieldCount(kind);
        if (count > 0) lines.push_back({number, kind, cutFields(text, pos, count)});
    }
    return lines;
}

Config::Config(const char* filename) : configpath(filename) {
    std::ifstream file(filename);
    if (!file) {
        std::printf("cannot open %s: %s\n", filename, std::strerror(errno));
        return;
    }
    std::vector<ConfigLine> lines = readConfigLines(file);
    // Loading the resources below may overwrite errno before a read failure is reported.
    int readError = errno;
    for (const ConfigLine& line : lines) {
        if (line.fields.empty())
            std::printf("%s line %d: too few fields for %s, skipped\n", filename, line.number, line.kind.c_str());
        else
            fileResource(line);
    }
    if (file.bad()) std::printf("cannot read %s: %s\n", filename, std::strerror(readError));
}

Config::~Config() {}

void Config::fileResource(const ConfigLine& line) {
    const std::vector<std::string>& fields = line.fields;
    const std::string& name = fields[0];
    if (line.kind == "Texture")
        textures[name] = Texture(fields[1].c_str()).getTexID();
    else if (line.kind == "Shader")
        shaders[name] = buildProgram(line);
    else if (line.kind == "Mesh")
        models[name] = new Mesh3D(fields[1].c_str());
    else
        files[name] = fields[1];
}

ShaderProgram* Config::getShader(std::string shadername) {
    return lookup(shaders, shadername, "Shader", configpath);
}

GLuint Config::getTexture(std::string texturename) {
    return lookup(textures, texturename, "Texture", configpath);
}

std::string Config::getFile(std::string filename) {
    return lookup(files, filename, "File", configpath);
}

Mesh3D* Config::getModel(std::string modelname) {
    return models[modelname];
}

} // namespace vexel
