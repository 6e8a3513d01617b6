#include "GLWindow.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

void fail(const std::string& message) {
    std::printf("%s\n", message.c_str());
    std::fflush(stdout);
    std::exit(1);
}

namespace {

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

// Without an X server SDL falls back to its offscreen driver on its own, where GLEW can only fail
// with an unhelpful "Unknown error": say what is missing instead.
void requireDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") != 0) return;
    const char* display = std::getenv("DISPLAY");
    fail(display && *display ? std::string("cannot open a display: no X server answers at DISPLAY=") + display
                             : std::string("cannot open a display: DISPLAY is not set"));
}

} // namespace

SDL_Window* openGLWindow(const char* title, int width, int height, std::uint32_t windowFlags,
                         bool offscreenWithoutDisplay) {
    const char* display = std::getenv("DISPLAY");
    bool offscreen = offscreenWithoutDisplay && (!display || !*display);
    if (offscreen) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) fail(std::string("cannot initialise SDL: ") + SDL_GetError());
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
                                          windowFlags | SDL_WINDOW_OPENGL);
    if (!window) fail(std::string("cannot create the window: ") + SDL_GetError());
    if (!SDL_GL_CreateContext(window)) fail(noContext + whatTheDriverOffers(window));

    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    // Debian's GLEW also looks for a GLX display, which the offscreen (EGL) driver has not; the GL
    // entry points are loaded by then, and the version check below stands in for it.
    if (glew != GLEW_OK && !(offscreen && glew == GLEW_ERROR_NO_GLX_DISPLAY))
        fail(std::string("cannot initialise GLEW: ") + reinterpret_cast<const char*>(glewGetErrorString(glew)));
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    if (!GLEW_VERSION_4_1 || !(profile & GL_CONTEXT_CORE_PROFILE_BIT))
        fail(noContext + "the driver offers OpenGL " + contextVersion());
    glGetError();
    return window;
}
