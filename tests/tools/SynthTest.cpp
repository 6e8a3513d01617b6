#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <utility>

using namespace synth;

TEST(SynthTest, EnvelopeStagesEndOnTheirSamples) {
    // Attack 100, decay 50 to 0.5, release 200 from a gate of 400 samples.
    Envelope env(100, 50, 0.5, 200);
    for (auto [sample, level] : {std::pair{-1L, 0.0}, {0L, 0.0}, {50L, 0.5}, {99L, 0.99}, {100L, 1.0}, {125L, 0.75},
                                 {150L, 0.5}, {399L, 0.5}, {400L, 0.5}, {500L, 0.25}, {600L, 0.0}})
        EXPECT_DOUBLE_EQ(level, env.at(sample, 400)) << "sample " << sample;
    EXPECT_GT(env.at(599, 400), 0.0);
    EXPECT_EQ(600, env.length(400));

    // Released during the attack, it falls from where it was.
    Envelope early(100, 50, 0.5, 100);
    for (auto [sample, level] : {std::pair{39L, 0.39}, {40L, 0.4}, {90L, 0.2}, {140L, 0.0}})
        EXPECT_DOUBLE_EQ(level, early.at(sample, 40)) << "sample " << sample;
    // Zero-length stages jump straight to their targets instead of dividing by zero.
    Envelope instant(0, 0, 0.7, 0);
    EXPECT_DOUBLE_EQ(0.7, instant.at(0, 10));
    EXPECT_DOUBLE_EQ(0.0, instant.at(10, 10));

    Envelope seconds = Envelope::fromSeconds(0.01, 0.0, 1.0, 0.5);
    EXPECT_DOUBLE_EQ(1.0, seconds.at(441, 1000));
    EXPECT_LT(seconds.at(440, 1000), 1.0);
    EXPECT_EQ(1000 + 22050, seconds.length(1000));
}

TEST(SynthTest, TempoMapAndSequencerPinEverySegmentToItsTime) {
    TempoMap tempo;
    tempo.addSegment(24, 12.0);
    tempo.addSegment(72, 35.553);
    tempo.addSegment(12, 6.642);
    EXPECT_DOUBLE_EQ(0.0, tempo.seconds(0));
    EXPECT_DOUBLE_EQ(6.0, tempo.seconds(12));
    EXPECT_DOUBLE_EQ(12.0, tempo.seconds(24));
    EXPECT_NEAR(12.0 + 36 * 35.553 / 72, tempo.seconds(60), 1e-9);
    EXPECT_NEAR(47.553, tempo.seconds(96), 1e-9);
    EXPECT_NEAR(54.195, tempo.seconds(108), 1e-9);
    // Past the last segment the last tempo carries on.
    EXPECT_NEAR(54.195 + 6.642, tempo.seconds(120), 1e-9);
    EXPECT_DOUBLE_EQ(120.0, tempo.bpm(23.9));
    EXPECT_NEAR(72 * 60 / 35.553, tempo.bpm(24), 1e-9);
    EXPECT_EQ(std::lround(47.553 * kRate), tempo.sample(96));
    EXPECT_THROW(TempoMap().seconds(0), std::logic_error);

    // A note that straddles a tempo change: 3 to 5 beats where beat 4 falls at 2 s and beat 6 at 4 s.
    TempoMap change;
    change.addSegment(4, 2.0);
    change.addSegment(4, 4.0);
    Sequencer seq(change);
    Note n = seq.note(3, 2, 60, 0.5, -0.25);
    EXPECT_EQ(toSamples(1.5), n.start);
    EXPECT_EQ(toSamples(3.0) - toSamples(1.5), n.gate);
    EXPECT_EQ(2 * kRate, seq.at(4));
    EXPECT_EQ(4 * kRate, seq.at(6));
    EXPECT_EQ((std::array<double, 3>{60.0, 0.5, -0.25}), (std::array<double, 3>{n.pitch, n.velocity, n.pan}));
}

TEST(SynthTest, NotesAndDrumsSoundExactlyFromTheirStartSample) {
    Patch patch;
    patch.wave = Wave::Square;
    patch.attack = 0.0;
    patch.release = 0.01;
    Buffer out(4000);
    Note note;
    note.start = 1000;
    note.gate = 1000;
    play(patch, note, out);
    long end = note.start + note.gate + toSamples(patch.release);
    for (long i = 0; i < out.frames(); ++i) {
        if (i >= note.start && i < end) continue;
        ASSERT_EQ(0.0, std::fabs(out.left[i]) + std::fabs(out.right[i])) << "sample " << i;
    }
    EXPECT_NE(0.0, out.left[note.start + 2]);
    EXPECT_NE(0.0, out.right[end - 10]);

    for (void (*hit)(Buffer&, long, double) : {+[](Buffer& b, long at, double v) { kick(b, at, v); },
                                               +[](Buffer& b, long at, double v) { snare(b, at, v); },
                                               +[](Buffer& b, long at, double v) { crash(b, at, v); }}) {
        Buffer drum(20000);
        hit(drum, 5000, 1.0);
        EXPECT_EQ(0.0, drum.left[4999]);
        double early = 0.0;
        for (long i = 5000; i < 5000 + 441; ++i) early = std::max(early, std::fabs(drum.left[i]));
        EXPECT_GT(early, 0.05);
    }
}

TEST(SynthTest, OscillatorRunsAtItsFrequencyAndTheFilterCutsAbove) {
    for (Wave wave : {Wave::Sine, Wave::Saw, Wave::Square, Wave::Triangle}) {
        Oscillator osc(0.25);
        double previous = osc.next(wave, 441.0);
        int upward = 0;
        for (int i = 1; i < kRate; ++i) {
            double x = osc.next(wave, 441.0);
            upward += previous < 0.0 && x >= 0.0;
            previous = x;
        }
        EXPECT_NEAR(441, upward, 1) << static_cast<int>(wave);
    }

    auto gainAt = [](double hz) {
        Filter filter;
        filter.tune(500.0, 0.707);
        Oscillator osc;
        double peak = 0.0;
        for (int i = 0; i < kRate / 2; ++i) {
            double y = filter.process(osc.next(Wave::Sine, hz)).low;
            if (i > kRate / 4) peak = std::max(peak, std::fabs(y));
        }
        return 20.0 * std::log10(peak);
    };
    EXPECT_NEAR(0.0, gainAt(50.0), 0.5);
    EXPECT_NEAR(-3.0, gainAt(500.0), 0.5);
    EXPECT_LT(gainAt(5000.0), -38.0);
}

TEST(SynthTest, NoiseIsSeededAndBounded) {
    Noise a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 10000; ++i) {
        double x = a.next();
        EXPECT_EQ(x, b.next());
        differs |= x != c.next();
        ASSERT_GE(x, -1.0);
        ASSERT_LT(x, 1.0);
    }
    EXPECT_TRUE(differs);
}
