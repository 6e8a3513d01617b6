// The real skorvane binary under the test display with the dummy audio driver.
#include "Run.h"
#include "ShowDir.h"
#include "WindowClose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

namespace {

const std::string skorvane = SKORVANE_BINARY_DIR "/bin/skorvane";

// Runs skorvane in the show folder until it ends, or for a minute at most.
RunResult play(const ShowDir& dir, const std::string& environment = "") {
    return runCommand("cd '" + dir.path() + "' && " + environment + " timeout 60 " + skorvane);
}

// The last line printed, without its line feed: the show's own, after any that a driver prints.
std::string lastLine(std::string output) {
    if (!output.empty() && output.back() == '\n') output.pop_back();
    return output.substr(output.rfind('\n') + 1);
}

} // namespace

// Without a sound device the show plays silent on its own clock, to the end of the track.
TEST(Shell, EndsWithTheMusicAndExitsZeroWithOrWithoutASoundDevice) {
    for (auto [environment, said] : {std::pair{"", ""}, {"SDL_AUDIODRIVER=alsa AUDIODEV=hw:99",
                                                      "cannot open the audio device: .+; playing without sound"}}) {
        SCOPED_TRACE(environment);
        ShowDir dir(3.0);
        auto started = std::chrono::steady_clock::now();
        RunResult run = play(dir, environment);
        EXPECT_EQ(0, run.status);
        EXPECT_TRUE(std::regex_match(lastLine(run.output), std::regex(said))) << run.output;
        EXPECT_GT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 3.0);
    }
}

// A line says what is missing (a driver's own complaint may come before it).
TEST(Shell, StartUpFailuresPrintOneLineAndExitOne) {
    struct Case {
        const char* remove;
        const char* environment;
        const char* expected;
    };
    for (Case c : {Case{"", "LIBGL_ALWAYS_SOFTWARE=1 MESA_GL_VERSION_OVERRIDE=3.3",
                        "cannot create an OpenGL 4.1 core context: the driver offers OpenGL 3.3"},
                   Case{"", "env -u DISPLAY -u WAYLAND_DISPLAY",
                        "cannot open a display: DISPLAY is not set and WAYLAND_DISPLAY is not set"},
                   Case{"", "WAYLAND_DISPLAY=wayland-6969 DISPLAY=:6969",
                        "cannot open a display: no X server answers at DISPLAY=:6969 and no Wayland compositor "
                        "answers at WAYLAND_DISPLAY=wayland-6969"},
                   Case{"data/velmora.mp3", "", "cannot load music data/velmora.mp3"},
                   Case{"config.txt", "", "cannot open config.txt: No such file or directory"}}) {
        SCOPED_TRACE(c.expected);
        ShowDir dir(3.0);
        if (*c.remove) std::filesystem::remove(dir.path(c.remove));
        RunResult run = play(dir, c.environment);
        EXPECT_EQ(1, run.status);
        EXPECT_NE(std::string::npos, ("\n" + run.output).find(std::string("\n") + c.expected)) << run.output;
    }
}

// The window maps before the assets load, so the track is long and the bounds generous; what
// matters is that the show ends at the key or at SIGTERM or SIGINT (status 128 + the signal, as if
// unhandled), well before its music would end it, while a close request, which SDL also turns into
// a quit event, does not end it.
TEST(Shell, FillsTheScreenIgnoresCloseRequestsAndEndsAtEscapeOrASignal) {
    for (auto [end, ended] : {std::pair{"xdotool windowfocus --sync ID key Escape", "0\n"},
                              {"kill -TERM $(xdotool getwindowpid ID)", "143\n"},
                              {"kill -INT $(xdotool getwindowpid ID)", "130\n"}}) {
        SCOPED_TRACE(end);
        ShowDir dir(120.0);
        const std::string output = dir.path("output.txt");
        startInBackground(dir.path(), "timeout 100 " + skorvane);
        std::string id = runCommand("timeout 60 xdotool search --sync --onlyvisible --name '^Skorvane$' | head -1").output;
        ASSERT_FALSE(id.empty()) << readFile(output);
        id.pop_back(); // the line feed

        // The window is the size of the screen.
        std::string geometry = "xdotool getwindowgeometry " + id;
        EXPECT_EQ(0, runCommand(geometry + " | grep \"Geometry: $(xdotool getdisplaygeometry | tr ' ' x)$\"").status)
            << runCommand(geometry).output;

        // A show that took the request would end before it answered three pings in turn.
        EXPECT_TRUE(closeRequestIgnored(std::stoul(id), 3, 60)) << "a close request ended the show";

        EXPECT_EQ(0, runCommand(std::regex_replace(end, std::regex("ID"), id)).status);
        EXPECT_EQ(ended, waitForStatus(dir.path())) << "the show did not end";
        // The shell that waits for the show reports a death by SIGTERM there; the show says nothing.
        EXPECT_EQ("", std::regex_replace(readFile(output), std::regex("^Terminated\n"), ""));
    }
}

// The menu starts the show with no terminal, where a printed line is never seen: a start-up failure
// (a missing file, a name config.txt lacks) waits in a box titled as the show's window was, which
// that window no longer covers, and the show ends with status 1 once the box is closed. From a
// terminal (a pseudo-terminal here) it only prints, and ends at once.
TEST(Shell, AStartUpFailureWithoutATerminalWaitsInAMessageBox) {
    for (auto [change, said] : {std::pair{"rm data/velmora.mp3", "cannot load music data/velmora.mp3"},
                                {"sed -i 1d config.txt", "config.txt files no Shader named \"title\""}}) {
        SCOPED_TRACE(said);
        ShowDir dir(3.0);
        const std::string show = "env -u SKORVANE_NO_MESSAGE_BOX timeout 60 " + skorvane;
        runCommand("cd '" + dir.path() + "' && " + change);
        RunResult fromTerminal = runCommand("cd '" + dir.path() + "' && script -qec \"" + show + "\" /dev/null");
        EXPECT_EQ(1, fromTerminal.status) << "a box waited for no one: " << fromTerminal.output;
        EXPECT_NE(std::string::npos, fromTerminal.output.find(said)) << fromTerminal.output;

        startInBackground(dir.path(), show + " </dev/null");
        // The box: the only window of that name, smaller than the screen. (xdotool's name search
        // misses it: its name is UTF-8 text.)
        std::string screen = " " + runCommand("xdotool getdisplaygeometry | tr ' ' x").output, windows;
        screen.back() = '+';
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        do windows = runCommand("xwininfo -root -tree 2>/dev/null | awk '/\"Skorvane\": / {print $1, $(NF-1)}'").output;
        while ((windows.empty() || windows.find(screen) != std::string::npos) &&
               std::chrono::steady_clock::now() < deadline);
        ASSERT_EQ(1, std::count(windows.begin(), windows.end(), '\n')) << windows << readFile(dir.path("output.txt"));
        std::string box = windows.substr(0, windows.find(' '));
        EXPECT_FALSE(std::filesystem::exists(dir.path("status.txt"))) << "the show did not wait for the box";
        runCommand("xdotool windowfocus --sync " + box + " key Return");
        EXPECT_EQ("1\n", waitForStatus(dir.path()));
        EXPECT_NE(std::string::npos, readFile(dir.path("output.txt")).find(said));
    }
}
