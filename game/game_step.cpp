// One fixed game step: only the order of its parts. Each part lives in its own file.
#include "game/game_local.h"
#include "game/game_kept.h"
#include "game/game_play.h"
#include "game/game_progress.h"
#include "game/game_random.h"

#include "world/world.h"

namespace {

// The weak-ball bonus runs out: the balls break bricks again.
void weak_timer_step()
{
    if (game.weak_timer <= 0.0f) return;
    game.weak_timer -= 1.0f;
    if (game.weak_timer <= 0.0f) {
        game.weak_timer = 0.0f;
        Balls_Set_Sprite(SPRITE_BALL);
    }
}

} // namespace

void Game_Step()
{
    // A lost life waits for the pass to handle it, and a finished demo for the next one: steps
    // run in between would depend on how many ticks the pass found, and a replayed demo would
    // drift from its recording.
    if (!game.world_loaded || game.life_lost || tape.finished) return;
    Game_Tape_Step_Begin();
    const double dt = step_time * 3.0;
    update_animated_bitmaps(dt);
    update_moving_cells(dt);
    update_animated_objects(dt);
    const WORLD_OBJECT *pad = Game_Object(pools.paddle);
    paddle.rest_z = paddle.z - (pad ? pad->height : 0);
    if (game_flags.attract_mode && !game_flags.menu_shown) Demo_Credits_Step();
    Level_Build_Bricks();
    if (mapa_teclado && mapa_teclado[CMD_P] && game_flags.key_delay == 0.0f && !game_flags.attract_mode) {
        Screen_Pause_Toggle();
        game_flags.key_delay = 75.0f;
    }
    // A recording begins only while a level opens, where a replay begins too; a continued game
    // does not begin as a replay would.
    if (mapa_teclado && mapa_teclado[CMD_DEMO_RECORD] && game.level_opening && !game_flags.attract_mode && !tape.recording &&
        !kept.continued) {
        Game_Carry_Reset();
        Game_Tape_Record_Start();
    }
    Level_Won_Test();
    Extra_Life_Test();
    if (!game.start_move && !game.won_move) {
        Level_Skip_Test();
        const uint8_t input = Game_Step_Input();
        Shots_Fire(input);
        Shots_Step();
        Bonuses_Step();
        Enemies_Step();
        Paddle_Step(input);
        Follower_Step();
        weak_timer_step();
        Balls_Speed_Up();
        Balls_Step();
        Signs_Step();
    }
    Game_Tape_Advance();
    Camera_Moves_Step();
    game.balls_in_play = Game_Balls_In_Play();
    if (game.balls_in_play)
        Camera_Place();
    else
        game.life_lost = 1;
    game.steps++;
}
