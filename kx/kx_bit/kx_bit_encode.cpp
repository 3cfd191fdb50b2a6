// kx_bit writers: 8-bit pictures as run-length coded PCX with the 256-colour palette at the end,
// 15-, 16-, 24- and 32-bit pictures as uncompressed top-down TGA.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static inline void kx_bit_put16(uint8_t *p, unsigned v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

static int kx_bit_encode_pcx(const KX_BITMAP *b, int x0, int y0, int w, int h, uint8_t **data, size_t *size)
{
    // Worst case: every byte becomes two.
    size_t most = 128 + size_t(w) * 2 * size_t(h) + 769;
    auto *out = static_cast<uint8_t *>(kx_mem_calloc(1, most));
    if (!out) return 0;
    kx_mem_name(out, "kx_bit_save PCX");
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    kx_bit_put16(out + 8, unsigned(w - 1));
    kx_bit_put16(out + 10, unsigned(h - 1));
    kx_bit_put16(out + 12, 72);
    kx_bit_put16(out + 14, 72);
    out[65] = 1;
    kx_bit_put16(out + 66, unsigned(w));
    kx_bit_put16(out + 68, 1);
    size_t at = 128;
    for (int y = 0; y < h; y++) {
        const uint8_t *row = b->pixels + size_t(y0 + y) * size_t(b->width) + size_t(x0);
        for (int x = 0; x < w;) {
            uint8_t v = row[x];
            int run = 1;
            while (x + run < w && run < 63 && row[x + run] == v) run++;
            if (run == 1 && v < 192) {
                out[at++] = v;
            } else {
                out[at++] = uint8_t(0xC0 | run);
                out[at++] = v;
            }
            x += run;
        }
    }
    out[at++] = 12;
    const KX_PALETTE *pal = b->palette ? b->palette : kx_bit_state.display.screen_palette;
    for (int i = 0; i < 256; i++) {
        uint8_t *c = out + at + size_t(i) * 3;
        if (pal && i < pal->count) {
            std::memcpy(c, pal->colors + i * (pal->type == KX_PALETTE_RGB ? 3 : 4), 3);
        } else if (!pal) {
            c[0] = c[1] = c[2] = uint8_t(i);
        }
    }
    at += 768;
    *data = out;
    *size = at;
    return 1;
}

static int kx_bit_encode_tga(const KX_BITMAP *b, int x0, int y0, int w, int h, uint8_t **data, size_t *size)
{
    int in_bpp = b->depth == 24 ? 3 : b->depth == 32 ? 4 : 2;
    int out_bpp = in_bpp;
    size_t total = 18 + size_t(w) * size_t(h) * size_t(out_bpp);
    auto *out = static_cast<uint8_t *>(kx_mem_malloc(total));
    if (!out) return 0;
    kx_mem_name(out, "kx_bit_save TGA");
    std::memset(out, 0, 18);
    out[2] = 2;
    kx_bit_put16(out + 12, unsigned(w));
    kx_bit_put16(out + 14, unsigned(h));
    out[16] = uint8_t(out_bpp == 2 ? 16 : out_bpp * 8);
    out[17] = uint8_t(0x20 | (out_bpp == 4 ? 8 : 0));   // top-left origin, alpha bits
    KX_BIT_FORMAT16 f = kx_bit_format16();
    uint8_t *o = out + 18;
    for (int y = 0; y < h; y++) {
        const uint8_t *p = b->pixels + (size_t(y0 + y) * size_t(b->width) + size_t(x0)) * size_t(in_bpp);
        for (int x = 0; x < w; x++, p += in_bpp, o += out_bpp) {
            if (in_bpp >= 3) {
                o[0] = p[2];
                o[1] = p[1];
                o[2] = p[0];
                if (in_bpp == 4) o[3] = p[3];
            } else if (b->depth == 15) {
                o[0] = p[0];
                o[1] = p[1];
            } else {
                // The display's 16-bit format becomes the file's 5-5-5.
                unsigned v = unsigned(p[0] | p[1] << 8);
                unsigned r = ((v >> f.rs) & ((1u << f.rw) - 1)) << (8 - f.rw);
                unsigned g = ((v >> f.gs) & ((1u << f.gw) - 1)) << (8 - f.gw);
                unsigned bl = ((v >> f.bs) & ((1u << f.bw) - 1)) << (8 - f.bw);
                kx_bit_put16(o, (r >> 3) << 10 | (g >> 3) << 5 | (bl >> 3));
            }
        }
    }
    *data = out;
    *size = total;
    return 1;
}

int kx_bit_encode(const KX_BITMAP *bitmap, const KX_RECT *rect, uint8_t **data, size_t *size)
{
    if (!bitmap || !bitmap->pixels || !data || !size) return 0;
    *data = nullptr;
    *size = 0;
    if (bitmap->flags & KX_BIT_FLAG_FOREIGN) return 0;
    int x0 = 0, y0 = 0, w = bitmap->width, h = bitmap->height;
    if (rect) {
        x0 = rect->x < 0 ? 0 : rect->x;
        y0 = rect->y < 0 ? 0 : rect->y;
        int x1 = rect->x + rect->width, y1 = rect->y + rect->height;
        w = (x1 < bitmap->width ? x1 : bitmap->width) - x0;
        h = (y1 < bitmap->height ? y1 : bitmap->height) - y0;
    }
    if (w <= 0 || h <= 0) return 0;
    switch (bitmap->depth) {
    case 8: return kx_bit_encode_pcx(bitmap, x0, y0, w, h, data, size);
    case 15:
    case 16:
    case 24:
    case 32: return kx_bit_encode_tga(bitmap, x0, y0, w, h, data, size);
    default: return 0;
    }
}
