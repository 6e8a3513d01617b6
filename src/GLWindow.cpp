#include "GLWindow.h"

#include <GL/glew.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace {

bool failuresInABox = false;
SDL_Window* openedWindow = nullptr; // the window openGLWindow made, which would cover the box

const std::string noContext = "cannot create an OpenGL 4.1 core context: ";

// "4.5" of "4.5 (Core Profile) Mesa 22.3.6", the current context's version.
std::string contextVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    std::string text = version ? version : "";
    return text.substr(0, text.find(' '));
}

// Why there is no 4.1 core context, in terms of the machine: the newest context the driver does
// make (a 3.2 core request gets its newest core profile), or SDL's reason when it makes none.
std::string whatTheDriverOffers(SDL_Window* window) {
    std::string reason = SDL_GetError();
    for (int profile : {int(SDL_GL_CONTEXT_PROFILE_CORE), 0}) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, profile ? 3 : 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, profile ? 2 : 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (!context) continue;
        std::string version = contextVersion();
        SDL_GL_DeleteContext(context);
        return "the driver offers OpenGL " + version;
    }
    return reason;
}

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

bool currentVideoDriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, name) == 0;
}

// "DISPLAY is not set", or "no X server answers at DISPLAY=:5".
std::string noAnswer(const char* variable, const char* server) {
    if (!isSet(variable)) return std::string(variable) + " is not set";
    return std::string("no ") + server + " answers at " + variable + "=" + std::getenv(variable);
}

// Without a window system SDL falls back to its offscreen driver on its own, where nothing would be
// seen: say what is missing instead.
void requireDisplay() {
    if (!currentVideoDriverIs("offscreen")) return;
    fail("cannot open a display: " + noAnswer("DISPLAY", "X server") + " and " +
         noAnswer("WAYLAND_DISPLAY", "Wayland compositor"));
}

// SDL takes X first where both answer, as on a Wayland session that also runs Xwayland; only a
// Wayland window gets the output's own pixels on a scaled screen. Where Wayland does not start,
// SDL's own order follows. Frames that are read back keep SDL's order.
void startVideo(bool framesReadBack) {
    bool preferWayland = !framesReadBack && !isSet("SDL_VIDEODRIVER") && isSet("WAYLAND_DISPLAY");
    if (preferWayland) SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return;
    if (preferWayland) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return;
    }
    fail(std::string("cannot initialise SDL: ") + SDL_GetError());
}

} // namespace

void fail(const std::string& message) {
    std::printf("%s\n", message.c_str());
    std::fflush(stdout);
    failPrinted(message);
}

void failPrinted(const std::string& message) {
    bool terminal = isatty(STDOUT_FILENO) || isatty(STDERR_FILENO);
    if (failuresInABox && !terminal && !isSet("SKORVANE_NO_MESSAGE_BOX")) {
        if (openedWindow) {
            SDL_DestroyWindow(openedWindow); // a full-screen window would hide the box
            SDL_ShowCursor(SDL_ENABLE);
        }
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Skorvane", message.c_str(), nullptr);
    }
    std::exit(1);
}

void requireConfig() {
    if (!std::ifstream("config.txt")) fail(std::string("cannot open config.txt: ") + std::strerror(errno));
}

void showFailuresInABox() {
    failuresInABox = true;
}

SDL_Window* openGLWindow(const char* title, int width, int height, std::uint32_t windowFlags,
                         bool offscreenWithoutDisplay) {
    bool offscreen = offscreenWithoutDisplay && !isSet("DISPLAY");
    if (offscreen) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    startVideo(offscreenWithoutDisplay);
    if (!offscreen) requireDisplay();

    // Set before the window exists: on X the window's visual, depth buffer included, is chosen then.
    // Left unset the depth buffer may have 16 bits, too few for the show's near and far planes.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    // Without a window manager a full-screen window keeps the size it was made with.
    SDL_DisplayMode desktop;
    if (windowFlags & SDL_WINDOW_FULLSCREEN_DESKTOP) {
        if (SDL_GetDesktopDisplayMode(0, &desktop) != 0)
            fail(std::string("cannot read the desktop size: ") + SDL_GetError());
        width = desktop.w, height = desktop.h;
    }
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                          windowFlags | SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) fail(std::string("cannot create the window: ") + SDL_GetError());
    openedWindow = window;
    if (!SDL_GL_CreateContext(window)) fail(noContext + whatTheDriverOffers(window));

    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    // Debian's GLEW also looks for a GLX display, which an EGL context (Wayland, offscreen) has not.
    // The entry points are loaded by then, through libglvnd's dispatch, which serves GLX and EGL
    // contexts alike; the version check below stands in for GLEW's.
    bool glx = currentVideoDriverIs("x11");
    if (glew != GLEW_OK && (glx || glew != GLEW_ERROR_NO_GLX_DISPLAY))
        fail(std::string("cannot initialise GLEW: ") + reinterpret_cast<const char*>(glewGetErrorString(glew)));
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    if (!GLEW_VERSION_4_1 || !(profile & GL_CONTEXT_CORE_PROFILE_BIT))
        fail(noContext + "the driver offers OpenGL " + contextVersion());
    glGetError();
    return window;
}
