// Every shader stage config.txt names passes the reference GLSL validator as version 410 core, so
// that a driver stricter than the one the tests run on accepts it too.
#include "Config.h"
#include "Run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

TEST(ShaderFiles, EveryStagePassesTheValidatorAsVersion410Core) {
    std::ifstream config("config.txt");
    std::set<std::string> files;
    for (const vexel::ConfigLine& line : vexel::readConfigLines(config))
        if (line.kind == "Shader")
            for (const vexel::ShaderFile& file : vexel::programFiles(line)) files.insert(file.path);
    ASSERT_FALSE(files.empty());
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        EXPECT_EQ(0u, readFile(path).rfind("#version 410 core\n", 0));
        RunResult run = runCommand("glslangValidator '" + path + "'");
        EXPECT_EQ(0, run.status) << run.output;
        EXPECT_EQ("", run.output);
    }
}
