// skorvane-capture run as a program: frames as skorvane draws them, with or without an X server,
// video export and its interruption, and how it refuses bad arguments.
#include "Image.h"
#include "Run.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string tool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";

RunResult capture(const std::string& arguments, const std::string& environment = "") {
    return runCommand("cd " SKORVANE_SOURCE_DIR " && " + environment + " " + tool + " " + arguments);
}

} // namespace

// The committed reference frames are what the scenes draw live (ScenesTest holds them to that), so
// the tool must make them again, with an X server and without one, within ScenesTest's tolerance.
TEST(Capture, FramesMatchTheReferencesWithAndWithoutAnXServer) {
    TempDir dir;
    std::string out = dir.path("frame.png");
    for (std::string time : {"9.000", "19.600", "49.900"}) {
        Image reference = loadPng(SKORVANE_SOURCE_DIR "/tests/velmora/reference/frame-" + time + ".png");
        for (const char* environment : {"", "env -u DISPLAY"}) {
            SCOPED_TRACE(time + " " + environment);
            RunResult run = capture("--time " + time + " --size 320x180 --out " + out, environment);
            ASSERT_EQ(0, run.status) << run.output;
            EXPECT_TRUE(imagesClose(loadPng(out), reference, sameFrame, "capture-" + time));
        }
    }
}

TEST(Capture, ShortVideoHasItsFramesAndSound) {
    TempDir dir;
    std::string out = dir.path("part.mp4");
    RunResult run = capture("--video " + out + " --fps 10 --size 160x90 --from 8.0 --to 10.0");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("20/20 frames")) << run.output;

    std::string probe = runCommand("ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames "
                                   "-show_entries format=duration -of csv=p=0 " + out).output;
    EXPECT_NE(std::string::npos, probe.find("video,20")) << probe;
    EXPECT_NE(std::string::npos, probe.find("audio")) << probe;
    double duration = std::atof(probe.substr(probe.rfind('\n', probe.size() - 2) + 1).c_str());
    EXPECT_NEAR(2.0, duration, 0.1) << probe;
}

TEST(Capture, InterruptedVideoStaysPlayable) {
    TempDir dir;
    std::string out = dir.path("cut.mp4"), progress = dir.path("progress.txt");
    // Interrupted once the first progress report shows that frames are on their way to ffmpeg.
    RunResult run = runCommand("cd " SKORVANE_SOURCE_DIR " && { " + tool + " --video " + out +
                               " --fps 30 --size 160x90 --from 6.0 --to 60.0 2>" + progress + " & pid=$!;"
                               " until grep -q frames " + progress + " || ! kill -0 $pid; do sleep 0.05; done;"
                               " kill -INT $pid; wait $pid; }");
    EXPECT_EQ(0, run.status) << readFile(progress);
    EXPECT_NE(std::string::npos, readFile(progress).find("interrupted: " + out)) << readFile(progress);
    std::string probe = runCommand("ffprobe -v error -count_frames -select_streams v -show_entries "
                                   "stream=nb_read_frames -of csv=p=0 " + out).output;
    EXPECT_GT(std::atoi(probe.c_str()), 0) << probe;
    EXPECT_LT(std::atoi(probe.c_str()), 30 * 54) << probe;
}

TEST(Capture, BadArgumentsGiveOneLineAndWriteNothing) {
    TempDir dir;
    std::string out = dir.path("never.png");
    const char* cases[] = {"--frobnicate 1 --time 5 --out ", "--size 0x720 --time 5 --out ",
                           "--time 100.5 --out ", "--time 5 --size 64x64 --out /nonexistent-dir/x.png --json ",
                           "--time abc --out "};
    for (const char* arguments : cases) {
        SCOPED_TRACE(arguments);
        RunResult run = capture(std::string(arguments) + out);
        EXPECT_NE(0, run.status);
        EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(), '\n')) << run.output;
        EXPECT_FALSE(fs::exists(out));
    }

    std::string video = dir.path("never.mp4");
    RunResult run = capture("--video " + video + " --from 8 --to 9 --size 64x64", "PATH=/nonexistent");
    EXPECT_NE(0, run.status);
    EXPECT_NE(std::string::npos, run.output.find("ffmpeg")) << run.output;
    EXPECT_FALSE(fs::exists(video));
}
