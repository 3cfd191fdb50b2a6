// The level editor's model: a set of levels held in memory, the cursor over the 8 x 14 grid of
// the current level, the edits (place, clear, levels added, duplicated or removed, settings) and
// their undo and redo. Plain data and functions: no drawing, no files, no input devices.
#pragma once

#include "game/game_levels.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int EDITOR_ROWS = LEVEL_ROWS;
constexpr int EDITOR_COLUMNS = LEVEL_ROW_LENGTH;
constexpr int EDITOR_LEVELS_MAX = LEVEL_SET_MAX;
constexpr int EDITOR_UNDO_MAX = 100;

// Settings are numbered as the levels file's table of them (level_settings) lists them.
enum : int {
    EDITOR_INITIAL_SPEED = 0,
    EDITOR_MAX_SPEED = 1,
    EDITOR_SETTINGS = LEVEL_SETTINGS,
};
static_assert(level_settings[EDITOR_INITIAL_SPEED].key == '@' && level_settings[EDITOR_MAX_SPEED].key == '>');

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// The levels being edited, the first at index 0. A level's note (the comment lines before its
// block in the file) belongs to the set the levels were read from; the model only points at it.
struct EDITOR_SET {
    LEVEL_DEF levels[EDITOR_LEVELS_MAX];
    int count;
};

// What an undo or a redo brings back: the whole set, with the level and cell that were being
// edited, so that undoing a change on another level goes back to that level.
struct EDITOR_SNAPSHOT {
    EDITOR_SET set;
    int level, row, column;
};

struct EDITOR_HISTORY {
    EDITOR_SNAPSHOT entries[EDITOR_UNDO_MAX];
    int first, count;   // a ring: the oldest entry and how many there are
};

struct EDITOR_MODEL {
    EDITOR_SET set;
    LEVEL_DEF fresh;       // what a new level starts as: empty rows, the settings given at start
    int level;             // index into set.levels
    int row, column;       // the cursor
    int changed;           // edits since the set was loaded or saved
    EDITOR_HISTORY undo, redo;
};

extern EDITOR_MODEL editor_model;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Starts editing `set` (copied; null: one new level) at the first level, history cleared. New
// levels take the settings of `settings` (null: the reader's defaults) with empty rows.
void editor_model_start(const EDITOR_SET *set, const LEVEL_DEF *settings = nullptr);

// Puts a brick at the cursor and moves right (on to the next row after the last column). 0 for a
// character that is no brick.
int editor_place(int ch);
// Puts `ch` (a brick, or ' ' to clear) at a cell without moving the cursor. 0 when nothing changed.
int editor_cell_set(int row, int column, int ch);
// Clears the cell under the cursor.
int editor_clear();
// Moves the cursor, staying on the grid.
void editor_cursor_move(int rows, int columns);

// Undo and redo: 0 when there is nothing to take back or to do again.
int editor_undo();
int editor_redo();

// The previous / next level of the set (0 at either end).
int editor_level_step(int delta);
// An empty level after the current one, a copy of the current one after it, or the current one
// removed; 0 when the set is full or, for removal, has a single level.
int editor_level_add();
int editor_level_duplicate();
int editor_level_remove();

// The range the levels file accepts for a setting (the maximum speed's lower end is the
// level's initial speed).
void editor_setting_range(const LEVEL_DEF *level, int setting, int *low, int *high);
// A setting of a level by its number.
int16_t &editor_setting(LEVEL_DEF *level, int setting);
int editor_setting_value(const LEVEL_DEF *level, int setting);
// Sets a setting of the current level, held within its range; raising the initial speed above
// the maximum raises the maximum with it. 0 when nothing changed.
int editor_setting_set(int setting, int value);
