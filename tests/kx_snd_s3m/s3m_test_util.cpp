// Helpers of the S3M player tests: module writer, our renderer, envelope measures.
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include "kx/kx_snd/kx_snd_s3m.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

// ---------------------------------------------------------------------------------------------
// Module writer
// ---------------------------------------------------------------------------------------------

static void put16(std::vector<uint8_t> &f, size_t at, unsigned v)
{
    f[at] = static_cast<uint8_t>(v);
    f[at + 1] = static_cast<uint8_t>(v >> 8);
}

static void put32(std::vector<uint8_t> &f, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

static size_t paragraph(std::vector<uint8_t> &f)
{
    while (f.size() % 16) f.push_back(0);
    return f.size();
}

static std::vector<uint8_t> pack_pattern(const std::vector<S3mEvent> &events)
{
    std::vector<uint8_t> out = {0, 0};
    for (int row = 0; row < 64; row++) {
        for (const S3mEvent &e : events) {
            if (e.row != row) continue;
            uint8_t what = static_cast<uint8_t>(e.channel & 31);
            if (e.note >= 0 || e.instrument) what |= 32;
            if (e.volume >= 0) what |= 64;
            if (e.command) what |= 128;
            out.push_back(what);
            if (what & 32) {
                uint8_t n = 255;
                if (e.note == 254) n = 254;
                else if (e.note >= 0) n = static_cast<uint8_t>(((e.note / 12) << 4) | (e.note % 12));
                out.push_back(n);
                out.push_back(static_cast<uint8_t>(e.instrument));
            }
            if (what & 64) out.push_back(static_cast<uint8_t>(e.volume));
            if (what & 128) {
                out.push_back(static_cast<uint8_t>(e.command - 'A' + 1));
                out.push_back(static_cast<uint8_t>(e.param));
            }
        }
        out.push_back(0);
    }
    out[0] = static_cast<uint8_t>(out.size());
    out[1] = static_cast<uint8_t>(out.size() >> 8);
    return out;
}

std::vector<uint8_t> s3m_build(const S3mSong &song)
{
    std::vector<uint8_t> orders = song.orders;
    if (orders.size() % 2) orders.push_back(255);
    std::vector<uint8_t> f(0x60, 0);
    std::memcpy(f.data(), "test module", 11);
    f[0x1C] = 0x1A;
    f[0x1D] = 16;
    put16(f, 0x20, static_cast<unsigned>(orders.size()));
    put16(f, 0x22, static_cast<unsigned>(song.samples.size()));
    put16(f, 0x24, static_cast<unsigned>(song.patterns.size()));
    put16(f, 0x26, song.flags);
    put16(f, 0x28, 0x1320);
    put16(f, 0x2A, song.signed_samples ? 1 : 2);
    std::memcpy(&f[0x2C], "SCRM", 4);
    f[0x30] = static_cast<uint8_t>(song.global_volume);
    f[0x31] = static_cast<uint8_t>(song.speed);
    f[0x32] = static_cast<uint8_t>(song.tempo);
    f[0x33] = static_cast<uint8_t>(song.master);
    for (int i = 0; i < 32; i++) {
        int setting = 255;
        if (!song.channel_settings.empty()) setting = i < static_cast<int>(song.channel_settings.size()) ? song.channel_settings[static_cast<size_t>(i)] : 255;
        else if (i < song.channels) setting = (i % 2) ? 8 + i / 2 : i / 2;
        f[0x40 + static_cast<size_t>(i)] = static_cast<uint8_t>(setting);
    }
    f.insert(f.end(), orders.begin(), orders.end());
    size_t ins_ptr = f.size();
    f.resize(f.size() + 2 * song.samples.size() + 2 * song.patterns.size(), 0);
    size_t pat_ptr = ins_ptr + 2 * song.samples.size();

    std::vector<size_t> ins_at;
    for (size_t i = 0; i < song.samples.size(); i++) {
        size_t at = paragraph(f);
        ins_at.push_back(at);
        put16(f, ins_ptr + 2 * i, static_cast<unsigned>(at / 16));
        f.resize(at + 0x50, 0);
    }
    for (size_t i = 0; i < song.patterns.size(); i++) {
        size_t at = paragraph(f);
        put16(f, pat_ptr + 2 * i, static_cast<unsigned>(at / 16));
        std::vector<uint8_t> p = pack_pattern(song.patterns[i]);
        f.insert(f.end(), p.begin(), p.end());
    }
    for (size_t i = 0; i < song.samples.size(); i++) {
        const S3mSampleDef &s = song.samples[i];
        size_t h = ins_at[i];
        f[h] = s.adlib ? 2 : 1;
        std::memcpy(&f[h + 0x4C], s.adlib ? "SCRI" : "SCRS", 4);
        f[h + 0x1C] = static_cast<uint8_t>(s.volume);
        put32(f, h + 0x20, s.c2spd);
        if (s.adlib) continue;
        size_t at = paragraph(f);
        f[h + 0x0D] = static_cast<uint8_t>((at / 16) >> 16);
        put16(f, h + 0x0E, static_cast<unsigned>((at / 16) & 0xFFFF));
        put32(f, h + 0x10, s.header_length ? s.header_length : static_cast<uint32_t>(s.data.size()));
        put32(f, h + 0x14, s.loop_start);
        put32(f, h + 0x18, s.loop_end);
        f[h + 0x1F] = static_cast<uint8_t>((s.loop ? 1 : 0) | (s.bits16 ? 4 : 0));
        for (int16_t v : s.data) {
            if (s.bits16) {
                uint16_t u = static_cast<uint16_t>(v) ^ (song.signed_samples ? 0 : 0x8000);
                f.push_back(static_cast<uint8_t>(u));
                f.push_back(static_cast<uint8_t>(u >> 8));
            } else {
                int b = v >> 8;
                f.push_back(static_cast<uint8_t>(song.signed_samples ? b : b + 128));
            }
        }
    }
    return f;
}

S3mSampleDef s3m_tone(int length, int cycles, bool square, bool bits16)
{
    S3mSampleDef s;
    s.bits16 = bits16;
    s.loop = true;
    s.loop_start = 0;
    s.loop_end = static_cast<uint32_t>(length);
    for (int i = 0; i < length; i++) {
        double x = std::sin(2 * M_PI * cycles * i / length);
        if (square) x = x >= 0 ? 0.8 : -0.8;
        s.data.push_back(static_cast<int16_t>(x * 30000));
    }
    return s;
}

S3mSampleDef s3m_burst(int length)
{
    S3mSampleDef s;
    uint32_t r = 12345;
    for (int i = 0; i < length; i++) {
        r = r * 1103515245u + 12345u;
        double env = std::exp(-5.0 * i / length);
        s.data.push_back(static_cast<int16_t>((static_cast<int>((r >> 16) & 0xFFFF) - 32768) * env));
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Our renderer
// ---------------------------------------------------------------------------------------------

std::vector<int16_t> s3m_render_ours(const std::vector<uint8_t> &file, int quality, double seconds, int64_t *end_frame)
{
    std::vector<int16_t> out;
    if (end_frame) *end_frame = -1;
    int error = 0;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), &error);
    if (!m) return out;
    kx_snd_s3m_start();
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.master_volume = KX_SND_S3M_MASTER_MAX;
    c.mix_rate = 44100;
    c.mode = static_cast<uint8_t>(KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | quality);
    c.play_state = KX_SND_S3M_PLAY;
    c.separation = 256;
    c.pan = 128;
    kx_snd_s3m_control_set(&c);
    const size_t chunk = 4410;
    size_t limit = seconds > 0 ? static_cast<size_t>(seconds * 44100) : static_cast<size_t>(3600) * 44100;
    std::vector<int16_t> buf(chunk * 2);
    KX_SND_S3M_STATUS st{};
    while (out.size() / 2 < limit) {
        size_t n = std::min(chunk, limit - out.size() / 2);
        kx_snd_s3m_render(buf.data(), n * 4);
        out.insert(out.end(), buf.begin(), buf.begin() + static_cast<long>(n * 2));
        kx_snd_s3m_status_get(&st);
        if (seconds <= 0 && st.song_ends > 0) break;
    }
    kx_snd_s3m_status_get(&st);
    if (end_frame) *end_frame = st.end_frame;
    if (seconds <= 0 && st.end_frame >= 0) out.resize(static_cast<size_t>(st.end_frame) * 2);
    kx_snd_s3m_free(m);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Measures
// ---------------------------------------------------------------------------------------------

constexpr size_t WINDOW = 882;   // 20 ms at 44100 Hz

std::vector<double> s3m_rms_windows(const std::vector<int16_t> &stereo, size_t frames)
{
    std::vector<double> w;
    for (size_t at = 0; at + WINDOW <= frames && at + WINDOW <= stereo.size() / 2; at += WINDOW) w.push_back(s3m_rms(stereo, at, WINDOW));
    return w;
}

std::vector<double> s3m_crossing_windows(const std::vector<int16_t> &stereo, size_t frames)
{
    std::vector<double> w;
    for (size_t at = 0; at + WINDOW <= frames && at + WINDOW <= stereo.size() / 2; at += WINDOW) {
        int count = 0;
        double prev = 0;
        for (size_t i = at; i < at + WINDOW; i++) {
            double m = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0;
            if ((prev < 0 && m >= 0) || (prev >= 0 && m < 0)) count++;
            prev = m;
        }
        w.push_back(count);
    }
    return w;
}

double s3m_rms(const std::vector<int16_t> &stereo, size_t from, size_t frames)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < from + frames && 2 * i + 1 < stereo.size(); i++, n++) {
        double m = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0;
        sum += m * m;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

double s3m_correlation(const std::vector<double> &a, const std::vector<double> &b)
{
    size_t n = std::min(a.size(), b.size());
    if (n < 2) return 1;
    double ma = 0, mb = 0;
    for (size_t i = 0; i < n; i++) ma += a[i], mb += b[i];
    ma /= static_cast<double>(n);
    mb /= static_cast<double>(n);
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < n; i++) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    // Two flat envelopes match when their levels do; one flat against one moving does not.
    double flat_a = saa <= 1e-9 * (1 + ma * ma) * static_cast<double>(n), flat_b = sbb <= 1e-9 * (1 + mb * mb) * static_cast<double>(n);
    if (flat_a && flat_b) return std::fabs(ma - mb) <= 0.05 * std::max(std::fabs(ma), std::fabs(mb)) + 1 ? 1 : 0;
    if (flat_a || flat_b) return 0;
    return sab / std::sqrt(saa * sbb);
}

double s3m_level_db(const std::vector<double> &ours, const std::vector<double> &ref)
{
    size_t n = std::min(ours.size(), ref.size());
    double a = 0, b = 0;
    for (size_t i = 0; i < n; i++) a += ours[i] * ours[i], b += ref[i] * ref[i];
    if (a < 1 && b < 1) return 0;
    return 10 * std::log10((a + 1) / (b + 1));
}

std::vector<uint8_t> s3m_read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Running sums of the mono mix's energy and of its zero crossings, so that the envelope of any
// window at any lag costs two lookups.
struct Prefix {
    std::vector<double> energy;
    std::vector<int> crossings;
};

static Prefix prefix_make(const std::vector<int16_t> &stereo, size_t frames)
{
    Prefix p;
    p.energy.assign(frames + 1, 0);
    p.crossings.assign(frames + 1, 0);
    double prev = 0;
    for (size_t i = 0; i < frames; i++) {
        double m = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0;
        p.energy[i + 1] = p.energy[i] + m * m;
        p.crossings[i + 1] = p.crossings[i] + (((prev < 0 && m >= 0) || (prev >= 0 && m < 0)) ? 1 : 0);
        prev = m;
    }
    return p;
}

S3mMatch s3m_match(const std::vector<int16_t> &ours, const std::vector<int16_t> &ref)
{
    S3mMatch m;
    size_t frames = std::min(ours.size(), ref.size()) / 2;
    m.ours_rms = s3m_rms(ours, 0, frames);
    m.ref_rms = s3m_rms(ref, 0, frames);
    m.level_db = s3m_level_db(s3m_rms_windows(ours, frames), s3m_rms_windows(ref, frames));
    Prefix a = prefix_make(ours, frames), b = prefix_make(ref, frames);
    auto rms = [](const Prefix &p, long at) {
        return std::sqrt(std::max(0.0, p.energy[static_cast<size_t>(at) + WINDOW] - p.energy[static_cast<size_t>(at)]) / WINDOW);
    };
    auto cross = [](const Prefix &p, long at) {
        return static_cast<double>(p.crossings[static_cast<size_t>(at) + WINDOW] - p.crossings[static_cast<size_t>(at)]);
    };
    const long segment = 5 * 44100, max_lag = 8820, lag_step = 22, n = static_cast<long>(frames);
    std::vector<double> all_a, all_b, all_ca, all_cb;
    for (long at = 0; at + static_cast<long>(WINDOW) <= n; at += segment) {
        long end = std::min(at + segment, n) - static_cast<long>(WINDOW);
        std::vector<double> best_a, best_b;
        long best_lag = 0;
        double best = -2;
        for (long lag = -max_lag; lag <= max_lag; lag += lag_step) {
            std::vector<double> wa, wb;
            for (long w = at; w <= end; w += static_cast<long>(WINDOW)) {
                long j = w + lag;
                if (j < 0 || j + static_cast<long>(WINDOW) > n) continue;
                wa.push_back(rms(a, w));
                wb.push_back(rms(b, j));
            }
            double r = wa.size() >= 2 ? s3m_correlation(wa, wb) : -2;
            if (r > best || best_a.empty()) {
                best = r;
                best_a = wa;
                best_b = wb;
                best_lag = lag;
            }
        }
        all_a.insert(all_a.end(), best_a.begin(), best_a.end());
        all_b.insert(all_b.end(), best_b.begin(), best_b.end());
        for (long w = at; w <= end; w += static_cast<long>(WINDOW)) {
            long j = w + best_lag;
            if (j < 0 || j + static_cast<long>(WINDOW) > n) continue;
            // Crossings of a near-silent window (below -60 dBFS) are noise, not pitch.
            all_ca.push_back(rms(a, w) < 33 ? 0 : cross(a, w));
            all_cb.push_back(rms(b, j) < 33 ? 0 : cross(b, j));
        }
    }
    m.correlation = s3m_correlation(all_a, all_b);
    m.crossing_correlation = s3m_correlation(all_ca, all_cb);
    return m;
}
