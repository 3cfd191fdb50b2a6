// assetgen sounds: the game's seventeen sound effects, synthesised as 16-bit mono PCM wave
// files at 22050 Hz. Each one is built from tones, sweeps, bell partials and filtered noise with
// a fixed seed, faded in and out so that it never clicks, and scaled to the same loudness: an
// RMS of -20 dBFS over the file, unless that would push a peak above -1 dBFS, in which case the
// peak sets the level (short clicks and ticks).
#include "tools/assetgen/ag.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

constexpr int RATE = 22050;
constexpr double PI = 3.14159265358979323846;
constexpr double TARGET_RMS = 0.1;      // -20 dBFS
constexpr double PEAK_LIMIT = 0.891;    // -1 dBFS

using track = std::vector<double>;

using noise = ag_noise;

// ---------------------------------------------------------------------------------------------
// Building blocks
// ---------------------------------------------------------------------------------------------

int frames(double seconds)
{
    return static_cast<int>(seconds * RATE + 0.5);
}

// Linear attack over `attack` seconds and a 5 ms release, so no part starts or stops with a step.
double edges(int i, int n, double attack)
{
    return std::min({1.0, i / (attack * RATE), (n - 1 - i) / (0.005 * RATE)});
}

// A note with a short attack and an exponential decay (time constant `decay` seconds), its
// pitch gliding exponentially from f0 to f1; `partials` gives the levels of harmonics 1, 2, ...
void tone(track &t, double start, double length, double f0, double f1, double amp, double decay,
          const std::vector<double> &partials = {1.0}, double vibrato = 0.0)
{
    int s = frames(start), n = frames(length);
    if (static_cast<int>(t.size()) < s + n) t.resize(s + n, 0.0);
    double phase = 0.0;
    for (int i = 0; i < n; i++) {
        double x = static_cast<double>(i) / n;
        double f = f0 * std::pow(f1 / f0, x) * (1.0 + vibrato * std::sin(2 * PI * 5.5 * i / RATE));
        phase += 2 * PI * f / RATE;
        double env = edges(i, n, 0.004) * std::exp(-(static_cast<double>(i) / RATE) / decay);
        double v = 0.0;
        // Partials above 0.45 x the rate would fold back as stray tones.
        for (size_t k = 0; k < partials.size() && f * (k + 1) < 0.45 * RATE; k++) v += partials[k] * std::sin(phase * (k + 1));
        t[s + i] += amp * env * v;
    }
}

// An inharmonic bell or metal partial set: frequencies are base x ratios, higher ones die faster.
void bell(track &t, double start, double length, double base, double amp, double decay, const std::vector<double> &ratios)
{
    for (size_t k = 0; k < ratios.size() && base * ratios[k] < 0.45 * RATE; k++)
        tone(t, start, length, base * ratios[k], base * ratios[k], amp / (1.0 + k * 0.6), decay / (1.0 + k * 0.8));
}

// Noise through a one-pole low-pass whose cutoff glides from c0 to c1 Hz, decaying.
void rumble(track &t, noise &rng, double start, double length, double c0, double c1, double amp, double decay)
{
    int s = frames(start), n = frames(length);
    if (static_cast<int>(t.size()) < s + n) t.resize(s + n, 0.0);
    double y = 0.0;
    for (int i = 0; i < n; i++) {
        double c = c0 * std::pow(c1 / c0, static_cast<double>(i) / n);
        double a = 1.0 - std::exp(-2 * PI * c / RATE);
        y += a * (rng.next() - y);
        double env = edges(i, n, 0.002) * std::exp(-(static_cast<double>(i) / RATE) / decay);
        t[s + i] += amp * env * y;
    }
}

// Bright noise (first difference of white noise) in a short burst.
void hiss(track &t, noise &rng, double start, double length, double amp, double decay)
{
    int s = frames(start), n = frames(length);
    if (static_cast<int>(t.size()) < s + n) t.resize(s + n, 0.0);
    double last = 0.0;
    for (int i = 0; i < n; i++) {
        double w = rng.next();
        double env = edges(i, n, 0.001) * std::exp(-(static_cast<double>(i) / RATE) / decay);
        t[s + i] += amp * env * (w - last) * 0.5;
        last = w;
    }
}

double midi(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// Fades, loudness and 16-bit samples.
std::vector<int16_t> finish(track t)
{
    const int fade_in = frames(0.002), fade_out = frames(0.008);
    const int n = static_cast<int>(t.size());
    for (int i = 0; i < n; i++) {
        double g = 1.0;
        if (i < fade_in) g = 0.5 - 0.5 * std::cos(PI * i / fade_in);
        if (n - 1 - i < fade_out) g *= 0.5 - 0.5 * std::cos(PI * (n - 1 - i) / fade_out);
        t[i] *= g;
    }
    double sum = 0.0, peak = 0.0;
    for (double v : t) {
        sum += v * v;
        peak = std::max(peak, std::fabs(v));
    }
    double rms = std::sqrt(sum / std::max(1, n));
    double scale = rms > 0.0 ? TARGET_RMS / rms : 1.0;
    if (peak * scale > PEAK_LIMIT) scale = PEAK_LIMIT / peak;
    std::vector<int16_t> out(n);
    for (int i = 0; i < n; i++) out[i] = static_cast<int16_t>(std::lrint(std::clamp(t[i] * scale, -1.0, 1.0) * 32767.0));
    return out;
}

void put(std::vector<uint8_t> &b, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void tag(std::vector<uint8_t> &b, const char *text)
{
    for (; *text; text++) b.push_back(static_cast<uint8_t>(*text));
}

std::vector<uint8_t> wave_file(const std::vector<int16_t> &samples)
{
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> b;
    b.reserve(44 + data);
    tag(b, "RIFF");
    put(b, 36 + data, 4);
    tag(b, "WAVEfmt ");
    put(b, 16, 4);
    put(b, 1, 2);          // PCM
    put(b, 1, 2);          // mono
    put(b, RATE, 4);
    put(b, RATE * 2, 4);
    put(b, 2, 2);
    put(b, 16, 2);
    tag(b, "data");
    put(b, data, 4);
    for (int16_t s : samples) put(b, static_cast<uint16_t>(s), 2);
    return b;
}

// ---------------------------------------------------------------------------------------------
// The effects
// ---------------------------------------------------------------------------------------------

const std::vector<double> BRASS = {1.0, 0.6, 0.45, 0.3, 0.2, 0.12};
const std::vector<double> BELL = {1.0, 2.76, 5.40, 8.93};
const std::vector<double> METAL = {1.0, 2.09, 3.41, 5.23, 6.78};

track laser()   // a bright zap falling from high to low
{
    track t;
    tone(t, 0, 0.24, 2600, 260, 1.0, 0.09, {1.0, 0.0, 0.35, 0.0, 0.15});
    return t;
}

track game_start()   // a rising major arpeggio landing on a held chord
{
    track t;
    const int notes[] = {72, 76, 79};
    for (int i = 0; i < 3; i++) tone(t, i * 0.1, 0.14, midi(notes[i]), midi(notes[i]), 0.8, 0.12, {1.0, 0.4, 0.15});
    for (int n : {72, 76, 79, 84}) tone(t, 0.3, 0.5, midi(n), midi(n), 0.45, 0.3, {1.0, 0.4, 0.15});
    return t;
}

track level_won()   // a short brass fanfare ending on a long, vibrato top note
{
    track t;
    const int notes[] = {67, 72, 76, 72, 76};
    const double at[] = {0.0, 0.12, 0.24, 0.36, 0.44};
    for (int i = 0; i < 5; i++) tone(t, at[i], 0.13, midi(notes[i]), midi(notes[i]), 0.7, 0.2, BRASS);
    tone(t, 0.56, 0.62, midi(79), midi(79), 0.8, 0.6, BRASS, 0.006);
    tone(t, 0.56, 0.62, midi(72), midi(72), 0.4, 0.6, BRASS);
    return t;
}

track click_back()   // a short falling click
{
    track t;
    tone(t, 0, 0.05, 1300, 700, 1.0, 0.015, {1.0, 0.3});
    return t;
}

track click_enter()   // two quick rising blips
{
    track t;
    tone(t, 0, 0.06, 880, 880, 1.0, 0.03, {1.0, 0.25});
    tone(t, 0.06, 0.08, 1320, 1320, 1.0, 0.035, {1.0, 0.25});
    return t;
}

track click_change()   // a tick
{
    track t;
    tone(t, 0, 0.035, 1600, 1500, 1.0, 0.008, {1.0, 0.2});
    return t;
}

track game_over()   // a slow descending phrase, the last note sagging
{
    track t;
    const int notes[] = {67, 66, 65};
    for (int i = 0; i < 3; i++) tone(t, i * 0.28, 0.3, midi(notes[i]), midi(notes[i]), 0.7, 0.4, BRASS);
    tone(t, 0.84, 0.75, midi(64), midi(62), 0.75, 0.5, BRASS, 0.01);
    return t;
}

track letter()   // a soft blip
{
    track t;
    tone(t, 0, 0.07, 1000, 1000, 1.0, 0.03, {1.0, 0.0, 0.11});
    return t;
}

track name_done()   // a two-note chime
{
    track t;
    bell(t, 0, 0.35, midi(88), 0.8, 0.25, BELL);
    bell(t, 0.12, 0.3, midi(95), 0.7, 0.22, BELL);
    return t;
}

track enemy_explosion()
{
    track t;
    noise rng{0x51EEDu};
    rumble(t, rng, 0, 0.5, 3500, 300, 1.0, 0.14);
    tone(t, 0, 0.25, 110, 45, 0.5, 0.08);
    return t;
}

track player_explosion()   // bigger and longer, with a sub rumble
{
    track t;
    noise rng{0xB16B00u};
    rumble(t, rng, 0, 1.0, 2500, 120, 1.0, 0.3);
    rumble(t, rng, 0.12, 0.7, 1800, 150, 0.6, 0.22);
    tone(t, 0, 0.7, 70, 32, 0.7, 0.25);
    return t;
}

track extra_life()   // an ascending bell arpeggio
{
    track t;
    const int notes[] = {84, 88, 91, 96};
    for (int i = 0; i < 4; i++) bell(t, i * 0.09, 0.45, midi(notes[i]), 0.7, 0.25, BELL);
    return t;
}

track metal_clink()   // hard, inharmonic, ringing briefly
{
    track t;
    noise rng{0xC11Cu};
    hiss(t, rng, 0, 0.01, 0.8, 0.002);
    bell(t, 0, 0.28, 1850, 1.0, 0.09, METAL);
    return t;
}

track glass_break()   // a bright crack, then shards at scattered high pitches
{
    track t;
    noise rng{0x61A55u};
    hiss(t, rng, 0, 0.12, 1.0, 0.03);
    for (int i = 0; i < 9; i++) {
        double at = 0.01 + 0.035 * i + 0.015 * rng.next();
        double f = 3200 + 2600 * (0.5 + 0.5 * rng.next());
        tone(t, std::max(0.0, at), 0.12, f, f * 0.98, 0.35, 0.03, {1.0, 0.0, 0.3});
    }
    return t;
}

track dull_thud()   // low, short and muffled
{
    track t;
    noise rng{0x7D0Du};
    tone(t, 0, 0.16, 140, 70, 1.0, 0.045);
    rumble(t, rng, 0, 0.05, 900, 300, 0.4, 0.01);
    return t;
}

track bonus()   // a quick rising arpeggio over a sweep
{
    track t;
    const int notes[] = {72, 76, 79, 84, 88};
    for (int i = 0; i < 5; i++) tone(t, i * 0.05, 0.07, midi(notes[i]), midi(notes[i]), 0.7, 0.05, {1.0, 0.3});
    tone(t, 0, 0.3, 500, 1600, 0.25, 0.2);
    return t;
}

track paddle_hit()   // a rounded pock with a slight pitch drop
{
    track t;
    noise rng{0xBADu};
    tone(t, 0, 0.12, 520, 380, 1.0, 0.035, {1.0, 0.2});
    rumble(t, rng, 0, 0.02, 4000, 2000, 0.3, 0.004);
    return t;
}

struct effect_recipe {
    const char *name;
    track (*build)();
};

const effect_recipe EFFECTS[] = {
    {"snd\\weapon.wav", laser},           {"snd\\gamestar.wav", game_start},
    {"snd\\winlevel.wav", level_won},     {"snd\\esckey.wav", click_back},
    {"snd\\menenter.wav", click_enter},   {"snd\\menchang.wav", click_change},
    {"snd\\gameover.wav", game_over},     {"snd\\hsletter.wav", letter},
    {"snd\\hsname.wav", name_done},       {"snd\\eneexplo.wav", enemy_explosion},
    {"snd\\plaexplo.wav", player_explosion}, {"snd\\extralif.wav", extra_life},
    {"snd\\undestru.wav", metal_clink},   {"snd\\desblock.wav", glass_break},
    {"snd\\halblock.wav", dull_thud},     {"snd\\eatbonus.wav", bonus},
    {"snd\\hitpaddl.wav", paddle_hit},
};

int gen_sounds(const std::string &, const std::string &out)
{
    for (const effect_recipe &e : EFFECTS)
        if (ag_write_file(out, e.name, wave_file(finish(e.build()))) != 0) return 1;
    return 0;
}

} // namespace

AG_GENERATOR("sounds", gen_sounds);
