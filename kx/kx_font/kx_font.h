// kx_font: bitmap fonts described by ".fnt" string files. Glyphs are cut from still images or
// from FLIC animations (animated characters); text is UTF-8, formatted like printf, and drawn
// into a bitmap with optional centring, stretching and proportional spacing.
#pragma once

#include "kx/kx_bit/kx_bit.h"

#include <cstdarg>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// Where a glyph came from and how wide its ink is.
struct KX_FONT_PLACE {
    KX_RECT source;   // rectangle of the glyph in its image or animation frame
    KX_RECT extent;   // columns holding ink, inside the glyph bitmap (the proportional width)
};

// One frame of a character: its own bitmap (sharing the font's palette) and its placement.
struct KX_FONT_FRAME {
    KX_BITMAP bitmap;
    KX_FONT_PLACE place;
};

struct KX_FONT_CHAR_DATA {
    uint16_t frame_count;
    KX_FONT_FRAME *frames;
};

// Entry of the character table. Aliases made by "MapSrc"/"MapDst" share another entry's data
// and do not own it.
struct KX_FONT_CHAR {
    uint32_t code;              // Unicode code point
    int32_t owns;               // 1: the entry frees `data`; 0: alias
    KX_FONT_CHAR_DATA *data;
};

// A font. The caller owns the record; kx_font_load fills it and kx_font_free empties it.
struct KX_FONT {
    int32_t version;            // 1 or 2
    char *name;
    uint16_t width, height;     // cell size; width 0 means not loaded
    int32_t default_char;       // 1-based index drawn for missing codes (the space)
    KX_FONT_CHAR *chars;        // sorted by code once loaded
    int32_t count;
    int32_t capacity;           // entries allocated while loading
    KX_PALETTE *palette;        // from "Palette", or null
};

// Error codes of the "Font" module.
enum {
    KX_FONT_ERR_POINTER = 0,
    KX_FONT_ERR_NO_FILE = 1,
    KX_FONT_ERR_FORMAT = 2,
    KX_FONT_ERR_MEMORY = 3,
    KX_FONT_ERR_PALETTE = 4,
    KX_FONT_ERR_INCOMPLETE = 5,
    KX_FONT_ERR_DUPLICATE = 6,
    KX_FONT_ERR_FRAMES = 7,
    KX_FONT_ERR_BITMAP_SIZE = 8,
    KX_FONT_ERR_UTF_8 = 9,
};
extern const char *const kx_font_error_texts[];

// Print flags.
enum {
    KX_FONT_CENTER = 0x02,
    KX_FONT_STRETCH = 0x04,
    KX_FONT_PROPORTIONAL = 0x08,
    KX_FONT_BLIT_ASPECT = 0x20,    // handed to the blitter as its flag 4
    KX_FONT_CELL_RATIO = 0x40,     // with STRETCH: boxes keep the cell's proportions
    KX_FONT_TRANSPARENT = 0x100,   // draw with the transparent blitter (handed flag 64)
    KX_FONT_NO_GAP = 0x200,        // no pixel between characters
};

// Modes of kx_font_utf_8_to_unicode.
enum {
    KX_FONT_UTF_GROW = 1,    // the code-point array grows to fit
    KX_FONT_UTF_CHECK = 2,   // continuation bytes are checked (under the report flag)
};

constexpr int KX_FONT_TEXT_SIZE = 256;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// report: the module's report flag (may be null). Registers "Font" with kx_error.
int kx_font_init(int32_t *report);
void kx_font_done();

// Loads a ".fnt" file. flags are added to the options of the image loader. 1 or 0.
int kx_font_load(KX_FONT *font, const char *file_name, int flags);
void kx_font_free(KX_FONT *font);

// 1-based index of the character, the default character when the font lacks it, 0 when the
// font has none at all.
int kx_font_find(const KX_FONT *font, uint32_t code);

// The bitmap of frame `frame` (from 1; below 1 gives 1; above the count wraps) of the character,
// with its placement copied to `place` when not null. Null when the font has no characters.
KX_BITMAP *kx_font_glyph(const KX_FONT *font, uint32_t code, int frame, KX_FONT_PLACE *place);

// Width and height the text would take when printed with `flags`. 1, or 0 for an empty text.
int kx_font_extent(const KX_FONT *font, const char *text, KX_RECT *size, int flags);

// Formats the text (cut to 256 bytes), decodes it and draws it into `target` inside `rect`
// (null: the whole target, text at the top). Returns the width drawn.
int kx_font_print(const KX_FONT *font, KX_BITMAP *target, const KX_RECT *rect, int flags, const char *format, ...);
int kx_font_print_v(const KX_FONT *font, KX_BITMAP *target, const KX_RECT *rect, int flags, const char *format,
                    va_list args);

// Decodes UTF-8 into `*codes` (capacity `*capacity` entries including the closing 0). Returns
// the number of code points.
int kx_font_utf_8_to_unicode(uint32_t **codes, int *capacity, const char *text, int mode);
