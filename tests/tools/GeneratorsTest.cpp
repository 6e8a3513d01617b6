// The committed models, images and music are what the generators make now, byte for byte.
#include "Run.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string source = SKORVANE_SOURCE_DIR;

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// Runs the generator into a fresh folder and compares what it wrote with the committed folder.
void expectGenerated(const std::string& generator, const std::string& committed) {
    TempDir dir;
    std::string remake = "build/bin/" + generator + " " + committed;
    RunResult run = runCommand(SKORVANE_BINARY_DIR "/bin/" + generator + " " + dir.path(""));
    ASSERT_EQ(0, run.status) << run.output;
    ASSERT_EQ(namesIn(source + "/" + committed), namesIn(dir.path("")));
    for (const std::string& name : namesIn(dir.path("")))
        EXPECT_TRUE(readFile(dir.path(name)) == readFile(source + "/" + committed + "/" + name))
            << committed << "/" << name << " is not what " << generator << " makes now: run " << remake;
}

} // namespace

TEST(Generators, RemakeTheCommittedModels) { expectGenerated("gen-models", "data/models"); }

TEST(Generators, RemakeTheCommittedImages) { expectGenerated("gen-images", "data/images"); }

TEST(Generators, RemakeTheCommittedIcons) { expectGenerated("gen-images --icons", "tools/package/icons"); }

TEST(Generators, RemakeTheCommittedMusic) {
    TempDir dir;
    RunResult run = runCommand(SKORVANE_BINARY_DIR "/bin/gen-music " + dir.path("velmora.mp3"));
    ASSERT_EQ(0, run.status) << run.output;
    EXPECT_TRUE(readFile(dir.path("velmora.mp3")) == readFile(source + "/data/velmora.mp3"))
        << "data/velmora.mp3 is not what gen-music makes now: run build/bin/gen-music data/velmora.mp3";
}
