// The real skorvane binary under the test display with the dummy audio driver.
#include "Run.h"
#include "ShowDir.h"
#include "WindowClose.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// skorvane started in `workdir`, its output kept in a file of the show folder.
class Skorvane {
public:
    Skorvane(const ShowDir& dir, const char* extraEnv = nullptr) : output(dir.path("output.txt")) {
        pid = fork();
        if (pid == 0) {
            if (chdir(dir.path().c_str()) != 0 || !std::freopen(output.c_str(), "w", stdout)) _exit(127);
            dup2(fileno(stdout), fileno(stderr));
            if (extraEnv) putenv(const_cast<char*>(extraEnv));
            execl(SKORVANE_BINARY_DIR "/bin/skorvane", "skorvane", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Skorvane() {
        if (wait(0.0) == -1) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Waits up to `limit` seconds for the exit; returns the exit status or -1 if still running.
    int wait(double limit) {
        Clock::time_point start = Clock::now();
        do {
            int status = 0;
            if (status_ != -1 || waitpid(pid, &status, WNOHANG) == pid)
                return status_ = status_ != -1 ? status_ : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (secondsSince(start) < limit);
        return -1;
    }

    std::string printed() const { return readFile(output); }

    // The id of the window once it is mapped, or an empty string.
    std::string waitForWindow(double limit) {
        Clock::time_point start = Clock::now();
        do {
            std::string id = runCommand("xdotool search --onlyvisible --name '^Skorvane$' | head -1").output;
            if (!id.empty() && std::isdigit(static_cast<unsigned char>(id[0]))) return id.substr(0, id.find('\n'));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (secondsSince(start) < limit);
        return "";
    }

private:
    pid_t pid = -1;
    int status_ = -1;
    std::string output;
};

} // namespace

TEST(Shell, EndsWithTheMusicAndExitsZero) {
    ShowDir dir(3.0);
    Skorvane show(dir);
    Clock::time_point started = Clock::now();
    EXPECT_EQ(0, show.wait(60.0)) << show.printed();
    EXPECT_GT(secondsSince(started), 3.0);
    EXPECT_EQ("", show.printed());
}

// The window maps before the assets load, so the track is long and the bounds generous; what
// matters is that the show ends at the key, well before its music would end it.
TEST(Shell, FillsTheScreenIgnoresCloseRequestsAndEndsAtEscape) {
    ShowDir dir(120.0);
    Skorvane show(dir);
    std::string id = show.waitForWindow(60.0);
    ASSERT_FALSE(id.empty()) << show.printed();

    std::istringstream screen(runCommand("xdotool getdisplaygeometry").output);
    int width = 0, height = 0;
    screen >> width >> height;
    std::string geometry = runCommand("xdotool getwindowgeometry " + id).output;
    EXPECT_NE(std::string::npos, geometry.find("Geometry: " + std::to_string(width) + "x" + std::to_string(height)))
        << geometry;

    ASSERT_TRUE(sendCloseRequest(std::stoul(id)));
    EXPECT_EQ(-1, show.wait(1.0)) << "a close request ended the show";

    EXPECT_EQ(0, runCommand("xdotool windowfocus --sync " + id + " key Escape").status);
    EXPECT_EQ(0, show.wait(60.0)) << "Escape did not end the show";
    EXPECT_EQ("", show.printed());
}

TEST(Shell, StartUpFailuresPrintOneLineAndExitOne) {
    struct Case {
        const char* remove;
        const char* env;
        const char* expected;
    };
    for (Case c : {Case{nullptr, "MESA_GL_VERSION_OVERRIDE=3.3", "cannot create an OpenGL 4.1 core context"},
                   Case{"data/velmora.mp3", nullptr, "cannot load music data/velmora.mp3"},
                   Case{"config.txt", nullptr, "cannot open config.txt: No such file or directory"}}) {
        SCOPED_TRACE(c.expected);
        ShowDir dir(3.0);
        if (c.remove) fs::remove(dir.path(c.remove));
        Skorvane show(dir, c.env);
        EXPECT_EQ(1, show.wait(60.0));
        EXPECT_EQ(0u, show.printed().rfind(c.expected, 0)) << show.printed();
    }
}
