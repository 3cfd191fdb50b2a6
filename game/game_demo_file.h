// Recorded demo files and the demo list: reading "data\demos.txt", reading and writing ".dem"
// files. A demo file is little-endian and has no header: level, step count N, random count M
// (signed 32-bit each), N step bytes, M signed 32-bit random values. A game played on another
// difficulty than Normal ends in a mark: the four bytes "DIFF" and the difficulty (signed
// 32-bit); a file without it replays as Normal.
#pragma once

#include "game/game_error.h"
#include "kx/kx_io/kx_io.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int DEMO_STEPS_MAX = 20000;   // entries of the movement table
constexpr int DEMO_RANDS_MAX = 80000;   // entries of the rand table
constexpr int DEMO_LINE_SIZE = 1000;    // a list line holds at most 999 characters
constexpr int DEMO_SHOW_DIGITS = 5;     // a scenery show time has 3 digits, or up to 5

enum : int {
    DEMO_ENTRY_REPLAY = '#',    // replay a demo file
    DEMO_ENTRY_SCENERY = '$',   // show a scenery world for a number of ticks
    DEMO_ENTRY_SKIP = '@',      // take the next entry at once
};

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct DEMO_ENTRY {
    int kind;                    // DEMO_ENTRY_*
    int show_time;               // ticks for a scenery world; 0 for a replay, 1 for a skip
    char name[DEMO_LINE_SIZE];   // demo file or world definition name, as written
};

// What one reading of the list found.
struct DEMO_LIST {
    DEMO_ENTRY entry;   // the entry at the asked position, or entry 0 when the list is shorter
    int wrapped;        // the position was past the last entry: entry 0 was taken
    int count;          // entries in the list
};

// The three counts at the head of a demo file, and the difficulty its end names.
struct DEMO_HEAD {
    int32_t level;
    int32_t steps;
    int32_t randoms;
    int32_t difficulty;   // DIFFICULTY_*
};

// How a fatal error is reported: the line is always 0, the messages name what they concern
// (Game_Error when null).
using DEMO_FAIL_FN = GAME_FAIL_FN;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Reads the demo list from an open handle and takes the entry at `position` (entry 0 when the
// list is shorter). An empty list, a list of skips only and an over-long line are fatal.
// 1, or 0 after `fail`.
int Demo_List_Read(KX_IO *file, int position, DEMO_LIST *list, DEMO_FAIL_FN fail);

// Reads a demo file from an open handle into `moves` (DEMO_STEPS_MAX bytes) and `rands`
// (DEMO_RANDS_MAX values). The counts, the level (0 .. level_limit - 1) and the file's length
// are checked before anything is read into the tables. `name` is for the messages.
// 1, or 0 after `fail`.
int Demo_File_Read(KX_IO *file, const char *name, int level_limit, DEMO_HEAD *head, uint8_t *moves, int32_t *rands,
                   DEMO_FAIL_FN fail);

// The bytes of a demo file: 12 + steps + 4 * randoms of them (and the 8 of the difficulty mark
// unless it is Normal) into `out`, which holds `size`. Returns the length, or 0 when it does not
// fit or a count or the difficulty is out of range.
size_t Demo_File_Encode(const DEMO_HEAD *head, const uint8_t *moves, const int32_t *rands, uint8_t *out, size_t size);

constexpr size_t DEMO_MARK_BYTES = 8;

// The game name of a recording of `level`: "level\level%2d.dem" (a space before one digit).
void Demo_Save_Name(int level, char *out, size_t size);
