// model-preview <modeldir> <outdir>: software-rendered wire-frame pictures of the models, one PNG
// per model (two views; the cars with their wheels) and two pictures of the models placed as the scenes place them.
#include "meshgen.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

using namespace modelgen;

namespace {

struct Colour {
    double r, g, b;
};

struct Camera {
    Vec3 eye, target, up;
    double fovDegrees;
};

// A model drawn at a place: its triangles already moved into world space.
struct Placed {
    std::vector<std::array<Vec3, 3>> tris;
    Colour wire, fill;
};

class Picture {
public:
    Picture(int width, int height)
        : w(width), h(height), depth(std::size_t(width * height), std::numeric_limits<double>::infinity()),
          rgb(std::size_t(width * height * 3), 0) {}

    // Fills each triangle with `fill` and blends `wire` in within about a pixel of its edges,
    // as the "wireframe" program does.
    void draw(const Placed& object, const Camera& camera, int x0, int viewWidth) {
        for (const auto& tri : object.tris) {
            Vec3 s[3];
            bool visible = true;
            for (int k = 0; k < 3; k++) visible = visible && project(tri[std::size_t(k)], camera, x0, viewWidth, s[k]);
            if (visible) raster(s, object);
        }
    }

    bool save(const std::string& path) const {
        return stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
    }

private:
    int w, h;
    std::vector<double> depth;
    std::vector<unsigned char> rgb;

    bool project(Vec3 p, const Camera& c, int x0, int viewWidth, Vec3& out) const {
        const Vec3 back = normalised(c.eye - c.target);
        const Vec3 right = normalised(cross(c.up, back));
        const Vec3 up = cross(back, right);
        const Vec3 d = p - c.eye;
        const double z = -dot(d, back);
        if (z < 0.1) return false;
        const double f = 0.5 * h / std::tan(c.fovDegrees * M_PI / 360.0);
        out = {x0 + viewWidth / 2.0 + f * dot(d, right) / z, h / 2.0 - f * dot(d, up) / z, z};
        return true;
    }

    static Vec3 normalised(Vec3 v) { return v * (1.0 / length(v)); }

    void raster(const Vec3 s[3], const Placed& object) {
        const double area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
        if (std::fabs(area) < 1e-9) return;
        const int xmin = std::max(0, int(std::floor(std::min({s[0].x, s[1].x, s[2].x}))));
        const int xmax = std::min(w - 1, int(std::ceil(std::max({s[0].x, s[1].x, s[2].x}))));
        const int ymin = std::max(0, int(std::floor(std::min({s[0].y, s[1].y, s[2].y}))));
        const int ymax = std::min(h - 1, int(std::ceil(std::max({s[0].y, s[1].y, s[2].y}))));
        for (int y = ymin; y <= ymax; y++)
            for (int x = xmin; x <= xmax; x++) shade(s, area, x + 0.5, y + 0.5, object);
    }

    void shade(const Vec3 s[3], double area, double px, double py, const Placed& object) {
        double bary[3], edgeDistance = 1e9;
        for (int k = 0; k < 3; k++) {
            const Vec3 a = s[(k + 1) % 3], b = s[(k + 2) % 3];
            const double e = (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y);
            bary[k] = e / area;
            edgeDistance = std::min(edgeDistance, std::fabs(e) / std::hypot(b.x - a.x, b.y - a.y));
        }
        if (bary[0] < 0 || bary[1] < 0 || bary[2] < 0) return;
        // Perspective-correct depth: interpolate 1/z.
        const double z = 1.0 / (bary[0] / s[0].z + bary[1] / s[1].z + bary[2] / s[2].z);
        const std::size_t at = std::size_t(int(py) * w + int(px));
        if (z >= depth[at]) return;
        depth[at] = z;
        const double t = smoothstep(0.4, 1.2, edgeDistance);
        const double c[3] = {lerp(object.wire.r, object.fill.r, t), lerp(object.wire.g, object.fill.g, t),
                             lerp(object.wire.b, object.fill.b, t)};
        for (int k = 0; k < 3; k++) rgb[at * 3 + std::size_t(k)] = (unsigned char)(255.0 * c[k] + 0.5);
    }
};

ObjData load(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return parseObj(text.str());
}

Placed place(const ObjData& obj, const std::function<Vec3(Vec3)>& f, Colour wire, Colour fill) {
    Placed placed{{}, wire, fill};
    for (const auto& face : obj.faces)
        placed.tris.push_back({f(obj.positions[std::size_t(face[0][0])]), f(obj.positions[std::size_t(face[1][0])]),
                               f(obj.positions[std::size_t(face[2][0])])});
    return placed;
}

const Colour kCyan{0.01, 0.97, 0.98}, kNavy{12 / 255.0, 37 / 255.0, 59 / 255.0};
const Colour kRed{1.0, 0.0, 0.0}, kGreen{0.0, 1.0, 0.0};

Vec3 identity(Vec3 p) { return p; }

using Scene = std::vector<Placed>;

// Two views of a scene framed on its bounds.
bool sheet(const Scene& scene, Vec3 up, Vec3 side, const std::string& path) {
    std::vector<Vec3> points;
    for (const Placed& placed : scene)
        for (const auto& tri : placed.tris) points.insert(points.end(), tri.begin(), tri.end());
    const Box box = bounds(points);
    const Vec3 centre = box.centre();
    const double radius = length(box.size()) * 0.5;
    const Vec3 across = cross(up, side);
    Picture picture(720, 315);
    for (int view = 0; view < 2; view++) {
        // A low look from the front-left side, then a high one from the back-right.
        const Vec3 dir = view == 0 ? side * -0.45 + across * 0.85 + up * 0.25 : side * 0.8 - across * 0.6 + up * 0.6;
        const Vec3 eye = centre + dir * (radius * 2.4 / length(dir));
        for (const Placed& placed : scene) picture.draw(placed, {eye, centre, up, 45.0}, view * 360, 360);
    }
    return picture.save(path);
}

// The world as the Intro shows it: ten tiles, the two cars and their eight wheels (turned a little).
struct World {
    Scene terrain, toycar, charger;
};

World world(const std::string& dir) {
    const ObjData terrain = load(dir + "/terrain.obj"), toycar = load(dir + "/toycar.obj");
    const ObjData charger = load(dir + "/charger.obj"), wheel = load(dir + "/wheel.obj");
    World w;
    for (int i = -5; i <= 4; i++)
        w.terrain.push_back(place(terrain, [i](Vec3 p) { return p + Vec3{0, 0, 132.0 * i}; }, kCyan, kNavy));
    w.toycar.push_back(place(toycar, [](Vec3 p) { return p + Vec3{-10, 0, 44}; }, kRed, kGreen));
    w.charger.push_back(place(charger, [](Vec3 p) { return rotateY(p, -1.6) + Vec3{3.5, 0, 44}; }, kRed, kGreen));
    const double wheels[8][2] = {{-3.2, 43.0}, {-3.2, 45.4}, {-4.8, 43.0}, {-4.8, 45.4},
                                 {4.9, 40.82}, {4.9, 46.6},  {2.0, 40.82}, {2.0, 46.6}};
    for (int k = 0; k < 8; k++)
        (k < 4 ? w.toycar : w.charger)
            .push_back(place(wheel, [&](Vec3 p) {
                return rotateY(rotateZ(p, 0.5), -1.6) + Vec3{wheels[k][0], 0.6, wheels[k][1]};
            }, kRed, kGreen));
    return w;
}

// The Intro's camera at demo time 9.0.
bool introView(const World& w, const std::string& out) {
    Picture picture(800, 450);
    const double a = (9.0 + 15.0) / 8.0;
    const Camera camera{{20.0 * std::sin(a), 4.0, 44.0 + 20.0 * std::cos(a)}, {0, 3, 44}, {0, 1, 0}, 35.0};
    for (const Scene* scene : {&w.terrain, &w.toycar, &w.charger})
        for (const Placed& p : *scene) picture.draw(p, camera, 0, 800);
    return picture.save(out + "/intro.png");
}

// WholeWorld five seconds in: the turtle stood up, the slab on its shell, the cars sinking.
bool wholeWorldView(const std::string& dir, const std::string& out) {
    const ObjData turtle = load(dir + "/turtle.obj"), terrain = load(dir + "/terrain.obj");
    const ObjData toycar = load(dir + "/toycar.obj"), charger = load(dir + "/charger.obj");
    const double rtime = 5.0, time = 54.195 + rtime;
    auto spin = [&](Vec3 p) { return rotateZ(rotateY(p * 0.1, time), time / 2.0); };
    const Scene scene{
        place(turtle, [](Vec3 p) { return rotateX(p, -1.54); }, kCyan, kNavy),
        place(terrain, [](Vec3 p) { return p * 0.15 + Vec3{0, 9.6, 0}; }, kCyan, kNavy),
        place(charger, [&](Vec3 p) { return spin(p) + Vec3{0, 9.0 - rtime, -12}; }, kRed, kGreen),
        place(toycar, [&](Vec3 p) { return spin(p) + Vec3{-2, 9.0 - rtime, -12}; }, kRed, kGreen)};
    Picture picture(800, 450);
    const double a = (30.0 + rtime) / 10.0;
    const Camera camera{{60.0 * std::sin(a), 30.0, 60.0 * std::cos(a)}, {0, 0, 0}, {0, 1, 0}, 35.0};
    for (const Placed& p : scene) picture.draw(p, camera, 0, 800);
    return picture.save(out + "/wholeworld.png");
}

bool modelSheets(const std::string& dir, const std::string& out, const World& w) {
    const Vec3 up{0, 1, 0}, front{0, 0, -1};
    const Scene wheel{place(load(dir + "/wheel.obj"), identity, kRed, kGreen)};
    const Scene terrain{w.terrain[5]};
    const Scene skybox{place(load(dir + "/skybox.obj"), identity, kCyan, kNavy)};
    const Scene turtle{place(load(dir + "/turtle.obj"), identity, kCyan, kNavy)};
    return sheet(wheel, up, {-1, 0, 0}, out + "/wheel.png") && sheet(w.toycar, up, front, out + "/toycar.png") &&
           sheet(w.charger, up, front, out + "/charger.png") && sheet(terrain, up, front, out + "/terrain.png") &&
           sheet(skybox, up, front, out + "/skybox.png") && sheet(turtle, {0, 0, 1}, {-1, 0, 0}, out + "/turtle.png");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: model-preview <modeldir> <outdir>\n");
        return 2;
    }
    const World w = world(argv[1]);
    const bool ok = !w.toycar[0].tris.empty() && introView(w, argv[2]) && wholeWorldView(argv[1], argv[2]) &&
                    modelSheets(argv[1], argv[2], w);
    if (!ok) std::printf("model-preview: cannot read the models in %s or write into %s\n", argv[1], argv[2]);
    return ok ? 0 : 1;
}
