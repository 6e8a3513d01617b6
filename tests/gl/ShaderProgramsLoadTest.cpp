// The show's five shader programs as config.txt files them: they load without a message, expose
// every uniform the scenes set, and read their vertex inputs at the engine's fixed locations.
#include "Config.h"

#include "Capture.h"
#include "GLTest.h"

#include <map>
#include <string>
#include <vector>

namespace {

// The uniforms each scene sets on each program.
const std::map<std::string, std::vector<const char*>> uniforms = {
    {"title", {"image", "vertical"}},
    {"wireframe", {"pmatrix", "WIRE_COL", "FILL_COL", "WIN_SCALE"}},
    {"simple", {"pmatrix", "image"}},
    {"tinyplanet", {"image", "param1", "param2", "param3", "param4"}},
    {"star", {"pmatrix"}},
};

// What the buffers feeding each program hold at each location: meshes, the screen quad, stars.
const std::map<GLint, GLenum> meshInputs = {{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT_VEC2}};
const std::map<GLint, GLenum> quadInputs = {{0, GL_FLOAT_VEC2}, {1, GL_FLOAT_VEC2}};
const std::map<GLint, GLenum> starInputs = {{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT}, {3, GL_FLOAT}};
const std::map<std::string, const std::map<GLint, GLenum>*> inputs = {
    {"title", &quadInputs}, {"wireframe", &meshInputs}, {"simple", &meshInputs},
    {"tinyplanet", &quadInputs}, {"star", &starInputs},
};

} // namespace

class ShaderProgramsLoadTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        loadMessages = captureStdout([] { config = new vexel::Config("config.txt"); });
    }

    static vexel::Config* config;
    static std::string loadMessages;
};

vexel::Config* ShaderProgramsLoadTest::config = nullptr;
std::string ShaderProgramsLoadTest::loadMessages;

TEST_F(ShaderProgramsLoadTest, ConfigLoadsWithoutAMessage) {
    EXPECT_EQ("", loadMessages);
}

TEST_F(ShaderProgramsLoadTest, EveryProgramLinksWithTheUniformsTheScenesSet) {
    for (const auto& [name, names] : uniforms) {
        GLuint program = config->getShader(name)->getProgramID();
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_TRUE(linked) << name;
        for (const char* uniform : names) EXPECT_NE(-1, glGetUniformLocation(program, uniform)) << name << " " << uniform;
    }
}

TEST_F(ShaderProgramsLoadTest, EveryInputSitsAtAFixedLocationWithItsBufferType) {
    for (const auto& [name, expected] : inputs) {
        GLuint program = config->getShader(name)->getProgramID();
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
        EXPECT_GT(count, 0) << name;
        bool readsPosition = false;
        for (GLint i = 0; i < count; ++i) {
            char attribute[64];
            GLint size = 0;
            GLenum type = 0;
            glGetActiveAttrib(program, GLuint(i), sizeof attribute, nullptr, &size, &type, attribute);
            GLint location = glGetAttribLocation(program, attribute);
            auto slot = expected->find(location);
            ASSERT_NE(expected->end(), slot) << name << ": " << attribute << " at location " << location;
            EXPECT_EQ(slot->second, type) << name << ": " << attribute;
            readsPosition = readsPosition || location == 0;
        }
        EXPECT_TRUE(readsPosition) << name;
    }
}
