// What the attract sequence draws besides the game: the scenery world on show, seen from a
// camera gliding along it, the credits scrolling over the replayed demos, the title logo and the
// call to press a key.
#include "game/game_local.h"
#include "game/game_demo.h"
#include "game/game_play.h"
#include "game/game_text.h"
#include "world/world.h"
#include "world/world_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double SCENERY_SPEED = 0.5; // world units per tick along the world
constexpr double SCENERY_HEIGHT = 40.0;
constexpr int SCENERY_DEPTH = 30; // rows drawn in front of the camera

} // namespace

// ---------------------------------------------------------------------------------------------
// Scenery shows
// ---------------------------------------------------------------------------------------------

void Demo_Scenery_Draw()
{
    if (!game.world_loaded || demo.show_time <= 0) {
        draw_background();
        return;
    }
    const double shown = static_cast<double>(demo.show_time);
    const double elapsed = std::clamp(shown - game_flags.world_show_timer, 0.0, shown);
    for (; demo.scenery_steps < elapsed; demo.scenery_steps++) {
        update_animated_bitmaps(0.9);
        update_moving_cells(0.9);
        update_animated_objects(0.9);
    }
    // The camera glides from the near end of the world along its middle, swaying a little.
    const double c = world_param.cell, length = world_param.depth * c, done = elapsed / shown;
    const double travel = std::min(shown * SCENERY_SPEED, std::max(length - (SCENERY_DEPTH + 2) * c, 0.0));
    const double pi = 3.14159265358979;
    const double x = world_param.width * c / 2.0 + 2.0 * c * std::sin(done * 2.0 * pi);
    const double y = SCENERY_HEIGHT + 8.0 * std::sin(done * pi);
    const double z = length - 2.0 * c - travel * done;
    world_view.depth = SCENERY_DEPTH;
    world_view.falloff_start = SCENERY_DEPTH - 8;
    world_view.horizon_shift = -12;
    draw_background();
    render_world(x, y, z, 0);
}

// ---------------------------------------------------------------------------------------------
// Credits
// ---------------------------------------------------------------------------------------------

double Demo_Credits_Advance(double position, int lines, double step)
{
    if (lines + 5 < position / 12.0) position = position == DEMO_CREDITS_START ? -150.0 : -1500.0;
    return position + step * 0.5;
}

double Demo_Credits_Fade(double y)
{
    const double inside = std::min(y - DEMO_CREDITS_TOP, DEMO_CREDITS_BOTTOM - DEMO_TEXT_HEIGHT - y);
    return std::clamp(inside / DEMO_CREDITS_FADE, 0.0, 1.0);
}

void Demo_Credits_Step()
{
    demo.credits = Demo_Credits_Advance(demo.credits, Game_Credits_Count(), step_time);
}

void Demo_Credits_Draw()
{
    const int first = static_cast<int>(std::floor(demo.credits / 12.0));
    for (int i = std::max(first, 0); i <= first + 8 && i < GAME_CREDITS_MAX; i++) {
        const char *text = Game_Credit_Line(i);
        const size_t length = std::strlen(text);
        const double y = 12.0 * i - demo.credits, fade = Demo_Credits_Fade(y);
        if (!length || fade <= 0.0) continue;
        const double size = 8.0 * length > 125.0 ? 125.0 / length + 2.0 : DEMO_TEXT_HEIGHT, advance = size - 2.0;
        const int light = static_cast<int>(std::lround(15.0 * fade));
        const int transparency = 3 - static_cast<int>(std::floor(fade * 3.999));
        draw_sprite_text(text, 80.0 - advance * length / 2.0, y, 0, light, transparency, size, size, advance);
    }
}

// ---------------------------------------------------------------------------------------------
// The logo and the call to press a key
// ---------------------------------------------------------------------------------------------

int Demo_Paddle_Rows(double *top, double *bottom)
{
    const WORLD_OBJECT *pad = Game_Object(pools.paddle);
    if (!pad || Game_Object_Free(pad) || world_view.height <= 0 || world_view.focal_y <= 0) return 0;
    const float cx = static_cast<float>(game.cam_x), cy = static_cast<float>(game.cam_y);
    const float cz = static_cast<float>(game.cam_z);
    float sx, low, high;
    if (!project_point(static_cast<float>(pad->x), static_cast<float>(pad->y), static_cast<float>(pad->z), cx, cy, cz,
                       &sx, &low) ||
        !project_point(static_cast<float>(pad->x), static_cast<float>(pad->y + pad->height), static_cast<float>(pad->z),
                       cx, cy, cz, &sx, &high))
        return 0;
    // From OpenGL's -1..1 (upward) to overlay units, which count focal_y / 100 pixels each.
    const double units = world_view.height / 2.0 * 100.0 / world_view.focal_y;
    *top = (1.0 - high) * units;
    *bottom = (1.0 - low) * units;
    return 1;
}

void Demo_Attract_Draw()
{
    if (world_sprites && world_sprites[SPRITE_TITLE].defined) {
        const WORLD_SPRITE &s = world_sprites[SPRITE_TITLE];
        draw_screen_sprite(SPRITE_TITLE, s.param[0], s.param[1], 0, 15, s.transparency, s.height, s.width, 0, 0);
    }
    const bool scenery = game_flags.world_show_timer > 0.0f;
    double top, bottom;
    if (!scenery && Demo_Paddle_Rows(&top, &bottom) && top < DEMO_PROMPT_BOTTOM && bottom > DEMO_PROMPT_Y) return;
    const char *lead = Game_Message(MSG_PROMPT_LEAD), *call = Game_Message(MSG_PROMPT);
    // Over a scenery world the call stands alone: the lead line speaks of the paddle.
    if (!scenery) draw_sprite_text(lead, 155.0 - 6.0 * std::strlen(lead), DEMO_PROMPT_Y, 0, 15, 0, 10, 8, 6);
    draw_sprite_text(call, 155.0 - 6.0 * std::strlen(call), DEMO_PROMPT_Y + DEMO_PROMPT_STEP, 0, 15, 0, 10, 8, 6);
}
