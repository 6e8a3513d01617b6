// config.txt and the shader sources it names: every key the show fetches is filed, in the order
// the registry should build them, at paths that exist; every stage passes the reference GLSL
// validator as version 410 core.
#include "Config.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<vexel::ConfigLine> configLines() {
    std::ifstream file("config.txt");
    EXPECT_TRUE(file.good()) << "cannot open config.txt";
    return vexel::readConfigLines(file);
}

// Runs the validator on one file; returns its exit status and what it printed.
int validate(const std::string& path, std::string& output) {
    FILE* pipe = popen(("glslangValidator '" + path + "' 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ShadersTest, ConfigFilesEveryKeyOnceInBuildOrderAtExistingPaths) {
    const std::vector<std::pair<std::string, std::set<std::string>>> expected = {
        {"Shader", {"title", "wireframe", "simple", "tinyplanet", "star"}},
        {"Texture", {"title1", "title2", "stars", "poet"}},
        {"Mesh", {"terrain", "skybox", "charger", "toycar", "wheel", "turtle"}},
    };
    size_t group = 0;
    std::set<std::string> seen;
    for (const vexel::ConfigLine& line : configLines()) {
        const std::vector<std::string>& f = line.fields;
        ASSERT_FALSE(f.empty()) << "line " << line.number << " is short";
        while (group < expected.size() && expected[group].first != line.kind) ++group;
        ASSERT_LT(group, expected.size()) << line.kind << " " << f[0] << " is out of order or of an unknown kind";
        EXPECT_EQ(1u, expected[group].second.count(f[0])) << line.kind << " " << f[0] << " is not a key of the show";
        EXPECT_TRUE(seen.insert(line.kind + " " + f[0]).second) << f[0] << " is filed twice";
        // A shader's fragment, vertex and geometry stages; its tessellation fields are never read.
        std::vector<std::pair<size_t, std::string>> paths = {{1, line.kind == "Texture" ? ".png" : ".obj"}};
        if (line.kind == "Shader") paths = {{1, ".frag"}, {2, ".vert"}, {5, ".geom"}};
        for (const auto& [field, extension] : paths) {
            std::filesystem::path path(f[field]);
            EXPECT_EQ("data", *path.begin()) << f[field];
            EXPECT_EQ(extension, path.extension().string()) << f[0] << " field " << field;
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << f[field];
        }
    }
    EXPECT_EQ(15u, seen.size());
}

TEST(ShadersTest, EveryStagePassesTheValidatorAsVersion410Core) {
    std::set<std::string> files;
    for (const vexel::ConfigLine& line : configLines())
        if (line.kind == "Shader" && !line.fields.empty()) files.insert({line.fields[1], line.fields[2], line.fields[5]});
    EXPECT_GE(files.size(), 9u);
    for (const std::string& path : files) {
        std::ifstream source(path);
        std::string first;
        std::getline(source, first);
        EXPECT_EQ("#version 410 core", first) << path;
        std::string output;
        EXPECT_EQ(0, validate(path, output)) << path << "\n" << output;
        EXPECT_EQ("", output) << path;
    }
}
