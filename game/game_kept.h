// The kept game: a game the program closed during, kept as it stood at the start of its level
// ("kept.dat" in the per-user folder) so that the main menu can offer to continue it. Written
// through a temporary file like the high scores; a file that does not read whole is refused and
// removed.
#pragma once

#include "game/game_sets.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

// The file: "VMKG", then little-endian 32-bit words: version, difficulty, level, cycle, score,
// lives, the set name's length; the set name's bytes ("" for the shipped levels); a check word
// (FNV-1a of every byte before it).
constexpr uint32_t KEPT_VERSION = 1;
constexpr size_t KEPT_FIXED_BYTES = 4 + 7 * 4 + 4;
constexpr size_t KEPT_FILE_MAX = KEPT_FIXED_BYTES + SETS_NAME_MAX;
constexpr int32_t KEPT_LIVES_MAX = 999;

struct KEPT_GAME {
    char set[SETS_NAME_MAX + 1];   // "" for the shipped levels
    int32_t difficulty;
    int32_t level;                 // 1 ...
    int32_t cycle;
    int32_t score;
    int32_t lives;
};

struct KEPT {
    int present;       // a kept game lies on the disk: the main menu offers CONTINUE
    int playing;       // the game in play is a player's, kept if the program closes
    int continued;     // it was continued: nothing records it
    KEPT_GAME start;   // its level as it began
};
extern KEPT kept;

// What Kept_Continue found.
enum : int {
    KEPT_MISSING = -1,
    KEPT_DAMAGED = 0,     // refused and removed
    KEPT_RESUMED = 1,
    KEPT_SET_REFUSED = 2, // its level set cannot be played now (sets.message says why); kept
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The bytes of a kept game into `out` (KEPT_FILE_MAX bytes); their count, 0 for a record that
// cannot be written (a set name that is no set's).
size_t Kept_Encode(const KEPT_GAME *k, uint8_t *out);
// Reads the bytes of a kept game; 1 when they are a whole, valid one.
int Kept_Decode(const uint8_t *data, size_t size, KEPT_GAME *k);

// At start: whether a kept game lies on the disk.
void Kept_Find();
// A game begins: a player's (`playing`), or one of the editor or a recording that is never kept.
void Kept_Game_Begin(int playing);
// A level of the game in play begins: the record the program keeps if it closes.
void Kept_Level_Start();
// The game in play has ended (game over, given up): a kept game of it is removed.
void Kept_Game_End();
// The program closes: a player's game in play is kept; 1 when one was written.
int Kept_Close();
// Removes the kept game from the disk.
void Kept_Remove();
// CONTINUE: reads the kept game and resumes it at the start of its level.
int Kept_Continue();
