// gen-images <outdir>: renders the show's four images, the two title cards, the star sky and the poem
// overlay, as PNG files; gen-images --icons <outdir>: the application icon at each size. Every random
// choice comes from a seeded generator and every glyph from fonts-dejavu-core, so a rerun writes the
// same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
const std::string kFontDir = "/usr/share/fonts/truetype/dejavu/";

// xorshift64*: a fixed sequence for a given seed on every platform and library version.
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed | 1) {}

    uint64_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Sum of four uniforms: close enough to a unit normal for placing stars.
    double normal() { return (uniform() + uniform() + uniform() + uniform() - 2.0) * std::sqrt(3.0); }

private:
    uint64_t state;
};

uint32_t hashInts(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed ^ (uint32_t(x) * 0x8DA6B343u) ^ (uint32_t(y) * 0xD8163841u) ^ (uint32_t(z) * 0xCB1AB31Fu);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double smoothstep(double lo, double hi, double x) {
    double t = std::clamp((x - lo) / (hi - lo), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

struct Vec3 {
    double x, y, z;
    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double k) const { return {x * k, y * k, z * k}; }
    double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec3 cross(const Vec3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    Vec3 unit() const { return *this * (1.0 / std::sqrt(dot(*this))); }
};

// Value noise on the integer lattice of 3-space, smoothly interpolated; values in [0, 1).
double valueNoise(const Vec3& p, uint32_t seed) {
    double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    int ix = int(fx), iy = int(fy), iz = int(fz);
    double tx = smoothstep(0, 1, p.x - fx), ty = smoothstep(0, 1, p.y - fy), tz = smoothstep(0, 1, p.z - fz);
    auto corner = [&](int dx, int dy, int dz) {
        return double(hashInts(ix + dx, iy + dy, iz + dz, seed) >> 8) * (1.0 / 16777216.0);
    };
    auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
    double x00 = lerp(corner(0, 0, 0), corner(1, 0, 0), tx), x10 = lerp(corner(0, 1, 0), corner(1, 1, 0), tx);
    double x01 = lerp(corner(0, 0, 1), corner(1, 0, 1), tx), x11 = lerp(corner(0, 1, 1), corner(1, 1, 1), tx);
    return lerp(lerp(x00, x10, ty), lerp(x01, x11, ty), tz);
}

// Fractal sum of value noise, normalised to [0, 1). Sampled on the unit sphere it has no seam anywhere.
double fbm(const Vec3& p, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0, freq = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(p * freq, seed + uint32_t(i) * 101u);
        norm += amp;
        amp *= 0.5;
        freq *= 2.07;  // not 2, so the octaves' lattices never line up
    }
    return sum / norm;
}

struct Color {
    float r, g, b;
    Color operator*(float k) const { return {r * k, g * k, b * k}; }
    Color operator+(const Color& o) const { return {r + o.r, g + o.g, b + o.b}; }
};

Color mix(const Color& a, const Color& b, double t) {
    return a * float(1 - t) + b * float(t);
}

// Single-channel coverage in [0, 1], rows top to bottom.
class Mask {
public:
    Mask(int w, int h) : width(w), height(h), values(size_t(w) * h, 0.0f) {}

    float at(int x, int y) const { return values[size_t(y) * width + x]; }
    void add(int x, int y, float v) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        float& dst = values[size_t(y) * width + x];
        dst = std::min(1.0f, dst + v);
    }

    // Approximates a Gaussian of deviation sigma by three box passes each way (radius r gives a deviation
    // of sqrt(r (r + 1))), then multiplies by gain, clamped to 1: a gain above 1 thickens the shape, which
    // is how the outlines are made.
    Mask blurred(float sigma, float gain) const {
        Mask out = *this;
        int radius = std::max(1, int(std::lround(sigma - 0.5f)));
        for (int pass = 0; pass < 3; ++pass) {
            out.boxPass(radius, 1, width, width, height);
            out.boxPass(radius, width, 1, height, width);
        }
        for (float& v : out.values) v = std::min(1.0f, v * gain);
        return out;
    }

private:
    // Running box average of one axis: lines are `lines` apart by `lineStep`, samples `step` apart.
    void boxPass(int radius, size_t step, size_t lineStep, int length, int lines) {
        std::vector<float> line(length);
        const double norm = 1.0 / (2 * radius + 1);
        for (int l = 0; l < lines; ++l) {
            float* base = values.data() + l * lineStep;
            for (int i = 0; i < length; ++i) line[i] = base[i * step];
            double sum = 0;
            for (int i = 0; i < radius && i < length; ++i) sum += line[i];
            for (int i = 0; i < length; ++i) {
                if (i + radius < length) sum += line[i + radius];
                if (i - radius - 1 >= 0) sum -= line[i - radius - 1];
                base[i * step] = float(sum * norm);
            }
        }
    }

    int width, height;
    std::vector<float> values;
};

// A TrueType face laid out with kerning and extra letter spacing, rasterised with subpixel placement.
class Font {
public:
    explicit Font(const std::string& file) {
        std::ifstream in(kFontDir + file, std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (data.empty() || !stbtt_InitFont(&info, data.data(), stbtt_GetFontOffsetForIndex(data.data(), 0)))
            throw std::runtime_error("cannot read font " + kFontDir + file);
    }

    float width(const std::u32string& text, float em, float tracking) const {
        return layout(text, em, tracking, [](int, float) {});
    }

    void draw(Mask& mask, const std::u32string& text, float em, float x, int baseline, float tracking) const {
        float scale = stbtt_ScaleForMappingEmToPixels(&info, em);
        layout(text, em, tracking, [&](int glyph, float pen) {
            float left = std::floor(x + pen);
            float shift = x + pen - left;
            int x0, y0, x1, y1;
            stbtt_GetGlyphBitmapBoxSubpixel(&info, glyph, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
            int w = x1 - x0, h = y1 - y0;
            if (w <= 0 || h <= 0) return;
            std::vector<unsigned char> pixels(size_t(w) * h);
            stbtt_MakeGlyphBitmapSubpixel(&info, pixels.data(), w, h, w, scale, scale, shift, 0, glyph);
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i)
                    mask.add(int(left) + x0 + i, baseline + y0 + j, pixels[size_t(j) * w + i] / 255.0f);
        });
    }

private:
    // Calls place(glyph, pen) for each character and returns the advance of the whole line.
    template <class Place>
    float layout(const std::u32string& text, float em, float tracking, Place&& place) const {
        float scale = stbtt_ScaleForMappingEmToPixels(&info, em);
        float pen = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            int glyph = stbtt_FindGlyphIndex(&info, int(text[i]));
            place(glyph, pen);
            int advance, bearing;
            stbtt_GetGlyphHMetrics(&info, glyph, &advance, &bearing);
            pen += advance * scale;
            if (i + 1 < text.size()) {
                int next = stbtt_FindGlyphIndex(&info, int(text[i + 1]));
                pen += stbtt_GetGlyphKernAdvance(&info, glyph, next) * scale + tracking;
            }
        }
        return pen;
    }

    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

using Paint = std::function<Color(int x, int y)>;

Paint solid(Color c) {
    return [c](int, int) { return c; };
}

// Float RGBA image with straight (not premultiplied) alpha, rows top to bottom.
class Canvas {
public:
    Canvas(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0.0f) {}

    void fill(const Paint& paint, float alpha) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) set(x, y, paint(x, y), alpha);
    }

    // Adds light where the mask covers; meant for opaque cards, where alpha stays 1.
    void glow(const Mask& mask, Color c, float gain) {
        forCovered(mask, [&](float* p, float m, int, int) {
            p[0] += c.r * m * gain;
            p[1] += c.g * m * gain;
            p[2] += c.b * m * gain;
        });
    }

    // Lays paint over the canvas with the mask's coverage times opacity as its alpha.
    void over(const Mask& mask, const Paint& paint, float opacity) {
        forCovered(mask, [&](float* p, float m, int x, int y) {
            float a = m * opacity;
            float out = a + p[3] * (1 - a);
            Color c = paint(x, y);
            p[0] = (c.r * a + p[0] * p[3] * (1 - a)) / out;
            p[1] = (c.g * a + p[1] * p[3] * (1 - a)) / out;
            p[2] = (c.b * a + p[2] * p[3] * (1 - a)) / out;
            p[3] = out;
        });
    }

    // Each pixel of the result averages a factor x factor block, weighted by alpha so that transparent
    // pixels lend no colour to the edge.
    Canvas shrunk(int factor) const {
        Canvas out(width / factor, height / factor);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                double sum[4] = {0, 0, 0, 0};
                for (int j = 0; j < factor; ++j)
                    for (int i = 0; i < factor; ++i) {
                        const float* p = &rgba[(size_t(y * factor + j) * width + x * factor + i) * 4];
                        for (int k = 0; k < 3; ++k) sum[k] += p[k] * p[3];
                        sum[3] += p[3];
                    }
                float alpha = float(sum[3] / (factor * factor));
                Color c = sum[3] > 0 ? Color{float(sum[0] / sum[3]), float(sum[1] / sum[3]), float(sum[2] / sum[3])}
                                     : Color{0, 0, 0};
                out.set(x, y, c, alpha);
            }
        return out;
    }

    bool save(const std::string& path) const {
        std::vector<unsigned char> bytes(rgba.size());
        for (size_t i = 0; i < rgba.size(); ++i)
            bytes[i] = uint8_t(std::lround(255 * std::clamp(rgba[i], 0.0f, 1.0f)));
        return stbi_write_png(path.c_str(), width, height, 4, bytes.data(), width * 4) != 0;
    }

private:
    void set(int x, int y, Color c, float a) {
        float* p = &rgba[(size_t(y) * width + x) * 4];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        p[3] = a;
    }

    template <class Blend>
    void forCovered(const Mask& mask, Blend&& blend) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                float m = mask.at(x, y);
                if (m > 0) blend(&rgba[(size_t(y) * width + x) * 4], m, x, y);
            }
    }

    int width, height;
    std::vector<float> rgba;
};

// The "title" program shows these images at their own proportions, cropping what a screen of another
// shape cannot show, but never the central three quarters of each side (columns 240 to 1680, rows 135
// to 945): whatever must be read lies inside that safe area.
constexpr int kCardWidth = 1920;
constexpr int kCardHeight = 1080;
const Color kCyan{0.0f, 0.78f, 0.86f};

// The rim of a huge dark shell curving across the lower part of both cards: a circle far below the frame.
struct Rim {
    double cx = 960, cy = 3950, radius = 3100;
    // Signed distance in pixels: positive outside the shell (in space), negative on it.
    double distance(int x, int y) const { return std::hypot(x + 0.5 - cx, y + 0.5 - cy) - radius; }
};

// Deep-space backdrop shared by the two cards: navy light fading to black at the frame's edges, faint
// stars, and the lit rim of the shell.
Canvas titleBackdrop(uint64_t seed) {
    Canvas card(kCardWidth, kCardHeight);
    const Rim rim;
    card.fill(
        [&](int x, int y) {
            double dx = (x - 960.0) / 1100.0, dy = (y - 470.0) / 700.0;
            double space = 0.12 * std::exp(-(dx * dx + dy * dy) * 1.6);
            double d = rim.distance(x, y);
            double edgeFade = std::exp(-std::pow((x - 960.0) / 760.0, 2));
            double haze = d > 0 ? 0.10 * std::exp(-d / 55.0) * edgeFade : 0.0;
            double shell = d > 0 ? 1.0 : 0.15;
            return Color{0.10f, 0.24f, 0.45f} * float(space * shell) + kCyan * float(haze);
        },
        1.0f);

    Mask stars(kCardWidth, kCardHeight);
    Rng rng(seed);
    for (int i = 0; i < 900; ++i) {
        double x = rng.range(0, kCardWidth), y = rng.range(0, kCardHeight);
        double peak = 0.08 + 0.7 * std::pow(rng.uniform(), 6);
        double sigma = 0.55 + 0.6 * peak;
        if (rim.distance(int(x), int(y)) < 4) continue;
        for (int j = int(y) - 3; j <= int(y) + 3; ++j)
            for (int k = int(x) - 3; k <= int(x) + 3; ++k) {
                double r2 = std::pow(k + 0.5 - x, 2) + std::pow(j + 0.5 - y, 2);
                stars.add(k, j, float(peak * std::exp(-r2 / (2 * sigma * sigma))));
            }
    }
    card.glow(stars, {0.85f, 0.92f, 1.0f}, 1.0f);

    Mask line(kCardWidth, kCardHeight);
    for (int y = 0; y < kCardHeight; ++y)
        for (int x = 0; x < kCardWidth; ++x) {
            double d = rim.distance(x, y);
            if (std::abs(d) < 4)
                line.add(x, y, float(std::exp(-d * d / 1.2) * std::exp(-std::pow((x - 960.0) / 620.0, 2))));
        }
    card.glow(line.blurred(6, 1), kCyan, 0.9f);
    card.glow(line, {0.55f, 0.95f, 1.0f}, 0.8f);
    return card;
}

// A text line given light: a wide halo, a tight bloom, then the letters themselves, pale at the top of
// the line and cyan towards its foot.
void glowingText(Canvas& card, const Mask& letters, int top, int bottom) {
    card.glow(letters.blurred(26, 1.0f), {0.0f, 0.45f, 0.62f}, 0.55f);
    card.glow(letters.blurred(5, 1.0f), {0.25f, 0.85f, 1.0f}, 0.45f);
    card.over(
        letters,
        [=](int, int y) {
            double t = std::clamp(double(y - top) / (bottom - top), 0.0, 1.0);
            return mix({0.97f, 0.99f, 1.0f}, {0.50f, 0.88f, 0.98f}, t * t);
        },
        1.0f);
}

// A hairline that fades out towards both ends, with a small lozenge at its centre.
void rule(Canvas& card, int y, double halfLength) {
    Mask m(kCardWidth, kCardHeight);
    for (int x = 0; x < kCardWidth; ++x) {
        double t = (x - 960.0) / halfLength;
        if (std::abs(t) >= 1) continue;
        float fade = float(std::pow(std::cos(t * kPi / 2), 2));
        m.add(x, y, 0.9f * fade);
        m.add(x, y + 1, 0.35f * fade);
    }
    for (int j = -6; j <= 6; ++j)
        for (int i = -6; i <= 6; ++i)
            m.add(960 + i, y + j, float(std::clamp(6.5 - std::abs(i) - std::abs(j), 0.0, 1.0)));
    card.glow(m.blurred(4, 1.0f), kCyan, 0.8f);
    card.over(m, solid({0.80f, 0.96f, 1.0f}), 1.0f);
}

void centredText(Mask& m, const Font& font, const std::u32string& text, float em, int baseline, float tracking) {
    font.draw(m, text, em, (kCardWidth - font.width(text, em, tracking)) / 2.0f, baseline, tracking);
}

// The two cards share one layout: a glowing headline, a rule beneath it and a quiet line of capitals.
struct CardLayout {
    uint64_t seed;
    const char* headFont;
    std::u32string headline;
    float headSize, headTracking;
    int headBaseline;
    int shadeTop, shadeBottom;  // rows over which the headline turns from pale to cyan
    int ruleRow;
    double ruleHalfLength;
    std::u32string capitals;
    float capitalsTracking;
    int capitalsBaseline;
};

const CardLayout kNameCard{0x7117E1, "DejaVuSerif.ttf", U"Skorvane", 250, 10, 540, 360, 545, 612, 520,
                           U"A  WORLD  ADRIFT", 14, 690};
const CardLayout kMottoCard{0x7117E2, "DejaVuSerif-Italic.ttf", U"Every road ends at the edge of the shell.",
                            64, 1, 500, 440, 520, 580, 420,
                            U"TWO TOY CARS  \u00B7  ONE TURTLE  \u00B7  NO BRAKES", 9, 660};

Canvas titleCard(const CardLayout& layout) {
    Canvas card = titleBackdrop(layout.seed);
    Mask headline(kCardWidth, kCardHeight);
    centredText(headline, Font(layout.headFont), layout.headline, layout.headSize, layout.headBaseline,
                layout.headTracking);
    glowingText(card, headline, layout.shadeTop, layout.shadeBottom);
    rule(card, layout.ruleRow, layout.ruleHalfLength);
    Mask capitals(kCardWidth, kCardHeight);
    centredText(capitals, Font("DejaVuSans-ExtraLight.ttf"), layout.capitals, 30, layout.capitalsBaseline,
                layout.capitalsTracking);
    card.over(capitals, solid({0.70f, 0.90f, 0.96f}), 0.9f);
    return card;
}

struct Star {
    Vec3 dir;
    Color color;
    double sigma;  // deviation of the core's Gaussian, radians
    double peak;
};

// Equirectangular float image of the sphere: column x is longitude (x + 0.5) / w * 2 pi, row y latitude
// pi/2 - (y + 0.5) / h * pi, so row 0 is the north pole. Everything is computed from 3-D directions,
// which keeps the wrap at u = 0/1 seamless and the poles free of pinching.
class SkySphere {
public:
    SkySphere(int w, int h) : width(w), height(h), rgb(size_t(w) * h * 3, 0.0f) {
        for (int x = 0; x < w; ++x) {
            double lon = (x + 0.5) / w * 2 * kPi;
            cosLon.push_back(std::cos(lon));
            sinLon.push_back(std::sin(lon));
        }
        for (int y = 0; y < h; ++y) {
            double lat = kPi / 2 - (y + 0.5) / h * kPi;
            cosLat.push_back(std::cos(lat));
            sinLat.push_back(std::sin(lat));
        }
    }

    Vec3 direction(int x, int y) const { return {cosLat[y] * sinLon[x], sinLat[y], cosLat[y] * cosLon[x]}; }

    void paint(const std::function<Color(const Vec3&)>& light) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) add(x, y, light(direction(x, y)));
    }

    // Adds a star as a Gaussian of angular distance, visiting only the pixels within reach of it; a row's
    // span widens as 1/cos(latitude) so the star stays round on the sphere.
    void splat(const Star& s, double reach) {
        const double pixel = kPi / height, column = 2 * kPi / width;
        double lat = std::asin(std::clamp(s.dir.y, -1.0, 1.0));
        double lon = std::atan2(s.dir.x, s.dir.z);
        double u = lon / (2 * kPi);
        int cy = int((kPi / 2 - lat) / pixel), cx = int((u < 0 ? u + 1 : u) * width);
        int rows = int(reach / pixel) + 1;
        for (int y = std::max(0, cy - rows); y <= std::min(height - 1, cy + rows); ++y) {
            double span = reach / (column * cosLat[y]);
            int first = span >= width / 2 ? 0 : cx - int(span) - 1;
            int count = span >= width / 2 ? width : 2 * int(span) + 3;
            for (int k = 0; k < count; ++k) {
                int x = ((first + k) % width + width) % width;
                Vec3 d = direction(x, y) - s.dir;
                double r2 = d.dot(d);
                if (r2 > reach * reach) continue;
                add(x, y, s.color * float(s.peak * std::exp(-r2 / (2 * s.sigma * s.sigma))));
            }
        }
    }

    // A soft shoulder instead of a hard clip, so bright cores go white gradually and keep a tint.
    bool save(const std::string& path) const {
        std::vector<unsigned char> bytes(rgb.size());
        for (size_t i = 0; i < rgb.size(); ++i)
            bytes[i] = uint8_t(std::lround(255.0 * (1.0 - std::exp(-1.15 * double(rgb[i])))));
        return stbi_write_png(path.c_str(), width, height, 3, bytes.data(), width * 3) != 0;
    }

    int getHeight() const { return height; }

private:
    void add(int x, int y, Color c) {
        float* p = &rgb[(size_t(y) * width + x) * 3];
        p[0] += c.r;
        p[1] += c.g;
        p[2] += c.b;
    }

    int width, height;
    std::vector<float> rgb;
    std::vector<double> cosLon, sinLon, cosLat, sinLat;
};

const Vec3 kBandPole = Vec3{0.35, 0.82, 0.45}.unit();

struct Nebula {
    Vec3 centre;
    double radius;
    Color color;
};

const Nebula kNebulae[] = {
    {Vec3{0.7, 0.1, -0.7}.unit(), 0.45, {0.55f, 0.16f, 0.42f}},
    {Vec3{-0.6, -0.35, 0.7}.unit(), 0.38, {0.08f, 0.36f, 0.42f}},
    {Vec3{-0.2, 0.55, -0.8}.unit(), 0.30, {0.50f, 0.22f, 0.12f}},
};

// The diffuse light of the sky: a tilted band of milky glow cut by dust lanes, and a few coloured clouds.
Color skyLight(const Vec3& d) {
    double s = d.dot(kBandPole);
    double band = std::exp(-s * s / (0.30 * 0.30));
    double core = std::exp(-s * s / (0.10 * 0.10));
    Color light{0.004f, 0.005f, 0.011f};
    if (band > 1e-3) {
        double clouds = fbm(d * 2.3, 5, 11);
        double dust = smoothstep(0.48, 0.68, fbm(d * 5.1 + Vec3{3.1, 7.7, 1.3}, 5, 23));
        double glow = (band * 0.17 * (0.15 + clouds) + core * 0.16 * clouds * clouds) * (1 - 0.8 * dust * band);
        light = light + mix({0.50f, 0.60f, 1.0f}, {1.0f, 0.86f, 0.68f}, core) * float(glow);
    }
    for (const Nebula& n : kNebulae) {
        Vec3 off = d - n.centre;
        double w = std::exp(-off.dot(off) / (n.radius * n.radius));
        if (w < 1e-3) continue;
        double wisps = std::pow(fbm(d * 4.2 + n.centre * 9.0, 5, 37), 2.2);
        light = light + n.color * float(1.1 * w * wisps);
    }
    return light;
}

Vec3 randomDirection(Rng& rng) {
    double z = rng.range(-1, 1), a = rng.range(0, 2 * kPi), r = std::sqrt(1 - z * z);
    return {r * std::cos(a), z, r * std::sin(a)};
}

// A direction scattered about the band's great circle.
Vec3 bandDirection(Rng& rng) {
    Vec3 e1 = kBandPole.cross({0, 0, 1}).unit();
    Vec3 e2 = kBandPole.cross(e1);
    double s = std::clamp(rng.normal() * 0.11, -0.99, 0.99), a = rng.range(0, 2 * kPi);
    return (kBandPole * s + (e1 * std::cos(a) + e2 * std::sin(a)) * std::sqrt(1 - s * s)).unit();
}

Color starColor(Rng& rng) {
    static const Color palette[] = {{0.62f, 0.74f, 1.0f},
                                    {0.82f, 0.88f, 1.0f},
                                    {1.0f, 0.98f, 0.95f},
                                    {1.0f, 0.88f, 0.68f},
                                    {1.0f, 0.66f, 0.46f}};
    static const double upTo[] = {0.12, 0.45, 0.75, 0.9, 1.0};
    double u = rng.uniform();
    int i = 0;
    while (u > upTo[i]) ++i;
    return palette[i];
}

SkySphere starSky() {
    SkySphere sky(2048, 1024);
    sky.paint(skyLight);
    const double pixel = kPi / sky.getHeight();
    Rng rng(0x57A125);
    for (int i = 0; i < 16000; ++i) {
        Vec3 dir = i < 9000 ? randomDirection(rng) : bandDirection(rng);
        Color color = starColor(rng);
        double peak = 0.10 + 0.9 * std::pow(rng.uniform(), 5);
        sky.splat({dir, color, pixel * (0.42 + 0.3 * peak), peak}, pixel * 2.5);
    }
    for (int i = 0; i < 220; ++i) {
        Vec3 dir = randomDirection(rng);
        Color color = starColor(rng);
        double peak = rng.range(1.2, 3.5);
        sky.splat({dir, color, pixel * rng.range(0.7, 1.0), peak}, pixel * 4);
        sky.splat({dir, color, pixel * 3.5, 0.05 * peak}, pixel * 12);
    }
    return sky;
}

// The poem sits in the lower left of the safe area, clear of the turtle in the centre: left edge
// x = 266, baselines 654 + 53 * line. Its letters fill rows 626 to 923 and columns 266 to 1150; the
// shadow reaches a little further (rows 598 to 948, columns 240 to 1172).
const std::u32string kPoem[] = {
    U"The world rides slowly on a turtle\u2019s shell:",   U"one road, one ridge of hills, and then the night.",
    U"Two toy cars drove it further than was well",        U"and rolled across the rim and out of sight.",
    U"No ground to catch them, and no end to fall \u2014", U"the stars, it seems, were road beneath it all.",
};

Canvas poemOverlay() {
    Canvas overlay(kCardWidth, kCardHeight);
    Mask letters(kCardWidth, kCardHeight);
    const Font font("DejaVuSerif.ttf");
    int baseline = 654;
    for (const std::u32string& line : kPoem) {
        font.draw(letters, line, 36, 266, baseline, 0.5f);
        baseline += 53;
    }
    overlay.over(letters.blurred(12, 1.2f), solid({0, 0, 0}), 0.55f);
    overlay.over(letters.blurred(2.2f, 3.5f), solid({0, 0, 0}), 0.85f);
    overlay.over(letters, solid({1.0f, 0.97f, 0.90f}), 1.0f);
    return overlay;
}

// The application icon: a round window onto the title cards' sky, the lit rim of the shell curving
// across its foot and the title's initial glowing above it. It is drawn once, large, and averaged down
// to each size, so that every size shows the same picture.
constexpr int kIconMaster = 768;  // a multiple of every size below
const int kIconSizes[] = {16, 32, 48, 64, 128, 256};

Canvas iconMaster() {
    const double centre = kIconMaster / 2.0, radius = centre - 12;
    const Rim rim{centre, 2.45 * kIconMaster, 1.72 * kIconMaster};
    Mask window(kIconMaster, kIconMaster), line(kIconMaster, kIconMaster);
    for (int y = 0; y < kIconMaster; ++y)
        for (int x = 0; x < kIconMaster; ++x) {
            window.add(x, y, float(std::clamp(radius + 0.5 - std::hypot(x + 0.5 - centre, y + 0.5 - centre), 0.0, 1.0)));
            double d = rim.distance(x, y);
            if (std::abs(d) < 10) line.add(x, y, float(std::exp(-d * d / 8.0)));
        }
    Canvas icon(kIconMaster, kIconMaster);
    icon.over(
        window,
        [&](int x, int y) {
            double r = std::hypot(x - centre, y - 0.4 * kIconMaster) / radius;
            double d = rim.distance(x, y);
            double shell = d > 0 ? 1.0 : 0.25;
            return Color{0.10f, 0.24f, 0.45f} * float(0.5 * std::exp(-r * r * 1.4) * shell) +
                   kCyan * float(d > 0 ? 0.25 * std::exp(-d / 30.0) : 0.0);
        },
        1.0f);

    Mask stars(kIconMaster, kIconMaster);
    Rng rng(0x1C0);
    for (int i = 0; i < 70; ++i) {
        int x = int(rng.range(0, kIconMaster)), y = int(rng.range(0, kIconMaster));
        double peak = 0.3 + 0.7 * std::pow(rng.uniform(), 3);
        if (rim.distance(x, y) < 12) continue;
        for (int j = -8; j <= 8; ++j)
            for (int k = -8; k <= 8; ++k) stars.add(x + k, y + j, float(peak * std::exp(-(j * j + k * k) / 18.0)));
    }
    icon.glow(stars, {0.85f, 0.92f, 1.0f}, 1.0f);
    icon.glow(line.blurred(14, 1), kCyan, 0.9f);
    icon.glow(line, {0.55f, 0.95f, 1.0f}, 0.8f);

    Mask initial(kIconMaster, kIconMaster);
    const Font font("DejaVuSerif.ttf");
    const float em = 560;
    font.draw(initial, U"S", em, (kIconMaster - font.width(U"S", em, 0)) / 2.0f, 520, 0);
    glowingText(icon, initial, 110, 520);
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    const bool iconsOnly = argc == 3 && std::string(argv[1]) == "--icons";
    if (argc != 2 && !iconsOnly) {
        std::fprintf(stderr, "usage: gen-images <outdir>\n       gen-images --icons <outdir>\n");
        return 2;
    }
    const std::string dir = std::string(argv[argc - 1]) + "/";
    stbi_write_png_compression_level = 9;
    try {
        if (iconsOnly) {
            Canvas master = iconMaster();
            for (int size : kIconSizes)
                if (!master.shrunk(kIconMaster / size).save(dir + "skorvane-" + std::to_string(size) + ".png")) {
                    std::printf("cannot write icons to %s\n", dir.c_str());
                    return 1;
                }
            return 0;
        }
        bool ok = titleCard(kNameCard).save(dir + "title1.png") &&
                  titleCard(kMottoCard).save(dir + "title2.png") && starSky().save(dir + "stars.png") &&
                  poemOverlay().save(dir + "poet.png");
        if (!ok) {
            std::printf("cannot write images to %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    return 0;
}
