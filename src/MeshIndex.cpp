#include "MeshIndex.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace vexel {

namespace {

// Like atoi, but a number too large for an int is clamped instead of wrapping, so that it
// stays out of range of every list; the lower bound keeps "index - 1" representable.
int parseIndex(const char* piece) {
    long value = std::strtol(piece, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN + 1) return INT_MIN + 1;
    return int(value);
}

} // namespace

MeshIndex::MeshIndex(char* line) {
    char slash[] = "/";
    char* save = nullptr;
    strtok_r(line, " \n", &save);
    for (int i = 0; i < 3; i++) {
        char* corner = strtok_r(nullptr, " \n", &save);
        if (!corner) return;
        vertex[i] = parseIndex(strsep(&corner, slash));
        char* piece = strsep(&corner, slash);
        if (!piece) continue;
        texture[i] = parseIndex(piece);
        texture_given[i] = *piece != '\0';
        piece = strsep(&corner, slash);
        if (!piece) continue;
        normal[i] = parseIndex(piece);
        normal_given[i] = *piece != '\0';
    }
}

MeshIndex::~MeshIndex() {}

int MeshIndex::getVertex(int i) {
    return vertex[i] - 1;
}

int MeshIndex::getText(int i) {
    return texture[i] - 1;
}

int MeshIndex::getNormal(int i) {
    return normal[i] - 1;
}

bool MeshIndex::hasText(int i) {
    return texture_given[i];
}

bool MeshIndex::hasNormal(int i) {
    return normal_given[i];
}

// Consecutive delimiters yield empty pieces, which strtok would merge.
char* MeshIndex::strsep(char** input, char* delim) {
    char* start = *input;
    if (!start) return nullptr;
    char* found = std::strpbrk(start, delim);
    if (found) {
        *found = '\0';
        *input = found + 1;
    } else {
        *input = nullptr;
    }
    return start;
}

} // namespace vexel
