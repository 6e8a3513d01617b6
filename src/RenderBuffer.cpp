#include "RenderBuffer.h"

#include <cstdio>
#include <vector>

namespace vexel {

RenderBuffer::RenderBuffer(int w, int h, int sy, int texnum, bool adddepth)
    : framebuffer(0), renderTexture(new GLuint[texnum]), depthbuffer(0), width(w), height(h), starty(sy),
      isError(false), maxtexture(texnum) {
    std::vector<GLenum> drawbuffers(maxtexture);

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenTextures(maxtexture, renderTexture);
    for (int i = 0; i < maxtexture; ++i) {
        glBindTexture(GL_TEXTURE_2D, renderTexture[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, renderTexture[i], 0);
        drawbuffers[i] = GL_COLOR_ATTACHMENT0 + i;
    }
    if (adddepth) addDepthTexture();
    glDrawBuffers(maxtexture, drawbuffers.data());

    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        isError = true;
        std::puts("Render to texture initialization failed");
    }

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    outsprite = new Sprite();
}

RenderBuffer::~RenderBuffer() {
    glDeleteTextures(maxtexture, renderTexture);
    glDeleteTextures(1, &depthbuffer); // name 0 is silently ignored
    glDeleteFramebuffers(1, &framebuffer);
    delete[] renderTexture;
    delete outsprite;
}

void RenderBuffer::addDepthTexture() {
    glGenTextures(1, &depthbuffer);
    glBindTexture(GL_TEXTURE_2D, depthbuffer);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthbuffer, 0);
}

GLuint RenderBuffer::getFramebuffer() {
    return framebuffer;
}

GLuint RenderBuffer::getRenderTexture(int index) {
    if (index < 0 || index >= maxtexture) return 0;
    return renderTexture[index];
}

GLuint RenderBuffer::getDepth() {
    return depthbuffer;
}

bool RenderBuffer::getError() {
    return isError;
}

void RenderBuffer::addShader(ShaderProgram* prg) {
    postprocessing = prg;
}

void RenderBuffer::firstPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
}

void RenderBuffer::secondPass() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);

    postprocessing->use();
    for (int i = 0; i < maxtexture; ++i) {
        char name[16]; // room for any int, so names never truncate
        std::snprintf(name, sizeof(name), "color%d", i);
        postprocessing->addTexture(name, renderTexture[i]);
    }
    if (depthbuffer != 0) postprocessing->addTexture("depth", depthbuffer);
}

void RenderBuffer::draw() {
    outsprite->draw();
}

} // namespace vexel
