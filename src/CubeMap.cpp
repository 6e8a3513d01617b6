#include "CubeMap.h"

#include <cstdio>

namespace vexel {

CubeMap::CubeMap(int size, int width, int height) : size(size), width(width), height(height) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &frameTarget);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);

    glGenTextures(1, &cubemap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    for (int side = 0; side < 6; ++side) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + side, 0, GL_RGBA8, size, size, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    // One depth buffer serves all six faces; callers clear it after each setSide.
    glGenRenderbuffers(1, &render);
    glBindRenderbuffer(GL_RENDERBUFFER, render);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size, size);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, render);
    setSide(0);

    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::printf("CubeMap not complete %d\n", int(glCheckFramebufferStatus(GL_FRAMEBUFFER)));
    }

    glBindFramebuffer(GL_FRAMEBUFFER, frameTarget);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

CubeMap::~CubeMap() {
    // The show never destroys a target; process exit reclaims the GL objects.
}

void CubeMap::setAsRendertarget() {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &frameTarget);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glViewport(0, 0, size, size);
}

void CubeMap::setSide(int side) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X + side,
                           cubemap, 0);
}

void CubeMap::unset() {
    glBindFramebuffer(GL_FRAMEBUFFER, frameTarget);
    glViewport(0, 0, width, height);
}

GLuint CubeMap::getID() {
    return cubemap;
}

} // namespace vexel
