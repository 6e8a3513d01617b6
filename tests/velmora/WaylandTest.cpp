// skorvane and skorvane-preview as clients of a Wayland compositor of the test's own: weston with
// its X11 backend, whose output is one window of 1280 x 720 pixels in an Xvfb of its own, at scale 1
// and as a high-DPI output at scale 2 (640 x 360 points). Their pictures are grabbed from that window
// and compared with skorvane-capture's frames of the same size.
#include "CaptureFrames.h"
#include "ShowDir.h"
#include "TempDir.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

const std::string skorvane = SKORVANE_BINARY_DIR "/bin/skorvane";

class Weston {
public:
    explicit Weston(int scale) {
        chmod(runtime.path("").c_str(), 0700);
        int display = std::atoi(std::getenv("DISPLAY") ? std::getenv("DISPLAY") + 1 : "90") + 1;
        while (std::ifstream("/tmp/.X" + std::to_string(display) + "-lock") ||
               std::ifstream("/tmp/.X11-unix/X" + std::to_string(display)))
            display++;
        xDisplay = ":" + std::to_string(display);
        RunResult started = runCommand(
            "Xvfb " + xDisplay + " -screen 0 1280x720x24 -nolisten tcp -noreset >/dev/null 2>&1 & echo $! >" +
            runtime.path("pids") + "; for i in $(seq 100); do [ -e /tmp/.X11-unix/X" + std::to_string(display) +
            " ] && break; sleep 0.1; done; DISPLAY=" + xDisplay + " XDG_RUNTIME_DIR=" + runtime.path("") +
            " weston --backend=x11-backend.so --use-pixman --socket=wayland-skv --idle-time=0 --width=" +
            std::to_string(1280 / scale) + " --height=" + std::to_string(720 / scale) + " --scale=" +
            std::to_string(scale) + " >" + runtime.path("weston.log") + " 2>&1 & echo $! >>" + runtime.path("pids") +
            "; for i in $(seq 100); do [ -e " + runtime.path("wayland-skv") + " ] && break; sleep 0.1; done");
        EXPECT_EQ(0, started.status) << started.output;
        parkPointer();
    }
    ~Weston() { runCommand("tac " + runtime.path("pids") + " | xargs kill"); }

    // The environment of a Wayland client with no X server, as on a session without Xwayland.
    std::string client() const {
        return "env -u DISPLAY XDG_RUNTIME_DIR=" + runtime.path("") + " WAYLAND_DISPLAY=wayland-skv ";
    }

    // An xdotool command on weston's X server, where weston passes keys and clicks on to its clients.
    void x(const std::string& xdotool) const { runCommand("DISPLAY=" + xDisplay + " xdotool " + xdotool); }

    // The pointer in the output's bottom-right corner, where weston draws all but a pixel or two of
    // the arrow outside it. Keys go to weston's window while the pointer is on it.
    void parkPointer() const { x("mousemove 1279 719"); }

    // What the output shows, as a viewer sees it.
    Image grab() const {
        runCommand("ffmpeg -v error -f x11grab -draw_mouse 0 -i " + xDisplay + " -frames:v 1 -y " +
                   runtime.path("grab.png"));
        return loadPng(runtime.path("grab.png"));
    }

    // Whether the output comes to show one of `frames` within `seconds`, as the compositor may
    // repaint a little after the client's frame.
    ::testing::AssertionResult shows(const std::vector<Image>& frames, const std::string& name, int seconds = 60) {
        ::testing::AssertionResult last = ::testing::AssertionFailure();
        for (auto deadline = Clock::now() + std::chrono::seconds(seconds); Clock::now() < deadline;) {
            Image shown = grab();
            for (const Image& frame : frames)
                if ((last = imagesClose(shown, frame, sameFrame, name))) return last;
            std::this_thread::sleep_for(100ms);
        }
        return last;
    }

    std::string xDisplay;

private:
    TempDir runtime; // XDG_RUNTIME_DIR: weston's socket, and the process ids to end
};

// Waits for `text` in the file, for a minute at most.
bool waitForText(const std::string& path, const std::string& text) {
    for (auto deadline = Clock::now() + 60s; Clock::now() < deadline; std::this_thread::sleep_for(50ms))
        if (readFile(path).find(text) != std::string::npos) return true;
    return false;
}

// The preview's line for `event` at demo time `time`.
std::string line(double time, const char* event) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f %s\n", time, event);
    return text;
}

// Starts `command` in `dir` in the background, its output in output.txt and then its status in status.txt.
void startIn(const ShowDir& dir, const std::string& command) {
    runCommand("(cd '" + dir.path() + "' && timeout 100 " + command +
               " >output.txt 2>&1; echo $? >status.tmp; mv status.tmp status.txt) >/dev/null 2>&1 &");
}

} // namespace

// The title card, a still for its first three seconds and its last three, at the output's pixels:
// at scale 2 a picture drawn in points and blown up does not match. With DISPLAY set as well (the X
// server weston runs in stands in for Xwayland) the show still takes Wayland: no X window of its own.
TEST(Wayland, TheShowFillsTheOutputsPixelsAndEndsAtEscape) {
    TempDir captured;
    std::vector<Image> title = captureFrames(captured.path("title.png"), "1280x720", {1.0, 4.0});
    for (int scale : {1, 2}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        Weston weston(scale);
        ShowDir dir(120.0);
        startIn(dir, weston.client() + (scale == 1 ? "DISPLAY=" + weston.xDisplay + " " : "") + skorvane);
        EXPECT_TRUE(weston.shows(title, "wayland-show-" + std::to_string(scale))) << readFile(dir.path("output.txt"));
        EXPECT_EQ("", runCommand("DISPLAY=" + weston.xDisplay + " xdotool search --name '^Skorvane$'").output);
        weston.x("key Escape");
        EXPECT_TRUE(waitForText(dir.path("status.txt"), "0\n")) << readFile(dir.path("output.txt"));
    }
}

// The preview full-screen, its display hidden, paused at a moment, after a scene's key, and after a
// click on the timeline (in points, three quarters along it) draws what skorvane-capture does.
TEST(Wayland, ThePreviewPausedDrawsTheCapturedFrameAtTheOutputsPixels) {
    const double moment = 20.0, sceneFive = velmoraTimeline[4].start, click = velmoraTimeline.back().end * 0.75;
    TempDir captured;
    std::vector<Image> frames = captureFrames(captured.path("frame.png"), "1280x720", {moment, sceneFive, click});
    for (int scale : {1, 2}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        Weston weston(scale);
        ShowDir dir(3.0);
        const std::string output = dir.path("output.txt");
        startIn(dir, weston.client() + previewTool + " --fullscreen --paused --from 20");
        ASSERT_TRUE(waitForText(output, line(moment, "paused"))) << readFile(output);
        weston.x("key Tab");
        EXPECT_TRUE(waitForText(output, line(moment, "display off")));
        EXPECT_TRUE(weston.shows({frames[0]}, "wayland-preview-moment"));
        weston.x("key 5");
        EXPECT_TRUE(waitForText(output, line(sceneFive, "seek")));
        EXPECT_TRUE(weston.shows({frames[1]}, "wayland-preview-scene"));
        weston.x("key Tab");
        weston.x("mousemove 960 715 click 1"); // X pixels: at scale 2, point (480, 357)
        weston.parkPointer();
        EXPECT_TRUE(waitForText(output, line(click, "seek"))) << readFile(output);
        weston.x("key Tab");
        EXPECT_TRUE(waitForText(output, line(click, "display off")));
        EXPECT_TRUE(weston.shows({frames[2]}, "wayland-preview-click"));
        weston.x("key Escape");
        EXPECT_TRUE(waitForText(dir.path("status.txt"), "0\n")) << readFile(output);
    }
}
