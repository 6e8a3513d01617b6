// The registry building real resources from small files: textures, programs and meshes.
#include "Capture.h"
#include "Config.h"
#include "GLTest.h"
#include "TempDir.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* fragmentSource = "#version 410 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";
const char* vertexSource =
    "#version 410 core\nlayout(location = 0) in vec3 position;\nvoid main() { gl_Position = vec4(position, 1.0); }\n";
const char* geometrySource = R"(#version 410 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
void main() { for (int i = 0; i < 3; i++) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } }
)";

const char* triangleModel = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

GLint textureWidth(GLuint texture) {
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glBindTexture(GL_TEXTURE_2D, 0);
    return width;
}

std::vector<GLint> attachedStages(GLuint program) {
    GLuint shaders[8];
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, shaders);
    std::vector<GLint> stages(count);
    for (GLsizei i = 0; i < count; i++) glGetShaderiv(shaders[i], GL_SHADER_TYPE, &stages[i]);
    return stages;
}

class ConfigTest : public GLTest {
protected:
    TempDir dir;
    std::string output;

    void SetUp() override {
        dir.write("shader.frag", fragmentSource);
        dir.write("shader.vert", vertexSource);
        dir.write("shader.geom", geometrySource);
        dir.write("triangle.obj", triangleModel);
    }

    // Writes a grey PNG `width` pixels wide and returns its path.
    std::string writeImage(const std::string& name, int width) {
        std::vector<std::uint8_t> pixels(width * 2, 128);
        std::string path = dir.path(name);
        EXPECT_TRUE(stbi_write_png(path.c_str(), width, 2, 1, pixels.data(), width));
        return path;
    }

    // "Shader <name> <frag> <vert> <tc> <te> <geom>" with the tessellation paths naming no file.
    std::string shaderLine(const std::string& name, const std::string& fragment = "shader.frag") {
        return "Shader " + name + " " + dir.path(fragment) + " " + dir.path("shader.vert") + " " +
               dir.path("absent.tesc") + " " + dir.path("absent.tese") + " " + dir.path("shader.geom");
    }

    std::unique_ptr<vexel::Config> load(const std::string& text) {
        std::string path = dir.write("config.txt", text);
        std::unique_ptr<vexel::Config> config;
        output = captureStdout([&] { config = std::make_unique<vexel::Config>(path.c_str()); });
        glBindTexture(GL_TEXTURE_2D, 0); // loading leaves the last texture bound
        return config;
    }
};

TEST_F(ConfigTest, EachKindBuildsItsResourceInItsOwnNameSpace) {
    std::string image = writeImage("an image.png", 3);
    auto config = load("Texture pic " + image + "\r\n" + shaderLine("pic") + "\r\n" + "Mesh pic " +
                       dir.path("triangle.obj") + "\r\n" + "File pic shared name\r\n");
    EXPECT_EQ("", output) << "the tessellation paths are never opened";

    EXPECT_EQ(3, textureWidth(config->getTexture("pic")));
    GLuint program = config->getShader("pic")->getProgramID();
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    EXPECT_EQ(std::vector<GLint>({GL_FRAGMENT_SHADER, GL_VERTEX_SHADER, GL_GEOMETRY_SHADER}), attachedStages(program));
    EXPECT_NE(nullptr, config->getModel("pic"));
    EXPECT_EQ("shared name", config->getFile("pic"));
}

TEST_F(ConfigTest, ALaterTextureOrMeshLineReplacesTheEarlierOne) {
    dir.write("square.obj", "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nf 1 2 3\nf 1 3 4\n");
    auto config = load("Texture t " + writeImage("first.png", 3) + "\nTexture t " + writeImage("second.png", 5) +
                       "\n" + shaderLine("white") + "\nMesh m " + dir.path("triangle.obj") + "\nMesh m " +
                       dir.path("square.obj") + "\n");
    EXPECT_EQ(5, textureWidth(config->getTexture("t")));
    ASSERT_NE(nullptr, config->getModel("m"));

    // draw() leaves the mesh's vertex array bound: its index buffer tells which mesh it is.
    config->getShader("white")->use();
    config->getModel("m")->draw();
    GLint elements = 0, bytes = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    glBindBuffer(GL_COPY_READ_BUFFER, GLuint(elements));
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(GLint(6 * sizeof(GLuint)), bytes) << "the square of the second line";
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

TEST_F(ConfigTest, FailedResourcesAreReportedInFileOrderAndStillFiled) {
    std::string image = writeImage("image.png", 3);
    dir.write("broken.frag", "#version 410 core\nvoid main() { broken }\n");
    auto config = load("Texture spaced " + image + " \n" + shaderLine("broken", "broken.frag") + "\n");

    EXPECT_EQ(0u, output.find("cannot load texture " + image + " : ")) << output;
    EXPECT_NE(std::string::npos, output.find("\nShader error\n#version 410 core\nvoid main() { broken }\n"));
    EXPECT_NE(std::string::npos, output.find("\nLink error\n"));
    EXPECT_NE(0u, config->getTexture("spaced"));
    EXPECT_NE(nullptr, config->getShader("broken"));
}

} // namespace
