#include "Label.h"

#include "Session.h"

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

#include <algorithm>
#include <fstream>
#include <iterator>

Label::Label() {
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", std::ios::binary);
    font.assign(std::istreambuf_iterator<char>(in), {});
    if (font.empty() || !stbtt_InitFont(&info, font.data(), 0)) fail("cannot read the DejaVu Sans Bold font");
}

void Label::draw(std::vector<std::uint8_t>& image, int imageWidth, int x, int y, float pixelHeight, const char* text,
                 std::uint8_t level) {
    float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight);
    int ascent = 0;
    stbtt_GetFontVMetrics(&info, &ascent, nullptr, nullptr);
    int baseline = y + int(ascent * scale);
    int imageHeight = int(image.size() / (std::size_t(imageWidth) * 4));
    float pen = float(x);
    for (const char* c = text; *c; c++) {
        int advance = 0, bearing = 0, x0, y0, x1, y1;
        stbtt_GetCodepointHMetrics(&info, *c, &advance, &bearing);
        stbtt_GetCodepointBitmapBox(&info, *c, scale, scale, &x0, &y0, &x1, &y1);
        int w = x1 - x0, h = y1 - y0;
        std::vector<unsigned char> glyph(std::size_t(std::max(w, 1)) * std::max(h, 1));
        stbtt_MakeCodepointBitmap(&info, glyph.data(), w, h, w, scale, scale, *c);
        for (int gy = 0; gy < h; gy++)
            for (int gx = 0; gx < w; gx++) {
                int px = int(pen) + x0 + gx, py = baseline + y0 + gy;
                if (px < 0 || px >= imageWidth || py < 0 || py >= imageHeight) continue;
                std::uint8_t* p = &image[(std::size_t(py) * imageWidth + px) * 4];
                unsigned a = glyph[gy * w + gx];
                for (int k = 0; k < 3; k++) p[k] = std::uint8_t((p[k] * (255 - a) + level * a) / 255);
                p[3] = std::uint8_t(std::max<unsigned>(p[3], a));
            }
        pen += advance * scale;
    }
}
