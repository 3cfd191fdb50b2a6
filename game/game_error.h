// Game_Error: the game's fatal error. Shows "Error: " and the message in an alert titled
// "Error", then asks the main window to close; the caller carries on with its failure value
// until the frame loop ends the program through the normal shut-down.
#pragma once

#include <cstdarg>
#include <cstddef>

constexpr size_t GAME_ERROR_SIZE = 500;

void Game_Error(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The alert text: "Error: " followed by the formatted message, cut to fit `GAME_ERROR_SIZE`.
void Game_Error_Text(char *out, const char *format, va_list args);
