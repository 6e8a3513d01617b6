// The sixteen floats of a matrix in storage order, so that whole matrices compare in one check.
#pragma once

#include "Matrix.h"

#include <array>

inline std::array<float, 16> elements(vexel::Matrix matrix) {
    std::array<float, 16> out{};
    for (int i = 0; i < 16; i++) out[i] = matrix.matrix()[i];
    return out;
}
