// The config.txt format, exercised with "File" lines, which need no GL context.
#include "../gl/TempDir.h"
#include "Capture.h"
#include "Config.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

class ConfigParseTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.path("config.txt");
    std::string output;

    // Writes `text` as the config file and loads it, keeping what loading printed in `output`.
    std::unique_ptr<vexel::Config> load(const std::string& text) {
        dir.write("config.txt", text);
        return loadFile(path);
    }

    std::unique_ptr<vexel::Config> loadFile(const std::string& file) {
        std::unique_ptr<vexel::Config> config;
        output = captureStdout([&] { config = std::make_unique<vexel::Config>(file.c_str()); });
        return config;
    }

    void expectUnknownFile(vexel::Config& config, const std::string& name) {
        std::string said = captureStdout([&] { EXPECT_THROW(config.getFile(name), std::out_of_range) << name; });
        EXPECT_EQ(path + " files no File named \"" + name + "\"\n", said);
    }
};

TEST_F(ConfigParseTest, FieldsEndAtSingleSpacesAndTheLastRunsToTheLineEnd) {
    auto config = load("File spaced a path with spaces\n"
                       "File trailing value \n"
                       "File  nameless\n"
                       "File empty \n"
                       "File tabbed a\tb\n"
                       "File cr x\ry\n"
                       "File last no line feed");
    EXPECT_EQ("", output);
    EXPECT_EQ("a path with spaces", config->getFile("spaced"));
    EXPECT_EQ("value ", config->getFile("trailing"));
    EXPECT_EQ("nameless", config->getFile(""));
    EXPECT_EQ("", config->getFile("empty"));
    EXPECT_EQ("a\tb", config->getFile("tabbed"));
    EXPECT_EQ("x\ry", config->getFile("cr"));
    EXPECT_EQ("no line feed", config->getFile("last"));
}

TEST_F(ConfigParseTest, LinesOfOtherKindsAreIgnoredSilently) {
    auto config = load("file lower x\n"
                       " File lead x\n"
                       "File\tkind x\n"
                       "# File hash x\n"
                       "\n"
                       "Files plural x\n"
                       "File kept x\n");
    EXPECT_EQ("", output);
    EXPECT_EQ("x", config->getFile("kept"));
    for (const char* name : {"lower", "lead", "kind", "hash", "plural"}) expectUnknownFile(*config, name);
}

TEST_F(ConfigParseTest, CarriageReturnLineEndsAreStripped) {
    auto config = load("File a one\r\nFile b two \r\nFile c three\r");
    EXPECT_EQ("", output);
    EXPECT_EQ("one", config->getFile("a"));
    EXPECT_EQ("two ", config->getFile("b"));
    EXPECT_EQ("three", config->getFile("c"));
}

TEST_F(ConfigParseTest, ALaterLineReplacesAnEarlierOneOfTheSameName) {
    auto config = load("File a first\nFile b other\nFile a second\n");
    EXPECT_EQ("second", config->getFile("a"));
    EXPECT_EQ("other", config->getFile("b"));
}

TEST_F(ConfigParseTest, ShortLinesAreReportedWithTheirNumberAndSkipped) {
    auto config = load("File\n"
                       "File onlyname\n"
                       "File ok fine\n"
                       "Shader s a b c d\n"
                       "Texture t\r\n"
                       "Mesh\n");
    EXPECT_EQ(path + " line 1: too few fields for File, skipped\n" +
              path + " line 2: too few fields for File, skipped\n" +
              path + " line 4: too few fields for Shader, skipped\n" +
              path + " line 5: too few fields for Texture, skipped\n" +
              path + " line 6: too few fields for Mesh, skipped\n",
              output);
    EXPECT_EQ("fine", config->getFile("ok"));
    expectUnknownFile(*config, "onlyname");
}

TEST_F(ConfigParseTest, UnknownNamesAreReportedByKindBeforeRaising) {
    auto config = load("");
    EXPECT_EQ("", output);
    expectUnknownFile(*config, "title1");
    std::string said = captureStdout([&] {
        EXPECT_THROW(config->getShader("wireframe"), std::out_of_range);
        EXPECT_THROW(config->getTexture("stars"), std::out_of_range);
    });
    EXPECT_EQ(path + " files no Shader named \"wireframe\"\n" + path + " files no Texture named \"stars\"\n", said);
}

TEST_F(ConfigParseTest, UnknownModelsAreNullEveryTimeWithoutAMessage) {
    auto config = load("File turtle not a model\n");
    std::string said = captureStdout([&] {
        EXPECT_EQ(nullptr, config->getModel("turtle"));
        EXPECT_EQ(nullptr, config->getModel("turtle"));
    });
    EXPECT_EQ("", said);
}

TEST_F(ConfigParseTest, AnUnreadableConfigIsReportedByItsPath) {
    std::string missing = dir.path("absent.txt");
    auto config = loadFile(missing);
    EXPECT_EQ("cannot open " + missing + ": No such file or directory\n", output);
    captureStdout([&] { EXPECT_THROW(config->getFile("a"), std::out_of_range); });

    std::string folder = dir.path("");
    loadFile(folder);
    EXPECT_EQ("cannot read " + folder + ": Is a directory\n", output);
}

} // namespace
