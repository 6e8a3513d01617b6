// The tools as built, skorvane-capture run from the repository, and the frames it draws loaded back.
#pragma once

#include "CaptureOptions.h"
#include "Image.h"
#include "Run.h"

#include <string>
#include <vector>

inline const std::string captureTool = SKORVANE_BINARY_DIR "/bin/skorvane-capture";
inline const std::string previewTool = SKORVANE_BINARY_DIR "/bin/skorvane-preview";

// Runs skorvane-capture in the repository with `arguments`, `environment` set for it.
inline RunResult runCapture(const std::string& arguments, const std::string& environment = "") {
    return runCommand("cd " SKORVANE_SOURCE_DIR " && " + environment + " " + captureTool + " " + arguments);
}

// Draws the frames at `times` at `size` in one run, saved as `out` or, for several times, under
// names made from it, and loads them in the order given.
inline std::vector<Image> captureFrames(const std::string& out, const std::string& size,
                                        const std::vector<double>& times, const std::string& environment = "") {
    std::string arguments = "--size " + size + " --out " + out;
    for (double t : times) arguments += " --time " + std::to_string(t);
    RunResult run = runCapture(arguments, environment);
    EXPECT_EQ(0, run.status) << arguments << "\n" << run.output;
    std::vector<Image> frames;
    for (double t : times) frames.push_back(loadPng(times.size() > 1 ? framePath(out, t, true) : out));
    return frames;
}
