// skorvane-preview driven as a person would drive it: keys sent with xdotool, the printed lines and
// the window's pixels read back and compared with skorvane-capture's frames.
#include "CaptureFrames.h"
#include "Config.h"
#include "ShowDir.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// One skorvane-preview running in `dir`, its standard output and error read line by line, and what
// it plays written by SDL's disk audio driver to heard.raw. Every wait has one generous deadline,
// so a preview that stops answering fails the test instead of hanging it.
class Preview {
public:
    // The shell prints its process id, then becomes the preview, whose window xdotool finds by it.
    Preview(const std::string& dir, const std::string& arguments,
            const std::string& sound = "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=heard.raw")
        : dir(dir) {
        output = popen(("cd " + dir + " && echo $$ && " + sound + " exec " + previewTool + " --size 640x360 " +
                        arguments + " 2>&1").c_str(), "r");
        pid = std::atoi(nextLine(Clock::now() + 30s).c_str());
        window = std::atol(runCommand("timeout 30 xdotool search --sync --pid " + std::to_string(pid)).output.c_str());
        EXPECT_NE(0, window) << "no window";
    }
    ~Preview() { quit(SIGKILL); }

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

    // The demo time the next line ending with `event` starts with, or -1 after a failure. The lines
    // passed over on the way are kept in `skipped`.
    double waitFor(const std::string& event) {
        skipped.clear();
        for (std::string line; !(line = nextLine(Clock::now() + 30s)).empty(); skipped += line + "\n")
            if (line.size() >= event.size() && line.compare(line.size() - event.size(), event.size(), event) == 0)
                return std::atof(line.c_str());
        ADD_FAILURE() << "no line ending with \"" << event << "\", after:\n" << skipped;
        return -1.0;
    }

    // Keys, or with `verb` "mousemove", a place in the window and what is done there.
    void key(const std::string& keys, const std::string& verb = "key") {
        runCommand("xdotool " + verb + " --window " + std::to_string(window) + " " + keys);
    }

    // Sends `keys`, then waits for the line ending with `event`: its demo time.
    double press(const std::string& keys, const std::string& event) {
        SCOPED_TRACE("after " + keys);
        key(keys);
        return waitFor(event);
    }

    // The window's title, which holds the display's line.
    std::string title() { return runCommand("xdotool getwindowname " + std::to_string(window)).output; }

    // The window's pixels as the X server holds them.
    Image grab() {
        RunResult run = runCommand("ffmpeg -v error -f x11grab -draw_mouse 0 -window_id " + std::to_string(window) +
                                   " -i \"$DISPLAY\" -frames:v 1 -y " + dir + "/grab.png");
        EXPECT_EQ(0, run.status) << run.output;
        return loadPng(dir + "/grab.png");
    }

    // Whether the sound from now on is the tone rather than silence: 0.1 s of 16-bit stereo at 44.1 kHz,
    // from 0.2 s of sound after the call, past what the device had buffered before it.
    bool hearsTone() {
        std::string heard = dir + "/heard.raw";
        std::uintmax_t second = 44100 * 4, from = std::filesystem::file_size(heard) + second / 5;
        for (Clock::time_point deadline = Clock::now() + 30s;
             std::filesystem::file_size(heard) < from + second / 10 && Clock::now() < deadline;)
            std::this_thread::sleep_for(10ms);
        std::vector<std::int16_t> samples(second / 20);
        std::ifstream(heard, std::ios::binary).seekg(from).read(reinterpret_cast<char*>(samples.data()), second / 10);
        return std::any_of(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 1000; });
    }

    // Ends the preview with Escape, or with `signal`, and gives it one deadline to end its output
    // before it is killed: its exit status, or -1 when it did not exit by itself.
    int quit(int signal = 0) {
        if (!output || pid <= 0) return -1;
        if (signal) kill(pid, signal); else key("Escape");
        for (Clock::time_point deadline = Clock::now() + 30s; !nextLine(deadline).empty();) {
        }
        kill(pid, SIGKILL);
        int status = pclose(output);
        output = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string skipped;

private:
    std::string dir;
    FILE* output = nullptr;
    pid_t pid = 0;
    long window = 0;
};

// The display over `picture`: the picture untouched above a band along the bottom, white text in
// the band from its left edge, and in the bottom row the red playhead at `time`'s place.
void expectDisplay(const Image& shown, const Image& picture, double time) {
    int w = shown.width, top = shown.height, textLeft = w, left = w, right = 0;
    for (int y = 0; y < shown.height; y++)
        for (int x = 0; x < w; x++) {
            std::size_t at = (std::size_t(y) * w + x) * 4;
            const std::uint8_t *s = &shown.rgba.at(at), *p = &picture.rgba.at(at);
            if (std::equal(s, s + 3, p)) continue;
            top = std::min(top, y);
            if (s[0] == 255 && s[1] == 255 && s[2] == 255) textLeft = std::min(textLeft, x);
            if (y == shown.height - 1 && s[0] > 200 && s[1] < 80 && s[2] < 80) left = std::min(left, x), right = x;
        }
    EXPECT_GT(top, shown.height - 40) << "the display reaches up to row " << top;
    EXPECT_LT(textLeft, 16);
    EXPECT_NEAR(time / velmoraTimeline.back().end * w, (left + right + 1) / 2.0, 1.5) << "the playhead";
}

// What the preview prints when L loops `scene`.
std::string loopOf(const SceneWindow& scene) {
    char line[64];
    std::snprintf(line, sizeof line, "loop %.3f:%.3f", scene.start, scene.end);
    return line;
}

// A slow writer: the text in four parts, 60 ms apart. Every save is made so, and each must be read
// once, whole.
void save(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    for (std::size_t part = 0, n = text.size(); part < 4; part++) {
        file << text.substr(part * n / 4, (part + 1) * n / 4 - part * n / 4) << std::flush;
        std::this_thread::sleep_for(60ms);
    }
}

std::array<std::uint8_t, 3> centre(const Image& image) {
    const std::uint8_t* p = &image.rgba.at((std::size_t(image.height / 2) * image.width + image.width / 2) * 4);
    return {p[0], p[1], p[2]};
}

const int liveRate = 60; // the preview steps frames, and replays the star stream, on this rate's grid

} // namespace

TEST(Preview, KeysClicksAndTheEndOfTheShowMoveThePictureAndTheMusicTogether) {
    ShowDir show(3.0);
    Preview preview(show.path(), "--from 86");
    const SceneWindow &intro = velmoraTimeline[1], &planet = velmoraTimeline[2], &last = velmoraTimeline.back();
    // Played in the star stream, where the music has ended, then paused: the picture is the
    // captured frame of that time (drawn offscreen, so a few edge pixels round apart), under the display.
    preview.waitFor("86.000 playing");
    EXPECT_FALSE(preview.hearsTone());
    double rest = preview.press("space", "paused");
    Image shown = preview.grab();
    preview.press("Tab", "display off");
    Image picture = preview.grab();
    Image captured = captureFrames(show.path("frame.png"), "640x360", {rest})[0];
    EXPECT_TRUE(imagesClose(picture, captured, sameFrame, "preview-rest"));
    expectDisplay(shown, picture, rest);

    // The music moves with the picture, and pauses with it.
    preview.press("Home", "0.000 seek");
    preview.press("space", "0.000 playing");
    EXPECT_TRUE(preview.hearsTone());
    preview.press("space", "paused");
    EXPECT_FALSE(preview.hearsTone());

    // Scene k's key, then a second on and back: a frame before the planet scene, L loops the intro,
    // which played comes round again.
    for (int k = 0; k < int(velmoraTimeline.size()); k++)
        EXPECT_NEAR(velmoraTimeline[k].start, preview.press(std::to_string(k + 1), "seek"), 1e-9) << k + 1;
    EXPECT_NEAR(planet.start, preview.press("3", "seek"), 1e-9);
    EXPECT_NEAR(planet.start + 1.0, preview.press("Right", "seek"), 1e-9);
    EXPECT_NEAR(planet.start, preview.press("Left", "seek"), 1e-9);
    EXPECT_EQ(frameTime(std::lround(planet.start * liveRate) - 1, liveRate), preview.press("shift+Left", "seek"));
    preview.press("l", loopOf(intro));
    preview.press("space", "playing");
    EXPECT_EQ(intro.start, preview.waitFor(loopOf(intro)));
    preview.press("space", "paused");
    preview.press("l", "loop off");

    // At the edge the scene that starts there is the current one.
    EXPECT_NEAR(planet.start, preview.press("Next", "seek"), 1e-9);
    preview.press("shift+Left", "seek");
    EXPECT_EQ(planet.start, preview.press("shift+Right", "seek"));
    EXPECT_EQ(planet.start, preview.press("l", loopOf(planet)));
    preview.press("l", "loop off");
    EXPECT_NEAR(intro.start, preview.press("Prior", "seek"), 1e-9);

    // The timeline's right end: a loop ending with the show comes round before the end can pause
    // it; without the loop, played into the end of the show, which pauses it in the last scene.
    preview.press("Tab", "display on");
    preview.key("639 358 click 1", "mousemove");
    double end = preview.waitFor("seek");
    EXPECT_NEAR(last.end * 639 / 640, end, last.end / 640);
    preview.press("l", loopOf(last));
    preview.press("space", "playing");
    EXPECT_EQ(last.start, preview.waitFor(loopOf(last)));
    EXPECT_EQ(std::string::npos, preview.skipped.find("paused")) << preview.skipped;
    preview.press("l", "loop off");
    preview.key("639 358 click 1", "mousemove");
    EXPECT_EQ(last.end, preview.waitFor("paused"));
    EXPECT_NE(std::string::npos, preview.title().find(last.name));
    preview.key("Next");
    EXPECT_EQ(last.end, preview.press("Tab", "display off"));
    EXPECT_EQ("", preview.skipped) << "Page Down in the last scene";
    EXPECT_EQ(0, preview.quit(SIGTERM));
}

TEST(Preview, ReloadsASaveWholeBlamesTheFileAtFaultAndReportsWhatIsGone) {
    ShowDir show(3.0, true);
    // Without a sound device it plays silent. --from wins over the loop's start.
    Preview preview(show.path(), "--from 1 --loop 9:10 --paused", "SDL_AUDIODRIVER=alsa AUDIODEV=hw:99");
    preview.waitFor("; playing without sound");
    preview.waitFor("1.000 loop 9.000:10.000");
    std::string shader = show.path("data/shaders/title.frag"), original = readFile(shader);

    // The title shader saved flat by a slow writer, read once whole; then broken, deleted, and
    // restored as slowly.
    save(shader, "#version 410 core\nin vec2 texcoord;\nout vec4 fragColor;\n"
                 "void main() { fragColor = vec4(1.0, 0.0, 1.0, 1.0); }\n");
    preview.waitFor("reloaded data/shaders/title.frag of program title");
    EXPECT_EQ("", preview.skipped) << "a part of the save was read";
    EXPECT_EQ((std::array<std::uint8_t, 3>{255, 0, 255}), centre(preview.grab()));
    save(shader, "#version 410 core\nvoid main() { fragColor = ; }\n");
    preview.waitFor("error in data/shaders/title.frag of program title");
    EXPECT_NE(std::string::npos, preview.nextLine(Clock::now() + 30s).find("error")) << "the compiler's log follows";
    std::remove(shader.c_str());
    preview.waitFor("missing data/shaders/title.frag");
    EXPECT_NE(std::string::npos, preview.title().find("missing data/shaders/title.frag"));
    save(shader, original);
    preview.waitFor("reloaded data/shaders/title.frag of program title");
    EXPECT_EQ("", preview.skipped) << "a part of the save was read";
    EXPECT_EQ(std::string::npos, preview.title().find("missing")) << "the display still says so";

    // The vertex shader two programs share, broken: a save of another file of one of them still
    // blames it, and the other's failure stays on the display.
    std::string vertex = show.path("data/shaders/quad.vert"), vertexText = readFile(vertex);
    save(vertex, "broken\n");
    preview.waitFor("error in data/shaders/quad.vert of program title");
    preview.waitFor("error in data/shaders/quad.vert of program tinyplanet");
    std::filesystem::last_write_time(shader, std::filesystem::file_time_type::clock::now());
    preview.waitFor("error in data/shaders/quad.vert of program title");
    EXPECT_NE(std::string::npos, preview.title().find("error in data/shaders/quad.vert of program title, 1 more"));
    save(vertex, vertexText);
    preview.waitFor("reloaded data/shaders/quad.vert of program tinyplanet");
    EXPECT_EQ(std::string::npos, preview.title().find("error")) << "the display still says so";

    // The title image replaced by a directory, then by a green image.
    std::string image = show.path("data/images/title1.png");
    std::filesystem::remove(image);
    std::filesystem::create_directory(image);
    preview.waitFor("error in data/images/title1.png");
    EXPECT_EQ("data/images/title1.png is a directory", preview.nextLine(Clock::now() + 30s));
    std::filesystem::remove(image);
    ASSERT_TRUE(savePng(image, Image{1, 1, {0, 255, 0, 255}}));
    preview.waitFor("reloaded data/images/title1.png");
    EXPECT_EQ((std::array<std::uint8_t, 3>{0, 255, 0}), centre(preview.grab()));

    // The terrain saved without a triangle is refused and stays drawn; saved as one small triangle,
    // the planet scene draws that at once (the display, which tells of the error, hidden).
    std::string terrain = show.path("data/models/terrain.obj");
    preview.press("3", "seek");
    preview.press("Tab", "display off");
    Image withTerrain = preview.grab();
    save(terrain, "v 0 0 0\n");
    preview.waitFor("error in data/models/terrain.obj");
    EXPECT_TRUE(withTerrain.rgba == preview.grab().rgba) << "a refused save changed the picture";
    save(terrain, "v 0 0 0\nv 1 0 0\nv 0 0 1\nf 1 2 3\n");
    preview.waitFor("reloaded data/models/terrain.obj");
    EXPECT_FALSE(withTerrain.rgba == preview.grab().rgba) << "the saved model is not drawn";

    // R reloads everything config.txt names, each of it whole again: a line each, and no error.
    std::ifstream config(show.path("config.txt"));
    std::vector<vexel::ConfigLine> resources = vexel::readConfigLines(config);
    preview.press("r", "reloaded " + resources.back().fields[1]);
    EXPECT_EQ(resources.size() - 1, std::size_t(std::count(preview.skipped.begin(), preview.skipped.end(), '\n')));
    EXPECT_EQ(std::string::npos, preview.skipped.find("error")) << preview.skipped;
    EXPECT_EQ(0, preview.quit());
}
