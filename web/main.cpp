// Skorvane in a browser, the counterpart of src/main.cpp: a WebGL 2 context on the page's canvas,
// the page's <audio> element as the music and the clock, and a start screen that waits for a click,
// a tap or a key, since browsers allow sound only after one. Escape, a tap, leaving full-screen and
// the end of the music go back to the start screen. With a start time (the page's ?t=SECONDS) the
// show and the music start there; with "paused" as well (?t=SECONDS&paused) the page draws that one
// moment as skorvane-capture --time does, and holds it. A lost WebGL context ends the show; the
// next click, tap or key loads the page again.
#include "Arguments.h"
#include "velmora.h"

#include <emscripten.h>
#include <emscripten/html5.h>
#include <GLES3/gl3.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The capture tool's rate for replaying the star stream.
constexpr int stillFps = 60;
// A moment of the first title card, which the Title scene shows until 3 s.
constexpr double titleCardTime = 1.0;

enum class Mode { Loading, Start, Playing, Still, Lost };

struct Page {
    Mode mode = Mode::Loading;
    int frames = 0;
    double startTime = 0.0;
    bool still = false;
    bool fullscreen = false; // the page went full-screen since the show last started
    bool sized = false;      // the link gave the size; else the screen's
    int width = 0;
    int height = 0;
    Velmora* demo = nullptr; // lives until the page closes
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
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
    // The context can go between two frames and the event that says so.
    if (emscripten_is_webgl_context_lost(page.context)) return;
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

void startAgain() {
    EM_ASM(location.reload());
}

EM_BOOL onKey(int, const EmscriptenKeyboardEvent* event, void*) {
    bool escape = std::strcmp(event->key, "Escape") == 0;
    if (page.mode == Mode::Start && !escape) play();
    else if (page.mode == Mode::Playing && escape) stop();
    else if (page.mode == Mode::Lost) startAgain();
    else return EM_FALSE;
    return EM_TRUE;
}

EM_BOOL onClick(int, const EmscriptenMouseEvent*, void*) {
    if (page.mode == Mode::Start) play();
    else if (page.mode == Mode::Lost) startAgain();
    return EM_FALSE;
}

// A phone has no Escape key: a tap plays and the next one stops. Its default is prevented, so
// that the click a browser makes of the tap does not start the show again.
EM_BOOL onTap(int, const EmscriptenTouchEvent* event, void*) {
    if (event->numTouches != 1) return EM_FALSE;
    if (page.mode == Mode::Start) play();
    else if (page.mode == Mode::Playing) stop();
    else if (page.mode == Mode::Lost) startAgain();
    else return EM_FALSE;
    return EM_TRUE;
}

// Phones, driver updates and too many tabs take the context away; the show's GL objects go with it.
EM_BOOL onContextLost(int, const void*, void*) {
    if (page.mode == Mode::Playing) EM_ASM(Module.stop());
    page.mode = Mode::Lost;
    emscripten_cancel_main_loop();
    EM_ASM(Module.contextLost());
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

// The link's own values; a bad one is named in one line and left out, as if the link lacked it.
void readLink(int argc, char** argv) {
    double showEnd = velmoraTimeline.back().end;
    bool paused = false, timed = false;
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i];
        if (option == "--paused") {
            paused = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : "";
        if (option == "--screen") {
            std::sscanf(value, "%dx%d", &page.width, &page.height);
        } else if (option == "--time") {
            timed = parseNumber(value, page.startTime) && page.startTime >= 0.0 && page.startTime <= showEnd;
            if (!timed) {
                page.startTime = 0.0;
                std::printf("?t=%s is not a moment of the show: give seconds from 0 to %g, such as ?t=12.5\n", value,
                            showEnd);
            }
        } else if (option == "--size") {
            page.sized = parseSize(value, page.width, page.height);
            if (!page.sized)
                std::printf("&size=%s is not WIDTHxHEIGHT with both between 1 and %d, such as &size=1280x720\n", value,
                            largestFrameSide);
        }
    }
    page.still = timed && paused;
}

// A browser makes the drawing buffer of a canvas larger than it allows smaller, without a word: its
// WebGL limits, and in Chromium about 33 million pixels (an 8192 x 8192 canvas draws 5760 x 5760).
// So the show is built at the size the buffer was given, and the canvas is made that size, so that
// nothing is cropped or stretched. Nothing else caps the size: a phone's screen at its own density is
// 3 to 5 million pixels, 12 to 20 MB a buffer.
void sizeCanvas() {
    emscripten_set_canvas_element_size("#canvas", page.width, page.height);
    int width = 0, height = 0;
    emscripten_webgl_get_drawing_buffer_size(page.context, &width, &height);
    if (width == page.width && height == page.height) return;
    if (page.sized)
        std::printf("&size=%dx%d is larger than this browser draws: drawn at %dx%d\n", page.width, page.height, width,
                    height);
    page.width = width;
    page.height = height;
    emscripten_set_canvas_element_size("#canvas", width, height);
}

} // namespace

// Arguments, from the page: --screen WxH, the screen's size in device pixels, then the link's
// --time SECONDS, --paused and --size WxH, if it has them.
int main(int argc, char** argv) {
    readLink(argc, argv);

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.alpha = EM_FALSE; // the show clears to a transparent black, which a window shows as black
    attributes.antialias = EM_FALSE;
    page.context = emscripten_webgl_create_context("#canvas", &attributes);
    if (page.context <= 0) {
        EM_ASM(Module.fail("This browser cannot show Skorvane: it offers no WebGL 2."));
        return 0;
    }
    emscripten_webgl_make_context_current(page.context);
    sizeCanvas();
    glViewport(0, 0, page.width, page.height); // the context began at the canvas's first size

    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKey);
    emscripten_set_click_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onClick);
    emscripten_set_touchend_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onTap);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onFullscreenChange);
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, onContextLost);
    emscripten_set_main_loop(frame, 0, EM_FALSE);
    return 0;
}
