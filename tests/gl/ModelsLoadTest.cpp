// The committed models load through the engine's OBJ reader silently and completely.
#include "Capture.h"
#include "GLTest.h"
#include "LinkProgram.h"
#include "Mesh3D.h"
#include "models.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

class ModelsLoadTest : public GLTest {};

const int kSize = 64;

// Draws the model moved to its centre and shrunk into the unit cube, white.
const char* kVertex = R"(#version 410 core
layout(location = 0) in vec3 position;
uniform vec3 centre;
uniform float shrink;
void main() { gl_Position = vec4((position - centre) * shrink, 1.0); }
)";
const char* kFragment = R"(#version 410 core
out vec4 colour;
void main() { colour = vec4(1.0); }
)";

modelgen::ObjData read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return modelgen::parseObj(text.str());
}

// Centres the model and shrinks its largest side to 1.8 of the 2 units of clip space.
void frame(GLuint program, const modelgen::ObjData& obj) {
    const modelgen::Box box = modelgen::bounds(obj.positions);
    const modelgen::Vec3 c = box.centre(), size = box.size();
    glUniform3f(glGetUniformLocation(program, "centre"), float(c.x), float(c.y), float(c.z));
    glUniform1f(glGetUniformLocation(program, "shrink"), float(1.8 / std::max({size.x, size.y, size.z})));
}

GLint boundBufferBytes(GLenum binding) {
    GLint name = 0, bytes = 0;
    glGetIntegerv(binding, &name);
    glBindBuffer(GL_COPY_READ_BUFFER, GLuint(name));
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return bytes;
}

} // namespace

TEST_F(ModelsLoadTest, EveryModelLoadsWithoutAMessageAndKeepsAllItsFaces) {
    const GLuint fbo = makeTarget(kSize, kSize);
    const GLuint program = linkProgram(kVertex, kFragment);
    glUseProgram(program);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (const modelgen::Model& model : modelgen::models()) {
        SCOPED_TRACE(model.name);
        const std::string path = std::string("data/models/") + model.name + ".obj";
        const modelgen::ObjData obj = read(path);
        ASSERT_FALSE(obj.faces.empty());
        std::unique_ptr<vexel::Mesh3D> mesh;
        EXPECT_EQ("", captureStdout([&] { mesh = std::make_unique<vexel::Mesh3D>(path.c_str()); }));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        frame(program, obj);
        mesh->draw();
        EXPECT_EQ(GLint(obj.faces.size() * 3 * sizeof(GLuint)), boundBufferBytes(GL_ELEMENT_ARRAY_BUFFER_BINDING));
        const std::vector<std::uint8_t> pixels = readPixels(kSize, kSize);
        int lit = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) lit += pixels[i] == 255;
        EXPECT_GT(lit, kSize * kSize / 20) << "the model draws";
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    }
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glBindVertexArray(0);
    glUseProgram(0);
    glDeleteProgram(program);
    freeTarget(fbo);
}
