// The whole show under the driver's error reports: loading config.txt, then frames through every
// scene a second apart, the star stream advancing as it does live.
#include "velmora.h"

#include "GLTest.h"

#include <string>

namespace {

class GLErrorTest : public GLTest {};

std::string reported;

void GLAPIENTRY collect(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*) {
    if (type == GL_DEBUG_TYPE_ERROR) reported += std::string(message) + "\n";
}

// What the driver reported since the last call, then the error flags it still holds.
std::string raisedErrors() {
    std::string text;
    text.swap(reported);
    // A lost context keeps returning its error: stop after a few.
    GLenum error = GL_NO_ERROR;
    for (int i = 0; i < 8 && (error = glGetError()) != GL_NO_ERROR; i++) text += "glGetError " + std::to_string(error) + "\n";
    return text;
}

} // namespace

// The scenes draw into framebuffer 0, the fixture's hidden window.
TEST_F(GLErrorTest, LoadingAndEveryFrameOfTheShowRaiseNoError) {
    raisedErrors();
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(collect, nullptr);
    Velmora* demo = new Velmora(320, 180); // lives until the process exits, like the show's
    demo->init();
    EXPECT_EQ("", raisedErrors()) << "loading config.txt";
    for (int ms = 500; ms < 100000; ms += 1000) {
        demo->show(ms / 1000.0);
        std::string errors = raisedErrors();
        ASSERT_EQ("", errors) << "the frame at " << ms / 1000.0 << " s";
    }
    glDebugMessageCallback(nullptr, nullptr);
    glDisable(GL_DEBUG_OUTPUT);
}
