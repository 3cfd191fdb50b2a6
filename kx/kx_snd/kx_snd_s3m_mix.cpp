// kx_snd_s3m_mix: the S3M player's mixer. Resamples every sounding channel into the left and right
// accumulators of one block (nearest, linear or 4-point cubic), then scales by the master volume
// and balance and writes 8- or 16-bit, mono or stereo frames.
#include "kx/kx_snd/kx_snd_s3m_local.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Cubic coefficients
// ---------------------------------------------------------------------------------------------

constexpr int CUBIC_BITS = 10;
constexpr int CUBIC_ONE = 1 << 14;

struct CubicTable {
    int16_t c[1 << CUBIC_BITS][4];
};

// Catmull-Rom weights of the four neighbours for each fraction, in 1/16384, summing to one.
static constexpr CubicTable cubic_table_make()
{
    CubicTable t{};
    for (int i = 0; i < (1 << CUBIC_BITS); i++) {
        double x = static_cast<double>(i) / (1 << CUBIC_BITS), x2 = x * x, x3 = x2 * x;
        double w[4] = {(-x3 + 2 * x2 - x) / 2, (3 * x3 - 5 * x2 + 2) / 2, (-3 * x3 + 4 * x2 + x) / 2, (x3 - x2) / 2};
        int sum = 0;
        for (int k = 0; k < 4; k++) {
            double v = w[k] * CUBIC_ONE;
            t.c[i][k] = static_cast<int16_t>(v < 0 ? v - 0.5 : v + 0.5);
            sum += t.c[i][k];
        }
        t.c[i][1] = static_cast<int16_t>(t.c[i][1] + CUBIC_ONE - sum);
    }
    return t;
}

static constexpr CubicTable CUBIC = cubic_table_make();

// ---------------------------------------------------------------------------------------------
// Resampling
// ---------------------------------------------------------------------------------------------

template <int QUALITY>
static inline int32_t sample_at(const int16_t *d, uint64_t pos)
{
    const int16_t *p = d + (pos >> 32);
    if constexpr (QUALITY == KX_SND_S3M_QUALITY_LOW) {
        return p[0];
    } else if constexpr (QUALITY == KX_SND_S3M_QUALITY_MEDIUM) {
        int32_t frac = static_cast<int32_t>((pos >> 17) & 0x7FFF);
        return p[0] + (((p[1] - p[0]) * frac) >> 15);
    } else {
        const int16_t *c = CUBIC.c[(pos >> (32 - CUBIC_BITS)) & ((1 << CUBIC_BITS) - 1)];
        return (c[0] * p[-1] + c[1] * p[0] + c[2] * p[1] + c[3] * p[2]) >> 14;
    }
}

template <int QUALITY, bool STEREO>
static void resample(const int16_t *d, uint64_t pos, uint64_t step, int n, int32_t gl, int32_t gr, int32_t *left, int32_t *right)
{
    for (int i = 0; i < n; i++) {
        int32_t s = sample_at<QUALITY>(d, pos);
        left[i] += s * gl;
        if constexpr (STEREO) right[i] += s * gr;
        pos += step;
    }
}

// A stereo sample: each side of the output takes its own channel; mono output takes the mean.
template <int QUALITY, bool STEREO>
static void resample2(const int16_t *d, const int16_t *d2, uint64_t pos, uint64_t step, int n, int32_t gl, int32_t gr,
                      int32_t *left, int32_t *right)
{
    for (int i = 0; i < n; i++) {
        int32_t a = sample_at<QUALITY>(d, pos), b = sample_at<QUALITY>(d2, pos);
        if constexpr (STEREO) {
            left[i] += a * gl;
            right[i] += b * gr;
        } else {
            left[i] += ((a + b) >> 1) * gl;
        }
        pos += step;
    }
}

template <int QUALITY>
static void resample_run(const KX_SND_S3M_CHANNEL *ch, int n, int stereo, int32_t *left, int32_t *right)
{
    const KX_SND_S3M_SAMPLE *s = ch->sample;
    if (s->right) {
        if (stereo) resample2<QUALITY, true>(s->data, s->right, ch->pos, ch->step, n, ch->gain_left, ch->gain_right, left, right);
        else resample2<QUALITY, false>(s->data, s->right, ch->pos, ch->step, n, ch->gain_left, 0, left, right);
    } else if (stereo) {
        resample<QUALITY, true>(s->data, ch->pos, ch->step, n, ch->gain_left, ch->gain_right, left, right);
    } else {
        resample<QUALITY, false>(s->data, ch->pos, ch->step, n, ch->gain_left, 0, left, right);
    }
}

// Mixes one channel over n frames, wrapping at its loop; a one-shot sample rests at its end (a
// retrigger may start it again). A silent channel only moves on.
static void channel_mix(KX_SND_S3M_CHANNEL *ch, int n, int quality, int stereo, int32_t *left, int32_t *right)
{
    while (n > 0 && ch->sample && ch->step) {
        const KX_SND_S3M_SAMPLE *s = ch->sample;
        uint64_t end = static_cast<uint64_t>(s->length) << 32;
        if (ch->pos >= end) {
            if (!s->loop) {
                ch->pos = end;
                break;
            }
            uint64_t start = static_cast<uint64_t>(s->loop_start) << 32;
            ch->pos = start + (ch->pos - end) % (end - start);
        }
        uint64_t avail = (end - ch->pos + ch->step - 1) / ch->step;
        int m = avail < static_cast<uint64_t>(n) ? static_cast<int>(avail) : n;
        if (ch->gain_left || ch->gain_right) {
            if (quality == KX_SND_S3M_QUALITY_LOW) resample_run<KX_SND_S3M_QUALITY_LOW>(ch, m, stereo, left, right);
            else if (quality == KX_SND_S3M_QUALITY_MEDIUM) resample_run<KX_SND_S3M_QUALITY_MEDIUM>(ch, m, stereo, left, right);
            else resample_run<KX_SND_S3M_QUALITY_HIGH>(ch, m, stereo, left, right);
        }
        ch->pos += ch->step * static_cast<uint64_t>(m);
        n -= m;
        left += m;
        right += m;
    }
}

// ---------------------------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------------------------

int kx_snd_s3m_frame_bytes(uint8_t mode)
{
    return ((mode & 16) ? 2 : 1) * ((mode & KX_SND_S3M_MODE_STEREO) ? 2 : 1);
}

static int quality_of(uint8_t mode)
{
    int q = mode & 12;
    return q == 12 ? KX_SND_S3M_QUALITY_HIGH : q;
}

size_t kx_snd_s3m_silence(const KX_SND_S3M_PLAYER *pl, uint8_t *out, size_t frames)
{
    size_t bytes = frames * static_cast<size_t>(kx_snd_s3m_frame_bytes(pl->mode));
    std::memset(out, (pl->mode & 16) ? 0 : 128, bytes);
    return bytes;
}

// Accumulator units to output: acc x master (<= 2^17) x balance (<= 256) x mix volume / 2^42, so
// that a full-volume channel panned hard to one side comes out at half scale with the header's
// amplification at 64 (headroom for several channels at once).
static inline int32_t scale(int32_t acc, int64_t gain)
{
    int64_t v = (static_cast<int64_t>(acc) * gain) >> 42;
    return static_cast<int32_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

size_t kx_snd_s3m_mix(KX_SND_S3M_PLAYER *pl, uint8_t *out, int frames)
{
    int32_t *left = pl->work_left, *right = pl->work_right;
    int stereo = (pl->mode & KX_SND_S3M_MODE_STEREO) != 0, bits16 = (pl->mode & 16) != 0;
    std::memset(left, 0, static_cast<size_t>(frames) * sizeof(int32_t));
    if (stereo) std::memset(right, 0, static_cast<size_t>(frames) * sizeof(int32_t));
    int quality = quality_of(pl->mode);
    for (int i = 0; i < KX_SND_S3M_CHANNELS; i++)
        if (pl->channels[i].sample) channel_mix(&pl->channels[i], frames, quality, stereo, left, right);

    int64_t base = static_cast<int64_t>(pl->master_volume) * pl->module->mix_volume;
    int32_t bal_left = pl->pan <= 128 ? 256 : (256 - pl->pan) * 2, bal_right = pl->pan >= 128 ? 256 : pl->pan * 2;
    int64_t gain_left = base * (stereo ? bal_left : 256), gain_right = base * bal_right;
    uint8_t *o = out;
    for (int i = 0; i < frames; i++) {
        int32_t l = scale(left[i], gain_left);
        if (bits16) {
            o[0] = static_cast<uint8_t>(l);
            o[1] = static_cast<uint8_t>(l >> 8);
            o += 2;
        } else {
            *o++ = static_cast<uint8_t>((l >> 8) + 128);
        }
        if (!stereo) continue;
        int32_t r = scale(right[i], gain_right);
        if (bits16) {
            o[0] = static_cast<uint8_t>(r);
            o[1] = static_cast<uint8_t>(r >> 8);
            o += 2;
        } else {
            *o++ = static_cast<uint8_t>((r >> 8) + 128);
        }
    }
    return static_cast<size_t>(o - out);
}
