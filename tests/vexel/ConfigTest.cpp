// The registry: the config.txt format, and the resources it builds from small files.
#include "Config.h"

#include "Capture.h"
#include "GLTest.h"
#include "Image.h"
#include "TempDir.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* geometrySource = "#version 410 core\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
                             "void main() { for (int i = 0; i < 3; i++) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } }\n";

class ConfigTest : public GLTest {
protected:
    TempDir dir;
    std::string path = dir.path("config.txt");
    std::string output; // what the last load printed

    // Writes a grey PNG `width` pixels wide and returns its path.
    std::string writeImage(const std::string& name, int width) {
        EXPECT_TRUE(savePng(dir.path(name), Image{width, 2, std::vector<std::uint8_t>(width * 8, 128)}));
        return dir.path(name);
    }

    std::unique_ptr<vexel::Config> load(const std::string& text) {
        dir.write("config.txt", text);
        return loadFile(path);
    }

    std::unique_ptr<vexel::Config> loadFile(const std::string& file) {
        std::unique_ptr<vexel::Config> config;
        output = captureStdout([&] { config = std::make_unique<vexel::Config>(file.c_str()); });
        glBindTexture(GL_TEXTURE_2D, 0); // loading leaves the last texture bound
        return config;
    }
};

// Which lines are resource lines. (How such a line is cut into fields, at single spaces with the
// last field running to the line end and a CR before the line feed dropped, the fuzz target checks
// on any text.)
TEST_F(ConfigTest, OtherLinesAreIgnoredSilentlyAndShortOnesReportedWithTheirNumber) {
    auto config = load("file lower x\n"
                       " File lead x\n"
                       "File\tkind x\n"
                       "Files plural x\n"
                       "File kept x\n"
                       "File\n"
                       "File onlyname\n"
                       "Shader s a b c d\n"
                       "Mesh m\r\n");
    std::string expected;
    for (auto [line, kind] : {std::pair(6, "File"), {7, "File"}, {8, "Shader"}, {9, "Mesh"}})
        expected += path + " line " + std::to_string(line) + ": too few fields for " + kind + ", skipped\n";
    EXPECT_EQ(expected, output);
    EXPECT_EQ("x", config->getFile("kept"));
    captureStdout([&] {
        for (const char* name : {"lower", "lead", "kind", "plural", "onlyname"})
            EXPECT_THROW(config->getFile(name), std::out_of_range) << name;
    });
}

// An unreadable file leaves the registry empty; a lookup then names the kind and the name before
// it raises, except for models, which are null.
TEST_F(ConfigTest, AnUnreadableConfigAndUnknownNamesAreReported) {
    std::string missing = dir.path("absent.txt"), folder = dir.path("");
    auto config = loadFile(missing);
    EXPECT_EQ("cannot open " + missing + ": No such file or directory\n", output);
    std::string said = captureStdout([&] {
        EXPECT_THROW(config->getShader("wireframe"), std::out_of_range);
        EXPECT_THROW(config->getTexture("stars"), std::out_of_range);
        EXPECT_THROW(config->getFile("title1"), std::out_of_range);
        EXPECT_EQ(nullptr, config->getModel("turtle"));
    });
    EXPECT_EQ(missing + " files no Shader named \"wireframe\"\n" + missing + " files no Texture named \"stars\"\n" +
                  missing + " files no File named \"title1\"\n",
              said);
    loadFile(folder);
    EXPECT_EQ("cannot read " + folder + ": Is a directory\n", output);
    load("");
    EXPECT_EQ("", output) << "an empty file is no error";
}

// The tessellation paths of a Shader line are never opened; the geometry path is the sixth field.
TEST_F(ConfigTest, EachKindBuildsItsResourceInItsOwnNameSpaceAndALaterLineReplaces) {
    std::string shader = "Shader pic " + dir.write("shader.frag", whiteFragment) + " " +
                         dir.write("shader.vert", positionVertex) + " " + dir.path("absent.tesc") + " " +
                         dir.path("absent.tese") + " " + dir.write("shader.geom", geometrySource);
    std::string square = dir.write("square.obj", "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nf 1 2 3\nf 1 3 4\n");
    auto config = load("Texture pic " + writeImage("first.png", 3) + "\r\nTexture pic " + writeImage("an image.png", 5) +
                       "\r\n" + shader + "\r\nMesh pic " + square + "\r\nMesh pic " +
                       dir.write("triangle.obj", triangleModel) + "\r\nFile pic first\r\nFile pic shared name\r\n");
    EXPECT_EQ("", output);

    GLint width = 0, linked = GL_FALSE, stages = 0, elements = 0;
    glBindTexture(GL_TEXTURE_2D, config->getTexture("pic"));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(5, width) << "the image of the second line";
    GLuint program = config->getShader("pic")->getProgramID();
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &stages);
    EXPECT_TRUE(linked);
    EXPECT_EQ(3, stages) << "fragment, vertex and geometry; a stage given the wrong file fails to compile";
    EXPECT_EQ("shared name", config->getFile("pic"));

    // draw() leaves the mesh's vertex array bound: its index buffer tells which mesh it is.
    ASSERT_NE(nullptr, config->getModel("pic"));
    config->getShader("pic")->use();
    config->getModel("pic")->draw();
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(3u, readBuffer<GLuint>(GLuint(elements)).size()) << "the triangle of the second line";
    glBindVertexArray(0);
    glUseProgram(0);
}

} // namespace
