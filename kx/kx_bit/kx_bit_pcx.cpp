// kx_bit PCX reader: run-length coded 8-bit pictures with the trailing 256-colour palette, 4-bit
// pictures (four bit planes or packed nibbles) with the header's 16 colours, and 24-bit pictures
// stored as three planes per line.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int kx_bit_decode_pcx(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options, const char *name)
{
    if (!bitmap) return 0;
    *bitmap = KX_BITMAP{};
    if (!data || size < 128) return 0;
    if (data[0] != 10 || data[1] != 5) return 0;
    int bits = data[3];
    int planes = data[65];
    int depth = bits * planes;
    if ((depth != 4 && depth != 8 && depth != 24) || (depth == 24 && bits != 8) || (depth == 8 && planes != 1)) {
        kx_bit_alert(KX_BIT_ERR_PCX_FORMAT, nullptr, name ? name : "");
        return 0;
    }
    int x_min = kx_bit_le16(data + 4), y_min = kx_bit_le16(data + 6);
    int x_max = kx_bit_le16(data + 8), y_max = kx_bit_le16(data + 10);
    int width = x_max - x_min + 1, height = y_max - y_min + 1;
    size_t line = kx_bit_le16(data + 66);   // bytes per line of one plane
    if (!kx_bit_size_ok(width, height, depth)) return 0;
    size_t need = bits == 1   ? (size_t(width) + 7) / 8
                : bits == 2 ? (size_t(width) + 3) / 4
                : bits == 4 ? (size_t(width) + 1) / 2
                            : size_t(width);
    if (line < need) return 0;

    // One-plane 8-bit pictures end in the marker 12 and 768 palette bytes.
    size_t end = size;
    const uint8_t *palette = nullptr;
    if (depth == 8 && size >= 128 + 769 && data[size - 769] == 12) {
        palette = data + size - 768;
        end = size - 769;
    }
    if ((options & KX_BIT_LOAD_PALETTE) && depth == 8 && !palette) {
        if (size < 128 + 768) return 0;
        palette = data + size - 768;
    }
    size_t scan = line * size_t(planes);
    // A count byte and its data byte give at most 63 bytes.
    if (scan * size_t(height) > (end - 128) * 32) return 0;

    auto *buf = static_cast<uint8_t *>(kx_mem_malloc(scan));
    if (!buf) return 0;
    KX_BITMAP b;
    if (!kx_bit_make(&b, width, height, depth, nullptr)) {
        kx_mem_free(buf);
        return 0;
    }

    const uint8_t *in = data + 128;
    size_t avail = end - 128, at = 0;
    int run = 0;
    uint8_t run_byte = 0;
    size_t row = kx_bit_row_bytes(width, depth);
    for (int y = 0; y < height; y++) {
        // Runs may carry over from one line to the next.
        for (size_t i = 0; i < scan;) {
            if (run > 0) {
                size_t n = size_t(run) < scan - i ? size_t(run) : scan - i;
                std::memset(buf + i, run_byte, n);
                run -= int(n);
                i += n;
                continue;
            }
            if (at >= avail) {
                kx_mem_free(buf);
                kx_bit_clear(&b);
                return 0;
            }
            uint8_t c = in[at++];
            if ((c & 0xC0) == 0xC0) {
                if (at >= avail) {
                    kx_mem_free(buf);
                    kx_bit_clear(&b);
                    return 0;
                }
                run = c & 63;
                run_byte = in[at++];
            } else {
                buf[i++] = c;
            }
        }
        uint8_t *out = b.pixels + size_t(y) * row;
        if (depth == 8 || (depth == 4 && bits == 4)) {
            std::memcpy(out, buf, row);
        } else if (depth == 24) {
            for (int x = 0; x < width; x++) {
                out[x * 3] = buf[x];
                out[x * 3 + 1] = buf[line + size_t(x)];
                out[x * 3 + 2] = buf[2 * line + size_t(x)];
            }
        } else {
            // Four bit planes, or two planes of two bits, or one of four (planes x bits = 4).
            std::memset(out, 0, row);
            for (int x = 0; x < width; x++) {
                unsigned v = 0;
                for (int p = 0; p < planes; p++) {
                    const uint8_t *pl = buf + size_t(p) * line;
                    unsigned sample;
                    if (bits == 1)
                        sample = (pl[x >> 3] >> (7 - (x & 7))) & 1;
                    else
                        sample = (pl[x >> 2] >> (6 - 2 * (x & 3))) & 3;
                    v |= sample << (p * bits);
                }
                out[x >> 1] |= uint8_t((x & 1) ? v : v << 4);
            }
        }
    }
    kx_mem_free(buf);

    if (options & KX_BIT_LOAD_PALETTE) {
        if (depth == 8) {
            b.palette = kx_pal_alloc(nullptr, 256, 1);
            if (b.palette) std::memcpy(b.palette->colors, palette, 768);
        } else if (depth == 4) {
            b.palette = kx_pal_alloc(nullptr, 16, 1);
            if (b.palette) std::memcpy(b.palette->colors, data + 16, 48);
        }
        if (depth != 24 && !b.palette) {
            kx_bit_clear(&b);
            return 0;
        }
    }
    *bitmap = b;
    return 1;
}
