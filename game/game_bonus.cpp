// Falling bonuses: the drop when a brick breaks, the fall over the bricks and the floor, the
// catch by the paddle and the sixteen kinds of bonus.
#include "game/game_local.h"
#include "game/game_error.h"
#include "game/game_play.h"
#include "game/game_random.h"

#include "world/world.h"
#include "world/world_render.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int BONUS_KINDS_MAX = 19; // sprites 80 to 98

int bonus_kinds()
{
    int n = 0;
    while (n < BONUS_KINDS_MAX && world_sprites && world_sprites[SPRITE_BONUS_FIRST + n].defined)
        n++;
    return n;
}

int kind_falling(int kind)
{
    for (int16_t number : pools.bonuses) {
        const WORLD_OBJECT *o = Game_Object(number);
        if (o && !Game_Object_Free(o) && o->sprite == kind) return 1;
    }
    return 0;
}

// Surface height of the cell under a point; the floor where there is no cell.
double surface(double x, double z)
{
    double h = floor_altitude(x, z);
    return h < -20.0 ? -20.0 : h;
}

void volley()
{
    int next = 0;
    for (int c = 3; c <= 16; c++) {
        while (next < GAME_SHOTS && !Game_Object_Free(Game_Object(pools.shots[next])))
            next++;
        if (next >= GAME_SHOTS) return;
        Shot_Place(pools.shots[next], SPRITE_VOLLEY, c * GAME_TILE + 6.0, paddle.y - 0.5, paddle.z - 0.5);
    }
}

void follower_start(int mode, int sprite, double x)
{
    if (game.follower == mode) return;
    game.follower = mode;
    game.follower_x = x;
    game.follower_dir = 1.0;
    Game_Object_Sprite(pools.follower, sprite);
}

} // namespace

void Bonus_Drop(int cell)
{
    int16_t number = 0;
    for (int16_t n : pools.bonuses)
        if (Game_Object(n) && Game_Object_Free(Game_Object(n))) {
            number = n;
            break;
        }
    if (!number) return;
    const int count = bonus_kinds();
    if (count == 0) {
        Game_Error("You must define at least 1 bonus");
        return;
    }
    for (int tries = 0; tries < 5; tries++) {
        const int kind = SPRITE_BONUS_FIRST + Game_Random() % count;
        const int chance = Game_Random() % 100;
        if (chance > world_sprites[kind].param[0] || kind_falling(kind)) continue;
        if (!Game_Object_Sprite(number, kind)) return;
        const int row = cell / world_param.width, column = cell % world_param.width;
        Game_Object_Place(number, column * GAME_TILE + 6.0, -14.0, row * GAME_TILE + 6.0);
        return;
    }
}

void Bonuses_Step()
{
    const WORLD_OBJECT *pad = Game_Object(pools.paddle);
    for (int16_t number : pools.bonuses) {
        WORLD_OBJECT *o = Game_Object(number);
        if (!o || Game_Object_Free(o)) continue;
        double x = o->x, y = o->y, z = o->z;
        const double h = std::max(surface(x - o->width / 2, z), surface(x + o->width / 2, z));
        if (y >= h) {
            z += 0.15;
            y = std::max(y - 0.1, h);
        } else {
            y = std::min(y + 0.1, h);
        }
        if (z > GAME_BALL_LOST) {
            Game_Object_Park(number);
            continue;
        }
        Game_Object_Place(number, x, y, z);
        if (pad && paddle.z - pad->height / 2 <= z + o->height / 2 && z - o->height / 2 < paddle.z + pad->height / 2 &&
            std::fabs(x - paddle.x) < o->width / 2 + pad->width / 2)
            Bonus_Catch(number);
    }
}

void Bonus_Catch(int16_t number)
{
    WORLD_OBJECT *o = Game_Object(number);
    if (!o || Game_Object_Free(o)) return;
    const int kind = o->sprite;
    game.score += 150;
    Game_Effect(16);
    Game_Particles_At(1, o->x, o->y, o->z);
    Game_Object_Park(number);
    switch (kind) {
    case 80:
        follower_start(FOLLOWER_COPY, SPRITE_FOLLOWER, paddle.x);
        break;
    case 81:
        game.weapon = 1, game.catch_on = 0;
        Release_Balls();
        break;
    case 82:
        Extra_Balls(3);
        break;
    case 83:
        Extra_Balls(10);
        break;
    case 84:
        game.catch_on = 1, game.weapon = 0;
        break;
    case 85:
        volley();
        break;
    case 86:
        game.fast_paddle = 1;
        break;
    case 87:
        game.weak_timer = 1000;
        Balls_Set_Sprite(SPRITE_WEAK_BALL);
        break;
    case 88:
        game.far_view = 1000;
        break;
    case 89:
        game.score += 1000, Sign_Start(130);
        break;
    case 90:
        game.score += 2500, Sign_Start(131);
        break;
    case 91:
        game.score += 10000, Sign_Start(132);
        break;
    case 92:
        Enemies_Destroy_All();
        break;
    case 93:
        game.freeze_timer = 1500;
        break;
    case 94:
        follower_start(FOLLOWER_SWEEP, SPRITE_SWEEPER, GAME_PADDLE_START_X);
        break;
    case 95:
        Game_Effect(12);
        game.lives++;
        game.extra_life_timer = 80.0f;
        break;
    default:
        break;
    }
}

void Bonuses_Clear()
{
    for (int16_t number : pools.bonuses)
        Game_Object_Park(number);
}
