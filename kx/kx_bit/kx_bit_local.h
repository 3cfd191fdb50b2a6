// kx_bit internals shared by the files of this folder: alerts, the display link, and the
// bounds checks every reader uses.
#pragma once

#include "kx/kx_bit/kx_bit.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Module state
// ---------------------------------------------------------------------------------------------

struct KX_BIT_STATE {
    int32_t report;          // from kx_bit_init's settings
    int module;              // number given by kx_error_register, -1 before
    KX_BIT_DISPLAY display;  // what the display module told us
    uint8_t *line;           // scale line buffer of the copies
    size_t line_size;
};
extern KX_BIT_STATE kx_bit_state;

// Raises `code` with a printf-style text (the table text when format is null), keeps the text
// for kx_bit_message_get, and shows it when the display's or the module's report flag is set.
void kx_bit_alert(int code, const char *format = nullptr, ...);
// Nonzero when blocks should be named (the display's report flag).
int kx_bit_report();

// Zeroes the record, then gives it a zero-filled buffer of width x height at depth; the buffer
// is named `name` when non-null. Refuses sizes beyond the readers' bounds. 1 or 0.
int kx_bit_make(KX_BITMAP *bitmap, int width, int height, int depth, const char *name);
// Frees what a failed reader built and clears the record.
void kx_bit_clear(KX_BITMAP *bitmap);
// True when width x height at depth fits the readers' bounds.
bool kx_bit_size_ok(long width, long height, int depth);

// 16-bit display format (5-6-5 when the display told nothing).
struct KX_BIT_FORMAT16 {
    int rs, rw, gs, gw, bs, bw;
};
KX_BIT_FORMAT16 kx_bit_format16();

// Big- and little-endian reads (the caller has checked the bounds).
inline uint32_t kx_bit_be32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline uint16_t kx_bit_be16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint16_t kx_bit_le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

// Loads a whole file through kx_io into a kx_mem block; null when it cannot be read.
uint8_t *kx_bit_file_load(const char *file_name, size_t *size);
