#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace synth {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Control-rate step: pitch and cutoff are recomputed this often, which is far above
// any modulation rate used and keeps pow/tan out of the per-sample path.
constexpr long kControlStep = 16;

double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

void panGains(double pan, double& l, double& r) {
    double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    l = std::cos(angle);
    r = std::sin(angle);
}

uint32_t seedFor(long at, uint32_t salt) { return static_cast<uint32_t>(at) * 2654435761u ^ salt; }

// Short linear ramp so no hit starts with a step.
double onsetRamp(long i) { return std::min(1.0, i / 44.0); }

}  // namespace

long toSamples(double seconds) { return std::lround(seconds * kRate); }

double pitchToHz(double pitch) { return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0); }

void Buffer::add(long i, double l, double r) {
    if (i < 0 || i >= frames()) return;
    left[i] += l;
    right[i] += r;
}

void Buffer::mix(const Buffer& other, double gain) {
    long n = std::min(frames(), other.frames());
    for (long i = 0; i < n; ++i) {
        left[i] += other.left[i] * gain;
        right[i] += other.right[i] * gain;
    }
}

Envelope::Envelope(long attack, long decay, double sustain, long release)
    : attack(std::max(0L, attack)), decay(std::max(0L, decay)), sustain(sustain), release(std::max(0L, release)) {}

Envelope Envelope::fromSeconds(double attack, double decay, double sustain, double release) {
    return Envelope(toSamples(attack), toSamples(decay), sustain, toSamples(release));
}

double Envelope::held(long n) const {
    if (n < attack) return static_cast<double>(n) / attack;
    if (n < attack + decay) return 1.0 - (1.0 - sustain) * (n - attack) / decay;
    return sustain;
}

double Envelope::at(long n, long gate) const {
    if (n < 0) return 0.0;
    if (n < gate) return held(n);
    long sinceRelease = n - gate;
    if (sinceRelease >= release) return 0.0;
    return held(gate) * (1.0 - static_cast<double>(sinceRelease) / release);
}

double Oscillator::next(Wave wave, double hz) {
    double dt = hz / kRate;
    double t = phase;
    phase += dt;
    phase -= std::floor(phase);
    switch (wave) {
    case Wave::Sine:
        return std::sin(2.0 * kPi * t);
    case Wave::Triangle:
        return 1.0 - 4.0 * std::fabs(t - 0.5);
    case Wave::Saw:
        return 2.0 * t - 1.0 - polyBlep(t, dt);
    case Wave::Square: {
        double shifted = t + 0.5 - std::floor(t + 0.5);
        return (t < 0.5 ? 1.0 : -1.0) + polyBlep(t, dt) - polyBlep(shifted, dt);
    }
    }
    return 0.0;
}

void Filter::tune(double hz, double q) {
    double g = std::tan(kPi * std::clamp(hz, 10.0, 0.45 * kRate) / kRate);
    k = 1.0 / q;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

Filter::Out Filter::process(double x) {
    double v3 = x - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    return {v2, v1, x - k * v1 - v2};
}

double Noise::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state / 2147483648.0 - 1.0;
}

void play(const Patch& patch, const Note& note, Buffer& out) {
    Envelope amp = Envelope::fromSeconds(patch.attack, patch.decay, patch.sustain, patch.release);
    int voices = std::max(1, patch.unison);
    std::vector<Oscillator> oscillators;
    std::vector<double> ratio, gainL, gainR;
    for (int v = 0; v < voices; ++v) {
        double spread = voices == 1 ? 0.0 : 2.0 * v / (voices - 1) - 1.0;
        oscillators.emplace_back(std::fmod(v * 0.618034, 1.0));
        ratio.push_back(std::pow(2.0, spread * patch.detune / 1200.0));
        double l, r;
        panGains(note.pan + spread * patch.width, l, r);
        gainL.push_back(l / std::sqrt(voices));
        gainR.push_back(r / std::sqrt(voices));
    }
    Oscillator sub;
    Filter filterL, filterR;
    double hz = 0.0;
    long length = amp.length(note.gate);
    for (long i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kRate;
        if (i % kControlStep == 0) {
            double bent = std::min(1.0, static_cast<double>(i) / std::max(1L, note.gate));
            double wobble = patch.vibrato / 100.0 * std::sin(2.0 * kPi * patch.vibratoRate * t) * std::min(1.0, t / 0.4);
            hz = pitchToHz(note.pitch + note.bend * bent * bent + wobble);
            double cutoff = patch.cutoff + patch.sweep * note.velocity * std::exp(-t / patch.sweepTime);
            filterL.tune(cutoff, patch.q);
            filterR.tune(cutoff, patch.q);
        }
        double l = 0.0, r = 0.0;
        for (int v = 0; v < voices; ++v) {
            double s = oscillators[v].next(patch.wave, hz * ratio[v]);
            l += s * gainL[v];
            r += s * gainR[v];
        }
        double low = patch.sub * sub.next(Wave::Sine, hz * 0.5) * 0.7071;
        double level = amp.at(i, note.gate) * note.velocity * patch.gain;
        out.add(note.start + i, (filterL.process(l).low + low) * level, (filterR.process(r).low + low) * level);
    }
}

void kick(Buffer& out, long at, double velocity, double decay) {
    Oscillator body;
    Noise click(seedFor(at, 1));
    long length = toSamples(decay * 7.0);
    for (long i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kRate;
        double hz = 46.0 + 130.0 * std::exp(-t / 0.035);
        double s = body.next(Wave::Sine, hz) * std::exp(-t / decay) + 0.25 * click.next() * std::exp(-t / 0.003);
        s *= velocity * onsetRamp(i);
        out.add(at + i, s, s);
    }
}

void snare(Buffer& out, long at, double velocity) {
    Oscillator tone;
    Noise noise(seedFor(at, 2));
    Filter bright;
    bright.tune(1800.0, 0.8);
    long length = toSamples(0.5);
    for (long i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kRate;
        double body = 0.5 * tone.next(Wave::Sine, 185.0 + 40.0 * std::exp(-t / 0.01)) * std::exp(-t / 0.05);
        double rattle = bright.process(noise.next()).high * std::exp(-t / 0.09);
        double s = (body + 0.6 * rattle) * velocity * onsetRamp(i);
        out.add(at + i, s, s);
    }
}

void hat(Buffer& out, long at, double velocity, double decay) {
    Noise noise(seedFor(at, 3));
    Filter air;
    air.tune(7500.0, 0.9);
    long length = toSamples(decay * 7.0);
    for (long i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kRate;
        double s = air.process(noise.next()).high * std::exp(-t / decay) * velocity * onsetRamp(i);
        out.add(at + i, s * 0.8, s);
    }
}

void crash(Buffer& out, long at, double velocity) {
    Noise noiseL(seedFor(at, 4)), noiseR(seedFor(at, 5));
    Filter airL, airR;
    airL.tune(4500.0, 0.7);
    airR.tune(4500.0, 0.7);
    long length = toSamples(4.0);
    for (long i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kRate;
        double level = velocity * (0.35 * std::exp(-t / 0.9) + 0.5 * std::exp(-t / 0.06)) * onsetRamp(i);
        out.add(at + i, airL.process(noiseL.next()).high * level, airR.process(noiseR.next()).high * level);
    }
}

void riser(Buffer& out, long from, long to, double velocity) {
    Noise noise(seedFor(from, 6));
    Filter band;
    long length = std::max(1L, to - from);
    for (long i = 0; i < length; ++i) {
        double x = static_cast<double>(i) / length;
        if (i % kControlStep == 0) band.tune(300.0 * std::pow(30.0, x), 2.0);
        double stop = std::min(1.0, (length - i) / 88.0);
        double s = band.process(noise.next()).band * x * x * velocity * stop;
        out.add(from + i, s, s);
    }
}

Buffer echo(const Buffer& in, long delay, double feedback) {
    Buffer wet(in.frames());
    for (long i = delay; i < in.frames(); ++i) {
        long j = i - delay;
        wet.left[i] = 0.5 * (in.left[j] + in.right[j]) + feedback * wet.right[j];
        wet.right[i] = feedback * wet.left[j];
    }
    return wet;
}

namespace {

class Comb {
public:
    explicit Comb(long length) : line(length) {}
    double process(double x, double feedback, double damping) {
        double y = line[pos];
        store = y * (1.0 - damping) + store * damping;
        line[pos] = x + store * feedback;
        pos = (pos + 1) % line.size();
        return y;
    }

private:
    std::vector<double> line;
    size_t pos = 0;
    double store = 0.0;
};

class Allpass {
public:
    explicit Allpass(long length) : line(length) {}
    double process(double x) {
        double y = line[pos];
        line[pos] = x + y * 0.5;
        pos = (pos + 1) % line.size();
        return y - x;
    }

private:
    std::vector<double> line;
    size_t pos = 0;
};

std::vector<double> room(const std::vector<double>& in, long stretch, double size, double damping) {
    static const std::array<long, 8> combs = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const std::array<long, 4> allpasses = {556, 441, 341, 225};
    std::vector<Comb> comb;
    std::vector<Allpass> allpass;
    for (long length : combs) comb.emplace_back(length + stretch);
    for (long length : allpasses) allpass.emplace_back(length + stretch);
    double feedback = 0.7 + 0.28 * size;
    std::vector<double> out(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        double x = in[i] * 0.015;
        double y = 0.0;
        for (Comb& c : comb) y += c.process(x, feedback, damping);
        for (Allpass& a : allpass) y = a.process(y);
        out[i] = y;
    }
    return out;
}

}  // namespace

Buffer reverb(const Buffer& in, double size, double damping) {
    Buffer wet;
    // Slightly different delay lengths per side decorrelate the two channels: that is the width.
    wet.left = room(in.left, 0, size, damping);
    wet.right = room(in.right, 23, size, damping);
    return wet;
}

void TempoMap::addSegment(double beats, double seconds) {
    double firstBeat = 0.0, start = 0.0;
    if (!segments.empty()) {
        const Segment& last = segments.back();
        firstBeat = last.firstBeat + last.beats;
        start = last.startSeconds + last.beats * last.secondsPerBeat;
    }
    segments.push_back({firstBeat, start, beats, seconds / beats});
}

const TempoMap::Segment& TempoMap::segmentAt(double beat) const {
    if (segments.empty()) throw std::logic_error("tempo map has no segments");
    for (size_t i = segments.size() - 1; i > 0; --i) {
        if (beat >= segments[i].firstBeat) return segments[i];
    }
    return segments.front();
}

double TempoMap::seconds(double beat) const {
    const Segment& s = segmentAt(beat);
    return s.startSeconds + (beat - s.firstBeat) * s.secondsPerBeat;
}

double TempoMap::bpm(double beat) const { return 60.0 / segmentAt(beat).secondsPerBeat; }

Note Sequencer::note(double beat, double beats, double pitch, double velocity, double pan) const {
    Note n;
    n.start = at(beat);
    n.gate = at(beat + beats) - n.start;
    n.pitch = pitch;
    n.velocity = velocity;
    n.pan = pan;
    return n;
}

}  // namespace synth
