// The window and OpenGL 4.1 core context that skorvane and its tools draw in, opened the same way
// by all of them. What stops it is named in one line, and the process ends with status 1.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

// Prints `message` as one line and ends the process with status 1.
[[noreturn]] void fail(const std::string& message);

// Starts SDL's video, opens a window of `width` x `height` (the desktop's size with
// SDL_WINDOW_FULLSCREEN_DESKTOP) with a 24-bit depth buffer, makes a 4.1 core context current in
// it and loads the GL entry points. With `offscreenWithoutDisplay`, a process without DISPLAY
// draws through SDL's offscreen (EGL) driver; otherwise it needs a display.
SDL_Window* openGLWindow(const char* title, int width, int height, std::uint32_t windowFlags,
                         bool offscreenWithoutDisplay);
