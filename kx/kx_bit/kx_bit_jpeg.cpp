// kx_bit JPEG reader: baseline sequential Huffman pictures, gray or YCbCr, any sampling factors,
// interleaved or one-component scans, restart intervals. Huffman codes are decoded through a
// 9-bit lookahead table, blocks through a floating-point AAN inverse DCT, and interleaved scans
// are upsampled and colour-converted one MCU row behind the decoder while the rows are in cache.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

constexpr int KX_JPEG_FAST_BITS = 9;

struct KX_JPEG_HUFF {
    bool defined;
    uint16_t fast[1 << KX_JPEG_FAST_BITS];   // (length << 8) | symbol, 0 when longer
    int32_t fast_ac[1 << KX_JPEG_FAST_BITS]; // (value << 16) | (run << 8) | bits, 0 when none
    uint32_t maxcode[18];                    // first code above each length, left-aligned to 16
    int delta[17];                           // symbol index minus code for each length
    uint8_t symbols[256];
};

struct KX_JPEG_COMPONENT {
    int id, h, v, tq;
    int dc_table, ac_table;
    int dc_pred;
    int width, height;        // samples that belong to the picture
    int stride, rows;         // plane size (whole MCUs)
    int blocks_w, blocks_h;   // blocks of a one-component scan
    uint8_t *plane;
    bool done;                // every block decoded
};

struct KX_JPEG_READER {
    const uint8_t *p, *end;
    uint64_t bits;
    int count;
    int marker;               // marker met in the data (0 none)
    const uint8_t *marker_at; // its 0xFF byte
    size_t pad;               // zero bytes fed after the end of the file
    bool bad;                 // an invalid Huffman code was met
};

struct KX_JPEG {
    const uint8_t *data;
    size_t size;
    float quant[4][64];   // natural order, AAN scale and 1/8 folded in
    bool quant_defined[4];
    KX_JPEG_HUFF dc[4], ac[4];
    int width, height, ncomp;
    int hmax, vmax, mcus_x, mcus_y;
    KX_JPEG_COMPONENT comp[4];
    int restart;
    bool frame, adobe_rgb;
    int converted;            // output rows already converted
    uint8_t *out;
    uint8_t *rows;            // upsampling row buffers
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

// Zigzag position -> natural position (plus spare entries so a run past 63 stays in bounds).
static const uint8_t kx_jpeg_natural[80] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63, 63, 63,
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

struct KX_JPEG_TABLES {
    int cr_r[256], cb_b[256], cr_g[256], cb_g[256];
    float aan[8];
    KX_JPEG_TABLES()
    {
        for (int i = 0; i < 256; i++) {
            int x = i - 128;
            cr_r[i] = int(1.40200 * 65536.0 * x + 32768.0) >> 16;
            cb_b[i] = int(1.77200 * 65536.0 * x + 32768.0) >> 16;
            cr_g[i] = int(-0.71414 * 65536.0 * x);
            cb_g[i] = int(-0.34414 * 65536.0 * x) + 32768;
        }
        aan[0] = 1.0f;
        for (int k = 1; k < 8; k++) aan[k] = float(std::cos(k * 3.14159265358979323846 / 16.0) * std::sqrt(2.0));
    }
};
static const KX_JPEG_TABLES kx_jpeg_tables;

// ---------------------------------------------------------------------------------------------
// Entropy decoding
// ---------------------------------------------------------------------------------------------

static inline void kx_jpeg_refill(KX_JPEG_READER &r)
{
    while (r.count <= 56) {
        unsigned b = 0;
        if (!r.marker) {
            if (r.p < r.end) {
                b = *r.p++;
                if (b == 0xFF) {
                    if (r.p < r.end && *r.p == 0) {
                        r.p++;
                    } else {
                        // A marker ends the data; the rest is read as zeros.
                        r.marker_at = r.p - 1;
                        while (r.p < r.end && *r.p == 0xFF) r.p++;
                        r.marker = r.p < r.end ? *r.p : 0xD9;
                        b = 0;
                    }
                }
            } else {
                r.pad++;
            }
        }
        r.bits |= uint64_t(b) << (56 - r.count);
        r.count += 8;
    }
}

static inline int kx_jpeg_extend(int v, int s) { return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v; }

static inline int kx_jpeg_bits(KX_JPEG_READER &r, int s)
{
    if (s == 0) return 0;
    int v = int(r.bits >> (64 - s));
    r.bits <<= s;
    r.count -= s;
    return v;
}

// Decodes one Huffman symbol (the reader holds at least 32 bits). -1 on an invalid code.
static inline int kx_jpeg_symbol(KX_JPEG_READER &r, const KX_JPEG_HUFF &h)
{
    unsigned e = h.fast[r.bits >> (64 - KX_JPEG_FAST_BITS)];
    if (e) {
        int len = int(e >> 8);
        r.bits <<= len;
        r.count -= len;
        return int(e & 255);
    }
    uint32_t peek = uint32_t(r.bits >> 48);
    for (int len = KX_JPEG_FAST_BITS + 1; len <= 16; len++) {
        if (peek < h.maxcode[len]) {
            int index = int(peek >> (16 - len)) + h.delta[len];
            r.bits <<= len;
            r.count -= len;
            if (index < 0 || index > 255) {
                r.bad = true;
                return -1;
            }
            return h.symbols[index];
        }
    }
    r.bad = true;
    return -1;
}

static bool kx_jpeg_huff_build(KX_JPEG_HUFF &h, const uint8_t *counts, const uint8_t *symbols, int total, bool ac)
{
    std::memset(&h, 0, sizeof h);
    std::memcpy(h.symbols, symbols, size_t(total));
    uint32_t code = 0;
    int k = 0;
    for (int len = 1; len <= 16; len++) {
        h.delta[len] = k - int(code);
        for (int i = 0; i < counts[len - 1]; i++, k++, code++) {
            if (code >= (1u << len)) return false;   // more codes than the length allows
            if (len <= KX_JPEG_FAST_BITS) {
                int shift = KX_JPEG_FAST_BITS - len;
                for (uint32_t j = 0; j < (1u << shift); j++) h.fast[(code << shift) | j] = uint16_t(len << 8 | symbols[k]);
            }
        }
        h.maxcode[len] = code << (16 - len);
        code <<= 1;
    }
    h.maxcode[17] = 0xFFFFFFFFu;
    if (ac) {
        // Short code plus short value: run and coefficient straight from the table.
        for (int i = 0; i < (1 << KX_JPEG_FAST_BITS); i++) {
            unsigned e = h.fast[i];
            if (!e) continue;
            int len = int(e >> 8), rs = int(e & 255), run = rs >> 4, s = rs & 15;
            if (s == 0 || len + s > KX_JPEG_FAST_BITS) continue;
            int v = (i << len) & ((1 << KX_JPEG_FAST_BITS) - 1);
            v >>= KX_JPEG_FAST_BITS - s;
            v = kx_jpeg_extend(v, s);
            h.fast_ac[i] = int32_t(uint32_t(v) << 16 | uint32_t(run) << 8 | uint32_t(len + s));
        }
    }
    h.defined = true;
    return true;
}

// Decodes one block's coefficients, dequantised, into `coef` (natural order; zeroed by the
// caller). Returns the zigzag index of the last coefficient, -1 on a bad code.
static inline int kx_jpeg_block(KX_JPEG_READER &r, const KX_JPEG_HUFF &dc, const KX_JPEG_HUFF &ac,
                                const float *q, int &pred, float *coef)
{
    if (r.count < 32) kx_jpeg_refill(r);
    int s = kx_jpeg_symbol(r, dc);
    if (s < 0) return -1;
    if (s > 16) s = 16;
    int diff = 0;
    if (s) {
        if (r.count < 16) kx_jpeg_refill(r);
        diff = kx_jpeg_extend(kx_jpeg_bits(r, s), s);
    }
    pred += diff;
    coef[0] = float(pred) * q[0];
    int last = 0;
    for (int k = 1; k < 64;) {
        if (r.count < 32) kx_jpeg_refill(r);
        int32_t f = ac.fast_ac[r.bits >> (64 - KX_JPEG_FAST_BITS)];
        if (f) {
            int len = f & 255;
            k += (f >> 8) & 15;
            r.bits <<= len;
            r.count -= len;
            int n = kx_jpeg_natural[k];
            coef[n] = float(f >> 16) * q[n];
            last = k++;
            continue;
        }
        int rs = kx_jpeg_symbol(r, ac);
        if (rs < 0) return -1;
        int run = rs >> 4;
        s = rs & 15;
        if (s == 0) {
            if (run != 15) break;
            k += 16;
            continue;
        }
        k += run;
        if (k > 63) break;
        int n = kx_jpeg_natural[k];
        coef[n] = float(kx_jpeg_extend(kx_jpeg_bits(r, s), s)) * q[n];
        last = k++;
    }
    return last;
}

// ---------------------------------------------------------------------------------------------
// Inverse DCT
// ---------------------------------------------------------------------------------------------

static inline uint8_t kx_jpeg_clamp(float v)
{
    int i = int(v + 128.5f);
    return uint8_t(i < 0 ? 0 : i > 255 ? 255 : i);
}

// One pass of the AAN butterfly over eight values p[0], p[s], ..., p[7s], giving eight
// outputs in natural order.
static inline void kx_jpeg_idct_1d(const float *p, int s, float out[8])
{
    float t0 = p[0], t1 = p[2 * s], t2 = p[4 * s], t3 = p[6 * s];
    float t10 = t0 + t2, t11 = t0 - t2;
    float t13 = t1 + t3, t12 = (t1 - t3) * 1.414213562f - t13;
    t0 = t10 + t13;
    t3 = t10 - t13;
    t1 = t11 + t12;
    t2 = t11 - t12;
    float t4 = p[s], t5 = p[3 * s], t6 = p[5 * s], t7 = p[7 * s];
    float z13 = t6 + t5, z10 = t6 - t5, z11 = t4 + t7, z12 = t4 - t7;
    t7 = z11 + z13;
    t11 = (z11 - z13) * 1.414213562f;
    float z5 = (z10 + z12) * 1.847759065f;
    t10 = z5 - z12 * 1.082392200f;
    t12 = z5 - z10 * 2.613125930f;
    t6 = t12 - t7;
    t5 = t11 - t6;
    t4 = t10 - t5;
    out[0] = t0 + t7;
    out[7] = t0 - t7;
    out[1] = t1 + t6;
    out[6] = t1 - t6;
    out[2] = t2 + t5;
    out[5] = t2 - t5;
    out[3] = t3 + t4;
    out[4] = t3 - t4;
}

// Floating-point AAN inverse DCT of dequantised, prescaled coefficients into 8 x 8 samples:
// columns first, then rows.
static void kx_jpeg_idct(const float *in, uint8_t *out, int stride, int last)
{
    if (last == 0) {
        uint8_t v = kx_jpeg_clamp(in[0]);
        for (int y = 0; y < 8; y++) std::memset(out + y * stride, v, 8);
        return;
    }
    float ws[64], v[8];
    for (int c = 0; c < 8; c++) {
        kx_jpeg_idct_1d(in + c, 8, v);
        for (int k = 0; k < 8; k++) ws[c + 8 * k] = v[k];
    }
    for (int y = 0; y < 8; y++) {
        kx_jpeg_idct_1d(ws + y * 8, 1, v);
        uint8_t *o = out + y * stride;
        for (int k = 0; k < 8; k++) o[k] = kx_jpeg_clamp(v[k]);
    }
}

// ---------------------------------------------------------------------------------------------
// Upsampling and colour conversion
// ---------------------------------------------------------------------------------------------

// Fills `dst` (picture width samples) with row y of component c, upsampled: triangle filters
// for the 2:1 ratios, sample repetition for the others.
static void kx_jpeg_upsample_row(const KX_JPEG &j, const KX_JPEG_COMPONENT &c, int y, uint8_t *dst, int *sum)
{
    int rh = j.hmax / c.h, rv = j.vmax / c.v;
    bool whole = rh * c.h == j.hmax && rv * c.v == j.vmax;
    int W = j.width;
    if (whole && rh == 1 && rv == 1) {
        std::memcpy(dst, c.plane + size_t(y) * size_t(c.stride), size_t(W));
        return;
    }
    if (whole && (rh <= 2 && rv <= 2)) {
        int yc = rv == 2 ? y >> 1 : y;
        const uint8_t *near = c.plane + size_t(yc) * size_t(c.stride);
        int cw = c.width;
        if (rv == 2) {
            int yf = (y & 1) ? yc + 1 : yc - 1;
            if (yf < 0) yf = 0;
            if (yf >= c.height) yf = c.height - 1;
            const uint8_t *far = c.plane + size_t(yf) * size_t(c.stride);
            if (rh == 1) {
                int bias = (y & 1) ? 2 : 1;
                for (int x = 0; x < W; x++) dst[x] = uint8_t((3 * near[x] + far[x] + bias) >> 2);
                return;
            }
            for (int x = 0; x < cw; x++) sum[x] = 3 * near[x] + far[x];
            if (cw == 1) {
                dst[0] = uint8_t((sum[0] * 4 + 8) >> 4);
                if (W > 1) dst[1] = uint8_t((sum[0] * 4 + 7) >> 4);
                return;
            }
            dst[0] = uint8_t((sum[0] * 4 + 8) >> 4);
            dst[1] = uint8_t((sum[0] * 3 + sum[1] + 7) >> 4);
            for (int x = 1; x < cw - 1; x++) {
                dst[2 * x] = uint8_t((sum[x] * 3 + sum[x - 1] + 8) >> 4);
                dst[2 * x + 1] = uint8_t((sum[x] * 3 + sum[x + 1] + 7) >> 4);
            }
            int x = cw - 1;
            dst[2 * x] = uint8_t((sum[x] * 3 + sum[x - 1] + 8) >> 4);
            if (2 * x + 1 < W) dst[2 * x + 1] = uint8_t((sum[x] * 4 + 7) >> 4);
            return;
        }
        // 2:1 across only.
        if (cw == 1) {
            dst[0] = near[0];
            if (W > 1) dst[1] = near[0];
            return;
        }
        dst[0] = near[0];
        dst[1] = uint8_t((near[0] * 3 + near[1] + 2) >> 2);
        for (int x = 1; x < cw - 1; x++) {
            dst[2 * x] = uint8_t((near[x] * 3 + near[x - 1] + 1) >> 2);
            dst[2 * x + 1] = uint8_t((near[x] * 3 + near[x + 1] + 2) >> 2);
        }
        int x = cw - 1;
        dst[2 * x] = uint8_t((near[x] * 3 + near[x - 1] + 1) >> 2);
        if (2 * x + 1 < W) dst[2 * x + 1] = near[x];
        return;
    }
    int yc = int(int64_t(y) * c.v / j.vmax);
    if (yc >= c.height) yc = c.height - 1;
    const uint8_t *src = c.plane + size_t(yc) * size_t(c.stride);
    for (int x = 0; x < W; x++) {
        int xc = int(int64_t(x) * c.h / j.hmax);
        dst[x] = src[xc < c.width ? xc : c.width - 1];
    }
}

// Converts output rows [converted, y_end) to RGB.
static void kx_jpeg_convert(KX_JPEG &j, int y_end)
{
    if (y_end > j.height) y_end = j.height;
    int W = j.width;
    uint8_t *r0 = j.rows, *r1 = j.rows + W, *r2 = j.rows + 2 * W;
    int *sum = reinterpret_cast<int *>(j.rows + ((3 * size_t(W) + 15) & ~size_t(15)));
    const KX_JPEG_TABLES &t = kx_jpeg_tables;
    for (int y = j.converted; y < y_end; y++) {
        uint8_t *o = j.out + size_t(y) * size_t(W) * 3;
        if (j.ncomp == 1) {
            kx_jpeg_upsample_row(j, j.comp[0], y, r0, sum);
            for (int x = 0; x < W; x++) o[3 * x] = o[3 * x + 1] = o[3 * x + 2] = r0[x];
            continue;
        }
        const uint8_t *yy = r0, *cb = r1, *cr = r2;
        const KX_JPEG_COMPONENT &c0 = j.comp[0];
        if (c0.h == j.hmax && c0.v == j.vmax)
            yy = c0.plane + size_t(y) * size_t(c0.stride);
        else
            kx_jpeg_upsample_row(j, c0, y, r0, sum);
        kx_jpeg_upsample_row(j, j.comp[1], y, r1, sum);
        kx_jpeg_upsample_row(j, j.comp[2], y, r2, sum);
        if (j.adobe_rgb) {
            for (int x = 0; x < W; x++) {
                o[3 * x] = yy[x];
                o[3 * x + 1] = cb[x];
                o[3 * x + 2] = cr[x];
            }
            continue;
        }
        for (int x = 0; x < W; x++) {
            int Y = yy[x], B = cb[x], R = cr[x];
            int r = Y + t.cr_r[R];
            int g = Y + ((t.cb_g[B] + t.cr_g[R]) >> 16);
            int b = Y + t.cb_b[B];
            o[3 * x] = uint8_t(r < 0 ? 0 : r > 255 ? 255 : r);
            o[3 * x + 1] = uint8_t(g < 0 ? 0 : g > 255 ? 255 : g);
            o[3 * x + 2] = uint8_t(b < 0 ? 0 : b > 255 ? 255 : b);
        }
    }
    if (y_end > j.converted) j.converted = y_end;
}

// ---------------------------------------------------------------------------------------------
// Markers
// ---------------------------------------------------------------------------------------------

static bool kx_jpeg_frame(KX_JPEG &j, const uint8_t *p, size_t len)
{
    if (j.frame || len < 6 || p[0] != 8) return false;
    j.height = kx_bit_be16(p + 1);
    j.width = kx_bit_be16(p + 3);
    j.ncomp = p[5];
    if (j.ncomp != 1 && j.ncomp != 3) return false;
    if (len < 6 + size_t(j.ncomp) * 3) return false;
    if (!kx_bit_size_ok(j.width, j.height, 24)) return false;
    j.hmax = j.vmax = 1;
    for (int i = 0; i < j.ncomp; i++) {
        KX_JPEG_COMPONENT &c = j.comp[i];
        c = KX_JPEG_COMPONENT{};
        c.id = p[6 + i * 3];
        c.h = p[7 + i * 3] >> 4;
        c.v = p[7 + i * 3] & 15;
        c.tq = p[8 + i * 3];
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3) return false;
        if (c.h > j.hmax) j.hmax = c.h;
        if (c.v > j.vmax) j.vmax = c.v;
    }
    if (j.ncomp == 1) j.comp[0].h = j.comp[0].v = j.hmax = j.vmax = 1;
    j.mcus_x = (j.width + 8 * j.hmax - 1) / (8 * j.hmax);
    j.mcus_y = (j.height + 8 * j.vmax - 1) / (8 * j.vmax);
    for (int i = 0; i < j.ncomp; i++) {
        KX_JPEG_COMPONENT &c = j.comp[i];
        c.width = (j.width * c.h + j.hmax - 1) / j.hmax;
        c.height = (j.height * c.v + j.vmax - 1) / j.vmax;
        c.blocks_w = (c.width + 7) / 8;
        c.blocks_h = (c.height + 7) / 8;
        c.stride = j.mcus_x * c.h * 8;
        c.rows = j.mcus_y * c.v * 8;
    }
    j.frame = true;
    return true;
}

static bool kx_jpeg_tables_huffman(KX_JPEG &j, const uint8_t *p, size_t len)
{
    while (len > 0) {
        if (len < 17) return false;
        int tc = p[0] >> 4, th = p[0] & 15;
        if (tc > 1 || th > 3) return false;
        int total = 0;
        for (int i = 0; i < 16; i++) total += p[1 + i];
        if (total > 256 || len < 17 + size_t(total)) return false;
        if (!kx_jpeg_huff_build(tc ? j.ac[th] : j.dc[th], p + 1, p + 17, total, tc == 1)) return false;
        p += 17 + total;
        len -= 17 + size_t(total);
    }
    return true;
}

static bool kx_jpeg_tables_quant(KX_JPEG &j, const uint8_t *p, size_t len)
{
    while (len > 0) {
        int pq = p[0] >> 4, tq = p[0] & 15;
        if (pq > 1 || tq > 3) return false;
        size_t need = 1 + (pq ? 128 : 64);
        if (len < need) return false;
        for (int k = 0; k < 64; k++) {
            int q = pq ? kx_bit_be16(p + 1 + 2 * k) : p[1 + k];
            int n = kx_jpeg_natural[k];
            j.quant[tq][n] = float(q) * kx_jpeg_tables.aan[n >> 3] * kx_jpeg_tables.aan[n & 7] / 8.0f;
        }
        j.quant_defined[tq] = true;
        p += need;
        len -= need;
    }
    return true;
}

// Allocates the planes, the picture and the row buffers on the first scan.
static bool kx_jpeg_buffers(KX_JPEG &j)
{
    if (j.out) return true;
    for (int i = 0; i < j.ncomp; i++) {
        KX_JPEG_COMPONENT &c = j.comp[i];
        c.plane = static_cast<uint8_t *>(kx_mem_calloc(size_t(c.stride), size_t(c.rows)));
        if (!c.plane) return false;
    }
    j.rows = static_cast<uint8_t *>(kx_mem_malloc(((size_t(j.width) * 3 + 15) & ~size_t(15)) + size_t(j.width) * sizeof(int)));
    j.out = static_cast<uint8_t *>(kx_mem_malloc(size_t(j.width) * size_t(j.height) * 3));
    return j.rows && j.out;
}

// Finds the end of a scan's data: the first marker that is neither a stuffed byte nor a restart.
static const uint8_t *kx_jpeg_scan_end(const uint8_t *p, const uint8_t *end)
{
    while (p + 1 < end) {
        if (p[0] == 0xFF && p[1] != 0 && !(p[1] >= 0xD0 && p[1] <= 0xD7) && p[1] != 0xFF) return p;
        p++;
    }
    return end;
}

// Decodes one scan starting at the header `p` (after the length). Returns the position after
// the scan's data, or null when the picture must be refused.
static const uint8_t *kx_jpeg_scan(KX_JPEG &j, const uint8_t *p, size_t len, const uint8_t *end)
{
    if (!j.frame || len < 1) return nullptr;
    int ns = p[0];
    if (ns < 1 || ns > j.ncomp || len < 4 + size_t(ns) * 2) return nullptr;
    KX_JPEG_COMPONENT *sc[4];
    for (int i = 0; i < ns; i++) {
        int id = p[1 + i * 2], tables = p[2 + i * 2];
        sc[i] = nullptr;
        for (int k = 0; k < j.ncomp; k++)
            if (j.comp[k].id == id) sc[i] = &j.comp[k];
        if (!sc[i]) return nullptr;
        sc[i]->dc_table = tables >> 4;
        sc[i]->ac_table = tables & 15;
        if (sc[i]->dc_table > 3 || sc[i]->ac_table > 3) return nullptr;
        if (!j.dc[sc[i]->dc_table].defined || !j.ac[sc[i]->ac_table].defined || !j.quant_defined[sc[i]->tq])
            return nullptr;
        sc[i]->dc_pred = 0;
    }
    const uint8_t *data = p + len;
    // Every block takes at least two bits: a scan that needs more blocks than its bytes can
    // hold is a cut file, refused before anything is allocated for it.
    size_t blocks = 0;
    if (ns == 1) {
        blocks = size_t(sc[0]->blocks_w) * size_t(sc[0]->blocks_h);
    } else {
        size_t per_mcu = 0;
        for (int i = 0; i < ns; i++) per_mcu += size_t(sc[i]->h * sc[i]->v);
        blocks = size_t(j.mcus_x) * size_t(j.mcus_y) * per_mcu;
    }
    if (blocks > size_t(end - data) * 4 + 64) return nullptr;
    if (!kx_jpeg_buffers(j)) return nullptr;

    KX_JPEG_READER r = {data, end, 0, 0, 0, nullptr, 0, false};
    alignas(16) float coef[64] = {};
    bool all = ns == j.ncomp && ns > 1;
    int units_x = ns == 1 ? sc[0]->blocks_w : j.mcus_x;
    int units_y = ns == 1 ? sc[0]->blocks_h : j.mcus_y;
    int todo = j.restart;
    for (int my = 0; my < units_y; my++) {
        for (int mx = 0; mx < units_x; mx++) {
            if (j.restart && todo == 0) {
                // Restart: byte-align, pass the RSTn marker, reset the predictions.
                r.bits = 0;
                r.count = 0;
                if (r.marker >= 0xD0 && r.marker <= 0xD7) {
                    r.marker = 0;
                    r.p++;
                } else if (!r.marker) {
                    while (r.p + 1 < end && !(r.p[0] == 0xFF && r.p[1] >= 0xD0 && r.p[1] <= 0xD7)) r.p++;
                    if (r.p + 1 < end) r.p += 2;
                }
                for (int i = 0; i < ns; i++) sc[i]->dc_pred = 0;
                todo = j.restart;
            }
            for (int i = 0; i < ns; i++) {
                KX_JPEG_COMPONENT &c = *sc[i];
                int bh = ns == 1 ? 1 : c.h, bv = ns == 1 ? 1 : c.v;
                for (int v = 0; v < bv; v++) {
                    for (int h = 0; h < bh; h++) {
                        int last = kx_jpeg_block(r, j.dc[c.dc_table], j.ac[c.ac_table], j.quant[c.tq], c.dc_pred, coef);
                        if (last < 0) return nullptr;
                        int bx = ns == 1 ? mx : mx * c.h + h, by = ns == 1 ? my : my * c.v + v;
                        kx_jpeg_idct(coef, c.plane + size_t(by) * 8 * size_t(c.stride) + size_t(bx) * 8, c.stride, last);
                        // Leave the block zeroed for the next one (most hold only a DC term).
                        if (last == 0)
                            coef[0] = 0;
                        else
                            std::memset(coef, 0, sizeof coef);
                    }
                }
            }
            todo--;
        }
        // The data ran out before the picture did: a cut file.
        if (r.pad * 8 > size_t(r.count) + 64) return nullptr;
        if (all) kx_jpeg_convert(j, my * 8 * j.vmax);
    }
    if (r.bad || (r.pad > 0 && int64_t(r.pad) * 8 > r.count)) return nullptr;
    for (int i = 0; i < ns; i++) sc[i]->done = true;
    const uint8_t *from = r.marker ? r.marker_at : r.p;
    return kx_jpeg_scan_end(from, end);
}

static void kx_jpeg_release(KX_JPEG &j)
{
    for (int i = 0; i < 4; i++)
        if (j.comp[i].plane) kx_mem_free(j.comp[i].plane);
    if (j.rows) kx_mem_free(j.rows);
}

static int kx_jpeg_decode(KX_JPEG &j, KX_BITMAP *bitmap)
{
    const uint8_t *p = j.data, *end = j.data + j.size;
    if (j.size < 4 || p[0] != 0xFF || p[1] != 0xD8) return 0;
    p += 2;
    for (;;) {
        while (p < end && *p != 0xFF) p++;   // tolerate junk between segments
        while (p < end && *p == 0xFF) p++;
        if (p >= end) break;
        int marker = *p++;
        if (marker == 0xD9) break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (end - p < 2) return 0;
        size_t len = kx_bit_be16(p);
        if (len < 2 || len > size_t(end - p)) return 0;
        const uint8_t *body = p + 2;
        size_t blen = len - 2;
        p += len;
        switch (marker) {
        case 0xC0:
        case 0xC1:
            if (!kx_jpeg_frame(j, body, blen)) return 0;
            break;
        case 0xC4:
            if (!kx_jpeg_tables_huffman(j, body, blen)) return 0;
            break;
        case 0xDB:
            if (!kx_jpeg_tables_quant(j, body, blen)) return 0;
            break;
        case 0xDD:
            if (blen < 2) return 0;
            j.restart = kx_bit_be16(body);
            break;
        case 0xDA:
            p = kx_jpeg_scan(j, body, blen, end);
            if (!p) return 0;
            break;
        case 0xEE:
            if (blen >= 12 && std::memcmp(body, "Adobe", 5) == 0) j.adobe_rgb = body[11] == 0;
            break;
        default:
            // Other frames (progressive, lossless, arithmetic) give no picture.
            if (marker >= 0xC2 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) return 0;
            break;
        }
    }
    if (!j.frame || !j.out) return 0;
    for (int i = 0; i < j.ncomp; i++)
        if (!j.comp[i].done) return 0;
    kx_jpeg_convert(j, j.height);
    *bitmap = KX_BITMAP{};
    bitmap->width = int16_t(j.width);
    bitmap->height = int16_t(j.height);
    bitmap->depth = 24;
    bitmap->pixels = j.out;
    j.out = nullptr;
    return 1;
}

int kx_bit_decode_jpeg(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options)
{
    (void)options;
    if (!bitmap) return 0;
    *bitmap = KX_BITMAP{};
    if (!data) return 0;
    auto *j = static_cast<KX_JPEG *>(kx_mem_calloc(1, sizeof(KX_JPEG)));
    if (!j) return 0;
    j->data = data;
    j->size = size;
    int ok = kx_jpeg_decode(*j, bitmap);
    if (j->out) kx_mem_free(j->out);
    kx_jpeg_release(*j);
    kx_mem_free(j);
    return ok;
}
