// World_Load and World_Unload: one world at a time with the game's pooled objects, and the
// small helpers every part of the step uses to move, park and re-sprite those objects and to
// start particle effects over the field.
#include "game/game_local.h"
#include "game/game_error.h"
#include "game/game_play.h"
#include "game/game_text.h"
#include "game/game_view.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "world/particle.h"
#include "world/world.h"
#include "world/world_render.h"

#include <cstdio>
#include <cstring>

char world_def_name[64];
char world_map_name[64];

namespace {

void pool_make(int16_t *numbers, int count, int sprite)
{
    for (int i = 0; i < count; i++)
        numbers[i] = create_object(static_cast<int16_t>(sprite), WORLD_PARKED, 0.0, 0.0);
}

// The renderer settings of the game's view.
void view_settings()
{
    world_view.depth = 17;
    world_view.falloff_start = 50;
    world_view.cell_shading = 1;
    world_view.object_shading = 1;
    world_view.horizon_shift = GAME_HORIZON_SHIFT;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------------------------

WORLD_OBJECT *Game_Object(int16_t number)
{
    if (!world_objects || number <= 0 || number > world_max_object) return nullptr;
    return &world_objects[number];
}

int Game_Object_Free(const WORLD_OBJECT *o)
{
    return !o || o->x == WORLD_PARKED;
}

void Game_Object_Place(int16_t number, double x, double y, double z)
{
    if (Game_Object(number)) place_object(number, x, y, z);
}

void Game_Object_Park(int16_t number)
{
    WORLD_OBJECT *o = Game_Object(number);
    if (o && o->x != WORLD_PARKED) place_object(number, WORLD_PARKED, o->y, o->z);
}

int Game_Object_Sprite(int16_t number, int sprite)
{
    WORLD_OBJECT *o = Game_Object(number);
    if (!o) return 0;
    if (sprite < 0 || sprite >= WORLD_SPRITES || !world_sprites || !world_sprites[sprite].defined) {
        Game_Error("Sprite %i is not defined", sprite);
        return 0;
    }
    if (o->sprite == sprite) return 1;
    o->sprite = static_cast<int16_t>(sprite);
    assign_sprite_to_object(number);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Particle effects over the field
// ---------------------------------------------------------------------------------------------

void Game_Particles_At(int fx, double x, double y, double z)
{
    if (!game_particles || fx < 0 || fx >= particle_fx_count || !particle_fx_table[fx].defs) return;
    float sx, sy;
    if (!project_point(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                       static_cast<float>(game.cam_x), static_cast<float>(game.cam_y), static_cast<float>(game.cam_z),
                       &sx, &sy))
        return;
    // All emitters of the effect start, or none: a busy pool drops the effect.
    int needed = 0;
    const PARTICLE_FX &effect = particle_fx_table[fx];
    for (int i = 0; i < effect.count; i++)
        if (effect.defs[i].role == PARTICLE_ROLE_EMITTER) needed++;
    int free_slots = 0;
    for (int i = 0; i < game_particles->count; i++)
        if (!game_particles->emitters[i].live) free_slots++;
    if (free_slots < needed) return;
    particle_fx_start(game_particles, fx, sx * 1000.0f, sy * 1000.0f + 1500.0f, fx);
}

void Game_Particles_Stop(int tag)
{
    if (game_particles) particle_fx_pool_stop_tag(game_particles, tag);
}

void Game_Particles_Stop_All()
{
    for (int tag = 0; tag < particle_fx_count; tag++)
        Game_Particles_Stop(tag);
}

// ---------------------------------------------------------------------------------------------
// Loading and unloading
// ---------------------------------------------------------------------------------------------

void World_Load(const char *def_name, const char *map_name)
{
    std::snprintf(world_def_name, sizeof world_def_name, "%s", def_name);
    std::snprintf(world_map_name, sizeof world_map_name, "%s", map_name);
    uint8_t result = Load_Level(def_name, map_name, 1);
    if (result != WORLD_LOADED) {
        if (result == WORLD_NO_FILE) Game_Error("Error opening the level file : %s", def_name);
        return;
    }
    load_transparency_tables("data\\transp.tab");
    init_3d_engine();
    view_settings();
    pools.paddle = create_object(SPRITE_PADDLE, WORLD_PARKED, GAME_PADDLE_Y, GAME_PADDLE_LINE);
    pools.shadow = create_object(SPRITE_SHADOW, WORLD_PARKED, -20.0, GAME_PADDLE_LINE);
    pools.follower = create_object(SPRITE_FOLLOWER, WORLD_PARKED, GAME_PADDLE_Y, GAME_PADDLE_LINE + 3.0);
    pool_make(pools.shots, GAME_SHOTS, SPRITE_SHOT);
    pool_make(pools.bonuses, GAME_BONUSES, SPRITE_BONUS_FIRST);
    pool_make(pools.signs, GAME_SIGNS, SPRITE_SIGN_1000);
    pool_make(pools.balls, GAME_BALLS, SPRITE_BALL);
    pool_make(pools.enemies, GAME_ENEMIES, 20);
    View_Pools_Make();
    game.world_loaded = 1;
}

void World_Unload()
{
    if (!game.world_loaded) return;
    const char *loading = Game_Message(MSG_LOADING);
    if (loading[0] && kx_dsp_3d()) {
        draw_sprite_text(loading, 80.0 - 4.0 * static_cast<double>(std::strlen(loading)), 55.0, 0, 15, 0, 10.0, 10.0,
                         8.0);
        kx_dsp_present();
    }
    Game_Particles_Stop_All();
    free_transparency_tables();
    deinit_3d_engine();
    free_level();
    pools = GAME_POOLS{};
    game.world_loaded = 0;
    game.scenery_loaded = 0;
}
