// The view options (see game_view.h): the high camera and the ball shadows.
#include "game/game_view.h"

#include "game/game_local.h"
#include "game/game_play.h"

#include "kx/kx_io/kx_io.h"
#include "world/world.h"
#include "world/world_render.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

int view_high_camera;
int view_ball_shadows;

namespace {

// The high camera: above the middle of the field and far enough back that the field and its side
// walls fit the width of a 4:3 picture at the paddle line, with the horizon shifted so that the
// floor just past the paddle line meets the bottom edge and the far wall sits under the score.
constexpr double HIGH_X = 120.0;
constexpr double HIGH_Y = 200.0;
constexpr double HIGH_Z = 326.0;
constexpr int HIGH_HORIZON_SHIFT = -102;
constexpr int HIGH_DEPTH = 25;
constexpr int NORMAL_DEPTH = 17;

// A ball's shadow: sprite 7 of the brick world on the floor under the ball, a little to its right
// and nearer, where it shows beside the ball from either camera; none over a hole.
constexpr int SPRITE_BALL_SHADOW = 7;
constexpr double SHADOW_DX = 2.0, SHADOW_DZ = 1.0;
constexpr double FLOOR_LOWEST = -20.5;

int16_t shadows[GAME_BALLS];

bool shadow_sprite_defined()
{
    return world_sprites && world_sprites[SPRITE_BALL_SHADOW].defined;
}

void shadows_place()
{
    for (int i = 0; i < GAME_BALLS; i++) {
        const WORLD_OBJECT *ball = Game_Object(pools.balls[i]);
        if (!view_ball_shadows || Game_Object_Free(ball) || !shadow_sprite_defined()) {
            Game_Object_Park(shadows[i]);
            continue;
        }
        const double x = ball->x + SHADOW_DX, z = ball->z + SHADOW_DZ;
        const double h = floor_altitude(x, z);
        if (h < FLOOR_LOWEST || h > ball->y)
            Game_Object_Park(shadows[i]);
        else
            Game_Object_Place(shadows[i], x, h, z);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void View_Preferences_Read(const char *settings)
{
    int value = 0;
    if (kx_io_ini_get_int("Preferences", "HighCamera", &value, settings) && !kx_io_ini_failed(1))
        view_high_camera = value != 0;
    value = 0;
    if (kx_io_ini_get_int("Preferences", "BallShadows", &value, settings) && !kx_io_ini_failed(1))
        view_ball_shadows = value != 0;
}

void View_Preferences_Write(const char *settings)
{
    kx_io_ini_set_int("Preferences", "HighCamera", view_high_camera, settings);
    kx_io_ini_set_int("Preferences", "BallShadows", view_ball_shadows, settings);
}

void View_Pools_Make()
{
    const int sprite = shadow_sprite_defined() ? SPRITE_BALL_SHADOW : SPRITE_BALL;
    for (int16_t &s : shadows) s = create_object(static_cast<int16_t>(sprite), WORLD_PARKED, -20.0, 0.0);
}

void View_Place()
{
    if (game.scenery_loaded) return;
    if (!view_high_camera) {
        world_view.horizon_shift = GAME_HORIZON_SHIFT;
        world_view.depth = NORMAL_DEPTH;
    } else {
        // The camera moves blend the pose near the paddle (weight f) into the pose at rest
        // (weight w), as Camera_Place does; the high pose takes the place of the one at rest.
        const double d = game.cam_distance, f = std::clamp(d / GAME_MOVE_DISTANCE, 0.0, 1.0), w = 1.0 - f;
        game.cam_x = paddle.x * f + HIGH_X * w;
        game.cam_y = game.cam_y * f + HIGH_Y * w;
        game.cam_z = (paddle.z + GAME_TILE * GAME_CAMERA_K - d) * f + HIGH_Z * w;
        world_view.horizon_shift = static_cast<int>(GAME_HORIZON_SHIFT * f + HIGH_HORIZON_SHIFT * w);
        world_view.depth = HIGH_DEPTH;
    }
    shadows_place();
}
