#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace synth;

TEST(SynthTest, EnvelopeStagesEndOnTheirSamples) {
    Envelope env(100, 50, 0.5, 200);
    long gate = 400;
    EXPECT_DOUBLE_EQ(env.at(0, gate), 0.0);
    EXPECT_DOUBLE_EQ(env.at(50, gate), 0.5);
    EXPECT_DOUBLE_EQ(env.at(99, gate), 0.99);
    EXPECT_DOUBLE_EQ(env.at(100, gate), 1.0);
    EXPECT_DOUBLE_EQ(env.at(125, gate), 0.75);
    EXPECT_DOUBLE_EQ(env.at(150, gate), 0.5);
    EXPECT_DOUBLE_EQ(env.at(399, gate), 0.5);
    EXPECT_DOUBLE_EQ(env.at(400, gate), 0.5);
    EXPECT_DOUBLE_EQ(env.at(500, gate), 0.25);
    EXPECT_GT(env.at(599, gate), 0.0);
    EXPECT_DOUBLE_EQ(env.at(600, gate), 0.0);
    EXPECT_EQ(env.length(gate), 600);
    EXPECT_DOUBLE_EQ(env.at(-1, gate), 0.0);
}

TEST(SynthTest, EnvelopeReleasedDuringAttackFallsFromWhereItWas) {
    Envelope env(100, 50, 0.5, 100);
    EXPECT_DOUBLE_EQ(env.at(39, 40), 0.39);
    EXPECT_DOUBLE_EQ(env.at(40, 40), 0.4);
    EXPECT_DOUBLE_EQ(env.at(90, 40), 0.2);
    EXPECT_DOUBLE_EQ(env.at(140, 40), 0.0);
    // Zero-length stages jump straight to their targets instead of dividing by zero.
    Envelope instant(0, 0, 0.7, 0);
    EXPECT_DOUBLE_EQ(instant.at(0, 10), 0.7);
    EXPECT_DOUBLE_EQ(instant.at(10, 10), 0.0);
}

TEST(SynthTest, EnvelopeFromSecondsRoundsToSamples) {
    Envelope env = Envelope::fromSeconds(0.01, 0.0, 1.0, 0.5);
    EXPECT_DOUBLE_EQ(env.at(441, 1000), 1.0);
    EXPECT_LT(env.at(440, 1000), 1.0);
    EXPECT_EQ(env.length(1000), 1000 + 22050);
}

TEST(SynthTest, TempoMapPinsEverySegmentToItsTime) {
    TempoMap tempo;
    tempo.addSegment(24, 12.0);
    tempo.addSegment(72, 35.553);
    tempo.addSegment(12, 6.642);
    EXPECT_DOUBLE_EQ(tempo.seconds(0), 0.0);
    EXPECT_DOUBLE_EQ(tempo.seconds(12), 6.0);
    EXPECT_DOUBLE_EQ(tempo.seconds(24), 12.0);
    EXPECT_NEAR(tempo.seconds(96), 47.553, 1e-9);
    EXPECT_NEAR(tempo.seconds(108), 54.195, 1e-9);
    EXPECT_DOUBLE_EQ(tempo.bpm(23.9), 120.0);
    EXPECT_NEAR(tempo.bpm(24), 72 * 60 / 35.553, 1e-9);
    EXPECT_NEAR(tempo.seconds(60), 12.0 + 36 * 35.553 / 72, 1e-9);
    // Past the last segment the last tempo carries on.
    EXPECT_NEAR(tempo.seconds(120), 54.195 + 12 * 6.642 / 12, 1e-9);
    EXPECT_EQ(tempo.sample(96), std::lround(47.553 * kRate));
    EXPECT_THROW(TempoMap().seconds(0), std::logic_error);
}

TEST(SynthTest, SequencerNotesFollowTheTempoAcrossAChange) {
    TempoMap tempo;
    tempo.addSegment(4, 2.0);
    tempo.addSegment(4, 4.0);
    Sequencer seq(tempo);
    Note n = seq.note(3, 2, 60, 0.5, -0.25);
    EXPECT_EQ(n.start, toSamples(1.5));
    EXPECT_EQ(n.gate, toSamples(3.0) - toSamples(1.5));
    EXPECT_EQ(seq.at(4), 2 * kRate);
    EXPECT_EQ(seq.at(6), 4 * kRate);
    EXPECT_DOUBLE_EQ(n.pitch, 60.0);
    EXPECT_DOUBLE_EQ(n.velocity, 0.5);
    EXPECT_DOUBLE_EQ(n.pan, -0.25);
}

// A rendered note is silent before its start and after its release, and sounds in between.
TEST(SynthTest, PlayedNoteSoundsExactlyWithinItsEnvelope) {
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
        bool inside = i >= note.start && i < end;
        if (!inside) {
            EXPECT_EQ(out.left[i], 0.0) << "sample " << i;
            EXPECT_EQ(out.right[i], 0.0) << "sample " << i;
        }
    }
    EXPECT_NE(out.left[note.start + 2], 0.0);
    EXPECT_NE(out.right[end - 10], 0.0);
}

TEST(SynthTest, DrumHitsStartOnTheirSample) {
    for (void (*hit)(Buffer&, long, double) : {+[](Buffer& b, long at, double v) { kick(b, at, v); },
                                               +[](Buffer& b, long at, double v) { snare(b, at, v); },
                                               +[](Buffer& b, long at, double v) { crash(b, at, v); }}) {
        Buffer out(20000);
        hit(out, 5000, 1.0);
        EXPECT_EQ(out.left[4999], 0.0);
        double early = 0.0;
        for (long i = 5000; i < 5000 + 441; ++i) early = std::max(early, std::fabs(out.left[i]));
        EXPECT_GT(early, 0.05);
    }
}

TEST(SynthTest, OscillatorRunsAtItsFrequency) {
    for (Wave wave : {Wave::Sine, Wave::Saw, Wave::Square, Wave::Triangle}) {
        Oscillator osc(0.25);
        double previous = osc.next(wave, 441.0);
        int upward = 0;
        for (int i = 1; i < kRate; ++i) {
            double x = osc.next(wave, 441.0);
            upward += previous < 0.0 && x >= 0.0;
            previous = x;
        }
        EXPECT_NEAR(upward, 441, 1) << static_cast<int>(wave);
    }
}

TEST(SynthTest, FilterPassesLowsAndCutsHighs) {
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
    EXPECT_NEAR(gainAt(50.0), 0.0, 0.5);
    EXPECT_NEAR(gainAt(500.0), -3.0, 0.5);
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
