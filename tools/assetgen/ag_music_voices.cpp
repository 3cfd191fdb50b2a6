// assetgen music instruments. Tuned voices are additive: harmonics of a fundamental whose cycle
// is a whole number of samples, so that a looped tail of whole cycles (and, for a chorused voice,
// a detuned twin that gains exactly one cycle over the loop) repeats without a seam. Envelope
// times are given in seconds at the note the voice is mostly played at; higher notes play the
// sample faster and so decay sooner, as on a real tracker. Drums are filtered noise and swept
// tones at a fixed rate, played at C-4.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_music.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
// Every sample's C-4 rate is 8363 Hz times a power of two, so that the tracker period of every
// note the pieces use (8363 x 16 x table period / rate, shifted by octave) is a whole number:
// players that keep whole periods and players that keep fractions then play the same pitch, and
// notes doubled across channels keep the same phase relation in both. Voices hold 32 or 64
// samples a cycle, which puts C-4 at 261.34 Hz, two cents below concert pitch.
constexpr uint32_t RATE_BASE = 8363;
constexpr double PEAK = 30000.0;

using noise = ag_noise;

// A tuned voice. Sustained voices (sustain > 0) rise over `attack`, fall over `decay` to the
// sustain level and loop; one-shots rise and then die away with time constant `decay` for
// `length` seconds. `bright` lifts the upper harmonics at the start, fading as the note settles;
// `swell` makes each harmonic rise later than the one below (brass); `damp` makes each harmonic
// of a one-shot die faster than the one below.
struct patch {
    const char *name;
    int period;          // samples per cycle
    int base_note;       // MIDI note the times are meant for
    std::vector<double> partials;   // level of harmonic 1, 2, ...
    double attack, decay, sustain, length;
    double bright, swell, damp;
    int chorus;          // loop cycles with a detuned twin; 0: plain loop of 16 cycles
    int volume;
};

std::vector<double> saw(int n, double tilt)
{
    std::vector<double> p;
    for (int k = 1; k <= n; k++) p.push_back(1.0 / std::pow(k, tilt));
    return p;
}

std::vector<double> square(int n)
{
    std::vector<double> p;
    for (int k = 1; k <= n; k++) p.push_back(k % 2 ? 1.0 / k : 0.08 / k);
    return p;
}

std::vector<int16_t> to_pcm(const std::vector<double> &v)
{
    double peak = 1e-9;
    for (double x : v) peak = std::max(peak, std::fabs(x));
    std::vector<int16_t> out;
    out.reserve(v.size());
    for (double x : v) out.push_back(static_cast<int16_t>(std::lrint(x * PEAK / peak)));
    return out;
}

ag_s3m_sample tuned(const patch &p)
{
    ag_s3m_sample s;
    s.name = p.name;
    s.volume = p.volume;
    s.c2spd = RATE_BASE * static_cast<uint32_t>(p.period) / 32;
    const double rate = s.c2spd * std::pow(2.0, (p.base_note - 60) / 12.0);   // samples a second at the base note
    const bool held = p.sustain > 0;
    const int cycles = p.chorus ? p.chorus : 16;
    int head = static_cast<int>(std::ceil((p.attack + p.decay) * rate / p.period)) * p.period;
    int total = held ? head + cycles * p.period : static_cast<int>(p.length * rate);
    const double twin = p.chorus ? static_cast<double>(p.chorus + 1) / p.chorus : 0.0;
    const double tau = p.decay / 3.0, settled = std::exp(-3.0);
    std::vector<double> v(static_cast<size_t>(total), 0.0);
    const int harmonics = static_cast<int>(p.partials.size());
    for (int i = 0; i < total; i++) {
        double t = i / rate;
        // fall: 1 at the end of the attack, 0 once the note has settled (exactly at the loop start).
        double fall = held ? (t < p.attack ? 1.0 : t >= p.attack + p.decay ? 0.0 : (std::exp(-(t - p.attack) / tau) - settled) / (1 - settled))
                           : std::exp(-std::max(0.0, t - p.attack) / p.decay);
        double level = held ? p.sustain + (1 - p.sustain) * fall : fall;
        if (!held) level *= std::min(1.0, (total - 1 - i) / (0.01 * rate));
        double x = 0.0;
        for (int k = 1; k <= harmonics; k++) {
            double a = p.partials[static_cast<size_t>(k - 1)] * (1.0 + p.bright * fall * (k - 1) / harmonics);
            double rise = p.attack * (1.0 + p.swell * (k - 1));
            if (held) rise = std::min(rise, p.attack + p.decay);
            if (t < rise) a *= std::sin(0.5 * PI * t / rise);
            if (!held && p.damp > 0) a *= std::exp(-t * p.damp * (k - 1) / p.decay);
            double phase = 2 * PI * k * i / p.period;
            x += a * (twin ? 0.5 * (std::sin(phase) + std::sin(phase * twin + 1.0 * k)) : std::sin(phase));
        }
        v[static_cast<size_t>(i)] = level * x;
    }
    s.data = to_pcm(v);
    s.loop = held;
    s.loop_start = held ? static_cast<uint32_t>(head) : 0;
    return s;
}

// A drum sample at `rate`: the builder fills `n` frames.
template <typename F>
ag_s3m_sample drum(const char *name, uint32_t rate, double seconds, int volume, F build)
{
    ag_s3m_sample s;
    s.name = name;
    s.c2spd = rate;
    s.volume = volume;
    std::vector<double> v(static_cast<size_t>(seconds * rate), 0.0);
    build(v, static_cast<double>(rate));
    // A 5 ms fade at the end, so a sample that is cut short of its decay never clicks.
    const size_t fade = static_cast<size_t>(0.005 * rate);
    for (size_t i = 0; i < fade && i < v.size(); i++) v[v.size() - 1 - i] *= static_cast<double>(i) / fade;
    s.data = to_pcm(v);
    return s;
}

// High-passed noise (second difference), decaying with time constant tau.
void hiss(std::vector<double> &v, double rate, uint32_t seed, double tau, double level)
{
    noise rng{seed};
    double a = 0, b = 0;
    for (size_t i = 0; i < v.size(); i++) {
        double w = rng.next(), d = w - 2 * a + b;
        b = a, a = w;
        v[i] += level * d * std::exp(-static_cast<double>(i) / rate / tau);
    }
}

ag_s3m_sample kick()
{
    return drum("kick", 2 * RATE_BASE, 0.45, 64, [](std::vector<double> &v, double rate) {
        double phase = 0;
        noise rng{0x4B1C4u};
        for (size_t i = 0; i < v.size(); i++) {
            double t = static_cast<double>(i) / rate;
            double f = 48.0 + 140.0 * std::exp(-t / 0.03);
            phase += 2 * PI * f / rate;
            double body = std::tanh(1.8 * std::sin(phase)) * std::exp(-t / 0.16) * std::min(1.0, t / 0.001);
            double click = t < 0.004 ? 0.5 * rng.next() * (1 - t / 0.004) : 0.0;
            v[i] = body + click;
        }
    });
}

ag_s3m_sample snare()
{
    return drum("snare", 2 * RATE_BASE, 0.32, 64, [](std::vector<double> &v, double rate) {
        for (size_t i = 0; i < v.size(); i++) {
            double t = static_cast<double>(i) / rate;
            v[i] = (0.6 * std::sin(2 * PI * 185 * t) + 0.3 * std::sin(2 * PI * 330 * t)) * std::exp(-t / 0.045) * std::min(1.0, t / 0.001);
        }
        hiss(v, rate, 0x5AA5Eu, 0.09, 0.8);
    });
}

ag_s3m_sample hat(bool open)
{
    return drum(open ? "open hat" : "hat", 4 * RATE_BASE, open ? 0.4 : 0.08, 64, [open](std::vector<double> &v, double rate) {
        hiss(v, rate, open ? 0x0BE4u : 0xC105Eu, open ? 0.11 : 0.016, 1.0);
        // A metallic edge: a few square partials at inharmonic ratios.
        for (double f : {3127.0, 4239.0, 5877.0, 7213.0})
            for (size_t i = 0; i < v.size(); i++) {
                double t = static_cast<double>(i) / rate;
                v[i] += 0.05 * (std::sin(2 * PI * f * t) > 0 ? 1 : -1) * std::exp(-t / (open ? 0.09 : 0.012));
            }
    });
}

ag_s3m_sample crash()
{
    return drum("crash", 4 * RATE_BASE, 1.3, 64, [](std::vector<double> &v, double rate) {
        hiss(v, rate, 0xC4A54u, 0.45, 1.0);
        noise rng{0x1234u};
        double y = 0;
        for (size_t i = 0; i < v.size(); i++) {   // a darker body under the hiss
            y += 0.3 * (rng.next() - y);
            v[i] += 0.35 * y * std::exp(-static_cast<double>(i) / rate / 0.6);
        }
    });
}

const patch PATCHES[] = {
    // name        period base partials        attack decay sustain length bright swell damp chorus volume
    {"bass", 64, 36, saw(24, 1.0), 0.004, 0.25, 0.55, 0, 2.5, 0, 0, 0, 64},
    {"sub bass", 64, 36, {1.0, 0.5, 0.3, 0.12, 0.08, 0.05}, 0.006, 0.2, 0.8, 0, 1.5, 0, 0, 0, 64},
    {"square", 32, 72, square(11), 0.01, 0.3, 0.7, 0, 1.0, 0, 0, 48, 64},
    {"saw", 32, 72, saw(14, 1.1), 0.008, 0.3, 0.65, 0, 1.2, 0, 0, 48, 64},
    {"flute", 32, 72, {1.0, 0.3, 0.12, 0.05, 0.02}, 0.05, 0.2, 0.85, 0, 0.3, 0, 0, 64, 64},
    {"brass", 32, 67, saw(12, 1.0), 0.06, 0.3, 0.8, 0, 0.4, 0.35, 0, 48, 64},
    {"bell", 32, 72, {1.0, 0.5, 0.28, 0.2, 0.1, 0.06}, 0.002, 0.5, 0, 1.6, 0, 0, 0.6, 0, 64},
    {"pluck", 32, 72, saw(12, 1.0), 0.002, 0.22, 0, 0.8, 0, 0, 0.35, 0, 64},
    {"pad", 64, 60, saw(18, 1.3), 0.3, 0.4, 0.85, 0, 0.3, 0, 0, 96, 64},
};

} // namespace

ag_s3m_sample ag_music_voice(ag_voice voice)
{
    switch (voice) {
    case AG_KICK: return kick();
    case AG_SNARE: return snare();
    case AG_HAT: return hat(false);
    case AG_OPEN_HAT: return hat(true);
    case AG_CRASH: return crash();
    default: return tuned(PATCHES[voice - AG_BASS]);
    }
}
