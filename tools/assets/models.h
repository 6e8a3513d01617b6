// The six models of the show, built from code so that every file can be made again byte for byte.
#pragma once

#include "meshgen.h"

#include <string>
#include <vector>

namespace modelgen {

struct Model {
    const char* name;
    Mesh (*build)();
    double creaseDegrees; // faces meeting at more than this keep separate normals
};

// wheel, toycar, charger, terrain, skybox, turtle: the file data/models/<name>.obj of each.
const std::vector<Model>& models();

// Writes <dir>/<name>.obj for every model; on failure prints which file and returns false.
bool writeModels(const std::string& dir);

} // namespace modelgen
