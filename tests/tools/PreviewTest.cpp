// skorvane-preview driven as a person would drive it: keys sent with xdotool, the printed lines and
// the window's pixels read back and compared with skorvane-capture's frames. Also what both tools
// answer to --help and to a directory without config.txt.
#include "Image.h"
#include "Run.h"
#include "ShowDir.h"
#include "TempDir.h"
#include "velmora.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string previewTool = SKORVANE_BINARY_DIR "/bin/skorvane-preview";
const std::string captureTool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";

// One skorvane-preview running in `dir`, with its standard output read line by line.
class Preview {
public:
    Preview(const std::string& dir, const std::string& arguments) {
        int fds[2];
        EXPECT_EQ(0, pipe(fds));
        pid = fork();
        EXPECT_GE(pid, 0);
        if (pid == 0) {
            dup2(fds[1], 1);
            dup2(fds[1], 2);
            close(fds[0]);
            std::string command = "exec " + previewTool + " " + arguments;
            if (chdir(dir.c_str()) == 0) execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        close(fds[1]);
        output = fds[0];
        window = runCommand("timeout 30 xdotool search --sync --pid " + std::to_string(pid) + " | head -1").output;
        window = window.substr(0, window.find('\n'));
        EXPECT_FALSE(window.empty()) << "no window";
    }

    ~Preview() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        close(output);
    }

    // The next printed line, or "" when none comes within `seconds`.
    std::string nextLine(double seconds) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (std::size_t end; (end = pending.find('\n')) == std::string::npos;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd ready{output, POLLIN, 0};
            char buffer[4096];
            ssize_t n = left.count() > 0 && poll(&ready, 1, int(left.count())) > 0 ? read(output, buffer, sizeof buffer) : 0;
            if (n <= 0) return "";
            pending.append(buffer, std::size_t(n));
        }
        std::string line = pending.substr(0, pending.find('\n'));
        pending.erase(0, line.size() + 1);
        return line;
    }

    // The next printed line that ends with `event`; its demo time, or -1 after a failure.
    double waitFor(const std::string& event, double seconds = 20.0) {
        for (std::string line; !(line = nextLine(seconds)).empty();)
            if (line.size() >= event.size() && line.compare(line.size() - event.size(), event.size(), event) == 0)
                return std::atof(line.c_str());
        ADD_FAILURE() << "no line ending with \"" << event << "\" within " << seconds << " s";
        return -1.0;
    }

    void key(const std::string& keys) { runCommand("xdotool key --window " + window + " " + keys); }

    // The window's pixels as the X server holds them.
    Image grab() {
        Display* display = XOpenDisplay(nullptr);
        Window id = std::stoul(window);
        XWindowAttributes attributes;
        XGetWindowAttributes(display, id, &attributes);
        XImage* pixels = XGetImage(display, id, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
        Image image{attributes.width, attributes.height, {}};
        for (int y = 0; y < image.height; y++)
            for (int x = 0; x < image.width; x++) {
                unsigned long p = XGetPixel(pixels, x, y);
                image.rgba.insert(image.rgba.end(),
                                  {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p), 255});
            }
        XDestroyImage(pixels);
        XCloseDisplay(display);
        return image;
    }

    // Escape, and the exit status.
    int quit() {
        key("Escape");
        int status = -1;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid = -1;
    int output = -1;
    std::string window;
    std::string pending;
};

Image captured(const ShowDir& show, const std::string& time) {
    RunResult run = runCommand("cd " + show.path() + " && " + captureTool + " --time " + time + " --out capture.png");
    EXPECT_EQ(0, run.status) << run.output;
    return loadPng(show.path("capture.png"));
}

// What an editor does that saves by writing a new file and renaming it over the old one.
void saveByRenaming(const std::string& path, const std::string& text) {
    TempDir scratch;
    std::string written = scratch.write("saved", text);
    fs::copy_file(written, path + ".new", fs::copy_options::overwrite_existing);
    fs::rename(path + ".new", path);
}

std::array<std::uint8_t, 3> centre(const Image& image) {
    const std::uint8_t* p = &image.rgba[(std::size_t(image.height / 2) * image.width + image.width / 2) * 4];
    return {p[0], p[1], p[2]};
}

std::string stamp(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

} // namespace

TEST(Preview, SeeksPausesReloadsAndShowsWhatTheCaptureShows) {
    ShowDir show(3.0, true);
    Preview preview(show.path(), "--from 9 --paused");
    preview.waitFor("9.000 paused");
    preview.key("Tab");
    preview.waitFor("display off");
    {
        SCOPED_TRACE("paused at 9 s, Right, Space, Page Down");
        EXPECT_TRUE(imagesClose(preview.grab(), captured(show, "9"), sameFrame, "preview-9"));
        preview.key("Right");
        preview.waitFor("10.000 seek");
        preview.key("space");
        preview.waitFor("10.000 playing");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        preview.key("space");
        EXPECT_GT(preview.waitFor("paused"), 10.2);
        preview.key("Next");
        preview.waitFor(stamp(velmoraTimeline[2].start + 0.001) + " seek");
    }
    {
        SCOPED_TRACE("the title shader saved flat, broken and restored; the title image changed");
        preview.key("1");
        preview.waitFor("seek");
        Image title = preview.grab();
        std::string shader = show.path("data/shaders/title.frag"), original = readFile(shader);
        saveByRenaming(shader, "#version 410 core\nin vec2 texcoord;\nout vec4 fragColor;\n"
                               "void main() { fragColor = vec4(1.0, 0.0, 1.0, 1.0); }\n");
        preview.waitFor("reloaded data/shaders/title.frag", 1.0);
        EXPECT_EQ((std::array<std::uint8_t, 3>{255, 0, 255}), centre(preview.grab()));

        TempDir scratch;
        fs::copy_file(scratch.write("broken", "#version 410 core\nvoid main() { fragColor = ; }\n"), shader,
                      fs::copy_options::overwrite_existing);
        preview.waitFor("error data/shaders/title.frag");
        EXPECT_NE(std::string::npos, preview.nextLine(1.0).find("error")) << "the compiler's log follows";
        EXPECT_EQ((std::array<std::uint8_t, 3>{255, 0, 255}), centre(preview.grab()));

        saveByRenaming(shader, original);
        preview.waitFor("reloaded data/shaders/title.frag");
        EXPECT_TRUE(imagesClose(preview.grab(), title, sameFrame, "preview-title"));

        Image green{4, 4, {}};
        for (int i = 0; i < 16; i++) green.rgba.insert(green.rgba.end(), {0, 255, 0, 255});
        ASSERT_TRUE(savePng(scratch.path("green.png"), green));
        saveByRenaming(show.path("data/images/title1.png"), readFile(scratch.path("green.png")));
        preview.waitFor("reloaded data/images/title1.png", 1.0);
        EXPECT_EQ((std::array<std::uint8_t, 3>{0, 255, 0}), centre(preview.grab()));
    }
    {
        SCOPED_TRACE("a seek back inside the star stream");
        preview.key("6");
        double entry = preview.waitFor("seek");
        preview.key("Right Right Left");
        preview.waitFor("seek");
        preview.waitFor("seek");
        double time = preview.waitFor("seek");
        EXPECT_NEAR(entry + 1.0, time, 1e-9);
        EXPECT_TRUE(imagesClose(preview.grab(), captured(show, stamp(time)), sameFrame,
                                "preview-stars"));
    }
    EXPECT_EQ(0, preview.quit());
}

TEST(Preview, ALoopPlaysItsRangeOverAndOver) {
    ShowDir show(3.0);
    Preview preview(show.path(), "--loop 6:7");
    preview.waitFor("6.000 playing");
    for (int wrap = 0; wrap < 3; wrap++) preview.waitFor("6.000 loop 6.000:7.000", 2.0);
    preview.key("space");
    double paused = preview.waitFor("paused");
    EXPECT_GE(paused, 6.0);
    EXPECT_LT(paused, 7.0);
    EXPECT_EQ(0, preview.quit());
}

TEST(Preview, BothToolsAnswerHelpBadArgumentsAndAMissingConfig) {
    struct Tool {
        std::string path;
        std::vector<std::string> options;
        std::string work; // arguments that would do something
    };
    const Tool tools[] = {
        {previewTool, {"--size", "--fullscreen", "--from", "--loop", "--paused", "--help"}, ""},
        {captureTool,
         {"--time", "--out", "--size", "--fps", "--video", "--from", "--to", "--sheet", "--bench", "--frames", "--json",
          "--help"},
         "--time 5 --out x.png"},
    };
    TempDir empty;
    for (const Tool& tool : tools) {
        SCOPED_TRACE(tool.path);
        RunResult help = runCommand(tool.path + " --help");
        EXPECT_EQ(0, help.status);
        for (const std::string& option : tool.options)
            EXPECT_NE(std::string::npos, help.output.find("  " + option + " ")) << option << "\n" << help.output;

        RunResult missing = runCommand("cd " + empty.path("") + " && " + tool.path + " " + tool.work);
        EXPECT_EQ(1, missing.status);
        EXPECT_EQ("cannot open config.txt: No such file or directory\n", missing.output);
    }
    for (const char* arguments : {"--loop 7:6", "--from", "--size 12", "--frobnicate"}) {
        RunResult bad = runCommand(previewTool + " " + arguments);
        EXPECT_EQ(2, bad.status) << arguments;
        EXPECT_EQ(1, std::count(bad.output.begin(), bad.output.end(), '\n')) << bad.output;
    }
}
