// The committed models: made again byte for byte by gen-models, well formed, and fitting the
// places and sizes the scenes give them.
#include "Matrix.h"
#include "TempDir.h"
#include "models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace modelgen;

namespace {

using Face = std::array<std::array<int, 3>, 3>;

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string committed(const std::string& name) {
    return std::string(SKORVANE_SOURCE_DIR) + "/data/models/" + name + ".obj";
}

ObjData load(const std::string& name) { return parseObj(readFile(committed(name))); }

Vec3 corner(const ObjData& obj, const Face& face, int k) { return obj.positions.at(std::size_t(face[std::size_t(k)][0])); }

double smallestAngleDegrees(Vec3 a, Vec3 b, Vec3 c) {
    auto angle = [](Vec3 at, Vec3 p, Vec3 q) {
        const double cosine = dot(p - at, q - at) / (length(p - at) * length(q - at));
        return std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 / M_PI;
    };
    return std::min({angle(a, b, c), angle(b, c, a), angle(c, a, b)});
}

// A point through the engine's rotation (column-major 4x4).
Vec3 rotate(Vec3 p, double rx, double ry, double rz) {
    vexel::Matrix m;
    m.rotate(rx, ry, rz);
    const float* e = m.matrix();
    return {e[0] * p.x + e[4] * p.y + e[8] * p.z, e[1] * p.x + e[5] * p.y + e[9] * p.z,
            e[2] * p.x + e[6] * p.y + e[10] * p.z};
}

// A wheel as the scenes place it next to a car, expressed in the car's model space.
struct WheelPlace {
    Vec3 centre, axle, along; // along: the car's long axis
};

// The tyre (radius 0.6, width 0.45) must not cut into the car, and the body must come down below
// the tyre's top both ahead of and behind it, at its side: the wheel sits in an arch.
void expectWheelFits(const ObjData& car, const WheelPlace& wheel) {
    bool ahead = false, behind = false;
    for (const Vec3& p : car.positions) {
        const Vec3 d = p - wheel.centre;
        const double across = dot(d, wheel.axle);
        if (std::fabs(across) > 0.24) continue;
        EXPECT_GT(length(d - wheel.axle * across), 0.62) << "car point " << p.x << " " << p.y << " " << p.z << " inside the tyre";
        const double along = dot(d, wheel.along);
        if (p.y < wheel.centre.y + 0.6 && std::fabs(along) > 0.6 && std::fabs(along) < 1.3) (along > 0 ? ahead : behind) = true;
    }
    EXPECT_TRUE(ahead && behind) << "no arch around the wheel at " << wheel.centre.x << " " << wheel.centre.z;
}

const double kWheelSpots[8][2] = {{-3.2, 43.0}, {-3.2, 45.4}, {-4.8, 43.0}, {-4.8, 45.4},
                                  {4.9, 40.82}, {4.9, 46.6},  {2.0, 40.82}, {2.0, 46.6}};

// The scenes turn every wheel by -1.6 rad about Y (its axle is model Z) and set it at (x, 0.6, z);
// the car stands at `carAt`, turned by `carTurn` about Y.
std::vector<WheelPlace> wheelsOf(int first, Vec3 carAt, double carTurn, Vec3 along) {
    const Vec3 axle = rotate(rotate({0.0, 0.0, 1.0}, 0.0, -1.6, 0.0), 0.0, -carTurn, 0.0);
    std::vector<WheelPlace> wheels;
    for (int k = first; k < first + 4; k++) {
        const Vec3 world{kWheelSpots[k][0], 0.6, kWheelSpots[k][1]};
        wheels.push_back({rotate(world - carAt, 0.0, -carTurn, 0.0), axle, along});
    }
    return wheels;
}

} // namespace

TEST(ModelsTest, GeneratorRemakesTheCommittedFilesAndReportsAnUnwritableFolder) {
    TempDir dir;
    ASSERT_TRUE(writeModels(dir.path("")));
    for (const Model& model : models())
        EXPECT_EQ(readFile(dir.path(std::string(model.name) + ".obj")), readFile(committed(model.name)))
            << model.name << " differs from what gen-models makes: run build/bin/gen-models data/models";

    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeModels("/nonexistent-skorvane-dir/models"));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("cannot write model"), std::string::npos);
}

TEST(ModelsTest, EveryModelIsAWellFormedClosedMesh) {
    const std::map<std::string, std::pair<std::size_t, std::size_t>> budget{
        {"wheel", {300, 1600}},  {"toycar", {300, 1600}}, {"charger", {300, 1600}},
        {"terrain", {1000, 3000}}, {"skybox", {300, 2000}}, {"turtle", {500, 3000}}};
    for (const Model& model : models()) {
        SCOPED_TRACE(model.name);
        const ObjData obj = load(model.name);
        EXPECT_GE(obj.faces.size(), budget.at(model.name).first);
        EXPECT_LE(obj.faces.size(), budget.at(model.name).second);
        std::map<std::pair<int, int>, int> edges; // directed position edges
        double volume = 0.0;
        for (const Face& face : obj.faces) {
            const std::size_t listSizes[3] = {obj.positions.size(), obj.uvs.size(), obj.normals.size()};
            for (const auto& c : face)
                for (std::size_t k = 0; k < 3; k++) ASSERT_TRUE(c[k] >= 0 && std::size_t(c[k]) < listSizes[k]);
            const Vec3 a = corner(obj, face, 0), b = corner(obj, face, 1), c = corner(obj, face, 2);
            EXPECT_GE(smallestAngleDegrees(a, b, c), 7.5) << "sliver at " << a.x << " " << a.y << " " << a.z;
            for (const auto& k : face) {
                const Vec3 n = obj.normals[std::size_t(k[2])];
                EXPECT_NEAR(length(n), 1.0, 1e-4);
                EXPECT_GT(dot(n, cross(b - a, c - a)), 0.0) << "normal against the winding";
                const Vec2 t = obj.uvs[std::size_t(k[1])];
                EXPECT_TRUE(t.u >= 0.0 && t.u <= 1.0 && t.v >= 0.0 && t.v <= 1.0);
            }
            for (int k = 0; k < 3; k++) edges[{face[std::size_t(k)][0], face[std::size_t((k + 1) % 3)][0]}]++;
            volume += dot(a, cross(b, c)) / 6.0;
        }
        // Closed and consistently wound: each edge is walked once each way.
        for (const auto& [edge, count] : edges) {
            EXPECT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second << " walked twice one way";
            EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << "open edge " << edge.first << "-" << edge.second;
        }
        // The sky is seen from inside; everything else from outside.
        EXPECT_EQ(volume < 0.0, std::string(model.name) == "skybox") << "volume " << volume;
    }
}

TEST(ModelsTest, WheelIsATyreOfRadiusPointSixTurningAboutZ) {
    const ObjData wheel = load("wheel");
    const Box box = bounds(wheel.positions);
    double outer = 0.0;
    for (const Vec3& p : wheel.positions) outer = std::max(outer, std::hypot(p.x, p.y));
    EXPECT_NEAR(outer, 0.6, 0.002);
    for (double edge : {-box.lo.x, box.hi.x, -box.lo.y, box.hi.y}) EXPECT_NEAR(edge, 0.6, 0.01);
    EXPECT_NEAR(box.lo.z + box.hi.z, 0.0, 1e-6);
    EXPECT_GE(box.size().z, 0.4);
    EXPECT_LE(box.size().z, 0.5);
}

TEST(ModelsTest, ToyCarStandsOnItsWheelsAlongZ) {
    const ObjData car = load("toycar");
    const Box box = bounds(car.positions);
    EXPECT_NEAR(box.centre().x, 6.0, 0.2);
    EXPECT_GT(box.lo.x, 4.7);
    EXPECT_LT(box.hi.x, 7.3);
    EXPECT_NEAR(box.lo.z, -1.9, 0.25);
    EXPECT_NEAR(box.hi.z, 2.1, 0.25);
    EXPECT_GT(box.size().z, box.size().x);
    EXPECT_GT(box.lo.y, 0.6) << "the underside must clear the axles";
    for (const WheelPlace& wheel : wheelsOf(0, {-10.0, 0.0, 44.0}, 0.0, {0.0, 0.0, -1.0})) expectWheelFits(car, wheel);
}

TEST(ModelsTest, ChargerIsLongAndLowAlongXAndFitsItsWheels) {
    const ObjData car = load("charger");
    const Box box = bounds(car.positions);
    EXPECT_GE(box.size().x, 8.0);
    EXPECT_LE(box.size().x, 9.0);
    EXPECT_GE(box.size().z, 3.0);
    EXPECT_LE(box.size().z, 3.5);
    EXPECT_LT(box.size().y, 0.3 * box.size().x);
    EXPECT_GT(box.lo.y, 0.0);
    for (const WheelPlace& wheel : wheelsOf(4, {3.5, 0.0, 44.0}, -1.6, {-1.0, 0.0, 0.0})) {
        EXPECT_NEAR(std::fabs(wheel.centre.z), 1.45, 0.15);
        EXPECT_TRUE(std::fabs(wheel.centre.x + 3.2) < 0.1 || std::fabs(wheel.centre.x - 2.6) < 0.1) << wheel.centre.x;
        expectWheelFits(car, wheel);
    }
}

// Tiles 132 apart join without a seam; a flat road runs between hills, on a flat-bottomed slab.
TEST(ModelsTest, TerrainTileIsASeamlessRoadBetweenHillsOnASlab) {
    const ObjData terrain = load("terrain");
    const Box box = bounds(terrain.positions);
    EXPECT_EQ(box.lo.z, -66.0);
    EXPECT_EQ(box.hi.z, 66.0);
    EXPECT_NEAR(box.lo.x, -80.0, 1e-9);
    EXPECT_NEAR(box.hi.x, 80.0, 1e-9);
    EXPECT_LE(box.lo.y, -2.0);
    EXPECT_GE(box.lo.y, -8.0);
    std::set<std::pair<double, double>> nearEnd, farEnd;
    double hills = 0.0;
    for (const Vec3& p : terrain.positions) {
        if (std::fabs(p.z) == 66.0) (p.z < 0 ? nearEnd : farEnd).insert({p.x, p.y});
        const bool onRoad = std::fabs(p.x) <= 9.0 && p.y > -1.0, underneath = p.y < box.lo.y + 0.001;
        EXPECT_TRUE(!onRoad || p.y == 0.0) << "road not flat at " << p.x << " " << p.z;
        EXPECT_TRUE(!underneath || p.y == box.lo.y) << "underside not flat";
        if (std::fabs(p.x) >= 20.0) hills = std::max(hills, p.y);
    }
    EXPECT_GT(nearEnd.size(), 20u);
    EXPECT_EQ(nearEnd, farEnd);
    EXPECT_GT(hills, 8.0);
}

TEST(ModelsTest, SkyIsASphereOfRadius1000WrappingTheImageOnce) {
    const ObjData sky = load("skybox");
    for (const Vec3& p : sky.positions) EXPECT_NEAR(length(p), 1000.0, 0.01);
    double lowestU = 1.0, highestU = 0.0;
    for (const Face& face : sky.faces) {
        // Flat faces stay far from every eye of the show (all within about 70 of the origin).
        EXPECT_GT(length((corner(sky, face, 0) + corner(sky, face, 1) + corner(sky, face, 2)) * (1.0 / 3.0)), 950.0);
        double u[3];
        for (int k = 0; k < 3; k++) {
            const Vec2 t = sky.uvs[std::size_t(face[std::size_t(k)][1])];
            const double y = corner(sky, face, k).y;
            u[k] = t.u;
            EXPECT_TRUE(y < 999.99 || t.v < 0.001) << "the image's top row belongs at the zenith";
            EXPECT_TRUE(y > -999.99 || t.v > 0.999) << "the image's bottom row belongs at the nadir";
        }
        EXPECT_LT(*std::max_element(u, u + 3) - *std::min_element(u, u + 3), 0.1) << "face smeared across the wrap";
        lowestU = std::min({lowestU, u[0], u[1], u[2]});
        highestU = std::max({highestU, u[0], u[1], u[2]});
    }
    EXPECT_EQ(lowestU, 0.0);
    EXPECT_EQ(highestU, 1.0);
}

TEST(ModelsTest, TurtleCarriesTheScaledSlabOnItsShell) {
    const ObjData turtle = load("turtle");
    const Box box = bounds(turtle.positions);
    EXPECT_NEAR(box.size().x, 40.0, 4.0);
    EXPECT_NEAR(box.size().y, 30.0, 4.0);
    EXPECT_NEAR(box.hi.z, 9.0, 0.1);
    // WholeWorld: the turtle turned -1.54 rad about X; the tile scaled 0.15 and raised 9.6.
    const Box slab = bounds(load("terrain").positions);
    double shellTop = -1e9;
    for (const Vec3& p : turtle.positions) {
        const Vec3 world = rotate(p, -1.54, 0.0, 0.0);
        if (std::fabs(world.x) <= 0.15 * slab.hi.x && std::fabs(world.z) <= 0.15 * slab.hi.z)
            shellTop = std::max(shellTop, world.y);
    }
    EXPECT_NEAR(shellTop, 0.15 * slab.lo.y + 9.6, 0.3);
}
