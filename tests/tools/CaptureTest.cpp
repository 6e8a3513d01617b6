// skorvane-capture run as a program: frames without an X server, the contact sheet, the bench, the
// video with its sound and its interruption, and how both tools refuse bad arguments.
#include "CaptureOptions.h"
#include "Image.h"
#include "Run.h"
#include "TempDir.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string tool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";

RunResult capture(const std::string& arguments, const std::string& environment = "") {
    return runCommand("cd " SKORVANE_SOURCE_DIR " && " + environment + " " + tool + " " + arguments);
}

// Captures `times` at `size` in one run, loaded in the given order.
std::vector<Image> frames(const TempDir& dir, const std::vector<double>& times, const std::string& size,
                          const std::string& environment = "") {
    std::string arguments = "--size " + size + " --out " + dir.path("frame.png");
    for (double t : times) arguments += " --time " + std::to_string(t);
    RunResult run = capture(arguments, environment);
    EXPECT_EQ(0, run.status) << run.output;
    std::vector<Image> images;
    for (double t : times) images.push_back(loadPng(framePath(dir.path("frame.png"), t, times.size() > 1)));
    return images;
}

// Mean difference of all channels.
double meanDifference(const Image& a, const Image& b) {
    EXPECT_EQ(a.rgba.size(), b.rgba.size());
    double sum = 0;
    for (std::size_t i = 0; i < std::min(a.rgba.size(), b.rgba.size()); i++) sum += std::abs(a.rgba[i] - b.rgba[i]);
    return sum / std::max<std::size_t>(a.rgba.size(), 1);
}

// Mono 16-bit samples at 8 kHz of the first two seconds of `input` (ffmpeg arguments).
std::vector<std::int16_t> decodeSound(const TempDir& dir, const std::string& input) {
    std::string raw = dir.path("sound.raw");
    runCommand("cd " SKORVANE_SOURCE_DIR " && ffmpeg -v error -y " + input + " -t 2 -ac 1 -ar 8000 -f s16le " + raw);
    std::string bytes = readFile(raw);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

} // namespace

// Without an X server the tool draws offscreen through EGL; the committed reference frames are what
// the scenes draw live.
TEST(Capture, FramesMatchTheReferencesWithoutAnXServer) {
    TempDir dir;
    std::vector<double> times = {9.0, 19.6, 49.9};
    std::vector<Image> images = frames(dir, times, "320x180", "env -u DISPLAY");
    for (std::size_t i = 0; i < times.size(); i++) {
        std::string reference = framePath(SKORVANE_SOURCE_DIR "/tests/velmora/reference/frame.png", times[i], true);
        EXPECT_TRUE(imagesClose(images[i], loadPng(reference), sameFrame, "capture-" + std::to_string(i)));
    }
}

// Each tile of the sheet is its moment's frame, bit for bit; so is a frame of the star stream
// asked for after another one off the frames of the show, as if asked for alone.
TEST(Capture, SheetTilesAndEachFrameStandAlone) {
    TempDir dir;
    std::string sheetPath = dir.path("sheet.png");
    RunResult run = capture("--sheet " + sheetPath + " --size 64x36");
    ASSERT_EQ(0, run.status) << run.output;
    Image sheet = loadPng(sheetPath);
    SheetLayout layout{64, 36};
    ASSERT_EQ(layout.width(), sheet.width);
    ASSERT_EQ(layout.height(), sheet.height);

    std::vector<double> times(std::begin(sheetMoments), std::end(sheetMoments));
    times.push_back(sheetMoments[5] - 0.123);
    std::vector<Image> alone = frames(dir, times, "64x36");
    for (int i = 0; i < 6; i++) {
        Image tile{64, 36, {}};
        for (int y = 0; y < 36; y++) {
            auto row = sheet.rgba.begin() + (std::size_t(layout.top(i) + y) * sheet.width + layout.left(i)) * 4;
            tile.rgba.insert(tile.rgba.end(), row, row + 64 * 4);
        }
        EXPECT_TRUE(imagesClose(tile, alone[i], {0, 0, 0.0}, "sheet-tile-" + std::to_string(i)));
    }
}

TEST(Capture, BenchReportsEverySceneWithPositiveTimes) {
    TempDir dir;
    std::string json = dir.path("bench.json");
    RunResult run = capture("--bench --frames 2 --size 64x36 --json " + json);
    ASSERT_EQ(0, run.status) << run.output;
    std::string text = readFile(json);
    for (const SceneWindow& scene : velmoraTimeline) {
        std::size_t entry = text.find(std::string("\"name\": \"") + scene.name + "\"");
        ASSERT_NE(std::string::npos, entry) << scene.name << " missing from\n" << text;
        for (const char* key : {"median_ms", "p90_ms", "fps", "floor_ms"}) {
            std::size_t at = text.find(std::string("\"") + key + "\": ", entry);
            EXPECT_GT(std::atof(text.c_str() + at + std::strlen(key) + 4), 0.0) << scene.name << " " << key;
        }
    }
}

// Each frame of the video is closer to the capture of its own time than to its neighbours', and the
// sound starts where the video does in the music.
TEST(Capture, VideoHasTheFramesAndTheSoundOfItsTimes) {
    TempDir dir;
    std::string out = dir.path("part.mp4");
    RunResult run = capture("--video " + out + " --fps 10 --size 160x90 --from 20 --to 22");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("20/20 frames")) << run.output;

    std::vector<Image> captured = frames(dir, {20.2, 20.3, 20.4, 21.4, 21.5, 21.6}, "160x90");
    runCommand("ffmpeg -v error -i " + out + " -vf 'select=eq(n\\,3)+eq(n\\,15)' -vsync 0 " + dir.path("v%d.png"));
    for (int k = 0; k < 2; k++) {
        Image frame = loadPng(dir.path("v" + std::to_string(k + 1) + ".png"));
        double own = meanDifference(frame, captured[3 * k + 1]);
        EXPECT_LT(own, meanDifference(frame, captured[3 * k]));
        EXPECT_LT(own, meanDifference(frame, captured[3 * k + 2]));
    }

    std::vector<std::int16_t> video = decodeSound(dir, "-i " + out);
    std::vector<std::int16_t> music = decodeSound(dir, "-ss 20 -i data/velmora.mp3");
    ASSERT_GT(video.size(), 8000u);
    ASSERT_GT(music.size(), 8000u);
    // The lag, within half a second, at which the video's sound best matches the music from 20 s.
    int bestLag = 0;
    double best = -1e300;
    for (int lag = -4000; lag <= 4000; lag += 4) {
        double sum = 0;
        for (std::size_t i = 4000; i < 12000 && i < music.size() && i + lag < video.size(); i++)
            sum += double(video[i + lag]) * music[i];
        if (sum > best) best = sum, bestLag = lag;
    }
    EXPECT_LE(std::abs(bestLag), 80) << "the sound is " << bestLag / 8 << " ms off the music";
}

// SDL would turn both signals into a quit event that the tool never reads: each must end it at
// once. A video then keeps a playable file with the frames made so far.
TEST(Capture, SignalsEndTheToolPromptly) {
    struct Case {
        std::string signal, arguments, started;
        int status;
    };
    TempDir dir;
    std::string out = dir.path("cut.mp4"), progress = dir.path("progress.txt");
    std::string video = "--video " + out + " --fps 30 --size 160x90 --from 6 --to 100";
    for (const Case& c : {Case{"INT", video, "grep -q frames " + progress, 0},
                          Case{"TERM", video, "grep -q frames " + progress, 0},
                          Case{"TERM", "--bench --frames 10000 --size 64x36",
                               "xdotool search --name '^skorvane-capture$' >/dev/null", 128 + 15}}) {
        SCOPED_TRACE(c.signal + " " + c.arguments);
        fs::remove(out);
        // One generous deadline (2400 naps of 50 ms) for the start and for the end after the signal.
        RunResult run = runCommand("cd " SKORVANE_SOURCE_DIR " && { " + tool + " " + c.arguments + " 2>" +
                                   progress + " >/dev/null & pid=$! naps=0; until " + c.started +
                                   " || [ $naps -ge 2400 ]; do sleep 0.05; naps=$((naps + 1)); done; kill -" +
                                   c.signal + " $pid;"
                                   " while kill -0 $pid && [ $naps -lt 2400 ]; do sleep 0.05; naps=$((naps + 1)); done;"
                                   " kill -KILL $pid && echo still running; wait $pid; } 2>/dev/null");
        EXPECT_EQ(c.status, run.status) << run.output << readFile(progress);
        if (c.status != 0) continue;
        EXPECT_NE(std::string::npos, readFile(progress).find("interrupted: " + out)) << readFile(progress);
        std::string probe = runCommand("ffprobe -v error -count_frames -select_streams v -show_entries "
                                       "stream=nb_read_frames -of csv=p=0 " + out).output;
        EXPECT_GT(std::atoi(probe.c_str()), 0) << probe;
        EXPECT_LT(std::atoi(probe.c_str()), 30 * 94) << probe;
    }
}

// Every numeric option of both tools takes a plain decimal number only: NaN passes every range
// check and made the star stream's replay wait forever. The refusal comes before any window, so a
// display that is not there makes an argument taken by mistake fail fast, with another status.
TEST(Capture, BadArgumentsGiveOneLineAndStatusTwo) {
    TempDir dir;
    std::string out = dir.path("never.png");
    const std::string preview = "DISPLAY=:6969 " SKORVANE_BINARY_DIR "/bin/skorvane-preview ";
    const std::string captureCommand = "DISPLAY=:6969 " + tool + " ";
    // Each template with % for the value: every other value in it is good.
    const char* numeric[] = {"--time % --out ", "--fps % --time 5 --out ", "--from % --to 50 --video ",
                             "--from 1 --to % --video ", "--bench --frames % --json "};
    std::vector<std::string> commands;
    for (const char* value : {"nan", "inf", "1e999", "1e1", "0x10", "' 5'", "'5 '", "+5", "''"}) {
        for (std::string arguments : numeric)
            commands.push_back(captureCommand + arguments.replace(arguments.find('%'), 1, value) + out);
        for (std::string arguments : {"--from %", "--loop %:50", "--loop 1:%"})
            commands.push_back(preview + arguments.replace(arguments.find('%'), 1, value));
    }
    for (const char* size : {"' 64x64'", "64x+64", "64.0x64", "1e1x64", "64x64x64"}) {
        commands.push_back(captureCommand + "--time 5 --size " + size + " --out " + out);
        commands.push_back(preview + "--size " + size);
    }
    for (const char* arguments : {"--frobnicate 1 --time 5 --out ", "--time 100.5 --out "})
        commands.push_back(captureCommand + arguments + out);
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        RunResult run = runCommand("cd " SKORVANE_SOURCE_DIR " && " + command);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(), '\n')) << run.output;
        EXPECT_FALSE(fs::exists(out));
    }
}

// What the tool needs and lacks is named in one line: ffmpeg for a video, an X server where DISPLAY
// names one (without DISPLAY it draws offscreen).
TEST(Capture, MissingFfmpegOrDisplayIsNamed) {
    TempDir dir;
    RunResult run = capture("--time 5 --out " + dir.path("never.png"), "DISPLAY=:6969");
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.output.find("cannot open a display: no X server answers at DISPLAY=:6969\n"))
        << run.output;

    std::string video = dir.path("never.mp4");
    run = capture("--video " + video + " --from 8 --to 9 --size 64x64", "PATH=/nonexistent");
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.output.find("ffmpeg")) << run.output;
    EXPECT_FALSE(fs::exists(video));
}
