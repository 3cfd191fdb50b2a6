// veltramondo-tool levels: reads a levels file exactly as the game reads a player's set and prints
// the level table, or the message the game would show with the line it concerns (status 1); or
// draws a level (vtool_levels_render.cpp).
#include "tools/veltramondo-tool/vtool.h"

#include "game/game_levels.h"

#include <cstdio>
#include <string>

namespace {

std::string levels_message;
int levels_line = 0;

void levels_capture(int line, const char *message)
{
    levels_message = message;
    levels_line = line;
}

// The levels the file holds; the game repeats the last one after them, which is its own business.
void levels_print(const char *file_name)
{
    const int count = game_levels.count - 1;
    std::printf("%s: %d level%s\n", file_name, count, count == 1 ? "" : "s");
    for (int n = 1; n <= count; n++) {
        std::printf("level %d: floor %d, border %d, background %d, enemy type %d, enemy frequency %d, "
                    "enemy speed %d, enemy maximum %d, initial speed %d, maximum speed %d, speed increase %d, "
                    "bonus %d%%\n",
                    n, game_levels.level[n].floor_type, game_levels.level[n].border_type, game_levels.level[n].background_type, game_levels.level[n].enemy_type,
                    game_levels.level[n].enemy_frequency, game_levels.level[n].enemy_speed, game_levels.level[n].enemy_max, game_levels.level[n].initial_speed,
                    game_levels.level[n].max_speed, game_levels.level[n].speed_increase, game_levels.level[n].bonus_percentage);
        for (int r = 0; r < LEVEL_ROWS; r++) std::printf("  |%s|\n", game_levels.level[n].rows[r]);
    }
}

int levels_run(const std::vector<std::string> &args)
{
    if (!args.empty() && args[0] == "render") return vtool_levels_render({args.begin() + 1, args.end()});
    if (args.size() != 2 || args[0] != "check") {
        std::fprintf(stderr, "usage: veltramondo-tool levels check FILE | levels render FILE LEVEL OUT.png [--pack FILE]\n");
        return 2;
    }
    if (!vtool_engine_start(nullptr)) return 1;
    const char *file_name = args[1].c_str();
    levels_message.clear();
    // Checked as a player's set: what the game would refuse to play or edit is an error here.
    static LEVEL_SET set;
    int ok = Level_Set_Load_User(&set, file_name, levels_capture) && Levels_Use(&set, levels_capture);
    Level_Set_Free(&set);
    if (ok) {
        levels_print(file_name);
    } else if (levels_line > 0) {
        std::fprintf(stderr, "%s:%d: Error: %s\n", file_name, levels_line, levels_message.c_str());
    } else {
        std::fprintf(stderr, "%s: Error: %s\n", file_name, levels_message.c_str());
    }
    std::fflush(stdout);
    Levels_Free();
    vtool_engine_stop();
    return ok ? 0 : 1;
}

} // namespace

VTOOL_COMMAND("levels", "levels check FILE: reads a levels file as the game reads a player's set and prints its levels "
                        "or its error; "
                        "levels render FILE LEVEL OUT.png [--pack FILE]: draws a level as the game shows it",
              levels_run);
