// Command line of skorvane-capture.
#pragma once

#include <string>
#include <vector>

struct CaptureOptions {
    enum class Mode { Frames, Video, Sheet, Bench };

    Mode mode = Mode::Frames;
    int width = 1280;
    int height = 720;
    int fps = 60;
    std::vector<double> times; // --time, demo seconds
    std::string out;           // --out, --video, --sheet: the file to write
    std::string json;          // --json (bench only)
    double from = 0.0;         // --from/--to: the part of the show a video covers
    double to = 100.0;
    int benchFrames = 30;      // --frames: frames per scene in --bench
    bool help = false;         // --help: print captureUsage and do nothing else
};

// Every option, one line each.
extern const char* const captureUsage;

// Parses argv; on failure returns false and sets `error` to one line saying what is wrong.
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

// Path of the file for one of several --time values: "frame.png" becomes "frame-20.000.png".
std::string framePath(const std::string& out, double time, bool several);

// The moment of each scene the contact sheet shows, in timeline order.
extern const double sheetMoments[6];

// Where the contact sheet puts its tiles: three columns and two rows, each tile with its label
// beneath, all parted by a gap.
struct SheetLayout {
    static constexpr int columns = 3, rows = 2, gap = 8, labelHeight = 36;
    int tileWidth, tileHeight;

    int width() const { return columns * tileWidth + (columns + 1) * gap; }
    int height() const { return rows * (tileHeight + labelHeight) + (rows + 1) * gap; }
    int left(int tile) const { return gap + (tile % columns) * (tileWidth + gap); }
    int top(int tile) const { return gap + (tile / columns) * (tileHeight + labelHeight + gap); }
};
