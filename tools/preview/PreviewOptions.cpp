#include "PreviewOptions.h"

#include "Arguments.h"

#include <cstring>

const char* const previewUsage =
    "usage: skorvane-preview [OPTIONS], run where config.txt and data/ are\n"
    "  --size WxH          window size in pixels (default 1280x720)\n"
    "  --fullscreen        fill the desktop instead\n"
    "  --from SECONDS      start at this demo time (0 to 100; default 0, or the loop's start)\n"
    "  --loop A:B          play from A to B over and over (0 <= A < B <= 100)\n"
    "  --paused            start paused\n"
    "  --help              print this and exit\n";

namespace {

bool parseLoop(const char* text, double& start, double& end) {
    const char* colon = std::strchr(text, ':');
    if (!colon) return false;
    std::string first(text, colon);
    return parseNumber(first.c_str(), start) && parseNumber(colon + 1, end) && start >= 0.0 && start < end &&
           end <= 100.0;
}

} // namespace

bool parsePreviewOptions(int argc, char** argv, PreviewOptions& options, std::string& error) {
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--help") {
            options.help = true;
            return true;
        }
        if (arg == "--fullscreen" || arg == "--paused") {
            (arg == "--paused" ? options.paused : options.fullscreen) = true;
            continue;
        }
        if (arg != "--size" && arg != "--from" && arg != "--loop") {
            error = (arg.rfind("--", 0) == 0 ? "unknown option " : "unknown argument ") + arg;
            return false;
        }
        if (++i >= argc) {
            error = "option " + arg + " needs a value";
            return false;
        }
        const char* value = argv[i];
        if (arg == "--size" && !parseSize(value, options.width, options.height)) {
            error = std::string("size ") + value + " is not WIDTHxHEIGHT with both between 1 and " + std::to_string(largestFrameSide);
            return false;
        }
        if (arg == "--from" && (!parseNumber(value, options.from) || options.from < 0.0 || options.from > 100.0)) {
            error = std::string("from ") + value + " is not inside the show (0 to 100)";
            return false;
        }
        if (arg == "--loop" && !parseLoop(value, options.loopStart, options.loopEnd)) {
            error = std::string("loop ") + value + " is not A:B with 0 <= A < B <= 100";
            return false;
        }
    }
    return true;
}
