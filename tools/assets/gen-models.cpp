// gen-models <outdir>: writes the show's OBJ models into outdir.
#include "models.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: gen-models <outdir>\n");
        return 2;
    }
    return modelgen::writeModels(argv[1]) ? 0 : 1;
}
