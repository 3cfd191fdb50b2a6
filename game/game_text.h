// The texts the game draws by number: the game messages and the credit lines of the current
// language. The application layer fills them when a language is loaded; the game only reads.
// Texts are Latin-1 bytes, as the sprite text of the renderer expects.
#pragma once

#include <cstddef>

constexpr int GAME_MESSAGES_MAX = 69;      // numbers 0-68
constexpr int GAME_CREDITS_MAX = 149;      // lines 0-148

// Message numbers, named where the code shows them.
enum : int {
    GAME_MSG_SNAPSHOT_SAVED = 45,
};

// Message n, or "" for a number that is missing or out of range; never null.
const char *Game_Message(int n);
int Game_Messages_Count();
int Game_Credits_Count();
// Credit line i, or "" outside the loaded lines; never null.
const char *Game_Credit_Line(int i);

// ---------------------------------------------------------------------------------------------
// Filling (application layer)
// ---------------------------------------------------------------------------------------------

enum GAME_TEXT_KIND { GAME_TEXT_MESSAGES, GAME_TEXT_CREDITS };

// Appends a copy of `length` bytes of `text` as the next text of that kind. Returns 1, 0 when
// the kind is already full, -1 when the copy cannot be allocated.
int Game_Text_Add(GAME_TEXT_KIND kind, const char *text, size_t length);
// Frees every text of that kind.
void Game_Text_Free(GAME_TEXT_KIND kind);
