// Comparison of our S3M player's output with libopenmpt's (a test-only reference): the
// reference render, and the envelope match of two renders. Shared by the player's differential
// tests and the music content test.
#pragma once

#include "tests/kx_snd_s3m/s3m_test_util.h"

#include <libopenmpt/libopenmpt.h>

#include <string>

// Pearson correlation; two flat series match when their levels do, one flat against one moving
// does not.
inline double correlation(const std::vector<double> &a, const std::vector<double> &b)
{
    size_t n = std::min(a.size(), b.size());
    if (n < 2) return 1;
    double ma = 0, mb = 0, sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < n; i++) ma += a[i], mb += b[i];
    ma /= static_cast<double>(n), mb /= static_cast<double>(n);
    for (size_t i = 0; i < n; i++) sab += (a[i] - ma) * (b[i] - mb), saa += (a[i] - ma) * (a[i] - ma), sbb += (b[i] - mb) * (b[i] - mb);
    bool flat_a = saa <= 1e-9 * (1 + ma * ma) * static_cast<double>(n), flat_b = sbb <= 1e-9 * (1 + mb * mb) * static_cast<double>(n);
    if (flat_a && flat_b) return std::fabs(ma - mb) <= 0.05 * std::max(std::fabs(ma), std::fabs(mb)) + 1 ? 1 : 0;
    return flat_a || flat_b ? 0 : sab / std::sqrt(saa * sbb);
}

// Envelope match of two renders over their common frames: RMS per 20 ms window of the mono mix.
// Ours is cut into 5-second segments, each lined up with the reference at the lag (within
// +-200 ms) that correlates best, which absorbs a peer whose ticks last whole samples and so
// drifts slowly; the lined-up windows of all segments are then correlated as one series.
struct Match {
    double correlation = 1;            // RMS envelopes (Pearson)
    double crossing_correlation = 1;   // zero crossings per window, same alignment
    double level_db = 0;               // overall level of ours against the reference
    double ours_rms = 0, ref_rms = 0;
};

inline Match match(const std::vector<int16_t> &ours, const std::vector<int16_t> &ref)
{
    constexpr long W = 882;   // 20 ms at 44100 Hz
    const long n = static_cast<long>(std::min(ours.size(), ref.size()) / 2);
    // Running sums of each mix's energy and zero crossings: any window at any lag costs two lookups.
    std::vector<double> energy[2], crossings[2];
    for (int k = 0; k < 2; k++) {
        const std::vector<int16_t> &s = k ? ref : ours;
        energy[k].assign(static_cast<size_t>(n) + 1, 0);
        crossings[k].assign(static_cast<size_t>(n) + 1, 0);
        for (size_t i = 0; i < static_cast<size_t>(n); i++) {
            double m = (s[2 * i] + s[2 * i + 1]) / 2.0, prev = i ? (s[2 * i - 2] + s[2 * i - 1]) / 2.0 : 0;
            energy[k][i + 1] = energy[k][i] + m * m;
            crossings[k][i + 1] = crossings[k][i] + ((prev < 0) != (m < 0) ? 1 : 0);
        }
    }
    auto rms = [&](int k, long at) {
        return std::sqrt(std::max(0.0, energy[k][static_cast<size_t>(at + W)] - energy[k][static_cast<size_t>(at)]) / W);
    };
    auto cross = [&](int k, long at) { return crossings[k][static_cast<size_t>(at + W)] - crossings[k][static_cast<size_t>(at)]; };
    Match m;
    m.ours_rms = s3m_rms(ours, 0, static_cast<size_t>(n));
    m.ref_rms = s3m_rms(ref, 0, static_cast<size_t>(n));
    double ea = 0, eb = 0;
    for (long at = 0; at + W <= n; at += W) ea += rms(0, at) * rms(0, at), eb += rms(1, at) * rms(1, at);
    m.level_db = ea < 1 && eb < 1 ? 0 : 10 * std::log10((ea + 1) / (eb + 1));
    const long segment = 5 * 44100, max_lag = 8820, lag_step = 22;
    std::vector<double> all[4];   // envelopes of ours and the reference, then their crossings
    for (long at = 0; at + W <= n; at += segment) {
        long end = std::min(at + segment, n) - W, best_lag = 0;
        double best = -2;
        size_t best_n = 0;
        for (long lag = -max_lag; lag <= max_lag; lag += lag_step) {
            std::vector<double> wa, wb;
            for (long w = at; w <= end; w += W)
                if (w + lag >= 0 && w + lag + W <= n) wa.push_back(rms(0, w)), wb.push_back(rms(1, w + lag));
            double r = wa.size() >= 2 ? correlation(wa, wb) : -2;
            if (r > best || best_n == 0) best = r, best_lag = lag, best_n = wa.size();
        }
        for (long w = at, j = at + best_lag; w <= end; w += W, j += W) {
            if (j < 0 || j + W > n) continue;
            all[0].push_back(rms(0, w));
            all[1].push_back(rms(1, j));
            // Crossings of a near-silent window (below -60 dBFS) are noise, not pitch.
            all[2].push_back(rms(0, w) < 33 ? 0 : cross(0, w));
            all[3].push_back(rms(1, j) < 33 ? 0 : cross(1, j));
        }
    }
    m.correlation = correlation(all[0], all[1]);
    m.crossing_correlation = correlation(all[2], all[3]);
    return m;
}

// libopenmpt at 44100 Hz, 16-bit stereo, with the interpolation that matches our quality: its
// song length, and its render for `seconds` (none when 0).
inline std::vector<int16_t> render_reference(const std::vector<uint8_t> &file, int quality, double seconds, double *duration)
{
    std::vector<int16_t> audio, buf(2 * 4096);
    openmpt_module *mod = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr);
    if (!mod) return audio;
    // 1, 2 or 4 taps for our low (0), medium (4) and high (8) qualities.
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, quality == 0 ? 1 : quality / 2);
    openmpt_module_ctl_set_integer(mod, "dither", 0);   // its dither is random: keep the runs alike
    *duration = openmpt_module_get_duration_seconds(mod);
    for (size_t limit = static_cast<size_t>(seconds * 44100), n = 1; n && audio.size() / 2 < limit;) {
        n = openmpt_module_read_interleaved_stereo(mod, 44100, std::min<size_t>(4096, limit - audio.size() / 2), buf.data());
        audio.insert(audio.end(), buf.begin(), buf.begin() + static_cast<long>(2 * n));
    }
    openmpt_module_destroy(mod);
    return audio;
}
