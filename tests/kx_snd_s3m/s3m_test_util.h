// Helpers of the S3M player tests: a writer that builds small modules in memory, a renderer of our
// player, and the envelope measures the tests compare with.
#pragma once

#include "kx/kx_snd/kx_snd_s3m.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// One event of a pattern. note: -1 none, 0..119 octave x 12 + semitone, 254 note off.
struct S3mEvent {
    int row, channel;
    int note = -1, instrument = 0, volume = -1;
    char command = 0;
    int param = 0;
};

struct S3mSampleDef {
    std::vector<int16_t> data;      // written as unsigned 8-bit samples
    bool loop = false;              // looped over the whole sample
    uint32_t header_length = 0;     // nonzero: the length the header claims instead of data.size()
};

struct S3mSong {
    int speed = 6, tempo = 125;
    int channels = 4;               // channel i gets setting i (< 8 left, else right)
    std::vector<uint8_t> orders;
    std::vector<S3mSampleDef> samples;
    std::vector<std::vector<S3mEvent>> patterns;
};

// Little-endian field of `bytes` bytes at `at`.
inline void s3m_put(std::vector<uint8_t> &f, size_t at, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

inline size_t s3m_paragraph(std::vector<uint8_t> &f)
{
    while (f.size() % 16) f.push_back(0);
    return f.size();
}

inline std::vector<uint8_t> s3m_pack_pattern(const std::vector<S3mEvent> &events)
{
    std::vector<uint8_t> out = {0, 0};
    for (int row = 0; row < 64; out.push_back(0), row++)
        for (const S3mEvent &e : events) {
            if (e.row != row) continue;
            int what = (e.channel & 31) | (e.note >= 0 || e.instrument ? 32 : 0) | (e.volume >= 0 ? 64 : 0) | (e.command ? 128 : 0);
            int note = e.note == 254 ? 254 : e.note >= 0 ? ((e.note / 12) << 4) | (e.note % 12) : 255;
            out.push_back(static_cast<uint8_t>(what));
            if (what & 32) out.insert(out.end(), {static_cast<uint8_t>(note), static_cast<uint8_t>(e.instrument)});
            if (what & 64) out.push_back(static_cast<uint8_t>(e.volume));
            if (what & 128) out.insert(out.end(), {static_cast<uint8_t>(e.command - 'A' + 1), static_cast<uint8_t>(e.param)});
        }
    s3m_put(out, 0, static_cast<uint32_t>(out.size()), 2);
    return out;
}

// Unsigned samples, global volume 64, stereo at amplification 48.
inline std::vector<uint8_t> s3m_build(const S3mSong &song)
{
    std::vector<uint8_t> orders = song.orders;
    if (orders.size() % 2) orders.push_back(255);
    std::vector<uint8_t> f(0x60, 0);
    std::memcpy(f.data(), "test module", 11);
    f[0x1C] = 0x1A, f[0x1D] = 16;
    const uint32_t header_words[] = {static_cast<uint32_t>(orders.size()), static_cast<uint32_t>(song.samples.size()),
                                     static_cast<uint32_t>(song.patterns.size()), 0, 0x1320, 2};
    for (size_t i = 0; i < 6; i++) s3m_put(f, 0x20 + 2 * i, header_words[i], 2);
    std::memcpy(&f[0x2C], "SCRM", 4);
    s3m_put(f, 0x30, 64u | static_cast<uint32_t>(song.speed) << 8 | static_cast<uint32_t>(song.tempo) << 16 | 0xB0u << 24, 4);
    for (int i = 0; i < 32; i++)
        f[0x40 + static_cast<size_t>(i)] = static_cast<uint8_t>(i >= song.channels ? 255 : (i % 2) ? 8 + i / 2 : i / 2);
    f.insert(f.end(), orders.begin(), orders.end());
    size_t ins_ptr = f.size(), pat_ptr = ins_ptr + 2 * song.samples.size();
    f.resize(pat_ptr + 2 * song.patterns.size(), 0);
    std::vector<size_t> ins_at;
    for (size_t i = 0; i < song.samples.size(); i++) {
        ins_at.push_back(s3m_paragraph(f));
        s3m_put(f, ins_ptr + 2 * i, static_cast<uint32_t>(ins_at.back() / 16), 2);
        f.resize(ins_at.back() + 0x50, 0);
    }
    for (size_t i = 0; i < song.patterns.size(); i++) {
        s3m_put(f, pat_ptr + 2 * i, static_cast<uint32_t>(s3m_paragraph(f) / 16), 2);
        std::vector<uint8_t> p = s3m_pack_pattern(song.patterns[i]);
        f.insert(f.end(), p.begin(), p.end());
    }
    for (size_t i = 0; i < song.samples.size(); i++) {
        const S3mSampleDef &s = song.samples[i];
        size_t h = ins_at[i], at = s3m_paragraph(f) / 16;
        f[h] = 1, f[h + 0x1C] = 64, f[h + 0x0D] = static_cast<uint8_t>(at >> 16), f[h + 0x1F] = s.loop ? 1 : 0;
        std::memcpy(&f[h + 0x4C], "SCRS", 4);
        s3m_put(f, h + 0x20, 8363, 4);
        s3m_put(f, h + 0x0E, static_cast<uint32_t>(at & 0xFFFF), 2);
        s3m_put(f, h + 0x10, s.header_length ? s.header_length : static_cast<uint32_t>(s.data.size()), 4);
        s3m_put(f, h + 0x18, s.loop ? static_cast<uint32_t>(s.data.size()) : 0, 4);   // loop start 0
        for (int16_t v : s.data) f.push_back(static_cast<uint8_t>((v >> 8) + 128));
    }
    return f;
}

// A looped sine tone: `cycles` periods over `length` samples.
inline S3mSampleDef s3m_tone(int length, int cycles)
{
    S3mSampleDef s{{}, true};
    for (int i = 0; i < length; i++) s.data.push_back(static_cast<int16_t>(std::sin(2 * M_PI * cycles * i / length) * 30000));
    return s;
}

// A one-shot decaying noise burst.
inline S3mSampleDef s3m_burst(int length)
{
    S3mSampleDef s;
    for (uint32_t i = 0, r = 12345; i < static_cast<uint32_t>(length); i++) {
        r = r * 1103515245u + 12345u;
        s.data.push_back(static_cast<int16_t>((static_cast<int>((r >> 16) & 0xFFFF) - 32768) * std::exp(-5.0 * i / length)));
    }
    return s;
}

// Starts the installed module at full volume, 44100 Hz, 16-bit stereo, full separation, centred.
inline void s3m_play(int quality)
{
    kx_snd_s3m_start();
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.master_volume = KX_SND_S3M_MASTER_MAX, c.mix_rate = 44100, c.separation = 256, c.pan = 128;
    c.mode = static_cast<uint8_t>(KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | quality), c.play_state = KX_SND_S3M_PLAY;
    kx_snd_s3m_control_set(&c);
}

// Renders with our player at 44100 Hz, 16-bit stereo: until the first song end (seconds <= 0) or
// for `seconds`.
inline std::vector<int16_t> s3m_render_ours(const std::vector<uint8_t> &file, int quality, double seconds)
{
    std::vector<int16_t> out;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    if (!m) return out;
    s3m_play(quality);
    const size_t chunk = 4410, limit = static_cast<size_t>((seconds > 0 ? seconds : 3600) * 44100);
    std::vector<int16_t> buf(chunk * 2);
    KX_SND_S3M_STATUS st{};
    while (out.size() / 2 < limit && (seconds > 0 || st.song_ends == 0)) {
        size_t n = std::min(chunk, limit - out.size() / 2);
        kx_snd_s3m_render(buf.data(), n * 4);
        out.insert(out.end(), buf.begin(), buf.begin() + static_cast<long>(n * 2));
        kx_snd_s3m_status_get(&st);
    }
    if (seconds <= 0 && st.end_frame >= 0) out.resize(static_cast<size_t>(st.end_frame) * 2);
    kx_snd_s3m_free(m);
    return out;
}

// RMS of the mono mix of interleaved stereo over `frames` frames from `from`.
inline double s3m_rms(const std::vector<int16_t> &stereo, size_t from, size_t frames)
{
    double sum = 0, n = 0;
    for (size_t i = from; i < from + frames && 2 * i + 1 < stereo.size(); i++, n++) {
        double m = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0;
        sum += m * m;
    }
    return n ? std::sqrt(sum / n) : 0;
}
