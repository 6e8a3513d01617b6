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

// Starts `command` in the folder `dir` and returns at once: its output goes to output.txt there,
// then its exit status, as "0\n", to status.txt.
inline void startInBackground(const std::string& dir, const std::string& command) {
    runCommand("(cd '" + dir + "' && " + command +
               " >output.txt 2>&1; echo $? >status.tmp; mv status.tmp status.txt) >/dev/null 2>&1 &");
}

// The file's bytes, or an empty string when it cannot be read.
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The exit status that startInBackground writes in `dir`, once there is one; "" after a minute without.
inline std::string waitForStatus(const std::string& dir) {
    runCommand("timeout 60 sh -c 'until [ -e " + dir + "/status.txt ]; do sleep 0.05; done'");
    return readFile(dir + "/status.txt");
}
