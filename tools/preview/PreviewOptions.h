// Command line of skorvane-preview.
#pragma once

#include <string>

struct PreviewOptions {
    int width = 1280;
    int height = 720;
    bool fullscreen = false;
    double from = -1.0;   // --from, demo seconds; negative: the loop's start, or 0
    double loopStart = 0.0; // --loop A:B; no loop while loopEnd <= loopStart
    double loopEnd = 0.0;
    bool paused = false;
    bool help = false; // --help: print previewUsage and do nothing else
};

// Every option, one line each.
extern const char* const previewUsage;

// Parses argv; on failure returns false and sets `error` to one line saying what is wrong.
bool parsePreviewOptions(int argc, char** argv, PreviewOptions& options, std::string& error);
