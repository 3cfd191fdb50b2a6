// gen_bit put and free: a KX_BITMAP drawn on the screen through OpenGL. Bitmaps whose sides are
// powers of two up to 256 become one texture; any other is cut into a tile set of textures of
// at most 256 x 256. Both are made on the first draw and kept with the bitmap until it is freed.
#include "gen/gen_bit.h"

#include "gen/gen_queue.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_mem/kx_mem.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

namespace {

// A bitmap cut into columns x rows textures of tile_w x tile_h pixels, left to right, top to
// bottom. Tiles on the right and bottom edges are padded; the padding is never sampled.
struct GEN_TILESET {
    int16_t tile_w, tile_h;
    int16_t columns, rows;
    uint8_t transparent;   // built keeping the alpha channel
    uint32_t *textures;
};

struct GEN_BIT {
    int transparency;      // 0-100
    float scale_x, scale_y;
};

GEN_BIT gen_bit = {0, 1.0f, 1.0f};

struct QUAD {
    float x0, y0, x1, y1;   // screen
    float s0, t0, s1, t1;   // texture
};

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

bool power_of_two(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

int round_up_power_of_two(int n)
{
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

// The bitmap as 32-bit RGBA, magenta (or the transparent index) becoming alpha 0.
bool make_32(KX_BITMAP *bitmap)
{
    if (!bitmap->pixels || bitmap->width <= 0 || bitmap->height <= 0) return false;
    if (bitmap->flags & KX_BIT_FLAG_FOREIGN) return false;
    if (bitmap->depth == KX_BIT_BPP32) return true;
    return kx_bit_convert(bitmap, KX_BIT_BPP32 | KX_BIT_ALPHA_KEY) == 1;
}

// The colour alpha and the blending of a put: faded with the global transparency level,
// transparent pixels left out, or blended.
float put_alpha(int flags)
{
    if ((flags & GEN_PUT_FADE) && gen_bit.transparency >= 1) return static_cast<float>(100 - gen_bit.transparency) / 100.0f;
    return 1.0f;
}

uint32_t put_blend(int flags)
{
    bool faded = (flags & GEN_PUT_FADE) && gen_bit.transparency >= 1;
    return !faded && (flags & GEN_PUT_TRANSPARENT) ? GEN_BLEND_KEYED : GEN_BLEND_ALPHA;
}

// One textured rectangle, as a strip of two triangles.
void quad_draw(uint32_t texture, QUAD q, int flags)
{
    if (flags & GEN_PUT_MIRROR_X) std::swap(q.s0, q.s1);
    if (flags & GEN_PUT_MIRROR_Y) std::swap(q.t0, q.t1);
    q.x0 *= gen_bit.scale_x;
    q.x1 *= gen_bit.scale_x;
    q.y0 *= gen_bit.scale_y;
    q.y1 *= gen_bit.scale_y;
    const float a = put_alpha(flags);
    GEN_VERTEX *v = gen_queue_add(GL_TRIANGLE_STRIP, texture, {1.0f, 1.0f, 1.0f, a},
                                  gen_queue_blend(texture, a, put_blend(flags)), GEN_SPACE_PICTURE, 4);
    if (!v) return;
    v[0] = {q.x0, q.y0, 0.0f, 1.0f, q.s0, q.t0};
    v[1] = {q.x1, q.y0, 0.0f, 1.0f, q.s1, q.t0};
    v[2] = {q.x0, q.y1, 0.0f, 1.0f, q.s0, q.t1};
    v[3] = {q.x1, q.y1, 0.0f, 1.0f, q.s1, q.t1};
}

// ---------------------------------------------------------------------------------------------
// One texture
// ---------------------------------------------------------------------------------------------

bool single_ready(KX_BITMAP *bitmap)
{
    bool live = bitmap->texture && gen_texture_live(bitmap->texture);
    if (live && !bitmap->modified) return true;
    if (!make_32(bitmap)) return false;
    if (live && gen_texture_reload(bitmap->texture, bitmap->pixels, bitmap->width, bitmap->height)) {
        bitmap->modified = 0;
        return true;
    }
    if (live) gen_texture_delete(bitmap->texture);
    bitmap->texture = 0;
    uint32_t name = 0;
    if (!gen_texture_create(bitmap->pixels, bitmap->width, bitmap->height, GEN_FILTER_NEAREST, &name)) return false;
    bitmap->texture = name;
    bitmap->modified = 0;
    return true;
}

int single_put(KX_BITMAP *bitmap, const KX_RECT &dest, const KX_RECT &src, int flags)
{
    if (!single_ready(bitmap)) return 0;
    float w = bitmap->width, h = bitmap->height;
    QUAD q = {float(dest.x), float(dest.y), float(dest.x + dest.width), float(dest.y + dest.height),
              src.x / w, src.y / h, (src.x + src.width) / w, (src.y + src.height) / h};
    quad_draw(bitmap->texture, q, flags);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Tile sets
// ---------------------------------------------------------------------------------------------

void tileset_free(KX_BITMAP *bitmap)
{
    GEN_TILESET *set = static_cast<GEN_TILESET *>(bitmap->tiles);
    if (!set) return;
    for (int i = 0; i < set->columns * set->rows; i++) gen_texture_delete(set->textures[i]);
    kx_mem_free(set->textures);
    kx_mem_free(set);
    bitmap->tiles = nullptr;
}

// Copies one tile of a 32-bit bitmap into `buffer` (tile_w x tile_h), padding with zeros;
// without transparency every alpha becomes opaque, the padding's too (it is never sampled), so
// that the tile is drawn without blending.
void tile_copy(const KX_BITMAP *bitmap, const GEN_TILESET *set, int column, int row, uint8_t *buffer)
{
    const size_t bytes = static_cast<size_t>(set->tile_w) * set->tile_h * 4;
    std::memset(buffer, 0, bytes);
    if (!set->transparent)
        for (size_t i = 3; i < bytes; i += 4) buffer[i] = 255;
    int x0 = column * set->tile_w, y0 = row * set->tile_h;
    int w = std::min<int>(set->tile_w, bitmap->width - x0);
    int h = std::min<int>(set->tile_h, bitmap->height - y0);
    for (int y = 0; y < h; y++) {
        const uint8_t *from = bitmap->pixels + (static_cast<size_t>(y0 + y) * bitmap->width + x0) * 4;
        uint8_t *to = buffer + static_cast<size_t>(y) * set->tile_w * 4;
        std::memcpy(to, from, static_cast<size_t>(w) * 4);
        if (!set->transparent)
            for (int x = 0; x < w; x++) to[x * 4 + 3] = 255;
    }
}

bool tileset_build(KX_BITMAP *bitmap, bool transparent)
{
    if (!make_32(bitmap)) return false;
    GEN_TILESET *set = static_cast<GEN_TILESET *>(kx_mem_calloc(1, sizeof(GEN_TILESET)));
    if (!set) return false;
    kx_mem_name(set, "gen tile set");
    set->tile_w = static_cast<int16_t>(std::min(GEN_TEXTURE_SIDE_MAX, round_up_power_of_two(bitmap->width)));
    set->tile_h = static_cast<int16_t>(std::min(GEN_TEXTURE_SIDE_MAX, round_up_power_of_two(bitmap->height)));
    set->columns = static_cast<int16_t>((bitmap->width + set->tile_w - 1) / set->tile_w);
    set->rows = static_cast<int16_t>((bitmap->height + set->tile_h - 1) / set->tile_h);
    set->transparent = transparent;
    size_t count = static_cast<size_t>(set->columns) * set->rows;
    set->textures = static_cast<uint32_t *>(kx_mem_calloc(count, sizeof(uint32_t)));
    uint8_t *buffer = static_cast<uint8_t *>(kx_mem_malloc(static_cast<size_t>(set->tile_w) * set->tile_h * 4));
    bitmap->tiles = set;
    bool ok = set->textures && buffer;
    if (set->textures) kx_mem_name(set->textures, "gen tile set textures");
    for (int r = 0; ok && r < set->rows; r++)
        for (int c = 0; ok && c < set->columns; c++) {
            tile_copy(bitmap, set, c, r, buffer);
            ok = gen_texture_create(buffer, set->tile_w, set->tile_h, GEN_FILTER_NEAREST,
                                    &set->textures[r * set->columns + c]) == 1;
        }
    kx_mem_free(buffer);
    if (!ok) {
        if (!set->textures) set->columns = set->rows = 0;
        tileset_free(bitmap);
        return false;
    }
    bitmap->modified = 0;
    return true;
}

int tileset_put(KX_BITMAP *bitmap, const KX_RECT &dest, KX_RECT src, int flags)
{
    if (bitmap->tiles && bitmap->modified) tileset_free(bitmap);
    if (!bitmap->tiles && !tileset_build(bitmap, flags & (GEN_PUT_FADE | GEN_PUT_TRANSPARENT))) return 0;
    const GEN_TILESET *set = static_cast<const GEN_TILESET *>(bitmap->tiles);
    if (src.width <= 0 || src.height <= 0) return 1;
    float sx = 1.0f, sy = 1.0f;
    if (flags & GEN_PUT_STRETCH) {
        sx = static_cast<float>(dest.width) / src.width;
        sy = static_cast<float>(dest.height) / src.height;
    }
    int x0 = std::max<int>(0, src.x), x1 = std::min<int>(bitmap->width, src.x + src.width);
    int y0 = std::max<int>(0, src.y), y1 = std::min<int>(bitmap->height, src.y + src.height);
    for (int r = 0; r < set->rows; r++) {
        int ty0 = r * set->tile_h;
        int iy0 = std::max(y0, ty0), iy1 = std::min(y1, ty0 + set->tile_h);
        if (iy0 >= iy1) continue;
        for (int c = 0; c < set->columns; c++) {
            int tx0 = c * set->tile_w;
            int ix0 = std::max(x0, tx0), ix1 = std::min(x1, tx0 + set->tile_w);
            if (ix0 >= ix1) continue;
            // Offsets inside the source rectangle; a mirror takes them from the other side.
            int ox0 = ix0 - src.x, ox1 = ix1 - src.x, oy0 = iy0 - src.y, oy1 = iy1 - src.y;
            if (flags & GEN_PUT_MIRROR_X) {
                std::swap(ox0, ox1);
                ox0 = src.width - ox0;
                ox1 = src.width - ox1;
            }
            if (flags & GEN_PUT_MIRROR_Y) {
                std::swap(oy0, oy1);
                oy0 = src.height - oy0;
                oy1 = src.height - oy1;
            }
            QUAD q = {dest.x + ox0 * sx,
                      dest.y + oy0 * sy,
                      dest.x + ox1 * sx,
                      dest.y + oy1 * sy,
                      static_cast<float>(ix0 - tx0) / set->tile_w,
                      static_cast<float>(iy0 - ty0) / set->tile_h,
                      static_cast<float>(ix1 - tx0) / set->tile_w,
                      static_cast<float>(iy1 - ty0) / set->tile_h};
            quad_draw(set->textures[r * set->columns + c], q, flags);
        }
    }
    return 1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void gen_bit_transparency_set(int level)
{
    gen_bit.transparency = std::clamp(level, 0, 100);
}

int gen_bit_transparency_get()
{
    return gen_bit.transparency;
}

void gen_bit_display_scale_set(float x, float y)
{
    gen_bit.scale_x = x;
    gen_bit.scale_y = y;
}

int gen_bit_single_texture(const KX_BITMAP *bitmap)
{
    return bitmap && power_of_two(bitmap->width) && power_of_two(bitmap->height) &&
           bitmap->width <= GEN_TEXTURE_SIDE_MAX && bitmap->height <= GEN_TEXTURE_SIDE_MAX;
}

int gen_wrap_bitmap_put(KX_BITMAP *bitmap, KX_RECT *dest, KX_RECT *src, int flags)
{
    if (!bitmap || !gen_gl_ready()) return 0;
    KX_RECT s = src ? *src : KX_RECT{0, 0, bitmap->width, bitmap->height};
    KX_RECT d = dest ? *dest : KX_RECT{0, 0, s.width, s.height};
    if (gen_bit_single_texture(bitmap)) return single_put(bitmap, d, s, flags);
    return tileset_put(bitmap, d, s, flags);
}

int gen_wrap_bitmap_free(KX_BITMAP *bitmap)
{
    if (!bitmap) return 0;
    if (bitmap->texture) gen_texture_delete(bitmap->texture);
    bitmap->texture = 0;
    tileset_free(bitmap);
    return 1;
}

int gen_bit_tile_count(const KX_BITMAP *bitmap)
{
    const GEN_TILESET *set = bitmap ? static_cast<const GEN_TILESET *>(bitmap->tiles) : nullptr;
    return set ? set->columns * set->rows : 0;
}
