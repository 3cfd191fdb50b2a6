// Game_Error: the game's fatal error. Shows "Error: " and the message in an alert titled
// "Error", then asks the main window to close; the caller carries on with its failure value
// until the frame loop ends the program through the normal shut-down.
#pragma once

#include <cstdarg>
#include <cstddef>

constexpr size_t GAME_ERROR_SIZE = 500;

void Game_Error(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Where fatal errors go instead of the alert and the close: the message as formatted, without
// "Error: " (null: the alert). Tests and tools capture errors through it.
using GAME_ERROR_HOOK = void (*)(const char *message);
void Game_Error_Hook_Set(GAME_ERROR_HOOK hook);

// A reader's failure function (levels, level sets, demos): the line of its input the message is
// about (0 when it concerns no line) and the message. Tools, tests and the editor pass one; the
// game passes none, and the failure is fatal.
using GAME_FAIL_FN = void (*)(int line, const char *message);
// Hands a reader's failure to `fail`, or to Game_Error when `fail` is null.
void Game_Fail(GAME_FAIL_FN fail, int line, const char *format, ...) __attribute__((format(printf, 3, 4)));

// The alert text: "Error: " followed by the formatted message, cut to fit `GAME_ERROR_SIZE`.
void Game_Error_Text(char *out, const char *format, va_list args);
