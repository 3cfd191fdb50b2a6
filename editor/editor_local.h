// Inside the editor: its state and what its files share (editor/ only).
#pragma once

#include "editor/editor_ops.h"
#include "game/game_levels.h"
#include "game/game_sets.h"

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

constexpr int EDITOR_KEYS_QUEUED = 64;
constexpr int EDITOR_MESSAGE_SIZE = 200;

struct EDITOR_STATE {
    int open;
    int testing;                        // the current level is being played
    int asking;                         // Esc asked whether to save before leaving
    char name[SETS_NAME_MAX + 1];
    char file_name[SETS_NAME_MAX + 16];   // "levels/NAME.txt", as the player is told
    LEVEL_SET file;                     // the set as its file gave it (notes and tail)
    int view_stale;                     // the level view is to be built again
    int panels;                         // grid, palette and settings shown (Tab)
    int brick;                          // the palette's brick character
    int ctrl;                           // Ctrl is held
    int keys[EDITOR_KEYS_QUEUED];       // key presses since the last pass (codes, with Ctrl)
    int key_count;
    char message[EDITOR_MESSAGE_SIZE];  // the last thing said (saved, not saved ...)
};

extern EDITOR_STATE editor;

// Texts of the editor in the current language.
enum EDITOR_TEXT : int {
    ET_LEVEL,          // "Level %d of %d"
    ET_CHANGED,
    ET_BRICKS,
    ET_METAL,
    ET_ONE_HIT,
    ET_TWO_HITS,
    ET_SETTINGS,
    ET_ENEMIES,
    ET_SETTING_FIRST,  // one per setting, in the order of level_settings
    ET_SAVED = ET_SETTING_FIRST + LEVEL_SETTINGS,   // "Saved in %s"
    ET_NOT_SAVED,      // "Not saved: %s"
    ET_ASK,            // "Save the changes to %s?"
    ET_ASK_KEYS,
    ET_KEYS,
    ET_FULL,
    ET_TEXTS,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

const char *editor_text(int text);
// A key press made while Ctrl was held.
constexpr int EDITOR_WITH_CTRL = 0x10000;
// Reacts to one key press (scan code, or a pad button as plat_owner.h numbers them, with
// EDITOR_WITH_CTRL).
void editor_key(int code);
// The platform's listener: Ctrl is followed as it goes down and up, presses wait for the pass.
void editor_listen(int code, int down);
// Describes the panels (the platform's panel function).
void editor_panels();
// Writes the set to its file; says how it went in the message. 1 when saved.
int editor_save();
// Plays the current level; back to editing with editor_test_end.
void editor_test_start();
void editor_test_end();
// Leaves the editor for the main menu.
void editor_leave();
