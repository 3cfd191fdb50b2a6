// kx_bit: pictures in memory (KX_BITMAP) in the engine's pixel depths, conversions between
// depths, copies (plain, transparent, centred, scaled, doubled), resizing, colour tables
// (KX_PALETTE, shared by reference count), the image file readers (PNG, TGA, PCX, JPEG), saving
// and numbered screen snapshots.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// A rectangle in pixels (also the resize-list rectangle of the display).
struct KX_RECT {
    int16_t x, y, width, height;
};

// Colour table of a 4- or 8-bit picture.
struct KX_PALETTE {
    uint32_t references;   // holders; freed when it drops to 0
    uint16_t count;        // number of colours
    uint16_t type;         // KX_PALETTE_RGB or KX_PALETTE_RGBA
    uint8_t *colors;       // count x 3 (r, g, b) or count x 4 (r, g, b, a) bytes
};

constexpr uint16_t KX_PALETTE_RGB = 1;
constexpr uint16_t KX_PALETTE_RGBA = 2;

// A picture. The caller owns the record; the module owns the pixel buffer and holds one reference
// on the palette. Rows run top to bottom with no padding:
//   4: two pixels per byte, left one in the high nibble, (width + 1) / 2 bytes a row
//   8: palette index       15: little-endian word, red 10-14, green 5-9, blue 0-4
//  16: the display's 16-bit format (see KX_BIT_DISPLAY)
//  24: r, g, b            32: r, g, b, a
struct KX_BITMAP {
    int16_t x, y;             // position of the rectangle the picture was made from
    int16_t width, height;
    int16_t depth;            // bits per pixel: 1, 4, 8, 15, 16, 24 or 32
    uint16_t flags;           // KX_BIT_FLAG_*
    uint32_t transparent;     // palette index counted as transparent in 4- and 8-bit pictures
    uint32_t texture;         // handle of the 3D interface's copy, 0 when there is none
    uint32_t modified;        // nonzero: pixels changed since the 3D copy was made; the 3D
                              // back end reloads the texture and clears it
    void *tiles;              // 3D back end's tile set of a large or odd-sized picture, or null
    uint32_t reserved[2];     // free for the 3D back end and loaders; zeroed on allocation
    KX_PALETTE *palette;      // colour table of a 4- or 8-bit picture, or null (screen palette)
    uint8_t *pixels;          // the pixel buffer
};

// Depths, and the conversion target modifier.
constexpr int KX_BIT_BPP1 = 1;
constexpr int KX_BIT_BPP4 = 4;
constexpr int KX_BIT_BPP8 = 8;
constexpr int KX_BIT_BPP15 = 15;
constexpr int KX_BIT_BPP16 = 16;
constexpr int KX_BIT_BPP24 = 24;
constexpr int KX_BIT_BPP32 = 32;
constexpr int KX_BIT_ALPHA_KEY = 64;   // to 32 bits: transparent pixels become 127,127,127 alpha 0

// Bitmap flags.
constexpr uint16_t KX_BIT_FLAG_GRAY = 1;          // gray picture with a shared gray palette
constexpr uint16_t KX_BIT_FLAG_TRANSPARENT = 2;   // holds transparent pixels
// The picture holds samples in a layout the engine cannot convert or draw (16-bit PNG samples,
// gray with alpha), whatever its depth number says. Conversions and copies refuse it.
constexpr uint16_t KX_BIT_FLAG_FOREIGN = 0x8000;

// Copy options.
constexpr int KX_BIT_COPY_CENTER = 1;
constexpr int KX_BIT_COPY_SCALE = 2;
constexpr int KX_BIT_COPY_ASPECT = 4;         // with SCALE: one step for both directions;
                                              // with DOUBLE: scan lines (odd rows untouched)
constexpr int KX_BIT_COPY_DOUBLE = 8;
constexpr int KX_BIT_COPY_ASPECT_HEIGHT = 16; // with SCALE | ASPECT: step taken from the heights
constexpr int KX_BIT_COPY_SOFT = 128;         // never hand the copy to the 3D interface

// Load options.
constexpr int KX_BIT_LOAD_PALETTE = 1;   // attach colour tables (and gray palettes to gray PNGs)

// Bounds every reader holds a picture to.
constexpr int KX_BIT_MAX_SIDE = 16384;
constexpr size_t KX_BIT_MAX_BYTES = size_t(1) << 28;

// What the display module tells this module (kx_bit_display_set). Every field may stay zero:
// then there is no screen, no 3D interface, 16-bit pictures are 5-6-5 and nothing is reported.
struct KX_BIT_DISPLAY {
    int32_t report;                 // the display's report flag: alerts shown, buffers named
    KX_BITMAP *screen;              // the screen bitmap (copies to it may go to the 3D put)
    KX_PALETTE *screen_palette;     // used by palette pictures that have none
    // 16-bit display format: shift and width of each channel.
    int16_t red_shift, red_width, green_shift, green_width, blue_shift, blue_width;
    int32_t use_3d;                 // a 3D interface is installed and in use
    // 3D interface slots this module calls (null: not available).
    int (*put)(KX_BITMAP *bitmap, KX_RECT *dest, KX_RECT *src, int flags);
    int (*save)(const char *file_name, KX_RECT *rect);
    int (*free)(KX_BITMAP *bitmap);
    const char *vendor;             // driver vendor and renderer names, for the snapshot check
    const char *renderer;
};

// Error codes of the "Bitmap" module (texts: kx_bit_error_texts).
enum {
    KX_BIT_ERR_CONVERT_1 = 0,
    KX_BIT_ERR_CONVERT_4_NO_PALETTE,
    KX_BIT_ERR_CONVERT_4_16,
    KX_BIT_ERR_CONVERT_8_NO_PALETTE,
    KX_BIT_ERR_CONVERT_15_8,
    KX_BIT_ERR_CONVERT_24_8,
    KX_BIT_ERR_CONVERT_32_8,
    KX_BIT_ERR_CONVERT_INVALID_TARGET,
    KX_BIT_ERR_CONVERT_INVALID_SOURCE,
    KX_BIT_ERR_CONVERT_MEMORY,
    KX_BIT_ERR_ALLOC_DEPTH,
    KX_BIT_ERR_COPY_4,
    KX_BIT_ERR_COPY_UNKNOWN,
    KX_BIT_ERR_COPY_TRANSP_UNKNOWN,
    KX_BIT_ERR_RESIZE_BITMAP,
    KX_BIT_ERR_RESIZE_RECTS,
    KX_BIT_ERR_RESIZE_DEST,
    KX_BIT_ERR_RESIZE_SOURCE,
    KX_BIT_ERR_RESIZE_ALLOC,
    KX_BIT_ERR_PAL_TYPE,
    KX_BIT_ERR_TGA_FORMAT,
    KX_BIT_ERR_PCX_FORMAT,
    KX_BIT_ERR_SNAPSHOT_SGI,
    KX_BIT_ERR_SNAPSHOT_FULL,
    KX_BIT_ERR_COUNT
};
extern const char *const kx_bit_error_texts[KX_BIT_ERR_COUNT + 1];

// ---------------------------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------------------------

// settings: first word is the report flag (may be null). Registers "Bitmap" with kx_error.
int kx_bit_init(int32_t *settings);
// Empties the shared gray palettes and frees the scale line buffer (display shut-down).
int kx_bit_deinit();
// The display module hands over its screen, format and 3D slots; null clears them.
void kx_bit_display_set(const KX_BIT_DISPLAY *display);
const KX_BIT_DISPLAY *kx_bit_display_get();
// The full text of the last alert this module raised ("" when none yet); for tools and tests.
const char *kx_bit_message_get();

// ---------------------------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------------------------

int kx_bit_alloc(KX_BITMAP *bitmap, const KX_RECT *rect, int depth);
int kx_bit_alloc_at(const char *file, int line, KX_BITMAP *bitmap, const KX_RECT *rect, int depth);
void kx_bit_free(KX_BITMAP *bitmap);
// Bytes of one row and of the whole buffer at the bitmap's depth (0 for depths without a layout).
size_t kx_bit_row_bytes(int width, int depth);
size_t kx_bit_buffer_bytes(const KX_BITMAP *bitmap);

int kx_bit_convert(KX_BITMAP *bitmap, int target);
int kx_bit_convert_at(const char *file, int line, KX_BITMAP *bitmap, int target);

// dest/src rectangles may be null (whole bitmap). Result 1 drawn (or nothing to draw), 0 refused.
int kx_bit_copy(KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect, KX_RECT *src_rect, int options);
int kx_bit_copy_transp(KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect, KX_RECT *src_rect,
                       int options);
int kx_bit_copy_at(const char *file, int line, KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect,
                   KX_RECT *src_rect, int options);
int kx_bit_copy_transp_at(const char *file, int line, KX_BITMAP *dest, KX_BITMAP *src,
                          KX_RECT *dest_rect, KX_RECT *src_rect, int options);

int kx_bit_resize(KX_BITMAP *bitmap, KX_RECT *dest, KX_RECT *src, int options);

// ---------------------------------------------------------------------------------------------
// Palettes
// ---------------------------------------------------------------------------------------------

// options: 1 RGB (else RGBA); 4 gray ramp when there is no source.
KX_PALETTE *kx_pal_alloc(const KX_PALETTE *source, int count, int options);
KX_PALETTE *kx_pal_alloc_at(const char *file, int line, const KX_PALETTE *source, int count,
                            int options);
void kx_pal_free(KX_PALETTE *palette);
KX_PALETTE *kx_pal_grayscale_get(int count);
KX_PALETTE *kx_pal_load(const char *file_name);
// The last 768 bytes of a block as 256 RGB colours (null when shorter).
KX_PALETTE *kx_pal_decode(const uint8_t *data, size_t size);

// ---------------------------------------------------------------------------------------------
// Image files
// ---------------------------------------------------------------------------------------------

// The readers, as kx_bit_load chooses them by the name: the first of .PCX/.PCC, .PNG, .TGA,
// .JPG/.JPE/.JPEG found anywhere in it, any case.
enum KX_BIT_READER { KX_BIT_READER_NONE, KX_BIT_READER_PCX, KX_BIT_READER_PNG, KX_BIT_READER_TGA, KX_BIT_READER_JPEG };
KX_BIT_READER kx_bit_reader_of(const char *file_name);

// Chooses the reader by the name (kx_bit_reader_of).
int kx_bit_load(KX_BITMAP *bitmap, const char *file_name, int options);
int kx_bit_load_at(const char *file, int line, KX_BITMAP *bitmap, const char *file_name, int options);
int kx_bit_load_png(KX_BITMAP *bitmap, const char *file_name, int options);
int kx_bit_load_tga(KX_BITMAP *bitmap, const char *file_name, int options);
int kx_bit_load_pcx(KX_BITMAP *bitmap, const char *file_name, int options);
int kx_bit_load_jpeg(KX_BITMAP *bitmap, const char *file_name, int options);

// The same readers over a block in memory; name is only used in messages (may be null).
// Result 1 with the bitmap filled, or 0 with it cleared and nothing left allocated.
int kx_bit_decode_png(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options);
int kx_bit_decode_tga(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options,
                      const char *name);
int kx_bit_decode_pcx(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options,
                      const char *name);
int kx_bit_decode_jpeg(KX_BITMAP *bitmap, const uint8_t *data, size_t size, int options);

// Takes `count` finished rows of a width x height picture from row `y` down: 24-bit RGB, width x 3
// bytes a row, no padding. The bytes are only valid during the call. Returns 0 to stop.
typedef int (*KX_BIT_ROWS)(void *user, int width, int height, int y, int count, const uint8_t *rgb);
// The JPEG reader handing out the picture in bands from the top instead of building it whole;
// a file that carries every component in one scan (the usual kind) is decoded holding only a
// few rows. 1 when every row was handed out; 0 when the file is refused or `rows` stopped it,
// possibly after some rows.
int kx_bit_decode_jpeg_rows(const uint8_t *data, size_t size, KX_BIT_ROWS rows, void *user);

// Writes a picture (or the rectangle of it; null: all): 8 bits as PCX, every other depth as TGA,
// whatever the name says. With the 3D interface in use its save slot writes the screen instead.
int kx_bit_save(KX_BITMAP *bitmap, const char *file_name, KX_RECT *rect, int options);
// The file bytes kx_bit_save would write, in a kx_mem block the caller frees.
int kx_bit_encode(const KX_BITMAP *bitmap, const KX_RECT *rect, uint8_t **data, size_t *size);

// Saves the screen as the first free "Snap%04d.tga" (3D interface or display deeper than 8 bits)
// or "Snap%04d.pcx". screen: the picture to save (null: the display's screen bitmap);
// display_depth: the display's colour depth. 1 saved (with the 3D interface: asked for, written
// at the end of the frame), 0 not. The path it goes to is copied to `saved_name` when given.
int kx_bit_snapshot_save(KX_BITMAP *screen, int display_depth, char *saved_name = nullptr, size_t name_size = 0);
