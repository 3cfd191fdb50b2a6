// The paddle's weapon: fire with its cool-down, shots that climb the field, break bricks and
// destroy enemies.
#include "game/game_local.h"
#include "game/game_play.h"

#include "world/world.h"

#include <cmath>

void Shot_Place(int16_t number, int sprite, double x, double y, double z)
{
    if (Game_Object_Sprite(number, sprite)) Game_Object_Place(number, x, y, z);
}

void Shots_Fire(uint8_t input)
{
    if (input & INPUT_FIRE) {
        Release_Balls();
        if (game.weapon && game.shot_cooldown == 0.0f) {
            game.shot_cooldown = 20.0f;
            for (int16_t number : pools.shots)
                if (Game_Object(number) && Game_Object_Free(Game_Object(number))) {
                    Shot_Place(number, SPRITE_SHOT, paddle.x, paddle.y - 0.5, paddle.z - 0.5);
                    Game_Effect(1);
                    break;
                }
        }
    } else if (game.shot_cooldown > 8.0f) {
        game.shot_cooldown = 8.0f;
    }
    game.shot_cooldown -= static_cast<float>(step_time);
    if (game.shot_cooldown < 0.0f) game.shot_cooldown = 0.0f;
}

void Shots_Step()
{
    for (int16_t number : pools.shots) {
        WORLD_OBJECT *s = Game_Object(number);
        if (!s || Game_Object_Free(s)) continue;
        bool gone = false;
        for (int16_t e : pools.enemies) {
            const WORLD_OBJECT *en = Game_Object(e);
            if (!en || Game_Object_Free(en)) continue;
            const double reach = (s->width + en->width) / 2.0;
            if (std::fabs(s->x - en->x) < reach && std::fabs(s->z - en->z) < reach) {
                Enemy_Explode(e);
                game.score += 250;
                gone = true;
                break;
            }
        }
        if (!gone)
            gone = Brick_Hit(Game_Cell_Index(s->x - s->width / 3, s->z), 1) ||
                   Brick_Hit(Game_Cell_Index(s->x + s->width / 3, s->z), 1);
        if (!gone && s->z - 0.6 < GAME_TOP_WALL) gone = true;
        if (gone)
            Game_Object_Park(number);
        else
            Game_Object_Place(number, s->x, s->y, s->z - 0.6);
    }
}

void Shots_Clear()
{
    for (int16_t number : pools.shots)
        Game_Object_Park(number);
}
