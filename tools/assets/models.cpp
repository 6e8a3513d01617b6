#include "models.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace modelgen {

namespace {

constexpr double kAxleHeight = 0.6; // the scenes place every wheel 0.6 above the road

Mesh ellipsoid(Vec3 centre, Vec3 radii, int nx, int ny, int nz) {
    return roundedBox(nx, ny, nz, 2.0, [=](Vec3 p) {
        return centre + Vec3{p.x * radii.x, p.y * radii.y, p.z * radii.z};
    });
}

Mesh moved(Mesh mesh, Vec3 offset) {
    return mesh.transform([=](Vec3 p) { return p + offset; });
}

Mesh mirroredY(Mesh mesh) {
    return mesh.transform([](Vec3 p) { return Vec3{p.x, -p.y, p.z}; }).flipFaces();
}

// Smooth interpolation through the keys (s, value), sorted by s; flat beyond the ends.
double curve(double s, const std::vector<Vec2>& keys) {
    if (s <= keys.front().u) return keys.front().v;
    for (std::size_t k = 1; k < keys.size(); k++)
        if (s <= keys[k].u) return lerp(keys[k - 1].v, keys[k].v, smoothstep(keys[k - 1].u, keys[k].u, s));
    return keys.back().v;
}

Mesh wheel() {
    // Tyre cross-section (radius, z), counter-clockwise: sidewall, tread, sidewall, inner bead.
    const std::vector<Vec2> tyre{{0.42, -0.2}, {0.56, -0.225}, {0.6, -0.16}, {0.6, 0.0},
                                 {0.6, 0.16},  {0.56, 0.225},  {0.42, 0.2},  {0.42, 0.0}};
    // Two steps up, two steps down: eight tread blocks, so the spin reads on the silhouette.
    Mesh mesh = lathe(tyre, 32, true, [&](int i, int j) {
        const double r = tyre[std::size_t(j)].u;
        return r >= 0.6 && i % 4 >= 2 ? 0.56 : r;
    });
    mesh.append(lathe({{0.34, -0.15}, {0.43, -0.15}, {0.43, 0.15}, {0.34, 0.15}}, 16, true));
    mesh.append(lathe({{0.0, -0.19}, {0.1, -0.19}, {0.12, -0.16}, {0.12, 0.16}, {0.1, 0.19}, {0.0, 0.19}}, 10, false));
    for (int k = 0; k < 5; k++)
        mesh.append(roundedBox(3, 1, 1, 8.0, [k](Vec3 p) {
            return rotateZ({0.25 + 0.16 * p.x, 0.07 * p.y, 0.1 * p.z}, 2.0 * M_PI * k / 5);
        }));
    return mesh;
}

// One part of a car body, in car coordinates (s along the length, y up, w across): a rounded box
// whose underside follows bottom(s) and top follows top(s); the half width may narrow with the
// height fraction t (0 at the underside, 1 at the top).
struct CarPart {
    double s0, s1;
    std::function<double(double s)> bottom, top;
    std::function<double(double t)> halfWidth;
    int ns, ny, nw;
    double exponent;
};

Mesh carPart(const CarPart& part) {
    return roundedBox(part.ns, part.ny, part.nw, part.exponent, [&](Vec3 r) {
        const double s = lerp(part.s0, part.s1, (r.x + 1) / 2);
        const double t = (r.y + 1) / 2;
        return Vec3{s, lerp(part.bottom(s), part.top(s), t), r.z * part.halfWidth(t)};
    });
}

// Underside height at s: `floor`, raised into an arch of `radius` around each axle.
double underside(double s, double floor, const std::vector<double>& axles, double radius) {
    double y = floor;
    for (double axle : axles) {
        const double d = s - axle;
        if (std::fabs(d) < radius) y = std::max(y, kAxleHeight + std::sqrt(radius * radius - d * d));
    }
    return y;
}

std::function<double(double)> constant(double value) {
    return [value](double) { return value; };
}

std::function<double(double)> keyed(std::vector<Vec2> keys) {
    return [keys](double s) { return curve(s, keys); };
}

std::function<double(double)> taper(double bottomHalf, double topHalf) {
    return [=](double t) { return lerp(bottomHalf, topHalf, t); };
}

// The scene stands the toy car unturned at (-10, 0, 44) with its wheels at world x -3.2 and -4.8,
// z 43.0 and 45.4: in model space the car runs along z around x = 6, nose towards -z.
Mesh toycar() {
    const std::vector<double> axles{-1.0, 1.4};
    Mesh car = carPart({-1.95, 2.2, [&](double s) { return underside(s, 0.72, axles, 0.67); },
                        keyed({{-1.95, 1.62}, {-1.0, 1.78}, {1.4, 1.8}, {2.2, 1.68}}), taper(1.05, 0.95), 18, 3, 7,
                        4.0});
    car.append(carPart({-0.6, 1.45, constant(1.5), keyed({{-0.6, 2.15}, {0.1, 2.5}, {0.9, 2.5}, {1.45, 2.25}}),
                        taper(0.82, 0.62), 7, 3, 5, 3.5}));
    for (double w : {-0.58, 0.58}) {
        car.append(ellipsoid({-1.88, 1.22, w}, {0.2, 0.2, 0.2}, 3, 3, 3));
        car.append(ellipsoid({2.1, 1.4, w * 1.2}, {0.07, 0.11, 0.16}, 2, 2, 2));
    }
    // (s, y, w) -> (6 - w, y, s) keeps the faces outward.
    return car.transform([](Vec3 p) { return Vec3{6.0 - p.z, p.y, p.x}; });
}

// The scene turns the charger by -1.6 rad about Y and sets it at (3.5, 0, 44), its wheels at world
// x 4.9 and 2.0, z 40.82 and 46.6: in model space it runs along x, axles near x -3.18 and 2.6, the
// nose towards -x.
Mesh charger() {
    const std::vector<double> axles{-3.18, 2.6};
    Mesh car = carPart({-4.45, 3.95, [&](double s) { return underside(s, 0.62, axles, 0.74); },
                        keyed({{-4.45, 1.38}, {-3.2, 1.55}, {-1.2, 1.62}, {2.0, 1.65}, {3.95, 1.72}}),
                        taper(1.62, 1.52), 22, 3, 6, 6.0});
    car.append(carPart({-1.35, 1.95, constant(1.2), keyed({{-1.35, 1.66}, {-0.35, 2.35}, {0.7, 2.35}, {1.95, 1.76}}),
                        taper(1.42, 1.12), 8, 3, 5, 5.0}));
    // Hood scoop and rear wing on two struts.
    car.append(carPart({-2.7, -1.5, constant(1.4), keyed({{-2.7, 1.7}, {-1.5, 1.84}}), taper(0.45, 0.36), 3, 1, 2, 4.0}));
    car.append(carPart({3.3, 3.98, constant(2.1), keyed({{3.3, 2.24}, {3.98, 2.32}}), taper(1.5, 1.5), 2, 1, 3, 8.0}));
    for (double w : {-1.0, 1.0}) {
        car.append(moved(carPart({3.5, 3.75, constant(1.6), constant(2.16), taper(0.06, 0.06), 1, 1, 1, 8.0}),
                         {0.0, 0.0, w}));
        for (Vec2 lamp : {Vec2{-4.38, 0.95}, Vec2{-4.26, 1.3}})
            car.append(ellipsoid({lamp.u, 1.1, w * lamp.v}, {0.08, 0.14, 0.14}, 2, 2, 2));
    }
    return car;
}

// Road (|x| <= 9) flat at 0, hills rising beside it. Every term repeats along z every 132 units,
// so tiles laid end to end join without a step.
double terrainHeight(double x, double z) {
    const double side = std::fabs(x) - 9.0;
    if (side <= 0.0) return 0.0;
    const double k = 2.0 * M_PI / 132.0;
    const double wave = 0.5 * std::sin(k * z + 0.05 * x + 1.3) + 0.35 * std::sin(2 * k * z - 0.09 * x + 0.4) +
                        0.25 * std::sin(3 * k * z + 0.13 * x + 2.1) + 0.12 * std::sin(4 * k * z - 0.17 * x + 0.7);
    return smoothstep(0.0, 16.0, side) * (4.0 + 0.1 * side + 6.0 * (wave + 0.9));
}

// Grid columns: four lanes on the road, then even steps out to the tile's sides at x = +-80.
std::vector<double> terrainColumns() {
    std::vector<double> xs;
    const int hillSteps = 14;
    for (int k = hillSteps; k > 0; k--) xs.push_back(-9.0 - 71.0 * k / hillSteps);
    for (double x : {-9.0, -4.5, 0.0, 4.5, 9.0}) xs.push_back(x);
    for (int k = 1; k <= hillSteps; k++) xs.push_back(9.0 + 71.0 * k / hillSteps);
    return xs;
}

// The flat underside of the grid xs by zs at height y, facing down. Only its rim has to meet the
// walls corner for corner, so inside it runs on every second grid line (both cell counts are
// even), and each cell on the rim fans out to the rim corner between its own two: under a third
// of the full grid's triangles, for a face the scenes never show, and no T-junctions.
Mesh coarseUnderside(const std::vector<double>& xs, const std::vector<double>& zs, double y) {
    const int cols = int(xs.size()) - 1, rows = int(zs.size()) - 1;
    auto corner = [&](int i, int j) {
        return Corner{{xs[std::size_t(i)], y, zs[std::size_t(j)]}, {double(i) / cols, double(j) / rows}};
    };
    Mesh mesh;
    for (int i = 0; i < cols; i += 2)
        for (int j = 0; j < rows; j += 2) {
            // Corners in the grid's winding; side k runs from corner k to corner k + 1.
            const int ci[4] = {i, i + 2, i + 2, i}, cj[4] = {j, j, j + 2, j + 2};
            const bool onRim[4] = {j == 0, i + 2 == cols, j + 2 == rows, i == 0};
            // The fan's apex is a corner with no rim side, so no fan triangle is flat.
            int apex = 0;
            while (onRim[apex] || onRim[(apex + 3) % 4]) apex++;
            std::vector<Corner> ring;
            for (int n = 0; n < 4; n++) {
                const int k = (apex + n) % 4, next = (k + 1) % 4;
                ring.push_back(corner(ci[k], cj[k]));
                if (onRim[k]) ring.push_back(corner((ci[k] + ci[next]) / 2, (cj[k] + cj[next]) / 2));
            }
            for (std::size_t m = 1; m + 1 < ring.size(); m++) mesh.addTriangle(ring[0], ring[m], ring[m + 1]);
        }
    return mesh;
}

// One tile, 160 wide and exactly 132 long (z from -66 to 66), closed below: side walls down to a
// flat underside at y = -4, on which the slab rests on the turtle's shell in WholeWorld.
Mesh terrain() {
    const std::vector<double> xs = terrainColumns();
    const int cols = int(xs.size()) - 1, rows = 26;
    const double base = -4.0;
    auto z = [&](int row) { return -66.0 + 132.0 * row / rows; };
    std::vector<double> zs;
    for (int row = 0; row <= rows; row++) zs.push_back(z(row));
    // The last row takes the first row's heights, so both ends of the tile are equal to the bit.
    auto top = [&](int col, int row) { return Vec3{xs[std::size_t(col)], terrainHeight(xs[std::size_t(col)], z(row % rows)), z(row)}; };
    Mesh mesh = gridSurface({rows, cols}, [&](int i, int j) { return top(j, i); });
    mesh.append(coarseUnderside(xs, zs, base));
    // The rim, walked so that the walls face outward: +x side, far end, -x side, near end.
    std::vector<Vec3> rim;
    for (int row = 0; row < rows; row++) rim.push_back(top(cols, row));
    for (int col = cols; col > 0; col--) rim.push_back(top(col, rows));
    for (int row = rows; row > 0; row--) rim.push_back(top(0, row));
    for (int col = 0; col < cols; col++) rim.push_back(top(col, 0));
    mesh.append(gridSurface({int(rim.size()), 2, true, false}, [&](int i, int j) {
        const Vec3 p = rim[std::size_t(i)];
        return Vec3{p.x, lerp(p.y, base, j / 2.0), p.z};
    }));
    return mesh;
}

// A sphere around the world origin, seen from inside. u runs once around with the heading (to
// the right of a viewer facing -z), v from the zenith (the image's top row) to the nadir. The
// closing column repeats the first with u = 1, so no triangle runs back across the image's wrap.
Mesh skybox() {
    const int around = 40, down = 20;
    const double radius = 1000.0;
    return gridSurface({around, down, true, false}, [&](int i, int j) {
               const double heading = 2.0 * M_PI * i / around, polar = M_PI * j / down;
               return Vec3{std::sin(polar) * std::sin(heading), std::cos(polar),
                           -std::sin(polar) * std::cos(heading)} * radius;
           })
        .flipFaces();
}

// A flattened ellipsoid along local +y, its inner 30% sunk into the body at `root` so that it
// leaves the shell at its full width; swept back by `sweep` and drooping by `droop` at the tip,
// thinning outward; then turned by `yaw` about Z.
struct Flipper {
    Vec3 root;
    double span, chord, thickness, sweep, droop, yaw;
};

Mesh flipper(const Flipper& f, int chordCells, int spanCells) {
    return roundedBox(chordCells, spanCells, 1, 2.0, [&](Vec3 r) {
        const double s = (r.y + 1) / 2;
        const Vec3 p{r.x * f.chord / 2 - f.sweep * s * s, lerp(-0.3, 1.0, s) * f.span,
                     r.z * f.thickness / 2 * (1.0 - 0.6 * s) - f.droop * s * s};
        return f.root + rotateZ(p, f.yaw);
    });
}

// Model +Z is up (the scene turns it to world up), the head points to +x. The shell top sits at
// z = 9, where the scaled terrain slab (raised 9.6, underside 4 below at scale 0.15) rests.
Mesh turtle() {
    Mesh mesh = roundedBox(12, 10, 4, 2.2, [](Vec3 r) {
        return Vec3{13.0 * r.x, 10.5 * r.y, 2.0 + (r.z > 0.0 ? 7.0 : 2.5) * r.z};
    });
    mesh.append(ellipsoid({13.5, 0.0, 2.4}, {4.6, 2.0, 1.8}, 6, 4, 4));
    mesh.append(ellipsoid({18.0, 0.0, 3.0}, {3.2, 2.6, 2.3}, 8, 6, 6));
    const Mesh eye = ellipsoid({19.6, 1.7, 4.1}, {0.6, 0.6, 0.6}, 3, 3, 3);
    const Mesh front = flipper({{7.5, 8.0, 1.2}, 9.5, 4.8, 1.1, 2.5, 1.0, 0.4}, 6, 8);
    const Mesh back = flipper({{-8.5, 6.8, 0.9}, 5.5, 3.6, 0.9, 1.2, 0.4, 0.9}, 4, 5);
    for (const Mesh& part : {eye, front, back}) {
        mesh.append(part);
        mesh.append(mirroredY(part));
    }
    mesh.append(roundedBox(5, 2, 2, 2.0, [](Vec3 r) {
        const double thick = lerp(0.25, 1.0, (r.x + 1) / 2);
        return Vec3{-15.0 + 3.5 * r.x, 1.2 * r.y * thick, 0.9 + 0.9 * r.z * thick};
    }));
    return mesh;
}

} // namespace

const std::vector<Model>& models() {
    static const std::vector<Model> all{{"wheel", wheel, 40.0},     {"toycar", toycar, 50.0},
                                        {"charger", charger, 50.0}, {"terrain", terrain, 50.0},
                                        {"skybox", skybox, 90.0},   {"turtle", turtle, 60.0}};
    return all;
}

bool writeModels(const std::string& dir) {
    for (const Model& model : models()) {
        const std::string path = dir + "/" + model.name + ".obj";
        const std::string text = toObj(model.build(), model.name, model.creaseDegrees);
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) {
            std::printf("cannot write model %s: %s\n", path.c_str(), std::strerror(errno));
            return false;
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (std::fclose(file) != 0 || !written) {
            std::printf("cannot write model %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

} // namespace modelgen
