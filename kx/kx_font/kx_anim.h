// kx_anim: FLIC animation files (FLI and FLC). The whole file is read into memory when it is
// opened; each call decodes the next frame over the previous one into a single 8-bit pixel
// buffer with a 256-colour palette, paced by the file's frame delay. The font loader uses it
// for animated glyphs.
#pragma once

#include <cstddef>
#include <cstdint>

struct KX_PALETTE;

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

constexpr uint16_t KX_ANIM_FLI = 1;
constexpr uint16_t KX_ANIM_FLC = 2;
constexpr uint32_t KX_ANIM_HEADER_SIZE = 128;
// Largest frame we open (width x height pixels); bigger headers are refused as damaged.
constexpr uint32_t KX_ANIM_MAX_PIXELS = 1u << 24;

// One open animation. The caller owns the record; anim_open clears it and anim_close frees
// everything it points to.
struct KX_ANIM {
    uint16_t width, height;       // frame size in pixels
    uint32_t frame_size;          // width * height bytes
    uint16_t frame_count;         // frames announced by the header
    uint16_t current_frame;       // 1-based number of the frame last decoded; 0 before the first
    uint16_t kind;                // KX_ANIM_FLI or KX_ANIM_FLC
    uint16_t depth;               // bits per pixel of `pixels`: always 8
    uint32_t frame_delay;         // milliseconds between frames
    uint32_t last_frame_time;     // tick count (ms) when the last frame was decoded
    uint32_t palette_changed;     // set to 1 when a frame carried a colour chunk
    KX_PALETTE *palette;          // 256 RGB entries
    uint32_t position;            // offset in `data` of the next chunk
    uint32_t first_frame;         // offset in `data` of the first chunk
    uint8_t *pixels;              // width * height palette indices, rows top to bottom
    uint8_t *data;                // the file's bytes after the 128-byte header
    uint32_t data_size;           // bytes in `data`
    uint32_t bad_chunks;          // frames whose decoding stopped at a malformed chunk
    char *name;                   // copy of the file name
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Reads a FLIC file through kx_io (disk or data pack). Modes 1 and 2 both read FLIC; the kind
// comes from the file's magic. Returns 1, or 0 with nothing left allocated.
int anim_open(KX_ANIM *anim, const char *file_name, int mode);

// The same from bytes already in memory (copied); `name` is kept as the animation's name.
int anim_open_memory(KX_ANIM *anim, const uint8_t *bytes, size_t size, const char *name);

// Decodes the next frame, wrapping to the first after the last. Returns 1 when a frame was
// decoded, 0 when the chunk at the current position was not a frame, -1 when the frame delay
// has not passed yet (unless `force` is 1 or no frame has been decoded).
int anim_frame_next(KX_ANIM *anim, int force);

void anim_rewind(KX_ANIM *anim);   // the next frame is the first again
void anim_clear(KX_ANIM *anim);    // every pixel becomes 0
void anim_close(KX_ANIM *anim);    // frees the name, pixels, palette and frame data

// Palette entries as 256 RGB triples, or null when the animation has no palette.
uint8_t *anim_palette_rgb(KX_ANIM *anim);
