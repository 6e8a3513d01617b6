// The corner indices of one OBJ face line, as written in the file (1-based).
#pragma once

namespace vexel {

class MeshIndex {
public:
    // Parses one "f" line in place (the buffer is modified).
    explicit MeshIndex(char* line);
    ~MeshIndex();

    // 0-based indices into the position, texture-coordinate and normal lists for corner i.
    int getVertex(int i);
    int getText(int i);
    int getNormal(int i);

    // Whether corner i names a texture-coordinate (normal) index at all; "1//3" names none.
    bool hasText(int i);
    bool hasNormal(int i);

private:
    int vertex[3] = {0, 0, 0};
    int texture[3] = {0, 0, 0};
    int normal[3] = {0, 0, 0};
    bool texture_given[3] = {false, false, false};
    bool normal_given[3] = {false, false, false};

    char* strsep(char** input, char* delim);
};

} // namespace vexel
