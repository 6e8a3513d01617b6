// The window and OpenGL 4.1 core context that skorvane and its tools draw in, opened the same way
// by all of them. What stops it is named in one line, and the process ends with status 1.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

// Prints `message` as one line and ends the process with status 1 (see showFailuresInABox).
[[noreturn]] void fail(const std::string& message);
// Ends the process with status 1 after a failure whose line `message` has been printed already.
[[noreturn]] void failPrinted(const std::string& message);

// Fails with one line, before any window opens, when config.txt cannot be read: a wrong working
// directory would otherwise get the registry's line and then a scene's about the first name it lacks.
void requireConfig();

// From now on a failure of a process without a terminal, as a desktop's menu starts it, is also
// shown in a message box titled "Skorvane", and the process ends once the viewer closes it. The
// environment variable SKORVANE_NO_MESSAGE_BOX, set and not empty, keeps the box away (the tests
// set it).
void showFailuresInABox();

// Starts SDL's video, opens a window of `width` x `height` points (the desktop's size with
// SDL_WINDOW_FULLSCREEN_DESKTOP) that allows high-DPI, with a 24-bit depth buffer, makes a 4.1 core
// context current in it and loads the GL entry points. Its size in pixels is the drawable's
// (SDL_GL_GetDrawableSize). With `offscreenWithoutDisplay`, a process without DISPLAY draws through
// SDL's offscreen (EGL) driver; otherwise it needs a display, and takes Wayland where a compositor
// answers at WAYLAND_DISPLAY, X otherwise, unless SDL_VIDEODRIVER names the driver.
SDL_Window* openGLWindow(const char* title, int width, int height, std::uint32_t windowFlags,
                         bool offscreenWithoutDisplay);
