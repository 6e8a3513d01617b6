// config.txt and the shader sources it names: every key the show fetches is filed, in the order
// the registry should build them, at paths that exist; every stage passes the reference GLSL
// validator as version 410 core.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

// config.txt split at single spaces, one entry per line.
std::vector<Fields> configLines() {
    std::vector<Fields> lines;
    std::ifstream file("config.txt");
    EXPECT_TRUE(file.good()) << "cannot open config.txt";
    for (std::string line; std::getline(file, line);) {
        Fields fields;
        size_t start = 0;
        for (size_t space; (space = line.find(' ', start)) != std::string::npos; start = space + 1)
            fields.push_back(line.substr(start, space - start));
        fields.push_back(line.substr(start));
        lines.push_back(fields);
    }
    return lines;
}

// The stage sources named by the "Shader" lines, each with the extension its field requires.
std::set<std::string> stageFiles() {
    std::set<std::string> files;
    for (const Fields& f : configLines())
        if (f[0] == "Shader" && f.size() == 7)
            for (int i : {2, 3, 6}) files.insert(f[i]);
    return files;
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

TEST(ShadersTest, ConfigFilesEveryKeyOnceInBuildOrder) {
    const std::vector<std::pair<std::string, std::set<std::string>>> expected = {
        {"Shader", {"title", "wireframe", "simple", "tinyplanet", "star"}},
        {"Texture", {"title1", "title2", "stars", "poet"}},
        {"Mesh", {"terrain", "skybox", "charger", "toycar", "wheel", "turtle"}},
    };
    size_t group = 0;
    std::set<std::string> seen;
    for (const Fields& f : configLines()) {
        ASSERT_GE(f.size(), 3u) << f[0];
        while (group < expected.size() && expected[group].first != f[0]) ++group;
        ASSERT_LT(group, expected.size()) << f[0] << " " << f[1] << " is out of order or of an unknown kind";
        EXPECT_EQ(1u, expected[group].second.count(f[1])) << f[0] << " " << f[1] << " is not a key of the show";
        EXPECT_TRUE(seen.insert(f[0] + " " + f[1]).second) << f[1] << " is filed twice";
    }
    EXPECT_EQ(15u, seen.size());
}

TEST(ShadersTest, ConfigPathsNameExistingFilesOfTheRightKind) {
    for (const Fields& f : configLines()) {
        std::vector<std::pair<size_t, std::string>> paths;
        if (f[0] == "Shader") {
            ASSERT_EQ(7u, f.size()) << f[1];
            paths = {{2, ".frag"}, {3, ".vert"}, {6, ".geom"}};
        } else {
            ASSERT_EQ(3u, f.size()) << f[1];
            paths = {{2, f[0] == "Texture" ? ".png" : ".obj"}};
        }
        for (const auto& [field, extension] : paths) {
            std::filesystem::path path(f[field]);
            EXPECT_EQ("data", *path.begin()) << f[field];
            EXPECT_EQ(extension, path.extension().string()) << f[1] << " field " << field;
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << f[field];
        }
    }
}

TEST(ShadersTest, EveryStagePassesTheValidatorAsVersion410Core) {
    std::set<std::string> files = stageFiles();
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
