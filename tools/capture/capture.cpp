// skorvane-capture: drives the demo's own Velmora object with a fixed clock instead of the music,
// to save frames, export the show as a video, make a contact sheet or measure frame times.
#include "CaptureOptions.h"
#include "CubeMap.h"
#include "Label.h"
#include "Session.h"
#include "Sprite.h"
#include "velmora.h"

#include <GL/glew.h>
#include <SDL.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t interrupted = 0;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Checks that `path` can be written without leaving a file behind.
bool writable(const std::string& path) {
    bool existed = access(path.c_str(), F_OK) == 0;
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    std::fclose(f);
    if (!existed) std::remove(path.c_str());
    return true;
}

// A hidden window of the capture size: the scenes draw into its back buffer, read before any swap.
// Our loops read no events, so SDL must not turn SIGINT and SIGTERM into a quit event: they keep
// ending the process, or, in a video, the handler that closes the file.
Session openSession(const CaptureOptions& options) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return Session("skorvane-capture", options.width, options.height, SDL_WINDOW_HIDDEN, true);
}

void savePng(const std::string& path, const Pixels& pixels, int width, int height) {
    if (!stbi_write_png(path.c_str(), width, height, 4, pixels.data(), width * 4))
        fail("cannot write " + path);
}

int captureFrames(const CaptureOptions& options) {
    std::vector<double> times = options.times;
    std::sort(times.begin(), times.end());
    bool several = times.size() > 1;
    for (double t : times)
        if (!writable(framePath(options.out, t, several))) fail("cannot write " + framePath(options.out, t, several));
    Session session = openSession(options);
    session.buildDemo();
    for (double t : times) {
        session.render(t, options.fps);
        savePng(framePath(options.out, t, several), session.read(), options.width, options.height);
    }
    return 0;
}

int captureSheet(const CaptureOptions& options) {
    if (!writable(options.out)) fail("cannot write " + options.out);
    SheetLayout layout{options.width, options.height};
    int tileW = options.width, tileH = options.height, sheetW = layout.width(), sheetH = layout.height();
    Pixels sheet(std::size_t(sheetW) * sheetH * 4, 0);
    for (std::size_t i = 3; i < sheet.size(); i += 4) sheet[i] = 255;

    Session session = openSession(options);
    session.buildDemo();
    Label label;
    for (int i = 0; i < 6; i++) {
        session.render(sheetMoments[i], options.fps);
        Pixels tile = session.read();
        int left = layout.left(i), top = layout.top(i);
        for (int y = 0; y < tileH; y++)
            std::memcpy(&sheet[(std::size_t(top + y) * sheetW + left) * 4], &tile[std::size_t(y) * tileW * 4],
                        std::size_t(tileW) * 4);
        char text[64];
        std::snprintf(text, sizeof text, "%d  %s  %.1f s", i + 1, velmoraTimeline[i].name, sheetMoments[i]);
        label.draw(sheet, sheetW, left + 4, top + tileH + 6, 24.0f, text);
    }
    savePng(options.out, sheet, sheetW, sheetH);
    return 0;
}

// ffmpeg in its own process group, so Ctrl-C reaches only us and we can close the file cleanly.
class Encoder {
public:
    Encoder(const CaptureOptions& options) {
        int fds[2];
        if (pipe(fds) != 0) fail("cannot create a pipe to ffmpeg");
        char size[32], rate[16], offset[32];
        std::snprintf(size, sizeof size, "%dx%d", options.width, options.height);
        std::snprintf(rate, sizeof rate, "%d", options.fps);
        std::snprintf(offset, sizeof offset, "%.3f", options.from);
        pid = fork();
        if (pid == 0) {
            setpgid(0, 0);
            dup2(fds[0], 0);
            close(fds[0]);
            close(fds[1]);
            execlp("ffmpeg", "ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo", "-pixel_format", "rgba",
                   "-video_size", size, "-framerate", rate, "-i", "pipe:0", "-ss", offset, "-i",
                   "data/velmora.mp3", "-map", "0:v", "-map", "1:a", "-c:v", "libx264", "-preset", "veryfast",
                   "-crf", "20", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k", "-shortest",
                   options.out.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[0]);
        stream = fdopen(fds[1], "wb");
    }

    bool write(const Pixels& frame) { return std::fwrite(frame.data(), 1, frame.size(), stream) == frame.size(); }

    int finish() {
        std::fclose(stream);
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }

private:
    pid_t pid = -1;
    FILE* stream = nullptr;
};

void progress(long done, long total, double elapsed) {
    const int width = 30;
    int filled = int(width * done / std::max(total, 1L));
    double rate = elapsed > 0 ? done / elapsed : 0.0;
    double left = rate > 0 ? (total - done) / rate : 0.0;
    std::fprintf(stderr, "\r[%.*s%*s] %ld/%ld frames  %.1f fps  %d:%02d left ", filled,
                 "##############################", width - filled, "", done, total, rate, int(left) / 60,
                 int(left) % 60);
}

int captureVideo(const CaptureOptions& options) {
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) fail("ffmpeg is not installed: it encodes the video");
    if (access("data/velmora.mp3", R_OK) != 0) fail("cannot read data/velmora.mp3 for the sound track");
    if (!writable(options.out)) fail("cannot write " + options.out);
    std::signal(SIGPIPE, SIG_IGN);
    for (int signal : {SIGINT, SIGTERM}) std::signal(signal, [](int) { interrupted = 1; });

    Session session = openSession(options);
    session.buildDemo();
    long first = long(std::ceil(options.from * options.fps - 1e-9));
    long last = first;
    while (frameTime(last, options.fps) < options.to) last++;
    long total = last - first;

    Encoder encoder(options);
    Clock::time_point t0 = Clock::now();
    long done = 0;
    for (long n = first; n < last && !interrupted; n++, done++) {
        session.render(frameTime(n, options.fps), options.fps);
        if (!encoder.write(session.read())) break;
        if (done % 10 == 0) progress(done, total, secondsSince(t0));
    }
    progress(done, total, secondsSince(t0));
    std::fprintf(stderr, "\n");
    int status = encoder.finish();
    if (status != 0) fail("ffmpeg failed to write " + options.out);
    if (interrupted) std::fprintf(stderr, "interrupted: %s holds the %ld frames rendered\n", options.out.c_str(), done);
    return 0;
}

// The least work a frame of the scene needs: its render targets cleared and covered once.
class Floor {
public:
    Floor(int width, int height) : cube(2048, width, height) {
        const char* vs = "#version 410 core\nlayout(location=0) in vec2 p;\nvoid main(){gl_Position=vec4(p,0.5,1);}\n";
        const char* fs = "#version 410 core\nout vec4 c;\nvoid main(){c=vec4(0.2,0.3,0.4,1);}\n";
        program = glCreateProgram();
        for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vs}, std::pair{GL_FRAGMENT_SHADER, fs}}) {
            GLuint shader = glCreateShader(type);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
        }
        glLinkProgram(program);
    }

    void draw(bool cubeFaces) {
        glUseProgram(program);
        if (cubeFaces) {
            cube.setAsRendertarget();
            for (int side = 0; side < 6; side++) {
                cube.setSide(side);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                quad.draw();
            }
            cube.unset();
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        quad.draw();
    }

private:
    vexel::CubeMap cube;
    vexel::Sprite quad;
    GLuint program = 0;
};

struct Timing {
    double medianMs;
    double p90Ms;
    double gpuMs; // negative when the driver has no timer queries
};

double percentile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(q * (values.size() - 1) + 0.5))];
}

template <typename Draw>
Timing measure(int frames, Draw draw) {
    std::vector<double> wall, gpu;
    GLuint query = 0;
    glGenQueries(1, &query);
    for (int i = 0; i < frames; i++) {
        glFinish();
        Clock::time_point t0 = Clock::now();
        glBeginQuery(GL_TIME_ELAPSED, query);
        draw(i);
        glEndQuery(GL_TIME_ELAPSED);
        glFinish();
        wall.push_back(secondsSince(t0) * 1000.0);
        GLuint64 ns = 0;
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &ns);
        gpu.push_back(ns / 1e6);
    }
    glDeleteQueries(1, &query);
    double gpuMedian = percentile(gpu, 0.5);
    return {percentile(wall, 0.5), percentile(wall, 0.9), gpuMedian > 0 ? gpuMedian : -1.0};
}

int bench(const CaptureOptions& options) {
    if (!options.json.empty() && !writable(options.json)) fail("cannot write " + options.json);
    Session session = openSession(options);
    Clock::time_point t0 = Clock::now();
    delete new vexel::Config("config.txt");
    double registrySeconds = secondsSince(t0);
    session.buildDemo();
    double scenesSeconds = std::max(0.0, session.initSeconds - registrySeconds);

    Floor floor(options.width, options.height);
    std::string json = "{\n  \"width\": " + std::to_string(options.width) +
                       ", \"height\": " + std::to_string(options.height) +
                       ",\n  \"startup\": {\"registry_s\": " + std::to_string(registrySeconds) +
                       ", \"scenes_s\": " + std::to_string(scenesSeconds) + "},\n  \"scenes\": [\n";
    std::printf("%-16s %10s %10s %8s %10s %10s %8s\n", "scene", "median ms", "p90 ms", "fps", "gpu ms",
                "floor ms", "ratio");
    for (const SceneWindow& scene : velmoraTimeline) {
        int n = options.benchFrames;
        Timing t = measure(n, [&](int i) {
            double time = std::round((scene.start + (i + 0.5) * (scene.end - scene.start) / n) * 1000.0) / 1000.0;
            session.show(time);
        });
        bool cube = std::strcmp(scene.name, "TerrainAndCars") == 0;
        Timing f = measure(n, [&](int) { floor.draw(cube); });
        double ratio = t.medianMs / f.medianMs;
        std::printf("%-16s %10.2f %10.2f %8.1f %10.2f %10.2f %8.2f\n", scene.name, t.medianMs, t.p90Ms,
                    1000.0 / t.medianMs, t.gpuMs, f.medianMs, ratio);
        char entry[400];
        std::snprintf(entry, sizeof entry,
                      "    {\"name\": \"%s\", \"median_ms\": %.3f, \"p90_ms\": %.3f, \"fps\": %.2f, "
                      "\"gpu_ms\": %.3f, \"floor_ms\": %.3f, \"ratio\": %.3f}%s\n",
                      scene.name, t.medianMs, t.p90Ms, 1000.0 / t.medianMs, t.gpuMs, f.medianMs, ratio,
                      &scene == &velmoraTimeline.back() ? "" : ",");
        json += entry;
    }
    std::printf("start-up: registry %.3f s, scenes %.3f s\n", registrySeconds, scenesSeconds);
    json += "  ]\n}\n";
    if (!options.json.empty()) std::ofstream(options.json) << json;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error)) {
        std::printf("skorvane-capture: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", captureUsage);
        return 0;
    }
    switch (options.mode) {
    case CaptureOptions::Mode::Frames: return captureFrames(options);
    case CaptureOptions::Mode::Video: return captureVideo(options);
    case CaptureOptions::Mode::Sheet: return captureSheet(options);
    case CaptureOptions::Mode::Bench: return bench(options);
    }
    return 1;
}
