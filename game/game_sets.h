// Level sets: the shipped levels and the player's own sets, "levels\NAME.txt" in the per-user
// folder, each with its own high-score table ("highscores\NAME.dat"; the shipped set keeps
// "highscor.dat"; the Easy and Hard tables lie in "highscores\easy\" and "highscores\hard\", and
// the shipped set's in "highscor_easy.dat" and "highscor_hard.dat"). Which set is in the game's level tables, which one the player chose, the list
// the menu offers, and loading and saving a set by name.
#pragma once

#include "game/game_levels.h"

#include <cstddef>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

constexpr int SETS_NAME_MAX = 32;      // characters of a set's name
constexpr int SETS_MAX = 100;          // user sets the menu lists
constexpr int SETS_MESSAGE_SIZE = 700;
constexpr int SETS_LISTED_MAX = 2 * SETS_NAME_MAX;   // characters of a name in the list

struct SETS {
    char current[SETS_NAME_MAX + 1];   // the set in the level tables ("": the shipped levels)
    char chosen[SETS_NAME_MAX + 1];    // the set last chosen for a game: its high scores are shown
    int count;                         // user sets found by Sets_List, sorted by name
    // Their names as the files give them: a name the game cannot use is listed too (cut to fit
    // here, it stays one the game refuses), so that choosing it says why.
    char names[SETS_MAX][SETS_LISTED_MAX + 1];
    char message[SETS_MESSAGE_SIZE];   // why the last set could not be used, with its line
    char reason[SETS_MESSAGE_SIZE];    // the same without the line
    int line;                          // the line of the file it concerns (0: none)
};
extern SETS sets;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Null when `name` can name a user set: 1 to 32 letters, digits, '-', '_' or '.', not starting
// with '.' and without "..". Otherwise the reason, as a message.
const char *Sets_Name_Check(const char *name);
// The disk paths of a user set's levels file and its high-score file of a difficulty in `out`
// (KX_IO_PATH_MAX bytes); 0 for a name that Sets_Name_Check refuses or a path that does not fit.
// With `make`, the folders of the high-score file are made when missing.
int Sets_Levels_Path(const char *name, char *out);
int Sets_Scores_Path(const char *name, int difficulty, int make, char *out);
// Whether the user set's levels file exists.
int Sets_Exists(const char *name);
// Fills sets.names with the user sets in the per-user "levels" folder (every "*.txt" file, also
// those whose names Sets_Name_Check refuses); their number.
int Sets_List();
// Puts a set into the game's level tables ("" for the shipped levels) and makes it the current
// one. 1; or 0 with the reason in sets.message, the tables keeping the set they had (only
// running out of memory while filling them leaves them empty).
int Sets_Use(const char *name);
// A user set read into `set` / written from it (the "levels" folder is made when missing), with
// refusals and the reader's messages reported through `fail` (Game_Error when null). 1 or 0.
int Sets_Load(LEVEL_SET *set, const char *name, LEVELS_FAIL_FN fail);
int Sets_Save(const LEVEL_SET *set, const char *name, LEVELS_FAIL_FN fail);
// Why the last set could not be used, as the menu shows it in the current language where the
// game has the words, in `out`.
const char *Sets_Message_Shown(char *out, size_t size);
