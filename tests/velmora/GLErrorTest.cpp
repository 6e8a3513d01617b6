// Loading config.txt and one frame of every scene, with the driver's error reports collected.
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
TEST_F(GLErrorTest, LoadingAndAFrameOfEverySceneRaiseNoError) {
    raisedErrors();
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(collect, nullptr);
    Velmora* demo = new Velmora(640, 360); // lives until the process exits, like the show's
    demo->init();
    EXPECT_EQ("", raisedErrors()) << "loading config.txt";
    for (double time : {3.0, 9.0, 20.0, 50.0, 62.0, 85.0}) {
        demo->show(time);
        EXPECT_EQ("", raisedErrors()) << "the frame at " << time << " s";
    }
    glDebugMessageCallback(nullptr, nullptr);
    glDisable(GL_DEBUG_OUTPUT);
}
