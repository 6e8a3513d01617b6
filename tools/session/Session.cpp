#include "Session.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

Session::Session(const char* title, int width, int height, std::uint32_t windowFlags, bool offscreen)
    : width(width), height(height) {
    requireConfig();
    window = openGLWindow(title, width, height, windowFlags, offscreen);
    SDL_GL_GetDrawableSize(window, &this->width, &this->height);
    if (offscreen) target = std::make_unique<OffscreenTarget>(this->width, this->height);
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
    Pixels pixels;
    if (target) {
        pixels = target->pixels();
    } else {
        pixels.resize(std::size_t(width) * height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    Pixels flipped(pixels.size());
    std::size_t row = std::size_t(width) * 4;
    for (int y = 0; y < height; y++) std::memcpy(&flipped[y * row], &pixels[(height - 1 - y) * row], row);
    for (std::size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255; // the window shows no alpha
    return flipped;
}
