// One image file decoded into one GL 2D texture. The GL texture outlives the object.
#pragma once

#include <GL/glew.h>

namespace vexel {

class Texture {
public:
    explicit Texture(const char* filename);
    ~Texture();

    GLuint getTexID();
    int getWidth();
    int getHeight();

private:
    GLuint texid;
    int width = 0;
    int height = 0;
};

} // namespace vexel
