// The real skorvane binary under the test display with the dummy audio driver.
#include "Run.h"
#include "ShowDir.h"
#include "WindowClose.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

const std::string skorvane = SKORVANE_BINARY_DIR "/bin/skorvane";

// Runs skorvane in the show folder until it ends, or for a minute at most.
RunResult play(const ShowDir& dir, const std::string& environment = "") {
    return runCommand("cd '" + dir.path() + "' && " + environment + " timeout 60 " + skorvane);
}

} // namespace

TEST(Shell, EndsWithTheMusicAndExitsZero) {
    ShowDir dir(3.0);
    auto started = std::chrono::steady_clock::now();
    RunResult run = play(dir);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.output);
    EXPECT_GT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 3.0);
}

TEST(Shell, StartUpFailuresPrintOneLineAndExitOne) {
    struct Case {
        const char* remove;
        const char* environment;
        const char* expected;
    };
    for (Case c : {Case{"", "MESA_GL_VERSION_OVERRIDE=3.3", "cannot create an OpenGL 4.1 core context"},
                   Case{"data/velmora.mp3", "", "cannot load music data/velmora.mp3"},
                   Case{"config.txt", "", "cannot open config.txt: No such file or directory"}}) {
        SCOPED_TRACE(c.expected);
        ShowDir dir(3.0);
        if (*c.remove) std::filesystem::remove(dir.path(c.remove));
        RunResult run = play(dir, c.environment);
        EXPECT_EQ(1, run.status);
        EXPECT_EQ(0u, run.output.rfind(c.expected, 0)) << run.output;
    }
}

// The window maps before the assets load, so the track is long and the bounds generous; what
// matters is that the show ends at the key, well before its music would end it.
TEST(Shell, FillsTheScreenIgnoresCloseRequestsAndEndsAtEscape) {
    ShowDir dir(120.0);
    const std::string status = dir.path("status.txt"), output = dir.path("output.txt");
    runCommand("(cd '" + dir.path() + "' && timeout 100 " + skorvane + " >output.txt 2>&1; echo $? >status.tmp;" +
               " mv status.tmp status.txt) >/dev/null 2>&1 &");
    std::string id = runCommand("timeout 60 xdotool search --sync --onlyvisible --name '^Skorvane$' | head -1").output;
    ASSERT_FALSE(id.empty()) << readFile(output);
    id.pop_back(); // the line feed

    // The window is the size of the screen.
    std::string geometry = "xdotool getwindowgeometry " + id;
    EXPECT_EQ(0, runCommand(geometry + " | grep \"Geometry: $(xdotool getdisplaygeometry | tr ' ' x)$\"").status)
        << runCommand(geometry).output;

    // A show that took the request would end before it answered three pings in turn.
    EXPECT_TRUE(closeRequestIgnored(std::stoul(id), 3, 60)) << "a close request ended the show";

    EXPECT_EQ(0, runCommand("xdotool windowfocus --sync " + id + " key Escape").status);
    runCommand("timeout 60 sh -c 'until [ -e " + status + " ]; do sleep 0.05; done'");
    EXPECT_EQ("0\n", readFile(status)) << "Escape did not end the show";
    EXPECT_EQ("", readFile(output));
}
