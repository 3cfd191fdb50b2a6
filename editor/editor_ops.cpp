// The level editor's model: edits of the set in memory and their undo and redo.
#include "editor/editor_ops.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

EDITOR_MODEL editor_model;

namespace {

LEVEL_DEF &current()
{
    return editor_model.set.levels[editor_model.level];
}

void history_push(EDITOR_HISTORY &h)
{
    int at = (h.first + h.count) % EDITOR_UNDO_MAX;
    if (h.count == EDITOR_UNDO_MAX) h.first = (h.first + 1) % EDITOR_UNDO_MAX;
    else h.count++;
    EDITOR_SNAPSHOT &s = h.entries[at];
    s.set = editor_model.set;
    s.level = editor_model.level;
    s.row = editor_model.row;
    s.column = editor_model.column;
}

// Takes the newest entry of `from` into the model after saving the model into `to`.
int history_swap(EDITOR_HISTORY &from, EDITOR_HISTORY &to)
{
    if (!from.count) return 0;
    history_push(to);
    from.count--;
    const EDITOR_SNAPSHOT &s = from.entries[(from.first + from.count) % EDITOR_UNDO_MAX];
    editor_model.set = s.set;
    editor_model.level = s.level;
    editor_model.row = s.row;
    editor_model.column = s.column;
    editor_model.changed = 1;
    return 1;
}

// Called before every edit: the state before it can be undone, and what was undone is gone.
void edit_begin()
{
    history_push(editor_model.undo);
    editor_model.redo.count = 0;
    editor_model.changed = 1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int16_t &editor_setting(LEVEL_DEF *level, int setting)
{
    return level->*level_settings[setting].field;
}

int editor_setting_value(const LEVEL_DEF *level, int setting)
{
    return level->*level_settings[setting].field;
}

void editor_model_start(const EDITOR_SET *set, const LEVEL_DEF *settings)
{
    LEVEL_DEF &fresh = editor_model.fresh;
    Level_Def_Empty(&fresh);
    if (settings)
        for (const LEVEL_SETTING &s : level_settings) fresh.*s.field = settings->*s.field;
    editor_model.set.count = 1;
    editor_model.set.levels[0] = fresh;
    if (set && set->count >= 1 && set->count <= EDITOR_LEVELS_MAX) editor_model.set = *set;
    editor_model.level = editor_model.row = editor_model.column = 0;
    editor_model.changed = 0;
    editor_model.undo.count = editor_model.redo.count = 0;
}

int editor_cell_set(int row, int column, int ch)
{
    if (row < 0 || row >= EDITOR_ROWS || column < 0 || column >= EDITOR_COLUMNS) return 0;
    if (ch != ' ' && !Level_Char_Brick(ch)) return 0;
    char &cell = current().rows[row][column];
    if (cell == ch) return 0;
    edit_begin();
    cell = static_cast<char>(ch);
    return 1;
}

int editor_place(int ch)
{
    if (!Level_Char_Brick(ch)) return 0;
    editor_cell_set(editor_model.row, editor_model.column, ch);
    if (editor_model.column < EDITOR_COLUMNS - 1) editor_model.column++;
    else if (editor_model.row < EDITOR_ROWS - 1) {
        editor_model.column = 0;
        editor_model.row++;
    }
    return 1;
}

int editor_clear()
{
    return editor_cell_set(editor_model.row, editor_model.column, ' ');
}

void editor_cursor_move(int rows, int columns)
{
    editor_model.row = std::clamp(editor_model.row + rows, 0, EDITOR_ROWS - 1);
    editor_model.column = std::clamp(editor_model.column + columns, 0, EDITOR_COLUMNS - 1);
}

int editor_undo()
{
    return history_swap(editor_model.undo, editor_model.redo);
}

int editor_redo()
{
    return history_swap(editor_model.redo, editor_model.undo);
}

int editor_level_step(int delta)
{
    int to = editor_model.level + delta;
    if (to < 0 || to >= editor_model.set.count) return 0;
    editor_model.level = to;
    return 1;
}

namespace {

// Makes room after the current level and moves there; 0 when the set is full.
LEVEL_DEF *level_insert()
{
    EDITOR_SET &s = editor_model.set;
    if (s.count >= EDITOR_LEVELS_MAX) return nullptr;
    edit_begin();
    int at = editor_model.level + 1;
    std::copy_backward(s.levels + at, s.levels + s.count, s.levels + s.count + 1);
    s.count++;
    editor_model.level = at;
    return &s.levels[at];
}

} // namespace

int editor_level_add()
{
    LEVEL_DEF *level = level_insert();
    if (level) *level = editor_model.fresh;
    return level != nullptr;
}

int editor_level_duplicate()
{
    LEVEL_DEF copy = current();
    copy.note = nullptr;   // the comment stays with the level it was written for
    LEVEL_DEF *level = level_insert();
    if (level) *level = copy;
    return level != nullptr;
}

int editor_level_remove()
{
    EDITOR_SET &s = editor_model.set;
    if (s.count <= 1) return 0;
    edit_begin();
    std::copy(s.levels + editor_model.level + 1, s.levels + s.count, s.levels + editor_model.level);
    s.count--;
    editor_model.level = std::min(editor_model.level, s.count - 1);
    return 1;
}

void editor_setting_range(const LEVEL_DEF *level, int setting, int *low, int *high)
{
    if (setting < 0 || setting >= EDITOR_SETTINGS) {
        *low = *high = 0;
        return;
    }
    *low = setting == EDITOR_MAX_SPEED ? editor_setting_value(level, EDITOR_INITIAL_SPEED) : level_settings[setting].low;
    *high = level_settings[setting].high;
}

int editor_setting_set(int setting, int value)
{
    if (setting < 0 || setting >= EDITOR_SETTINGS) return 0;
    LEVEL_DEF &l = current();
    int low, high;
    editor_setting_range(&l, setting, &low, &high);
    const auto v = static_cast<int16_t>(std::clamp(value, low, high));
    if (editor_setting(&l, setting) == v) return 0;
    edit_begin();
    editor_setting(&l, setting) = v;
    int16_t &top = editor_setting(&l, EDITOR_MAX_SPEED);
    if (setting == EDITOR_INITIAL_SPEED && top < v) top = v;
    return 1;
}
