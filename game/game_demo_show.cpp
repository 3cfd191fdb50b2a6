// What the attract sequence draws besides the game: the scenery world on show, seen from a
// camera gliding along it, and the credits scrolling over the replayed demos.
#include "game/game.h"
#include "game/game_demo.h"
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
    const double elapsed = std::clamp(shown - world_show_timer, 0.0, shown);
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
    return std::clamp(std::min(y + 12.0, DEMO_CREDITS_BAND - y) / DEMO_CREDITS_FADE, 0.0, 1.0);
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
        const double size = 8.0 * length > 125.0 ? 125.0 / length + 2.0 : 10.0, advance = size - 2.0;
        const int light = static_cast<int>(std::lround(15.0 * fade));
        const int transparency = 3 - static_cast<int>(std::floor(fade * 3.999));
        draw_sprite_text(text, 80.0 - advance * length / 2.0, y, 0, light, transparency, size, size, advance);
    }
}
