#include "ShowDir.h"

#include "Run.h"

ShowDir::ShowDir(double musicSeconds, bool copyAssets) {
    RunResult made = runCommand(SKORVANE_SOURCE_DIR "/tests/support/show-dir.sh '" + dir.path("") + "' " +
                                std::to_string(musicSeconds) + (copyAssets ? " --copy" : ""));
    EXPECT_EQ(0, made.status) << made.output;
}
