// The committed models load through the engine's OBJ reader silently and completely: every
// corner's attributes, read back from the GPU, are those the generator's own reader finds.
#include "Capture.h"
#include "GLTest.h"
#include "GLTest.h"
#include "Mesh3D.h"
#include "models.h"

#include <fstream>
#include <memory>
#include <sstream>

namespace {

class ModelsLoadTest : public GLTest {};

const char* kVertex = "#version 410 core\nvoid main() { gl_Position = vec4(0.0); }\n";
const char* kFragment = "#version 410 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";

modelgen::ObjData read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return modelgen::parseObj(text.str());
}

template <typename T> std::vector<T> bufferContents(GLint name) {
    GLint bytes = 0;
    glBindBuffer(GL_COPY_READ_BUFFER, GLuint(name));
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<T> data(std::size_t(bytes) / sizeof(T));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, bytes, data.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return data;
}

std::vector<float> attribute(GLuint location) {
    GLint name = 0;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &name);
    return bufferContents<float>(name);
}

// Attributes 0, 1 and 2 hold the position, normal and texture coordinate of every corner, in face order.
void expectCorners(const modelgen::ObjData& obj) {
    std::vector<float> lists[3];
    auto add = [&](int list, std::initializer_list<double> values) {
        for (double value : values) lists[list].push_back(float(value));
    };
    for (const auto& face : obj.faces)
        for (const auto& c : face) {
            const modelgen::Vec3 p = obj.positions[std::size_t(c[0])], n = obj.normals[std::size_t(c[2])];
            add(0, {p.x, p.y, p.z});
            add(1, {n.x, n.y, n.z});
            add(2, {obj.uvs[std::size_t(c[1])].u, obj.uvs[std::size_t(c[1])].v});
        }
    for (GLuint location : {0u, 1u, 2u}) EXPECT_TRUE(lists[location] == attribute(location)) << "attribute " << location;
}

} // namespace

TEST_F(ModelsLoadTest, EveryModelLoadsWithoutAMessageAndKeepsEveryCorner) {
    const GLuint program = linkProgram(kVertex, kFragment);
    glUseProgram(program);
    for (const modelgen::Model& model : modelgen::models()) {
        SCOPED_TRACE(model.name);
        const std::string path = std::string("data/models/") + model.name + ".obj";
        const modelgen::ObjData obj = read(path);
        ASSERT_FALSE(obj.faces.empty());
        std::unique_ptr<vexel::Mesh3D> mesh;
        EXPECT_EQ("", captureStdout([&] { mesh = std::make_unique<vexel::Mesh3D>(path.c_str()); }));
        mesh->draw(); // binds its vertex array
        GLint elements = 0;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        EXPECT_EQ(obj.faces.size() * 3, bufferContents<GLuint>(elements).size());
        expectCorners(obj);
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    }
    glBindVertexArray(0);
    glUseProgram(0);
    glDeleteProgram(program);
}
