// The level table: every level's brick rows and settings, read once from "data\levels.txt".
#pragma once

#include "kx/kx_io/kx_io.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int LEVELS_MAX = 50;          // level numbers 0-49; the game starts at 1
constexpr int LEVEL_ROWS = 8;
constexpr int LEVEL_ROW_LENGTH = 14;
constexpr int LEVEL_ROW_SIZE = 50;      // bytes of one row allocation
constexpr int LEVELS_LINE_SIZE = 1000;  // lines hold at most 999 characters

// ---------------------------------------------------------------------------------------------
// Level tables (indexed by level number)
// ---------------------------------------------------------------------------------------------

extern int16_t level_floor_type[LEVELS_MAX];          // "#" 1-4
extern int16_t level_border_type[LEVELS_MAX];         // "$" 1-4
extern int16_t level_background_type[LEVELS_MAX];     // "%" 1-8
extern int16_t level_enemy_type[LEVELS_MAX];          // "&" 1-4
extern int16_t level_enemy_frequency[LEVELS_MAX];     // "*" 1 or more
extern int16_t level_speed_increase[LEVELS_MAX];      // "<" 0 or more
extern int16_t level_max_speed[LEVELS_MAX];           // ">" not below the initial speed
extern int16_t level_initial_speed[LEVELS_MAX];       // "@"
extern int16_t level_bonus_percentage[LEVELS_MAX];    // "^" 0-100
extern int16_t level_enemy_speed[LEVELS_MAX];         // "{" 0 or more
extern int16_t level_enemy_max[LEVELS_MAX];           // "}" 0-50
// Eight rows of 14 characters per level (each a "level row" block, or the shared row of A's).
extern char *level_rows[LEVELS_MAX][LEVEL_ROWS];
// Number of the level after the last one closed by "}"; the game goes up to it and stays there.
extern int level_count;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// How a fatal error in the levels file is reported: the message and the line it was found on
// (0 when it concerns no line).
using LEVELS_FAIL_FN = void (*)(int line, const char *message);

// Fills the level tables from "data\levels.txt". 1, or 0 after a fatal game error.
int Levels_Init();
// Fills the level tables from any file, reporting a fatal error through `fail` (Game_Error when
// null). 1, or 0 after the error; the rows read so far stay owned by the tables either way.
int Levels_Load(const char *file_name, LEVELS_FAIL_FN fail);
// The same from an open handle (which stays open).
int Levels_Read(KX_IO *file, LEVELS_FAIL_FN fail);
// Frees every row the file gave and points all rows back at the shared row.
void Levels_Free();
