// kx_bit JPEG reader: baseline sequential Huffman pictures, gray or YCbCr, any sampling factors,
// interleaved or one-component scans, restart intervals. The entropy decoder refills 64 bits at
// a time and decodes short codes together with their value bits in one table lookup; blocks
// without AC terms skip the inverse DCT. When one scan carries every component, the picture is
// decoded one MCU row at a time into a ring of three MCU rows and upsampled and colour-converted
// one MCU row behind, so only a few rows are ever held besides the output; pictures coded
// component by component keep whole planes and are converted at the end. The pixel kernels
// (inverse DCT, upsampling, colour conversion) have SSE2 and AVX2 builds.
#include "kx/kx_bit/kx_bit_jpeg_local.h"
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

constexpr int KX_JPEG_FAST_BITS = 10;
constexpr size_t KX_JPEG_SLACK = 64;   // bytes past every plane and row buffer for the vector kernels

// A Huffman table. Entries of `fast`, by the next 10 bits of the stream:
//   bits 0-7   bits to consume; 0 when the code is longer than 10 bits
//   bits 8-15  the symbol (AC: run << 4 | size; DC: size)
//   bits 16-31 the coefficient, when the code and its value bits both fit (never 0 then);
//              0 when the value bits are still to read, or there are none
struct KX_JPEG_HUFF {
    bool defined;
    int32_t fast[1 << KX_JPEG_FAST_BITS];
    uint32_t maxcode[18];   // first code above each length, left-aligned to 16
    int delta[17];          // symbol index minus code for each length
    uint8_t symbols[256];
};

struct KX_JPEG_COMPONENT {
    int id, h, v, tq;
    int dc_table, ac_table;
    int dc_pred;
    int width, height;        // samples that belong to the picture
    int stride;               // bytes of a plane row (whole MCUs)
    int band;                 // plane rows of one MCU row
    int slots;                // MCU rows the plane holds (a ring of 3, or all of them)
    int blocks_w, blocks_h;   // blocks of a one-component scan
    uint8_t *plane;
    bool done;                // every block decoded
};

struct KX_JPEG_READER {
    const uint8_t *p, *end;
    uint64_t bits;            // the next bits of the stream, from the top
    int count;                // how many of them are counted
    int marker;               // marker met in the data (0 none)
    const uint8_t *marker_at; // its 0xFF byte
    size_t pad;               // zero bytes fed after the end of the file
    bool bad;                 // an invalid Huffman code was met
};

struct KX_JPEG {
    const uint8_t *data;
    size_t size;
    float quant[4][64];       // transposed order, AAN scale and 1/8 folded in
    bool quant_defined[4];
    KX_JPEG_HUFF dc[4], ac[4];
    int width, height, ncomp;
    int hmax, vmax, mcus_x, mcus_y;
    KX_JPEG_COMPONENT comp[4];
    int restart;
    bool frame, adobe_rgb;
    bool in_step;             // one scan carries every component: rows are converted as it goes
    int converted;            // output rows already converted
    const KX_JPEG_KERNELS *kernels;
    uint8_t *out;             // the whole picture, or null when rows go out in bands
    uint8_t *band;            // one band of rows for `rows`
    int band_rows;
    KX_BIT_ROWS rows;
    void *user;
    uint8_t *line[3];         // upsampled component rows
    int16_t *work;
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

// Zigzag position -> natural position.
static constexpr uint8_t kx_jpeg_natural[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Zigzag position -> transposed position (column * 8 + row), where the kernels want each
// coefficient; spare entries keep a run past 63 in bounds.
static constexpr std::array<uint8_t, 80> kx_jpeg_zigzag = [] {
    std::array<uint8_t, 80> t{};
    for (int k = 0; k < 80; k++) t[size_t(k)] = k < 64 ? uint8_t((kx_jpeg_natural[k] & 7) * 8 + (kx_jpeg_natural[k] >> 3)) : 63;
    return t;
}();

struct KX_JPEG_AAN {
    float scale[8];
    KX_JPEG_AAN()
    {
        scale[0] = 1.0f;
        for (int k = 1; k < 8; k++) scale[k] = float(std::cos(k * 3.14159265358979323846 / 16.0) * std::sqrt(2.0));
    }
};
static const KX_JPEG_AAN kx_jpeg_aan;

// ---------------------------------------------------------------------------------------------
// Entropy decoding
// ---------------------------------------------------------------------------------------------

static inline uint64_t kx_jpeg_load_be64(const uint8_t *p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

// Byte by byte, for the stretches near a 0xFF byte or the end of the data.
static void kx_jpeg_refill_bytes(KX_JPEG_READER &r)
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

// Tops the reader up to at least 57 bits. Eight bytes without a 0xFF among them go in with one
// load; the bits of the bytes not counted yet are already the right ones, and the next load
// writes them again unchanged.
static inline void kx_jpeg_refill(KX_JPEG_READER &r)
{
    if (!r.marker && r.end - r.p >= 8) {
        uint64_t w = kx_jpeg_load_be64(r.p);
        if (!((~w - 0x0101010101010101ull) & w & 0x8080808080808080ull)) {
            r.bits |= w >> r.count;
            int n = (63 - r.count) >> 3;
            r.p += n;
            r.count += n * 8;
            return;
        }
    }
    kx_jpeg_refill_bytes(r);
}

static inline int kx_jpeg_extend(int v, int s) { return v - (((v >> (s - 1)) - 1) & ((1 << s) - 1)); }

static inline int kx_jpeg_bits(KX_JPEG_READER &r, int s)
{
    int v = int(r.bits >> (64 - s));
    r.bits <<= s;
    r.count -= s;
    return v;
}

static inline void kx_jpeg_skip(KX_JPEG_READER &r, int n)
{
    r.bits <<= n;
    r.count -= n;
}

// A code longer than the lookup (the reader holds at least 16 bits). -1 on an invalid code.
static int kx_jpeg_symbol_long(KX_JPEG_READER &r, const KX_JPEG_HUFF &h)
{
    uint32_t peek = uint32_t(r.bits >> 48);
    for (int len = KX_JPEG_FAST_BITS + 1; len <= 16; len++) {
        if (peek < h.maxcode[len]) {
            int index = int(peek >> (16 - len)) + h.delta[len];
            kx_jpeg_skip(r, len);
            if (index < 0 || index > 255) break;
            return h.symbols[index];
        }
    }
    r.bad = true;
    return -1;
}

// The symbol of a lookup entry that holds no coefficient, with its code consumed (a code too
// long for the lookup is decoded the long way). -1 on an invalid code.
static inline int kx_jpeg_symbol(KX_JPEG_READER &r, const KX_JPEG_HUFF &h, int32_t e)
{
    if (!(e & 255)) return kx_jpeg_symbol_long(r, h);
    kx_jpeg_skip(r, e & 255);
    return (e >> 8) & 255;
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
            if (len > KX_JPEG_FAST_BITS) continue;
            int symbol = symbols[k], size = ac ? symbol & 15 : symbol;
            int shift = KX_JPEG_FAST_BITS - len;
            for (uint32_t j = 0; j < (1u << shift); j++) {
                uint32_t index = code << shift | j;
                int32_t e = int32_t(uint32_t(symbol) << 8 | uint32_t(len));
                if (size > 0 && len + size <= KX_JPEG_FAST_BITS) {
                    int v = kx_jpeg_extend(int(index >> (shift - size)) & ((1 << size) - 1), size);
                    e = int32_t(uint32_t(v) << 16 | uint32_t(symbol) << 8 | uint32_t(len + size));
                }
                h.fast[index] = e;
            }
        }
        h.maxcode[len] = code << (16 - len);
        code <<= 1;
    }
    h.maxcode[17] = 0xFFFFFFFFu;
    h.defined = true;
    return true;
}

// Decodes one block's quantised coefficients into `coef` (transposed order; zeroed by the
// caller). Returns the zigzag index of the last coefficient (0: DC only), -1 on a bad code.
static inline int kx_jpeg_block(KX_JPEG_READER &r, const KX_JPEG_HUFF &dc, const KX_JPEG_HUFF &ac, int &pred,
                                int16_t *coef)
{
    if (r.count < 32) kx_jpeg_refill(r);
    int32_t e = dc.fast[r.bits >> (64 - KX_JPEG_FAST_BITS)];
    int diff = e >> 16;
    if (!diff) {
        int s = kx_jpeg_symbol(r, dc, e);
        if (s < 0) return -1;
        if (s > 16) s = 16;
        if (s) {
            if (r.count < 16) kx_jpeg_refill(r);
            diff = kx_jpeg_extend(kx_jpeg_bits(r, s), s);
        }
    } else {
        kx_jpeg_skip(r, e & 255);
    }
    // Valid pictures keep the DC term within +-2048; damaged ones wrap instead of overflowing.
    pred = int16_t(uint16_t(pred + diff));
    coef[0] = int16_t(pred);
    int last = 0;
    for (int k = 1; k < 64;) {
        if (r.count < 32) kx_jpeg_refill(r);
        e = ac.fast[r.bits >> (64 - KX_JPEG_FAST_BITS)];
        if (e >> 16) {
            k += (e >> 12) & 15;
            kx_jpeg_skip(r, e & 255);
            coef[kx_jpeg_zigzag[size_t(k)]] = int16_t(e >> 16);
            last = k++;
            continue;
        }
        int rs = kx_jpeg_symbol(r, ac, e);
        if (rs < 0) return -1;
        int run = rs >> 4, s = rs & 15;
        if (s == 0) {
            if (run != 15) break;
            k += 16;
            continue;
        }
        k += run;
        if (k > 63) break;
        coef[kx_jpeg_zigzag[size_t(k)]] = int16_t(kx_jpeg_extend(kx_jpeg_bits(r, s), s));
        last = k++;
    }
    return last;
}

// ---------------------------------------------------------------------------------------------
// Planes, upsampling and colour conversion
// ---------------------------------------------------------------------------------------------

// Plane row r of a component, wherever the ring keeps it.
static inline uint8_t *kx_jpeg_plane_row(const KX_JPEG_COMPONENT &c, int r)
{
    int m = r / c.band;
    return c.plane + (size_t(m % c.slots) * size_t(c.band) + size_t(r - m * c.band)) * size_t(c.stride);
}

// Row y of component c at the picture's resolution: the plane row itself at full resolution,
// else upsampled into `buf` (triangle filters for the 2:1 ratios, repetition for the others).
static const uint8_t *kx_jpeg_component_row(const KX_JPEG &j, const KX_JPEG_COMPONENT &c, int y, uint8_t *buf)
{
    int rh = j.hmax / c.h, rv = j.vmax / c.v;
    bool whole = rh * c.h == j.hmax && rv * c.v == j.vmax;
    if (whole && rh == 1 && rv == 1) return kx_jpeg_plane_row(c, y);
    if (whole && rh <= 2 && rv == 2) {
        int yc = y >> 1, yf = (y & 1) ? yc + 1 : yc - 1;
        if (yf < 0) yf = 0;
        if (yf >= c.height) yf = c.height - 1;
        const uint8_t *near = kx_jpeg_plane_row(c, yc), *far = kx_jpeg_plane_row(c, yf);
        if (rh == 2) {
            j.kernels->up_h2v2(near, far, c.width, buf, j.work);
        } else {
            int bias = (y & 1) ? 2 : 1;
            for (int x = 0; x < j.width; x++) buf[x] = uint8_t((3 * near[x] + far[x] + bias) >> 2);
        }
        return buf;
    }
    if (whole && rh == 2 && rv == 1) {
        j.kernels->up_h2v1(kx_jpeg_plane_row(c, y), c.width, buf);
        return buf;
    }
    int yc = int(int64_t(y) * c.v / j.vmax);
    if (yc >= c.height) yc = c.height - 1;
    const uint8_t *src = kx_jpeg_plane_row(c, yc);
    for (int x = 0; x < j.width; x++) {
        int xc = int(int64_t(x) * c.h / j.hmax);
        buf[x] = src[xc < c.width ? xc : c.width - 1];
    }
    return buf;
}

static void kx_jpeg_convert_row(const KX_JPEG &j, int y, uint8_t *o)
{
    int W = j.width;
    if (j.ncomp == 1) {
        const uint8_t *g = kx_jpeg_component_row(j, j.comp[0], y, j.line[0]);
        for (int x = 0; x < W; x++) o[3 * x] = o[3 * x + 1] = o[3 * x + 2] = g[x];
        return;
    }
    const uint8_t *a = kx_jpeg_component_row(j, j.comp[0], y, j.line[0]);
    const uint8_t *b = kx_jpeg_component_row(j, j.comp[1], y, j.line[1]);
    const uint8_t *c = kx_jpeg_component_row(j, j.comp[2], y, j.line[2]);
    if (!j.adobe_rgb) {
        j.kernels->ycc_rgb(a, b, c, o, W);
        return;
    }
    for (int x = 0; x < W; x++) {
        o[3 * x] = a[x];
        o[3 * x + 1] = b[x];
        o[3 * x + 2] = c[x];
    }
}

// Converts output rows [converted, y_end) into the picture, or band by band for `rows`.
// False when `rows` asked to stop.
static bool kx_jpeg_emit(KX_JPEG &j, int y_end)
{
    if (y_end > j.height) y_end = j.height;
    size_t row_bytes = size_t(j.width) * 3;
    while (j.converted < y_end) {
        int y0 = j.converted;
        int n = j.out ? y_end - y0 : std::min(y_end - y0, j.band_rows);
        uint8_t *dst = j.out ? j.out + size_t(y0) * row_bytes : j.band;
        for (int i = 0; i < n; i++) kx_jpeg_convert_row(j, y0 + i, dst + size_t(i) * row_bytes);
        j.converted = y0 + n;
        if (!j.out && !j.rows(j.user, j.width, j.height, y0, n, j.band)) return false;
    }
    return true;
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
        c.band = c.v * 8;
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
            j.quant[tq][kx_jpeg_zigzag[size_t(k)]] = float(q) * kx_jpeg_aan.scale[n >> 3] * kx_jpeg_aan.scale[n & 7] / 8.0f;
        }
        j.quant_defined[tq] = true;
        p += need;
        len -= need;
    }
    return true;
}

// Allocates the planes, the row buffers and the output on the first scan. A first scan that
// carries every component decodes the picture in step with the conversion, into rings of
// three MCU rows; otherwise the planes hold everything.
static bool kx_jpeg_buffers(KX_JPEG &j, bool in_step)
{
    j.in_step = in_step;
    int widest = 0;
    for (int i = 0; i < j.ncomp; i++) {
        KX_JPEG_COMPONENT &c = j.comp[i];
        c.slots = in_step ? std::min(3, j.mcus_y) : j.mcus_y;
        c.plane = static_cast<uint8_t *>(kx_mem_calloc(size_t(c.slots) * size_t(c.band) * size_t(c.stride) + KX_JPEG_SLACK, 1));
        if (!c.plane) return false;
        widest = std::max(widest, c.stride);
    }
    size_t line = (size_t(j.width) + KX_JPEG_SLACK + 31) & ~size_t(31);
    uint8_t *lines = static_cast<uint8_t *>(kx_mem_calloc(3 * line + (size_t(widest) + 48) * sizeof(int16_t), 1));
    if (!lines) return false;
    for (int i = 0; i < 3; i++) j.line[i] = lines + size_t(i) * line;
    j.work = reinterpret_cast<int16_t *>(lines + 3 * line);
    size_t row_bytes = size_t(j.width) * 3;
    if (j.rows) {
        j.band_rows = 8 * j.vmax;
        j.band = static_cast<uint8_t *>(kx_mem_malloc(size_t(j.band_rows) * row_bytes));
        return j.band != nullptr;
    }
    j.out = static_cast<uint8_t *>(kx_mem_malloc(size_t(j.height) * row_bytes));
    return j.out != nullptr;
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
    const uint8_t *data = p + len;
    // A picture decoded in step is complete after its first scan; later scans add nothing.
    if (j.in_step) return kx_jpeg_scan_end(data, end);
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
    if (!j.line[0] && !kx_jpeg_buffers(j, ns == j.ncomp)) return nullptr;

    KX_JPEG_READER r = {data, end, 0, 0, 0, nullptr, 0, false};
    alignas(32) int16_t coef[64] = {};
    const KX_JPEG_KERNELS *kernels = j.kernels;
    int units_x = ns == 1 ? sc[0]->blocks_w : j.mcus_x;
    int units_y = ns == 1 ? sc[0]->blocks_h : j.mcus_y;
    int todo = j.restart;
    for (int my = 0; my < units_y; my++) {
        // Where this row of MCUs goes: the first plane row of each of its block rows.
        uint8_t *rows[4][4];
        for (int i = 0; i < ns; i++)
            for (int v = 0; v < (ns == 1 ? 1 : sc[i]->v); v++) rows[i][v] = kx_jpeg_plane_row(*sc[i], (ns == 1 ? my : my * sc[i]->v + v) * 8);
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
                const KX_JPEG_HUFF &dc = j.dc[c.dc_table], &ac = j.ac[c.ac_table];
                const float *q = j.quant[c.tq];
                int bh = ns == 1 ? 1 : c.h, bv = ns == 1 ? 1 : c.v;
                for (int v = 0; v < bv; v++) {
                    uint8_t *row = rows[i][v];
                    for (int h = 0; h < bh; h++) {
                        int last = kx_jpeg_block(r, dc, ac, c.dc_pred, coef);
                        if (last < 0) return nullptr;
                        int bx = ns == 1 ? mx : mx * c.h + h;
                        uint8_t *out = row + size_t(bx) * 8;
                        if (last == 0) {
                            // No AC terms: the block is flat.
                            uint8_t flat = uint8_t(int(std::min(std::max(float(coef[0]) * q[0] + 128.5f, 0.0f), 255.0f)));
                            for (int y = 0; y < 8; y++) std::memset(out + y * c.stride, flat, 8);
                            coef[0] = 0;
                        } else {
                            // Zigzag positions up to 9 all lie in the top-left 4 x 4.
                            (last <= 9 ? kernels->idct4 : kernels->idct)(coef, q, out, c.stride);
                            std::memset(coef, 0, sizeof coef);
                        }
                    }
                }
            }
            todo--;
        }
        // The data ran out before the picture did: a cut file.
        if (r.pad * 8 > size_t(r.count) + 64) return nullptr;
        if (j.in_step && !kx_jpeg_emit(j, my * 8 * j.vmax)) return nullptr;
    }
    if (r.bad || (r.pad > 0 && int64_t(r.pad) * 8 > r.count)) return nullptr;
    for (int i = 0; i < ns; i++) sc[i]->done = true;
    if (j.in_step && !kx_jpeg_emit(j, j.height)) return nullptr;
    const uint8_t *from = r.marker ? r.marker_at : r.p;
    return kx_jpeg_scan_end(from, end);
}

static void kx_jpeg_release(KX_JPEG &j)
{
    for (int i = 0; i < 4; i++)
        if (j.comp[i].plane) kx_mem_free(j.comp[i].plane);
    if (j.line[0]) kx_mem_free(j.line[0]);
    if (j.band) kx_mem_free(j.band);
    if (j.out) kx_mem_free(j.out);
}

// Reads the markers and decodes every scan; 1 when the whole picture was converted.
static int kx_jpeg_decode(KX_JPEG &j)
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
    if (!j.frame || !j.line[0]) return 0;
    for (int i = 0; i < j.ncomp; i++)
        if (!j.comp[i].done) return 0;
    return kx_jpeg_emit(j, j.height) ? 1 : 0;
}

// Runs the decoder over a file in memory, into a whole picture (rows null) or band by band.
static int kx_jpeg_run(const uint8_t *data, size_t size, KX_BITMAP *bitmap, KX_BIT_ROWS rows, void *user)
{
    auto *j = static_cast<KX_JPEG *>(kx_mem_calloc(1, sizeof(KX_JPEG)));
    if (!j) return 0;
    j->data = data;
    j->size = size;
    j->rows = rows;
    j->user = user;
    j->kernels = kx_jpeg_kernels();
    int ok = kx_jpeg_decode(*j);
    if (ok && bitmap) {
        bitmap->width = int16_t(j->width);
        bitmap->height = int16_t(j->height);
        bitmap->depth = 24;
        bitmap->pixels = j->out;
        j->out = nullptr;
    }
    kx_jpeg_release(*j);
    kx_mem_free(j);
    return ok;
}

int kx_bit_decode_jpeg(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options)
{
    (void)options;
    if (!bitmap) return 0;
    *bitmap = KX_BITMAP{};
    if (!data) return 0;
    return kx_jpeg_run(data, size, bitmap, nullptr, nullptr);
}

int kx_bit_decode_jpeg_rows(const uint8_t *data, size_t size, KX_BIT_ROWS rows, void *user)
{
    if (!data || !rows) return 0;
    return kx_jpeg_run(data, size, nullptr, rows, user);
}
