// Mesh building for the procedural models: a triangle soup with texture coordinates, parametric
// grids, rounded boxes and lathes, and an OBJ writer that welds corners and derives the normals.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace modelgen {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double s);
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
double length(Vec3 a);

// The axis-aligned box around some points.
struct Box {
    Vec3 lo, hi;
    Vec3 size() const { return hi - lo; }
    Vec3 centre() const { return (lo + hi) * 0.5; }
};
Box bounds(const std::vector<Vec3>& points);

struct Vec2 {
    double u = 0.0, v = 0.0;
};

struct Corner {
    Vec3 p;
    Vec2 uv;
};

using Triangle = std::array<Corner, 3>;

// Triangles wound counter-clockwise as seen from the side the surface faces.
class Mesh {
public:
    // Drops triangles without area, which is how collapsed grid edges (poles) disappear.
    void addTriangle(const Corner& a, const Corner& b, const Corner& c);
    // Splits along a-c, so that a grid's diagonals all run alike, unless b-d is much shorter (a
    // strongly skewed quad). A quad edge collapsed to one point becomes a single corner carrying
    // the mean texture coordinate.
    void addQuad(Corner a, Corner b, Corner c, Corner d);
    void append(const Mesh& other);
    // Turns every triangle to face the other way.
    Mesh& flipFaces();
    // Moves every position through f (texture coordinates stay).
    Mesh& transform(const std::function<Vec3(Vec3)>& f);
    const std::vector<Triangle>& triangles() const { return tris; }

private:
    std::vector<Triangle> tris;
};

// A (nu x nv)-cell grid of points f(i, j), i in 0..nu, j in 0..nv, with texture coordinates
// (i/nu, j/nv). It faces along dP/di x dP/dj. A wrapped direction reuses the first row of points
// for the last one, so the seam closes exactly.
struct Grid {
    int nu = 1, nv = 1;
    bool wrapU = false, wrapV = false;
};
Mesh gridSurface(Grid grid, const std::function<Vec3(int i, int j)>& f);

// A closed box of nx x ny x nz cells. Its points on the cube [-1, 1]^3 are pulled onto the
// superellipsoid |x|^e + |y|^e + |z|^e = 1 (e = 2 a sphere, larger e a box with rounded edges),
// then placed by f. f must keep orientation so that the faces stay outward.
Mesh roundedBox(int nx, int ny, int nz, double exponent, const std::function<Vec3(Vec3)>& f);

// Revolves the profile points (radius, z) about the Z axis in `segments` steps; radius(i, j)
// may reshape profile point j at step i. A closed profile joins its last point to its first.
// The surface faces outward when the profile runs with the interior on its left in (r, z).
Mesh lathe(const std::vector<Vec2>& profile, int segments, bool closedProfile,
           const std::function<double(int i, int j)>& radius = {});

// Rotation of p about the axis through the origin by the given angle (right-handed, radians).
Vec3 rotateX(Vec3 p, double angle);
Vec3 rotateY(Vec3 p, double angle);
Vec3 rotateZ(Vec3 p, double angle);

double smoothstep(double edge0, double edge1, double x);
double lerp(double a, double b, double t);

// OBJ text of the mesh: positions and texture coordinates welded where they print alike
// (5 decimals), normals averaged over the faces at a position that meet at less than the crease
// angle, faces as "f v/t/n" triangles.
std::string toObj(const Mesh& mesh, const std::string& name, double creaseDegrees = 45.0);

// An OBJ text read back: the lists as written and, per triangle corner, the 0-based indices of its
// position, texture coordinate and normal (-1 where the corner names none).
struct ObjData {
    std::vector<Vec3> positions;
    std::vector<Vec2> uvs;
    std::vector<Vec3> normals;
    std::vector<std::array<std::array<int, 3>, 3>> faces;
};
ObjData parseObj(const std::string& text);

} // namespace modelgen
