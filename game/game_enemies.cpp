// Enemies: appearance on a free cell, movement refused by bricks, borders and the lower field,
// new headings, destruction by balls, shots and the bonus that clears them all.
#include "game/game_local.h"
#include "game/game_levels.h"
#include "game/game_play.h"
#include "game/game_random.h"

#include "world/world.h"
#include "world/world_render.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double ENEMY_Y = -20.0;
constexpr double ENEMY_LOWEST_Z = 150.0;

int16_t &heading_of(WORLD_OBJECT *e)
{
    return e->param[0];
}

int16_t &run_of(WORLD_OBJECT *e)
{
    return e->param[1];
}

bool blocked(double x, double z)
{
    return floor_altitude(x, z) > -20.0;
}

void new_course(WORLD_OBJECT *e)
{
    heading_of(e) = static_cast<int16_t>(Game_Random() % 360);
    run_of(e) = static_cast<int16_t>(Game_Random() % 20000 + 8000);
}

void appear(int level)
{
    const GAME_LEVEL &settings = Levels_Played().level[level];
    int16_t number = 0;
    const int slots = settings.enemy_max < GAME_ENEMIES ? settings.enemy_max : GAME_ENEMIES;
    for (int i = 0; i < slots; i++)
        if (Game_Object(pools.enemies[i]) && Game_Object_Free(Game_Object(pools.enemies[i]))) {
            number = pools.enemies[i];
            break;
        }
    if (!number) return;
    for (int tries = 0; tries < 3; tries++) {
        const int column = Game_Random() % 14 + 3, row = Game_Random() % 6 + 5;
        const WORLD_CELL *cell = world_cell_at(row, column);
        if (cell && cell->up[0] != -20) continue;
        const double x = column * GAME_TILE + 6.0, z = row * GAME_TILE + 6.0;
        bool taken = false;
        for (int16_t other : pools.enemies) {
            const WORLD_OBJECT *o = Game_Object(other);
            if (o && !Game_Object_Free(o) && o->x == x && o->z == z) taken = true;
        }
        if (taken) continue;
        const int type = settings.enemy_type < 1 ? 1 : settings.enemy_type > 4 ? 4 : settings.enemy_type;
        if (!Game_Object_Sprite(number, (type + 3) * 5 + Game_Random() % 5)) return;
        WORLD_OBJECT *e = Game_Object(number);
        new_course(e);
        Game_Object_Place(number, x, ENEMY_Y, z);
        game.enemy_counter = settings.enemy_frequency;
        return;
    }
}

void move(int16_t number, int level)
{
    WORLD_OBJECT *e = Game_Object(number);
    const double speed = Levels_Played().level[level].enemy_speed / 1000.0;
    const double a = heading_of(e) * 3.14 / 180.0;
    const int half = e->width / 2;
    double x = e->x + std::cos(a) * speed;
    for (int k = -1; k <= 1; k++)
        if (blocked(x - half, e->z + k * half) || blocked(x + half, e->z + k * half)) {
            x = e->x;
            run_of(e) = 0;
            break;
        }
    double z = e->z + std::sin(a) * speed;
    bool refused = z > ENEMY_LOWEST_Z;
    for (int k = -1; k <= 1 && !refused; k++)
        refused = blocked(x - k * half, z - half) || blocked(x - k * half, z + half);
    if (refused) {
        z = e->z;
        run_of(e) = 0;
    }
    Game_Object_Place(number, x, e->y, z);
    const int run = run_of(e) - Levels_Played().level[level].enemy_speed;
    run_of(e) = static_cast<int16_t>(run < -32768 ? -32768 : run);
    if (run < 1) new_course(e);
}

} // namespace

void Enemies_Step()
{
    const int level = Game_Level_Index();
    if (game.freeze_timer > 0) game.freeze_timer--;
    game.enemy_counter--;
    if (game.enemy_counter < 1 && game.freeze_timer == 0) appear(level);
    for (int16_t number : pools.enemies) {
        WORLD_OBJECT *e = Game_Object(number);
        if (!e || Game_Object_Free(e)) continue;
        if (game.freeze_timer == 0) move(number, level);
        for (int16_t b : pools.balls) {
            WORLD_OBJECT *ball = Game_Object(b);
            if (!ball || Game_Object_Free(ball)) continue;
            const double reach = (ball->width + e->width) / 2.0;
            if (std::fabs(ball->x - e->x) < reach && std::fabs(ball->z - e->z) < reach) {
                Enemy_Explode(number);
                game.score += 50;
                ball->param[0] = static_cast<int16_t>(-ball->param[0]);
                ball->param[1] = static_cast<int16_t>(-ball->param[1]);
                if (game.enemy_counter < 1) game.enemy_counter = Levels_Played().level[level].enemy_frequency;
                break;
            }
        }
    }
}

void Enemy_Explode(int16_t number)
{
    const WORLD_OBJECT *e = Game_Object(number);
    if (!e || Game_Object_Free(e)) return;
    Game_Effect(10);
    Game_Particles_At(3, e->x, e->y + 5.0, e->z);
    Game_Object_Park(number);
}

void Enemies_Destroy_All()
{
    for (int16_t number : pools.enemies)
        if (!Game_Object_Free(Game_Object(number))) {
            Enemy_Explode(number);
            game.score += 250;
        }
}

void Enemies_Park()
{
    for (int16_t number : pools.enemies)
        Game_Object_Park(number);
}
