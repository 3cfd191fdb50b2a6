// kx_bit allocation and release of pictures.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static int kx_bit_alloc_named(KX_BITMAP *bitmap, const KX_RECT *rect, int depth, const char *name)
{
    if (!bitmap || !rect) return 0;
    *bitmap = KX_BITMAP{};
    if (rect->width < 1 || rect->height < 1) return 0;
    size_t pixels = size_t(rect->width) * size_t(rect->height);
    size_t bytes;
    switch (depth) {
    case 0:
    case 8: bytes = pixels; break;
    case 4: bytes = (size_t(rect->width) + 1) / 2 * size_t(rect->height); break;
    case 15:
    case 16: bytes = pixels * 2; break;
    case 24: bytes = pixels * 3; break;
    case 32: bytes = pixels * 4; break;
    default:
        kx_bit_alert(KX_BIT_ERR_ALLOC_DEPTH);
        bytes = pixels;
        break;
    }
    bitmap->pixels = static_cast<uint8_t *>(kx_mem_calloc(1, bytes));
    if (!bitmap->pixels) return 0;
    if (name) kx_mem_name(bitmap->pixels, name);
    bitmap->x = rect->x;
    bitmap->y = rect->y;
    bitmap->width = rect->width;
    bitmap->height = rect->height;
    bitmap->depth = int16_t(depth);
    return 1;
}

int kx_bit_alloc(KX_BITMAP *bitmap, const KX_RECT *rect, int depth)
{
    return kx_bit_alloc_named(bitmap, rect, depth, kx_bit_report() ? "KX_DSP bit_alloc bitmap buffer" : nullptr);
}

int kx_bit_alloc_at(const char *file, int line, KX_BITMAP *bitmap, const KX_RECT *rect, int depth)
{
    char name[300];
    if (rect)
        std::snprintf(name, sizeof name, "%dx%dx%d file %s, line %d", rect->width, rect->height, depth,
                      file, line);
    return kx_bit_alloc_named(bitmap, rect, depth, rect ? name : nullptr);
}

void kx_bit_free(KX_BITMAP *bitmap)
{
    if (!bitmap) return;
    const KX_BIT_DISPLAY &d = kx_bit_state.display;
    if ((bitmap->texture || bitmap->tiles) && d.free) d.free(bitmap);
    if (bitmap->palette) kx_pal_free(bitmap->palette);
    if (bitmap->pixels) kx_mem_free(bitmap->pixels);
    *bitmap = KX_BITMAP{};
}
