#include "meshgen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <utility>

namespace modelgen {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(Vec3 a) { return std::sqrt(dot(a, a)); }

Box bounds(const std::vector<Vec3>& points) {
    Box box{points.at(0), points.at(0)};
    for (const Vec3& p : points) {
        box.lo = {std::min(box.lo.x, p.x), std::min(box.lo.y, p.y), std::min(box.lo.z, p.z)};
        box.hi = {std::max(box.hi.x, p.x), std::max(box.hi.y, p.y), std::max(box.hi.z, p.z)};
    }
    return box;
}

namespace {

constexpr double kSamePoint = 1e-9;

bool samePoint(const Corner& a, const Corner& b) { return length(a.p - b.p) < kSamePoint; }

void setComponent(Vec3& p, int axis, double value) {
    (axis == 0 ? p.x : axis == 1 ? p.y : p.z) = value;
}

// One side of the cube [-1, 1]^3: its points before rounding, facing along `sign` times `axis`.
Mesh cubeFace(const int cells[3], int axis, int sign, double exponent, const std::function<Vec3(Vec3)>& f) {
    const int ua = sign > 0 ? (axis + 1) % 3 : (axis + 2) % 3;
    const int va = sign > 0 ? (axis + 2) % 3 : (axis + 1) % 3;
    return gridSurface({cells[ua], cells[va]}, [&](int i, int j) {
        Vec3 c;
        setComponent(c, axis, sign);
        setComponent(c, ua, -1.0 + 2.0 * i / cells[ua]);
        setComponent(c, va, -1.0 + 2.0 * j / cells[va]);
        const double norm = std::pow(std::pow(std::fabs(c.x), exponent) + std::pow(std::fabs(c.y), exponent) +
                                         std::pow(std::fabs(c.z), exponent),
                                     1.0 / exponent);
        return f(c * (1.0 / norm));
    });
}

std::string number(double value) {
    if (std::fabs(value) < 0.000005) value = 0.0; // no "-0.00000"
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", value);
    return text;
}

std::string key(Vec3 p) { return number(p.x) + " " + number(p.y) + " " + number(p.z); }

// Numbers each distinct key in order of first appearance.
class Welder {
public:
    int index(const std::string& k) {
        auto found = ids.find(k);
        if (found != ids.end()) return found->second;
        keys.push_back(k);
        return ids[k] = int(keys.size());
    }
    std::vector<std::string> keys;

private:
    std::map<std::string, int> ids;
};

} // namespace

void Mesh::addTriangle(const Corner& a, const Corner& b, const Corner& c) {
    if (length(cross(b.p - a.p, c.p - a.p)) < kSamePoint) return;
    tris.push_back({a, b, c});
}

void Mesh::addQuad(Corner a, Corner b, Corner c, Corner d) {
    std::vector<Corner> ring{a, b, c, d};
    for (std::size_t k = 0; k < ring.size() && ring.size() > 2;) {
        Corner& next = ring[(k + 1) % ring.size()];
        if (!samePoint(ring[k], next)) {
            k++;
            continue;
        }
        next.uv = {(ring[k].uv.u + next.uv.u) / 2, (ring[k].uv.v + next.uv.v) / 2};
        ring.erase(ring.begin() + long(k));
    }
    if (ring.size() == 3) addTriangle(ring[0], ring[1], ring[2]);
    if (ring.size() != 4) return;
    if (length(a.p - c.p) <= 1.6 * length(b.p - d.p)) {
        addTriangle(a, b, c);
        addTriangle(a, c, d);
    } else {
        addTriangle(a, b, d);
        addTriangle(b, c, d);
    }
}

void Mesh::append(const Mesh& other) { tris.insert(tris.end(), other.tris.begin(), other.tris.end()); }

Mesh& Mesh::flipFaces() {
    for (Triangle& t : tris) std::swap(t[1], t[2]);
    return *this;
}

Mesh& Mesh::transform(const std::function<Vec3(Vec3)>& f) {
    for (Triangle& t : tris)
        for (Corner& c : t) c.p = f(c.p);
    return *this;
}

Mesh gridSurface(Grid grid, const std::function<Vec3(int i, int j)>& f) {
    std::vector<Vec3> points;
    for (int i = 0; i <= grid.nu; i++)
        for (int j = 0; j <= grid.nv; j++)
            points.push_back(f(grid.wrapU && i == grid.nu ? 0 : i, grid.wrapV && j == grid.nv ? 0 : j));
    auto corner = [&](int i, int j) {
        return Corner{points[std::size_t(i * (grid.nv + 1) + j)], {double(i) / grid.nu, double(j) / grid.nv}};
    };
    Mesh mesh;
    for (int i = 0; i < grid.nu; i++)
        for (int j = 0; j < grid.nv; j++)
            mesh.addQuad(corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), corner(i, j + 1));
    return mesh;
}

Mesh roundedBox(int nx, int ny, int nz, double exponent, const std::function<Vec3(Vec3)>& f) {
    const int cells[3] = {nx, ny, nz};
    Mesh mesh;
    for (int axis = 0; axis < 3; axis++)
        for (int sign : {1, -1}) mesh.append(cubeFace(cells, axis, sign, exponent, f));
    return mesh;
}

Mesh lathe(const std::vector<Vec2>& profile, int segments, bool closedProfile,
           const std::function<double(int i, int j)>& radius) {
    const int rows = int(profile.size()) - (closedProfile ? 0 : 1);
    return gridSurface({segments, rows, true, closedProfile}, [&](int i, int j) {
        const double angle = 2.0 * M_PI * i / segments;
        const double r = radius ? radius(i, j) : profile[std::size_t(j)].u;
        return Vec3{r * std::cos(angle), r * std::sin(angle), profile[std::size_t(j)].v};
    });
}

Vec3 rotateX(Vec3 p, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
}

Vec3 rotateY(Vec3 p, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
}

Vec3 rotateZ(Vec3 p, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::fmin(1.0, std::fmax(0.0, (x - edge0) / (edge1 - edge0)));
    return t * t * (3.0 - 2.0 * t);
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

std::string toObj(const Mesh& mesh, const std::string& name, double creaseDegrees) {
    const std::vector<Triangle>& tris = mesh.triangles();
    Welder positions, uvs, normals;
    std::vector<std::array<int, 3>> pos(tris.size());
    std::map<int, std::vector<std::size_t>> touching; // position -> triangles that use it
    std::vector<Vec3> faceNormal(tris.size());
    for (std::size_t t = 0; t < tris.size(); t++) {
        const Triangle& tri = tris[t];
        faceNormal[t] = cross(tri[1].p - tri[0].p, tri[2].p - tri[0].p); // length = twice the area
        for (int k = 0; k < 3; k++) {
            pos[t][k] = positions.index(key(tri[k].p));
            touching[pos[t][k]].push_back(t);
        }
    }
    const double crease = std::cos(creaseDegrees * M_PI / 180.0);
    std::string faces;
    for (std::size_t t = 0; t < tris.size(); t++) {
        const Vec3 own = faceNormal[t] * (1.0 / length(faceNormal[t]));
        for (int k = 0; k < 3; k++) {
            Vec3 sum;
            for (std::size_t other : touching[pos[t][k]])
                if (dot(own, faceNormal[other]) >= crease * length(faceNormal[other])) sum = sum + faceNormal[other];
            const Vec3 n = sum * (1.0 / length(sum));
            const int ti = uvs.index(number(tris[t][k].uv.u) + " " + number(tris[t][k].uv.v));
            const int ni = normals.index(key(n));
            faces += (k ? " " : "f ") + std::to_string(pos[t][k]) + "/" + std::to_string(ti) + "/" +
                     std::to_string(ni);
        }
        faces += "\n";
    }
    std::string text = "# " + name + ", made by gen-models\no " + name + "\n";
    for (const std::string& p : positions.keys) text += "v " + p + "\n";
    for (const std::string& t : uvs.keys) text += "vt " + t + "\n";
    for (const std::string& n : normals.keys) text += "vn " + n + "\n";
    return text + faces;
}

ObjData parseObj(const std::string& text) {
    ObjData obj;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "v" || kind == "vn") {
            Vec3 p;
            in >> p.x >> p.y >> p.z;
            (kind == "v" ? obj.positions : obj.normals).push_back(p);
        } else if (kind == "vt") {
            Vec2 t;
            in >> t.u >> t.v;
            obj.uvs.push_back(t);
        } else if (kind == "f") {
            std::array<std::array<int, 3>, 3> face;
            for (auto& corner : face) {
                std::string token;
                in >> token;
                corner = {-1, -1, -1};
                std::istringstream parts(token);
                std::string part;
                for (int k = 0; k < 3 && std::getline(parts, part, '/'); k++)
                    if (!part.empty()) corner[std::size_t(k)] = std::stoi(part) - 1;
            }
            obj.faces.push_back(face);
        }
    }
    return obj;
}

} // namespace modelgen
