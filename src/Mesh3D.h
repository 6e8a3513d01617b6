// A Wavefront OBJ model expanded into flat per-corner arrays and uploaded as a triangle mesh.
#pragma once

#include "Matrix.h"
#include "MeshIndex.h"

#include <GL/glew.h>

#include <memory>
#include <vector>

namespace vexel {

class Mesh3D {
public:
    explicit Mesh3D(const char* filename);
    ~Mesh3D();

    // Draws the mesh with the program and uniforms the caller has set up. A program in use that
    // draws corners (the web's wire-frame, which has no geometry stage there) gets every triangle
    // as six vertices, each carrying all three corners.
    void draw();

    // Whether the mesh may cover any pixel when drawn with `transform` (model, camera and
    // projection in one): false only when its bounding box lies wholly beyond one side of the
    // clip volume, so a draw it rules out would have drawn nothing.
    bool mayBeSeen(Matrix& transform) const;

    // Reads the model again into this object, so everything holding it draws the new one. A file
    // that yields no triangle leaves the mesh as it was and returns false.
    bool reload(const char* filename);

    // Appends what the file holds to the read lists. Faces that name a missing corner or an
    // index outside the lists are dropped and reported once per file.
    void loadOBJ(const char* filename);

    // Reads and expands a model as the constructor does but creates no GL objects, so that the
    // reader can be exercised without a context. The result cannot be drawn.
    static std::unique_ptr<Mesh3D> parse(const char* filename);

private:
    struct ParseOnly {};
    Mesh3D(ParseOnly, const char* filename);

    std::vector<float> vbuffer;
    std::vector<float> tbuffer;
    std::vector<float> nbuffer;
    std::vector<std::unique_ptr<MeshIndex>> ibuffer;

    std::vector<GLfloat> vertices;
    std::vector<GLfloat> normals;
    std::vector<GLfloat> textcoord;
    std::vector<GLuint> indices;
    int i_count = 0;
    float lowest[3] = {0.0f, 0.0f, 0.0f}; // the bounding box of the vertices
    float highest[3] = {0.0f, 0.0f, 0.0f};
    bool has_normals = false;
    bool has_texture = false;

    GLuint vertexarray = 0;
    GLuint buffers[4] = {0, 0, 0, 0};
    GLuint cornerArray = 0; // the six-vertex triangles, made at their first draw
    GLuint cornerBuffer = 0;

    bool isValid(MeshIndex& face);
    void buildMesh();
    void createOpenGLBinding();
    void drawCorners();
};

} // namespace vexel
