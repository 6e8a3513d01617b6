// Running a command through the shell, and reading a file whole.
#pragma once

#include <string>

struct RunResult {
    int status;         // the exit status, or 128 + the signal that ended it
    std::string output; // standard output and standard error together
};

RunResult runCommand(const std::string& shellCommand);

// The file's bytes, or an empty string when it cannot be read.
std::string readFile(const std::string& path);
