// The balls: walls, held balls, the four brick edges with a random jitter, the paddle's
// reflection, the catch, the speed-up every 101 steps and the extra balls of the bonuses.
#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_levels.h"
#include "game/game_play.h"
#include "game/game_random.h"

#include "world/world.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int HOLD_STEPS = 250;

int16_t speed16(double v)
{
    return static_cast<int16_t>(v < -32768.0 ? -32768.0 : v > 32767.0 ? 32767.0 : v);
}

int16_t &vx_of(WORLD_OBJECT *b)
{
    return b->param[0];
}

int16_t &vz_of(WORLD_OBJECT *b)
{
    return b->param[1];
}

int16_t &hold_of(WORLD_OBJECT *b)
{
    return b->param[2];
}

double ball_y()
{
    return -19.0;
}

// The paddle test of one ball against one paddle; 1 on a hit.
int paddle_hit(const WORLD_OBJECT *b, double bx, double bz, const WORLD_OBJECT *pad, double px, double pz)
{
    const int p3 = pad->height / 3, h3 = b->height / 3;
    return pz - p3 <= bz + h3 && bz - h3 < pz + p3 && std::fabs(bx - px) < b->width / 2 + pad->width / 2;
}

// One ball's step; 1 while it is in play.
int ball_step(int16_t number)
{
    WORLD_OBJECT *b = Game_Object(number);
    if (!b || Game_Object_Free(b)) return 0;
    double x = b->x, z = b->z;
    const int half = b->width / 2;
    if (z + half > GAME_BALL_LOST) {
        Game_Object_Park(number);
        return 0;
    }
    int bounced = 0;
    // The side walls test half of the halved width: a ball turns once a quarter of its width
    // has crossed the wall line.
    if (x - half / 2 < GAME_LEFT_WALL) {
        x = GAME_LEFT_WALL + half / 2;
        vx_of(b) = static_cast<int16_t>(std::abs(vx_of(b)));
        bounced = 1;
    }
    if (x + half / 2 > GAME_RIGHT_WALL) {
        x = GAME_RIGHT_WALL - half / 2;
        vx_of(b) = static_cast<int16_t>(-std::abs(vx_of(b)));
        bounced = 1;
    }
    if (hold_of(b) > 0) {
        z = paddle.rest_z;
        x += paddle.ring[paddle.ring_index];
        place_object(number, x, ball_y(), z);
        // On Easy the ball waits until it is launched (Release_Balls leaves 1 step to go).
        if (hold_of(b) > 1 && Difficulty_Ball_Waits()) return 1;
        if (--hold_of(b) == 0) Ball_Paddle_Bounce(b, Game_Object(pools.paddle), paddle.x, paddle.z);
        return 1;
    }
    if (z - half / 2 < GAME_TOP_WALL) {
        vz_of(b) = static_cast<int16_t>(std::abs(vz_of(b)));
        bounced = 1;
    }
    const int r1 = Game_Random(), r2 = Game_Random();
    const int16_t jx = speed16(std::abs(vx_of(b) + r1 % 300 - 150));
    const int16_t jz = speed16(std::abs(vz_of(b) + r2 % 300 - 150));
    const int s = b->width, h = b->height;
    const int damaging = b->sprite != SPRITE_WEAK_BALL;
    if (Brick_Probe(x - s / 3, z - h / 2, s / 3, 0, damaging)) vz_of(b) = jz, bounced = 1;
    if (Brick_Probe(x - s / 3, z + h / 2, s / 3, 0, damaging)) vz_of(b) = static_cast<int16_t>(-jz), bounced = 1;
    if (Brick_Probe(x - s / 2, z - h / 3, 0, h / 3, damaging)) vx_of(b) = jx, bounced = 1;
    if (Brick_Probe(x + s / 2, z - h / 3, 0, h / 3, damaging)) vx_of(b) = static_cast<int16_t>(-jx), bounced = 1;
    if (vz_of(b) >= 0) {
        const WORLD_OBJECT *pad = Game_Object(pools.paddle);
        if (pad && paddle_hit(b, x, z, pad, paddle.x, paddle.z)) {
            if (game.catch_on) {
                hold_of(b) = HOLD_STEPS;
                place_object(number, x, ball_y(), paddle.rest_z);
                return 1;
            }
            b->x = x, b->z = z;
            Ball_Paddle_Bounce(b, pad, paddle.x, paddle.z);
            bounced = 1;
        } else if (const WORLD_OBJECT *f = Game_Object(pools.follower);
                   f && game.follower != FOLLOWER_NONE &&
                   paddle_hit(b, x, z, f, game.follower_x, GAME_PADDLE_LINE + 3.0)) {
            b->x = x, b->z = z;
            Ball_Paddle_Bounce(b, f, game.follower_x, GAME_PADDLE_LINE + 3.0);
            bounced = 1;
        }
    }
    for (int i = bounced ? 3 : 1; i > 0; i--) {
        x += vx_of(b) / 10000.0;
        z += vz_of(b) / 10000.0;
    }
    place_object(number, x, ball_y(), z);
    return 1;
}

} // namespace

void Ball_Paddle_Bounce(WORLD_OBJECT *ball, const WORLD_OBJECT *pad, double pad_x, double pad_z)
{
    (void)pad_z;
    Game_Effect(17);
    const double vx = vx_of(ball), vz = vz_of(ball);
    const double speed = std::sqrt(vx * vx + vz * vz);
    const int halves = (pad ? pad->width / 2 : 15) + ball->width / 2;
    const double d = 60.0 * std::fabs(ball->x - pad_x) / (halves > 0 ? halves : 1);
    const double angle = ball->x >= pad_x ? 80.0 - d : 100.0 + d;
    const double a = angle * 3.14 / 180.0;
    vx_of(ball) = speed16(std::trunc(std::cos(a) * speed));
    vz_of(ball) = speed16(std::trunc(-std::sin(a) * speed));
}

void Balls_Step()
{
    int in_play = 0;
    for (int16_t number : pools.balls)
        in_play += ball_step(number);
    game.balls_in_play = in_play;
}

void Balls_Speed_Up()
{
    if (--game.speedup_counter >= 0) return;
    game.speedup_counter = 100;
    const int level = Game_Level_Index();
    const int inc = Difficulty_Speed(Levels_Played().level[level].speed_increase);
    for (int16_t number : pools.balls) {
        WORLD_OBJECT *b = Game_Object(number);
        if (!b || Game_Object_Free(b)) continue;
        const int vx = vx_of(b), vz = vz_of(b);
        const int s = std::abs(vx) + std::abs(vz);
        if (s == 0 || std::sqrt(double(vx) * vx + double(vz) * vz) >= Difficulty_Speed(Levels_Played().level[level].max_speed)) continue;
        const int gx = std::min(inc * std::abs(vx) / s, inc), gz = std::min(inc * std::abs(vz) / s, inc);
        vx_of(b) = speed16(vx < 0 ? vx - gx : vx + gx);
        vz_of(b) = speed16(vz < 0 ? vz - gz : vz + gz);
    }
}

int Balls_Held()
{
    int most = 0;
    for (int16_t number : pools.balls) {
        WORLD_OBJECT *b = Game_Object(number);
        if (b && !Game_Object_Free(b)) most = std::max<int>(most, hold_of(b));
    }
    return most;
}

void Release_Balls()
{
    for (int16_t number : pools.balls) {
        WORLD_OBJECT *b = Game_Object(number);
        if (b && !Game_Object_Free(b) && hold_of(b) > 0) hold_of(b) = 1;
    }
}

void Extra_Balls(int n)
{
    WORLD_OBJECT *source = nullptr;
    for (int16_t number : pools.balls) {
        WORLD_OBJECT *b = Game_Object(number);
        if (b && !Game_Object_Free(b)) {
            source = b;
            break;
        }
    }
    if (!source) return;
    const double vx = vx_of(source), vz = vz_of(source);
    const double speed = std::sqrt(vx * vx + vz * vz);
    int next = 0;
    for (int k = 0; k < n; k++) {
        while (next < GAME_BALLS && !Game_Object_Free(Game_Object(pools.balls[next])))
            next++;
        if (next >= GAME_BALLS || !Game_Object(pools.balls[next])) return;
        int16_t number = pools.balls[next];
        WORLD_OBJECT *b = Game_Object(number);
        int angle;
        do
            angle = Game_Random() % 130 + 25;
        while (std::abs(angle - 90) < 10);
        const double a = angle * 3.14 / 180.0;
        Game_Object_Sprite(number, source->sprite);
        vx_of(b) = speed16(std::trunc(std::cos(a) * speed));
        vz_of(b) = speed16(std::trunc(-std::sin(a) * speed));
        hold_of(b) = 0;
        place_object(number, source->x, source->y, source->z);
    }
}

void Balls_New_Life()
{
    for (int16_t number : pools.balls) {
        Game_Object_Sprite(number, SPRITE_BALL);
        Game_Object_Park(number);
    }
    paddle.x = GAME_PADDLE_START_X;
    paddle.z = GAME_PADDLE_LINE;
    paddle.y = GAME_PADDLE_Y;
    const WORLD_OBJECT *pad = Game_Object(pools.paddle);
    paddle.rest_z = paddle.z - (pad ? pad->height : 0);
    WORLD_OBJECT *b = Game_Object(pools.balls[0]);
    if (b) {
        const int speed = Difficulty_Speed(Levels_Played().level[Game_Level_Index()].initial_speed);
        vx_of(b) = speed16(speed / 5);
        vz_of(b) = speed16(std::trunc(-speed / 1.2));
        hold_of(b) = HOLD_STEPS;
        place_object(pools.balls[0], paddle.x, ball_y(), paddle.rest_z);
    }
    game.weapon = game.catch_on = game.fast_paddle = 0;
    game.follower = FOLLOWER_NONE;
    Game_Object_Park(pools.follower);
    Shots_Clear();
    Bonuses_Clear();
    game.balls_in_play = 1;
}

int Game_Balls_In_Play()
{
    int n = 0;
    for (int16_t number : pools.balls)
        n += Game_Object_Free(Game_Object(number)) ? 0 : 1;
    return n;
}

void Balls_Set_Sprite(int sprite)
{
    for (int16_t number : pools.balls) {
        WORLD_OBJECT *b = Game_Object(number);
        if (!b) continue;
        const int16_t vx = vx_of(b), vz = vz_of(b), hold = hold_of(b);
        Game_Object_Sprite(number, sprite);
        vx_of(b) = vx, vz_of(b) = vz, hold_of(b) = hold;
    }
}
