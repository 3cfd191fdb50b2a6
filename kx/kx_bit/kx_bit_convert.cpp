// kx_bit conversions between pixel depths. The new buffer is made complete before the old one is
// freed, so a refused or failed conversion leaves the picture as it was.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// One source pixel, unpacked.
struct KX_BIT_RGBA {
    uint8_t r, g, b, a;
    bool transparent;
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static inline bool kx_bit_is_magenta(int r, int g, int b) { return r == 255 && g == 0 && b == 255; }

static inline uint16_t kx_bit_pack16(const KX_BIT_FORMAT16 &f, int r, int g, int b)
{
    return uint16_t((r >> (8 - f.rw)) << f.rs | (g >> (8 - f.gw)) << f.gs | (b >> (8 - f.bw)) << f.bs);
}

// Runs `read(x, y)` over every pixel and stores the result at the target depth.
template <typename Read>
static void kx_bit_convert_pixels(uint8_t *out, int width, int height, int target, bool alpha_key,
                                  uint16_t *flags, Read read)
{
    KX_BIT_FORMAT16 f = kx_bit_format16();
    bool seen = false;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            KX_BIT_RGBA c = read(x, y);
            seen |= c.transparent;
            switch (target) {
            case 16: {
                uint16_t v = kx_bit_pack16(f, c.r, c.g, c.b);
                out[0] = uint8_t(v);
                out[1] = uint8_t(v >> 8);
                out += 2;
                break;
            }
            case 24:
                out[0] = c.r;
                out[1] = c.g;
                out[2] = c.b;
                out += 3;
                break;
            default:
                if (alpha_key && c.transparent) {
                    out[0] = out[1] = out[2] = 127;
                    out[3] = 0;
                } else {
                    out[0] = c.r;
                    out[1] = c.g;
                    out[2] = c.b;
                    out[3] = c.a;
                }
                out += 4;
                break;
            }
        }
    }
    if (seen) *flags |= KX_BIT_FLAG_TRANSPARENT;
}

// The refusal for converting `source` depth to `target` (without the alpha key), or -1 when the
// conversion is done, or -2 when there is nothing to do.
static int kx_bit_convert_check(int source, int target)
{
    int column;
    switch (target) {
    case 4: column = 4; break;
    case 8:
    case 15: column = 8; break;
    case 16: column = 16; break;
    case 24: column = 24; break;
    case 32: column = 32; break;
    default: column = -1; break;
    }
    switch (source) {
    case 1: return KX_BIT_ERR_CONVERT_1;
    case 4:
        if (column == 4) return -2;
        if (column == 16) return KX_BIT_ERR_CONVERT_4_16;
        return column < 0 ? KX_BIT_ERR_CONVERT_INVALID_TARGET : -1;
    case 8:
        if (column == 8) return -2;
        return column < 0 || column == 4 ? KX_BIT_ERR_CONVERT_INVALID_TARGET : -1;
    case 15:
    case 16:
        if (column == 8) return KX_BIT_ERR_CONVERT_15_8;
        if (column == 16 && source == 16) return -2;
        return column < 0 || column == 4 ? KX_BIT_ERR_CONVERT_INVALID_TARGET : -1;
    case 24:
        if (column == 8) return KX_BIT_ERR_CONVERT_24_8;
        if (column == 24) return -2;
        return column < 0 || column == 4 ? KX_BIT_ERR_CONVERT_INVALID_TARGET : -1;
    case 32:
        if (column == 8) return KX_BIT_ERR_CONVERT_32_8;
        if (column == 32) return -2;
        return column < 0 || column == 4 ? KX_BIT_ERR_CONVERT_INVALID_TARGET : -1;
    default: return KX_BIT_ERR_CONVERT_INVALID_SOURCE;
    }
}

static int kx_bit_convert_named(KX_BITMAP *bitmap, int target, const char *file, int line)
{
    if (!bitmap) return 0;
    int want = target & ~KX_BIT_ALPHA_KEY;
    bool alpha_key = (target & KX_BIT_ALPHA_KEY) != 0;
    if (want == bitmap->depth) return 1;

    const KX_BIT_DISPLAY &d = kx_bit_state.display;
    if ((bitmap->texture || bitmap->tiles) && d.free) d.free(bitmap);

    int source = bitmap->depth;
    int verdict = (bitmap->flags & KX_BIT_FLAG_FOREIGN) ? KX_BIT_ERR_CONVERT_INVALID_SOURCE
                                                         : kx_bit_convert_check(source, want);
    if (verdict == KX_BIT_ERR_CONVERT_INVALID_SOURCE) {
        kx_bit_alert(verdict, kx_bit_error_texts[verdict], source, want);
        return 0;
    }
    if (verdict >= 0) {
        kx_bit_alert(verdict);
        return 0;
    }
    if (verdict == -2) return 1;
    if (want == 15) want = 8;   // a 15 target reads as 8: only a 4-bit picture gets here

    const int width = bitmap->width, height = bitmap->height;
    KX_BIT_FORMAT16 f = kx_bit_format16();

    // 15 -> 16 on a 5-5-5 display is the same layout.
    if (source == 15 && want == 16 && f.rs == 10 && f.rw == 5 && f.gs == 5 && f.gw == 5 && f.bs == 0 &&
        f.bw == 5) {
        bitmap->depth = 16;
        return 1;
    }

    // Palette pictures look their indices up in their own palette, or the screen's.
    const KX_PALETTE *pal = nullptr;
    if (source == 4 || source == 8) {
        pal = bitmap->palette;
        if (!pal && bitmap == d.screen) pal = d.screen_palette;
        if (!pal || !pal->colors) {
            kx_bit_alert(source == 4 ? KX_BIT_ERR_CONVERT_4_NO_PALETTE : KX_BIT_ERR_CONVERT_8_NO_PALETTE);
            return 0;
        }
    }

    int out_bpp = want == 8 ? 1 : want == 16 ? 2 : want == 24 ? 3 : 4;
    size_t bytes = size_t(width) * size_t(height) * size_t(out_bpp);
    auto *out = static_cast<uint8_t *>(kx_mem_malloc(bytes));
    if (!out) {
        kx_bit_alert(KX_BIT_ERR_CONVERT_MEMORY);
        return 0;
    }
    char name[300];
    if (file)
        std::snprintf(name, sizeof name, "kx_bit_convert () from %s, line %d\n", file, line);
    else
        std::snprintf(name, sizeof name, "Bitmap %d->%d BPP Conversion", source, want);
    kx_mem_name(out, name);

    const uint8_t *in = bitmap->pixels;
    if (pal) {
        KX_BIT_RGBA lut[256] = {};
        int stride = pal->type == KX_PALETTE_RGB ? 3 : 4;
        for (int i = 0; i < 256; i++) {
            if (i < pal->count) {
                const uint8_t *c = pal->colors + i * stride;
                lut[i] = {c[0], c[1], c[2], 255, kx_bit_is_magenta(c[0], c[1], c[2])};
            } else {
                lut[i] = {0, 0, 0, 255, false};
            }
            if (uint32_t(i) == bitmap->transparent) lut[i].transparent = true;
        }
        if (source == 4) {
            size_t row = (size_t(width) + 1) / 2;
            auto read = [&](int x, int y) {
                uint8_t byte = in[size_t(y) * row + size_t(x >> 1)];
                return lut[(x & 1) ? (byte & 15) : (byte >> 4)];
            };
            if (want == 8) {
                bool seen = false;
                for (int y = 0; y < height; y++)
                    for (int x = 0; x < width; x++) {
                        uint8_t byte = in[size_t(y) * row + size_t(x >> 1)];
                        uint8_t index = (x & 1) ? (byte & 15) : (byte >> 4);
                        out[size_t(y) * size_t(width) + size_t(x)] = index;
                        seen |= lut[index].transparent;
                    }
                if (seen) bitmap->flags |= KX_BIT_FLAG_TRANSPARENT;
            } else {
                kx_bit_convert_pixels(out, width, height, want, alpha_key, &bitmap->flags, read);
            }
        } else {
            auto read = [&](int x, int y) { return lut[in[size_t(y) * size_t(width) + size_t(x)]]; };
            kx_bit_convert_pixels(out, width, height, want, alpha_key, &bitmap->flags, read);
        }
        if (want != 8 && bitmap->palette) {
            kx_pal_free(bitmap->palette);
            bitmap->palette = nullptr;
        }
    } else if (source == 15 || source == 16) {
        auto read = [&](int x, int y) {
            const uint8_t *p = in + (size_t(y) * size_t(width) + size_t(x)) * 2;
            unsigned v = unsigned(p[0] | p[1] << 8);
            KX_BIT_RGBA c;
            if (source == 15) {
                c = {uint8_t((v >> 7) & 248), uint8_t((v >> 2) & 248), uint8_t((v << 3) & 248), 255, false};
                if (c.r == 248 && c.g == 0 && c.b == 248) c = {255, 0, 255, 255, true};
            } else {
                c = {uint8_t(((v >> f.rs) & ((1u << f.rw) - 1)) << (8 - f.rw)),
                     uint8_t(((v >> f.gs) & ((1u << f.gw) - 1)) << (8 - f.gw)),
                     uint8_t(((v >> f.bs) & ((1u << f.bw) - 1)) << (8 - f.bw)), 255, false};
                if (v == kx_bit_pack16(f, 255, 0, 255)) c = {255, 0, 255, 255, true};
            }
            return c;
        };
        kx_bit_convert_pixels(out, width, height, want, alpha_key, &bitmap->flags, read);
    } else if (source == 24) {
        auto read = [&](int x, int y) {
            const uint8_t *p = in + (size_t(y) * size_t(width) + size_t(x)) * 3;
            return KX_BIT_RGBA{p[0], p[1], p[2], 255, kx_bit_is_magenta(p[0], p[1], p[2])};
        };
        kx_bit_convert_pixels(out, width, height, want, alpha_key, &bitmap->flags, read);
    } else {
        auto read = [&](int x, int y) {
            const uint8_t *p = in + (size_t(y) * size_t(width) + size_t(x)) * 4;
            return KX_BIT_RGBA{p[0], p[1], p[2], p[3], kx_bit_is_magenta(p[0], p[1], p[2])};
        };
        kx_bit_convert_pixels(out, width, height, want, alpha_key, &bitmap->flags, read);
    }

    kx_mem_free(bitmap->pixels);
    bitmap->pixels = out;
    bitmap->depth = int16_t(want);
    return 1;
}

int kx_bit_convert(KX_BITMAP *bitmap, int target) { return kx_bit_convert_named(bitmap, target, nullptr, 0); }

int kx_bit_convert_at(const char *file, int line, KX_BITMAP *bitmap, int target)
{
    return kx_bit_convert_named(bitmap, target, file, line);
}
