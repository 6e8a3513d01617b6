#include "Capture.h"

#include <cstdio>
#include <unistd.h>

std::string captureStdout(const std::function<void()>& fn) {
    std::fflush(stdout);
    FILE* sink = std::tmpfile();
    int saved = dup(fileno(stdout));
    dup2(fileno(sink), fileno(stdout));
    fn();
    std::fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    std::string text;
    std::rewind(sink);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, sink)) > 0;) text.append(buffer, n);
    std::fclose(sink);
    return text;
}
