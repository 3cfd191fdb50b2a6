// gen_bit textures: the registry of the back end's textures, the texture memory count and the
// binding cache.
#include "gen/gen_bit.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_gl.h"

#include <GL/gl.h>

#include <cstddef>

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

namespace {

struct GEN_TEXTURE {
    uint32_t name;
    long bytes;
    uint8_t live;
};

struct GEN_TEXTURES {
    GEN_TEXTURE *entries;
    int count, capacity;
    int live;
    long ram_current, ram_max;
    uint32_t bound_target, bound_texture;
    bool bound;
    long binds;
};

GEN_TEXTURES gen_textures;

GEN_TEXTURE *find(uint32_t name)
{
    for (int i = 0; i < gen_textures.count; i++)
        if (gen_textures.entries[i].live && gen_textures.entries[i].name == name) return &gen_textures.entries[i];
    return nullptr;
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
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name) {
        entry->live = 0;
        return 0;
    }
    bind_texture(GL_TEXTURE_2D, name);
    GLint f = filter == GEN_FILTER_LINEAR ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    entry->name = name;
    entry->bytes = static_cast<long>(width) * height * 4;
    entry->live = 1;
    gen_textures.live++;
    gen_textures.ram_current += entry->bytes;
    if (gen_textures.ram_current > gen_textures.ram_max) gen_textures.ram_max = gen_textures.ram_current;
    *texture = name;
    return 1;
}

int gen_texture_reload(uint32_t texture, const uint8_t *rgba, int width, int height)
{
    GEN_TEXTURE *entry = find(texture);
    if (!entry || !rgba || static_cast<long>(width) * height * 4 != entry->bytes || !gen_gl_ready()) return 0;
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
        GLuint name = texture;
        glDeleteTextures(1, &name);
    }
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
    reset_texture_binding();
}

int gen_texture_live(uint32_t texture)
{
    return find(texture) != nullptr;
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
