#include "Texture.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cstdio>
#include <string>

namespace vexel {

namespace {

// The sized internal format and the data format for decoded pixels of `channels` channels.
// GL ES accepts an internal format only with its own data format, and has no swizzle.
struct PixelFormat {
    GLint internal;
    GLenum data;
};

PixelFormat pixelFormat(int channels) {
    switch (channels) {
    case 4: return {GL_RGBA8, GL_RGBA};
    case 3: return {GL_RGB8, GL_RGB};
    default: return {GL_R8, GL_RED};
    }
}

// Decoded rows are tightly packed, whatever their length in bytes.
void uploadTightRows(int width, int height, PixelFormat format, const stbi_uc* pixels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, format.internal, width, height, 0, format.data, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

// Decodes the file into `texid`, leaving it bound; on failure touches no GL state.
bool decodeInto(GLuint texid, const char* filename, int& width, int& height, std::string& error) {
    // Grey-alpha images are decoded as (grey, grey, grey, alpha), which keeps their look.
    int channels = 0;
    stbi_info(filename, &width, &height, &channels);
    int stored = channels == 2 ? 4 : 0; // 0: as many as the file has
    stbi_uc* pixels = stbi_load(filename, &width, &height, &channels, stored);
    if (!pixels) {
        width = height = 0;
        error = std::string("cannot load texture ") + filename + ": " + stbi_failure_reason();
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texid);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    uploadTightRows(width, height, pixelFormat(stored ? stored : channels), pixels);
    stbi_image_free(pixels);
    return true;
}

} // namespace

Texture::Texture(const char* filename) : texid(0) {
    glGenTextures(1, &texid);
    std::string error;
    if (!decodeInto(texid, filename, width, height, error)) std::printf("%s\n", error.c_str());
}

bool Texture::reload(GLuint texid, const char* filename, std::string& error) {
    int width = 0, height = 0;
    return decodeInto(texid, filename, width, height, error);
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
