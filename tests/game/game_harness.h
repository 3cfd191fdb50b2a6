// The game in-process: the engine modules the game tables need, an offscreen OpenGL context for
// the world's textures, the data pack of the build, and Game_Tables_Init itself. Each test
// starts a level of its own rows and places balls, bricks and bonuses by hand.
#pragma once

#include "game/game_local.h"
#include "game/game_levels.h"
#include "game/game_play.h"
#include "game/game_progress.h"
#include "game/game_random.h"

#include "gen/gen_wrap.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_core.h"
#include "platform/plat_files.h"
#include "world/particle.h"
#include "world/world.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace game_test {

inline std::vector<int> effects;
inline std::vector<std::string> alerts;

// Starts the engine modules, an offscreen context of w x h and the game tables. The data pack of
// the build is read from its folder, which becomes the current directory.
inline bool harness_start(int w, int h)
{
    static int32_t error_settings, list_settings, str_settings, bit_settings;
    static KX_MEM_SETTINGS mem_settings{0, 0};
    static KX_IO_SETTINGS io_settings{0, 0, "resource.dat", nullptr};
    if (plat_files_chdir(VM_GAME_DATA_DIR) != 0) return false;
    plat_alert_capture([](const char *text, const char *title, unsigned) {
        return alerts.push_back(std::string(title ? title : "") + "|" + (text ? text : "")), 1;
    });
    kx_error_init(&error_settings);
    kx_list_init(&list_settings);
    kx_mem_init(&mem_settings);
    kx_str_init(&str_settings);
    kx_io_init(&io_settings);
    kx_bit_init(&bit_settings);
    if (!gen_wrap_headless_start(w, h, 0)) return false;
    gen_wrap_install();
    return Game_Tables_Init(w - 1, h - 1) != 0;
}

inline void harness_stop()
{
    Game_Cleanup();
    gen_wrap_headless_stop();
    kx_bit_deinit();
    kx_io_deinit();
    kx_str_deinit();
    kx_mem_deinit();
    kx_list_deinit();
    plat_alert_capture(nullptr);
}

class GameTest : public ::testing::Test {
  public:
    static void SetUpTestSuite()
    {
        ready = harness_start(640, 480);
    }
    static void TearDownTestSuite()
    {
        harness_stop();
    }
    void SetUp() override
    {
        if (!ready) GTEST_SKIP() << "no OpenGL context or no data pack";
        saved = {};
        for (int r = 0; r < LEVEL_ROWS; r++)
            saved[r] = game_levels.level[1].rows[r];
        saved_percentage = game_levels.level[1].bonus_percentage;
        saved_enemy_max = game_levels.level[1].enemy_max;
        effects.clear();
        alerts.clear();
        game_effect_fn = [](int n) { effects.push_back(n); };
        game_flags.attract_mode = game_flags.menu_shown = game_flags.paused = game_flags.no_life_loss = game_autopilot = 0;
        game_flags.game_over_timer = game_flags.world_show_timer = game_flags.key_delay = 0.0f;
        step_time = 0.3;
        pref_floor = 1;
        std::fill(mapa_teclado, mapa_teclado + 256, 0);
        tape.recording = tape.steps = 0;
        Game_Random_Seed(12345);
    }
    void TearDown() override
    {
        if (!ready) return;
        for (int r = 0; r < LEVEL_ROWS; r++)
            game_levels.level[1].rows[r] = saved[r];
        game_levels.level[1].bonus_percentage = saved_percentage;
        game_levels.level[1].enemy_max = saved_enemy_max;
        game_effect_fn = nullptr;
        Game_Particles_Stop_All();
    }

    // Starts level 1 with these eight rows (14 characters each), past its start-up move: the
    // first ball held on the paddle, no enemy, the bricks built.
    void level(const std::array<const char *, 8> &rows, int bonus_percentage = 0)
    {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            rows_copy[r] = rows[r];
            rows_copy[r].resize(LEVEL_ROW_LENGTH, ' ');
            game_levels.level[1].rows[r] = rows_copy[r].data();
        }
        game_levels.level[1].bonus_percentage = static_cast<int16_t>(bonus_percentage);
        game.level = 1;
        game.cycle = 0;
        game.score = game.score_previous = 0;
        game.lives = 3;
        Level_Start(639, 479);
        Level_Build_Bricks();
        game.start_move = 0;
        game.cam_distance = game.cam_tilt = 0.0;
        game.enemy_counter = 1000000;
        effects.clear();
    }

    static WORLD_OBJECT *ball(int i)
    {
        return Game_Object(pools.balls[i]);
    }
    // Puts ball i in play at (x, z) with the speed (vx, vz), free of the paddle.
    static WORLD_OBJECT *ball_set(int i, double x, double z, int vx, int vz, int sprite = SPRITE_BALL)
    {
        Game_Object_Sprite(pools.balls[i], sprite);
        WORLD_OBJECT *b = ball(i);
        b->param[0] = static_cast<int16_t>(vx);
        b->param[1] = static_cast<int16_t>(vz);
        b->param[2] = 0;
        Game_Object_Place(pools.balls[i], x, -19.0, z);
        return b;
    }
    // Balls, enemies, falling bonuses and shots in every slot of their pools.
    static void pools_fill()
    {
        for (int i = 0; i < GAME_BALLS; i++)
            if (Game_Object_Free(GameTest::ball(i))) GameTest::ball_set(i, 40.0 + i * 5, 100.0 + i, 4000 + i * 50, -5000);
        for (int i = 0; i < GAME_ENEMIES; i++)
            if (Game_Object_Free(Game_Object(pools.enemies[i]))) {
                Game_Object_Sprite(pools.enemies[i], 20);
                Game_Object_Place(pools.enemies[i], 40.0 + (i % 14) * 12, -20.0, 80.0 + (i / 14) * 10);
            }
        for (int i = 0; i < GAME_BONUSES; i++)
            if (Game_Object_Free(Game_Object(pools.bonuses[i]))) {
                Game_Object_Sprite(pools.bonuses[i], 80 + i % 16);
                Game_Object_Place(pools.bonuses[i], 40.0 + i * 8, -14.0, 60.0);
            }
        for (int i = 0; i < GAME_SHOTS; i++)
            if (Game_Object_Free(Game_Object(pools.shots[i])))
                Shot_Place(pools.shots[i], SPRITE_SHOT, 40.0 + i * 5, -19.8, 180.0);
    }
    static double speed(const WORLD_OBJECT *b)
    {
        return std::hypot(double(b->param[0]), double(b->param[1]));
    }
    static double angle(const WORLD_OBJECT *b)
    {
        return std::atan2(-double(b->param[1]), double(b->param[0])) * 180.0 / M_PI;
    }
    static WORLD_CELL *cell(int row, int column)
    {
        return world_cell_at(row, column);
    }
    static int count_effect(int n)
    {
        int k = 0;
        for (int e : effects)
            k += e == n;
        return k;
    }

    static bool ready;
    std::array<char *, LEVEL_ROWS> saved;
    std::array<std::string, LEVEL_ROWS> rows_copy;
    int16_t saved_percentage = 0, saved_enemy_max = 0;
};
inline bool GameTest::ready = false;

// Level row r is map row r + 5, character c map column c + 3. A level is won when no breakable
// brick is left, so the "empty" level keeps one in its top-right corner.
constexpr std::array<const char *, 8> EMPTY = {"             Z", "", "", "", "", "", "", ""};

} // namespace game_test
