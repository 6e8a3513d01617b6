// Velmora as the show runs it, drawn in a hidden 320 x 180 window as skorvane-capture draws it:
// which scene draws when, what each draws in which order, how things move, and the picture against
// the committed reference frames.
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
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

const int width = 320;
const int height = 180;

using Mat4 = std::array<float, 16>; // column-major, as uploaded

struct DrawCall {
    GLenum mode;
    GLuint program;
    GLuint vao;
    GLuint framebuffer;
    Mat4 pmatrix; // the program's "pmatrix" at the draw, zeros where it has none
};

std::vector<DrawCall> draws;

void record(GLenum mode) {
    GLint program = 0, vao = 0, framebuffer = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    Mat4 pmatrix{};
    GLint location = glGetUniformLocation(program, "pmatrix");
    if (location != -1) glGetUniformfv(program, location, pmatrix.data());
    draws.push_back({mode, GLuint(program), GLuint(vao), GLuint(framebuffer), pmatrix});
}

template <typename Fn> Fn driverEntry(const char* name) { return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name)); }

} // namespace

// The engine linked into this test resolves its draw calls to these rather than to libGL's: each
// draw is logged with the program, vertex array, framebuffer and matrix in use, then passed on.
extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static auto driver = driverEntry<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    record(mode);
    driver(mode, count, type, indices);
}

extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static auto driver = driverEntry<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    record(mode);
    driver(mode, first, count);
}

namespace {

using Pixels = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

Names operator+(Names a, const Names& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ScenesTest : public ::testing::Test {
protected:
    // The show is loaded once per process, in a hidden window as skorvane-capture loads it; programs
    // and meshes are named by the keys config.txt files them under, meshes recognised by their
    // vertex arrays.
    static void SetUpTestSuite() {
        session = new Session("skorvane-test", width, height, SDL_WINDOW_HIDDEN, false);
        EXPECT_EQ("", captureStdout([] { session->buildDemo(); }));
        Velmora* demo = session->demo;
        std::ifstream file("config.txt");
        for (const vexel::ConfigLine& line : vexel::readConfigLines(file)) {
            const std::string& key = line.fields.at(0);
            if (line.kind == "Shader") programs[demo->registry()->getShader(key)->getProgramID()] = key;
            if (line.kind != "Mesh") continue;
            draws.clear();
            demo->registry()->getModel(key)->draw();
            meshes[draws.at(0).vao] = key;
        }
    }

    // Shows demo time `time` and returns the window's pixels.
    static Pixels frame(double time) {
        draws.clear();
        session->show(time);
        return session->read();
    }

    // "program mesh" for every draw of the last frame, marked when it went to an off-screen target.
    static Names drawnNames() {
        Names names;
        for (const DrawCall& call : draws) {
            std::string mesh = call.mode == GL_TRIANGLE_FAN ? "quad" : call.mode == GL_POINTS ? "points" : meshes[call.vao];
            std::string name = programs[call.program] + " " + mesh;
            names.push_back(call.framebuffer == 0 ? name : name + " offscreen");
        }
        return names;
    }

    static Session* session; // lives until the process exits, like the show's
    static std::map<GLuint, std::string> programs, meshes;
};

Session* ScenesTest::session = nullptr;
std::map<GLuint, std::string> ScenesTest::programs, ScenesTest::meshes;

// Ten tiles, the toy car and its wheels, the charger and its wheels, the sky.
Names worldPass(const std::string& where) {
    return Names(10, "wireframe terrain" + where) + Names{"wireframe toycar" + where} + Names(4, "wireframe wheel" + where) +
           Names{"wireframe charger" + where} + Names(4, "wireframe wheel" + where) + Names{"simple skybox" + where};
}

// Whether `drawn` is `all` with some entries left out.
bool leavesOut(const Names& all, const Names& drawn) {
    auto next = all.begin();
    for (const std::string& name : drawn) {
        next = std::find(next, all.end(), name);
        if (next == all.end()) return false;
        ++next;
    }
    return true;
}

TEST_F(ScenesTest, SixScenesPlayInTurnAndFramesAtTheirEdgesDrawNothing) {
    const int edges[7] = {0, 6000, 12000, 47553, 54195, 70536, 100000}; // milliseconds
    for (int ms : edges) {
        SCOPED_TRACE(ms);
        // A colour no scene clears to: nothing may touch the frame.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        Pixels pixels = frame(ms / 1000.0);
        EXPECT_TRUE(draws.empty());
        EXPECT_EQ((Pixels{51, 102, 153, 255}), Pixels(pixels.begin(), pixels.begin() + 4));
    }
    // One millisecond inside, each scene draws its parts in order.
    Names faces;
    for (int face = 0; face < 6; face++) faces = faces + worldPass(" offscreen");
    const Names parts[6] = {
        {"title quad"},
        worldPass(""),
        faces + Names{"tinyplanet quad"},
        Names{"wireframe terrain", "wireframe charger", "wireframe toycar"} + Names(8, "wireframe wheel") +
            Names{"simple skybox"},
        {"wireframe turtle", "wireframe terrain", "wireframe charger", "wireframe toycar", "simple skybox", "title quad"},
        Names{"wireframe toycar"} + Names(4, "wireframe wheel") + Names{"wireframe charger"} +
            Names(4, "wireframe wheel") + Names{"star points"}};
    for (int i = 0; i < 6; i++) {
        for (int ms : {edges[i] + 1, edges[i + 1] - 1}) {
            SCOPED_TRACE(ms);
            frame(ms / 1000.0);
            // A mesh wholly out of view is left out; what is drawn keeps its order.
            EXPECT_PRED2(leavesOut, parts[i], drawnNames());
        }
    }
}

// The model's rotation part (its 3 x 3 upper left) in draw i. The draw's matrix is that of draw
// `reference` (camera and projection alone) times the model's, and the model's bottom row is 0 0 0 1,
// so the upper lefts multiply alone: turn = reference⁻¹ draw, the inverse's rows being cross
// products of the reference's columns over its determinant.
std::array<double, 9> turnOf(int i, int reference) {
    using Vec3 = std::array<double, 3>;
    auto column = [](int draw, int j) {
        const Mat4& m = draws.at(std::size_t(draw)).pmatrix;
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
    expectStop("TerrainAndCars", "skybox", [](vexel::Config* c) { new TerrainAndCars(width, height, c); });
    expectStop("CarDrop", "terrain", [](vexel::Config* c) { new CarDrop(width, height, c); });
    expectStop("WholeWorld", "turtle", [](vexel::Config* c) { new WholeWorld(width, height, c); });
    expectStop("ToInfinity", "toycar", [](vexel::Config* c) { new ToInfinity(width, height, c); });
}

// The frames skorvane-capture made at the times their names give (tools/approve-references.sh makes
// them again after a deliberate change of the picture), drawn again here. The software rasteriser's
// threads may round a few edge pixels apart; a wrong colour, place, turn or order moves far more.
TEST_F(ScenesTest, FramesMatchTheApprovedReferences) {
    std::map<double, std::string> references;
    for (const auto& entry : std::filesystem::directory_iterator("tests/velmora/reference"))
        references[std::stod(entry.path().stem().string().substr(std::string("frame-").size()))] = entry.path();
    ASSERT_GE(references.size(), 10u);
    for (const auto& [time, path] : references) {
        // With the star stream as the live show at 60 frames a second has left it.
        session->render(time, 60);
        EXPECT_TRUE(imagesClose(Image{width, height, session->read()}, loadPng(path), sameFrame,
                                std::filesystem::path(path).stem()));
    }
}

} // namespace
