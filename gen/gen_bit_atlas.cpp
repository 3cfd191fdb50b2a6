// gen_bit atlas: pages that small filtered textures share. A software renderer pays for every
// change of texture between two draws; letters, sprites and particles drawn one after another
// from one page need none. Each texture keeps a transparent border of one texel in its page, so
// that filtering at its edges mixes in the same transparent black as clamping a texture of its
// own does. Places are filled in shelves and not reused: a page goes once all its textures went.
#include "gen/gen_bit.h"

#include "kx/kx_mem/kx_mem.h"

#include <GL/gl.h>


// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

namespace {

struct GEN_PAGE {
    uint32_t texture;     // 0: a free slot
    int shelf_x, shelf_y, shelf_h;
    int textures;         // textures placed and not yet released
};

constexpr int PAGES_MAX = 16;

GEN_PAGE gen_pages[PAGES_MAX];

// A page, transparent black all over.
bool page_make(GEN_PAGE *p)
{
    uint8_t *clear = static_cast<uint8_t *>(kx_mem_calloc(static_cast<size_t>(GEN_ATLAS_PAGE) * GEN_ATLAS_PAGE, 4));
    if (!clear) return false;
    const uint32_t name = gen_texture_gl_make(clear, GEN_ATLAS_PAGE, GEN_ATLAS_PAGE, 1);
    kx_mem_free(clear);
    if (!name) return false;
    *p = {name, 0, 0, 0, 0};
    return true;
}

// A place of w x h texels in the page's current shelf, or a new shelf below it.
bool page_fit(GEN_PAGE *p, int w, int h, int *x, int *y)
{
    if (p->shelf_x + w > GEN_ATLAS_PAGE) {
        p->shelf_y += p->shelf_h;
        p->shelf_x = p->shelf_h = 0;
    }
    if (p->shelf_y + h > GEN_ATLAS_PAGE || w > GEN_ATLAS_PAGE) return false;
    *x = p->shelf_x;
    *y = p->shelf_y;
    p->shelf_x += w;
    if (h > p->shelf_h) p->shelf_h = h;
    p->textures++;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int gen_atlas_place(int width, int height, uint32_t *page, int *x, int *y)
{
    const int w = width + 2, h = height + 2;
    if (width <= 0 || height <= 0 || width > GEN_ATLAS_TEXTURE_MAX || height > GEN_ATLAS_TEXTURE_MAX) return 0;
    for (GEN_PAGE &p : gen_pages)
        if (p.texture && page_fit(&p, w, h, x, y)) {
            *page = p.texture;
            ++*x, ++*y;
            return 1;
        }
    for (GEN_PAGE &p : gen_pages)
        if (!p.texture && page_make(&p) && page_fit(&p, w, h, x, y)) {
            *page = p.texture;
            ++*x, ++*y;
            return 1;
        }
    return 0;
}

void gen_atlas_release(uint32_t page)
{
    for (GEN_PAGE &p : gen_pages) {
        if (p.texture != page || --p.textures > 0) continue;
        GLuint name = p.texture;
        if (gen_gl_ready()) glDeleteTextures(1, &name);
        reset_texture_binding();
        p = GEN_PAGE{};
    }
}

int gen_atlas_page_count()
{
    int n = 0;
    for (const GEN_PAGE &p : gen_pages) n += p.texture != 0;
    return n;
}
