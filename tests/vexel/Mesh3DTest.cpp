// The OBJ reader and its upload, read back through the GL buffers of the mesh's vertex array. (How
// the meshes draw, the scene tests' frames show.)
#include "Mesh3D.h"

#include "Capture.h"
#include "GLTest.h"
#include "TempDir.h"

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using vexel::Mesh3D;
using Floats = std::vector<float>;

namespace {

const Floats TRIANGLE = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const Floats REVERSED = {0, 1, 0, 1, 0, 0, 0, 0, 0};

Floats operator+(Floats a, const Floats& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What loading printed, and what the mesh's vertex array holds on the GPU.
struct Uploaded {
    std::string printed;
    Floats positions, normals, texcoords;
    std::vector<GLuint> indices;
};

class Mesh3DTest : public GLTest {
protected:
    TempDir dir;

    Uploaded upload(const std::string& text) { return load(dir.write("model.obj", text)); }

    Uploaded load(const std::string& path) {
        static const GLuint program = linkProgram(positionVertex, whiteFragment);
        std::unique_ptr<Mesh3D> mesh;
        Uploaded out;
        out.printed = captureStdout([&] { mesh = std::make_unique<Mesh3D>(path.c_str()); });
        GLint bound = -1, elements = 0, arrayBuffer = -1, arrayBufferAfter = -2;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
        EXPECT_EQ(0, bound) << "the constructor unbinds its vertex array";
        glUseProgram(program);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        mesh->draw(); // leaves its vertex array bound, which is how the buffers are found
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBufferAfter);
        EXPECT_EQ(arrayBuffer, arrayBufferAfter) << "draw() touches no other binding";
        out.positions = attributeBuffer(0);
        out.normals = attributeBuffer(1);
        out.texcoords = attributeBuffer(2);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        out.indices = readBuffer<GLuint>(GLuint(elements));
        glBindVertexArray(0);
        glUseProgram(0);
        return out;
    }
};

// Every face corner becomes a vertex of its own, indexed in order; a face may name later lines;
// only whole 'v' and 'f' keywords followed by a space count; a tab separates nothing; a face's
// fourth corner is ignored; neither line length nor CR-LF changes a line.
TEST_F(Mesh3DTest, EveryCornerOfEveryFaceBecomesAVertex) {
    const std::string pad(300, ' '), twoFaces = std::string(triangleModel) + "vt 0.5 0.25\nvn 0 0 1\nf 1/1/ 2/1/ 3/1/\n";
    std::string crlf;
    for (char c : twoFaces) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const std::string others = "#" + std::string(6000, 'v') + "\nmtllib a.mtl\no a\ng b\ns 1\nusemtl c\nvp 0.5 0.5\n\n"
                               "f" + pad + "3 2 1 9\n# v 9 9 9\nvx 7 7 7\nv\t5 5 5\nv 0\t9 0 0\nv" + pad + "1 0 0\n"
                               "v 0 1 0\nfo 1 2 3\nf\t1 2 3\nl 1 2\nf 1 2 3\n";
    // A stray '\r' would make the empty normal pieces of the CR-LF file index 0, and its second face bad.
    for (const auto& [text, positions] : {std::pair{others, REVERSED + TRIANGLE}, {crlf, TRIANGLE + TRIANGLE}}) {
        SCOPED_TRACE(text.substr(text.size() - 40));
        Uploaded mesh = upload(text);
        EXPECT_EQ("", mesh.printed);
        EXPECT_EQ(positions, mesh.positions);
        EXPECT_EQ((std::vector<GLuint>{0, 1, 2, 3, 4, 5}), mesh.indices);
    }
}

TEST_F(Mesh3DTest, CornerAttributesFollowTheirOwnIndicesOrAreZero) {
    const std::string lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.1 0.2 0.9\nvt 0.3 0.4\nvt 0.5 0.6\n"
                              "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n";
    Uploaded crossed = upload(lists + "f 1/3/2 2/1/3 3/2/1\n");
    EXPECT_EQ((Floats{0.5f, 0.6f, 0.1f, 0.2f, 0.3f, 0.4f}), crossed.texcoords) << "a third number is ignored";
    EXPECT_EQ((Floats{0, 1, 0, 0, 0, 1, 1, 0, 0}), crossed.normals);

    Uploaded partial = upload(lists + "f 1//3 2 3/2\n");
    EXPECT_EQ((Floats{0, 0, 1, 0, 0, 0, 0, 0, 0}), partial.normals);
    EXPECT_EQ((Floats{0, 0, 0, 0, 0.3f, 0.4f}), partial.texcoords);
    EXPECT_EQ("", partial.printed);
}

TEST_F(Mesh3DTest, BadFacesAreSkippedWithOneMessage) {
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 1\nvn 0 0 1\n"
                       "f 1 2 3\n"          // line 6: kept
                       "f 1 2\n"            // line 7: two corners
                       "f 1 2 4\n"          // past the end
                       "f 0 1 2\n"          // zero
                       "f -1 1 2\n"         // relative indices are not supported
                       "f 1/2 2/1 3/1\n"    // texture index past the end
                       "f 1//2 2//1 3//1\n" // normal index past the end
                       "f 1/0 2 3\n"        // a written zero is not an absent index
                       "f 1 2 4294967299\n" // would wrap to 3 in an int
                       "f 3 2 1\n";         // kept
    Uploaded mesh = upload(text);
    EXPECT_EQ("bad faces in model " + dir.path("model.obj") + ": 8 skipped, the first on line 7\n", mesh.printed);
    EXPECT_EQ(TRIANGLE + REVERSED, mesh.positions);
}

TEST_F(Mesh3DTest, AnUnreadableFileIsReportedAndDrawsNothing) {
    std::string missing = dir.path("absent.obj");
    Uploaded absent = load(missing);
    EXPECT_EQ("cannot open model " + missing + ": No such file or directory\n", absent.printed);
    EXPECT_TRUE(absent.positions.empty());

    std::string folder = dir.path("");
    EXPECT_EQ("cannot read model " + folder + ": Is a directory\n", captureStdout([&] { Mesh3D::parse(folder.c_str()); }));
}

// A mesh is ruled out only when its bounding box lies wholly beyond one side of the view: behind
// the eye, past the far plane or beside the view. A box across a side, or around the eye, may be
// seen. A reload brings the new model's box.
TEST_F(Mesh3DTest, OnlyAMeshWhollyOutOfViewIsRuledOut) {
    vexel::Matrix projection; // the eye at the origin, looking down -z
    projection.perspective(90.0, 1.0, 0.1, 100.0);
    auto seenAt = [&](Mesh3D& mesh, std::array<double, 3> at) {
        vexel::Matrix place;
        place.translate(at[0], at[1], at[2]);
        vexel::Matrix m = place * projection;
        return mesh.mayBeSeen(m);
    };
    // One triangle across the cube from -1 to 1.
    std::string path = dir.write("model.obj", "v -1 -1 -1\nv 1 1 1\nv 1 -1 1\nf 1 2 3\n");
    Mesh3D mesh(path.c_str());
    using At = std::array<double, 3>;
    for (At at : {At{0, 0, -10}, At{10.5, 0, -10}, At{0, -10.5, -10}, At{0, 0, 0}, At{0, 0, -100.5}})
        EXPECT_TRUE(seenAt(mesh, at)) << at[0] << " " << at[1] << " " << at[2];
    for (At at : {At{0, 0, 10}, At{12.5, 0, -10}, At{-12.5, 0, -10}, At{0, 12.5, -10}, At{0, -12.5, -10}, At{0, 0, -102}})
        EXPECT_FALSE(seenAt(mesh, at)) << at[0] << " " << at[1] << " " << at[2];

    dir.write("model.obj", "v 19 -1 -11\nv 21 1 -9\nv 21 -1 -9\nf 1 2 3\n");
    EXPECT_TRUE(mesh.reload(path.c_str()));
    EXPECT_TRUE(seenAt(mesh, {-20, 0, 0}));
    EXPECT_FALSE(seenAt(mesh, {0, 0, 0}));
}

} // namespace
