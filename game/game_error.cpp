// Game_Error: formats the game's fatal error, alerts it and closes the window (or hands it to
// the hook that captures it).
#include "game/game_error.h"

#include "kx/kx_dsp/kx_dsp.h"

#include <cstdio>
#include <cstring>

static const char GAME_ERROR_PREFIX[] = "Error: ";
static GAME_ERROR_HOOK game_error_hook;

void Game_Error_Hook_Set(GAME_ERROR_HOOK hook)
{
    game_error_hook = hook;
}

void Game_Error_Text(char *out, const char *format, va_list args)
{
    constexpr size_t prefix = sizeof GAME_ERROR_PREFIX - 1;
    std::memcpy(out, GAME_ERROR_PREFIX, prefix + 1);
    if (format) std::vsnprintf(out + prefix, GAME_ERROR_SIZE - prefix, format, args);
}

void Game_Error(const char *format, ...)
{
    char text[GAME_ERROR_SIZE];
    va_list args;
    va_start(args, format);
    Game_Error_Text(text, format, args);
    va_end(args);
    if (game_error_hook) {
        game_error_hook(text + sizeof GAME_ERROR_PREFIX - 1);
        return;
    }
    kx_dsp_alert(text, "Error", KX_DSP_ALERT_ERROR);
    kx_dsp_quit_failed();
}
