// The editor's model: placing and clearing bricks, the cursor at the grid's edges, undo and redo
// across levels, levels added, duplicated and removed, and the settings held in the ranges of the
// levels file.
#include "editor/editor_local.h"
#include "editor/editor_ops.h"
#include "game/game_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Runs words: a brick character places it, the others name an operation.
void run(const std::string &words)
{
    std::istringstream in(words);
    std::string w;
    while (in >> w) {
        if (w.size() == 1 && Level_Char_Brick(w[0])) editor_place(w[0]);
        else if (w == "clear") editor_clear();
        else if (w == "left") editor_cursor_move(0, -1);
        else if (w == "down") editor_cursor_move(1, 0);
        else if (w == "end") editor_cursor_move(EDITOR_ROWS, EDITOR_COLUMNS);
        else if (w == "undo") editor_undo();
        else if (w == "redo") editor_redo();
        else if (w == "prev") editor_level_step(-1);
        else if (w == "next") editor_level_step(1);
        else if (w == "add") editor_level_add();
        else if (w == "dup") editor_level_duplicate();
        else if (w == "del") editor_level_remove();
        else FAIL() << "unknown word " << w;
    }
}

// The first row of every level, without trailing spaces.
std::vector<std::string> first_rows()
{
    std::vector<std::string> out;
    for (int n = 0; n < editor_model.set.count; n++) {
        std::string row(editor_model.set.levels[n].rows[0], EDITOR_COLUMNS);
        out.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
    }
    return out;
}

struct EditCase {
    const char *words;
    std::vector<std::string> rows;   // first row of each level
    int level, row, column;
};

TEST(EditorOps, EditsUndoAndLevels)
{
    const EditCase cases[] = {
        {"1 2 3", {"123"}, 0, 0, 3},
        {"1 2 left clear", {"1"}, 0, 0, 1},
        {"1 2 undo", {"1"}, 0, 0, 1},
        {"1 2 undo redo", {"12"}, 0, 0, 2},
        {"1 2 undo 3 redo", {"13"}, 0, 0, 2},   // a new edit drops what was undone
        {"1 undo undo redo redo redo", {"1"}, 0, 0, 1},
        {"clear undo", {""}, 0, 0, 0},          // clearing an empty cell is no edit
        {"1 add 2", {"1", " 2"}, 1, 0, 2},   // the cursor keeps its cell
        {"1 add 2 prev prev undo", {"1", ""}, 1, 0, 1},   // undo goes back to the level it edits
        {"1 add 2 undo undo", {"1"}, 0, 0, 1},
        {"1 add 2 prev add", {"1", "", " 2"}, 1, 0, 2},
        {"1 dup", {"1", "1"}, 1, 0, 1},
        {"1 add 2 del", {"1"}, 0, 0, 2},
        {"1 add 2 prev del", {" 2"}, 0, 0, 2},
        {"1 add 2 del undo", {"1", " 2"}, 1, 0, 2},
        {"del", {""}, 0, 0, 0},                 // the last level stays
        {"next", {""}, 0, 0, 0},
        {"end A", {""}, 0, 7, 13},              // the last cell keeps the cursor
        {"down left left A B C", {""}, 0, 1, 3},
    };
    for (const EditCase &c : cases) {
        editor_model_start(nullptr);
        run(c.words);
        EXPECT_EQ(first_rows(), c.rows) << c.words;
        EXPECT_EQ(editor_model.level, c.level) << c.words;
        EXPECT_EQ(editor_model.row, c.row) << c.words;
        EXPECT_EQ(editor_model.column, c.column) << c.words;
    }
}

TEST(EditorOps, PlacingWrapsToTheNextRowAndRefusesOtherCharacters)
{
    editor_model_start(nullptr);
    editor_cursor_move(0, EDITOR_COLUMNS - 1);
    for (int ch : {int{'z'}, int{'0'}, int{'.'}, int{' '}, int{'!'}, 0x80}) EXPECT_EQ(editor_place(ch), Level_Char_Brick(ch)) << ch;
    const LEVEL_DEF &l = editor_model.set.levels[0];
    EXPECT_EQ(l.rows[0][EDITOR_COLUMNS - 1], 'z');
    EXPECT_EQ(l.rows[1][0], '0');
    EXPECT_EQ(editor_model.changed, 1);
}

TEST(EditorOps, SetIsFullAtFortyEightLevelsAndUndoKeepsTheNewestHundred)
{
    editor_model_start(nullptr);
    while (editor_level_add()) {
    }
    EXPECT_EQ(editor_model.set.count, EDITOR_LEVELS_MAX);
    EXPECT_EQ(editor_level_duplicate(), 0);
    int undone = 0;
    while (editor_undo()) undone++;
    EXPECT_EQ(undone, EDITOR_LEVELS_MAX - 1);
    for (int i = 0; i < EDITOR_UNDO_MAX + 5; i++) editor_place('A' + i % 26);
    undone = 0;
    while (editor_undo()) undone++;
    EXPECT_EQ(undone, EDITOR_UNDO_MAX);
}

// A setting by its line key in the levels file.
int setting(char key)
{
    for (int i = 0; i < LEVEL_SETTINGS; i++)
        if (level_settings[i].key == key) return i;
    return -1;
}

struct SettingCase {
    char key;
    int value, stored, max_speed;
};

TEST(EditorOps, SettingsStayInTheRangesOfTheLevelsFile)
{
    const SettingCase cases[] = {
        {'#', 0, 1, 7500},      {'#', 5, 4, 7500},      {'$', 4, 4, 7500},     {'%', 8, 8, 7500},
        {'%', 9, 8, 7500},      {'&', -3, 1, 7500},     {'^', 101, 100, 7500}, {'^', -1, 0, 7500},
        {'}', 51, 50, 7500},    {'}', 0, 0, 7500},      {'*', 0, 1, 7500},     {'{', -1, 0, 7500},
        {'<', 40000, 32767, 7500},
        {'>', 6499, 6500, 6500},       // never below the initial speed
        {'@', 8000, 8000, 8000},       // the maximum follows it up
        {'@', -40000, -32768, 7500},
    };
    for (const SettingCase &c : cases) {
        editor_model_start(nullptr);
        editor_setting_set(setting(c.key), c.value);
        const LEVEL_DEF &l = editor_model.set.levels[0];
        EXPECT_EQ(editor_setting_value(&l, setting(c.key)), c.stored) << c.key << " = " << c.value;
        EXPECT_EQ(l.max_speed, c.max_speed) << c.key << " = " << c.value;
    }
    editor_model_start(nullptr);
    EXPECT_EQ(editor_setting_set(setting('#'), 1), 0);   // unchanged: nothing to undo
    EXPECT_EQ(editor_undo(), 0);
    EXPECT_EQ(editor_setting_set(EDITOR_SETTINGS, 1), 0);
}

// Every language has every text, with the same conversions as the English one (a missing %s
// would read past the arguments).
TEST(EditorTexts, EveryLanguageHasEveryTextWithItsConversions)
{
    std::vector<std::string> english;
    for (int language = 1; language <= 6; language++) {
        game_language = language;
        for (int t = 0; t < ET_TEXTS; t++) {
            const std::string text = editor_text(t);
            std::string conversions;
            for (size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i + 2)) conversions += text.substr(i, 2);
            if (language == 1) english.push_back(conversions);
            EXPECT_FALSE(text.empty()) << language << " " << t;
            EXPECT_EQ(conversions, english[t]) << language << " " << t << " " << text;
        }
    }
    game_language = 0;
}

} // namespace
