#include "Texture.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cstdio>

namespace vexel {

namespace {

GLenum pixelFormat(int channels) {
    switch (channels) {
    case 4: return GL_RGBA;
    case 3: return GL_RGB;
    case 2: return GL_RG;
    default: return GL_RED;
    }
}

// Grey-alpha images arrive as red-green; sampling them as (grey, grey, grey, alpha) keeps their look.
void showRedGreenAsLuminanceAlpha() {
    const GLint swizzle[4] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
}

// Decoded rows are tightly packed, whatever their length in bytes.
void uploadTightRows(int width, int height, GLenum format, const stbi_uc* pixels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

} // namespace

Texture::Texture(const char* filename) : texid(0) {
    glGenTextures(1, &texid);

    int bpp = 0;
    stbi_uc* pixels = stbi_load(filename, &width, &height, &bpp, 0);
    if (!pixels) {
        width = height = 0;
        std::printf("cannot load texture %s: %s\n", filename, stbi_failure_reason());
        return;
    }

    glBindTexture(GL_TEXTURE_2D, texid);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (bpp == 2) showRedGreenAsLuminanceAlpha();
    uploadTightRows(width, height, pixelFormat(bpp), pixels);
    stbi_image_free(pixels);
}

Texture::~Texture() {}

GLuint Texture::getTexID() {
    return texid;
}

int Texture::getWidth() {
    return width;
}

int Texture::getHeight() {
    return height;
}

} // namespace vexel
