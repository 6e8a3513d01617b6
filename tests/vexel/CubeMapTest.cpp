// The cube-map target's report of a framebuffer the driver finds incomplete. How its faces are drawn
// and sampled, the tiny planet's test shows pixel by pixel.
#include "CubeMap.h"

#include "Capture.h"
#include "GLTest.h"

#include <string>

TEST_F(GLTest, CubeMapReportsAnIncompleteTargetWithItsStatusAndUnbindsIt) {
    // Faces of size 0 have no image, so the colour attachment is incomplete.
    EXPECT_EQ("CubeMap not complete " + std::to_string(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT) + "\n",
              captureStdout([] { vexel::CubeMap target(0, 64, 64); }));
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(0, framebuffer);
}
