#include "OffscreenTarget.h"

#include "GLWindow.h"

#include <string>

OffscreenTarget::OffscreenTarget(int width, int height) : width(width), height(height) {
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, buffers);
    const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
    const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    for (int i = 0; i < 2; i++) {
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, buffers[i]);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        fail("cannot draw offscreen at " + std::to_string(width) + "x" + std::to_string(height) +
             ": the framebuffer is incomplete (" + std::to_string(status) + ")");
    glViewport(0, 0, width, height);
}

OffscreenTarget::~OffscreenTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, buffers);
    glDeleteFramebuffers(1, &framebuffer);
}

std::vector<std::uint8_t> OffscreenTarget::pixels() const {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}
