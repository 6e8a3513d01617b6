// Skorvane: opens the full-screen window, plays the music once and shows the demo until
// the music ends or Escape is pressed.
#include "velmora.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// Start-up failures end the program with one line naming what failed and why.
[[noreturn]] void fail(const char* what, const char* reason) {
    std::printf("%s: %s\n", what, reason);
    std::fflush(stdout);
    std::exit(1);
}

bool hasCoreContext41() {
    GLint major = 0, minor = 0, profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    return (major > 4 || (major == 4 && minor >= 1)) && (profile & GL_CONTEXT_CORE_PROFILE_BIT);
}

} // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) fail("cannot initialise SDL", SDL_GetError());

    // Ask for the desktop's own size: without a window manager a 0 x 0 window stays 1 x 1.
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) fail("cannot read the desktop size", SDL_GetError());
    SDL_Window* w = SDL_CreateWindow("Skorvane", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, desktop.w,
                                     desktop.h, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
    if (!w) fail("cannot create the window", SDL_GetError());
    SDL_ShowCursor(SDL_DISABLE);

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    if (!SDL_GL_CreateContext(w)) fail("cannot create an OpenGL 4.1 core context", SDL_GetError());

    glewExperimental = GL_TRUE;
    GLenum glew = glewInit();
    if (glew != GLEW_OK) fail("cannot initialise GLEW", reinterpret_cast<const char*>(glewGetErrorString(glew)));
    if (!hasCoreContext41())
        fail("cannot create an OpenGL 4.1 core context",
             reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) != 0) fail("cannot open the audio device", Mix_GetError());
    Mix_Music* music = Mix_LoadMUS("data/velmora.mp3");
    if (!music) fail("cannot load music data/velmora.mp3", Mix_GetError());

    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);

    vexel::Demo* demo = new Velmora(width, height);
    try {
        demo->init();
    } catch (const std::exception&) {
        // The registry or the scene has already said what config.txt lacks.
        std::fflush(stdout);
        return 1;
    }

    Mix_PlayMusic(music, 1);
    Uint32 start = SDL_GetTicks();

    int quit = 0;
    SDL_Event event;
    while (!quit) {
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = 1;
        }
        if (!Mix_PlayingMusic()) quit = 1;
        double time = (double(SDL_GetTicks()) - double(start)) / 1000.0;
        demo->show(time);
        SDL_GL_SwapWindow(w);
    }

    SDL_ShowCursor(SDL_ENABLE);
    SDL_DestroyWindow(w);
    Mix_FreeMusic(music);
    Mix_Quit();
    SDL_Quit();
    return 0;
}
