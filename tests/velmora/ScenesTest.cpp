// Velmora's timeline and its six scenes, drawn with the assets of config.txt into a 640 x 360 target
// that stands in for the window.
#include "velmora.h"

#include "Capture.h"
#include "GLTest.h"
#include "TempDir.h"

#include <gtest/gtest-spi.h>

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

const int width = 640;
const int height = 360;

struct DrawCall {
    GLenum mode;
    GLuint program;
    GLuint vao;
    GLuint framebuffer;
    std::array<float, 16> pmatrix; // the program's "pmatrix" at the draw, zeros where it has none
};

std::vector<DrawCall> draws;

void record(GLenum mode) {
    GLint program = 0, vao = 0, framebuffer = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    std::array<float, 16> pmatrix{};
    GLint location = glGetUniformLocation(program, "pmatrix");
    if (location != -1) glGetUniformfv(program, location, pmatrix.data());
    draws.push_back({mode, GLuint(program), GLuint(vao), GLuint(framebuffer), pmatrix});
}

template <typename Fn>
Fn driverEntry(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

} // namespace

// The engine linked into this test resolves its draw calls to these rather than to libGL's:
// each draw is logged with the program, vertex array and framebuffer in use, then passed on.
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

// While a test runs, framebuffer 0 (the window) means the test's own target, so that TerrainAndCars'
// return to the window lands where the test reads back.
PFNGLBINDFRAMEBUFFERPROC driverBindFramebuffer = nullptr;
GLuint screen = 0;

void GLAPIENTRY bindScreen(GLenum target, GLuint framebuffer) {
    driverBindFramebuffer(target, framebuffer == 0 ? screen : framebuffer);
}

using Pixels = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Probe : public Velmora {
public:
    Probe() : Velmora(width, height) {}
    const std::vector<vexel::Timeframe*>& scenes() const { return timeframes; }
};

// Scenes built one by one from a registry of the test's own, so that draws can be named.
struct Show {
    vexel::Config* registry;
    Title* title;
    Intro* intro;
    TerrainAndCars* terrainAndCars;
    CarDrop* carDrop;
    WholeWorld* wholeWorld;
    ToInfinity* toInfinity;
    std::map<GLuint, std::string> programs;
    std::map<GLuint, std::string> meshes;
};

class ScenesTest : public GLTest {
protected:
    void SetUp() override {
        screen = makeTarget(width, height);
        driverBindFramebuffer = __glewBindFramebuffer;
        __glewBindFramebuffer = bindScreen;
    }

    void TearDown() override {
        __glewBindFramebuffer = driverBindFramebuffer;
        freeTarget(screen);
    }

    // Velmora as main builds it: the constructor sets the show's GL state, init() loads config.txt.
    static Probe* velmora() {
        static Probe* demo = nullptr;
        if (!demo) {
            demo = new Probe();
            demo->init();
        }
        return demo;
    }

    // The scenes, built once per process; ToInfinity's emitter keeps its state from frame to frame.
    static Show& show() {
        static Show* built = build();
        return *built;
    }

    // Shows a scene, or the whole demo, at `time` and returns the screen, bottom row first.
    template <typename Scene>
    static Pixels frame(Scene* scene, double time) {
        draws.clear();
        scene->show(time);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return readPixels(width, height);
    }

    // "program mesh" for every draw of the last frame, marked when it went to an off-screen target.
    static Names drawnNames() {
        Names names;
        for (const DrawCall& call : draws) {
            std::string mesh = call.mode == GL_TRIANGLE_FAN ? "quad"
                               : call.mode == GL_POINTS     ? "points"
                                                            : show().meshes[call.vao];
            std::string name = show().programs[call.program] + " " + mesh;
            names.push_back(call.framebuffer == screen ? name : name + " offscreen");
        }
        return names;
    }

private:
    static Show* build() {
        new Velmora(width, height); // for the GL state its constructor sets
        Show* s = new Show();
        s->registry = new vexel::Config("config.txt");
        for (const char* name : {"title", "wireframe", "simple", "tinyplanet", "star"})
            s->programs[s->registry->getShader(name)->getProgramID()] = name;
        // Learn each mesh's vertex array by drawing it once.
        s->registry->getShader("wireframe")->use();
        for (const char* name : {"terrain", "skybox", "charger", "toycar", "wheel", "turtle"}) {
            draws.clear();
            s->registry->getModel(name)->draw();
            s->meshes[draws.at(0).vao] = name;
        }
        s->title = new Title(s->registry);
        s->intro = new Intro(width, height, s->registry);
        s->terrainAndCars = new TerrainAndCars(width, height, s->registry);
        s->carDrop = new CarDrop(width, height, s->registry);
        s->wholeWorld = new WholeWorld(width, height, s->registry);
        s->toInfinity = new ToInfinity(width, height, s->registry);
        return s;
    }
};

// Ten tiles, the toy car and its wheels, the charger and its wheels, the sky.
Names worldPass(const std::string& where) {
    return Names(10, "wireframe terrain" + where) + Names{"wireframe toycar" + where} +
           Names(4, "wireframe wheel" + where) + Names{"wireframe charger" + where} +
           Names(4, "wireframe wheel" + where) + Names{"simple skybox" + where};
}

TEST_F(ScenesTest, WindowsAbutInTimelineOrder) {
    const auto& scenes = velmora()->scenes();
    ASSERT_EQ(6u, scenes.size());
    const std::type_info* kinds[6] = {&typeid(Title),   &typeid(Intro),      &typeid(TerrainAndCars),
                                      &typeid(CarDrop), &typeid(WholeWorld), &typeid(ToInfinity)};
    const int edges[7] = {0, 6000, 12000, 47553, 54195, 70536, 100000}; // milliseconds
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(*kinds[i], typeid(*scenes[i])) << "scene " << i;
        EXPECT_EQ(edges[i] / 1000.0, scenes[i]->start) << "scene " << i;
        EXPECT_EQ(edges[i + 1] / 1000.0, scenes[i]->end) << "scene " << i;
    }
}

TEST_F(ScenesTest, FramesAtTheEdgesDrawNoSceneAndOneMillisecondInsideDrawsOne) {
    for (int ms : {0, 6000, 12000, 47553, 54195, 70536, 100000, 120000}) {
        SCOPED_TRACE(ms);
        // A colour no scene clears to: nothing may touch the frame.
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        Pixels pixels = frame(velmora(), ms / 1000.0);
        EXPECT_TRUE(draws.empty());
        EXPECT_EQ((Pixels{51, 102, 153, 255}), Pixels(pixels.begin(), pixels.begin() + 4));
    }
    frame(velmora(), 5.999); // Title only: its one quad
    ASSERT_EQ(1u, draws.size());
    EXPECT_EQ(GLenum(GL_TRIANGLE_FAN), draws[0].mode);
    frame(velmora(), 6.001); // Intro only: ten tiles, two cars, eight wheels and the sky
    ASSERT_EQ(21u, draws.size());
    for (const DrawCall& call : draws) EXPECT_EQ(GLenum(GL_TRIANGLES), call.mode);
}

TEST_F(ScenesTest, EachSceneDrawsItsPartsInOrder) {
    frame(show().title, 1.0);
    EXPECT_EQ(Names{"title quad"}, drawnNames());
    frame(show().intro, 9.0);
    EXPECT_EQ(worldPass(""), drawnNames());
    frame(show().terrainAndCars, 20.0);
    Names faces;
    for (int face = 0; face < 6; face++) faces = faces + worldPass(" offscreen");
    EXPECT_EQ(faces + Names{"tinyplanet quad"}, drawnNames());
    frame(show().carDrop, 50.0);
    EXPECT_EQ((Names{"wireframe terrain", "wireframe charger", "wireframe toycar"} + Names(8, "wireframe wheel") +
               Names{"simple skybox"}),
              drawnNames());
    frame(show().wholeWorld, 60.0);
    EXPECT_EQ((Names{"wireframe turtle", "wireframe terrain", "wireframe charger", "wireframe toycar", "simple skybox",
                     "title quad"}),
              drawnNames());
    frame(show().toInfinity, 80.0);
    EXPECT_EQ((Names{"wireframe toycar"} + Names(4, "wireframe wheel") + Names{"wireframe charger"} +
               Names(4, "wireframe wheel") + Names{"star points"}),
              drawnNames());
}

struct Place {
    double x, y, z;
};
using Places = std::vector<Place>;

// Where the uploaded (column-major) matrix takes a point, after the perspective divide.
std::array<double, 3> project(const std::array<float, 16>& m, Place p) {
    double clip[4];
    for (int r = 0; r < 4; r++) clip[r] = m[r] * p.x + m[4 + r] * p.y + m[8 + r] * p.z + m[12 + r];
    return {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]};
}

// The first draws of the last frame, one per place, must take their mesh's own origin where camera
// and projection alone, the matrix of the draw after them (the sky's or the stars'), take the place
// in the world: this catches transforms multiplied in the wrong order, since turning after placing
// moves the origin.
void expectPlaced(const Places& places) {
    ASSERT_LT(places.size(), draws.size());
    const DrawCall& reference = draws[places.size()];
    for (std::size_t i = 0; i < places.size(); i++) {
        std::array<double, 3> actual = project(draws[i].pmatrix, {0.0, 0.0, 0.0});
        std::array<double, 3> expected = project(reference.pmatrix, places[i]);
        for (int k = 0; k < 3; k++) EXPECT_NEAR(expected[k], actual[k], 2e-3) << "draw " << i << ", axis " << k;
    }
}

Places wheelPlaces(double y, double zSign, int first) {
    const double xz[8][2] = {{-3.2, 43.0}, {-3.2, 45.4}, {-4.8, 43.0}, {-4.8, 45.4},
                             {4.9, 40.82}, {4.9, 46.6},  {2.0, 40.82}, {2.0, 46.6}};
    Places places;
    for (int k = first; k < first + 4; k++) places.push_back({xz[k][0], y, zSign * xz[k][1]});
    return places;
}

Places parkedCars() {
    return Places{{-10.0, 0.0, 44.0}} + wheelPlaces(0.6, 1.0, 0) + Places{{3.5, 0.0, 44.0}} + wheelPlaces(0.6, 1.0, 4);
}

Places terrainRow(double shift) {
    Places places;
    for (int i = -5; i <= 4; i++) places.push_back({0.0, 0.0, shift + 132.0 * i});
    return places;
}

TEST_F(ScenesTest, EveryMeshLandsAtItsPlace) {
    frame(show().intro, 9.0);
    expectPlaced(terrainRow(0.0) + parkedCars());
    frame(show().terrainAndCars, 15.5); // the first cube face, at scene time 3.5
    expectPlaced(terrainRow(70.0) + parkedCars());
    frame(show().carDrop, 53.0);
    double y = -30.0 * (53.0 - 47.553 - 2.621);
    expectPlaced(Places{{0.0, 0.0, 40.0}, {3.5, y, -44.0}, {-10.0, y, -44.0}} + wheelPlaces(0.6 + y, -1.0, 0) +
                 wheelPlaces(0.6 + y, -1.0, 4));
    frame(show().wholeWorld, 60.0);
    double height = 9.0 - (60.0 - 54.195);
    expectPlaced({{0.0, 0.0, 0.0}, {0.0, 9.6, 0.0}, {0.0, height, -12.0}, {-2.0, height, -12.0}});
    frame(show().toInfinity, 80.0);
    expectPlaced(parkedCars());
}

TEST_F(ScenesTest, TinyPlanetHoldsTheTimetableAt20Seconds) {
    frame(show().terrainAndCars, 20.0);
    GLuint program = show().registry->getShader("tinyplanet")->getProgramID();
    std::array<float, 4> values{-1, -1, -1, -1};
    for (int i = 0; i < 4; i++) {
        std::string name = "param" + std::to_string(i + 1);
        GLint location = glGetUniformLocation(program, name.c_str());
        ASSERT_NE(-1, location) << name << " is not an active uniform of tinyplanet";
        glGetUniformfv(program, location, &values[i]);
    }
    EXPECT_EQ((std::array<float, 4>{1.0f, 2.1592975f, 0.5f, 1.49f}), values);
}

TEST_F(ScenesTest, MissingModelStopsStartUpNamingSceneAndKey) {
    TempDir dir;
    std::string triangle = dir.write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    auto expectStop = [&](const std::string& scene, const std::string& missing, auto construct) {
        std::string lines;
        for (std::string key : {"terrain", "skybox", "charger", "toycar", "wheel", "turtle"})
            if (key != missing) lines += "Mesh " + key + " " + triangle + "\n";
        vexel::Config* registry = new vexel::Config(dir.write("config.txt", lines).c_str());
        std::string printed = captureStdout([&] { EXPECT_THROW(construct(registry), std::out_of_range); });
        EXPECT_EQ(scene + " needs model \"" + missing + "\", but config.txt files no Mesh by that name\n", printed);
    };
    expectStop("Intro", "wheel", [](vexel::Config* c) { new Intro(width, height, c); });
    expectStop("TerrainAndCars", "skybox", [](vexel::Config* c) { new TerrainAndCars(width, height, c); });
    expectStop("CarDrop", "terrain", [](vexel::Config* c) { new CarDrop(width, height, c); });
    expectStop("WholeWorld", "turtle", [](vexel::Config* c) { new WholeWorld(width, height, c); });
    expectStop("ToInfinity", "toycar", [](vexel::Config* c) { new ToInfinity(width, height, c); });
}

// A rectangle of the screen in pixels, x to the right and y downwards from the top-left corner.
struct Area {
    int left, top, right, bottom;
};
const Area wholeScreen = {0, 0, width, height};

using Kind = bool (*)(int r, int g, int b);

// The terrain's cyan wire, mostly thinner than a pixel here and so blended into the fill.
bool cyanWire(int r, int g, int b) { return r < 90 && g > 110 && b > 110; }
bool terrainFill(int r, int g, int b) { return std::abs(r - 12) < 12 && std::abs(g - 37) < 12 && std::abs(b - 59) < 12; }
bool carFill(int r, int g, int b) { return g > 180 && r < 100 && b < 100; }
// The cars' red wire is thinner than a pixel at this size, so it shows blended into the green.
bool carWire(int r, int g, int b) { return r > 120 && r > g + 40 && b < 60; }
// The terrain, fill or wire or a blend of the two: blue-green well above its red.
bool ground(int r, int g, int b) { return b >= r + 30 && g >= r + 15; }
// Stars, the title lettering and the overlay text: light and not tinted cyan.
bool bright(int r, int g, int b) { return r > 100 && g > 100 && b > 100; }

bool is(const Pixels& pixels, Kind kind, int x, int y) {
    const std::uint8_t* p = &pixels[(std::size_t(height - 1 - y) * width + x) * 4];
    return kind(p[0], p[1], p[2]);
}

// Share of the pixels in `area` that are of `kind`.
double share(const Pixels& pixels, Kind kind, Area area = wholeScreen) {
    int hits = 0;
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++) hits += is(pixels, kind, x, y);
    return double(hits) / ((area.right - area.left) * (area.bottom - area.top));
}

// Bounding box and centre of the pixels of `kind`.
struct Extent {
    int left = width, top = height, right = -1, bottom = -1;
    double x = 0.0, y = 0.0;
};

Extent extentOf(const Pixels& pixels, Kind kind) {
    Extent e;
    int count = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            if (!is(pixels, kind, x, y)) continue;
            e.left = std::min(e.left, x);
            e.right = std::max(e.right, x);
            e.top = std::min(e.top, y);
            e.bottom = std::max(e.bottom, y);
            e.x += x;
            e.y += y;
            count++;
        }
    if (count) e.x /= count, e.y /= count;
    return e;
}

// What a viewer should see in each shot. Each bound sits at about half (or, for an absence, well
// under a tenth) of what the assets of config.txt give, so small asset changes pass and a wrong
// transform, face or draw order does not.
void introAt9(const Pixels& p) {
    const Area cars = {100, 180, 540, 300};
    EXPECT_GT(share(p, cyanWire), 0.05);
    EXPECT_GT(share(p, terrainFill), 0.25);
    EXPECT_GT(share(p, carFill, cars), 0.04);
    EXPECT_GT(share(p, carWire, cars), 0.04);
    EXPECT_GT(share(p, bright, {100, 0, 540, 60}), 0.002);
}

void planetAt15(const Pixels& p) {
    // The ground below the eye in the middle, the horizon around it, the sky in the corners.
    Extent planet = extentOf(p, ground);
    EXPECT_NEAR(width / 2, planet.x, 25.0);
    EXPECT_NEAR(height / 2, planet.y, 25.0);
    EXPECT_NEAR(width / 2, (planet.left + planet.right) / 2, 25);
    EXPECT_NEAR(height / 2, (planet.top + planet.bottom) / 2, 25);
    for (int size : {planet.right - planet.left, planet.bottom - planet.top}) {
        EXPECT_GT(size, 150);
        EXPECT_LT(size, 320);
    }
    // No face out of place: a ring well inside the horizon is ground all round.
    for (int degrees = 0; degrees < 360; degrees += 5) {
        double angle = degrees * 3.141592653589793 / 180.0;
        EXPECT_TRUE(is(p, ground, int(width / 2 + 60.0 * std::cos(angle)), int(height / 2 + 60.0 * std::sin(angle))));
    }
    for (Area corner : {Area{0, 0, 80, 60}, Area{560, 0, 640, 60}, Area{0, 300, 80, 360}, Area{560, 300, 640, 360}})
        EXPECT_EQ(0.0, share(p, ground, corner));
    EXPECT_GT(share(p, bright, {0, 0, width, 60}), 0.0015);
    // The cars stand upright on the rim, straight ahead of the eye.
    EXPECT_GT(share(p, carWire, {240, 70, 400, 140}), 0.005);
    EXPECT_EQ(0.0, share(p, carWire, {0, height / 2, width, height}));
}

void carDropAt48(const Pixels& p) {
    EXPECT_GT(share(p, cyanWire), 0.025);
    EXPECT_GT(share(p, carFill), 0.0007);
    EXPECT_GT(share(p, carWire), 0.002);
}

void carDropAt54(const Pixels& p) {
    EXPECT_GT(share(p, cyanWire), 0.008);
    EXPECT_EQ(0.0, share(p, carFill));
    EXPECT_EQ(0.0, share(p, carWire));
}

const Area poem = {0, 200, 400, 360};

void wholeWorldAt55(const Pixels& p) {
    EXPECT_GT(share(p, cyanWire), 0.03);
    EXPECT_LT(share(p, bright, poem), 0.005);
}

void wholeWorldAt64(const Pixels& p) {
    EXPECT_GT(share(p, cyanWire), 0.03);
    EXPECT_GT(share(p, bright, poem), 0.03);
    // Where the poem crosses the turtle, the letters are on top.
    EXPECT_GT(share(p, bright, {200, 210, 400, 245}), 0.025);
}

void starStream(const Pixels& p) {
    // The camera's up is the world's x axis, so the cars stand on end.
    Extent cars = extentOf(p, carFill);
    EXPECT_GT(cars.bottom - cars.top, 2 * (cars.right - cars.left));
    EXPECT_GT(share(p, carFill), 0.008);
    EXPECT_GT(share(p, bright), 0.001);
    for (Area quarter : {Area{0, 0, 320, 180}, Area{320, 0, 640, 180}, Area{0, 180, 320, 360}, Area{320, 180, 640, 360}})
        EXPECT_GT(share(p, bright, quarter), 0.0007);
}

// How many of its expectations `check` finds unmet in `pixels`, without failing the test.
int unmet(void (*check)(const Pixels&), const Pixels& pixels) {
    ::testing::TestPartResultArray results;
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    check(pixels);
    return results.size();
}

TEST_F(ScenesTest, TitleSwitchesImagesAtThreeSeconds) {
    Pixels first = frame(show().title, 2.999);
    Pixels second = frame(show().title, 3.0);
    EXPECT_GT(share(first, bright), 0.005);
    EXPECT_GT(share(second, bright), 0.005);
    EXPECT_NE(first, second);
    EXPECT_EQ(second, frame(show().title, 5.999));
}

// Last of the tests that show ToInfinity: its emitter keeps its state from frame to frame.
TEST_F(ScenesTest, RenderedFramesShowWhatAViewerShouldSee) {
    struct Shot {
        vexel::Timeframe* scene;
        double time;
        void (*check)(const Pixels&);
        int wrong; // a shot whose frame the check must reject
    };
    const Shot shots[] = {{show().intro, 9.0, introAt9, 6},          {show().terrainAndCars, 15.0, planetAt15, 0},
                          {show().carDrop, 48.0, carDropAt48, 3},      {show().carDrop, 54.0, carDropAt54, 2},
                          {show().wholeWorld, 55.0, wholeWorldAt55, 5}, {show().wholeWorld, 64.0, wholeWorldAt64, 4},
                          {show().toInfinity, 90.0, starStream, 0},     {show().toInfinity, 99.5, starStream, 0}};
    std::vector<Pixels> frames;
    for (const Shot& shot : shots) frames.push_back(frame(shot.scene, shot.time));
    for (std::size_t i = 0; i < frames.size(); i++) {
        SCOPED_TRACE(shots[i].time);
        shots[i].check(frames[i]);
        // The check can fail: a frame that shows something else does not pass it.
        EXPECT_GT(unmet(shots[i].check, frames[shots[i].wrong]), 0);
    }
}

} // namespace
