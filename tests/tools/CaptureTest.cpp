// skorvane-capture run as a program: frames, video, and how it refuses bad arguments.
#include "TempDir.h"
#include "velmora.h"

#include <GL/glew.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string tool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";

struct ToolRun {
    int status;
    std::string output; // standard output and error together
};

ToolRun capture(const std::string& arguments, const std::string& environment = "") {
    std::string command = "cd " SKORVANE_SOURCE_DIR " && " + environment + " " + tool + " " + arguments + " 2>&1";
    ToolRun run{0, ""};
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};

Image load(const std::string& path) {
    Image image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
    if (pixels) image.rgba.assign(pixels, pixels + std::size_t(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return image;
}

// Largest difference of any channel, and the share of channels off by more than 16 levels.
struct Difference {
    int largest = 0;
    double shareOver16 = 0.0;
};

Difference compare(const Image& a, const Image& b) {
    Difference d;
    std::size_t over = 0;
    for (std::size_t i = 0; i < a.rgba.size(); i++) {
        int delta = std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        d.largest = std::max(d.largest, delta);
        over += delta > 16;
    }
    d.shareOver16 = double(over) / double(a.rgba.size());
    return d;
}

// Draws one frame the way skorvane does: a Velmora built for the window's size, shown at a demo
// time, read from the back buffer before the swap. Returns it top row first.
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
    Image image{width, height, std::vector<unsigned char>(std::size_t(width) * height * 4)};
    std::vector<unsigned char> rows(image.rgba.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    std::size_t stride = std::size_t(width) * 4;
    for (int y = 0; y < height; y++)
        std::copy_n(&rows[(height - 1 - y) * stride], stride, &image.rgba[y * stride]);
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 255;
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return image;
}

} // namespace

TEST(Capture, FrameMatchesTheLiveProgramAndRepeatsExactly) {
    TempDir dir;
    std::string out = dir.path("frame.png");
    for (const char* time : {"9.0", "20.5", "50.0"}) {
        SCOPED_TRACE(time);
        ASSERT_EQ(0, capture(std::string("--time ") + time + " --size 320x180 --out " + out).status);
        Image first = load(out);
        ASSERT_EQ(0, capture(std::string("--time ") + time + " --size 320x180 --out " + out).status);
        Image second = load(out);
        ASSERT_EQ(320, first.width);
        ASSERT_EQ(180, first.height);
        EXPECT_EQ(first.rgba, second.rgba);

        // The same frame drawn in this process, as skorvane draws it. Tolerance: at most 0.5% of
        // channels off by more than 16 levels (threads of the software rasteriser may round apart).
        Difference d = compare(first, liveFrame(320, 180, std::atof(time)));
        EXPECT_LE(d.shareOver16, 0.005) << "largest difference " << d.largest;
    }
}

TEST(Capture, ComparisonCatchesAWrongFrame) {
    TempDir dir;
    ASSERT_EQ(0, capture("--time 9.0 --time 50.0 --size 320x180 --out " + dir.path("f.png")).status);
    Difference d = compare(load(dir.path("f-9.000.png")), load(dir.path("f-50.000.png")));
    EXPECT_GT(d.shareOver16, 0.005);
}

TEST(Capture, ShortVideoHasItsFramesAndSound) {
    TempDir dir;
    std::string out = dir.path("part.mp4");
    ToolRun run = capture("--video " + out + " --fps 10 --size 160x90 --from 8.0 --to 10.0");
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("20/20 frames")) << run.output;

    std::string probe;
    FILE* pipe = popen(("ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames "
                        "-show_entries format=duration -of csv=p=0 " + out).c_str(), "r");
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) probe += buffer;
    pclose(pipe);
    EXPECT_NE(std::string::npos, probe.find("video,20")) << probe;
    EXPECT_NE(std::string::npos, probe.find("audio")) << probe;
    double duration = std::atof(probe.substr(probe.rfind('\n', probe.size() - 2) + 1).c_str());
    EXPECT_NEAR(2.0, duration, 0.1) << probe;
}

TEST(Capture, InterruptedVideoStaysPlayable) {
    TempDir dir;
    std::string out = dir.path("cut.mp4");
    capture("--video " + out + " --fps 30 --size 160x90 --from 6.0 --to 60.0", "timeout -s INT 4");
    std::string probe;
    FILE* pipe = popen(("ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames "
                        "-of csv=p=0 " + out + " 2>&1").c_str(), "r");
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) probe += buffer;
    pclose(pipe);
    int frames = std::atoi(probe.c_str());
    EXPECT_GT(frames, 0) << probe;
    EXPECT_LT(frames, 30 * 54) << probe;
}

TEST(Capture, BadArgumentsGiveOneLineAndWriteNothing) {
    TempDir dir;
    std::string out = dir.path("never.png");
    const char* cases[] = {"--frobnicate 1 --time 5 --out ", "--size 0x720 --time 5 --out ",
                           "--time 100.5 --out ", "--time 5 --out /nonexistent-dir/x.png --size 64x64 #",
                           "--time abc --out "};
    for (const char* arguments : cases) {
        SCOPED_TRACE(arguments);
        ToolRun run = capture(std::string(arguments) + out);
        EXPECT_NE(0, run.status);
        EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(), '\n')) << run.output;
        EXPECT_FALSE(fs::exists(out));
    }

    std::string video = dir.path("never.mp4");
    ToolRun run = capture("--video " + video + " --from 8 --to 9 --size 64x64", "PATH=/nonexistent");
    EXPECT_NE(0, run.status);
    EXPECT_NE(std::string::npos, run.output.find("ffmpeg")) << run.output;
    EXPECT_FALSE(fs::exists(video));
}
