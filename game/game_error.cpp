// Game_Error: formats the game's fatal error, alerts it and closes the window.
#include "game/game_error.h"

#include "kx/kx_dsp/kx_dsp.h"

#include <cstdio>
#include <cstring>

static const char GAME_ERROR_PREFIX[] = "Error: ";

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
    kx_dsp_alert(text, "Error", KX_DSP_ALERT_ERROR);
    kx_dsp_quit_failed();
}
