// One image file decoded into one GL 2D texture. The GL texture outlives the object.
#pragma once

#include <GL/glew.h>

#include <string>

namespace vexel {

class Texture {
public:
    explicit Texture(const char* filename);
    ~Texture();

    // Decodes `filename` into the existing texture `texid`: the same GL name, the new pixels, so
    // every holder of the name shows them. On failure the texture keeps its pixels and `error`
    // says why.
    static bool reload(GLuint texid, const char* filename, std::string& error);

    GLuint getTexID();
    int getWidth();
    int getHeight();

private:
    GLuint texid;
    int width = 0;
    int height = 0;
};

} // namespace vexel
