// The config.txt format, exercised with "File" lines, which need no GL context.
#include "TempDir.h"
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

// Fields end at single spaces, the last runs to the line end; a CR before a line feed is
// dropped; a later line replaces an earlier one of the same name.
TEST_F(ConfigParseTest, FieldsCarriageReturnsAndRepeatedNames) {
    auto config = load("File spaced a path with spaces\n"
                       "File trailing value \n"
                       "File  nameless\n"
                       "File empty \n"
                       "File tabbed a\tb\n"
                       "File cr x\ry\r\n"
                       "File dos two \r\n"
                       "File again first\n"
                       "File again second\n"
                       "File last no line feed\r");
    EXPECT_EQ("", output);
    const std::pair<const char*, const char*> expected[] = {
        {"spaced", "a path with spaces"}, {"trailing", "value "}, {"", "nameless"}, {"empty", ""}, {"tabbed", "a\tb"},
        {"cr", "x\ry"}, {"dos", "two "}, {"again", "second"}, {"last", "no line feed"}};
    for (const auto& [name, value] : expected) EXPECT_EQ(value, config->getFile(name)) << name;
}

TEST_F(ConfigParseTest, OtherLinesAreIgnoredSilentlyAndShortOnesReportedWithTheirNumber) {
    auto config = load("file lower x\n"
                       " File lead x\n"
                       "File\tkind x\n"
                       "# File hash x\n"
                       "\n"
                       "Files plural x\n"
                       "File kept x\n"
                       "File\n"
                       "File onlyname\n"
                       "Shader s a b c d\n"
                       "Texture t\r\n"
                       "Mesh\n");
    std::string expected;
    for (auto [line, kind] : {std::pair(8, "File"), {9, "File"}, {10, "Shader"}, {11, "Texture"}, {12, "Mesh"}})
        expected += path + " line " + std::to_string(line) + ": too few fields for " + kind + ", skipped\n";
    EXPECT_EQ(expected, output);
    EXPECT_EQ("x", config->getFile("kept"));
    for (const char* name : {"lower", "lead", "kind", "hash", "plural", "onlyname"}) expectUnknownFile(*config, name);
}

TEST_F(ConfigParseTest, UnknownNamesAreReportedByKindBeforeRaisingExceptModels) {
    auto config = load("File turtle not a model\n");
    std::string said = captureStdout([&] {
        EXPECT_THROW(config->getShader("wireframe"), std::out_of_range);
        EXPECT_THROW(config->getTexture("stars"), std::out_of_range);
        EXPECT_EQ(nullptr, config->getModel("turtle"));
        EXPECT_EQ(nullptr, config->getModel("turtle"));
    });
    EXPECT_EQ(path + " files no Shader named \"wireframe\"\n" + path + " files no Texture named \"stars\"\n", said);
    expectUnknownFile(*config, "title1");
}

TEST_F(ConfigParseTest, AnUnreadableConfigIsReportedByItsPath) {
    std::string missing = dir.path("absent.txt");
    auto config = loadFile(missing);
    EXPECT_EQ("cannot open " + missing + ": No such file or directory\n", output);
    captureStdout([&] { EXPECT_THROW(config->getFile("a"), std::out_of_range); });

    std::string folder = dir.path("");
    loadFile(folder);
    EXPECT_EQ("cannot read " + folder + ": Is a directory\n", output);
    load("");
    EXPECT_EQ("", output) << "an empty file is no error";
}

} // namespace
