// The paddle and the follower paddle: velocity with friction, the fast-paddle bonus, the
// paddle's limits and the ring of its last 50 movements.
#include "game/game_local.h"
#include "game/game_play.h"

#include "world/world.h"

#include <algorithm>

void Paddle_Step(uint8_t input)
{
    const double st = step_time;
    if (input & INPUT_UP) paddle.z = std::max(paddle.z - st / 1.25, GAME_PADDLE_HIGHEST);
    if (input & INPUT_DOWN) paddle.z = std::min(paddle.z + st / 1.25, GAME_PADDLE_LINE);
    if (input & INPUT_LEFT) paddle.v -= 4.0 * st;
    if (input & INPUT_RIGHT) paddle.v += 4.0 * st;
    if (paddle.v > 0.0)
        paddle.v = std::max(paddle.v - 2.0 * st, 0.0);
    else if (paddle.v < 0.0)
        paddle.v = std::min(paddle.v + 2.0 * st, 0.0);
    paddle.v = std::clamp(paddle.v, -9.0, 9.0);
    const double old = paddle.x;
    paddle.x += game.fast_paddle ? paddle.v * st / 2.7 : paddle.v * st * 0.25;
    paddle.x = std::clamp(paddle.x, paddle.x_min, std::max(paddle.x_min, paddle.x_max));
    paddle.ring_index = (paddle.ring_index + 1) % GAME_PADDLE_RING;
    paddle.ring[paddle.ring_index] = paddle.x - old;
}

void Follower_Step()
{
    const WORLD_OBJECT *f = Game_Object(pools.follower);
    const double half = f ? f->width / 2 : 15;
    if (game.follower == FOLLOWER_COPY) {
        // The oldest entry of the ring: the paddle's movement 49 steps ago.
        game.follower_x += paddle.ring[(paddle.ring_index + 1) % GAME_PADDLE_RING];
        game.follower_x = std::clamp(game.follower_x, GAME_LEFT_WALL + half, GAME_RIGHT_WALL - half);
    } else if (game.follower == FOLLOWER_SWEEP) {
        // It sweeps between the walls with its edges: its centre turns half a width inside them.
        game.follower_x += 0.8 * game.follower_dir;
        if (game.follower_x >= GAME_RIGHT_WALL - half) {
            game.follower_x = GAME_RIGHT_WALL - half;
            game.follower_dir = -1.0;
        } else if (game.follower_x <= GAME_LEFT_WALL + half) {
            game.follower_x = GAME_LEFT_WALL + half;
            game.follower_dir = 1.0;
        }
    }
}
