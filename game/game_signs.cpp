// Floating score signs: placed at the paddle, they rise, drift and fade by their sprite's own
// parameters and are parked once their age passes 150.
#include "game/game_local.h"
#include "game/game_play.h"

#include "world/world.h"

void Sign_Start(int sprite)
{
    for (int16_t number : pools.signs) {
        if (!Game_Object(number) || !Game_Object_Free(Game_Object(number))) continue;
        if (!Game_Object_Sprite(number, sprite)) return;
        Game_Object(number)->param[2] = 0;
        Game_Object(number)->transparency = 0;
        Game_Object_Place(number, paddle.x, -15.0, paddle.z);
        return;
    }
}

void Signs_Step()
{
    for (int16_t number : pools.signs) {
        WORLD_OBJECT *s = Game_Object(number);
        if (!s || Game_Object_Free(s)) continue;
        const int age = ++s->param[2];
        if (age > 150) {
            Game_Object_Park(number);
            continue;
        }
        if (s->param[3] > 0 && age > s->param[3] && s->param[4] > 0) {
            const int quarters = (age - s->param[3]) / s->param[4];
            s->transparency = static_cast<uint8_t>(quarters > 3 ? 3 : quarters);
        }
        Game_Object_Place(number, s->x, s->y + s->param[0] / 1000.0, s->z + s->param[1] / 1000.0);
    }
}

void Signs_Clear()
{
    for (int16_t number : pools.signs)
        Game_Object_Park(number);
}
