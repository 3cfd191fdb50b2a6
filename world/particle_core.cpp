// Particle effects: the tables of the effects file, the bitmaps the textures share, random
// values, the error report and the hooks that tests and tools put in place of fatal errors,
// texture loading and drawing.
#include "world/particle.h"
#include "world/particle_local.h"

#include "gen/gen_bit.h"
#include "gen/gen_info.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

int particle_fx_count = -1;
PARTICLE_FX *particle_fx_table;
PARTICLE_TEXTURE *particle_textures;
PARTICLE_BITMAP *particle_bitmaps;
int particle_fx_generation;

namespace {

PARTICLE_ERROR_FN error_hook;
PARTICLE_LOAD_FN loader;
char error_text[1024];
uint32_t random_state = 0x2545F491u;

int load_texture_default(uint32_t *texture, const char *file_name)
{
    return load_texture(texture, file_name, 1, nullptr, 1);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Errors and hooks
// ---------------------------------------------------------------------------------------------

void particle_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(error_text, sizeof error_text, format, args);
    va_end(args);
    if (error_hook) {
        error_hook(error_text);
        return;
    }
    gen_error("%s", error_text);
}

const char *particle_fx_error_message()
{
    return error_text;
}

void particle_error_clear()
{
    error_text[0] = 0;
}

void particle_fx_error_hook_set(PARTICLE_ERROR_FN fn)
{
    error_hook = fn;
}

void particle_fx_loader_set(PARTICLE_LOAD_FN fn)
{
    loader = fn;
}

int particle_texture_load(uint32_t *texture, const char *file_name)
{
    return (loader ? loader : load_texture_default)(texture, file_name);
}

// ---------------------------------------------------------------------------------------------
// Random values
// ---------------------------------------------------------------------------------------------

void particle_random_seed(uint32_t seed)
{
    random_state = seed ? seed : 0x2545F491u;
}

int particle_mov_get_num(const PARTICLE_RANDOM *value)
{
    if (!value) return 0;
    if (value->type == 0) return value->a;
    if (value->type != 1) {
        particle_error("particle_mov_get_num: unknown type %i", value->type);
        return 0;
    }
    int64_t lo = value->a < value->b ? value->a : value->b;
    int64_t hi = value->a < value->b ? value->b : value->a;
    random_state ^= random_state << 13;
    random_state ^= random_state >> 17;
    random_state ^= random_state << 5;
    return static_cast<int>(lo + static_cast<int64_t>(random_state % static_cast<uint64_t>(hi - lo + 1)));
}

// ---------------------------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------------------------

int particle_fx_bitmap_search(const char *file_name)
{
    if (!particle_bitmaps) {
        particle_error("particle_fx_bitmap_search: not inited");
        return -1;
    }
    if (!file_name) return -1;
    for (int i = 0; i < PARTICLE_MAX_BITMAPS; i++)
        if (particle_bitmaps[i].name && std::strcmp(particle_bitmaps[i].name, file_name) == 0) return i;
    return -1;
}

int particle_fx_bitmap_add(const char *file_name, uint32_t texture)
{
    if (!particle_bitmaps) {
        particle_error("particle_fx_bitmap_add: not inited");
        return -1;
    }
    if (!file_name) return -1;
    for (int i = 0; i < PARTICLE_MAX_BITMAPS; i++) {
        if (particle_bitmaps[i].name) continue;
        size_t n = std::strlen(file_name) + 1;
        char *name = static_cast<char *>(kx_mem_malloc(n));
        if (!name) {
            particle_error("particle_fx_bitmap_add: not enough memory for filename");
            return -1;
        }
        kx_mem_name(name, "particle bitmap name");
        std::memcpy(name, file_name, n);
        particle_bitmaps[i] = {texture, name};
        return i;
    }
    particle_error("particle_fx_bitmap_add: not more free bitmaps left, increase PARTICLE_MAX_BITMAPS");
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Freeing
// ---------------------------------------------------------------------------------------------

void particle_fx_tables_free()
{
    particle_fx_generation++;
    if (particle_fx_table) {
        for (int i = 0; i < particle_fx_count; i++)
            if (particle_fx_table[i].defs) kx_mem_free(particle_fx_table[i].defs);
        kx_mem_free(particle_fx_table);
    }
    particle_fx_table = nullptr;
    particle_fx_count = -1;
    if (particle_textures) {
        for (int i = 0; i < PARTICLE_TEXTURES; i++) {
            if (particle_textures[i].frame_bitmaps) kx_mem_free(particle_textures[i].frame_bitmaps);
            if (particle_textures[i].frame_times) kx_mem_free(particle_textures[i].frame_times);
        }
        kx_mem_free(particle_textures);
    }
    particle_textures = nullptr;
    if (particle_bitmaps) {
        for (int i = 0; i < PARTICLE_MAX_BITMAPS; i++) {
            if (particle_bitmaps[i].name) kx_mem_free(particle_bitmaps[i].name);
            if (particle_bitmaps[i].texture && gen_texture_live(particle_bitmaps[i].texture))
                gen_texture_delete(particle_bitmaps[i].texture);
        }
        kx_mem_free(particle_bitmaps);
    }
    particle_bitmaps = nullptr;
}

int particle_fx_loaded()
{
    return particle_fx_table != nullptr && particle_fx_count >= 0;
}

void particle_fx_deinit()
{
    if (particle_textures && !particle_fx_table && particle_fx_count >= 0)
        particle_error("particle_fx_deinit: the pointer is null");
    particle_fx_tables_free();
}
