// gen-music: renders the show's soundtrack with the synth library and encodes it with lame.
//   gen-music [--wav <file.wav>] <out.mp3>
// The arrangement follows the scene windows: each scene change falls on a downbeat hit.

#include "synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace synth;

namespace {

constexpr double kLength = 101.0;  // seconds: the show ends at 100 s, just before the track
constexpr double kCeiling = 0.75;  // about -2.5 dBFS before encoding, so mp3 overshoot stays under -0.5
constexpr double kDrive = 2.2;     // how far the limiter pushes the mix into the ceiling

// Beats where the scenes start; the tempo map pins each to its scene time.
constexpr double kIntro = 12, kTheme = 24, kDrop = 96, kWorld = 108, kInfinity = 132;

TempoMap showTempo() {
    TempoMap tempo;
    tempo.addSegment(24, 12.0);    // title and intro, 120 bpm
    tempo.addSegment(72, 35.553);  // main theme, 18 bars at ~121.5 bpm
    tempo.addSegment(12, 6.642);   // the drop, 3 bars at ~108.4 bpm
    tempo.addSegment(24, 16.341);  // the whole world, 6 bars at ~88.1 bpm
    tempo.addSegment(64, 32.0);    // the star stream, 120 bpm to past the end
    return tempo;
}

struct Chord {
    int root;
    std::array<int, 4> tones;
};

const Chord Dm{38, {57, 62, 65, 69}};
const Chord Bb{34, {58, 62, 65, 70}};
const Chord F{41, {57, 60, 65, 69}};
const Chord C{36, {55, 60, 64, 67}};
const Chord Gm{31, {55, 58, 62, 67}};
const Chord A{33, {57, 61, 64, 69}};

struct Step {
    double beat, beats;
    int pitch;
};
using Phrase = std::vector<Step>;

// The main theme, two four-bar phrases over Dm Bb F C | Dm Bb C A.
const Phrase kThemeA = {{0, 1.5, 69}, {1.5, 0.5, 69}, {2, 1, 72},   {3, 1, 74},   {4, 1.5, 77}, {5.5, 0.5, 74},
                        {6, 2, 74},   {8, 1, 72},     {9, 1, 69},   {10, 1.5, 72}, {11.5, 0.5, 74}, {12, 2.5, 76},
                        {14.5, 0.5, 74}, {15, 1, 72}};
const Phrase kThemeB = {{0, 1.5, 69}, {1.5, 0.5, 69}, {2, 1, 72}, {3, 1, 74}, {4, 1, 77},  {5, 1, 79},
                        {6, 1.5, 77}, {7.5, 0.5, 76}, {8, 1, 76}, {9, 1, 74}, {10, 2, 72}, {12, 2, 73},
                        {14, 1, 76},  {15, 1, 69}};
// The slow melody of the wide section, one bar per chord of Bb F C Dm Gm A.
const Phrase kWide = {{0, 3, 74}, {3, 1, 77}, {4, 2, 72}, {6, 2, 69}, {8, 3, 67},   {11, 1, 72},
                      {12, 4, 74}, {16, 2, 70}, {18, 2, 74}, {20, 2, 73}, {22, 2, 76}};
const Phrase kTitleBells = {{1, 1, 81}, {2.5, 1.5, 77}, {4, 2, 74}, {6, 1, 76}, {7, 1, 77}, {8, 2, 79}, {10, 2, 76}};

Patch padPatch(bool wide) {
    Patch p;
    p.unison = wide ? 5 : 3;
    p.detune = wide ? 18 : 11;
    p.width = wide ? 1.0 : 0.6;
    p.attack = wide ? 1.2 : 0.6;
    p.decay = 1.0;
    p.sustain = 0.8;
    p.release = wide ? 2.0 : 1.2;
    p.cutoff = wide ? 2400 : 1500;
    p.gain = 0.14;
    return p;
}

Patch bassPatch() {
    Patch p;
    p.sub = 0.8;
    p.attack = 0.003;
    p.decay = 0.25;
    p.sustain = 0.7;
    p.release = 0.06;
    p.cutoff = 220;
    p.sweep = 1500;
    p.sweepTime = 0.12;
    p.q = 1.2;
    p.gain = 0.32;
    return p;
}

Patch leadPatch() {
    Patch p;
    p.wave = Wave::Square;
    p.unison = 2;
    p.detune = 6;
    p.width = 0.3;
    p.attack = 0.01;
    p.decay = 0.3;
    p.sustain = 0.7;
    p.release = 0.25;
    p.cutoff = 1600;
    p.sweep = 2500;
    p.sweepTime = 0.25;
    p.vibrato = 18;
    p.vibratoRate = 5.5;
    p.gain = 0.13;
    return p;
}

Patch pluckPatch() {
    Patch p;
    p.attack = 0.002;
    p.decay = 0.2;
    p.sustain = 0.0;
    p.release = 0.1;
    p.cutoff = 500;
    p.sweep = 4000;
    p.sweepTime = 0.07;
    p.q = 1.4;
    p.gain = 0.11;
    return p;
}

Patch bellPatch() {
    Patch p;
    p.wave = Wave::Triangle;
    p.unison = 2;
    p.detune = 4;
    p.width = 0.5;
    p.attack = 0.003;
    p.decay = 1.8;
    p.sustain = 0.0;
    p.release = 1.0;
    p.cutoff = 6000;
    p.gain = 0.22;
    return p;
}

Patch fallPatch() {
    Patch p;
    p.unison = 3;
    p.detune = 20;
    p.width = 0.8;
    p.attack = 0.005;
    p.decay = 2.0;
    p.sustain = 0.5;
    p.release = 0.6;
    p.cutoff = 3000;
    p.gain = 0.16;
    return p;
}

// One bus per sound family, so each gets its own share of echo and reverb.
struct Mix {
    explicit Mix(long frames) : drums(frames), bass(frames), pad(frames), lead(frames), keys(frames) {}
    Buffer drums, bass, pad, lead, keys;
};

class Arranger {
public:
    Arranger(const Sequencer& seq, Mix& mix) : seq(seq), mix(mix) {}

    void title();
    void intro();
    void theme();
    void drop();
    void world();
    void infinity();

private:
    void chords(double beat, const std::vector<Chord>& progression, double beatsEach, bool wide, double velocity);
    void bassline(double beat, const std::vector<Chord>& progression, double velocity);
    void arpeggio(double beat, const std::vector<Chord>& progression, double step, double velocity);
    void melody(double beat, const Phrase& phrase, const Patch& patch, Buffer& out, int transpose, double velocity);
    void groove(double from, double to, bool snares, bool sixteenths);
    void fill(double from, double to, double velocity);
    void hit(double beat, double boom);

    Sequencer seq;
    Mix& mix;
};

void Arranger::chords(double beat, const std::vector<Chord>& progression, double beatsEach, bool wide, double velocity) {
    Patch patch = padPatch(wide);
    for (const Chord& chord : progression) {
        for (size_t i = 0; i < chord.tones.size(); ++i) {
            double pan = (static_cast<double>(i) / 3.0 - 0.5) * 0.6;
            play(patch, seq.note(beat, beatsEach, chord.tones[i], velocity, pan), mix.pad);
        }
        beat += beatsEach;
    }
}

// Driving eighths, one bar per chord, with the octave on the off-beats.
void Arranger::bassline(double beat, const std::vector<Chord>& progression, double velocity) {
    static const std::array<int, 8> octave = {0, 0, 12, 0, 0, 12, 0, 12};
    Patch patch = bassPatch();
    for (const Chord& chord : progression) {
        for (int i = 0; i < 8; ++i) {
            play(patch, seq.note(beat + i * 0.5, 0.4, chord.root + 12 + octave[i], velocity * (i % 2 ? 0.8 : 1.0)), mix.bass);
        }
        beat += 4;
    }
}

void Arranger::arpeggio(double beat, const std::vector<Chord>& progression, double step, double velocity) {
    static const std::array<int, 8> order = {0, 1, 2, 3, 2, 1, 3, 1};
    Patch patch = pluckPatch();
    for (const Chord& chord : progression) {
        int count = static_cast<int>(4 / step);
        for (int i = 0; i < count; ++i) {
            double pan = i % 2 ? 0.45 : -0.45;
            double accent = i % 4 == 0 ? 1.0 : 0.7;
            play(patch, seq.note(beat + i * step, step * 0.8, chord.tones[order[i % 8]] + 12, velocity * accent, pan), mix.keys);
        }
        beat += 4;
    }
}

void Arranger::melody(double beat, const Phrase& phrase, const Patch& patch, Buffer& out, int transpose, double velocity) {
    for (const Step& s : phrase) play(patch, seq.note(beat + s.beat, s.beats * 0.95, s.pitch + transpose, velocity), out);
}

void Arranger::groove(double from, double to, bool snares, bool sixteenths) {
    for (double b = from; b < to; b += 1.0) {
        kick(mix.drums, seq.at(b), 0.9);
        if (snares && static_cast<long>(b - from) % 2 == 1) snare(mix.drums, seq.at(b), 0.7);
        hat(mix.drums, seq.at(b + 0.5), 0.35);
        if (!sixteenths) continue;
        hat(mix.drums, seq.at(b + 0.25), 0.12);
        hat(mix.drums, seq.at(b + 0.75), 0.15);
    }
}

// Snare roll, eighths then sixteenths, growing towards `to`.
void Arranger::fill(double from, double to, double velocity) {
    for (double b = from; b < to - 1e-9; b += (to - b > 1.0 ? 0.5 : 0.25)) {
        double x = (b - from) / (to - from);
        snare(mix.drums, seq.at(b), velocity * (0.3 + 0.7 * x));
    }
}

// A scene change: crash, kick and, for the big ones, a long sub boom.
void Arranger::hit(double beat, double boom) {
    crash(mix.drums, seq.at(beat), 0.8);
    kick(mix.drums, seq.at(beat), 1.0, boom);
}

// Quiet and open: slow pad chords, a few bells in the echo, a breath of noise into the beat.
void Arranger::title() {
    chords(0, {Dm, Bb, C}, 4, false, 0.45);
    melody(0, kTitleBells, bellPatch(), mix.keys, 0, 0.45);
    riser(mix.drums, seq.at(8), seq.at(kIntro), 0.5);
}

void Arranger::intro() {
    hit(kIntro, 0.3);
    groove(kIntro, kIntro + 11.5, true, false);
    fill(kIntro + 10, kIntro + 11.5, 0.6);
    chords(kIntro, {Dm, Bb, C}, 4, false, 0.7);
    bassline(kIntro, {Dm, Bb, C}, 0.9);
    arpeggio(kIntro, {Dm, Bb, C}, 0.25, 0.6);
    riser(mix.drums, seq.at(kIntro + 8), seq.at(kTheme), 0.7);
}

// Eight bars of theme, a four-bar break that builds back up, six bars of theme an octave higher.
void Arranger::theme() {
    const std::vector<Chord> first = {Dm, Bb, F, C, Dm, Bb, C, A};
    const std::vector<Chord> last = {Dm, Bb, F, C, Gm, A};
    double breakdown = kTheme + 32, reprise = kTheme + 48;

    hit(kTheme, 0.45);
    crash(mix.drums, seq.at(kTheme + 16), 0.5);
    groove(kTheme, breakdown, true, true);
    chords(kTheme, first, 4, false, 0.8);
    bassline(kTheme, first, 1.0);
    arpeggio(kTheme, first, 0.25, 0.7);
    melody(kTheme, kThemeA, leadPatch(), mix.lead, 0, 1.0);
    melody(kTheme + 16, kThemeB, leadPatch(), mix.lead, 0, 1.0);

    chords(breakdown, {Dm, Bb, F, C}, 4, true, 0.9);
    melody(breakdown, kThemeA, bellPatch(), mix.keys, 12, 0.5);
    for (double b = breakdown + 8; b < reprise; b += 1.0) kick(mix.drums, seq.at(b), 0.5 + 0.05 * (b - breakdown - 8));
    fill(breakdown + 12, reprise, 0.8);
    riser(mix.drums, seq.at(breakdown + 8), seq.at(reprise), 0.8);
    bassline(breakdown + 8, {F, C}, 0.8);

    hit(reprise, 0.45);
    groove(reprise, kDrop - 2.5, true, true);
    fill(kDrop - 4, kDrop - 0.5, 0.9);
    chords(reprise, last, 4, false, 0.85);
    bassline(reprise, last, 1.0);
    arpeggio(reprise, last, 0.25, 0.75);
    melody(reprise, kThemeA, leadPatch(), mix.lead, 0, 0.8);
    melody(reprise, kThemeA, leadPatch(), mix.lead, 12, 0.55);
    melody(reprise + 16, {{0, 2, 70}, {2, 2, 74}, {4, 2, 73}, {6, 1.5, 76}}, leadPatch(), mix.lead, 0, 0.9);
}

// The cars fall: everything stops on one hit and a figure tumbles two octaves down.
void Arranger::drop() {
    static const std::array<int, 16> falling = {86, 84, 81, 79, 77, 76, 74, 72, 69, 67, 65, 64, 62, 60, 57, 55};
    hit(kDrop, 0.8);
    Note fall = seq.note(kDrop, 4, 74, 1.0);
    fall.bend = -24;
    play(fallPatch(), fall, mix.lead);
    Note sink = seq.note(kDrop, 4, Dm.root, 1.0);
    sink.bend = -12;
    play(bassPatch(), sink, mix.bass);
    for (size_t i = 0; i < falling.size(); ++i) {
        double pan = i % 2 ? 0.5 : -0.5;
        play(bellPatch(), seq.note(kDrop + 0.25 * i, 0.2, falling[i], 0.7 - 0.025 * i, pan), mix.keys);
    }
    chords(kDrop + 4, {Bb, Gm}, 4, true, 0.5);
    kick(mix.drums, seq.at(kDrop + 6), 0.35, 0.4);
    riser(mix.drums, seq.at(kDrop + 8), seq.at(kWorld - 0.25), 0.4);
}

// The whole world from outside: wide pad, half-time drums, a slow singing line.
void Arranger::world() {
    const std::vector<Chord> progression = {Bb, F, C, Dm, Gm, A};
    hit(kWorld, 0.7);
    chords(kWorld, progression, 4, true, 0.9);
    Patch sub = bassPatch();
    sub.sweep = 300;
    for (size_t i = 0; i < progression.size(); ++i) {
        play(sub, seq.note(kWorld + 4 * i, 3.8, progression[i].root + 12, 0.8), mix.bass);
    }
    for (double b = kWorld; b < kInfinity - 2; b += 4) {
        if (b > kWorld) kick(mix.drums, seq.at(b), 0.85, 0.35);
        kick(mix.drums, seq.at(b + 1.5), 0.6, 0.3);
        snare(mix.drums, seq.at(b + 2), 0.75);
        for (int i = 0; i < 8; ++i) hat(mix.drums, seq.at(b + 0.5 * i), i % 2 ? 0.25 : 0.12);
    }
    fill(kInfinity - 2, kInfinity - 0.5, 0.85);
    arpeggio(kWorld, progression, 0.5, 0.5);
    melody(kWorld, kWide, leadPatch(), mix.lead, 0, 0.9);
}

// Last build: four bars of theme, four more with everything, then a long outro the fade carries off.
void Arranger::infinity() {
    const std::vector<Chord> first = {Dm, Bb, F, C, Dm, Bb, C, A};
    double full = kInfinity + 16, outro = kInfinity + 32;
    hit(kInfinity, 0.5);
    groove(kInfinity, full, false, false);
    groove(full, outro, true, true);
    crash(mix.drums, seq.at(full), 0.6);
    chords(kInfinity, first, 4, false, 0.8);
    bassline(kInfinity, first, 1.0);
    arpeggio(kInfinity, first, 0.25, 0.7);
    melody(kInfinity, kThemeA, leadPatch(), mix.lead, 0, 0.9);
    melody(full, kThemeB, leadPatch(), mix.lead, 0, 1.0);
    melody(full, kThemeB, leadPatch(), mix.lead, 12, 0.5);

    hit(outro, 0.5);
    chords(outro, {Dm, Bb, F, C, Dm, Dm}, 4, true, 0.8);
    arpeggio(outro, {Dm, Bb, F, C, Dm, Dm}, 0.5, 0.55);
    melody(outro, kThemeA, bellPatch(), mix.keys, 12, 0.5);
    for (double b = outro; b < outro + 16; b += 1.0) kick(mix.drums, seq.at(b), 0.6);
}

Buffer mixdown(const Mix& mix) {
    Buffer master(mix.drums.frames());
    master.mix(mix.drums, 1.0);
    master.mix(mix.bass, 1.0);
    master.mix(mix.pad, 1.0);
    master.mix(mix.lead, 1.0);
    master.mix(mix.keys, 1.0);

    Buffer echoSend(master.frames());
    echoSend.mix(mix.lead, 0.3);
    echoSend.mix(mix.keys, 0.45);
    Buffer echoes = echo(echoSend, toSamples(0.375), 0.45);

    Buffer roomSend(master.frames());
    roomSend.mix(mix.drums, 0.15);
    roomSend.mix(mix.pad, 0.5);
    roomSend.mix(mix.lead, 0.35);
    roomSend.mix(mix.keys, 0.5);
    roomSend.mix(echoes, 0.5);
    master.mix(echoes, 1.0);
    master.mix(reverb(roomSend, 0.85, 0.4), 1.0);
    return master;
}

void removeDc(std::vector<double>& channel) {
    double x1 = 0.0, y1 = 0.0;
    for (double& x : channel) {
        double y = x - x1 + 0.9985 * y1;
        x1 = x;
        x = y1 = y;
    }
}

// Brick-wall limiter: scales the track so its peak is `ceiling`, boosts it by `drive`, and
// pulls the gain down ahead of every sample that would pass the ceiling (linear ramp over
// `lookahead` samples, so transients keep their shape), recovering over about 80 ms.
void limit(Buffer& track, double drive, double ceiling) {
    const long lookahead = 66;
    const double recovery = 1.0 / toSamples(0.08);
    long frames = track.frames();
    double peak = 0.0;
    for (long i = 0; i < frames; ++i) peak = std::max({peak, std::fabs(track.left[i]), std::fabs(track.right[i])});
    if (peak == 0.0) return;
    double boost = drive * ceiling / peak;
    std::vector<double> gain(frames);
    double next = 1.0;
    for (long i = frames - 1; i >= 0; --i) {
        double level = boost * std::max(std::fabs(track.left[i]), std::fabs(track.right[i]));
        next = std::min({1.0, ceiling / std::max(level, 1e-12), next + 1.0 / lookahead});
        gain[i] = next;
    }
    double g = 1.0;
    for (long i = 0; i < frames; ++i) {
        g = std::min(gain[i], g + (1.0 - g) * recovery);
        track.left[i] *= boost * g;
        track.right[i] *= boost * g;
    }
}

// A 10 ms fade-in, then the long fade-out of the last scene down to silence at the last sample.
void fade(Buffer& track, long from) {
    long frames = track.frames();
    for (long i = 0; i < frames; ++i) {
        double gain = std::min(1.0, i / 441.0);
        if (i > from) gain *= std::pow(1.0 - static_cast<double>(i - from) / (frames - 1 - from), 2.0);
        track.left[i] *= gain;
        track.right[i] *= gain;
    }
}

Buffer renderTrack() {
    TempoMap tempo = showTempo();
    Sequencer seq(tempo);
    Mix mix(toSamples(kLength));
    Arranger arranger(seq, mix);
    arranger.title();
    arranger.intro();
    arranger.theme();
    arranger.drop();
    arranger.world();
    arranger.infinity();
    Buffer track = mixdown(mix);
    removeDc(track.left);
    removeDc(track.right);
    limit(track, kDrive, kCeiling);
    fade(track, tempo.sample(kInfinity + 32));
    return track;
}

std::vector<int16_t> interleave(const Buffer& track) {
    std::vector<int16_t> pcm;
    pcm.reserve(track.frames() * 2);
    for (long i = 0; i < track.frames(); ++i) {
        for (double x : {track.left[i], track.right[i]}) {
            pcm.push_back(static_cast<int16_t>(std::lround(std::clamp(x, -1.0, 1.0) * 32767.0)));
        }
    }
    return pcm;
}

void putLE(std::FILE* f, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc((value >> (8 * i)) & 0xff, f);
}

bool writeWav(const std::string& path, const std::vector<int16_t>& pcm) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    uint32_t bytes = static_cast<uint32_t>(pcm.size() * 2);
    std::fputs("RIFF", f);
    putLE(f, 36 + bytes, 4);
    std::fputs("WAVEfmt ", f);
    putLE(f, 16, 4);
    putLE(f, 1, 2);
    putLE(f, 2, 2);
    putLE(f, kRate, 4);
    putLE(f, kRate * 4, 4);
    putLE(f, 4, 2);
    putLE(f, 16, 2);
    std::fputs("data", f);
    putLE(f, bytes, 4);
    for (int16_t s : pcm) putLE(f, static_cast<uint16_t>(s), 2);
    return std::fclose(f) == 0;
}

std::string shellQuote(const std::string& s) {
    std::string quoted = "'";
    for (char c : s) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// 192 kbps CBR, no ID3 tag (nothing dated or host-specific), so the bytes depend on the PCM alone.
// The LAME info frame stays: it records the encoder delay and padding that decoders trim, which
// keeps the decoded onsets on the scene boundaries.
bool encodeMp3(const std::string& path, const std::vector<int16_t>& pcm) {
    std::string command = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 192 --cbr -q 2 - " +
                          shellQuote(path);
    std::FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) return false;
    std::vector<unsigned char> bytes;
    bytes.reserve(pcm.size() * 2);
    for (int16_t s : pcm) {
        bytes.push_back(static_cast<uint16_t>(s) & 0xff);
        bytes.push_back(static_cast<uint16_t>(s) >> 8);
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), pipe) == bytes.size();
    return pclose(pipe) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    std::string wav, mp3;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--wav" && i + 1 < argc) {
            wav = argv[++i];
        } else if (mp3.empty() && arg.rfind("--", 0) != 0) {
            mp3 = arg;
        } else {
            mp3.clear();
            break;
        }
    }
    if (mp3.empty()) {
        std::puts("usage: gen-music [--wav <file.wav>] <out.mp3>");
        return 2;
    }
    std::vector<int16_t> pcm = interleave(renderTrack());
    if (!wav.empty() && !writeWav(wav, pcm)) {
        std::printf("cannot write %s\n", wav.c_str());
        return 1;
    }
    if (!encodeMp3(mp3, pcm)) {
        std::printf("cannot encode %s with lame\n", mp3.c_str());
        return 1;
    }
    return 0;
}
