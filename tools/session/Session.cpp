#include "Session.h"

#include <GL/glew.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>

void fail(const std::string& message) {
    std::printf("%s\n", message.c_str());
    std::fflush(stdout);
    std::exit(1);
}

Session::Session(const char* title, int width, int height, std::uint32_t windowFlags, bool headless)
    : width(width), height(height) {
    // Checked first, so that a wrong directory gets the same single line as from the registry.
    if (!std::ifstream("config.txt")) fail(std::string("cannot open config.txt: ") + std::strerror(errno));

    const char* display = std::getenv("DISPLAY");
    bool offscreen = headless && (!display || !*display);
    if (offscreen) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) fail(std::string("cannot initialise SDL: ") + SDL_GetError());
    // Without an X server SDL falls back to its offscreen driver on its own, where GLEW can only
    // fail with an unhelpful "Unknown error": say what is missing instead.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!offscreen && driver && std::strcmp(driver, "offscreen") == 0)
        fail(display && *display ? std::string("cannot open a display: no X server answers at DISPLAY=") + display
                                 : std::string("cannot open a display: DISPLAY is not set"));
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    // As in skorvane: without a window manager a full-screen window keeps the size it was made with.
    SDL_DisplayMode desktop;
    if ((windowFlags & SDL_WINDOW_FULLSCREEN_DESKTOP) && SDL_GetDesktopDisplayMode(0, &desktop) == 0)
        width = desktop.w, height = desktop.h;
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                              windowFlags | SDL_WINDOW_OPENGL);
    if (!window) fail(std::string("cannot create the window: ") + SDL_GetError());
    if (!SDL_GL_CreateContext(window))
        fail(std::string("cannot create an OpenGL 4.1 core context: ") + SDL_GetError());
    SDL_GL_GetDrawableSize(window, &this->width, &this->height);

    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    // Debian's GLEW also looks for a GLX display, which the offscreen (EGL) driver has not; the GL
    // entry points are loaded by then, and the version check below stands in for it.
    if (glew != GLEW_OK && !(offscreen && glew == GLEW_ERROR_NO_GLX_DISPLAY))
        fail(std::string("cannot initialise GLEW: ") + reinterpret_cast<const char*>(glewGetErrorString(glew)));
    if (!GLEW_VERSION_4_1)
        fail(std::string("cannot create an OpenGL 4.1 core context: ") +
             reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    glGetError();
}

void Session::buildDemo() {
    auto t0 = std::chrono::steady_clock::now();
    demo = new Velmora(width, height);
    try {
        demo->init();
    } catch (const std::exception&) {
        // The registry or the scene has already said what config.txt lacks.
        std::fflush(stdout);
        std::exit(1);
    }
    initSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void Session::render(double time, int fps) {
    // Going on from the stream as it stands is only right where it stands as a live show at `fps`
    // leaves it: moved last to one of that show's frames, before `time`. Anything else (another
    // rate, a time off the frames of this one, the same time again) replays it from the start.
    if (!(streamOnFrames && fps == streamFps && simulated < time)) restartStarStream();
    demo->replayStarStream(simulated, time, fps);
    demo->show(time);
    simulated = time;
    streamFps = fps;
    streamOnFrames = frameTime(std::lround(time * fps), fps) == time;
}

void Session::play(double time, int fps) {
    if (simulated > time) restartStarStream();
    demo->replayStarStream(simulated, time, fps);
    show(time);
}

void Session::show(double time) {
    demo->show(time);
    simulated = std::max(simulated, time);
    streamOnFrames = false;
}

void Session::restartStarStream() {
    demo->rewindStarStream();
    simulated = 0.0;
    streamOnFrames = true;
}

Pixels Session::read() {
    Pixels pixels(std::size_t(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    Pixels flipped(pixels.size());
    std::size_t row = std::size_t(width) * 4;
    for (int y = 0; y < height; y++) std::memcpy(&flipped[y * row], &pixels[(height - 1 - y) * row], row);
    for (std::size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255; // the window shows no alpha
    return flipped;
}
