// Two-pass post-processing target: the scene renders into colour textures (and optionally a depth
// texture), then a full-screen quad samples them as "color0", "color1", ... and "depth".
#pragma once

#include "ShaderProgram.h"
#include "Sprite.h"

#include <GL/glew.h>

namespace vexel {

class RenderBuffer {
public:
    RenderBuffer(int w, int h, int sy, int texnum, bool adddepth);
    ~RenderBuffer();
    // Owns GL objects and a heap array: copies would release them twice.
    RenderBuffer(const RenderBuffer&) = delete;
    RenderBuffer& operator=(const RenderBuffer&) = delete;

    GLuint getFramebuffer();
    // Colour texture `index`, or 0 for an index outside 0 .. texnum - 1.
    GLuint getRenderTexture(int index);
    // The depth texture, or 0 when none was requested.
    GLuint getDepth();
    // True when the framebuffer was incomplete at construction.
    bool getError();

    // Sets the post-processing program; not owned.
    void addShader(ShaderProgram* prg);
    // Binds the target for rendering the scene: depth test on, cleared, viewport at render size.
    void firstPass();
    // Returns to the window and binds the rendered textures to the post-processing program.
    void secondPass();
    void draw();

private:
    GLuint framebuffer;
    GLuint* renderTexture;
    GLuint depthbuffer;
    int width;
    int height;
    int starty;
    bool isError;
    int maxtexture;
    ShaderProgram* postprocessing = nullptr;
    Sprite* outsprite = nullptr;

    void addDepthTexture();
};

} // namespace vexel
