// skorvane-capture run as a program: the contact sheet, the bench, the video with its frames, its
// sound and its interruption, and how both tools refuse bad arguments and name what they lack.
#include "CaptureFrames.h"
#include "TempDir.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <valarray>
#include <vector>

namespace {

// Mean difference of all channels.
double meanDifference(const Image& a, const Image& b) {
    double sum = 0;
    for (std::size_t i = 0; i < std::min(a.rgba.size(), b.rgba.size()); i++) sum += std::abs(a.rgba[i] - b.rgba[i]);
    return sum / std::max<std::size_t>(a.rgba.size(), 1);
}

} // namespace

// Each tile of the sheet is its moment's frame, bit for bit; so is a frame of the star stream
// asked for after another one off the frames of the show, as if asked for alone.
TEST(Capture, SheetTilesAndEachFrameStandAlone) {
    TempDir dir;
    RunResult run = runCapture("--sheet " + dir.path("sheet.png") + " --size 64x36");
    ASSERT_EQ(0, run.status) << run.output;
    Image sheet = loadPng(dir.path("sheet.png"));
    SheetLayout layout{64, 36};
    ASSERT_EQ(std::size_t(layout.width()) * layout.height() * 4, sheet.rgba.size());

    std::vector<double> times(std::begin(sheetMoments), std::end(sheetMoments));
    times.push_back(sheetMoments[5] - 0.123);
    std::vector<Image> alone = captureFrames(dir.path("frame.png"), "64x36", times);
    for (int i = 0; i < 6; i++) {
        EXPECT_TRUE(sheetMoments[i] > velmoraTimeline[i].start && sheetMoments[i] < velmoraTimeline[i].end)
            << "tile " << i << " is not of scene " << velmoraTimeline[i].name;
        for (int y = 0; y < 36; y++) {
            auto row = sheet.rgba.begin() + (std::size_t(layout.top(i) + y) * sheet.width + layout.left(i)) * 4;
            ASSERT_TRUE(std::equal(row, row + 64 * 4, alone[i].rgba.begin() + y * 64 * 4)) << "tile " << i << " row " << y;
        }
    }
}

TEST(Capture, BenchReportsEverySceneWithPositiveTimes) {
    TempDir dir;
    std::string json = dir.path("bench.json");
    RunResult run = runCapture("--bench --frames 2 --size 64x36 --json " + json);
    ASSERT_EQ(0, run.status) << run.output;
    std::string text = readFile(json);
    for (const SceneWindow& scene : velmoraTimeline) {
        std::size_t entry = text.find(std::string("\"name\": \"") + scene.name + "\"");
        ASSERT_NE(std::string::npos, entry) << scene.name << " missing from\n" << text;
        for (std::string key : {"\"median_ms\": ", "\"p90_ms\": ", "\"fps\": ", "\"floor_ms\": "})
            EXPECT_GT(std::atof(text.c_str() + text.find(key, entry) + key.size()), 0.0) << scene.name << key;
    }
}

// Each frame of the video is closer to the capture of its own time (made without an X server,
// through EGL) than to its neighbours', and the sound starts where the video does in the music.
TEST(Capture, VideoHasTheFramesAndTheSoundOfItsTimes) {
    TempDir dir;
    std::string out = dir.path("part.mp4");
    RunResult run = runCapture("--video " + out + " --fps 10 --size 160x90 --from 20 --to 22");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("20/20 frames")) << run.output;

    std::vector<Image> captured =
        captureFrames(dir.path("frame.png"), "160x90", {20.2, 20.3, 20.4, 21.4, 21.5, 21.6}, "env -u DISPLAY");
    for (const char* name : {"frame-20.200.png", "frame-20.300.png", "frame-20.400.png", "frame-21.400.png",
                             "frame-21.500.png", "frame-21.600.png"})
        EXPECT_TRUE(std::filesystem::exists(dir.path(name))) << name;
    runCommand("ffmpeg -v error -i " + out + " -vf 'select=eq(n\\,3)+eq(n\\,15)' -vsync 0 " + dir.path("v%d.png"));
    for (int k = 0; k < 2; k++) {
        Image frame = loadPng(dir.path("v" + std::to_string(k + 1) + ".png"));
        double own = meanDifference(frame, captured[3 * k + 1]);
        EXPECT_LT(own, meanDifference(frame, captured[3 * k]));
        EXPECT_LT(own, meanDifference(frame, captured[3 * k + 2]));
    }

    // Two seconds, mono at 8 kHz, short sound padded with silence: the same wave shifted by a
    // millisecond correlates below 0.7.
    auto decode = [&](const std::string& input) {
        runCommand("cd " SKORVANE_SOURCE_DIR " && ffmpeg -v error -y " + input + " -t 2 -ac 1 -ar 8000 -f s16le " +
                   dir.path("sound.raw"));
        std::string bytes = readFile(dir.path("sound.raw"));
        std::valarray<double> wave(16000);
        for (std::size_t i = 0; i < std::min<std::size_t>(wave.size(), bytes.size() / 2); i++)
            wave[i] = reinterpret_cast<const std::int16_t*>(bytes.data())[i];
        return wave;
    };
    std::valarray<double> video = decode("-i " + out), music = decode("-ss 20 -i data/velmora.mp3");
    EXPECT_GT((video * music).sum() / std::sqrt((video * video).sum() * (music * music).sum()), 0.9)
        << "the sound is not the music from 20 s";
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
                               "xdotool search --name \"^skorvane-capture$\" >/dev/null", 128 + 15}}) {
        SCOPED_TRACE(c.signal + " " + c.arguments);
        std::filesystem::remove(out);
        // One generous deadline for the start, and one for the end after the signal.
        RunResult run = runCommand("cd " SKORVANE_SOURCE_DIR " && { " + captureTool + " " + c.arguments + " 2>" +
                                   progress + " >/dev/null & timeout 120 sh -c 'until " + c.started +
                                   "; do sleep 0.05; done'; kill -" + c.signal + " $!;"
                                   " timeout 120 tail --pid=$! -s 0.05 -f /dev/null ||"
                                   " { kill -KILL $!; echo still running; }; wait $!; } 2>/dev/null");
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
// check and made the star stream's replay wait forever. Each limit is refused just outside it and
// taken just inside. The refusal comes before any window, so a display that is not there makes an
// argument taken fail fast, with status 1.
TEST(Capture, BadArgumentsGiveOneLineAndStatusTwo) {
    TempDir dir;
    std::string out = dir.path("never.png");
    const std::string preview = "DISPLAY=:6969 " + previewTool + " ", capture = "DISPLAY=:6969 " + captureTool + " ";
    // A command with % for the value, every other value in it good, and its limits: a value just
    // inside each and one just outside.
    struct Option {
        std::string command;
        std::vector<std::pair<std::string, std::string>> limits;
    };
    const Option options[] = {
        {capture + "--time % --out " + out, {{"0", "-0.001"}, {"100", "100.001"}}},
        {capture + "--fps % --time 5 --out " + out, {{"1", "0"}, {"240", "241"}, {"240", "239.5"}}},
        {capture + "--from % --to 50 --video " + out, {{"49.999", "50"}}},
        {capture + "--from 1 --to % --video " + out, {{"100", "100.001"}}},
        {capture + "--bench --frames % --json " + out, {{"1", "0"}, {"10000", "10001"}}},
        {capture + "--size %x36 --time 5 --out " + out, {{"1", "0"}, {"8192", "8193"}}},
        {capture + "--size 64x% --time 5 --out " + out, {{"1", "0"}, {"8192", "8193"}}},
        {preview + "--from %", {{"100", "100.001"}}},
        {preview + "--loop %:50", {{"49.999", "50"}}},
        {preview + "--loop 1:%", {{"100", "100.001"}}}};
    auto expectStatus = [](const std::string& command, int status) {
        SCOPED_TRACE(command);
        RunResult run = runCommand("cd " SKORVANE_SOURCE_DIR " && " + command);
        EXPECT_EQ(status, run.status);
        // Refused in one line; taken, it goes on to find no display.
        EXPECT_TRUE(status == 2 ? std::count(run.output.begin(), run.output.end(), '\n') == 1
                                : run.output.find("cannot open a display") != std::string::npos)
            << run.output;
    };
    for (const Option& option : options) {
        auto with = [&](const std::string& value) {
            return std::string(option.command).replace(option.command.find('%'), 1, value);
        };
        for (const auto& [inside, outside] : option.limits) expectStatus(with(inside), 1), expectStatus(with(outside), 2);
        for (const char* value : {"nan", "inf", "1e999", "1e1", "0x10", "' 5'", "'5 '", "+5", "''"})
            expectStatus(with(value), 2);
    }
    for (const std::string& command : {capture + "--frobnicate 1 --time 5 --out " + out, preview + "--from",
                                       preview + "--size 12", preview + "--frobnicate"})
        expectStatus(command, 2);
}

// --help answers, and what a tool needs and lacks is named in one line: config.txt (the capture
// tool looks for its files only once it has something to do), ffmpeg for a video. (A display that
// does not answer is named in the bad-arguments test, after each argument taken.)
TEST(Capture, BothToolsAnswerHelpAndNameWhatTheyLack) {
    TempDir dir;
    for (std::string command : {previewTool, captureTool + " --time 5 --out x.png"}) {
        SCOPED_TRACE(command);
        RunResult help = runCommand(command + " --help");
        EXPECT_EQ(0, help.status);
        EXPECT_EQ(0u, help.output.find("usage: ")) << help.output;
        RunResult missing = runCommand("cd " + dir.path("") + " && " + command);
        EXPECT_EQ(1, missing.status);
        EXPECT_EQ("cannot open config.txt: No such file or directory\n", missing.output);
    }
    RunResult run = runCapture("--video " + dir.path("never.mp4") + " --from 8 --to 9 --size 64x64", "PATH=/nonexistent");
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.output.find("ffmpeg")) << run.output;
}
