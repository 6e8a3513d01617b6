// The preview's on-screen display: one line of text above a thin timeline along the bottom edge,
// drawn over the finished scene and leaving every pixel above it as the scene drew it.
#pragma once

#include "Label.h"
#include "Session.h"

#include <GL/glew.h>

#include <string>

class Overlay {
public:
    // A window of `width` x `height` pixels, `scale` pixels to the point (2 on a high-DPI output):
    // the display keeps its size in points.
    Overlay(int width, int height, int scale);

    // Draws `text`, the six scenes' spans, the loop range (when loopEnd > loopStart) and the
    // playhead at `time`.
    void draw(const std::string& text, double time, double loopStart, double loopEnd);

    // The demo time under the window's point (x, y), where a click lands, or a negative number when
    // it is not on the timeline.
    double timeAt(int x, int y) const;

private:
    int width;
    int height;
    int scale;
    int bandHeight;     // pixels
    int timelineHeight; // pixels
    Label label;
    Pixels band;
    GLuint texture = 0;
    GLuint program = 0;
    GLuint vertexArray = 0;

    int column(double time) const;
    void fill(int x0, int x1, int y0, int y1, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
};
