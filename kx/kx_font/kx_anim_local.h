// kx_anim internals shared by the reader and the chunk decoders; not for use outside kx_font.
#pragma once

#include <cstddef>
#include <cstdint>

// FLIC chunk and sub-chunk types.
enum : uint16_t {
    ANIM_CHUNK_PREFIX = 0xF100,
    ANIM_CHUNK_FRAME = 0xF1FA,
    ANIM_SUB_DELTA_FLC = 7,
    ANIM_SUB_COLOR_256 = 4,
    ANIM_SUB_COLOR_64 = 11,
    ANIM_SUB_DELTA_FLI = 12,
    ANIM_SUB_BLACK = 13,
    ANIM_SUB_BYTE_RUN = 15,
    ANIM_SUB_COPY = 16,
};

// Where a sub-chunk's data goes: the frame buffer and the 256 RGB palette entries.
struct ANIM_TARGET {
    uint8_t *pixels;
    int width, height;
    uint8_t *rgb;
    uint32_t *palette_changed;
};

// Decodes one sub-chunk's data (the bytes after its 6-byte header). Unknown types are ignored.
// Returns 1 when the data was well formed, 0 when it ran short or pointed outside the frame;
// the pixels written before that point stay.
int anim_decode_sub_chunk(const ANIM_TARGET &target, uint16_t type, const uint8_t *data, size_t size);

// Little-endian fields of the file.
inline uint16_t anim_u16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t anim_u32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
