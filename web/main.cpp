// Skorvane in a browser, the counterpart of src/main.cpp: a WebGL 2 context on the page's canvas,
// the page's <audio> element as the music and the clock, and a start screen that waits for a click
// or a key, since browsers allow sound only after one. Escape, leaving full-screen and the end of
// the music go back to the start screen. With a start time (the page's ?t=SECONDS) the show and the
// music start there; with "paused" as well (?t=SECONDS&paused) the page draws that one moment as
// skorvane-capture --time does, and holds it.
#include "velmora.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <cstring>

namespace {

// The capture tool's rate for replaying the star stream.
constexpr int stillFps = 60;
// A moment of the first title card, which the Title scene shows until 3 s.
constexpr double titleCardTime = 1.0;

enum class Mode { Loading, Start, Playing, Still };

struct Page {
    Mode mode = Mode::Loading;
    int frames = 0;
    double startTime = 0.0;
    bool still = false;
    bool fullscreen = false; // the page went full-screen since the show last started
    int width = 0;
    int height = 0;
    Velmora* demo = nullptr; // lives until the page closes
};

Page page;

void showTitleCard() {
    page.mode = Mode::Start;
    page.demo->show(titleCardTime);
    EM_ASM(Module.startScreen(true));
}

// The star stream stands where a live show from the scene's start would leave it at `time`.
void replayStarsTo(double time) {
    page.demo->rewindStarStream();
    page.demo->replayStarStream(0.0, time, stillFps);
}

void play() {
    page.mode = Mode::Playing;
    page.fullscreen = false;
    replayStarsTo(page.startTime);
    EM_ASM(Module.play($0), page.startTime);
}

void stop() {
    if (page.mode != Mode::Playing) return;
    EM_ASM(Module.stop());
    showTitleCard();
}

// The first frame only lets the page paint its "Preparing the scenes" line; the second builds
// the scenes, which takes a while and blocks the page.
void frame() {
    if (page.mode == Mode::Loading) {
        if (page.frames++ == 0) return;
        page.demo = new Velmora(page.width, page.height);
        page.demo->init();
        EM_ASM(Module.ready());
        if (!page.still) return showTitleCard();
        page.mode = Mode::Still;
        replayStarsTo(page.startTime);
        page.demo->show(page.startTime);
        EM_ASM(Module.stillDrawn = true);
        return;
    }
    if (page.mode != Mode::Playing) return;
    if (EM_ASM_INT(return Module.music.ended)) return stop();
    double time = EM_ASM_DOUBLE(return Module.music.currentTime);
    page.demo->show(time);
    EM_ASM(Module.shownTime = $0, time);
}

EM_BOOL onKey(int, const EmscriptenKeyboardEvent* event, void*) {
    bool escape = std::strcmp(event->key, "Escape") == 0;
    if (page.mode == Mode::Start && !escape) play();
    else if (page.mode == Mode::Playing && escape) stop();
    else return EM_FALSE;
    return EM_TRUE;
}

EM_BOOL onClick(int, const EmscriptenMouseEvent*, void*) {
    if (page.mode == Mode::Start) play();
    return EM_FALSE;
}

// Only leaving the full-screen that this start entered stops the show: the change that the last
// stop's exit from full-screen brings can arrive after the next start.
EM_BOOL onFullscreenChange(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    if (event->isFullscreen) {
        page.fullscreen = true;
    } else if (page.fullscreen) {
        page.fullscreen = false;
        stop();
    }
    return EM_FALSE;
}

} // namespace

// Arguments, from the page: [start time in seconds [paused]].
int main(int argc, char** argv) {
    if (argc > 1) page.startTime = std::strtod(argv[1], nullptr);
    page.still = argc > 2 && std::strcmp(argv[2], "paused") == 0;

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.alpha = EM_FALSE; // the show clears to a transparent black, which a window shows as black
    attributes.antialias = EM_FALSE;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        EM_ASM(Module.fail("This browser cannot show Skorvane: it offers no WebGL 2."));
        return 0;
    }
    emscripten_webgl_make_context_current(context);
    emscripten_get_canvas_element_size("#canvas", &page.width, &page.height);

    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKey);
    emscripten_set_click_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onClick);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onFullscreenChange);
    emscripten_set_main_loop(frame, 0, EM_FALSE);
    return 0;
}
