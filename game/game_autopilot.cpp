// The computer player: it steers under the lowest falling ball (where that ball will meet the
// paddle line), goes for a falling bonus when no ball needs it, and fires when armed. It only
// writes the step's input byte.
#include "game/game_local.h"
#include "game/game_play.h"
#include "game/game_random.h"

#include "world/world.h"

#include <cmath>

namespace {

// Where a ball reaches the paddle's z, folding its path at the side walls.
double landing_x(const WORLD_OBJECT *b)
{
    const double vx = b->param[0] / 10000.0, vz = b->param[1] / 10000.0;
    if (vz <= 0.0) return b->x;
    double x = b->x + vx * (paddle.z - b->z) / vz;
    const double span = GAME_RIGHT_WALL - GAME_LEFT_WALL;
    x = std::fmod(x - GAME_LEFT_WALL, 2.0 * span);
    if (x < 0.0) x += 2.0 * span;
    if (x > span) x = 2.0 * span - x;
    return GAME_LEFT_WALL + x;
}

} // namespace

uint8_t Autopilot_Input()
{
    const WORLD_OBJECT *target = nullptr;
    bool held = false;
    for (int16_t number : pools.balls) {
        const WORLD_OBJECT *b = Game_Object(number);
        if (!b || Game_Object_Free(b)) continue;
        if (b->param[2] > 0) held = true;
        if (b->param[1] > 0 && (!target || b->z > target->z)) target = b;
    }
    double goal = paddle.x;
    if (target) {
        // Meet the ball a little off centre, by an amount that changes over the game, so that
        // the rebounds reach every column.
        const double offset = (static_cast<int>(game.steps / 700 % 5) - 2) * 3.0;
        goal = landing_x(target) + offset;
    }
    if (!target || target->z < paddle.z - 90.0) {
        for (int16_t number : pools.bonuses) {
            const WORLD_OBJECT *o = Game_Object(number);
            if (o && !Game_Object_Free(o) && o->z > paddle.z - 60.0) goal = o->x;
        }
    }
    uint8_t input = 0;
    // Where the paddle would stop if it let friction brake it from now on.
    const double stop = paddle.x + paddle.v * std::fabs(paddle.v) / (4.0 * step_time) * step_time * 0.25;
    if (stop < goal - 1.0)
        input |= INPUT_RIGHT;
    else if (stop > goal + 1.0)
        input |= INPUT_LEFT;
    if (game.weapon || (held && game.steps % 60 == 0)) input |= INPUT_FIRE;
    return input;
}
