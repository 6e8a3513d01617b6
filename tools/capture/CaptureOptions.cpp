#include "CaptureOptions.h"

#include "Arguments.h"

#include <cstdio>
#include <cstring>

const char* const captureUsage =
    "usage: skorvane-capture OPTIONS, run where config.txt and data/ are\n"
    "  --time SECONDS      save the frame at this demo time (0 to 100); may be repeated\n"
    "  --out FILE.png      where --time saves; with several times, each file name gets -SECONDS\n"
    "  --size WxH          frame size in pixels (default 1280x720)\n"
    "  --fps N             frame rate of a video and of the star stream's replay (default 60)\n"
    "  --video FILE.mp4    export the show with its music as a video\n"
    "  --from SECONDS      where the video starts (default 0)\n"
    "  --to SECONDS        where the video ends (default 100)\n"
    "  --sheet FILE.png    save a contact sheet with a frame of each scene\n"
    "  --bench             measure each scene's frame time\n"
    "  --frames N          frames per scene for --bench (default 30)\n"
    "  --json FILE         also write the --bench figures as JSON\n"
    "  --help              print this and exit\n";

const double sheetMoments[6] = {1.5, 9.0, 14.0, 49.9, 64.5, 85.0};

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    int modes = 0;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--help") {
            options.help = true;
            return true;
        }
        bool flag = arg == "--bench";
        if (!flag && i + 1 >= argc) {
            error = "option " + arg + " needs a value";
            if (arg.rfind("--", 0) != 0) error = "unknown argument " + arg;
            return false;
        }
        const char* value = flag ? "" : argv[i + 1];
        double number = 0.0;
        if (arg == "--time") {
            if (!parseNumber(value, number) || number < 0.0 || number > 100.0) {
                error = std::string("time ") + value + " is not inside the show (0 to 100)";
                return false;
            }
            options.times.push_back(number);
        } else if (arg == "--size") {
            if (!parseSize(value, options.width, options.height)) {
                error = std::string("size ") + value + " is not WIDTHxHEIGHT with both between 1 and " + std::to_string(largestFrameSide);
                return false;
            }
        } else if (arg == "--fps") {
            if (!parseNumber(value, number) || number < 1 || number > 240 || number != int(number)) {
                error = std::string("fps ") + value + " is not a whole number from 1 to 240";
                return false;
            }
            options.fps = int(number);
        } else if (arg == "--from" || arg == "--to") {
            if (!parseNumber(value, number) || number < 0.0 || number > 100.0) {
                error = std::string(arg.c_str() + 2) + " " + value + " is not inside the show (0 to 100)";
                return false;
            }
            (arg == "--from" ? options.from : options.to) = number;
        } else if (arg == "--frames") {
            if (!parseNumber(value, number) || number < 1 || number > 10000 || number != int(number)) {
                error = std::string("frames ") + value + " is not a whole number from 1 to 10000";
                return false;
            }
            options.benchFrames = int(number);
        } else if (arg == "--out") {
            options.out = value;
        } else if (arg == "--json") {
            options.json = value;
        } else if (arg == "--video" || arg == "--sheet") {
            options.mode = arg == "--video" ? CaptureOptions::Mode::Video : CaptureOptions::Mode::Sheet;
            options.out = value;
            modes++;
        } else if (arg == "--bench") {
            options.mode = CaptureOptions::Mode::Bench;
            modes++;
        } else {
            error = "unknown option " + arg;
            return false;
        }
        if (!flag) i++;
    }
    if (modes > 1) {
        error = "choose one of --video, --sheet and --bench";
        return false;
    }
    if (options.mode == CaptureOptions::Mode::Frames && (options.times.empty() || options.out.empty())) {
        error = "nothing to do: give --time and --out, or --video, --sheet or --bench";
        return false;
    }
    if (options.mode == CaptureOptions::Mode::Video && options.from >= options.to) {
        error = "--from must be before --to";
        return false;
    }
    if (options.out.empty() && options.mode != CaptureOptions::Mode::Bench) {
        error = "no output file given";
        return false;
    }
    return true;
}

std::string framePath(const std::string& out, double time, bool several) {
    if (!several) return out;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "-%.3f", time);
    std::size_t dot = out.rfind('.');
    std::size_t slash = out.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return out + stamp;
    return out.substr(0, dot) + stamp + out.substr(dot);
}
