// Recorded demos and the attract sequence. Until the demo list plays, attract mode runs the
// first level with the computer player, so that the screen is never empty.
#include "game/game.h"
#include "game/game_random.h"

void Demo_Init()
{
    game_over_timer = 0.0f;
    paused = 0;
    attract_mode = 1;
    tape.steps = 0;
    tape.finished = 0;
    Game_Tape_Rewind();
    game.level = 1;
    game.cycle = 0;
    Level_Start(game.field_width, game.field_height);
    world_show_timer = 0.0f;
    Game_Ticks_Set(0);
}

void Demo_Save() {}

void Demo_Music_Request() {}

void Demo_Credits_Step() {}

void Demo_Credits_Draw() {}
