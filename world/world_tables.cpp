// The world's tables: the globals, their reset between plays of a world, freeing a world, the
// name look-ups and the fatal error report of the world code.
#include "world/world.h"

#include "gen/gen_bit.h"
#include "kx/kx_mem/kx_mem.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

static constexpr WORLD_PARAMS WORLD_PARAMS_FIRST = {100, 100, 12, 32, 32, 256, 10, 10, 100, 150, 150};

WORLD_PARAMS world_param = WORLD_PARAMS_FIRST;
WORLD_CELL *world_cells;
WORLD_CELL_LIST *tiles_obj;
WORLD_TILE *world_tiles;
WORLD_SPRITE *world_sprites;
WORLD_OBJECT *world_objects;
WORLD_OBJECT_ESTUFF *Object_EStuff;
WORLD_BITMAP *world_bitmaps;
WORLD_SPRITE_BITMAP *world_sprite_bitmaps;
WORLD_ANIMATION *world_animations;
WORLD_MOV_CELL *mov_cell_index;
WORLD_ANI_OBJECT *Ani_Objects_Index;
WORLD_COUNTS world_count;
int16_t world_max_object;
uint8_t *world_atlas;
uint32_t world_atlas_size;
KX_BITMAP world_background;
int world_background_loaded;

static_assert(sizeof(WORLD_CELL) == WORLD_CELL_BYTES, "a cell is 22 bytes in memory as on disk");

namespace {

// As long as the longest alert the game shows.
constexpr size_t WORLD_ERROR_SIZE = 500;

WORLD_ERROR_FN world_error_hook;
char world_error_text[WORLD_ERROR_SIZE];
const char *world_error_hint;

void table_free(void *&table)
{
    if (table) kx_mem_free(table);
    table = nullptr;
}

template <typename T> void table_free(T *&table)
{
    void *p = table;
    table_free(p);
    table = nullptr;
}

// Lower-cases `name` into `out` (WORLD_NAME_MAX bytes); false when it does not fit.
bool lower_name(const char *name, char *out)
{
    size_t n = 0;
    for (; name[n]; n++) {
        if (n + 1 >= static_cast<size_t>(WORLD_NAME_MAX)) return false;
        out[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
    }
    out[n] = 0;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void world_params_reset()
{
    world_param = WORLD_PARAMS_FIRST;
}

void reset_world_tables()
{
    if (world_animations)
        for (int i = 0; i < WORLD_ANIMATIONS; i++) {
            world_animations[i].active = 1;
            world_animations[i].loops = -1;
            world_animations[i].object = -1;
        }
    size_t cells = static_cast<size_t>(world_param.width) * world_param.depth;
    if (world_cells) {
        std::memset(world_cells, 0, cells * sizeof(WORLD_CELL));
        for (size_t i = 0; i < cells; i++) world_cells[i].light = 15;
    }
    if (tiles_obj) std::memset(tiles_obj, 0, cells * sizeof(WORLD_CELL_LIST));
    if (Object_EStuff)
        for (int i = 0; i < WORLD_OBJECTS; i++) Object_EStuff[i].sprite_bitmap = -1;
}

void free_level()
{
    if (world_bitmaps)
        for (int i = 0; i < world_count.bitmaps; i++) {
            gen_texture_delete(world_bitmaps[i].texture);
            if (world_bitmaps[i].texture_run) gen_texture_delete(world_bitmaps[i].texture_run);
        }
    if (world_sprite_bitmaps)
        for (int i = 0; i < world_count.sprite_bitmaps; i++) gen_texture_delete(world_sprite_bitmaps[i].texture);
    table_free(world_cells);
    table_free(tiles_obj);
    table_free(world_tiles);
    table_free(world_sprites);
    table_free(world_objects);
    table_free(Object_EStuff);
    table_free(world_bitmaps);
    table_free(world_sprite_bitmaps);
    table_free(world_animations);
    table_free(mov_cell_index);
    table_free(Ani_Objects_Index);
    table_free(world_atlas);
    world_atlas_size = 0;
    if (world_background_loaded) kx_bit_free(&world_background);
    world_background = KX_BITMAP{};
    world_background_loaded = 0;
    world_count = WORLD_COUNTS{};
    world_max_object = 0;
}

int search_bitmap(const char *name)
{
    if (!name) return -10;
    char key[WORLD_NAME_MAX];
    if (!lower_name(name, key)) return -10;
    if (std::strcmp(key, "null") == 0) return -1;
    for (int i = 0; world_bitmaps && i < world_count.bitmaps; i++)
        if (std::strcmp(world_bitmaps[i].name, key) == 0) return i;
    return -10;
}

int search_sprite_bitmap(const char *name)
{
    if (!name) return -10;
    char key[WORLD_NAME_MAX];
    if (!lower_name(name, key)) return -10;
    if (std::strcmp(key, "null") == 0) return -1;
    for (int i = 0; world_sprite_bitmaps && i < world_count.sprite_bitmaps; i++)
        if (std::strcmp(world_sprite_bitmaps[i].name, key) == 0) return i;
    return -10;
}

int sprite_bitmap_animation(const char *name)
{
    int i = search_sprite_bitmap(name);
    return i >= 0 ? world_sprite_bitmaps[i].animation : -1;
}

WORLD_CELL *world_cell_at(int z, int x)
{
    if (!world_cells || z < 0 || x < 0 || z >= world_param.depth || x >= world_param.width) return nullptr;
    return &world_cells[static_cast<size_t>(z) * world_param.width + x];
}

void world_error_hook_set(WORLD_ERROR_FN fn)
{
    world_error_hook = fn;
}

void world_error_hint_set(const char *hint)
{
    world_error_hint = hint;
}

void world_fatal(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(world_error_text, sizeof world_error_text, format, args);
    va_end(args);
    size_t n = std::strlen(world_error_text);
    if (world_error_hint) std::snprintf(world_error_text + n, sizeof world_error_text - n, " (%s)", world_error_hint);
    if (world_error_hook)
        world_error_hook(world_error_text);
    else
        std::fprintf(stderr, "Error: %s\n", world_error_text);
}

const char *world_error_message()
{
    return world_error_text;
}

void world_error_clear()
{
    world_error_text[0] = 0;
}
