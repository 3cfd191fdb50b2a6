// The table of the five best scores: loading (with the pristine copy on a first start), saving
// without ever losing the table, drawing, the qualification at the end of a game and the entry
// of a three-letter name, typed or picked with the direction keys.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

constexpr int HISCORE_ENTRIES = 5;
constexpr int HISCORE_NAME_SIZE = 100;      // bytes of each name buffer
constexpr int HISCORE_RECORD_SIZE = 8;      // score (4, little-endian) + 3 letters and a zero
constexpr int HISCORE_FILE_SIZE = HISCORE_ENTRIES * HISCORE_RECORD_SIZE;
constexpr int HISCORE_CURSOR_END = 3;       // the cursor position after the third letter
constexpr int32_t HISCORE_DEFAULT_SCORE = 100;

// The name alphabet; stepping wraps from its last character to its first and back.
constexpr char HISCORE_ALPHABET[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ.,;!@#$%&*()+-=";

struct HISCORE {
    int32_t score[HISCORE_ENTRIES];   // best first
    char *name[HISCORE_ENTRIES];      // "hi score name" blocks while loaded
    int loaded;
    int difficulty;                   // whose table is loaded (DIFFICULTY_*)
    int entry_row;                    // the row whose name is being entered
    int cursor;                       // 0-2 a letter, HISCORE_CURSOR_END the end marker
    int blink;
    float blink_timer;                // ticks
};
extern HISCORE hiscore;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Fills the table of the set chosen last, at the difficulty a new game would play: defaults, then
// its file. The shipped set's Normal table is "highscor.dat" (first copied from
// "data\\highscor.ori" when it does not exist yet), else "data\\highscor.ori"; its Easy and Hard
// tables start from "data\\highscor.ori" too. A missing or short file keeps the defaults.
void Hiscore_Load();
// The same for a given difficulty.
void Hiscore_Load_For(int difficulty);
// Marks the table loaded with every entry at its default (score 100, "AAA"); 0 after the fatal
// error of a failed allocation.
int Hiscore_Defaults();
void Hiscore_Draw();

// Fills the loaded table's entries from file bytes: as many whole records as `size` holds; a
// record whose name has no zero within its four bytes keeps its defaults.
void Hiscore_Read(const uint8_t *data, size_t size);
// The 40 file bytes of the loaded table.
void Hiscore_Write(uint8_t out[HISCORE_FILE_SIZE]);

// Hiscore_Qualify, Hiscore_Entry, Hiscore_Save and Hiscore_Free are declared in game.h for the
// game's overlay: the qualification when the game-over time has run out (outside attract mode a
// score that beats an entry takes its place, `name_entry` goes on, the high-score music plays
// and the game-over timer is held at 1), then one pass of name entry at a time until the name
// is saved and `name_entry` goes off.

// The qualification of Hiscore_Qualify for a given score; 1 when name entry started.
int Hiscore_Place(int32_t score);
// The alphabet character after (step 1) or before (step -1) `c`; a character outside the
// alphabet steps to the space.
char Hiscore_Letter_Step(char c, int step);
// The name letter a typed character gives: itself in capitals when the alphabet holds it, else 0.
// The space gives 0: the space bar moves the cursor on, as it always did.
char Hiscore_Typed_Letter(char c);
