#include "ShowDir.h"

#include "Run.h"

#include <filesystem>

namespace fs = std::filesystem;

ShowDir::ShowDir(double musicSeconds, bool copyAssets) {
    const fs::path source = SKORVANE_SOURCE_DIR;
    const fs::path root = dir.path("");
    fs::create_directories(root / "data");
    fs::copy_file(source / "config.txt", root / "config.txt");
    for (const char* sub : {"shaders", "images", "models"}) {
        if (copyAssets)
            fs::copy(source / "data" / sub, root / "data" / sub, fs::copy_options::recursive);
        else
            fs::create_directory_symlink(source / "data" / sub, root / "data" / sub);
    }
    RunResult made = runCommand("cd '" + root.string() + "' && sox -q -n -r 44100 -c 2 tone.wav synth " +
                                std::to_string(musicSeconds) +
                                " sine 440 vol 0.2 && lame --quiet -b 128 tone.wav data/velmora.mp3 && rm tone.wav");
    EXPECT_EQ(0, made.status) << made.output;
}
