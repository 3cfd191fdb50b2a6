// gen_bit: OpenGL textures for the engine's pictures. The registry of every texture the back end
// made (so that all can go at once), the texture memory count, the binding cache, and the
// drawing of KX_BITMAPs as one texture or as a tile set.
#pragma once

#include <cstdint>

struct KX_BITMAP;
struct KX_RECT;

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// put flags.
enum : int {
    GEN_PUT_STRETCH = 0x2,        // tile sets: scale by destination size / source size
    GEN_PUT_FADE = 0x40,          // blend with the global transparency level
    GEN_PUT_TRANSPARENT = 0x100,  // alpha test: transparent pixels are not drawn
    GEN_PUT_MIRROR_Y = 0x200,     // texture reversed top to bottom
    GEN_PUT_MIRROR_X = 0x400,     // texture reversed left to right
};

constexpr int GEN_TEXTURE_SIDE_MAX = 256;   // largest bitmap drawn as a single texture

// Shared textures up to GEN_ATLAS_TEXTURE_MAX on a side share pages of GEN_ATLAS_PAGE texels
// (gen_bit_atlas.cpp); their names have GEN_TEXTURE_PACKED set and are no OpenGL names.
constexpr int GEN_ATLAS_PAGE = 1024;
constexpr int GEN_ATLAS_TEXTURE_MAX = 256;
constexpr uint32_t GEN_TEXTURE_PACKED = 0x40000000u;

// Texture filters of gen_texture_create. A shared filtered texture small enough goes to a page
// of the atlas with others (see below): with a transparent texel around it (its edges fade out,
// as a sprite's should), or with its own edge texels around it (filtered as a texture of its own
// clamped to its edges is: a world's faces, which meet edge to edge).
enum : int {
    GEN_FILTER_NEAREST = 0,
    GEN_FILTER_LINEAR = 1,
    GEN_FILTER_LINEAR_SHARED = 2,
    GEN_FILTER_LINEAR_SHARED_EDGE = 3,
    // Filtered, of its own, repeated across (s) and clamped down (t): a face's picture drawn as
    // one quad over a run of cells.
    GEN_FILTER_LINEAR_WRAP_S = 4,
};

// ---------------------------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------------------------

// 1 when a context is current, so that GL calls are allowed.
int gen_gl_ready();

// Makes a registered 2D texture from width x height RGBA bytes (rows top first) and counts its
// bytes. width and height must be powers of two. Returns 1 with the name in *texture, 0 when
// there is no context or the driver refused.
int gen_texture_create(const uint8_t *rgba, int width, int height, int filter, uint32_t *texture);
// An OpenGL texture of its own from width x height RGBA bytes, filtered or not, clamped (or
// repeated across with `wrap_s`); not registered. Its name, or 0 when the driver refused.
uint32_t gen_texture_gl_make(const uint8_t *rgba, int width, int height, int linear, int wrap_s = 0);
// Loads new pixels of the same size into a registered texture.
int gen_texture_reload(uint32_t texture, const uint8_t *rgba, int width, int height);
// Deletes a registered texture and lowers the memory count; 0 when it is not a live one.
int gen_texture_delete(uint32_t texture);
// Deletes every live texture (back end shut-down).
void gen_texture_delete_all();
int gen_texture_live(uint32_t texture);
int gen_texture_live_count();
// 1 when every pixel a live texture gives is fully opaque: all alpha 255, and nothing transparent
// filtered in at its edges. Drawn at colour alpha 1, it hides what lies below it.
int gen_texture_opaque(uint32_t texture);

// Bytes held in textures now and at the peak ("TextureRamCurrent", "TextureRamMax").
long gen_texture_ram_current();
long gen_texture_ram_max();

// Where a texture is drawn from: the OpenGL texture, and its part of it as texture coordinates
// (s0, t0, s1, t1; 0, 0, 1, 1 for a texture of its own). 0 when it is not a live texture.
int gen_texture_place(uint32_t texture, uint32_t *gl_texture, float part[4]);

// The part of a texture (s0, t0, s1, t1 in its own 0..1 coordinates) outside which every sample
// is fully transparent, filtering included: drawing only that part of a blended or alpha-tested
// picture changes no pixel. An empty part (s0 = s1) for a texture with nothing visible. 0 when
// it is not a live texture.
int gen_texture_bounds(uint32_t texture, float part[4]);

// The part of a texture (s0, t0, s1, t1 in its own 0..1 coordinates) inside which every sample
// is one colour, filtering included, and that colour (0..1): a sprite drawn stretched may fill
// that part with the colour alone, which the rasteriser draws for about half the cost of sampling
// it. 0 when there is none (no four texels a side of the centre's colour) or it is not a live
// texture.
int gen_texture_core(uint32_t texture, float part[4], float rgba[4]);

// Pages (gen_bit_atlas.cpp): a place of width x height texels (a transparent texel around it
// kept free) in a page, made when none has room; 0 when it does not fit a page or no page can
// be made. Releasing the last place of a page deletes the page.
int gen_atlas_place(int width, int height, uint32_t *page, int *x, int *y);
void gen_atlas_release(uint32_t page);
int gen_atlas_page_count();

// Binds `texture` to `target` unless that pair is bound already. Returns 1 when a bind was
// issued, 0 when the cache saved it.
int bind_texture(uint32_t target, uint32_t texture);
// Forgets the cached pair (after anything that may have changed the binding behind our back).
void reset_texture_binding();
// Binds issued since start, for tests and statistics.
long gen_texture_bind_count();

// ---------------------------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------------------------

// The global transparency level (0-100) used by GEN_PUT_FADE.
void gen_bit_transparency_set(int level);
int gen_bit_transparency_get();
// Destination coordinates of put are multiplied by these (1.0, 1.0 at start).
void gen_bit_display_scale_set(float x, float y);

// 1 when the bitmap is drawn as one texture (both sides powers of two, at most 256).
int gen_bit_single_texture(const KX_BITMAP *bitmap);
// The 3D put: draws `src` (null: the whole bitmap) of `bitmap` into `dest` (null: at 0, 0, same
// size). 1 drawn, 0 when the bitmap cannot become a texture.
int gen_wrap_bitmap_put(KX_BITMAP *bitmap, KX_RECT *dest, KX_RECT *src, int flags);
// The 3D free: drops the bitmap's texture or tile set.
int gen_wrap_bitmap_free(KX_BITMAP *bitmap);
// Number of textures in the bitmap's tile set (0 when it has none).
int gen_bit_tile_count(const KX_BITMAP *bitmap);
