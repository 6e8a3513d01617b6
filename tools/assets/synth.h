// A small offline synthesiser: oscillators, envelopes, a filter, a drum kit built from
// noise and pitched sines, a delay and a reverb, and a sequencer that places notes on a
// tempo map. Everything renders into stereo double buffers at one fixed rate; nothing
// depends on the clock, threads or global state, so a render is reproducible bit for bit.
#pragma once

#include <cstdint>
#include <vector>

namespace synth {

constexpr int kRate = 44100;

long toSamples(double seconds);
double pitchToHz(double pitch);

struct Buffer {
    explicit Buffer(long frames = 0) : left(frames), right(frames) {}
    long frames() const { return static_cast<long>(left.size()); }
    void add(long i, double l, double r);
    void mix(const Buffer& other, double gain);

    std::vector<double> left, right;
};

// Linear attack-decay-sustain-release envelope counted in samples.
class Envelope {
public:
    Envelope(long attack, long decay, double sustain, long release);
    static Envelope fromSeconds(double attack, double decay, double sustain, double release);

    // Level n samples after note-on for a key released `gate` samples after note-on.
    double at(long n, long gate) const;
    long length(long gate) const { return gate + release; }

private:
    double held(long n) const;

    long attack, decay;
    double sustain;
    long release;
};

enum class Wave { Sine, Triangle, Saw, Square };

// Band-limited (polyBLEP) oscillator; phase in [0, 1).
class Oscillator {
public:
    explicit Oscillator(double phase = 0.0) : phase(phase) {}
    double next(Wave wave, double hz);

private:
    double phase;
};

// Zero-delay-feedback state-variable filter; stays stable under fast cutoff sweeps.
class Filter {
public:
    struct Out {
        double low, band, high;
    };

    Filter() { tune(1000.0, 0.707); }
    void tune(double hz, double q);
    Out process(double x);

private:
    double k = 0, a1 = 0, a2 = 0, a3 = 0;
    double ic1 = 0, ic2 = 0;
};

// xorshift noise in [-1, 1), seeded so every drum hit is the same on every render.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    double next();

private:
    uint32_t state;
};

struct Patch {
    Wave wave = Wave::Saw;
    int unison = 1;
    double detune = 0.0;  // cents between the outermost unison voices and the centre
    double width = 0.0;   // stereo spread of the unison voices, 0..1
    double sub = 0.0;     // level of a sine one octave down
    double attack = 0.005, decay = 0.2, sustain = 0.7, release = 0.2;
    double cutoff = 18000.0, sweep = 0.0, sweepTime = 0.1;  // lowpass opens by `sweep` Hz at note-on
    double q = 0.707;
    double vibrato = 0.0, vibratoRate = 5.0;  // cents, Hz
    double gain = 1.0;
};

struct Note {
    long start = 0;
    long gate = 0;
    double pitch = 69.0;  // MIDI note number, fractional allowed
    double velocity = 1.0;
    double pan = 0.0;   // -1 left .. 1 right
    double bend = 0.0;  // semitones reached at the end of the gate, accelerating
};

void play(const Patch& patch, const Note& note, Buffer& out);

void kick(Buffer& out, long at, double velocity, double decay = 0.25);
void snare(Buffer& out, long at, double velocity);
void hat(Buffer& out, long at, double velocity, double decay = 0.035);
void crash(Buffer& out, long at, double velocity);
// Noise sweeping upwards that grows until `to` and stops dead there.
void riser(Buffer& out, long from, long to, double velocity);

// Ping-pong echo of the input (wet signal only).
Buffer echo(const Buffer& in, long delay, double feedback);
// Comb-and-allpass room (wet signal only); size and damping in 0..1.
Buffer reverb(const Buffer& in, double size, double damping);

// Tempo as a chain of segments, each a whole number of beats pinned to an exact duration,
// so section boundaries fall on chosen times whatever tempo that implies.
class TempoMap {
public:
    void addSegment(double beats, double seconds);
    double seconds(double beat) const;
    double bpm(double beat) const;
    long sample(double beat) const { return toSamples(seconds(beat)); }

private:
    struct Segment {
        double firstBeat, startSeconds, beats, secondsPerBeat;
    };
    const Segment& segmentAt(double beat) const;

    std::vector<Segment> segments;
};

// Turns musical positions (beats) into notes and hit positions (samples).
class Sequencer {
public:
    explicit Sequencer(const TempoMap& tempo) : tempo(tempo) {}
    long at(double beat) const { return tempo.sample(beat); }
    Note note(double beat, double beats, double pitch, double velocity = 1.0, double pan = 0.0) const;

private:
    TempoMap tempo;
};

}  // namespace synth
