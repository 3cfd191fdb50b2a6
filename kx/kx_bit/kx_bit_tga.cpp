// kx_bit TGA reader: colour-mapped (1), true colour (2) and run-length true colour (10) pictures
// of 8, 16, 24 and 32 bits, stored top-down or bottom-up.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Reads one colour-map entry of `bits` into r, g, b.
static void kx_tga_map_entry(const uint8_t *p, int bits, uint8_t *rgb)
{
    if (bits >= 24) {
        rgb[0] = p[2];
        rgb[1] = p[1];
        rgb[2] = p[0];
    } else if (bits >= 15) {
        unsigned v = kx_bit_le16(p);
        rgb[0] = uint8_t((v >> 7) & 248);
        rgb[1] = uint8_t((v >> 2) & 248);
        rgb[2] = uint8_t((v << 3) & 248);
    } else {
        rgb[0] = rgb[1] = rgb[2] = p[0];
    }
}

int kx_bit_decode_tga(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options, const char *name)
{
    if (!bitmap) return 0;
    *bitmap = KX_BITMAP{};
    if (!data || size < 18) return 0;
    int id_length = data[0];
    int map_type = data[1];
    int type = data[2];
    int map_first = kx_bit_le16(data + 3);
    int map_length = kx_bit_le16(data + 5);
    int map_bits = data[7];
    int width = kx_bit_le16(data + 12);
    int height = kx_bit_le16(data + 14);
    int pixel_size = data[16];
    int descriptor = data[17];
    if (type != 1 && type != 2 && type != 10) {
        kx_bit_alert(KX_BIT_ERR_TGA_FORMAT, nullptr, name ? name : "");
        return 0;
    }
    int bpp = (pixel_size + 7) / 8;
    if (type == 1 ? pixel_size != 8 : (pixel_size != 15 && pixel_size != 16 && pixel_size != 24 && pixel_size != 32))
        return 0;
    if (!kx_bit_size_ok(width, height, bpp * 8)) return 0;

    size_t pos = 18 + size_t(id_length);
    size_t map_bytes = map_type ? size_t(map_length) * size_t((map_bits + 7) / 8) : 0;
    if (pos + map_bytes > size) return 0;
    const uint8_t *map = data + pos;
    pos += map_bytes;   // the map is skipped even when it is not wanted: the pixels follow it

    size_t pixels = size_t(width) * size_t(height);
    size_t remain = size - pos;
    if (type == 10 ? pixels > remain * 128 : pixels * size_t(bpp) > remain) return 0;

    KX_BITMAP b;
    if (!kx_bit_make(&b, width, height, pixel_size == 8 ? 8 : bpp * 8, nullptr)) return 0;
    uint8_t *out = b.pixels;
    const uint8_t *in = data + pos;
    if (type == 10) {
        size_t done = 0, at = 0;
        while (done < pixels) {
            if (at >= remain) {
                kx_bit_clear(&b);
                return 0;
            }
            int head = in[at++];
            size_t count = size_t(head & 127) + 1;
            if (count > pixels - done) count = pixels - done;
            if (head & 128) {
                if (remain - at < size_t(bpp)) {
                    kx_bit_clear(&b);
                    return 0;
                }
                for (size_t i = 0; i < count; i++) std::memcpy(out + (done + i) * size_t(bpp), in + at, size_t(bpp));
                at += size_t(bpp);
            } else {
                if (remain - at < count * size_t(bpp)) {
                    kx_bit_clear(&b);
                    return 0;
                }
                std::memcpy(out + done * size_t(bpp), in + at, count * size_t(bpp));
                at += count * size_t(bpp);
            }
            done += count;
        }
    } else {
        std::memcpy(out, in, pixels * size_t(bpp));
    }

    // Bottom-up files: put the rows top to bottom.
    if (!(descriptor & 0x20)) {
        size_t row = size_t(width) * size_t(bpp);
        uint8_t tmp[256];
        for (int y = 0; y < height / 2; y++) {
            uint8_t *a = out + size_t(y) * row, *c = out + size_t(height - 1 - y) * row;
            for (size_t i = 0; i < row; i += sizeof tmp) {
                size_t n = row - i < sizeof tmp ? row - i : sizeof tmp;
                std::memcpy(tmp, a + i, n);
                std::memcpy(a + i, c + i, n);
                std::memcpy(c + i, tmp, n);
            }
        }
    }

    if (bpp == 2) {
        b.depth = 15;
    } else if (bpp >= 3) {
        for (size_t i = 0; i < pixels; i++) {
            uint8_t t = out[i * size_t(bpp)];
            out[i * size_t(bpp)] = out[i * size_t(bpp) + 2];
            out[i * size_t(bpp) + 2] = t;
        }
    }

    if (type == 1 && (options & KX_BIT_LOAD_PALETTE)) {
        b.palette = kx_pal_alloc(nullptr, 256, 1);
        if (!b.palette) {
            kx_bit_clear(&b);
            return 0;
        }
        int entry = (map_bits + 7) / 8;
        if (map_type && entry > 0)
            for (int i = 0; i < map_length && map_first + i < 256; i++)
                kx_tga_map_entry(map + size_t(i) * size_t(entry), map_bits, b.palette->colors + (map_first + i) * 3);
    }
    *bitmap = b;
    return 1;
}
