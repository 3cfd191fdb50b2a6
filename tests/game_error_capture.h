// Fatal game errors captured instead of alerted, for the tests of the game's readers and tables:
// game_errors_capture() starts with an empty list; every Game_Error after it adds its message.
#pragma once

#include "game/game_error.h"

#include <string>
#include <vector>

inline std::vector<std::string> &game_errors()
{
    static std::vector<std::string> messages;
    return messages;
}

inline void game_errors_capture()
{
    game_errors().clear();
    Game_Error_Hook_Set([](const char *message) { game_errors().push_back(message); });
}

// The last message captured, or "" when there was none.
inline std::string game_error_last()
{
    return game_errors().empty() ? std::string() : game_errors().back();
}
