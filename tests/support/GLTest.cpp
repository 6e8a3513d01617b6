#include "GLTest.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

SDL_Window* window = nullptr;

void fail(const char* what, const char* reason) {
    std::printf("GL test context: %s: %s\n", what, reason);
    std::exit(1);
}

} // namespace

void GLTest::SetUpTestSuite() {
    if (window) return;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) fail("SDL_Init failed", SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    window = SDL_CreateWindow("skorvane-test", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) fail("cannot create window", SDL_GetError());
    if (!SDL_GL_CreateContext(window)) fail("cannot create a 4.1 core context", SDL_GetError());
    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    if (glew != GLEW_OK) fail("glewInit failed", reinterpret_cast<const char*>(glewGetErrorString(glew)));
    glGetError(); // glewInit leaves GL_INVALID_ENUM behind on core contexts
}

GLuint GLTest::makeTarget(int width, int height) {
    GLuint fbo = 0, color = 0, depth = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    EXPECT_EQ(GLenum(GL_FRAMEBUFFER_COMPLETE), glCheckFramebufferStatus(GL_FRAMEBUFFER));
    glViewport(0, 0, width, height);
    return fbo;
}

void GLTest::freeTarget(GLuint fbo) {
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    GLint names[2] = {0, 0};
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &names[0]);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &names[1]);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLuint buffers[2] = {GLuint(names[0]), GLuint(names[1])};
    glDeleteRenderbuffers(2, buffers);
    glDeleteFramebuffers(1, &fbo);
}

std::vector<std::uint8_t> GLTest::readPixels(int width, int height) {
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}
