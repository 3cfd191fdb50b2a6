// The state of the game as one line of --trace-game, and the names of the screen states.
#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_menu.h"
#include "game/game_random.h"

#include <cstdio>

void Game_Trace_Line(char *out, int size, uint32_t pass, int steps, const char *state)
{
    const int replaying = Game_Replaying();
    // The menu's page and selected item, "- -" while no menu is shown.
    char where[32] = "- -";
    if (game_flags.menu_shown) std::snprintf(where, sizeof where, "%d %d", menu.page, menu.item);
    std::snprintf(out, static_cast<size_t>(size),
                  "pass %u steps %d state %s level %d cycle %d score %d lives %d balls %d bricks %d paddle %.2f %.2f "
                  "demo %d/%d rand %d world %s menu %s difficulty %s\n",
                  pass, steps, state, game.level, game.cycle, game.score, game.lives, Game_Balls_In_Play(),
                  Game_Bricks_Count(1), paddle.x, paddle.z, replaying ? tape.step_index : 0, replaying ? tape.steps : 0,
                  tape.rand_count, game.world_loaded && world_def_name[0] ? world_def_name : "-", where,
                  Difficulty_Name(difficulty.current));
}
