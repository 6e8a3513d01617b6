// Shared GL context for the GL test suites: one hidden SDL window with a 4.1 core
// context per test process. Tests render into their own framebuffers for read-back.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();

    // Creates an RGBA8 colour + depth framebuffer of the given size, binds it and sets the viewport.
    static GLuint makeTarget(int width, int height);
    // Deletes a framebuffer made by makeTarget (and its attachments) and binds the default one.
    static void freeTarget(GLuint fbo);
    // Reads the RGBA pixels of the bound read framebuffer, bottom row first.
    static std::vector<std::uint8_t> readPixels(int width, int height);
};
