// The level table: every level's brick rows and settings, read once from "data\levels.txt".
#pragma once

#include "game/game_error.h"
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

// One level as the game plays it: its settings ("#" floor 1-4, "$" border 1-4, "%" background
// 1-8, "&" enemy 1-4, "*" enemy frequency 1 or more, "<" speed increase 0 or more, ">" top speed,
// "@" initial speed, "^" bonus percentage 0-100, "{" enemy speed 0 or more, "}" enemies at most
// 0-50) and its eight rows of 14 characters (each a "level row" block, or the shared row of A's).
struct GAME_LEVEL {
    int16_t floor_type, border_type, background_type, enemy_type, enemy_frequency, speed_increase, max_speed,
        initial_speed, bonus_percentage, enemy_speed, enemy_max;
    char *rows[LEVEL_ROWS];
};
// The level table, indexed by level number. `count` is the number of the level after the last
// one closed by "}"; the game goes up to it and stays there.
struct GAME_LEVELS {
    GAME_LEVEL level[LEVELS_MAX];
    int count;
    // Which rows are blocks of their own (the others point at the shared row or at another
    // level's block), so that each block is freed exactly once.
    uint8_t row_owned[LEVELS_MAX][LEVEL_ROWS];
};
// The set in use, as Levels_Init, Levels_Load and Levels_Use fill it.
extern GAME_LEVELS game_levels;

// ---------------------------------------------------------------------------------------------
// Level sets held in memory (for editing, choosing and writing a levels file)
// ---------------------------------------------------------------------------------------------

constexpr int LEVEL_SET_MAX = LEVELS_MAX - 2;   // blocks a file may close: levels 1-48

// One level as a block of the file gives it.
// What a character of a level row is: the one answer for play, the reader, the writer and the
// level editor's grid and palette. Space and "." are empty cells; digits are metal bricks that
// never break, capitals take one hit, small letters two. Any other byte is no brick: it plays as
// an empty cell, and a player's set may not hold it.
enum LEVEL_CHAR : int { LEVEL_CHAR_EMPTY, LEVEL_CHAR_METAL, LEVEL_CHAR_ONE_HIT, LEVEL_CHAR_TWO_HITS, LEVEL_CHAR_OTHER };
LEVEL_CHAR Level_Char(int ch);
// 1 for a brick of any kind (metal, one hit, two hits).
int Level_Char_Brick(int ch);

struct LEVEL_DEF {
    int16_t initial_speed, max_speed, speed_increase, floor_type, border_type, background_type, enemy_type,
        enemy_frequency, enemy_speed, bonus_percentage, enemy_max;
    char rows[LEVEL_ROWS][LEVEL_ROW_LENGTH + 1];   // 14 characters each, padded with spaces
    uint8_t row_short[LEVEL_ROWS];   // spaces the file left off the end of a row: written the same way
    char *note;   // the comment and blank lines before the block, each ended by CR LF (owned), or null
};

// A whole levels file: level[1] to level[count] are its blocks closed by "}"; level[0] and the
// levels after the count hold the defaults.
struct LEVEL_SET {
    int count;
    LEVEL_DEF level[LEVELS_MAX];
    char *tail;   // the lines after the last "}", verbatim with CR LF (owned), or null
};

// One numeric setting: its line key, where a LEVEL_DEF keeps it, the range the reader accepts and
// its default. The table is in the order the writer writes the lines of a block. The maximum ball
// speed is also never below the level's initial speed.
struct LEVEL_SETTING {
    char key;
    int16_t LEVEL_DEF::*field;
    int16_t low, high, initial;
};
constexpr LEVEL_SETTING level_settings[] = {
    {'@', &LEVEL_DEF::initial_speed, -32768, 32767, 6500}, {'>', &LEVEL_DEF::max_speed, -32768, 32767, 7500},
    {'<', &LEVEL_DEF::speed_increase, 0, 32767, 100},      {'#', &LEVEL_DEF::floor_type, 1, 4, 1},
    {'$', &LEVEL_DEF::border_type, 1, 4, 1},               {'%', &LEVEL_DEF::background_type, 1, 8, 1},
    {'&', &LEVEL_DEF::enemy_type, 1, 4, 1},                {'*', &LEVEL_DEF::enemy_frequency, 1, 32767, 100},
    {'{', &LEVEL_DEF::enemy_speed, 0, 32767, 100},         {'^', &LEVEL_DEF::bonus_percentage, 0, 100, 20},
    {'}', &LEVEL_DEF::enemy_max, 0, 50, 50},
};
constexpr int LEVEL_SETTINGS = sizeof level_settings / sizeof level_settings[0];

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// How a fatal error in the levels file is reported: the message and the line it was found on
// (0 when it concerns no line); a fatal game error when null.
using LEVELS_FAIL_FN = GAME_FAIL_FN;
// Fills the level tables from "data\levels.txt". 1, or 0 after a fatal game error.
int Levels_Init();
// Fills the level tables from any file, reporting a fatal error through `fail` (Game_Error when
// null). 1, or 0 after the error, which leaves the tables empty (count 1, rows of A's).
int Levels_Load(const char *file_name, LEVELS_FAIL_FN fail);
// The same from an open handle (which stays open).
int Levels_Read(KX_IO *file, LEVELS_FAIL_FN fail);
// Fills the level tables from a set, as reading its file would. 1, or 0 after the error.
int Levels_Use(const LEVEL_SET *set, LEVELS_FAIL_FN fail);
// Frees every row the file gave and points all rows back at the shared row.
void Levels_Free();
// The table play reads: the set in use, or the level the editor shows while it shows one.
const GAME_LEVELS &Levels_Played();
// Plays `def` as the only level of a set, from a table of its own (the editor's view and test
// play); the set in use stays as it is. 1, or 0 after the error reported through `fail` (Game_Error
// when null).
int Levels_Preview_Use(const LEVEL_DEF *def, LEVELS_FAIL_FN fail);
// Play reads the set in use again.
void Levels_Preview_End();

// A level with the default settings, eight empty rows and no note (whatever it held is dropped
// without freeing: free a level's note first when it has one).
void Level_Def_Empty(LEVEL_DEF *def);
// Reads a levels file into `set` (zero-filled, or holding an earlier set, which is freed) with
// the checks and messages of Levels_Read, reporting through `fail` (Game_Error when null), and
// leaves the game's tables alone. 1, or 0 after the error with the set empty.
int Level_Set_Read(LEVEL_SET *set, KX_IO *file, LEVELS_FAIL_FN fail);
int Level_Set_Load(LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail);
// The same for a player's own set, which must be whole and plain to be played or edited. Refused
// besides: lines ending in LF alone, bytes that are not text (below 32 other than the CR LF line
// ends, and 255: the reader would drop them or cut the line), a row character that is no brick
// (with its column), a last level cut off before its "}" (at its first line) and a file without
// a level.
int Level_Set_Read_User(LEVEL_SET *set, KX_IO *file, LEVELS_FAIL_FN fail);
int Level_Set_Load_User(LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail);
// Frees the notes and the tail and leaves the set empty: no levels, every level at the defaults.
void Level_Set_Free(LEVEL_SET *set);

// The bytes of the levels file that holds `set` (CR LF lines), as a kx_mem block the caller frees,
// with its size. A set the reader would not give back exactly is refused with the reader's
// message (or says which level cannot be kept) and gives null.
char *Level_Set_Write(const LEVEL_SET *set, uint32_t *size, LEVELS_FAIL_FN fail);
// Writes the set to a file through kx_io_save (temporary file, forced to the disk, renamed). 1,
// or 0 after the error ("Cant write %s" when the file could not be written).
int Level_Set_Save(const LEVEL_SET *set, const char *file_name, LEVELS_FAIL_FN fail);
