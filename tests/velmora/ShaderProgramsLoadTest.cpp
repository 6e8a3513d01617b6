// The show's five shader programs as config.txt files them: they load without a message, expose
// every uniform the scenes set, and read their vertex inputs at the engine's fixed locations.
#include "Config.h"

#include "Capture.h"
#include "GLTest.h"

#include <map>
#include <string>
#include <vector>

namespace {

class ShaderProgramsLoadTest : public GLTest {};

// What the buffers feeding each program hold at each location: meshes, the screen quad, stars.
using Inputs = std::map<GLint, GLenum>;
const Inputs meshInputs = {{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT_VEC2}};
const Inputs quadInputs = {{0, GL_FLOAT_VEC2}, {1, GL_FLOAT_VEC2}};
const Inputs starInputs = {{0, GL_FLOAT_VEC3}, {1, GL_FLOAT_VEC3}, {2, GL_FLOAT}, {3, GL_FLOAT}};

// Each program with the uniforms the scenes set on it and the inputs it is fed.
struct Expected {
    const char* name;
    std::vector<const char*> uniforms;
    const Inputs& inputs;
};
const Expected programs[] = {
    {"title", {"image", "vertical"}, quadInputs},
    {"wireframe", {"pmatrix", "WIRE_COL", "FILL_COL", "WIN_SCALE"}, meshInputs},
    {"simple", {"pmatrix", "image"}, meshInputs},
    {"tinyplanet", {"image", "param1", "param2", "param3", "param4"}, quadInputs},
    {"star", {"pmatrix"}, starInputs},
};

} // namespace

TEST_F(ShaderProgramsLoadTest, EveryProgramLinksWithItsUniformsAndInputsAtFixedLocations) {
    vexel::Config* config = nullptr; // lives until the process exits, like the show's
    EXPECT_EQ("", captureStdout([&] { config = new vexel::Config("config.txt"); }));
    for (const Expected& expected : programs) {
        SCOPED_TRACE(expected.name);
        GLuint program = config->getShader(expected.name)->getProgramID();
        GLint linked = GL_FALSE, count = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_TRUE(linked);
        for (const char* uniform : expected.uniforms) EXPECT_NE(-1, glGetUniformLocation(program, uniform)) << uniform;
        glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
        bool readsPosition = false;
        for (GLint i = 0; i < count; ++i) {
            char attribute[64];
            GLint size = 0;
            GLenum type = 0;
            glGetActiveAttrib(program, GLuint(i), sizeof attribute, nullptr, &size, &type, attribute);
            GLint location = glGetAttribLocation(program, attribute);
            auto slot = expected.inputs.find(location);
            ASSERT_NE(expected.inputs.end(), slot) << attribute << " at location " << location;
            EXPECT_EQ(slot->second, type) << attribute;
            readsPosition = readsPosition || location == 0;
        }
        EXPECT_TRUE(readsPosition);
    }
}
