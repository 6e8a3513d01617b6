// The committed track as the show plays it: long enough for the show, and with an onset on every
// scene change.
#include "Run.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;

// Interleaved stereo.
std::vector<std::int16_t> decode(const std::string& path) {
    RunResult run = runCommand("ffmpeg -v error -i '" + path + "' -f s16le -ac 2 -ar 44100 - 2>/dev/null");
    std::vector<std::int16_t> samples(run.output.size() / 2); // s16le, the byte order of the machines we run on
    std::memcpy(samples.data(), run.output.data(), samples.size() * 2);
    return samples;
}

// Where, within 150 ms of `seconds`, the energy of the next 20 ms most exceeds that of the
// previous 20 ms: the strongest onset near that time. Returns its offset in milliseconds.
double onsetOffsetMs(const std::vector<std::int16_t>& pcm, double seconds) {
    const long window = rate / 50, span = rate * 15 / 100;
    long centre = std::lround(seconds * rate);
    long first = centre - span - window;
    std::vector<double> energy(1, 0.0);
    for (long i = first; i < centre + span + window; ++i) {
        double l = pcm[2 * i], r = pcm[2 * i + 1];
        energy.push_back(energy.back() + l * l + r * r);
    }
    long best = centre;
    double bestRise = -1.0;
    for (long t = centre - span; t <= centre + span; ++t) {
        long k = t - first;
        double rise = (energy[k + window] - energy[k]) - (energy[k] - energy[k - window]);
        if (rise <= bestRise) continue;
        bestRise = rise;
        best = t;
    }
    return (best - centre) * 1000.0 / rate;
}

} // namespace

TEST(Music, OutlastsTheShowAndMarksEverySceneChange) {
    const std::vector<std::int16_t> pcm = decode(SKORVANE_SOURCE_DIR "/data/velmora.mp3");
    const double end = velmoraTimeline.back().end;
    const double length = pcm.size() / 2.0 / rate;
    ASSERT_GE(length, end + 0.5);
    EXPECT_LE(length, end + 1.5);
    for (std::size_t i = 1; i < velmoraTimeline.size(); i++) {
        double change = velmoraTimeline[i].start;
        EXPECT_LE(std::fabs(onsetOffsetMs(pcm, change)), 20.0) << "at " << change << " s";
    }
}
