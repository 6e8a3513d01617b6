// Text drawn into RGBA images with a font from fonts-dejavu-core.
#pragma once

#include <stb_truetype.h>

#include <cstdint>
#include <vector>

class Label {
public:
    // Ends the process with one line when the font cannot be read.
    Label();

    // Blends `text` in the grey `level` into an image `imageWidth` pixels wide, its top-left corner
    // at (x, y). Covered pixels also become at least as opaque as the glyph. What falls outside the
    // image is left out.
    void draw(std::vector<std::uint8_t>& image, int imageWidth, int x, int y, float pixelHeight, const char* text,
              std::uint8_t level = 255);

private:
    std::vector<unsigned char> font;
    stbtt_fontinfo info{};
};
