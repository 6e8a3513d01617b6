#include "Capture.h"
#include "GLTest.h"
#include "Mesh3D.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using vexel::Mesh3D;

namespace {

const int SIZE = 16;

// What the mesh's vertex array holds on the GPU, read back after a draw.
struct Uploaded {
    std::vector<float> positions, normals, texcoords;
    std::vector<GLuint> indices;
    std::string printed;
};

template <typename T> std::vector<T> readBuffer(GLuint name) {
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

std::vector<float> readAttribute(GLuint location, GLint components) {
    GLint name = 0, enabled = 0, size = 0, type = 0, stride = -1, normalized = -1;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &name);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalized);
    EXPECT_NE(0, name) << "attribute " << location;
    EXPECT_EQ(1, enabled) << "attribute " << location;
    EXPECT_EQ(components, size) << "attribute " << location;
    EXPECT_EQ(GL_FLOAT, type) << "attribute " << location;
    EXPECT_EQ(0, stride) << "attribute " << location;
    EXPECT_EQ(0, normalized) << "attribute " << location;
    return readBuffer<float>(GLuint(name));
}

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_EQ(GL_TRUE, ok);
    return shader;
}

// Colours each fragment with normal + (u, v, 0), so that a pixel shows both attributes.
GLuint attributeProgram() {
    GLuint vertex = compile(GL_VERTEX_SHADER, R"(#version 410 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;
out vec3 colour;
void main() {
    colour = normal + vec3(texcoord, 0.0);
    gl_Position = vec4(position, 1.0);
})");
    GLuint fragment = compile(GL_FRAGMENT_SHADER, R"(#version 410 core
in vec3 colour;
out vec4 pixel;
void main() { pixel = vec4(colour, 1.0); })");
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    EXPECT_EQ(GL_TRUE, ok);
    return program;
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; i++) out += text;
    return out;
}

const std::string TRIANGLE = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

} // namespace

class Mesh3DTest : public GLTest {
protected:
    std::filesystem::path dir;
    GLuint fbo = 0;
    GLuint program = 0;

    void SetUp() override {
        char pattern[] = "/tmp/skorvane-mesh-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        fbo = makeTarget(SIZE, SIZE);
        program = attributeProgram();
    }

    void TearDown() override {
        glDeleteProgram(program);
        freeTarget(fbo);
        std::filesystem::remove_all(dir);
    }

    std::string write(const std::string& text, const std::string& name = "model.obj") {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Clears the target and draws the mesh with the attribute program; draw() leaves its
    // vertex array bound, which is how the uploaded buffers are found.
    GLuint render(Mesh3D& mesh) {
        glBindVertexArray(0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(program);
        mesh.draw();
        glUseProgram(0);
        GLint bound = 0;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
        return GLuint(bound);
    }

    Uploaded upload(const std::string& text) {
        std::string path = write(text);
        Uploaded out;
        Mesh3D* mesh = nullptr;
        out.printed = captureStdout([&] { mesh = new Mesh3D(path.c_str()); });
        GLint bound = -1;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
        EXPECT_EQ(0, bound) << "the constructor unbinds its vertex array";
        EXPECT_NE(0u, render(*mesh));
        out.positions = readAttribute(0, 3);
        out.normals = readAttribute(1, 3);
        out.texcoords = readAttribute(2, 2);
        GLint elements = 0;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        out.indices = readBuffer<GLuint>(GLuint(elements));
        glBindVertexArray(0);
        delete mesh;
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
        return out;
    }
};

TEST_F(Mesh3DTest, TriangleUploadsPositionsAndZeroAttributes) {
    Uploaded mesh = upload(TRIANGLE);
    EXPECT_EQ((std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}), mesh.positions);
    EXPECT_EQ(std::vector<float>(9, 0.0f), mesh.normals) << "no vn lines: zeros";
    EXPECT_EQ(std::vector<float>(6, 0.0f), mesh.texcoords) << "no vt lines: zeros";
    EXPECT_EQ((std::vector<GLuint>{0, 1, 2}), mesh.indices);
    EXPECT_EQ("", mesh.printed);
}

TEST_F(Mesh3DTest, EveryCornerBecomesAVertex) {
    std::string square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    Uploaded polygon = upload(square + "f 1 2 3 4\n");
    EXPECT_EQ((std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0}), polygon.positions) << "first three corners only";
    EXPECT_EQ((std::vector<GLuint>{0, 1, 2}), polygon.indices);

    Uploaded shared = upload(square + "f 1 2 3\nf 3 4 1\n");
    EXPECT_EQ((std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0}), shared.positions);
    EXPECT_EQ((std::vector<GLuint>{0, 1, 2, 3, 4, 5}), shared.indices);

    Uploaded facesFirst = upload("f 3 2 1\n" + TRIANGLE);
    EXPECT_EQ((std::vector<float>{0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0}), facesFirst.positions)
        << "a face may name positions listed after it";
}

TEST_F(Mesh3DTest, CornerAttributesFollowTheirOwnIndices) {
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                       "vt 0.1 0.2 0.9\nvt 0.3 0.4\nvt 0.5 0.6\n"
                       "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n"
                       "f 1/3/2 2/1/3 3/2/1\n";
    Uploaded mesh = upload(text);
    EXPECT_EQ((std::vector<float>{0.5f, 0.6f, 0.1f, 0.2f, 0.3f, 0.4f}), mesh.texcoords)
        << "a third texture number is ignored";
    EXPECT_EQ((std::vector<float>{0, 1, 0, 0, 0, 1, 1, 0, 0}), mesh.normals);
}

TEST_F(Mesh3DTest, CornersWithoutAnAttributeIndexGetZeros) {
    std::string lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 1 0\nvt 0.25 0.75\n";
    Uploaded normalsOnly = upload(lists + "f 1//1 2//2 3//1\n");
    EXPECT_EQ((std::vector<float>{0, 0, 1, 0, 1, 0, 0, 0, 1}), normalsOnly.normals);
    EXPECT_EQ(std::vector<float>(6, 0.0f), normalsOnly.texcoords);

    Uploaded mixed = upload(lists + "f 1/1/2 2 3/1\n");
    EXPECT_EQ((std::vector<float>{0, 1, 0, 0, 0, 0, 0, 0, 0}), mixed.normals);
    EXPECT_EQ((std::vector<float>{0.25f, 0.75f, 0, 0, 0.25f, 0.75f}), mixed.texcoords);
    EXPECT_EQ("", mixed.printed);
}

TEST_F(Mesh3DTest, OtherLinesChangeNothing) {
    Uploaded plain = upload(TRIANGLE);
    Uploaded decorated = upload("# a comment\nmtllib scene.mtl\no Thing\ng part\ns 1\nusemtl red\n"
                                "vp 0.5 0.5\n\nv 0 0 0\n# v 9 9 9\nv 1 0 0\nv 0 1 0\nvx 7 7 7\n"
                                "f 1 2 3\nfo 1 2 3\nl 1 2\n");
    EXPECT_EQ(plain.positions, decorated.positions);
    EXPECT_EQ(plain.indices, decorated.indices);
    EXPECT_EQ("", decorated.printed);
}

TEST_F(Mesh3DTest, LongLinesAreReadWhole) {
    std::string comment = "#" + repeat(" a long remark", 400) + "\n";
    std::string padded = "v 0 0 0" + repeat(" ", 300) + "\n";
    std::string longFace = "f 3 2 1" + repeat(" 9", 200) + "\n";
    Uploaded mesh = upload(comment + padded + "v 1 0 0\nv 0 1 0\n" + longFace + "f 1 2 3\n");
    EXPECT_EQ((std::vector<float>{0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0}), mesh.positions);
    EXPECT_EQ(6u, mesh.indices.size());
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
    std::string path = write(text);
    Uploaded mesh = upload(text);
    EXPECT_EQ("bad faces in model " + path + ": 8 skipped, the first on line 7\n", mesh.printed);
    EXPECT_EQ((std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}), mesh.positions);
}

TEST_F(Mesh3DTest, UnreadableFileIsReportedAndDrawsNothing) {
    std::string path = (dir / "absent.obj").string();
    Mesh3D* mesh = nullptr;
    std::string printed = captureStdout([&] { mesh = new Mesh3D(path.c_str()); });
    EXPECT_EQ("cannot open model " + path + ": No such file or directory\n", printed);
    render(*mesh);
    EXPECT_TRUE(readAttribute(0, 3).empty());
    glBindVertexArray(0);
    delete mesh;
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    std::string folder = dir.string();
    printed = captureStdout([&] { Mesh3D::parse(folder.c_str()); });
    EXPECT_EQ("cannot read model " + folder + ": Is a directory\n", printed);

    Uploaded noFaces = upload("v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    EXPECT_TRUE(noFaces.positions.empty());
    EXPECT_TRUE(noFaces.indices.empty());
}

// A tab is not a separator: "v\t..." and "f\t..." are not classified, and "1\t2" is one number.
TEST_F(Mesh3DTest, TabsDoNotSeparate) {
    Uploaded mesh = upload("v\t5 5 5\nv 1\t2 3 4\nv 1 0 0\nv 0 1 0\nf\t1 2 3\nf 1 2 3\n");
    EXPECT_EQ((std::vector<float>{1, 3, 4, 1, 0, 0, 0, 1, 0}), mesh.positions);
}

TEST_F(Mesh3DTest, CarriageReturnLineEndsReadAlike) {
    // The second face ends in an empty normal piece, which a stray '\r' would turn into index 0.
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.25\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\nf 1/1/ 2/1/ 3/1/\n";
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Uploaded lf = upload(text);
    Uploaded dos = upload(crlf);
    EXPECT_EQ(lf.positions, dos.positions);
    EXPECT_EQ(lf.normals, dos.normals);
    EXPECT_EQ(lf.texcoords, dos.texcoords);
    EXPECT_EQ(6u, dos.indices.size());
    EXPECT_EQ("", dos.printed);
}

TEST_F(Mesh3DTest, DrawRendersTheTriangle) {
    // The lower-left half of the target, coloured normal (0, 1, 0) + texcoord (1, 0).
    std::string path = write("v -1 -1 0\nv 1 -1 0\nv -1 1 0\nvn 0 1 0\nvt 1 0\nf 1/1/1 2/1/1 3/1/1\n");
    Mesh3D mesh(path.c_str());
    GLint before = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &before);
    EXPECT_NE(0u, render(mesh));
    GLint after = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &after);
    EXPECT_EQ(before, after) << "draw touches only the vertex array binding";
    std::vector<std::uint8_t> pixels = readPixels(SIZE, SIZE);
    auto at = [&](int x, int y) { return std::vector<int>(&pixels[4 * (y * SIZE + x)], &pixels[4 * (y * SIZE + x) + 4]); };
    EXPECT_EQ((std::vector<int>{255, 255, 0, 255}), at(2, 2));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 255}), at(13, 13));
    glBindVertexArray(0);
}
