// skorvane-preview driven as a person would drive it: keys sent with xdotool, the printed lines and
// the window's pixels read back and compared with skorvane-capture's frames. Also what both tools
// answer to --help, to bad arguments and to a directory without config.txt.
#include "Image.h"
#include "Run.h"
#include "ShowDir.h"
#include "TempDir.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

const std::string previewTool = SKORVANE_BINARY_DIR "/bin/skorvane-preview";
const std::string captureTool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";

// One skorvane-preview running in `dir`, its standard output and error read line by line. Every
// wait has a deadline, so a preview that stops answering fails the test instead of hanging it.
class Preview {
public:
    // The shell prints its process id, then becomes the preview, whose window xdotool finds by it.
    Preview(const std::string& dir, const std::string& arguments)
        : dir(dir),
          output(popen(("cd " + dir + " && echo $$ && exec " + previewTool + " " + arguments + " 2>&1").c_str(), "r")) {
        pid = std::atoi(nextLine(Clock::now() + 5s).c_str());
        window = std::atol(runCommand("timeout 30 xdotool search --sync --pid " + std::to_string(pid)).output.c_str());
        EXPECT_NE(0, window) << "no window";
    }
    ~Preview() { if (output) finish(0s); }

    // The next printed line, or "" when the output ends or no whole line comes by `deadline`.
    std::string nextLine(Clock::time_point deadline) {
        std::string line;
        for (char c;; line += c) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
            pollfd ready{fileno(output), POLLIN, 0};
            if (left <= 0 || poll(&ready, 1, left) <= 0 || read(ready.fd, &c, 1) != 1) return "";
            if (c == '\n') return line;
        }
    }

    // The demo time the next line ending with `event` starts with, or -1 after a failure.
    double waitFor(const std::string& event, std::chrono::milliseconds timeout = 20s) {
        Clock::time_point deadline = Clock::now() + timeout;
        for (std::string line; !(line = nextLine(deadline)).empty();)
            if (line.size() >= event.size() && line.compare(line.size() - event.size(), event.size(), event) == 0)
                return std::atof(line.c_str());
        ADD_FAILURE() << "no line ending with \"" << event << "\" within " << timeout.count() << " ms";
        return -1.0;
    }

    void key(const std::string& keys) { runCommand("xdotool key --window " + std::to_string(window) + " " + keys); }

    // Sends `keys`, then waits for the line ending with `event`: its demo time.
    double press(const std::string& keys, const std::string& event) {
        SCOPED_TRACE("after " + keys);
        key(keys);
        return waitFor(event);
    }

    // The window's pixels as the X server holds them.
    Image grab() {
        RunResult run = runCommand("ffmpeg -v error -f x11grab -draw_mouse 0 -window_id " + std::to_string(window) +
                                   " -i \"$DISPLAY\" -frames:v 1 -y " + dir + "/grab.png");
        EXPECT_EQ(0, run.status) << run.output;
        return loadPng(dir + "/grab.png");
    }

    // Escape, and the exit status.
    int quit() {
        key("Escape");
        return finish(10s);
    }

private:
    std::string dir;
    FILE* output;
    pid_t pid = 0;
    long window = 0;

    // Gives the preview `grace` to end its output, then kills it if it still runs. Its exit status,
    // or -1 when it did not exit by itself.
    int finish(std::chrono::milliseconds grace) {
        for (Clock::time_point deadline = Clock::now() + grace; !nextLine(deadline).empty();) {
        }
        if (pid > 0) kill(pid, SIGKILL);
        int status = pclose(output);
        output = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// skorvane-capture's frame at `time`, made in the show folder `dir`.
Image captured(const std::string& dir, double time) {
    RunResult run = runCommand("cd " + dir + " && " + captureTool + " --out frame.png --time " + std::to_string(time));
    EXPECT_EQ(0, run.status) << run.output;
    return loadPng(dir + "/frame.png");
}

// What an editor does that saves by writing a new file and renaming it over the old one.
void saveByRenaming(const std::string& path, const std::string& text) {
    std::ofstream(path + ".new", std::ios::binary) << text;
    std::rename((path + ".new").c_str(), path.c_str());
}

std::array<std::uint8_t, 3> centre(const Image& image) {
    const std::uint8_t* p = &image.rgba.at((std::size_t(image.height / 2) * image.width + image.width / 2) * 4);
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(Preview, SeeksPausesLoopsReloadsAndShowsWhatTheCaptureShows) {
    ShowDir show(3.0, true);
    Preview preview(show.path(), "--loop 9:10 --paused");
    // Paused at the loop's start, with the display off the window holds the captured frame.
    preview.waitFor("9.000 paused");
    preview.press("Tab", "display off");
    EXPECT_TRUE(imagesClose(preview.grab(), captured(show.path(), 9.0), sameFrame, "preview-9"));

    // Played, the loop comes round again and again; paused, it stays inside its range.
    preview.press("space", "9.000 playing");
    for (int wrap = 0; wrap < 3; wrap++) preview.waitFor("9.000 loop 9.000:10.000", 2s);
    double paused = preview.press("space", "paused");
    EXPECT_TRUE(paused >= 9.0 && paused < 10.0) << paused;
    EXPECT_NEAR(velmoraTimeline[2].start + 0.001, preview.press("Next", "seek"), 1e-9);

    // The title shader saved flat, then broken (the last good program stays), then restored.
    preview.press("1", "seek");
    Image title = preview.grab();
    std::string shader = show.path("data/shaders/title.frag"), original = readFile(shader);
    saveByRenaming(shader, "#version 410 core\nin vec2 texcoord;\nout vec4 fragColor;\n"
                           "void main() { fragColor = vec4(1.0, 0.0, 1.0, 1.0); }\n");
    preview.waitFor("reloaded data/shaders/title.frag", 1s);
    EXPECT_EQ((std::array<std::uint8_t, 3>{255, 0, 255}), centre(preview.grab()));

    std::ofstream(shader, std::ios::binary) << "#version 410 core\nvoid main() { fragColor = ; }\n";
    preview.waitFor("error data/shaders/title.frag");
    EXPECT_NE(std::string::npos, preview.nextLine(Clock::now() + 1s).find("error")) << "the compiler's log follows";
    EXPECT_EQ((std::array<std::uint8_t, 3>{255, 0, 255}), centre(preview.grab()));

    saveByRenaming(shader, original);
    preview.waitFor("reloaded data/shaders/title.frag");
    EXPECT_TRUE(imagesClose(preview.grab(), title, sameFrame, "preview-title"));

    // The title image replaced.
    ASSERT_TRUE(savePng(show.path("green.png"), Image{1, 1, {0, 255, 0, 255}}));
    saveByRenaming(show.path("data/images/title1.png"), readFile(show.path("green.png")));
    preview.waitFor("reloaded data/images/title1.png", 1s);
    EXPECT_EQ((std::array<std::uint8_t, 3>{0, 255, 0}), centre(preview.grab()));

    // Inside the star stream, a seek back draws what the capture draws.
    double entry = preview.press("6", "seek"), time = 0.0;
    for (const char* step : {"Right", "Right", "Left"}) time = preview.press(step, "seek");
    EXPECT_NEAR(entry + 1.0, time, 1e-9);
    EXPECT_TRUE(imagesClose(preview.grab(), captured(show.path(), time), sameFrame, "preview-stars"));

    EXPECT_EQ(0, preview.quit());
    // --from wins over the loop's start.
    Preview(show.path(), "--from 20 --loop 9:10 --paused").waitFor("20.000 paused");
}

TEST(Preview, BothToolsAnswerHelpBadArgumentsAndAMissingConfig) {
    TempDir empty;
    // The capture tool is given something to do, since it looks for its files only then.
    for (std::string tool : {previewTool, captureTool + " --time 5 --out x.png"}) {
        SCOPED_TRACE(tool);
        RunResult help = runCommand(tool + " --help");
        EXPECT_EQ(0, help.status);
        EXPECT_EQ(0u, help.output.find("usage: ")) << help.output;
        RunResult missing = runCommand("cd " + empty.path("") + " && " + tool);
        EXPECT_EQ(1, missing.status);
        EXPECT_EQ("cannot open config.txt: No such file or directory\n", missing.output);
    }
    // Where config.txt is missing, an argument accepted by mistake ends the run at once, with status 1.
    for (const char* arguments : {"--loop 7:6", "--from", "--size 12", "--frobnicate"}) {
        RunResult bad = runCommand("cd " + empty.path("") + " && " + previewTool + " " + arguments);
        EXPECT_EQ(2, bad.status) << arguments;
        EXPECT_EQ(1, std::count(bad.output.begin(), bad.output.end(), '\n')) << bad.output;
    }
}
