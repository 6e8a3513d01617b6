// Velmora as the show runs it, drawn in a hidden 320 x 180 window as skorvane-capture draws it:
// which scene draws when, how fast things turn, the picture against the committed reference frames,
// and no GL error from any of it.
#include "velmora.h"

#include "Capture.h"
#include "Image.h"
#include "Session.h"
#include "TempDir.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

const int width = 320;
const int height = 180;

using Mat4 = std::array<float, 16>; // column-major, as uploaded

// Each draw's "pmatrix", zeros where the program has none.
std::vector<Mat4> draws;

void record() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    Mat4 pmatrix{};
    GLint location = glGetUniformLocation(program, "pmatrix");
    if (location != -1) glGetUniformfv(program, location, pmatrix.data());
    draws.push_back(pmatrix);
}

// The errors the driver reported since the last call, then the error flags it still holds.
std::string reported;

void GLAPIENTRY collect(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*) {
    if (type == GL_DEBUG_TYPE_ERROR) reported += std::string(message) + "\n";
}

std::string raisedErrors() {
    std::string text;
    text.swap(reported);
    GLenum error = GL_NO_ERROR; // a lost context keeps returning its error: stop after a few
    for (int i = 0; i < 8 && (error = glGetError()) != GL_NO_ERROR; i++) text += "glGetError " + std::to_string(error) + "\n";
    return text;
}

template <typename Fn> Fn driverEntry(const char* name) { return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name)); }

} // namespace

// The engine linked into this test resolves its draw calls to these rather than to libGL's: each
// draw is logged with the matrix in use, then passed on.
extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static auto driver = driverEntry<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    record();
    driver(mode, count, type, indices);
}

extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static auto driver = driverEntry<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    record();
    driver(mode, first, count);
}

namespace {

class ScenesTest : public ::testing::Test {
protected:
    // The show is loaded once per process, in a hidden window as skorvane-capture loads it.
    static void SetUpTestSuite() {
        session = new Session("skorvane-test", width, height, SDL_WINDOW_HIDDEN, true);
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(collect, nullptr);
        EXPECT_EQ("", captureStdout([] { session->buildDemo(); }));
    }

    // Loading config.txt (before the first test) and each test's frames raise no GL error.
    void TearDown() override { EXPECT_EQ("", raisedErrors()); }

    // Shows demo time `time`, logging its draws.
    static void frame(double time) {
        draws.clear();
        session->show(time);
    }

    static Session* session; // lives until the process exits, like the show's
};

Session* ScenesTest::session = nullptr;

// What each scene draws, and where, the reference frames show; here, that every frame of the show
// draws, from each scene's start on and at the show's end, and that the frames after it are black
// rather than the last picture.
TEST_F(ScenesTest, EveryFrameOfTheShowDrawsAndThenTheFramesAreBlack) {
    for (const SceneWindow& scene : velmoraTimeline)
        for (double time : {scene.start, scene.end - 0.001, scene.end}) {
            frame(time);
            EXPECT_FALSE(draws.empty()) << scene.name << " at " << time;
        }
    frame(velmoraTimeline.back().end + 0.001);
    EXPECT_TRUE(draws.empty());
    Pixels after = session->read(); // red, green and blue 0, alpha 255
    EXPECT_EQ(3 * (after.size() / 4), std::size_t(std::count(after.begin(), after.end(), 0)));
}

// The model's rotation part (its 3 x 3 upper left) in draw i. The draw's matrix is that of draw
// `reference` (camera and projection alone) times the model's, and the model's bottom row is 0 0 0 1,
// so the upper lefts multiply alone: turn = reference⁻¹ draw, the inverse's rows being cross
// products of the reference's columns over its determinant.
std::array<double, 9> turnOf(int i, int reference) {
    using Vec3 = std::array<double, 3>;
    auto column = [](int draw, int j) {
        const Mat4& m = draws.at(std::size_t(draw));
        return Vec3{m[j * 4], m[j * 4 + 1], m[j * 4 + 2]};
    };
    auto cross = [](Vec3 a, Vec3 b) { return Vec3{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; };
    auto dot = [](Vec3 a, Vec3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    double determinant = dot(column(reference, 0), cross(column(reference, 1), column(reference, 2)));
    std::array<double, 9> turn;
    for (int row = 0; row < 3; row++)
        for (int col = 0; col < 3; col++)
            turn[col * 3 + row] = dot(cross(column(reference, (row + 1) % 3), column(reference, (row + 2) % 3)), column(i, col)) / determinant;
    return turn;
}

// The angle of the rotation that takes `a` to `b` (both rotations, possibly uniformly scaled).
double angleBetween(const std::array<double, 9>& a, const std::array<double, 9>& b) {
    double trace = 0.0, scale = 0.0;
    for (int k = 0; k < 9; k++) trace += a[k] * b[k], scale += a[k] * a[k];
    return std::acos(std::clamp((3.0 * trace / scale - 1.0) / 2.0, -1.0, 1.0));
}

// Each frame alone looks plausible at any rate; the turn between two close frames gives the rate.
TEST_F(ScenesTest, WheelsAndSinkingCarsTurnAtTheirRates) {
    struct Spin {
        double time, step;
        int draw, reference; // the spinning mesh's draw and the sky's, whose matrix has no model part
        double radiansPerSecond;
    };
    // Wheels turn at 20 rad/s about their axles. The sinking cars turn at 1 rad/s about y and
    // 0.5 rad/s about z, two perpendicular axes: together sqrt(1.25) rad/s.
    for (Spin s : {Spin{20.0, 0.05, 11, 20, 20.0}, Spin{48.0, 0.05, 3, 11, 20.0}, Spin{60.0, 0.02, 2, 4, std::sqrt(1.25)}}) {
        SCOPED_TRACE(s.time);
        frame(s.time);
        std::array<double, 9> before = turnOf(s.draw, s.reference);
        frame(s.time + s.step);
        EXPECT_NEAR(s.radiansPerSecond * s.step, angleBetween(before, turnOf(s.draw, s.reference)), 0.01 * s.radiansPerSecond * s.step);
    }
}

TEST_F(ScenesTest, MissingModelStopsStartUpNamingSceneAndKey) {
    TempDir dir;
    std::string triangle = dir.write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    std::ifstream file("config.txt");
    std::vector<vexel::ConfigLine> lines = vexel::readConfigLines(file);
    auto expectStop = [&](const std::string& scene, const std::string& missing, auto construct) {
        std::string text;
        for (const vexel::ConfigLine& line : lines)
            if (line.kind == "Mesh" && line.fields.at(0) != missing) text += "Mesh " + line.fields[0] + " " + triangle + "\n";
        vexel::Config* registry = new vexel::Config(dir.write("config.txt", text).c_str());
        std::string printed = captureStdout([&] { EXPECT_THROW(construct(registry), std::out_of_range); });
        EXPECT_EQ(scene + " needs model \"" + missing + "\", but config.txt files no Mesh by that name\n", printed);
    };
    expectStop("Intro", "wheel", [](vexel::Config* c) { new Intro(width, height, c); });
    expectStop("ToInfinity", "toycar", [](vexel::Config* c) { new ToInfinity(width, height, c); });
}

// The window's own depth buffer, which the show draws into: without X, EGL gives 16 bits unless
// asked, and the wheels and the turtle's shell z-fight.
TEST_F(ScenesTest, WindowHasA24BitDepthBuffer) {
    GLint target = 0, bits = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &bits);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    EXPECT_GE(bits, 24);
}

// The frames skorvane-capture made at the times their names give (tools/approve-references.sh makes
// them again after a deliberate change of the picture), drawn again here. The software rasteriser's
// threads may round a few edge pixels apart; a wrong colour, place, turn or order moves far more.
TEST_F(ScenesTest, FramesMatchTheApprovedReferences) {
    std::map<double, std::string> references;
    for (const auto& entry : std::filesystem::directory_iterator("tests/velmora/reference"))
        references[std::stod(entry.path().stem().string().substr(std::string("frame-").size()))] = entry.path();
    ASSERT_GE(references.size(), 10u);
    // A run meant for another driver draws on it, not on a fallback.
    if (const char* renderer = std::getenv("SKORVANE_TEST_RENDERER")) {
        EXPECT_NE(std::string::npos, std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))).find(renderer));
    }
    for (const auto& [time, path] : references) {
        // With the star stream as the live show at 60 frames a second has left it.
        session->render(time, 60);
        EXPECT_TRUE(imagesClose(Image{width, height, session->read()}, loadPng(path), sameFrame,
                                std::filesystem::path(path).stem()));
    }
}

} // namespace
