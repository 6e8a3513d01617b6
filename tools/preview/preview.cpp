// skorvane-preview: plays the show in a window with its music, and lets a person pause, seek and
// loop it and see a saved shader, image or model at once. Every change of state prints one line
// on standard output, starting with the demo time.
#include "AudioDevice.h"
#include "Overlay.h"
#include "PreviewOptions.h"
#include "Reloader.h"
#include "Session.h"
#include "velmora.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace {

const int liveRate = 60;      // frames per second the star stream is replayed at after a seek
const Uint32 watchPeriodMs = 100;

long toMs(double seconds) {
    return std::lround(seconds * 1000.0);
}

// Playing stops at the end of the last scene.
long showEndMs() {
    return toMs(velmoraTimeline.back().end);
}

long sceneStartMs(int k) {
    return toMs(velmoraTimeline[k].start);
}

// The scene on show at `ms`: at an edge the one that starts there, at the end of the show the last.
int sceneAt(long ms) {
    int current = 0;
    for (int k = 1; k < int(velmoraTimeline.size()); k++)
        if (toMs(velmoraTimeline[k].start) <= ms) current = k;
    return current;
}

// 2 on an output scaled to 200 %, 1 on X.
int pixelsPerPoint(SDL_Window* window) {
    int points = 0, pixels = 0;
    SDL_GetWindowSize(window, &points, nullptr);
    SDL_GL_GetDrawableSize(window, &pixels, nullptr);
    return std::max(1, int(std::lround(double(pixels) / points)));
}

class Preview {
public:
    Preview(Session& session, Mix_Music* music, const PreviewOptions& options)
        : session(session), music(music), overlay(session.width, session.height, pixelsPerPoint(session.window)),
          reloader(session.demo->registry(),
                   [this](const std::string& event, const std::string& log) { note(now(), event, log); }) {
        loopStartMs = toMs(options.loopStart);
        loopEndMs = toMs(options.loopEnd);
        paused = options.paused;
        anchorMs = options.from >= 0.0 ? toMs(options.from) : loopStartMs;
        anchorTicks = SDL_GetTicks();
        Mix_PlayMusic(music, 1);
        syncMusic();
        note(anchorMs, paused ? "paused" : "playing");
        if (looping()) note(anchorMs, loopEvent());
    }

    void run() {
        Uint32 lastWatch = SDL_GetTicks();
        while (!quit) {
            SDL_Event event;
            bool idle = paused && !dirty;
            if (idle ? SDL_WaitEventTimeout(&event, 20) : SDL_PollEvent(&event)) {
                handle(event);
                while (SDL_PollEvent(&event)) handle(event);
            }
            if (SDL_GetTicks() - lastWatch >= watchPeriodMs) {
                reloader.reloadChanged();
                lastWatch = SDL_GetTicks();
            }
            if (!paused) keepInShow();
            if (!paused || dirty) frame();
        }
    }

private:
    Session& session;
    Mix_Music* music;
    Overlay overlay;
    Reloader reloader;
    long anchorMs = 0;       // demo time at anchorTicks
    Uint32 anchorTicks = 0;
    bool paused = false;
    long loopStartMs = 0;
    long loopEndMs = 0;      // no loop while not after loopStartMs
    bool showOverlay = true;
    bool quit = false;
    bool dirty = true;       // something to show while paused
    std::vector<std::string> pending; // lines printed once the frame that shows them is on screen
    std::deque<double> frameMs;
    std::chrono::steady_clock::time_point lastSwap; // frames may take less than a tick
    bool lastFramePlaying = false;
    Uint32 lastTitle = 0;

    // Demo time advances with the tick counter in whole milliseconds, as in skorvane.
    long now() const {
        return paused ? anchorMs : anchorMs + long(SDL_GetTicks() - anchorTicks);
    }

    bool looping() const { return loopEndMs > loopStartMs; }

    std::string loopEvent() const {
        char text[64];
        std::snprintf(text, sizeof text, "loop %.3f:%.3f", loopStartMs / 1000.0, loopEndMs / 1000.0);
        return text;
    }

    void note(long ms, const std::string& event, const std::string& log = "") {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%.3f ", ms / 1000.0);
        pending.push_back(stamp + event);
        if (!log.empty()) pending.push_back(log.back() == '\n' ? log.substr(0, log.size() - 1) : log);
        dirty = true;
    }

    // The music follows the picture: same position, playing or paused with it.
    void syncMusic() {
        if (!Mix_PlayingMusic()) Mix_PlayMusic(music, 1);
        Mix_SetMusicPosition(now() / 1000.0);
        if (paused)
            Mix_PauseMusic();
        else
            Mix_ResumeMusic();
    }

    void restartClock(long ms) {
        anchorMs = std::clamp(ms, 0L, showEndMs());
        anchorTicks = SDL_GetTicks();
    }

    void seek(long ms, const std::string& event = "seek") {
        restartClock(ms);
        note(anchorMs, event);
        session.restartStarStream();
        syncMusic();
    }

    void setPaused(bool pause) {
        restartClock(now());
        paused = pause;
        note(anchorMs, paused ? "paused" : "playing");
        syncMusic();
    }

    void keepInShow() {
        if (looping() && now() >= loopEndMs) seek(loopStartMs, loopEvent());
        if (now() >= showEndMs()) {
            restartClock(showEndMs());
            setPaused(true);
        }
    }

    void toggleSceneLoop() {
        if (looping()) {
            loopEndMs = loopStartMs;
            note(now(), "loop off");
            return;
        }
        int k = sceneAt(now());
        loopStartMs = toMs(velmoraTimeline[k].start);
        loopEndMs = toMs(velmoraTimeline[k].end);
        note(now(), loopEvent());
    }

    void handle(const SDL_Event& event) {
        if (event.type == SDL_QUIT) quit = true;
        if (event.type == SDL_WINDOWEVENT) dirty = true;
        if (event.type == SDL_MOUSEBUTTONDOWN && showOverlay) {
            double time = overlay.timeAt(event.button.x, event.button.y);
            if (time >= 0.0) seek(toMs(time));
        }
        if (event.type != SDL_KEYDOWN) return;
        SDL_Keycode key = event.key.keysym.sym;
        bool shift = event.key.keysym.mod & KMOD_SHIFT;
        int last = int(velmoraTimeline.size()) - 1;
        long frame = std::lround(now() * liveRate / 1000.0);
        switch (key) {
        case SDLK_ESCAPE: quit = true; break;
        case SDLK_SPACE: setPaused(!paused); break;
        case SDLK_LEFT: seek(shift ? toMs(frameTime(frame - 1, liveRate)) : now() - 1000); break;
        case SDLK_RIGHT: seek(shift ? toMs(frameTime(frame + 1, liveRate)) : now() + 1000); break;
        case SDLK_PAGEUP: seek(sceneStartMs(std::max(sceneAt(now()) - 1, 0))); break;
        case SDLK_PAGEDOWN:
            if (sceneAt(now()) < last) seek(sceneStartMs(sceneAt(now()) + 1));
            break;
        case SDLK_HOME: seek(0); break;
        case SDLK_l: toggleSceneLoop(); break;
        case SDLK_r: reloader.reloadAll(); break;
        case SDLK_TAB:
            showOverlay = !showOverlay;
            note(now(), showOverlay ? "display on" : "display off");
            break;
        default:
            if (key >= SDLK_1 && key < SDLK_1 + last + 1) seek(sceneStartMs(key - SDLK_1));
        }
    }

    std::string statusLine() {
        std::string state = paused ? "paused" : "playing";
        if (looping()) state += ", looping";
        std::string errors = reloader.errorSummary();
        if (!errors.empty()) state += ", " + errors;
        std::vector<double> sorted(frameMs.begin(), frameMs.end());
        std::sort(sorted.begin(), sorted.end());
        double fps = sorted.empty() ? 0.0 : 1000.0 / sorted[sorted.size() / 2];
        char text[256];
        std::snprintf(text, sizeof text, "%.3f  %s  %.1f fps  %s", now() / 1000.0,
                      velmoraTimeline[sceneAt(now())].name, fps, state.c_str());
        return text;
    }

    void frame() {
        long ms = now();
        // At rest the picture is the one skorvane-capture makes for this time: render() replays the
        // star stream on the live rate's frame times, whatever was drawn before. Playing, the stream
        // moves on from the frame before, as in the show itself.
        if (paused)
            session.render(ms / 1000.0, liveRate);
        else
            session.play(ms / 1000.0, liveRate);
        std::string line = statusLine();
        if (showOverlay) overlay.draw(line, ms / 1000.0, loopStartMs / 1000.0, loopEndMs / 1000.0);
        SDL_GL_SwapWindow(session.window);

        auto swap = std::chrono::steady_clock::now();
        if (lastFramePlaying && !paused) {
            frameMs.push_back(std::chrono::duration<double, std::milli>(swap - lastSwap).count());
            if (frameMs.size() > 60) frameMs.pop_front();
        }
        lastSwap = swap;
        lastFramePlaying = !paused;
        if (SDL_GetTicks() - lastTitle >= 250 || paused) {
            SDL_SetWindowTitle(session.window, ("skorvane-preview  " + line).c_str());
            lastTitle = SDL_GetTicks();
        }
        for (const std::string& text : pending) std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        pending.clear();
        dirty = false;
    }
};

} // namespace

int main(int argc, char** argv) {
    PreviewOptions options;
    std::string error;
    if (!parsePreviewOptions(argc, argv, options, error)) {
        std::printf("skorvane-preview: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", previewUsage);
        return 0;
    }
    Session session("skorvane-preview", options.width, options.height,
                    options.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0, false);
    openAudioDevice();
    Mix_Music* music = Mix_LoadMUS("data/velmora.mp3");
    if (!music) fail(std::string("cannot load music data/velmora.mp3: ") + Mix_GetError());
    session.buildDemo();

    Preview preview(session, music, options);
    preview.run();

    Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();
    return 0;
}
