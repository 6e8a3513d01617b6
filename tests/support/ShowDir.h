// A working directory to run the show from (made by show-dir.sh): config.txt and data/ as in the
// repository, with a generated tone of the given length as the music, so that the show ends when it does.
#pragma once

#include "Run.h"
#include "TempDir.h"

#include <string>

class ShowDir {
public:
    // The assets are symlinked, or copied when the test will change them.
    explicit ShowDir(double musicSeconds, bool copyAssets = false) {
        RunResult made = runCommand(SKORVANE_SOURCE_DIR "/tests/support/show-dir.sh '" + dir.path("") + "' " +
                                    std::to_string(musicSeconds) + (copyAssets ? " --copy" : ""));
        EXPECT_EQ(0, made.status) << made.output;
    }

    std::string path(const std::string& relative = "") const { return dir.path(relative); }

private:
    TempDir dir;
};
