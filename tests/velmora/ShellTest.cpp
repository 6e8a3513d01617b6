// Runs the real skorvane binary under the test display with the dummy audio driver.
#include "WindowClose.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int sh(const std::string& command) { return std::system(command.c_str()); }

std::string shOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
        pclose(pipe);
    }
    return text;
}

// A working directory holding the real assets and a short generated track.
class ShowDirectory {
public:
    explicit ShowDirectory(double seconds) {
        char pattern[] = "/tmp/skorvane-e2e-XXXXXX";
        root = mkdtemp(pattern);
        fs::path source = SKORVANE_SOURCE_DIR;
        fs::create_directories(root / "data");
        fs::copy_file(source / "config.txt", root / "config.txt");
        for (const char* sub : {"shaders", "images", "models"})
            fs::create_directory_symlink(source / "data" / sub, root / "data" / sub);
        std::ostringstream make;
        make << "cd " << root << " && sox -q -n -r 44100 -c 2 tone.wav synth " << seconds
             << " sine 440 vol 0.2 && lame --quiet -b 128 tone.wav data/velmora.mp3 && rm tone.wav";
        EXPECT_EQ(0, sh(make.str()));
    }
    ~ShowDirectory() { fs::remove_all(root); }

    fs::path root;
};

class Skorvane {
public:
    explicit Skorvane(const fs::path& workdir, const char* extraEnv = nullptr) {
        static int runs = 0;
        output = fs::temp_directory_path() /
                 ("skorvane-e2e-" + std::to_string(getpid()) + "-" + std::to_string(runs++) + ".txt");
        pid = fork();
        if (pid == 0) {
            if (chdir(workdir.c_str()) != 0) _exit(127);
            FILE* out = std::freopen(output.c_str(), "w", stdout);
            if (!out) _exit(127);
            dup2(fileno(stdout), fileno(stderr));
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (extraEnv) putenv(const_cast<char*>(extraEnv));
            execl(SKORVANE_BINARY_DIR "/bin/skorvane", "skorvane", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Skorvane() {
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove(output);
    }

    // Waits up to `limit` seconds for the exit; returns the exit status or -1 if still running.
    int wait(double limit) {
        auto deadline = Clock::now() + std::chrono::duration<double>(limit);
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    bool running() const { return !exited; }

    std::string printed() const {
        std::ifstream in(output);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The window id once the window is mapped and the show is running, or an empty string.
    std::string waitForWindow(double limit) {
        auto deadline = Clock::now() + std::chrono::duration<double>(limit);
        while (Clock::now() < deadline) {
            std::string id = shOutput("xdotool search --onlyvisible --name '^Skorvane$' 2>/dev/null | head -1");
            if (!id.empty()) return id.substr(0, id.find('\n'));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "";
    }

private:
    pid_t pid = -1;
    bool exited = false;
    fs::path output;
};

} // namespace

TEST(Shell, EndsWithTheMusicAndExitsZero) {
    ShowDirectory dir(3.0);
    Skorvane show(dir.root);
    auto started = Clock::now();
    int status = show.wait(60.0);
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    EXPECT_EQ(0, status) << show.printed();
    EXPECT_GT(seconds, 3.0);
    EXPECT_EQ("", show.printed());
}

TEST(Shell, WindowFillsTheScreenAndIgnoresCloseRequests) {
    ShowDirectory dir(8.0);
    Skorvane show(dir.root);
    std::string id = show.waitForWindow(30.0);
    ASSERT_FALSE(id.empty()) << show.printed();

    std::string geometry = shOutput("xdotool getwindowgeometry " + id);
    std::string screen = shOutput("xdotool getdisplaygeometry");
    std::istringstream sizes(screen);
    int screenWidth = 0, screenHeight = 0;
    sizes >> screenWidth >> screenHeight;
    std::string expected = "Geometry: " + std::to_string(screenWidth) + "x" + std::to_string(screenHeight);
    EXPECT_NE(std::string::npos, geometry.find(expected)) << geometry;

    ASSERT_TRUE(sendCloseRequest(std::stoul(id)));
    EXPECT_EQ(-1, show.wait(1.0)) << "a close request ended the show";

    EXPECT_EQ(0, sh("xdotool windowfocus --sync " + id + " key Escape"));
    auto pressed = Clock::now();
    EXPECT_EQ(0, show.wait(5.0));
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - pressed).count(), 2.0);
}

TEST(Shell, ReportsAMissingContextInsteadOfCrashing) {
    ShowDirectory dir(3.0);
    Skorvane show(dir.root, "MESA_GL_VERSION_OVERRIDE=3.3");
    EXPECT_EQ(1, show.wait(30.0));
    EXPECT_NE(std::string::npos, show.printed().find("4.1 core context")) << show.printed();
}

TEST(Shell, ReportsMissingFilesAndExitsNonZero) {
    ShowDirectory dir(3.0);
    fs::remove(dir.root / "data" / "velmora.mp3");
    {
        Skorvane show(dir.root);
        EXPECT_EQ(1, show.wait(30.0));
        EXPECT_EQ(0u, show.printed().rfind("cannot load music data/velmora.mp3", 0)) << show.printed();
    }
    ShowDirectory noConfig(3.0);
    fs::remove(noConfig.root / "config.txt");
    Skorvane show(noConfig.root);
    EXPECT_EQ(1, show.wait(30.0));
    EXPECT_NE(std::string::npos, show.printed().find("config.txt")) << show.printed();
}

TEST(Shell, PlaysTheWholeShowWithoutGLErrors) {
    // The real track and assets, from the repository itself; Mesa reports any GL error it sees.
    Skorvane show(SKORVANE_SOURCE_DIR, "MESA_DEBUG=1");
    auto started = Clock::now();
    int status = show.wait(170.0);
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    EXPECT_EQ(0, status);
    EXPECT_GT(seconds, 100.5);
    EXPECT_EQ("", show.printed());
}
