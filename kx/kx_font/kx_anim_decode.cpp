// kx_anim sub-chunk decoders: colour tables, black, copy, byte run, FLI line delta and FLC word
// delta. Every count, skip and run is checked against the data left in the sub-chunk and against
// the frame; the first violation stops the sub-chunk, so nothing is written outside the buffer.
#include "kx/kx_font/kx_anim_local.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

namespace {

// Bounded reader over one sub-chunk's data.
struct ANIM_READER {
    const uint8_t *p;
    size_t left;
};

bool read_u8(ANIM_READER &r, uint8_t &v)
{
    if (r.left < 1) return false;
    v = *r.p++;
    r.left--;
    return true;
}

bool read_u16(ANIM_READER &r, uint16_t &v)
{
    if (r.left < 2) return false;
    v = anim_u16(r.p);
    r.p += 2;
    r.left -= 2;
    return true;
}

bool take(ANIM_READER &r, size_t n, const uint8_t *&bytes)
{
    if (r.left < n) return false;
    bytes = r.p;
    r.p += n;
    r.left -= n;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Packets of (entries to skip, entries to set, RGB triples); the index runs on across packets.
// 64-level values are widened by 4 (63 -> 252).
int decode_color(const ANIM_TARGET &t, ANIM_READER r, int shift)
{
    uint16_t packets;
    if (!read_u16(r, packets)) return 0;
    *t.palette_changed = 1;
    unsigned index = 0;
    for (unsigned i = 0; i < packets; i++) {
        uint8_t skip, count8;
        if (!read_u8(r, skip) || !read_u8(r, count8)) return 0;
        unsigned count = count8 ? count8 : 256;
        index += skip;
        const uint8_t *rgb;
        if (index + count > 256 || !take(r, count * 3, rgb)) return 0;
        for (unsigned c = 0; c < count * 3; c++) t.rgb[index * 3 + c] = static_cast<uint8_t>(rgb[c] << shift);
        index += count;
    }
    return 1;
}

int decode_copy(const ANIM_TARGET &t, ANIM_READER r)
{
    size_t size = static_cast<size_t>(t.width) * t.height;
    const uint8_t *bytes;
    if (!take(r, size, bytes)) return 0;
    std::memcpy(t.pixels, bytes, size);
    return 1;
}

// Every row: a packet count (unreliable in wide frames, so the row is decoded until it is full),
// then packets of i8 n: n < 0 copies -n literal bytes, n >= 0 repeats the next byte n times.
int decode_byte_run(const ANIM_TARGET &t, ANIM_READER r)
{
    for (int y = 0; y < t.height; y++) {
        uint8_t *row = t.pixels + static_cast<size_t>(y) * t.width;
        uint8_t packets;
        if (!read_u8(r, packets)) return 0;
        int x = 0;
        while (x < t.width) {
            uint8_t code;
            if (!read_u8(r, code)) return 0;
            int n = static_cast<int8_t>(code);
            if (n < 0) {
                const uint8_t *bytes;
                if (x - n > t.width || !take(r, static_cast<size_t>(-n), bytes)) return 0;
                std::memcpy(row + x, bytes, static_cast<size_t>(-n));
                x -= n;
            } else {
                uint8_t value;
                if (x + n > t.width || !read_u8(r, value)) return 0;
                std::memset(row + x, value, static_cast<size_t>(n));
                x += n;
            }
        }
    }
    return 1;
}

// u16 first line, u16 line count; per line a packet count and packets of (u8 skip, i8 n):
// n >= 0 copies n literal bytes, n < 0 repeats the next byte -n times.
int decode_delta_fli(const ANIM_TARGET &t, ANIM_READER r)
{
    uint16_t first, lines;
    if (!read_u16(r, first) || !read_u16(r, lines)) return 0;
    for (int y = first; y < first + lines; y++) {
        uint8_t packets;
        if (y >= t.height || !read_u8(r, packets)) return 0;
        uint8_t *row = t.pixels + static_cast<size_t>(y) * t.width;
        int x = 0;
        for (int p = 0; p < packets; p++) {
            uint8_t skip, code;
            if (!read_u8(r, skip) || !read_u8(r, code)) return 0;
            x += skip;
            int n = static_cast<int8_t>(code);
            if (n >= 0) {
                const uint8_t *bytes;
                if (x + n > t.width || !take(r, static_cast<size_t>(n), bytes)) return 0;
                std::memcpy(row + x, bytes, static_cast<size_t>(n));
                x += n;
            } else {
                uint8_t value;
                if (x - n > t.width || !read_u8(r, value)) return 0;
                std::memset(row + x, value, static_cast<size_t>(-n));
                x -= n;
            }
        }
    }
    return 1;
}

// u16 line count; per line, opcode words come first: top bits 11 skip lines, 10 set the line's
// last pixel, 00 is the packet count that ends the opcodes. Packets of (u8 skip, i8 n):
// n >= 0 copies n words, n < 0 repeats the next word -n times.
int decode_delta_flc(const ANIM_TARGET &t, ANIM_READER r)
{
    uint16_t lines;
    if (!read_u16(r, lines)) return 0;
    long y = 0;
    for (unsigned line = 0; line < lines; line++) {
        uint16_t word;
        for (;;) {
            if (!read_u16(r, word)) return 0;
            if ((word & 0xC000) == 0xC000) {
                y -= static_cast<int16_t>(word);
            } else if ((word & 0xC000) == 0x8000) {
                if (y >= t.height) return 0;
                t.pixels[static_cast<size_t>(y) * t.width + t.width - 1] = static_cast<uint8_t>(word);
            } else if (word & 0x4000) {
                return 0;
            } else {
                break;
            }
        }
        if (y >= t.height) return 0;
        uint8_t *row = t.pixels + static_cast<size_t>(y) * t.width;
        int x = 0;
        for (unsigned p = 0; p < word; p++) {
            uint8_t skip, code;
            if (!read_u8(r, skip) || !read_u8(r, code)) return 0;
            x += skip;
            int n = static_cast<int8_t>(code);
            if (n >= 0) {
                const uint8_t *bytes;
                if (x + 2 * n > t.width || !take(r, static_cast<size_t>(2 * n), bytes)) return 0;
                std::memcpy(row + x, bytes, static_cast<size_t>(2 * n));
                x += 2 * n;
            } else {
                const uint8_t *pair;
                if (x - 2 * n > t.width || !take(r, 2, pair)) return 0;
                for (int i = 0; i < -n; i++) {
                    row[x++] = pair[0];
                    row[x++] = pair[1];
                }
            }
        }
        y++;
    }
    return 1;
}

} // namespace

int anim_decode_sub_chunk(const ANIM_TARGET &target, uint16_t type, const uint8_t *data, size_t size)
{
    ANIM_READER r{data, size};
    switch (type) {
    case ANIM_SUB_COLOR_256: return decode_color(target, r, 0);
    case ANIM_SUB_COLOR_64: return decode_color(target, r, 2);
    case ANIM_SUB_BLACK:
        std::memset(target.pixels, 0, static_cast<size_t>(target.width) * target.height);
        return 1;
    case ANIM_SUB_COPY: return decode_copy(target, r);
    case ANIM_SUB_BYTE_RUN: return decode_byte_run(target, r);
    case ANIM_SUB_DELTA_FLI: return decode_delta_fli(target, r);
    case ANIM_SUB_DELTA_FLC: return decode_delta_flc(target, r);
    default: return 1;
    }
}
