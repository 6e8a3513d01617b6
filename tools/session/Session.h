// The window, the OpenGL context and the Velmora object that skorvane-capture and skorvane-preview
// draw with. Start-up failures end the process with one line and status 1, as skorvane does.
#pragma once

#include "GLWindow.h"
#include "OffscreenTarget.h"
#include "velmora.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

using Pixels = std::vector<std::uint8_t>;

class Session {
public:
    // Opens a window of `width` x `height` (or the desktop's size with SDL_WINDOW_FULLSCREEN_DESKTOP)
    // and a 4.1 core context in it. With `offscreen`, for frames that are read back and never shown,
    // the frames go into a framebuffer of the session's own, and a process without DISPLAY draws
    // through SDL's offscreen driver.
    Session(const char* title, int width, int height, std::uint32_t windowFlags, bool offscreen);

    // Loads config.txt and builds the scenes as skorvane does.
    void buildDemo();

    // Draws demo time `time`. Inside the star stream it first replays the frames a live show at
    // `fps` would have drawn since the scene began, so the emitter reaches the same state. The
    // frame is the same, bit for bit, whatever was drawn before; it costs a replay from the
    // scene's start unless the previous call drew an earlier frame of that show at the same `fps`.
    void render(double time, int fps);
    // Draws demo time `time` as a live show playing on would: the star stream moves on from the
    // last frame drawn, after the frames at `fps` in between, and is replayed from the scene's start
    // only when time went back. Cheap, but the frame depends on the times drawn before it.
    void play(double time, int fps);
    // Draws demo time `time` and nothing else; the star stream moves on from where it stands.
    void show(double time);
    // Puts the star stream back at the scene's start.
    void restartStarStream();

    // The frame drawn last as RGBA rows, top row first, fully opaque.
    Pixels read();

    SDL_Window* window = nullptr;
    Velmora* demo = nullptr; // lives until the process exits
    int width;
    int height;
    double initSeconds = 0.0;

private:
    std::unique_ptr<OffscreenTarget> target; // with `offscreen`, bound from start-up on
    double simulated = 0.0;      // the latest demo time the star stream was moved to
    int streamFps = 0;           // the rate of the frames render() last replayed
    bool streamOnFrames = true;  // the stream stands as a live show at streamFps leaves it
};
