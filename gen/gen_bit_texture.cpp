// gen_bit textures: the registry of the back end's textures (small filtered ones placed in the
// atlas pages), the texture memory count, which of them have no transparent pixel, and the
// binding cache.
#include "gen/gen_bit.h"

#include "gen/gen_queue.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_gl.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

namespace {

struct GEN_TEXTURE {
    uint32_t name;
    long bytes;
    uint8_t live;
    uint8_t linear;   // filtered
    uint8_t edge;     // in a page, ringed by its own edge texels instead of transparent ones
    uint8_t opaque;   // a texture in a page opaque all over (those of its own are in the name table)
    uint32_t page;    // the atlas page holding it (0: an OpenGL texture of its own)
    int16_t x, y, width, height;   // its place in the page
    float bounds[4];  // the part outside which every sample is transparent (see gen_texture_bounds)
    float core[4];    // the part inside which every sample is core_color (see gen_texture_core)
    uint8_t core_color[4];
};

struct GEN_TEXTURES {
    GEN_TEXTURE *entries;
    int count, capacity;
    int live;
    long ram_current, ram_max;
    uint32_t bound_target, bound_texture;
    bool bound;
    long binds;
    // By texture name: 1 for those opaque all over (see opacity). The drivers hand out small names.
    uint8_t *opaque;
    uint32_t opaque_size;
    uint32_t packed_serial;   // tells apart the names of packed textures in one registry slot
};

GEN_TEXTURES gen_textures;

// A packed texture's name: GEN_TEXTURE_PACKED, a serial number and its registry slot.
constexpr uint32_t PACKED_SLOT_BITS = 16;

GEN_TEXTURE *find(uint32_t name)
{
    if (name & GEN_TEXTURE_PACKED) {
        uint32_t i = name & ((1u << PACKED_SLOT_BITS) - 1);
        GEN_TEXTURE *e = i < static_cast<uint32_t>(gen_textures.count) ? &gen_textures.entries[i] : nullptr;
        return e && e->live && e->name == name ? e : nullptr;
    }
    for (int i = 0; i < gen_textures.count; i++)
        if (gen_textures.entries[i].live && gen_textures.entries[i].name == name) return &gen_textures.entries[i];
    return nullptr;
}

// Loads a texture's pixels into its place in its page; one ringed by its edge texels gets the
// ring as well. False when there is no memory for the ringed copy.
bool packed_upload(const GEN_TEXTURE &entry, const uint8_t *rgba)
{
    const int width = entry.width, height = entry.height;
    bind_texture(GL_TEXTURE_2D, entry.page);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (!entry.edge) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, entry.x, entry.y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return true;
    }
    const int w = width + 2, h = height + 2;
    uint8_t *ringed = static_cast<uint8_t *>(kx_mem_malloc(static_cast<size_t>(w) * h * 4));
    if (!ringed) return false;
    for (int y = 0; y < h; y++) {
        const int sy = std::clamp(y - 1, 0, height - 1);
        for (int x = 0; x < w; x++) {
            const int sx = std::clamp(x - 1, 0, width - 1);
            std::copy_n(rgba + (static_cast<size_t>(sy) * width + sx) * 4, 4, ringed + (static_cast<size_t>(y) * w + x) * 4);
        }
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, entry.x - 1, entry.y - 1, w, h, GL_RGBA, GL_UNSIGNED_BYTE, ringed);
    kx_mem_free(ringed);
    return true;
}

// Places a filtered texture in an atlas page; false when it takes a texture of its own.
bool packed_create(GEN_TEXTURE *entry, const uint8_t *rgba, int width, int height, bool edge)
{
    const uint32_t index = static_cast<uint32_t>(entry - gen_textures.entries);
    if (index >= (1u << PACKED_SLOT_BITS)) return false;
    uint32_t page = 0;
    int x = 0, y = 0;
    if (!gen_atlas_place(width, height, &page, &x, &y)) return false;
    entry->page = page;
    entry->edge = edge;
    entry->x = static_cast<int16_t>(x), entry->y = static_cast<int16_t>(y);
    entry->width = static_cast<int16_t>(width), entry->height = static_cast<int16_t>(height);
    if (!packed_upload(*entry, rgba)) {
        gen_atlas_release(page);
        return false;
    }
    gen_textures.packed_serial = (gen_textures.packed_serial + 1) & 0x3FFF;
    entry->name = GEN_TEXTURE_PACKED | gen_textures.packed_serial << PACKED_SLOT_BITS | index;
    return true;
}

// A slot for a new entry: a dead one if any, else the end of the table (grown by doubling).
GEN_TEXTURE *slot()
{
    for (int i = 0; i < gen_textures.count; i++)
        if (!gen_textures.entries[i].live) return &gen_textures.entries[i];
    if (gen_textures.count == gen_textures.capacity) {
        int capacity = gen_textures.capacity ? gen_textures.capacity * 2 : 64;
        void *grown = kx_mem_realloc(gen_textures.entries, sizeof(GEN_TEXTURE) * static_cast<size_t>(capacity));
        if (!grown) return nullptr;
        gen_textures.entries = static_cast<GEN_TEXTURE *>(grown);
        gen_textures.capacity = capacity;
        kx_mem_name(grown, "gen texture registry");
    }
    return &gen_textures.entries[gen_textures.count++];
}

bool power_of_two(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

constexpr uint32_t OPAQUE_NAMES_MAX = 1u << 20;

// 1 when every pixel drawn with a texture is fully opaque: every texel has alpha 255, and none
// is filtered with a transparent one at its edges (textures of their own clamp to their edge
// texels; one filtered in a page ringed by transparent texels fades at its edges).
uint8_t opacity(const uint8_t *rgba, int width, int height, bool faded_edges)
{
    if (faded_edges) return 0;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < n; i++)
        if (rgba[i * 4 + 3] != 255) return 0;
    return 1;
}

// The part of a texture (s0, t0, s1, t1) outside which every texel it gives is fully transparent,
// filtering included: the texels of alpha above 0, widened by one texel on each side for the
// filter's reach. Nothing visible gives an empty part.
void bounds_find(const uint8_t *rgba, int width, int height, float bounds[4])
{
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; y++) {
        const uint8_t *row = rgba + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; x++)
            if (row[x * 4 + 3]) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    }
    if (x1 < 0) {
        bounds[0] = bounds[1] = bounds[2] = bounds[3] = 0.0f;
        return;
    }
    bounds[0] = static_cast<float>(std::max(x0 - 1, 0)) / width;
    bounds[1] = static_cast<float>(std::max(y0 - 1, 0)) / height;
    bounds[2] = static_cast<float>(std::min(x1 + 2, width)) / width;
    bounds[3] = static_cast<float>(std::min(y1 + 2, height)) / height;
}

// Whether the texels from x0, y0 to x1, y1 (inclusive) are all `color`.
bool texels_are(const uint8_t *rgba, int width, int x0, int y0, int x1, int y1, uint32_t color)
{
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            if (std::memcmp(rgba + (static_cast<size_t>(y) * width + x) * 4, &color, 4) != 0) return false;
    return true;
}

// The rectangle of texels of the centre texel's colour grown from the centre while a whole new row
// or column joins it, as the part (s0, t0, s1, t1) where the filter reads that colour alone: half
// a texel inside it. Nothing for a centre without at least CORE_MIN texels of one colour a side.
void core_find(const uint8_t *rgba, int width, int height, float core[4], uint8_t color[4])
{
    constexpr int CORE_MIN = 4;
    std::fill(core, core + 4, 0.0f);
    if (width < CORE_MIN || height < CORE_MIN) return;
    int x0 = width / 2, y0 = height / 2, x1 = x0, y1 = y0;
    uint32_t c;
    std::memcpy(&c, rgba + (static_cast<size_t>(y0) * width + x0) * 4, 4);
    for (bool grew = true; grew;) {
        grew = false;
        if (x0 > 0 && texels_are(rgba, width, x0 - 1, y0, x0 - 1, y1, c)) x0--, grew = true;
        if (x1 + 1 < width && texels_are(rgba, width, x1 + 1, y0, x1 + 1, y1, c)) x1++, grew = true;
        if (y0 > 0 && texels_are(rgba, width, x0, y0 - 1, x1, y0 - 1, c)) y0--, grew = true;
        if (y1 + 1 < height && texels_are(rgba, width, x0, y1 + 1, x1, y1 + 1, c)) y1++, grew = true;
    }
    if (x1 - x0 + 1 < CORE_MIN || y1 - y0 + 1 < CORE_MIN) return;
    core[0] = (x0 + 0.5f) / width, core[1] = (y0 + 0.5f) / height;
    core[2] = (x1 + 0.5f) / width, core[3] = (y1 + 0.5f) / height;
    std::memcpy(color, &c, 4);
}

// Notes how opaque a texture is. Names too large for the table count as not opaque.
void opaque_set(uint32_t name, uint8_t opaque)
{
    if (name >= gen_textures.opaque_size) {
        if (!opaque || name >= OPAQUE_NAMES_MAX) return;
        uint32_t size = gen_textures.opaque_size ? gen_textures.opaque_size : 256;
        while (size <= name) size *= 2;
        void *grown = kx_mem_realloc(gen_textures.opaque, size);
        if (!grown) return;
        kx_mem_name(grown, "gen opaque textures");
        gen_textures.opaque = static_cast<uint8_t *>(grown);
        std::fill(gen_textures.opaque + gen_textures.opaque_size, gen_textures.opaque + size, uint8_t{0});
        gen_textures.opaque_size = size;
    }
    gen_textures.opaque[name] = opaque;
}

// Notes how opaque a texture is: in its entry for one in a page, else in the table by name.
void opaque_note(GEN_TEXTURE *entry, const uint8_t *rgba, int width, int height)
{
    if (entry->page) entry->opaque = opacity(rgba, width, height, entry->linear && !entry->edge);
    else opaque_set(entry->name, opacity(rgba, width, height, false));
}

// 1 when a live texture is opaque all over.
uint8_t opaque_get(uint32_t texture)
{
    if (texture & GEN_TEXTURE_PACKED) {
        const GEN_TEXTURE *e = find(texture);
        return e ? e->opaque : 0;
    }
    return texture < gen_textures.opaque_size ? gen_textures.opaque[texture] : 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int gen_gl_ready()
{
    return plat_gl_exists();
}

int gen_texture_create(const uint8_t *rgba, int width, int height, int filter, uint32_t *texture)
{
    if (texture) *texture = 0;
    if (!rgba || !texture || !power_of_two(width) || !power_of_two(height) || !gen_gl_ready()) return 0;
    GEN_TEXTURE *entry = slot();
    if (!entry) return 0;
    *entry = GEN_TEXTURE{};
    const bool linear = filter != GEN_FILTER_NEAREST;
    const bool shared = filter == GEN_FILTER_LINEAR_SHARED || filter == GEN_FILTER_LINEAR_SHARED_EDGE;
    if (!shared || !packed_create(entry, rgba, width, height, filter == GEN_FILTER_LINEAR_SHARED_EDGE)) {
        *entry = GEN_TEXTURE{};
        const uint32_t name = gen_texture_gl_make(rgba, width, height, linear, filter == GEN_FILTER_LINEAR_WRAP_S);
        if (!name) return 0;
        entry->name = name;
    }
    entry->linear = linear;
    opaque_note(entry, rgba, width, height);
    bounds_find(rgba, width, height, entry->bounds);
    core_find(rgba, width, height, entry->core, entry->core_color);
    // A name deleted while its frame was on show may come back with other pixels.
    gen_queue_invalidate();
    entry->bytes = static_cast<long>(width) * height * 4;
    entry->live = 1;
    gen_textures.live++;
    gen_textures.ram_current += entry->bytes;
    if (gen_textures.ram_current > gen_textures.ram_max) gen_textures.ram_max = gen_textures.ram_current;
    *texture = entry->name;
    return 1;
}

uint32_t gen_texture_gl_make(const uint8_t *rgba, int width, int height, int linear, int wrap_s)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name) return 0;
    bind_texture(GL_TEXTURE_2D, name);
    const GLint f = linear ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap_s ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return name;
}

int gen_texture_reload(uint32_t texture, const uint8_t *rgba, int width, int height)
{
    GEN_TEXTURE *entry = find(texture);
    if (!entry || !rgba || static_cast<long>(width) * height * 4 != entry->bytes || !gen_gl_ready()) return 0;
    // What was queued with the old pixels is drawn with them.
    gen_queue_flush();
    gen_queue_invalidate();
    opaque_note(entry, rgba, width, height);
    bounds_find(rgba, width, height, entry->bounds);
    core_find(rgba, width, height, entry->core, entry->core_color);
    if (entry->page) return packed_upload(*entry, rgba) ? 1 : 0;
    bind_texture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return 1;
}

int gen_texture_delete(uint32_t texture)
{
    GEN_TEXTURE *entry = find(texture);
    if (!entry) return 0;
    if (gen_gl_ready()) {
        gen_queue_flush();
        GLuint name = texture;
        if (!entry->page) glDeleteTextures(1, &name);
    }
    if (entry->page) gen_atlas_release(entry->page);
    opaque_set(texture, 0);
    // A deleted texture that was bound leaves texture 0 bound.
    if (gen_textures.bound && gen_textures.bound_texture == texture) gen_textures.bound = false;
    entry->live = 0;
    gen_textures.live--;
    gen_textures.ram_current -= entry->bytes;
    return 1;
}

void gen_texture_delete_all()
{
    for (int i = 0; i < gen_textures.count; i++)
        if (gen_textures.entries[i].live) gen_texture_delete(gen_textures.entries[i].name);
    if (gen_textures.entries) kx_mem_free(gen_textures.entries);
    gen_textures.entries = nullptr;
    gen_textures.count = gen_textures.capacity = 0;
    if (gen_textures.opaque) kx_mem_free(gen_textures.opaque);
    gen_textures.opaque = nullptr;
    gen_textures.opaque_size = 0;
    reset_texture_binding();
}

int gen_texture_live(uint32_t texture)
{
    return find(texture) != nullptr;
}

int gen_texture_place(uint32_t texture, uint32_t *gl_texture, float part[4])
{
    const GEN_TEXTURE *e = find(texture);
    if (!e) return 0;
    if (!e->page) {
        *gl_texture = texture;
        part[0] = part[1] = 0.0f;
        part[2] = part[3] = 1.0f;
        return 1;
    }
    constexpr float side = GEN_ATLAS_PAGE;
    *gl_texture = e->page;
    part[0] = e->x / side;
    part[1] = e->y / side;
    part[2] = (e->x + e->width) / side;
    part[3] = (e->y + e->height) / side;
    return 1;
}

int gen_texture_bounds(uint32_t texture, float part[4])
{
    const GEN_TEXTURE *e = find(texture);
    if (!e) return 0;
    std::copy(e->bounds, e->bounds + 4, part);
    return 1;
}

int gen_texture_core(uint32_t texture, float part[4], float rgba[4])
{
    const GEN_TEXTURE *e = find(texture);
    if (!e || e->core[0] >= e->core[2] || e->core[1] >= e->core[3]) return 0;
    std::copy(e->core, e->core + 4, part);
    for (int i = 0; i < 4; i++) rgba[i] = e->core_color[i] / 255.0f;
    return 1;
}

int gen_texture_opaque(uint32_t texture)
{
    return opaque_get(texture);
}

int gen_texture_live_count()
{
    return gen_textures.live;
}

long gen_texture_ram_current()
{
    return gen_textures.ram_current;
}

long gen_texture_ram_max()
{
    return gen_textures.ram_max;
}

int bind_texture(uint32_t target, uint32_t texture)
{
    if (gen_textures.bound && gen_textures.bound_target == target && gen_textures.bound_texture == texture) return 0;
    glBindTexture(target, texture);
    gen_textures.bound = true;
    gen_textures.bound_target = target;
    gen_textures.bound_texture = texture;
    gen_textures.binds++;
    return 1;
}

void reset_texture_binding()
{
    gen_textures.bound = false;
}

long gen_texture_bind_count()
{
    return gen_textures.binds;
}
