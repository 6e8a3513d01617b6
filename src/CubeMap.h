// An off-screen target whose colour buffer is a cube map; the six faces share one depth buffer.
#pragma once

#include <GL/glew.h>

namespace vexel {

class CubeMap {
public:
    CubeMap(int size, int width, int height);
    ~CubeMap();

    // Binds the target and sets the viewport to the face size.
    void setAsRendertarget();
    // Attaches face `side` (0..5, GL order +X, -X, +Y, -Y, +Z, -Z) to the bound framebuffer.
    void setSide(int side);
    // Returns to the framebuffer bound before setAsRendertarget (the window's, or the one a tool
    // draws the frame into) and to the frame's viewport.
    void unset();
    GLuint getID();

private:
    GLuint fbo = 0;
    GLuint cubemap = 0;
    GLuint render = 0;
    GLint frameTarget = 0; // the framebuffer to return to
    int size = 0;
    int width = 0;
    int height = 0;
};

} // namespace vexel
