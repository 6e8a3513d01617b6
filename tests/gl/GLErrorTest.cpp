// Loading config.txt and one frame of every scene, with the driver's error reports collected.
#include "velmora.h"

#include "GLTest.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> reported;

void GLAPIENTRY collect(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*) {
    if (type == GL_DEBUG_TYPE_ERROR) reported.push_back(message);
}

// What the driver reported since the last call, then the error flags it still holds.
std::string raisedErrors() {
    std::string text;
    for (const std::string& message : reported) text += message + "\n";
    reported.clear();
    // A lost context keeps returning its error: stop after a few.
    for (int i = 0; i < 8; i++) {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        char code[32];
        std::snprintf(code, sizeof code, "glGetError 0x%04x\n", error);
        text += code;
    }
    return text;
}

} // namespace

class GLErrorTest : public GLTest {
protected:
    void SetUp() override {
        raisedErrors();
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(collect, nullptr);
    }

    void TearDown() override {
        glDebugMessageCallback(nullptr, nullptr);
        glDisable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDisable(GL_DEBUG_OUTPUT);
    }
};

// The scenes draw into framebuffer 0, the fixture's hidden window.
TEST_F(GLErrorTest, LoadingAndAFrameOfEverySceneRaiseNoError) {
    Velmora* demo = new Velmora(640, 360); // lives until the process exits, like the show's
    demo->init();
    EXPECT_EQ("", raisedErrors()) << "loading config.txt";
    for (double time : {3.0, 9.0, 20.0, 50.0, 62.0, 85.0}) {
        demo->show(time);
        EXPECT_EQ("", raisedErrors()) << "the frame at " << time << " s";
    }
}
