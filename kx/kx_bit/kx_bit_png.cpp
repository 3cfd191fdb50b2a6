// kx_bit PNG reader: chunks, zlib inflate of the joined image data into one buffer, row filters
// reversed in place, Adam7 passes gathered into the picture.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <zlib.h>

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct KX_PNG_HEADER {
    uint32_t width, height;
    int bit_depth, color_type, compression, filter, interlace;
};

// One image data chunk inside the file.
struct KX_PNG_DATA {
    const uint8_t *data;
    uint32_t size;
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

static const uint8_t kx_png_signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Adam7 passes: first column, first row, column step, row step.
static const int kx_png_adam7[7][4] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static inline uint8_t kx_png_paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = p > a ? p - a : a - p;
    int pb = p > b ? p - b : b - p;
    int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

// Reverses one row's filter. `in` and `out` may be the same row or `out` may lie before `in`
// (the in-place compaction reads each byte before the byte written over it); `prev` is the
// previous unfiltered row (all zero for the first). False on an unknown filter type.
static bool kx_png_unfilter(int type, const uint8_t *in, uint8_t *out, const uint8_t *prev, size_t n,
                            size_t bpp)
{
    switch (type) {
    case 0:
        std::memmove(out, in, n);
        return true;
    case 1:
        for (size_t i = 0; i < bpp && i < n; i++) out[i] = in[i];
        for (size_t i = bpp; i < n; i++) out[i] = uint8_t(in[i] + out[i - bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < n; i++) out[i] = uint8_t(in[i] + prev[i]);
        return true;
    case 3:
        for (size_t i = 0; i < bpp && i < n; i++) out[i] = uint8_t(in[i] + (prev[i] >> 1));
        for (size_t i = bpp; i < n; i++) out[i] = uint8_t(in[i] + ((out[i - bpp] + prev[i]) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < bpp && i < n; i++) out[i] = uint8_t(in[i] + prev[i]);
        if (bpp == 3 || bpp == 4) {
            // The common pixel sizes, with the left and upper-left pixels kept in registers.
            for (size_t i = bpp; i < n; i++) {
                int a = out[i - bpp], b = prev[i], c = prev[i - bpp];
                int pa = b - c, pb = a - c;
                int pc = pa + pb;
                pa = pa < 0 ? -pa : pa;
                pb = pb < 0 ? -pb : pb;
                pc = pc < 0 ? -pc : pc;
                int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                out[i] = uint8_t(in[i] + pred);
            }
        } else {
            for (size_t i = bpp; i < n; i++)
                out[i] = uint8_t(in[i] + kx_png_paeth(out[i - bpp], prev[i], prev[i - bpp]));
        }
        return true;
    default: return false;
    }
}

// Bytes of one filtered row (without the filter byte) of `width` pixels.
static size_t kx_png_row_bytes(uint32_t width, int bits_per_pixel)
{
    return (size_t(width) * size_t(bits_per_pixel) + 7) / 8;
}

static bool kx_png_header_ok(const KX_PNG_HEADER &h)
{
    if (h.width < 1 || h.height < 1 || h.width > uint32_t(KX_BIT_MAX_SIDE) || h.height > uint32_t(KX_BIT_MAX_SIDE))
        return false;
    if (h.compression != 0 || h.filter != 0 || (h.interlace != 0 && h.interlace != 1)) return false;
    int d = h.bit_depth;
    switch (h.color_type) {
    case 0: return d == 1 || d == 2 || d == 4 || d == 8 || d == 16;
    case 3: return d == 1 || d == 2 || d == 4 || d == 8;
    case 2:
    case 4:
    case 6: return d == 8 || d == 16;
    default: return false;
    }
}

// Inflates the joined image data into exactly `size` bytes of `out`. False when the stream is
// broken or holds less than that.
static bool kx_png_inflate(const KX_PNG_DATA *chunks, int count, uint8_t *out, size_t size)
{
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (inflateInit(&z) != Z_OK) return false;
    size_t done = 0;
    bool ended = false;
    for (int i = 0; i < count && !ended && done < size; i++) {
        z.next_in = const_cast<Bytef *>(chunks[i].data);
        z.avail_in = chunks[i].size;
        while (z.avail_in > 0 && done < size) {
            size_t room = size - done;
            z.next_out = out + done;
            z.avail_out = room > 0x40000000u ? 0x40000000u : uInt(room);
            uInt before = z.avail_out;
            int r = inflate(&z, Z_NO_FLUSH);
            done += before - z.avail_out;
            if (r == Z_STREAM_END) {
                ended = true;
                break;
            }
            if (r != Z_OK && r != Z_BUF_ERROR) {
                inflateEnd(&z);
                return false;
            }
            if (r == Z_BUF_ERROR) break;
        }
    }
    inflateEnd(&z);
    return done == size;
}

// Copies pixel `from` of a packed row into pixel `to` of another (any pixel size).
static inline void kx_png_pixel_move(const uint8_t *src, size_t from, uint8_t *dst, size_t to, int bits)
{
    if (bits >= 8) {
        size_t n = size_t(bits) / 8;
        std::memcpy(dst + to * n, src + from * n, n);
        return;
    }
    int per_byte = 8 / bits;
    unsigned mask = (1u << bits) - 1;
    int sshift = 8 - bits * int(from % size_t(per_byte) + 1);
    int dshift = 8 - bits * int(to % size_t(per_byte) + 1);
    unsigned v = (src[from / size_t(per_byte)] >> sshift) & mask;
    uint8_t &d = dst[to / size_t(per_byte)];
    d = uint8_t((d & ~(mask << dshift)) | (v << dshift));
}

static int kx_png_decode(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options,
                         KX_PNG_DATA *chunks, int chunk_max)
{
    if (size < 8 || std::memcmp(data, kx_png_signature, 8) != 0) return 0;

    KX_PNG_HEADER h = {};
    bool have_header = false;
    const uint8_t *plte = nullptr;
    uint32_t plte_size = 0;
    int chunk_count = 0;
    size_t idat_total = 0;
    size_t pos = 8;
    while (pos < size) {
        if (size - pos < 12) return 0;
        uint32_t length = kx_bit_be32(data + pos);
        const uint8_t *type = data + pos + 4;
        if (length > size - pos - 12) return 0;
        const uint8_t *body = data + pos + 8;
        pos += 12 + size_t(length);
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length < 13) return 0;
            h.width = kx_bit_be32(body);
            h.height = kx_bit_be32(body + 4);
            h.bit_depth = body[8];
            h.color_type = body[9];
            h.compression = body[10];
            h.filter = body[11];
            h.interlace = body[12];
            have_header = true;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            plte = body;
            plte_size = length;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (length == 0) continue;
            if (chunk_count == chunk_max) return -1;   // ask for a longer chunk list
            chunks[chunk_count++] = {body, length};
            idat_total += length;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
    }
    if (!have_header || chunk_count == 0 || !kx_png_header_ok(h)) return 0;
    bool keep_palette = (options & KX_BIT_LOAD_PALETTE) != 0;
    if (h.color_type == 3 && keep_palette && plte_size / 3 == 0) return 0;

    static const int samples_of[7] = {1, 0, 3, 1, 2, 0, 4};
    int samples = samples_of[h.color_type];
    int bits = samples * h.bit_depth;
    if (!kx_bit_size_ok(long(h.width), long(h.height), bits)) return 0;
    size_t bpp = size_t(bits + 7) / 8;
    size_t row = kx_png_row_bytes(h.width, bits);

    // The size of the filtered data: one filter byte per row of every pass.
    size_t filtered = 0;
    if (h.interlace == 0) {
        filtered = (row + 1) * h.height;
    } else {
        for (const auto &p : kx_png_adam7) {
            uint32_t pw = h.width > uint32_t(p[0]) ? (h.width - uint32_t(p[0]) + uint32_t(p[2]) - 1) / uint32_t(p[2]) : 0;
            uint32_t ph = h.height > uint32_t(p[1]) ? (h.height - uint32_t(p[1]) + uint32_t(p[3]) - 1) / uint32_t(p[3]) : 0;
            if (pw && ph) filtered += (kx_png_row_bytes(pw, bits) + 1) * ph;
        }
    }
    // Deflate expands at most about 1032 to 1: a file too short for its picture is refused
    // before anything is allocated for it.
    if (filtered / 1032 > idat_total + 64) return 0;

    // One buffer holds the filtered data, then (compacted in place) the picture; the picture is
    // never larger than the filtered data.
    auto *buf = static_cast<uint8_t *>(kx_mem_malloc(filtered + row));
    if (!buf) return 0;
    uint8_t *zero = buf + filtered;   // a row of zeros stands above the first row
    std::memset(zero, 0, row);
    if (!kx_png_inflate(chunks, chunk_count, buf, filtered)) {
        kx_mem_free(buf);
        return 0;
    }

    uint8_t *pixels = buf;
    if (h.interlace == 0) {
        const uint8_t *prev = zero;
        for (uint32_t y = 0; y < h.height; y++) {
            const uint8_t *in = buf + size_t(y) * (row + 1);
            uint8_t *out = buf + size_t(y) * row;
            if (!kx_png_unfilter(in[0], in + 1, out, prev, row, bpp)) {
                kx_mem_free(buf);
                return 0;
            }
            prev = out;
        }
    } else {
        pixels = static_cast<uint8_t *>(kx_mem_calloc(1, row * h.height + 1));
        if (!pixels) {
            kx_mem_free(buf);
            return 0;
        }
        uint8_t *pass = buf;
        for (const auto &p : kx_png_adam7) {
            uint32_t pw = h.width > uint32_t(p[0]) ? (h.width - uint32_t(p[0]) + uint32_t(p[2]) - 1) / uint32_t(p[2]) : 0;
            uint32_t ph = h.height > uint32_t(p[1]) ? (h.height - uint32_t(p[1]) + uint32_t(p[3]) - 1) / uint32_t(p[3]) : 0;
            if (!pw || !ph) continue;
            size_t prow = kx_png_row_bytes(pw, bits);
            const uint8_t *prev = zero;
            for (uint32_t y = 0; y < ph; y++) {
                uint8_t *r = pass + size_t(y) * (prow + 1);
                if (!kx_png_unfilter(r[0], r + 1, r + 1, prev, prow, bpp)) {
                    kx_mem_free(pixels);
                    kx_mem_free(buf);
                    return 0;
                }
                prev = r + 1;
                uint8_t *dst = pixels + (size_t(p[1]) + size_t(y) * size_t(p[3])) * row;
                for (uint32_t x = 0; x < pw; x++)
                    kx_png_pixel_move(r + 1, x, dst, size_t(p[0]) + size_t(x) * size_t(p[2]), bits);
            }
            pass += (prow + 1) * ph;
        }
        kx_mem_free(buf);
    }

    KX_PALETTE *pal = nullptr;
    uint16_t flags = 0;
    if (keep_palette && h.color_type == 3) {
        uint32_t count = plte_size / 3 > 256 ? 256 : plte_size / 3;
        pal = kx_pal_alloc(nullptr, int(count), 1);
        if (!pal) {
            kx_mem_free(pixels);
            return 0;
        }
        std::memcpy(pal->colors, plte, size_t(count) * 3);
    } else if (keep_palette && h.color_type == 0 && (bits == 4 || bits == 8)) {
        pal = kx_pal_grayscale_get(bits == 4 ? 16 : 256);
        flags |= KX_BIT_FLAG_GRAY;
    }
    if (h.bit_depth == 16 || h.color_type == 4) flags |= KX_BIT_FLAG_FOREIGN;

    *bitmap = KX_BITMAP{};
    bitmap->width = int16_t(h.width);
    bitmap->height = int16_t(h.height);
    bitmap->depth = int16_t(bits);
    bitmap->flags = flags;
    bitmap->palette = pal;
    bitmap->pixels = pixels;
    return 1;
}

int kx_bit_decode_png(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options)
{
    if (!bitmap) return 0;
    *bitmap = KX_BITMAP{};
    if (!data) return 0;
    KX_PNG_DATA local[256];
    int r = kx_png_decode(bitmap, data, size, options, local, 256);
    if (r >= 0) return r;
    // Many image data chunks: count them for a list of the right length.
    size_t most = size / 12 + 1;
    auto *chunks = static_cast<KX_PNG_DATA *>(kx_mem_malloc(most * sizeof(KX_PNG_DATA)));
    if (!chunks) return 0;
    r = kx_png_decode(bitmap, data, size, options, chunks, int(most > 0x7FFFFFFF ? 0x7FFFFFFF : most));
    kx_mem_free(chunks);
    return r > 0 ? 1 : 0;
}
