// kx_snd_mp3_layer3: one MPEG-1 Layer III frame from its bytes to PCM: header, side
// information, bit reservoir, scale factors, Huffman decoding with requantisation, stereo
// processing, reordering, alias reduction, IMDCT with overlap, then the synthesis filter bank.
#include "kx/kx_snd/kx_snd_mp3_local.h"

#include <bit>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// Reads bits most significant first. Every buffer read through it carries at least 8 readable
// bytes past the last position it is allowed to reach.
struct KX_SND_MP3_BITS {
    const uint8_t *data;
    uint32_t pos;
};

// Requantisation gains of one granule in the order the spectrum is coded: each segment ends at
// a line number and has one multiplier.
struct KX_SND_MP3_GAINS {
    int16_t end[40];
    float mult[40];
};

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

static const int16_t kx_snd_mp3_bitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
static const int32_t kx_snd_mp3_rates[4] = {44100, 48000, 32000, 0};
static const uint8_t kx_snd_mp3_slen[2][16] = {
    {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
    {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3},
};
static const uint8_t kx_snd_mp3_pretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

// ---------------------------------------------------------------------------------------------
// Bit reading
// ---------------------------------------------------------------------------------------------

// The next 57 bits (at least), at the top of the word.
static inline uint64_t kx_snd_mp3_bits_peek64(const KX_SND_MP3_BITS *b)
{
    uint64_t v;
    std::memcpy(&v, b->data + (b->pos >> 3), 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v << (b->pos & 7);
}

static inline uint32_t kx_snd_mp3_bits_peek(const KX_SND_MP3_BITS *b)
{
    return static_cast<uint32_t>(kx_snd_mp3_bits_peek64(b) >> 32);
}

static inline uint32_t kx_snd_mp3_bits_get(KX_SND_MP3_BITS *b, int n)
{
    if (n == 0) return 0;
    uint32_t v = kx_snd_mp3_bits_peek(b) >> (32 - n);
    b->pos += static_cast<uint32_t>(n);
    return v;
}

// ---------------------------------------------------------------------------------------------
// Header and side information
// ---------------------------------------------------------------------------------------------

int kx_snd_mp3_header_parse(const uint8_t *p, KX_SND_MP3_HEADER *h)
{
    // Sync word, MPEG-1, Layer III; the protection bit may take either value.
    if (p[0] != 0xFF || (p[1] & 0xFE) != 0xFA) return 0;
    int bitrate_index = p[2] >> 4;
    int rate_index = (p[2] >> 2) & 3;
    // Free format (index 0) is refused: its frame length is not in the header.
    if (bitrate_index == 0 || bitrate_index == 15 || rate_index == 3) return 0;
    if ((p[3] & 3) == 2) return 0;   // reserved emphasis
    h->crc = !(p[1] & 1);
    h->bitrate = kx_snd_mp3_bitrates[bitrate_index];
    h->rate_index = rate_index;
    h->rate = kx_snd_mp3_rates[rate_index];
    h->padding = (p[2] >> 1) & 1;
    h->mode = p[3] >> 6;
    h->mode_ext = (p[3] >> 4) & 3;
    h->channels = h->mode == 3 ? 1 : 2;
    h->bytes = 144000 * h->bitrate / h->rate + h->padding;
    h->side_bytes = h->channels == 1 ? 17 : 32;
    return 1;
}

// Returns 0 when the side information cannot belong to a sound frame.
static int kx_snd_mp3_side_parse(const uint8_t *p, const KX_SND_MP3_HEADER *h, KX_SND_MP3_SIDE *side)
{
    KX_SND_MP3_BITS br = {p, 0};
    int nch = h->channels;
    side->main_data_begin = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 9));
    kx_snd_mp3_bits_get(&br, nch == 1 ? 5 : 3);
    for (int ch = 0; ch < nch; ch++)
        for (int band = 0; band < 4; band++) side->scfsi[ch][band] = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 1));
    for (int gr = 0; gr < 2; gr++) {
        for (int ch = 0; ch < nch; ch++) {
            KX_SND_MP3_GRANULE *g = &side->gr[gr][ch];
            g->part2_3_length = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 12));
            g->big_values = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 9));
            if (g->big_values > 288) return 0;
            g->global_gain = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 8));
            g->scalefac_compress = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 4));
            g->window_switching = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 1));
            if (g->window_switching) {
                g->block_type = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 2));
                g->mixed = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 1));
                if (g->block_type == 0) return 0;
                if (g->block_type != 2) g->mixed = 0;
                for (int r = 0; r < 2; r++) g->table_select[r] = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 5));
                g->table_select[2] = 0;
                for (int w = 0; w < 3; w++) g->subblock_gain[w] = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 3));
                // Region 0 ends at line 36 for every rate and block kind; there is no region 2.
                g->region1_start = 36;
                g->region2_start = KX_SND_MP3_GRANULE_LINES;
            } else {
                g->block_type = 0;
                g->mixed = 0;
                for (int r = 0; r < 3; r++) g->table_select[r] = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 5));
                g->subblock_gain[0] = g->subblock_gain[1] = g->subblock_gain[2] = 0;
                int region0 = static_cast<int>(kx_snd_mp3_bits_get(&br, 4));
                int region1 = static_cast<int>(kx_snd_mp3_bits_get(&br, 3));
                int r2 = region0 + region1 + 2;
                g->region1_start = kx_snd_mp3_sfb_long[h->rate_index][region0 + 1];
                g->region2_start = kx_snd_mp3_sfb_long[h->rate_index][r2 > 22 ? 22 : r2];
            }
            for (int r = 0; r < 3; r++)
                if (g->table_select[r] == 4 || g->table_select[r] == 14) return 0;
            g->preflag = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 1));
            g->scalefac_scale = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 1));
            g->count1_table = static_cast<int32_t>(kx_snd_mp3_bits_get(&br, 1));
        }
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Scale factors and gains
// ---------------------------------------------------------------------------------------------

static void kx_snd_mp3_scalefactors(KX_SND_MP3_LAYER3 *d, KX_SND_MP3_BITS *br, const KX_SND_MP3_SIDE *side,
                                    int gr, int ch, uint8_t sf_l[22], uint8_t sf_s[13][3])
{
    const KX_SND_MP3_GRANULE *g = &side->gr[gr][ch];
    int slen1 = kx_snd_mp3_slen[0][g->scalefac_compress];
    int slen2 = kx_snd_mp3_slen[1][g->scalefac_compress];
    std::memset(sf_l, 0, 22);
    std::memset(sf_s, 0, 13 * 3);
    if (g->window_switching && g->block_type == 2) {
        int first_short = 0;
        if (g->mixed) {
            for (int sfb = 0; sfb < 8; sfb++) sf_l[sfb] = static_cast<uint8_t>(kx_snd_mp3_bits_get(br, slen1));
            first_short = 3;
        }
        for (int sfb = first_short; sfb < 12; sfb++) {
            int len = sfb < 6 ? slen1 : slen2;
            for (int w = 0; w < 3; w++) sf_s[sfb][w] = static_cast<uint8_t>(kx_snd_mp3_bits_get(br, len));
        }
        // A short granule leaves nothing for granule 1 to share.
        if (gr == 0) std::memset(d->scalefac_l[ch], 0, 22);
        return;
    }
    static const int8_t groups[5] = {0, 6, 11, 16, 21};
    for (int k = 0; k < 4; k++) {
        int len = k < 2 ? slen1 : slen2;
        for (int sfb = groups[k]; sfb < groups[k + 1]; sfb++) {
            if (gr == 1 && side->scfsi[ch][k]) sf_l[sfb] = d->scalefac_l[ch][sfb];
            else sf_l[sfb] = static_cast<uint8_t>(kx_snd_mp3_bits_get(br, len));
        }
    }
    if (gr == 0) std::memcpy(d->scalefac_l[ch], sf_l, 22);
}

static float kx_snd_mp3_gain(const KX_SND_MP3_TABLES *t, int q)
{
    q += 512;
    return t->pow2_quarter[q < 0 ? 0 : q > 1023 ? 1023 : q];
}

static void kx_snd_mp3_gains(const KX_SND_MP3_TABLES *t, const KX_SND_MP3_GRANULE *g, int rate_index,
                             const uint8_t sf_l[22], const uint8_t sf_s[13][3], KX_SND_MP3_GAINS *out)
{
    int shift = g->scalefac_scale ? 2 : 1;   // scale factor steps of 2^-1 or 2^-0.5, in quarter powers: 4 or 2
    int base = g->global_gain - 210;
    int n = 0;
    const int16_t *lb = kx_snd_mp3_sfb_long[rate_index];
    const int16_t *sb = kx_snd_mp3_sfb_short[rate_index];
    bool short_blocks = g->window_switching && g->block_type == 2;
    int long_bands = !short_blocks ? 22 : g->mixed ? 8 : 0;
    for (int sfb = 0; sfb < long_bands; sfb++) {
        int s = sf_l[sfb] + (g->preflag ? kx_snd_mp3_pretab[sfb] : 0);
        out->end[n] = lb[sfb + 1];
        out->mult[n++] = kx_snd_mp3_gain(t, base - (s << shift));
    }
    if (!short_blocks) return;
    int line = long_bands ? lb[8] : 0;
    for (int sfb = long_bands ? 3 : 0; sfb < 13; sfb++) {
        int width = sb[sfb + 1] - sb[sfb];
        for (int w = 0; w < 3; w++) {
            line += width;
            out->end[n] = static_cast<int16_t>(line);
            out->mult[n++] = kx_snd_mp3_gain(t, base - 8 * g->subblock_gain[w] - (sf_s[sfb][w] << shift));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Huffman decoding with requantisation
// ---------------------------------------------------------------------------------------------

// A magnitude with the sign bit `negative` (0 or 1).
static inline float kx_snd_mp3_signed(float v, uint32_t negative)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    bits ^= negative << 31;
    std::memcpy(&v, &bits, 4);
    return v;
}

// Decodes the pairs of lines [i, to) of one region within one gain segment, requantised. False
// when the data has run past `end`, with i at the pair not decoded.
template <bool LINBITS>
static KX_SND_MP3_INLINE bool kx_snd_mp3_pairs(KX_SND_MP3_BITS *br, uint32_t end, const KX_SND_MP3_HUFF *h, const float *pow43,
                                               float mult, float *xr, int &i, int to)
{
    const uint32_t *lut = h->lut;
    const int root = h->root_bits, linbits = h->linbits;
    KX_SND_MP3_BITS b = *br;
    bool ok = true;
    // The next bits stay in a register between pairs: a pair takes at most 19 code bits, 2 x 13
    // linbits and 2 signs, and a load gives at least 57.
    uint64_t w = 0;
    int held = 0;
    for (; i < to; i += 2) {
        // Data running past the granule's end is damage: the rest of the granule stays zero.
        if (b.pos > end) {
            ok = false;
            break;
        }
        if (held < (LINBITS ? 47 : 21)) {
            w = kx_snd_mp3_bits_peek64(&b);
            held = 57;
        }
        uint32_t e = lut[w >> (64 - root)];
        int used = 0;
        if (e & 0x80000000u) {
            int sub = static_cast<int>(e & 0xFF);
            used = root;
            e = lut[((e & 0x7FFFFFFFu) >> 8) + ((w << root) >> (64 - sub))];
        }
        used += static_cast<int>((e >> 8) & 0xFF);
        int x = static_cast<int>((e >> 4) & 15), y = static_cast<int>(e & 15);
        if (LINBITS && x == 15) {
            x += static_cast<int>((w << used) >> (64 - linbits));
            used += linbits;
        }
        // A sign bit follows each value that is not zero.
        uint32_t sx = static_cast<uint32_t>((w << used) >> 63) & (x != 0);
        used += x != 0;
        if (LINBITS && y == 15) {
            y += static_cast<int>((w << used) >> (64 - linbits));
            used += linbits;
        }
        uint32_t sy = static_cast<uint32_t>((w << used) >> 63) & (y != 0);
        used += y != 0;
        xr[i] = kx_snd_mp3_signed(pow43[x] * mult, sx);
        xr[i + 1] = kx_snd_mp3_signed(pow43[y] * mult, sy);
        b.pos += static_cast<uint32_t>(used);
        w <<= used;
        held -= used;
    }
    br->pos = b.pos;
    return ok;
}

// Decodes one granule of one channel into xr, bits [br->pos, end). Returns the line count past
// which everything is zero.
static int kx_snd_mp3_huffman(const KX_SND_MP3_TABLES *t, KX_SND_MP3_BITS *br, uint32_t end,
                              const KX_SND_MP3_GRANULE *g, const KX_SND_MP3_GAINS *gains, float *xr)
{
    int i = 0, seg = 0;
    int big = g->big_values * 2;
    int bounds[3] = {g->region1_start < big ? g->region1_start : big, g->region2_start < big ? g->region2_start : big, big};
    // Big values: pairs, region by region, and within a region segment by segment (every
    // boundary falls between pairs).
    for (int r = 0; r < 3; r++) {
        const KX_SND_MP3_HUFF *h = kx_snd_mp3_huff_table(g->table_select[r]);
        int region_end = bounds[r];
        if (!h) {
            for (; i < region_end; i++) xr[i] = 0.0f;
            continue;
        }
        while (i < region_end) {
            while (i >= gains->end[seg]) seg++;
            int to = region_end < gains->end[seg] ? region_end : gains->end[seg];
            bool ok = h->linbits ? kx_snd_mp3_pairs<true>(br, end, h, t->pow43, gains->mult[seg], xr, i, to)
                                 : kx_snd_mp3_pairs<false>(br, end, h, t->pow43, gains->mult[seg], xr, i, to);
            if (!ok) goto done;
        }
    }
    {
        // Count1: quadruples of -1, 0 and 1, until the granule's bits run out.
        const uint16_t *quad_a = kx_snd_mp3_huff_quad_a();
        int seg_end = gains->end[seg];
        float mult = gains->mult[seg];
        while (i <= KX_SND_MP3_GRANULE_LINES - 4 && br->pos < end) {
            uint32_t w = kx_snd_mp3_bits_peek(br);
            uint32_t vals, used;
            if (g->count1_table) {
                vals = (~w >> 28) & 15;
                used = 4;
            } else {
                uint16_t e = quad_a[w >> 26];
                used = e >> 8;
                vals = e & 15;
            }
            // Then a sign bit for each value that is not zero; no branches on the values.
            w <<= used;
            for (int k = 0; k < 4; k++) {
                while (i + k >= seg_end) {
                    seg++;
                    seg_end = gains->end[seg];
                    mult = gains->mult[seg];
                }
                uint32_t on = (vals >> (3 - k)) & 1, bits;
                std::memcpy(&bits, &mult, 4);
                bits = (bits & (0u - on)) | ((w >> 31) & on) << 31;
                std::memcpy(&xr[i + k], &bits, 4);
                w <<= on;
                used += on;
            }
            br->pos += used;
            // A quadruple that ends past the granule was never meant: drop it.
            if (br->pos > end) {
                xr[i] = xr[i + 1] = xr[i + 2] = xr[i + 3] = 0.0f;
                break;
            }
            i += 4;
        }
    }
done:
    int nonzero = i;
    for (; i < KX_SND_MP3_GRANULE_LINES; i++) xr[i] = 0.0f;
    return nonzero;
}

// ---------------------------------------------------------------------------------------------
// Stereo processing
// ---------------------------------------------------------------------------------------------

// One band of lines in coding order: intensity stereo with is_pos (0-6), else mid/side when on.
static void kx_snd_mp3_stereo_band(const KX_SND_MP3_TABLES *t, float *l, float *r, int n, int is_pos, int ms)
{
    if (is_pos >= 0 && is_pos < 7) {
        float kl = t->is_ratio[is_pos][0], kr = t->is_ratio[is_pos][1];
        for (int i = 0; i < n; i++) {
            float v = l[i];
            l[i] = v * kl;
            r[i] = v * kr;
        }
    } else if (ms) {
        const float s = 0.70710678118654752f;
        for (int i = 0; i < n; i++) {
            float m = l[i], d = r[i];
            l[i] = (m + d) * s;
            r[i] = (m - d) * s;
        }
    }
}

static void kx_snd_mp3_stereo(KX_SND_MP3_LAYER3 *d, const KX_SND_MP3_HEADER *h, const KX_SND_MP3_GRANULE *g,
                              const uint8_t sf_l[22], const uint8_t sf_s[13][3])
{
    const KX_SND_MP3_TABLES *t = kx_snd_mp3_tables();
    int ms = (h->mode_ext & 2) != 0, intensity = (h->mode_ext & 1) != 0;
    float *l = d->xr[0], *r = d->xr[1];
    int limit = d->nonzero[0] > d->nonzero[1] ? d->nonzero[0] : d->nonzero[1];
    if (!intensity) {
        if (ms) kx_snd_mp3_stereo_band(t, l, r, limit, -1, 1);
        d->nonzero[0] = d->nonzero[1] = limit;
        return;
    }
    // Intensity stereo covers the bands above the last nonzero line of the right channel, and
    // the left channel may now reach up to 576 lines.
    const int16_t *lb = kx_snd_mp3_sfb_long[h->rate_index];
    const int16_t *sb = kx_snd_mp3_sfb_short[h->rate_index];
    int right_last = -1;
    for (int i = d->nonzero[1] - 1; i >= 0; i--)
        if (r[i] != 0.0f) {
            right_last = i;
            break;
        }
    bool short_blocks = g->window_switching && g->block_type == 2;
    if (!short_blocks) {
        for (int sfb = 0; sfb < 22; sfb++) {
            int start = lb[sfb], n = lb[sfb + 1] - start;
            int is_pos = start > right_last ? sf_l[sfb < 21 ? sfb : 20] : -1;
            kx_snd_mp3_stereo_band(t, l + start, r + start, n, is_pos, ms);
        }
    } else {
        int first_short = g->mixed ? 3 : 0;
        int line = g->mixed ? lb[8] : 0;
        // Per window: the highest short band holding a nonzero right line.
        int window_last[3] = {-1, -1, -1};
        for (int sfb = first_short; sfb < 13; sfb++) {
            int width = sb[sfb + 1] - sb[sfb];
            for (int w = 0; w < 3; w++) {
                for (int i = 0; i < width; i++)
                    if (r[line + i] != 0.0f) {
                        window_last[w] = sfb;
                        break;
                    }
                line += width;
            }
        }
        if (g->mixed) {
            bool short_part_empty = window_last[0] < 0 && window_last[1] < 0 && window_last[2] < 0;
            for (int sfb = 0; sfb < 8; sfb++) {
                int start = lb[sfb], n = lb[sfb + 1] - start;
                int is_pos = short_part_empty && start > right_last ? sf_l[sfb] : -1;
                kx_snd_mp3_stereo_band(t, l + start, r + start, n, is_pos, ms);
            }
        }
        line = g->mixed ? lb[8] : 0;
        for (int sfb = first_short; sfb < 13; sfb++) {
            int width = sb[sfb + 1] - sb[sfb];
            for (int w = 0; w < 3; w++) {
                // The top band has no position of its own: it takes band 11's, whatever the
                // right channel holds there.
                int is_pos = sfb == 12 ? sf_s[11][w] : sfb > window_last[w] ? sf_s[sfb][w] : -1;
                kx_snd_mp3_stereo_band(t, l + line, r + line, width, is_pos, ms);
                line += width;
            }
        }
    }
    d->nonzero[0] = d->nonzero[1] = KX_SND_MP3_GRANULE_LINES;
}

// ---------------------------------------------------------------------------------------------
// Hybrid filter bank
// ---------------------------------------------------------------------------------------------

// Short blocks are coded band by band, window by window; the IMDCT wants the three windows of
// each frequency side by side.
static KX_SND_MP3_INLINE void kx_snd_mp3_reorder(float *xr, int rate_index, int mixed)
{
    const int16_t *sb = kx_snd_mp3_sfb_short[rate_index];
    float tmp[KX_SND_MP3_GRANULE_LINES];
    int first = mixed ? 3 : 0;
    int start = 3 * sb[first];
    for (int sfb = first; sfb < 13; sfb++) {
        int s = sb[sfb], width = sb[sfb + 1] - s;
        const float *src = xr + 3 * s;
        for (int w = 0; w < 3; w++)
            for (int j = 0; j < width; j++) tmp[3 * (s + j) + w] = src[w * width + j];
    }
    std::memcpy(xr + start, tmp + start, sizeof(float) * static_cast<size_t>(KX_SND_MP3_GRANULE_LINES - start));
}

// The butterflies across each subband boundary: line 18 sb - 1 - i with line 18 sb + i, i < 8.
static KX_SND_MP3_INLINE void kx_snd_mp3_alias(const KX_SND_MP3_TABLES *t, float *xr, int boundaries)
{
    KX_SND_MP3_V8 cs, ca;
    kx_snd_mp3_v8_load(cs, t->alias_cs);
    kx_snd_mp3_v8_load(ca, t->alias_ca);
    for (int sb = 1; sb <= boundaries; sb++) {
        KX_SND_MP3_V8 a, b;
        kx_snd_mp3_v8_load(a, xr + 18 * sb - 8);
        kx_snd_mp3_v8_load(b, xr + 18 * sb);
        a = __builtin_shufflevector(a, a, 7, 6, 5, 4, 3, 2, 1, 0);
        KX_SND_MP3_V8 lo = a * cs - b * ca;
        kx_snd_mp3_v8_store(xr + 18 * sb, b * cs + a * ca);
        kx_snd_mp3_v8_store(xr + 18 * sb - 8, __builtin_shufflevector(lo, lo, 7, 6, 5, 4, 3, 2, 1, 0));
    }
}

static KX_SND_MP3_INLINE void kx_snd_mp3_imdct_long(const KX_SND_MP3_TABLES *t, const float *x, int block_type, float *overlap,
                                  float out[18])
{
    float c[20] = {};
    for (int k = 0; k < 18; k++) {
        float v = x[k];
        const float *row = t->imdct_long[k];
        for (int m = 0; m < 20; m++) c[m] += v * row[m];
    }
    // The 36 outputs are the 18 DCT-IV values unfolded with their symmetries.
    float y[36];
    for (int i = 0; i < 9; i++) y[i] = c[i + 9];
    for (int i = 9; i < 27; i++) y[i] = -c[26 - i];
    for (int i = 27; i < 36; i++) y[i] = -c[i - 27];
    const float *win = t->window_long[block_type];
    for (int i = 0; i < 18; i++) {
        out[i] = overlap[i] + y[i] * win[i];
        overlap[i] = y[i + 18] * win[i + 18];
    }
}

static KX_SND_MP3_INLINE void kx_snd_mp3_imdct_short(const KX_SND_MP3_TABLES *t, const float *x, float *overlap, float out[18])
{
    float z[36] = {};
    for (int w = 0; w < 3; w++) {
        float c[6] = {};
        for (int k = 0; k < 6; k++) {
            float v = x[3 * k + w];
            for (int m = 0; m < 6; m++) c[m] += v * t->imdct_short[k][m];
        }
        float y[12];
        for (int i = 0; i < 3; i++) y[i] = c[i + 3];
        for (int i = 3; i < 9; i++) y[i] = -c[8 - i];
        for (int i = 9; i < 12; i++) y[i] = -c[i - 9];
        for (int i = 0; i < 12; i++) z[6 + 6 * w + i] += y[i] * t->window_short[i];
    }
    for (int i = 0; i < 18; i++) {
        out[i] = overlap[i] + z[i];
        overlap[i] = z[i + 18];
    }
}

// A complex value in each lane.
struct KX_SND_MP3_C8 {
    KX_SND_MP3_V8 re, im;
};

// z times e^(-i a), for a given by its cosine and sine.
static KX_SND_MP3_INLINE KX_SND_MP3_C8 kx_snd_mp3_turn(const KX_SND_MP3_C8 &z, const float *cos_sin)
{
    return {z.re * cos_sin[0] + z.im * cos_sin[1], z.im * cos_sin[0] - z.re * cos_sin[1]};
}

// The 3-point DFT of a, b, c in place.
static KX_SND_MP3_INLINE void kx_snd_mp3_dft3(KX_SND_MP3_C8 &a, KX_SND_MP3_C8 &b, KX_SND_MP3_C8 &c)
{
    const float h = 0.86602540378443865f;   // sqrt(3) / 2
    KX_SND_MP3_C8 s = {b.re + c.re, b.im + c.im}, d = {(b.re - c.re) * h, (b.im - c.im) * h};
    KX_SND_MP3_C8 m = {a.re - s.re * 0.5f, a.im - s.im * 0.5f};
    a = {a.re + s.re, a.im + s.im};
    b = {m.re + d.im, m.im - d.re};
    c = {m.re - d.im, m.im + d.re};
}

// The 18-point DCT-IV of each lane, c[m] = sum over k of x[k] cos(pi (2m + 1)(2k + 1) / 72), as a
// 9-point complex DFT (three by three) of x[2n] + i x[17 - 2n] between two turns: then c[2p] and
// -c[17 - 2p] are the real and imaginary parts of output p.
static KX_SND_MP3_INLINE void kx_snd_mp3_dct4_18(const KX_SND_MP3_TABLES *t, const KX_SND_MP3_V8 *x, KX_SND_MP3_V8 *c)
{
    KX_SND_MP3_C8 z[9];
    for (int n = 0; n < 9; n++) z[n] = kx_snd_mp3_turn({x[2 * n], x[17 - 2 * n]}, t->dct4_pre[n]);
    // Input n = 3 n1 + n2, output p = k1 + 3 k2.
    for (int n2 = 0; n2 < 3; n2++) {
        kx_snd_mp3_dft3(z[n2], z[3 + n2], z[6 + n2]);
        for (int k1 = 1; k1 < 3; k1++)
            if (n2) z[3 * k1 + n2] = kx_snd_mp3_turn(z[3 * k1 + n2], t->dct4_mid[n2][k1]);
    }
    for (int k1 = 0; k1 < 3; k1++) kx_snd_mp3_dft3(z[3 * k1], z[3 * k1 + 1], z[3 * k1 + 2]);
    for (int k1 = 0; k1 < 3; k1++)
        for (int k2 = 0; k2 < 3; k2++) {
            int p = k1 + 3 * k2;
            KX_SND_MP3_C8 s = kx_snd_mp3_turn(z[3 * k1 + k2], t->dct4_post[p]);
            c[2 * p] = s.re;
            c[17 - 2 * p] = -s.im;
        }
}

// Long blocks, eight subbands at a time, one in each lane: IMDCT, window and overlap, then back
// to one row per subband.
static KX_SND_MP3_INLINE void kx_snd_mp3_hybrid_long8(const KX_SND_MP3_TABLES *t, const float *xr, const float *win,
                                                      float (*overlap)[32], int sb0, bool silent,
                                                      float subband[32][KX_SND_MP3_SLOTS])
{
    KX_SND_MP3_V8 o[24];
    if (silent) {
        // Nothing coded here: the output is what the last granule left.
        for (int i = 0; i < 18; i++) {
            kx_snd_mp3_v8_load(o[i], overlap[i] + sb0);
            kx_snd_mp3_v8_store(overlap[i] + sb0, KX_SND_MP3_V8{});
        }
    } else {
        KX_SND_MP3_V8 x[24], c[18];
        const float *rows = xr + 18 * sb0;
        for (int l = 0; l < 8; l++) {
            kx_snd_mp3_v8_load(x[l], rows + 18 * l);
            kx_snd_mp3_v8_load(x[8 + l], rows + 18 * l + 8);
        }
        kx_snd_mp3_transpose8(x);
        kx_snd_mp3_transpose8(x + 8);
        for (int l = 0; l < 8; l++) {
            x[16][l] = rows[18 * l + 16];
            x[17][l] = rows[18 * l + 17];
        }
        kx_snd_mp3_dct4_18(t, x, c);
        // The 36 outputs y are the 18 DCT-IV values unfolded with their symmetries: y[i] is
        // c[i + 9] for i < 9, -c[26 - i] up to 26, -c[i - 27] after.
        for (int i = 0; i < 18; i++) {
            KX_SND_MP3_V8 ov;
            kx_snd_mp3_v8_load(ov, overlap[i] + sb0);
            o[i] = ov + (i < 9 ? c[i + 9] : -c[26 - i]) * win[i];
            kx_snd_mp3_v8_store(overlap[i] + sb0, -(i < 9 ? c[8 - i] : c[i - 9]) * win[i + 18]);
        }
    }
    // Odd subbands come out of the filter bank frequency-inverted: every other sample flips.
    const KX_SND_MP3_V8 flip = {1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f};
    for (int i = 1; i < 18; i += 2) o[i] *= flip;
    for (int i = 18; i < 24; i++) o[i] = KX_SND_MP3_V8{};
    for (int b = 0; b < 24; b += 8) kx_snd_mp3_transpose8(o + b);
    for (int l = 0; l < 8; l++)
        for (int b = 0; b < 24; b += 8) kx_snd_mp3_v8_store(subband[sb0 + l] + b, o[b + l]);
}

KX_SND_MP3_VECTOR static void kx_snd_mp3_hybrid(KX_SND_MP3_LAYER3 *d, int ch, const KX_SND_MP3_GRANULE *g, int rate_index,
                              float subband[32][KX_SND_MP3_SLOTS])
{
    const KX_SND_MP3_TABLES *t = kx_snd_mp3_tables();
    float *xr = d->xr[ch];
    float (*overlap)[32] = d->overlap[ch];
    int nonzero = d->nonzero[ch];
    bool short_blocks = g->window_switching && g->block_type == 2;
    int block_type = g->window_switching ? g->block_type : 0;
    if (!short_blocks) {
        int used = (nonzero + 17) / 18;
        kx_snd_mp3_alias(t, xr, used < 31 ? used : 31);
        int bands = used + 1 < 32 ? used + 1 : 32;
        for (int sb0 = 0; sb0 < 32; sb0 += 8)
            kx_snd_mp3_hybrid_long8(t, xr, t->window_long[block_type], overlap, sb0, sb0 >= bands, subband);
        return;
    }
    kx_snd_mp3_reorder(xr, rate_index, g->mixed);
    if (g->mixed) kx_snd_mp3_alias(t, xr, 1);
    nonzero = 0;
    for (int i = KX_SND_MP3_GRANULE_LINES - 1; i >= 0; i--)
        if (xr[i] != 0.0f) {
            nonzero = i + 1;
            break;
        }
    int bands = (nonzero + 17) / 18;
    for (int sb = 0; sb < 32; sb++) {
        float ov[18];
        for (int i = 0; i < 18; i++) ov[i] = overlap[i][sb];
        float *out = subband[sb];
        if (sb >= bands) {
            for (int i = 0; i < 18; i++) {
                out[i] = ov[i];
                ov[i] = 0.0f;
            }
        } else if (!(g->mixed && sb < 2)) {
            kx_snd_mp3_imdct_short(t, xr + 18 * sb, ov, out);
        } else {
            kx_snd_mp3_imdct_long(t, xr + 18 * sb, 0, ov, out);
        }
        for (int i = 0; i < 18; i++) overlap[i][sb] = ov[i];
        if (sb & 1)
            for (int i = 1; i < 18; i += 2) out[i] = -out[i];
    }
}

// ---------------------------------------------------------------------------------------------
// Frame
// ---------------------------------------------------------------------------------------------

void kx_snd_mp3_decoder_reset(KX_SND_MP3_LAYER3 *d)
{
    std::memset(d, 0, sizeof *d);
}

static void kx_snd_mp3_silence(KX_SND_MP3_LAYER3 *d, int channels)
{
    std::memset(d->pcm, 0, sizeof(float) * KX_SND_MP3_FRAME_SAMPLES * static_cast<size_t>(channels));
    std::memset(d->overlap, 0, sizeof d->overlap);
    std::memset(d->synth_v, 0, sizeof d->synth_v);
}

int kx_snd_mp3_frame_decode(KX_SND_MP3_LAYER3 *d, const uint8_t *frame, const KX_SND_MP3_HEADER *h)
{
    const KX_SND_MP3_TABLES *t = kx_snd_mp3_tables();
    int nch = h->channels;
    int side_at = 4 + (h->crc ? 2 : 0);
    int main_at = side_at + h->side_bytes;
    int main_bytes = h->bytes - main_at;
    KX_SND_MP3_SIDE side;
    int ok = main_bytes >= 0 && kx_snd_mp3_side_parse(frame + side_at, h, &side);
    if (main_bytes < 0) main_bytes = 0;

    // The bit reservoir: keep what later frames may point back to, then add this frame's data.
    int held = d->main_len > KX_SND_MP3_MAX_BACK ? KX_SND_MP3_MAX_BACK : d->main_len;
    if (held < d->main_len) std::memmove(d->main_data, d->main_data + d->main_len - held, static_cast<size_t>(held));
    std::memcpy(d->main_data + held, frame + main_at, static_cast<size_t>(main_bytes));
    d->main_len = held + main_bytes;
    std::memset(d->main_data + d->main_len, 0, KX_SND_MP3_MAIN_PAD);

    // A frame whose data starts before anything we have seen (the stream was cut, or frames were
    // lost) cannot be decoded.
    if (ok && side.main_data_begin > held) ok = 0;
    uint32_t start_bit = 0, total_bits = 0;
    if (ok) {
        start_bit = static_cast<uint32_t>(held - side.main_data_begin) * 8;
        for (int gr = 0; gr < 2; gr++)
            for (int ch = 0; ch < nch; ch++) total_bits += static_cast<uint32_t>(side.gr[gr][ch].part2_3_length);
        if (start_bit + total_bits > static_cast<uint32_t>(d->main_len) * 8) ok = 0;
    }
    if (!ok) {
        kx_snd_mp3_silence(d, nch);
        return 0;
    }

    KX_SND_MP3_BITS br = {d->main_data, start_bit};
    float subband[32][KX_SND_MP3_SLOTS];
    for (int sb = 0; sb < 32; sb++) std::memset(subband[sb] + 18, 0, sizeof(float) * (KX_SND_MP3_SLOTS - 18));
    for (int gr = 0; gr < 2; gr++) {
        uint8_t sf_l[2][22], sf_s[2][13][3];
        for (int ch = 0; ch < nch; ch++) {
            const KX_SND_MP3_GRANULE *g = &side.gr[gr][ch];
            uint32_t end = br.pos + static_cast<uint32_t>(g->part2_3_length);
            kx_snd_mp3_scalefactors(d, &br, &side, gr, ch, sf_l[ch], sf_s[ch]);
            KX_SND_MP3_GAINS gains;
            kx_snd_mp3_gains(t, g, h->rate_index, sf_l[ch], sf_s[ch], &gains);
            d->nonzero[ch] = kx_snd_mp3_huffman(t, &br, end, g, &gains, d->xr[ch]);
            br.pos = end;
        }
        if (h->mode == 1 && nch == 2 && h->mode_ext) kx_snd_mp3_stereo(d, h, &side.gr[gr][1], sf_l[1], sf_s[1]);
        for (int ch = 0; ch < nch; ch++) {
            kx_snd_mp3_hybrid(d, ch, &side.gr[gr][ch], h->rate_index, subband);
            kx_snd_mp3_synth(d, ch, subband, d->pcm + gr * 576 * nch + ch, nch);
        }
    }
    return 1;
}
