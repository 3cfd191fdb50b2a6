// load_texture: an image file of the world becomes an OpenGL texture. The picture is scaled to
// sides that are powers of two (as OpenGL 1.1 wants), its transparent colour becoming alpha 0.
#include "world/world.h"

#include "gen/gen_bit.h"
#include "kx/kx_mem/kx_mem.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int TEXTURE_SIDE_MAX = 1024;

int texture_side(int n)
{
    int p = 1;
    while (p < n && p < TEXTURE_SIDE_MAX) p <<= 1;
    return p;
}

// Nearest-pixel scaling of 32-bit pixels into a new kx_mem block.
uint8_t *scale_rgba(const uint8_t *pixels, int width, int height, int to_w, int to_h)
{
    uint8_t *out = static_cast<uint8_t *>(kx_mem_malloc(static_cast<size_t>(to_w) * to_h * 4));
    if (!out) return nullptr;
    for (int y = 0; y < to_h; y++) {
        int sy = static_cast<int>(static_cast<long long>(y) * height / to_h);
        for (int x = 0; x < to_w; x++) {
            int sx = static_cast<int>(static_cast<long long>(x) * width / to_w);
            const uint8_t *from = pixels + (static_cast<size_t>(sy) * width + sx) * 4;
            std::copy(from, from + 4, out + (static_cast<size_t>(y) * to_w + x) * 4);
        }
    }
    return out;
}

// Whether the left and right edge columns of a 32-bit picture are the same, texel for texel.
bool sides_match(const uint8_t *pixels, int width, int height)
{
    for (int y = 0; y < height; y++) {
        const uint8_t *row = pixels + static_cast<size_t>(y) * width * 4;
        if (!std::equal(row, row + 4, row + static_cast<size_t>(width - 1) * 4)) return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int load_texture(uint32_t *texture, const char *file_name, int flag, WORLD_TEXTURE_INFO *info, int shared, uint32_t *run)
{
    if (texture) *texture = 0;
    if (run) *run = 0;
    if (!file_name) return 0;
    KX_BITMAP picture{};
    if (!kx_bit_load(&picture, file_name, flag)) return 0;
    bool ok = picture.width > 0 && picture.height > 0 &&
              (picture.depth == KX_BIT_BPP32 || kx_bit_convert(&picture, KX_BIT_BPP32 | KX_BIT_ALPHA_KEY) == 1);
    int tw = texture_side(picture.width), th = texture_side(picture.height);
    if (ok && info) *info = {static_cast<int16_t>(tw), static_cast<int16_t>(th), picture.width, picture.height};
    // Without a context (a tool that only checks files) the sizes are all there is to know.
    if (ok && gen_gl_ready()) {
        uint8_t *pixels = picture.pixels;
        if (tw != picture.width || th != picture.height) pixels = scale_rgba(picture.pixels, picture.width, picture.height, tw, th);
        uint32_t name = 0;
        ok = pixels && gen_texture_create(pixels, tw, th, shared ? GEN_FILTER_LINEAR_SHARED : GEN_FILTER_LINEAR_SHARED_EDGE, &name);
        if (ok && run && !shared && tw > 1 && sides_match(pixels, tw, th) &&
            !gen_texture_create(pixels, tw, th, GEN_FILTER_LINEAR_WRAP_S, run))
            *run = 0;
        if (pixels && pixels != picture.pixels) kx_mem_free(pixels);
        if (ok && texture) *texture = name;
    }
    kx_bit_free(&picture);
    return ok ? 1 : 0;
}
