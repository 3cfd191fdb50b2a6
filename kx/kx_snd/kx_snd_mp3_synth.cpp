// kx_snd_mp3_synth: the 32-band polyphase synthesis filter bank. Each time slot's matrixing is
// a 32-point DCT-II (split recursively into halves), unfolded into the 64-value vector by its
// symmetries; the window then sums 16 stored vectors into 32 output samples. The DCTs of eight
// time slots run together, one slot in each lane of a vector, and are turned back into one row
// per slot by transposes; every lane does what one slot alone would, in the same order.
#include "kx/kx_snd/kx_snd_mp3_local.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// In place: x[m] = sum over k of x[k] cos(pi m (2k + 1) / 2N). The even outputs are the DCT of
// the folded sums, the odd ones neighbouring pairs of the DCT of the scaled differences.
template <int N>
static KX_SND_MP3_INLINE void kx_snd_mp3_dct(KX_SND_MP3_V8 *x, const KX_SND_MP3_TABLES *t)
{
    if constexpr (N > 1) {
        const float *c = N == 32 ? t->dct_coef32 : N == 16 ? t->dct_coef16 : N == 8 ? t->dct_coef8 : N == 4 ? t->dct_coef4 : t->dct_coef2;
        KX_SND_MP3_V8 a[N / 2], b[N / 2];
        for (int k = 0; k < N / 2; k++) {
            a[k] = x[k] + x[N - 1 - k];
            b[k] = (x[k] - x[N - 1 - k]) * c[k];
        }
        kx_snd_mp3_dct<N / 2>(a, t);
        kx_snd_mp3_dct<N / 2>(b, t);
        for (int m = 0; m < N / 2 - 1; m++) {
            x[2 * m] = a[m];
            x[2 * m + 1] = b[m] + b[m + 1];
        }
        x[N - 2] = a[N / 2 - 1];
        x[N - 1] = b[N / 2 - 1];
    }
}

KX_SND_MP3_VECTOR void kx_snd_mp3_synth(KX_SND_MP3_LAYER3 *d, int channel, const float subband[32][KX_SND_MP3_SLOTS],
                                        float *pcm, int stride)
{
    const KX_SND_MP3_TABLES *t = kx_snd_mp3_tables();
    const float *window = t->synth_window;
    float (*ring)[64] = d->synth_v[channel];
    int slot = d->synth_slot[channel];
    for (int s0 = 0; s0 < 18; s0 += 8) {
        KX_SND_MP3_V8 x[32];
        for (int k = 0; k < 32; k++) kx_snd_mp3_v8_load(x[k], subband[k] + s0);
        kx_snd_mp3_dct<32>(x, t);
        for (int b = 0; b < 32; b += 8) kx_snd_mp3_transpose8(x + b);
        int slots = s0 + 8 <= 18 ? 8 : 18 - s0;
        for (int s = 0; s < slots; s++) {
            // This slot's X[0..31], and X[32] = 0 for the unfolding.
            float X[40] = {};
            for (int b = 0; b < 4; b++) kx_snd_mp3_v8_store(X + 8 * b, x[8 * b + s]);

            // The newest vector: v[i] = X[16 + i], and X[32 + n] = -X[32 - n], X[64 + n] = -X[n].
            slot = (slot - 1) & 15;
            float *v = ring[slot];
            std::memcpy(v, X + 16, 16 * sizeof(float));
            for (int b = 0; b < 4; b++) {
                KX_SND_MP3_V8 r;
                kx_snd_mp3_v8_load(r, X + 25 - 8 * b);
                kx_snd_mp3_v8_store(v + 16 + 8 * b, -__builtin_shufflevector(r, r, 7, 6, 5, 4, 3, 2, 1, 0));
            }
            for (int i = 48; i < 64; i++) v[i] = -X[i - 48];

            // Output j sums, over the eight pairs of vectors by age, the first half of the even
            // ones and the second half of the odd ones.
            float out[32] = {};
            for (int i = 0; i < 8; i++) {
                const float *va = ring[(slot + 2 * i) & 15];
                const float *vb = ring[(slot + 2 * i + 1) & 15] + 32;
                const float *da = window + 64 * i;
                const float *db = window + 64 * i + 32;
                for (int j = 0; j < 32; j++) out[j] += da[j] * va[j] + db[j] * vb[j];
            }
            float *o = pcm + (s0 + s) * 32 * stride;
            for (int j = 0; j < 32; j++) o[j * stride] = out[j];
        }
    }
    d->synth_slot[channel] = slot;
}
