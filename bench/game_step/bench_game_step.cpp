// The game's cost: one Game_Step with 30 balls, 50 enemies, 30 shots and 20 bonuses in play
// (median of single steps, against the median of a floor-variant pass over the whole map as a
// peer measured in the same run); then whole passes of play (21 steps, the scene, particles and
// overlay, presentation) at 640 x 480: frames per second through the OpenGL driver, and the
// same passes with the world's geometry dropped before the driver, for the game's own share.
//   SDL_VIDEODRIVER=offscreen ./bench/game_step/bench_game_step [steps] [passes]
#include "tests/game/game_harness.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "world/world_render.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace game_test;

namespace {

using clock_type = std::chrono::steady_clock;

void null_begin() {}
void null_end() {}
void null_polygon(uint32_t, const WORLD_VERTEX *, int, uint32_t, float, int) {}
void null_line(float, float, float, float) {}
void null_points(const float *, int) {}
constexpr WORLD_SINK null_sink = {null_begin, null_end, null_polygon, null_line, null_points};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double us_since(clock_type::time_point t0)
{
    return std::chrono::duration<double, std::micro>(clock_type::now() - t0).count();
}

void start_level()
{
    game.level = 1;
    game.lives = 3;
    game_flags.attract_mode = game_flags.menu_shown = game_flags.paused = 0;
    game_autopilot = 1;
    Level_Start(639, 479);
    Level_Build_Bricks();
    game.start_move = 0;
    game.cam_distance = game.cam_tilt = 0.0;
    game_levels.level[1].enemy_max = 50;
}

// Passes of play: 21 steps, the scene, the overlay, presentation. Microseconds per pass.
std::vector<double> passes(int count)
{
    std::vector<double> t;
    for (int p = 0; p < count; p++) {
        auto t0 = clock_type::now();
        for (int s = 0; s < 21; s++) {
            step_time = 0.3;
            Game_Step();
        }
        if (game.life_lost) Pass_Events(21.0f);
        gen_wrap_screen_clear();
        game_frame_ms = 210.0f;
        Game_Render();
        Game_Overlay_Update(21.0f);
        Game_Overlay_Draw();
        gen_wrap_display_update();
        t.push_back(us_since(t0));
        if (game.won_move || game.lives < 2) start_level();
    }
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    const int steps = argc > 1 ? std::max(100, std::atoi(argv[1])) : 20000;
    const int pass_count = argc > 2 ? std::max(10, std::atoi(argv[2])) : 2000;
    if (!harness_start(640, 480)) {
        std::fprintf(stderr, "no OpenGL context or no data pack\n");
        return 1;
    }
    start_level();
    std::vector<double> step_us, peer_us;
    for (int i = 0; i < steps; i++) {
        if (i % 50 == 0) GameTest::pools_fill();
        game.weapon = 1;
        step_time = 0.3;
        auto t0 = clock_type::now();
        Game_Step();
        step_us.push_back(us_since(t0));
        if (i % 20 == 0) {
            t0 = clock_type::now();
            Floor_Variants_Update();
            peer_us.push_back(us_since(t0));
        }
        if (game.won_move || game.life_lost) start_level();
    }
    std::printf("Game_Step, every pool busy: median %.2f us over %d steps (peer, one floor-variant pass: %.2f us; "
                "ratio %.2f)\n",
                median(step_us), steps, median(peer_us), median(step_us) / median(peer_us));

    start_level();
    std::vector<double> full = passes(pass_count);
    world_sink_set(&null_sink);
    start_level();
    std::vector<double> own = passes(pass_count);
    world_sink_set(nullptr);
    double full_total = 0, own_total = 0;
    for (double v : full)
        full_total += v;
    for (double v : own)
        own_total += v;
    std::printf("pass of play at 640 x 480: %.1f frames per second over %d passes (median %.0f us); the game's own "
                "work %.0f us median, %.0f %% of the pass\n",
                pass_count / (full_total / 1e6), pass_count, median(full), median(own), 100.0 * own_total / full_total);
    harness_stop();
    return 0;
}
