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
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

class Weston {
public:
    explicit Weston(int scale) {
        chmod(runtime.path("").c_str(), 0700);
        int display = std::atoi(std::getenv("DISPLAY") ? std::getenv("DISPLAY") + 1 : "90") + 1;
        while (std::ifstream("/tmp/.X" + std::to_string(display) + "-lock")) display++;
        xDisplay = ":" + std::to_string(display);
        std::string size = " --width=" + std::to_string(1280 / scale) + " --height=" + std::to_string(720 / scale);
        runCommand(
            "cd " + runtime.path("") + " && (Xvfb " + xDisplay + " -screen 0 1280x720x24 -nolisten tcp -noreset & " +
            "echo $! >pids; until xdpyinfo -display " + xDisplay + "; do sleep 0.1; done; DISPLAY=" + xDisplay +
            " XDG_RUNTIME_DIR=$PWD weston --backend=x11-backend.so --use-pixman --socket=wayland-skv --idle-time=0" +
            size + " --scale=" + std::to_string(scale) + " & echo $! >>pids; until [ -e wayland-skv ]; do sleep 0.1; " +
            "done) >weston.log 2>&1");
        // Keys go to weston's window while the pointer is on it; in the bottom-right corner weston
        // draws all but a pixel or two of the arrow outside the output.
        x("mousemove 1279 719");
    }
    ~Weston() { runCommand("tac " + runtime.path("pids") + " | xargs kill"); }

    // The environment of a Wayland client with no X server, as on a session without Xwayland.
    std::string client() const {
        return "env -u DISPLAY XDG_RUNTIME_DIR=" + runtime.path("") + " WAYLAND_DISPLAY=wayland-skv ";
    }

    // An xdotool command on weston's X server, where weston passes keys and clicks on to its clients.
    void x(const std::string& xdotool) const { runCommand("DISPLAY=" + xDisplay + " xdotool " + xdotool); }

    // Whether the output, as a viewer sees it, comes to show `frame` within a minute: the compositor
    // may repaint a little after the client's frame.
    ::testing::AssertionResult shows(const Image& frame, const std::string& name) const {
        ::testing::AssertionResult last = ::testing::AssertionFailure();
        for (auto deadline = Clock::now() + 60s; !last && Clock::now() < deadline; std::this_thread::sleep_for(100ms)) {
            runCommand("ffmpeg -v error -f x11grab -draw_mouse 0 -i " + xDisplay + " -frames:v 1 -y " +
                       runtime.path("grab.png"));
            last = imagesClose(loadPng(runtime.path("grab.png")), frame, sameFrame, name);
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

} // namespace

// At scale 1 and 2: the show's title card (its second image, a still for three seconds) at the
// output's pixels, where a picture drawn in points and blown up does not match; with DISPLAY set as
// well (the X server weston runs in stands in for Xwayland) the show still takes Wayland, with no X
// window of its own; Escape ends it. The preview full-screen, its display hidden, paused at a moment
// and after a click on its timeline three quarters along (given in points), draws what
// skorvane-capture does.
TEST(Wayland, TheShowAndThePreviewDrawAtTheOutputsPixels) {
    TempDir captured;
    std::vector<Image> frames = captureFrames(captured.path("frame.png"), "1280x720", {4.0, 20.0, 75.0});
    for (int scale : {1, 2}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        Weston weston(scale);
        ShowDir show(120.0), preview(3.0);
        std::string alsoX = scale == 1 ? "DISPLAY=" + weston.xDisplay + " " : "";
        startInBackground(show.path(), "timeout 100 " + weston.client() + alsoX + SKORVANE_BINARY_DIR "/bin/skorvane");
        EXPECT_TRUE(weston.shows(frames[0], "wayland-show-" + std::to_string(scale))) << readFile(show.path("output.txt"));
        EXPECT_EQ("", runCommand("DISPLAY=" + weston.xDisplay + " xdotool search --name '^Skorvane$'").output);
        weston.x("key Escape");
        EXPECT_EQ("0\n", waitForStatus(show.path())) << readFile(show.path("output.txt"));

        const std::string output = preview.path("output.txt");
        startInBackground(preview.path(), "timeout 100 " + weston.client() + previewTool + " --fullscreen --paused --from 20");
        ASSERT_TRUE(waitForText(output, "20.000 paused")) << readFile(output);
        weston.x("key Tab");
        EXPECT_TRUE(weston.shows(frames[1], "wayland-preview-paused-" + std::to_string(scale)));
        weston.x("key Tab mousemove 960 715 click 1 mousemove 1279 719"); // at scale 2, point (480, 357)
        EXPECT_TRUE(waitForText(output, "75.000 seek")) << readFile(output);
        weston.x("key Tab");
        EXPECT_TRUE(weston.shows(frames[2], "wayland-preview-click-" + std::to_string(scale)));
        weston.x("key Escape");
        EXPECT_EQ("0\n", waitForStatus(preview.path())) << readFile(output);
    }
}
