#include "Texture.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cstdio>
#include <string>

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
// Other images sample their channels as they are.
void setSwizzle(int channels) {
    const GLint greyAlpha[4] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
    const GLint identity[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, channels == 2 ? greyAlpha : identity);
}

// Decoded rows are tightly packed, whatever their length in bytes.
void uploadTightRows(int width, int height, GLenum format, const stbi_uc* pixels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

// Decodes the file into `texid`, leaving it bound; on failure touches no GL state.
bool decodeInto(GLuint texid, const char* filename, int& width, int& height, std::string& error) {
    int bpp = 0;
    stbi_uc* pixels = stbi_load(filename, &width, &height, &bpp, 0);
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
    setSwizzle(bpp);
    uploadTightRows(width, height, pixelFormat(bpp), pixels);
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
