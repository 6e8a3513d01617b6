// The show's picture from skorvane-capture frames: the planet scene keeps its ground and its sky
// in every frame and brings the cars close at its largest zoom, and the title images keep their
// proportions on screens of other shapes, with the poem where none of them crops it.
#include "CaptureFrames.h"
#include "TempDir.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Kind = bool (*)(const std::uint8_t* rgba);

// The terrain's fill, give or take the rounding of the planet's four samples per pixel.
bool terrainFillColour(const std::uint8_t* p) {
    for (std::size_t k = 0; k < 3; k++)
        if (std::abs(p[k] - terrainFill[k] * 255.0f) > 4.0f) return false;
    return true;
}
// The cars' green fill and red wire (setCarColours in src/velmora.cpp) and their blends.
bool carColour(const std::uint8_t* p) { return p[0] + p[1] > 200 && p[2] < 40; }
// The pale top of the title lettering; the stars and the smaller capitals stay below it.
bool lettering(const std::uint8_t* p) { return std::min({p[0], p[1], p[2]}) > 200; }

double share(const Image& image, Kind kind) {
    std::size_t hits = 0;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) hits += kind(&image.rgba[i]);
    return double(hits) / std::max<std::size_t>(1, image.rgba.size() / 4);
}

// Width over height of the bounding box of the pixels of `kind`; 0 when there are none.
double boxAspect(const Image& image, Kind kind) {
    int left = image.width, right = -1, top = image.height, bottom = -1;
    for (int y = 0; y < image.height; y++)
        for (int x = 0; x < image.width; x++) {
            if (!kind(&image.rgba[(std::size_t(y) * image.width + x) * 4])) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    return right < 0 ? 0.0 : double(right - left + 1) / (bottom - top + 1);
}

} // namespace

TEST(PictureTest, PlanetSceneShowsGroundAndSkyInEveryFrameAndTheCarsAtItsLargestZoom) {
    const SceneWindow planet = velmoraTimeline[2]; // TerrainAndCars
    std::vector<double> times;
    for (int ms = int(planet.start * 1000) + 250; ms < planet.end * 1000; ms += 250) times.push_back(ms / 1000.0);
    // The timetable's largest param2, to the millisecond the live clock gives.
    double zoomed = times.front();
    for (int ms = int(planet.start * 1000) + 1; ms < planet.end * 1000; ms++)
        if (planetTimetable(ms / 1000.0).param2 > planetTimetable(zoomed).param2) zoomed = ms / 1000.0;
    times.push_back(zoomed);

    TempDir dir;
    std::vector<Image> frames = captureFrames(dir.path("frame.png"), "640x360", times);
    for (std::size_t i = 0; i < times.size(); i++) {
        SCOPED_TRACE(testing::Message() << "frame at " << times[i] << " s");
        double ground = share(frames[i], terrainFillColour);
        EXPECT_GE(ground, 0.005);
        EXPECT_GE(1.0 - ground, 0.05) << "sky, space, wires and cars";
    }
    SCOPED_TRACE(testing::Message() << "largest zoom, " << zoomed << " s");
    EXPECT_GE(share(frames.back(), carColour), 0.01);
}

TEST(PictureTest, TitleLetteringKeepsItsProportionsFrom4To3To21To9) {
    const std::vector<double> cards = {1.5, 4.5}; // "title1", then "title2"
    TempDir dir;
    std::vector<Image> sixteenToNine = captureFrames(dir.path("frame.png"), "1280x720", cards);
    for (const char* size : {"1024x768", "1280x540"}) {
        std::vector<Image> frames = captureFrames(dir.path("frame.png"), size, cards);
        for (std::size_t i = 0; i < cards.size(); i++) {
            SCOPED_TRACE(testing::Message() << size << " at " << cards[i] << " s");
            double expected = boxAspect(sixteenToNine[i], lettering);
            ASSERT_GT(expected, 0.0);
            EXPECT_NEAR(1.0, boxAspect(frames[i], lettering) / expected, 0.03);
        }
    }
}

TEST(PictureTest, PoemLettersLieWhereNoScreenCropsThem) {
    // SAFE_AREA of data/shaders/title.frag: the central three quarters of each side.
    Image poem = loadPng(SKORVANE_SOURCE_DIR "/data/images/poet.png");
    int letters = 0, outside = 0;
    for (int y = 0; y < poem.height; y++)
        for (int x = 0; x < poem.width; x++) {
            if (poem.rgba[(std::size_t(y) * poem.width + x) * 4 + 3] < 255) continue;
            letters++;
            outside += x < poem.width / 8 || x >= poem.width * 7 / 8 || y < poem.height / 8 ||
                       y >= poem.height * 7 / 8;
        }
    EXPECT_GT(letters, 0);
    EXPECT_EQ(0, outside);
}
