// skorvane-capture: drives the demo's own Velmora object with a fixed clock instead of the music,
// to save frames, export the show as a video, make a contact sheet or measure frame times.
#include "CaptureOptions.h"
#include "CubeMap.h"
#include "Sprite.h"
#include "velmora.h"

#include <GL/glew.h>
#include <SDL.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

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
using Pixels = std::vector<std::uint8_t>;

struct SceneWindow {
    const char* name;
    double start;
    double end;
    double representative; // the moment the contact sheet shows
};

// The show's timeline, as Velmora builds it.
const SceneWindow scenes[] = {
    {"Title", 0.0, 6.0, 1.5},           {"Intro", 6.0, 12.0, 9.0},
    {"TerrainAndCars", 12.0, 47.553, 14.0}, {"CarDrop", 47.553, 54.195, 49.9},
    {"WholeWorld", 54.195, 70.536, 64.5},   {"ToInfinity", 70.536, 100.0, 85.0},
};
const double starStreamStart = 70.536;

volatile std::sig_atomic_t interrupted = 0;

[[noreturn]] void fail(const std::string& message) {
    std::printf("%s\n", message.c_str());
    std::exit(1);
}

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Demo time of frame n at a fixed rate, in whole milliseconds as the live clock gives it.
double frameTime(long n, int fps) { return std::round(double(n) * 1000.0 / fps) / 1000.0; }

// Checks that `path` can be written without leaving a file behind.
bool writable(const std::string& path) {
    bool existed = access(path.c_str(), F_OK) == 0;
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    std::fclose(f);
    if (!existed) std::remove(path.c_str());
    return true;
}

// One hidden window of the capture size with the demo built for that size. The scenes draw into
// the window's back buffer, which is read before any swap.
class Session {
public:
    Session(int width, int height) : width(width), height(height) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) fail(std::string("cannot initialise SDL: ") + SDL_GetError());
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        window = SDL_CreateWindow("skorvane-capture", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) fail(std::string("cannot create the window: ") + SDL_GetError());
        if (!SDL_GL_CreateContext(window))
            fail(std::string("cannot create an OpenGL 4.1 core context: ") + SDL_GetError());
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) fail("cannot initialise GLEW");
        glGetError();
    }

    void buildDemo() {
        Clock::time_point t0 = Clock::now();
        demo = new Velmora(width, height);
        demo->init();
        initSeconds = secondsSince(t0);
    }

    // Draws demo time `time`; inside the star stream first replays the frames the live show would
    // have drawn at `fps` since the scene began, so the emitter reaches the same state.
    void render(double time, int fps) {
        if (time > starStreamStart) {
            if (simulated > time) fail("internal: frames must be captured in time order");
            for (long n = long(std::ceil(std::max(simulated, starStreamStart) * fps));; n++) {
                double t = frameTime(n, fps);
                if (t >= time) break;
                if (t > starStreamStart && t > simulated) demo->show(t);
            }
        }
        show(time);
    }

    void show(double time) {
        demo->show(time);
        simulated = std::max(simulated, time);
    }

    // The back buffer as RGBA rows, top row first.
    Pixels read() {
        Pixels pixels(std::size_t(width) * height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        Pixels flipped(pixels.size());
        std::size_t row = std::size_t(width) * 4;
        for (int y = 0; y < height; y++)
            std::memcpy(&flipped[y * row], &pixels[(height - 1 - y) * row], row);
        for (std::size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255; // the window shows no alpha
        return flipped;
    }

    int width;
    int height;
    double initSeconds = 0.0;

private:
    SDL_Window* window = nullptr;
    vexel::Demo* demo = nullptr;
    double simulated = 0.0;
};

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
    Session session(options.width, options.height);
    session.buildDemo();
    for (double t : times) {
        session.render(t, options.fps);
        savePng(framePath(options.out, t, several), session.read(), options.width, options.height);
    }
    return 0;
}

// Draws text into an RGBA image with a font from fonts-dejavu-core.
class Label {
public:
    Label() {
        std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", std::ios::binary);
        font.assign(std::istreambuf_iterator<char>(in), {});
        if (font.empty() || !stbtt_InitFont(&info, font.data(), 0)) fail("cannot read the DejaVu Sans Bold font");
    }

    void draw(Pixels& image, int imageWidth, int x, int y, float pixelHeight, const char* text) {
        float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
        int ascent = 0;
        stbtt_GetFontVMetrics(&info, &ascent, nullptr, nullptr);
        int baseline = y + int(ascent * scale);
        float pen = float(x);
        for (const char* c = text; *c; c++) {
            int advance = 0, bearing = 0, x0, y0, x1, y1;
            stbtt_GetCodepointHMetrics(&info, *c, &advance, &bearing);
            stbtt_GetCodepointBitmapBox(&info, *c, scale, scale, &x0, &y0, &x1, &y1);
            int w = x1 - x0, h = y1 - y0;
            std::vector<unsigned char> glyph(std::size_t(std::max(w, 1)) * std::max(h, 1));
            stbtt_MakeCodepointBitmap(&info, glyph.data(), w, h, w, scale, scale, *c);
            for (int gy = 0; gy < h; gy++)
                for (int gx = 0; gx < w; gx++) {
                    int px = int(pen) + x0 + gx, py = baseline + y0 + gy;
                    std::uint8_t* p = &image[(std::size_t(py) * imageWidth + px) * 4];
                    unsigned a = glyph[gy * w + gx];
                    for (int k = 0; k < 3; k++) p[k] = std::uint8_t((p[k] * (255 - a) + 255 * a) / 255);
                }
            pen += advance * scale;
        }
    }

private:
    std::vector<unsigned char> font;
    stbtt_fontinfo info{};
};

int captureSheet(const CaptureOptions& options) {
    if (!writable(options.out)) fail("cannot write " + options.out);
    const int columns = 3, rows = 2, gap = 8, labelHeight = 36;
    int tileW = options.width, tileH = options.height;
    int sheetW = columns * tileW + (columns + 1) * gap;
    int sheetH = rows * (tileH + labelHeight) + (rows + 1) * gap;
    Pixels sheet(std::size_t(sheetW) * sheetH * 4, 0);
    for (std::size_t i = 3; i < sheet.size(); i += 4) sheet[i] = 255;

    Session session(tileW, tileH);
    session.buildDemo();
    Label label;
    for (int i = 0; i < 6; i++) {
        session.render(scenes[i].representative, options.fps);
        Pixels tile = session.read();
        int left = gap + (i % columns) * (tileW + gap);
        int top = gap + (i / columns) * (tileH + labelHeight + gap);
        for (int y = 0; y < tileH; y++)
            std::memcpy(&sheet[(std::size_t(top + y) * sheetW + left) * 4], &tile[std::size_t(y) * tileW * 4],
                        std::size_t(tileW) * 4);
        char text[64];
        std::snprintf(text, sizeof text, "%d  %s  %.1f s", i + 1, scenes[i].name, scenes[i].representative);
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
    std::signal(SIGINT, [](int) { interrupted = 1; });

    Session session(options.width, options.height);
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
    Session session(options.width, options.height);
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
    for (const SceneWindow& scene : scenes) {
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
                      &scene == &scenes[5] ? "" : ",");
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
    switch (options.mode) {
    case CaptureOptions::Mode::Frames: return captureFrames(options);
    case CaptureOptions::Mode::Video: return captureVideo(options);
    case CaptureOptions::Mode::Sheet: return captureSheet(options);
    case CaptureOptions::Mode::Bench: return bench(options);
    }
    return 1;
}
