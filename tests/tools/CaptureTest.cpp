// skorvane-capture run as a program: frames as skorvane draws them, with or without an X server,
// video export and its interruption, and how it refuses bad arguments.
#include "Image.h"
#include "Run.h"
#include "TempDir.h"
#include "velmora.h"

#include <GL/glew.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string tool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";

// Two renderings of one frame agree within this: llvmpipe's threads may round a few edge pixels of
// a wire apart (any amount, a few hundred pixels of a 1280 x 720 frame), while a frame from another
// moment of the show differs by far more on average (checked below).
const int maxTolerance = 255;
const double meanTolerance = 0.3;

RunResult capture(const std::string& arguments, const std::string& environment = "") {
    return runCommand("cd " SKORVANE_SOURCE_DIR " && " + environment + " " + tool + " " + arguments);
}

// Draws one frame the way skorvane does: a Velmora built for the window's size, shown at a demo
// time, read from the back buffer before the swap.
Image liveFrame(int width, int height, double time) {
    SDL_Init(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("live", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    glewExperimental = GL_TRUE;
    glewInit();
    Velmora* demo = new Velmora(width, height);
    demo->init();
    demo->show(time);
    Image image{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
    std::vector<std::uint8_t> rows(image.rgba.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    std::size_t stride = std::size_t(width) * 4;
    for (int y = 0; y < height; y++) std::copy_n(&rows[(height - 1 - y) * stride], stride, &image.rgba[y * stride]);
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return image;
}

} // namespace

TEST(Capture, FramesMatchTheLiveProgramRepeatedAndWithoutAnXServer) {
    TempDir dir;
    std::string out = dir.path("frame.png");
    Image previous;
    for (const char* time : {"9.0", "20.5", "50.0"}) {
        SCOPED_TRACE(time);
        std::string arguments = std::string("--time ") + time + " --size 320x180 --out " + out;
        ASSERT_EQ(0, capture(arguments).status);
        Image first = loadPng(out);
        ASSERT_EQ(320, first.width);
        ASSERT_EQ(180, first.height);
        RunResult headless = capture(arguments, "env -u DISPLAY");
        ASSERT_EQ(0, headless.status) << headless.output;
        EXPECT_TRUE(imagesClose(loadPng(out), first, maxTolerance, meanTolerance, "capture-headless"));
        EXPECT_TRUE(imagesClose(first, liveFrame(320, 180, std::atof(time)), maxTolerance, meanTolerance,
                                "capture-live"));
        if (!previous.rgba.empty()) {
            EXPECT_GT(compareImages(first, previous).mean, 10 * meanTolerance);
        }
        previous = first;
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
