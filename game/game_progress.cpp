// Score, lives and levels: a new game, the start of a level and of a life, the level won, the
// extra-life rule, the level skip, the start-up and level-won camera moves, the far view and
// the camera that follows the paddle.
#include "game/game_progress.h"

#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_kept.h"
#include "game/game_levels.h"
#include "game/game_play.h"
#include "game/game_random.h"
#include "game/game_music.h"
#include "game/game_view.h"

#include "world/particle.h"
#include "world/world.h"
#include "world/world_render.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int MOVE_STEPS = 180; // 36 / 0.2
constexpr double CAMERA_HEIGHT = 38.0;

} // namespace

int Level_Music_Number(int level, int cycle)
{
    int n = (cycle + level - 1) % 7;
    return (n < 0 ? n + 7 : n) + 1;
}

void Game_Carry_Reset()
{
    game.weak_timer = 0.0f;
    game.freeze_timer = 0;
    game.shot_cooldown = 0.0f;
    game.extra_life_timer = 0.0f;
    for (double &d : paddle.ring) d = 0.0;
    paddle.ring_index = 0;
}

void New_Game()
{
    // A new game takes the place of the kept one.
    Kept_Remove();
    difficulty.current = Difficulty_For_Game();
    Game_Begin(1, 0, 0, Difficulty_Lives(), 1);
}

void New_Game_Level(int level)
{
    difficulty.current = Difficulty_For_Game();
    Game_Begin(level, 0, 0, Difficulty_Lives(), 0);
}

void Game_Begin(int level, int cycle, int32_t score, int lives, int player)
{
    Game_Particles_Stop_All();
    Game_Carry_Reset();
    Kept_Game_Begin(player);
    tape.recording = 0;
    game.score = game.score_previous = score;
    game.weapon = 0;
    Screen_Play();
    game.level = level;
    game.cycle = cycle;
    game.lives = lives;
    tape.steps = 0;
    tape.finished = 0;
    if (game.scenery_loaded) World_Unload();
    game_flags.world_show_timer = 0.0f;
    Level_Start(game.field_width, game.field_height);
    Game_Ticks_Set(1);
}

namespace {

// The brick world loaded, with the level's background and the view of the field; 0 when the
// world could not be loaded.
int level_world_ready(int width, int height)
{
    if (!game.world_loaded) World_Load("level\\brick.def", "level\\brick.map");
    if (!game.world_loaded) return 0;
    if (!game.scenery_loaded) {
        char name[64];
        std::snprintf(name, sizeof name, "gfx\\backgrou\\%d.png", Levels_Played().level[Game_Level_Index()].background_type);
        world_background_set(name);
        set_world_viewport(height, width);
    }
    return 1;
}

} // namespace

void Level_Start(int width, int height)
{
    if (!level_world_ready(width, height)) return;
    const WORLD_OBJECT *pad = Game_Object(pools.paddle);
    const int half = world_sprites && world_sprites[SPRITE_PADDLE].defined ? world_sprites[SPRITE_PADDLE].width / 2
                     : pad                                                 ? pad->width / 2
                                                                           : 15;
    paddle.x_min = GAME_LEFT_WALL + half;
    paddle.x_max = GAME_RIGHT_WALL - half;
    Enemies_Park();
    Signs_Clear();
    game.rebuild = REBUILD_FULL;
    paddle.v = 0.0;
    if (!game_flags.attract_mode) {
        game.music_number = Level_Music_Number(game.level, game.cycle);
        char music[32];
        std::snprintf(music, sizeof music, "snd\\%d.s3m", game.music_number);
        Game_Music_Play(music);
    }
    Game_Ticks_Set(0);
    New_Life();
    game.level_opening = 1;
    Kept_Level_Start();
}

void Level_Preview(int level, int width, int height)
{
    Game_Particles_Stop_All();
    Game_Carry_Reset();
    Bonuses_Clear();
    Shots_Clear();
    game.level = level;
    game.cycle = 0;
    game.won_move = 0;
    game.follower = FOLLOWER_NONE;
    if (game.scenery_loaded) World_Unload();
    game_flags.world_show_timer = 0.0f;
    if (!level_world_ready(width, height)) return;
    Enemies_Park();
    Signs_Clear();
    game.rebuild = REBUILD_FULL;
    Level_Build_Bricks();
    paddle.v = 0.0;
    New_Life();
    game.start_move = 0;
    game.level_opening = 0;
    game.cam_distance = game.cam_tilt = 0.0;
    Camera_Place();
}

void New_Life()
{
    Balls_New_Life();
    game.start_move = 1;
    game.won_move = 0;
    game.move_steps = 0;
    game.start_effect = 1;
    game.far_view = 0;
    game.cam_distance = GAME_MOVE_DISTANCE;
    game.cam_tilt = GAME_MOVE_TILT;
    game.cam_x = GAME_PADDLE_START_X;
    game.cam_y = CAMERA_HEIGHT;
    game.cam_z = GAME_CAMERA_FAR;
    game.next_life = GAME_NO_THRESHOLD;
    game.speedup_counter = 100;
    game.enemy_counter = Levels_Played().level[Game_Level_Index()].enemy_frequency;
    game.life_lost = 0;
    Camera_Place();
}

void Level_Won()
{
    game.won_move = 1;
    game.won_effect = 1;
    game.move_steps = 0;
    Game_Particles_Stop(1);
    Game_Particles_Stop(2);
    Game_Particles_At(0, paddle.x, -10.0, GAME_TOP_WALL + 60.0);
}

void Level_Won_Test()
{
    if (game.won_move || !world_cells) return;
    if (Game_Bricks_Count(0) == 0) Level_Won();
}

void Extra_Life_Test()
{
    // A replay earns the extra lives its recording earned, or it would end before its tape does;
    // its message stays off the attract sequence's texts.
    if (game.score > game.score_previous && (!game_flags.attract_mode || Game_Replaying())) {
        if (game.score >= game.next_life) {
            game.lives++;
            Game_Effect(12);
            if (!game_flags.attract_mode) game.extra_life_timer = 80.0f;
        }
    } else {
        game.next_life = GAME_NO_THRESHOLD;
        for (int i = 0; i < 10; i++)
            if (game_life_table[i] > game.score) {
                game.next_life = game_life_table[i];
                break;
            }
    }
    game.score_previous = game.score;
}

int Game_Shortcuts_Allowed()
{
    return !game_flags.attract_mode && !tape.recording;
}

void Level_Skip_Test()
{
    if (mapa_teclado && mapa_teclado[CMD_NEXT_LEVEL] && Game_Shortcuts_Allowed() && game.level < LEVELS_MAX) {
        mapa_teclado[CMD_NEXT_LEVEL] = 0;
        Level_Won();
    }
}

void Camera_Moves_Step()
{
    if (game.start_move) {
        if (game.start_effect) Game_Effect(2);
        game.start_effect = 0;
        game.move_steps++;
        game.cam_distance = GAME_MOVE_DISTANCE - GAME_MOVE_STEP * game.move_steps;
        game.cam_tilt = GAME_MOVE_TILT - GAME_MOVE_TILT_STEP * game.move_steps;
        if (game.move_steps >= MOVE_STEPS) {
            game.cam_distance = game.cam_tilt = 0.0;
            game.start_move = 0;
            game.level_opening = 0;
            Game_Tape_Move_Ended();
        }
    } else if (game.won_move) {
        if (game.won_effect) Game_Effect(3);
        game.won_effect = 0;
        game.move_steps++;
        game.cam_distance = GAME_MOVE_STEP * game.move_steps;
        game.cam_tilt = GAME_MOVE_TILT_STEP * game.move_steps;
        if (game.move_steps >= MOVE_STEPS) {
            game.cam_distance = GAME_MOVE_DISTANCE;
            game.cam_tilt = GAME_MOVE_TILT;
            game.won_move = 0;
            game.level++;
            Game_Particles_Stop_All();
            if (game.level >= Levels_Played().count) {
                game.cycle++;
                game.level = Levels_Played().count;
            }
            Level_Start(game.field_width, game.field_height);
        }
    } else if (game.far_view > 0) {
        game.far_view--;
        game.cam_distance = std::min(game.cam_distance + GAME_MOVE_STEP / 2, GAME_MOVE_DISTANCE / 2);
        game.cam_tilt = std::min(game.cam_tilt + GAME_MOVE_TILT_STEP / 2, GAME_MOVE_TILT / 2);
    } else if (game.cam_distance > 0.0) {
        game.cam_distance = std::max(game.cam_distance - GAME_MOVE_STEP / 2, 0.0);
        game.cam_tilt = std::max(game.cam_tilt - GAME_MOVE_TILT_STEP / 2, 0.0);
    }
}

float Camera_Fade()
{
    // The camera is under the floor for the first 37 steps of the start-up move (and the last
    // 37 of the level-won move): black then, and a fade of 60 steps beside it.
    constexpr int UNDER = 40, FADE = 60;
    int k = game.start_move ? game.move_steps : game.won_move ? MOVE_STEPS - game.move_steps : UNDER + FADE;
    if (k <= UNDER) return 1.0f;
    return k >= UNDER + FADE ? 0.0f : 1.0f - static_cast<float>(k - UNDER) / FADE;
}

void Camera_Place()
{
    const double d = game.cam_distance, g = GAME_MOVE_DISTANCE - d, f = 1.0 - g / GAME_MOVE_DISTANCE;
    const double w = g / GAME_MOVE_DISTANCE;
    game.cam_x = paddle.x * f + (GAME_PADDLE_START_X - (GAME_PADDLE_START_X - paddle.x) / 1.3) * w;
    game.cam_y = CAMERA_HEIGHT - game.cam_tilt;
    game.cam_z = (paddle.z + GAME_TILE * GAME_CAMERA_K - d) * f +
                 (GAME_CAMERA_FAR - (GAME_CAMERA_FAR - (GAME_PADDLE_LINE + GAME_TILE * GAME_CAMERA_K - d)) * 0.25) * w;
    const int sprite = game.weapon ? SPRITE_PADDLE_WEAPON : game.catch_on ? SPRITE_PADDLE_CATCH : SPRITE_PADDLE;
    Game_Object_Sprite(pools.paddle, sprite);
    Game_Object_Place(pools.paddle, paddle.x, paddle.y, paddle.z);
    Game_Object_Place(pools.shadow, paddle.x, -20.0, paddle.z + 1.0);
    if (game.follower == FOLLOWER_NONE)
        Game_Object_Park(pools.follower);
    else
        Game_Object_Place(pools.follower, game.follower_x, paddle.y, GAME_PADDLE_LINE + 3.0);
    View_Place();
}
