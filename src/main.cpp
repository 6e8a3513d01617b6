// Skorvane: opens the full-screen window, plays the music once and shows the demo until the
// music ends, Escape is pressed or the process is told to stop (SIGTERM, SIGINT).
#include "AudioDevice.h"
#include "GLWindow.h"
#include "velmora.h"

#include <GL/glew.h>
#include <SDL.h>
#include <SDL_mixer.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

// SDL's own handlers would turn SIGTERM and SIGINT into SDL_QUIT, which is also what a window
// manager's close request becomes, and that one the show ignores: the signals get handlers of ours.
// Until they are set (start-up), both end the process at once, as by default.
void catchStopSignals() {
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, [](int caught) { stopSignal = caught; });
}

// The music, or, where no sound device opens, its silence: the show keeps its clock and still ends
// when the track would.
class Soundtrack {
public:
    explicit Soundtrack(const char* path) : silent(!openAudioDevice()) {
        music = Mix_LoadMUS(path);
        if (!music) fail(std::string("cannot load music ") + path + ": " + Mix_GetError());
        length = Mix_MusicDuration(music);
    }

    ~Soundtrack() { Mix_FreeMusic(music); }

    void play() {
        if (!silent) Mix_PlayMusic(music, 1);
    }

    // Whether the track still plays at demo time `time`.
    bool playing(double time) const { return silent ? time < length : Mix_PlayingMusic() != 0; }

private:
    bool silent;
    Mix_Music* music = nullptr;
    double length = 0.0; // seconds
};

} // namespace

int main(int, char**) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    showFailuresInABox();
    requireConfig();
    SDL_Window* w = openGLWindow("Skorvane", 0, 0, SDL_WINDOW_FULLSCREEN_DESKTOP, false);
    SDL_ShowCursor(SDL_DISABLE);
    Soundtrack* soundtrack = new Soundtrack("data/velmora.mp3");

    // In pixels: on a scaled (high-DPI) output the window's size in points is smaller. The title
    // card sets no viewport of its own, and the context's first one is the window's size when the
    // context was made, which a compositor may change before the first frame.
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(w, &width, &height);
    glViewport(0, 0, width, height);

    vexel::Demo* demo = new Velmora(width, height);
    try {
        demo->init();
    } catch (const std::exception& missing) {
        // The registry or the scene has already printed what config.txt lacks; the exception says it again.
        failPrinted(missing.what());
    }

    catchStopSignals();
    soundtrack->play();
    Uint32 start = SDL_GetTicks();

    bool quit = false;
    SDL_Event event;
    while (!quit) {
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = true;
        }
        double time = (double(SDL_GetTicks()) - double(start)) / 1000.0;
        if (!soundtrack->playing(time) || stopSignal) quit = true;
        demo->show(time);
        SDL_GL_SwapWindow(w);
    }

    SDL_ShowCursor(SDL_ENABLE);
    SDL_DestroyWindow(w);
    delete soundtrack;
    Mix_Quit();
    SDL_Quit();
    // Ended by a signal, the process says so to whoever waits for it, as it would have unhandled.
    if (stopSignal) {
        std::signal(stopSignal, SIG_DFL);
        std::raise(stopSignal);
    }
    return 0;
}
