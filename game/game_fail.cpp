// Game_Fail: where the readers of levels, level sets and demos send a failure, to the failure
// function their caller gave or, without one, to the game's fatal error. Kept apart from
// Game_Error so that tests can put a capture of their own in its place.
#include "game/game_error.h"

#include <cstdio>

void Game_Fail(GAME_FAIL_FN fail, int line, const char *format, ...)
{
    char message[700];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (fail) fail(line, message);
    else Game_Error("%s", message);
}
