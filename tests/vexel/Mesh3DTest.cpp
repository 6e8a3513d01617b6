// The OBJ reader and its upload, read back through the GL buffers of the mesh's vertex array.
#include "Capture.h"
#include "GLTest.h"
#include "GLTest.h"
#include "Mesh3D.h"
#include "TempDir.h"

#include <string>
#include <utility>
#include <vector>

using vexel::Mesh3D;
using Floats = std::vector<float>;

namespace {

const int SIZE = 16;

// What the mesh's vertex array holds on the GPU, and what a draw of it shows, read back.
struct Uploaded {
    Floats positions, normals, texcoords;
    std::vector<GLuint> indices;
    std::string printed;
    std::vector<std::uint8_t> pixels;
    std::vector<int> pixel(int x, int y) const { return {&pixels[4 * (y * SIZE + x)], &pixels[4 * (y * SIZE + x) + 4]}; }
};

template <typename T> std::vector<T> readDynamicBuffer(GLuint name) {
    glBindBuffer(GL_COPY_READ_BUFFER, name);
    GLint bytes = 0, usage = 0;
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_USAGE, &usage);
    EXPECT_EQ(GL_DYNAMIC_DRAW, usage);
    std::vector<T> data(bytes / sizeof(T));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, bytes, data.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return data;
}

// An enabled, tightly packed float attribute in a buffer of its own.
Floats readAttribute(GLuint location, GLint components) {
    const std::pair<GLenum, GLint> expected[] = {{GL_VERTEX_ATTRIB_ARRAY_ENABLED, 1},
                                                 {GL_VERTEX_ATTRIB_ARRAY_SIZE, components},
                                                 {GL_VERTEX_ATTRIB_ARRAY_TYPE, GL_FLOAT},
                                                 {GL_VERTEX_ATTRIB_ARRAY_STRIDE, 0},
                                                 {GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, 0}};
    for (const auto& [parameter, value] : expected) {
        GLint actual = -1;
        glGetVertexAttribiv(location, parameter, &actual);
        EXPECT_EQ(value, actual) << "attribute " << location << ", parameter " << parameter;
    }
    GLint name = 0;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &name);
    return readDynamicBuffer<float>(GLuint(name));
}

// Colours each fragment with normal + (u, v, 0), so that a pixel shows both attributes.
const char* attributeVertex = R"(#version 410 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;
out vec3 colour;
void main() { colour = normal + vec3(texcoord, 0.0); gl_Position = vec4(position, 1.0); })";
const char* attributeFragment = R"(#version 410 core
in vec3 colour;
out vec4 pixel;
void main() { pixel = vec4(colour, 1.0); })";

const std::string TRIANGLE = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
const Floats TRIANGLE_POSITIONS = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const Floats REVERSED_POSITIONS = {0, 1, 0, 1, 0, 0, 0, 0, 0};

Floats operator+(Floats a, const Floats& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class Mesh3DTest : public GLTest {
protected:
    TempDir dir;
    GLuint fbo = makeTarget(SIZE, SIZE);
    GLuint program = linkProgram(attributeVertex, attributeFragment);

    ~Mesh3DTest() override {
        glDeleteProgram(program);
        freeTarget(fbo);
    }

    // Clears the target and draws the mesh; draw() leaves its vertex array bound, which is how
    // the uploaded buffers are found, and touches no other binding.
    GLuint render(Mesh3D& mesh) {
        glBindVertexArray(0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program);
        GLint buffer = 0, bufferAfter = 0, bound = 0;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
        mesh.draw();
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bufferAfter);
        EXPECT_EQ(buffer, bufferAfter);
        glUseProgram(0);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
        return GLuint(bound);
    }

    Uploaded upload(const std::string& text) {
        std::string path = dir.write("model.obj", text);
        Uploaded out;
        Mesh3D* mesh = nullptr;
        out.printed = captureStdout([&] { mesh = new Mesh3D(path.c_str()); });
        GLint bound = -1;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
        EXPECT_EQ(0, bound) << "the constructor unbinds its vertex array";
        EXPECT_NE(0u, render(*mesh));
        out.pixels = readPixels(SIZE, SIZE);
        out.positions = readAttribute(0, 3);
        out.normals = readAttribute(1, 3);
        out.texcoords = readAttribute(2, 2);
        GLint elements = 0;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        out.indices = readDynamicBuffer<GLuint>(GLuint(elements));
        glBindVertexArray(0);
        delete mesh;
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
        return out;
    }
};

// Every face corner becomes a vertex of its own, indexed in order; only whole 'v' and 'f'
// keywords followed by a space count, and neither line length nor CR-LF changes a line.
TEST_F(Mesh3DTest, EveryCornerOfEveryFaceBecomesAVertex) {
    const std::string square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const std::string twoFaces = TRIANGLE + "vt 0.5 0.25\nvn 0 0 1\nf 1/1/ 2/1/ 3/1/\n";
    std::string crlf;
    for (char c : twoFaces) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const std::string pad(300, ' ');
    const std::pair<std::string, Floats> cases[] = {
        {TRIANGLE, TRIANGLE_POSITIONS},
        {square + "f 1 2 3 4\n", {0, 0, 0, 1, 0, 0, 1, 1, 0}},
        {square + "f 1 2 3\nf 3 4 1\n", {0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0}},
        {"f 3 2 1\n" + TRIANGLE, REVERSED_POSITIONS + TRIANGLE_POSITIONS},
        {"# comment\nmtllib a.mtl\no a\ng b\ns 1\nusemtl c\nvp 0.5 0.5\n\nv 0 0 0\n# v 9 9 9\nv 1 0 0\n"
         "v 0 1 0\nvx 7 7 7\nf 1 2 3\nfo 1 2 3\nl 1 2\n",
         TRIANGLE_POSITIONS},
        {"v\t5 5 5\nv 1\t2 3 4\nv 1 0 0\nv 0 1 0\nf\t1 2 3\nf 1 2 3\n", {1, 3, 4, 1, 0, 0, 0, 1, 0}},
        {"#" + std::string(6000, 'v') + "\nv" + pad + "0 0 0\nv 1 0 0\nv 0 1 0\nf" + pad + "3 2 1 9 9\nf 1 2 3\n",
         REVERSED_POSITIONS + TRIANGLE_POSITIONS},
        // A stray '\r' would make the empty normal pieces index 0, and the second face bad.
        {crlf, TRIANGLE_POSITIONS + TRIANGLE_POSITIONS},
    };
    for (const auto& [text, positions] : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        Uploaded mesh = upload(text);
        EXPECT_EQ(positions, mesh.positions);
        std::vector<GLuint> order(positions.size() / 3);
        for (GLuint i = 0; i < order.size(); i++) order[i] = i;
        EXPECT_EQ(order, mesh.indices);
        EXPECT_EQ("", mesh.printed);
    }
}

TEST_F(Mesh3DTest, CornerAttributesFollowTheirOwnIndicesOrAreZeroAndDraw) {
    Uploaded bare = upload(TRIANGLE);
    EXPECT_EQ(Floats(9, 0.0f), bare.normals) << "no vn lines";
    EXPECT_EQ(Floats(6, 0.0f), bare.texcoords) << "no vt lines";

    const std::string lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.1 0.2 0.9\nvt 0.3 0.4\nvt 0.5 0.6\n"
                              "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n";
    Uploaded crossed = upload(lists + "f 1/3/2 2/1/3 3/2/1\n");
    EXPECT_EQ((Floats{0.5f, 0.6f, 0.1f, 0.2f, 0.3f, 0.4f}), crossed.texcoords) << "a third number is ignored";
    EXPECT_EQ((Floats{0, 1, 0, 0, 0, 1, 1, 0, 0}), crossed.normals);

    Uploaded partial = upload(lists + "f 1//3 2 3/2\n");
    EXPECT_EQ((Floats{0, 0, 1, 0, 0, 0, 0, 0, 0}), partial.normals);
    EXPECT_EQ((Floats{0, 0, 0, 0, 0.3f, 0.4f}), partial.texcoords);
    EXPECT_EQ("", partial.printed);

    // Drawn: the lower-left half of the target, coloured normal (0, 1, 0) + texcoord (1, 0).
    Uploaded drawn = upload("v -1 -1 0\nv 1 -1 0\nv -1 1 0\nvn 0 1 0\nvt 1 0\nf 1/1/1 2/1/1 3/1/1\n");
    EXPECT_EQ((std::vector<int>{255, 255, 0, 255}), drawn.pixel(2, 2));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 255}), drawn.pixel(13, 13));
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
    EXPECT_EQ(TRIANGLE_POSITIONS + REVERSED_POSITIONS, mesh.positions);
}

TEST_F(Mesh3DTest, UnreadableFileIsReportedAndDrawsNothing) {
    std::string path = dir.path("absent.obj");
    Mesh3D* mesh = nullptr;
    std::string printed = captureStdout([&] { mesh = new Mesh3D(path.c_str()); });
    EXPECT_EQ("cannot open model " + path + ": No such file or directory\n", printed);
    render(*mesh);
    EXPECT_TRUE(readAttribute(0, 3).empty());
    glBindVertexArray(0);
    delete mesh;
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    std::string folder = dir.path("");
    printed = captureStdout([&] { Mesh3D::parse(folder.c_str()); });
    EXPECT_EQ("cannot read model " + folder + ": Is a directory\n", printed);

    Uploaded noFaces = upload("v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    EXPECT_TRUE(noFaces.positions.empty());
    EXPECT_TRUE(noFaces.indices.empty());
}
