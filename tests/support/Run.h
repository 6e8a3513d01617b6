// Running a command through the shell, and reading a file whole.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct RunResult {
    int status;         // the exit status, or 128 + the signal that ended it
    std::string output; // standard output and standard error together
};

inline RunResult runCommand(const std::string& shellCommand) {
    RunResult result{-1, ""};
    FILE* pipe = popen(("(" + shellCommand + ") 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// The file's bytes, or an empty string when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
