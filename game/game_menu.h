// The main menu drawn over the attract demo or the paused game: its pages of game messages, the
// selection, the commands of each page, the options and the two volume rows.
#pragma once

#include "game/game_sets.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

enum : int {
    MENU_PAGE_MAIN = 0,
    MENU_PAGE_LEAVE = 1,
    MENU_PAGE_SCORES = 2,
    MENU_PAGE_QUIT_GAME = 3,
    MENU_PAGE_OPTIONS = 4,
    MENU_PAGE_SETS = 5,
    MENU_PAGE_VOLUMES = 6,
    MENU_PAGE_SET_REFUSED = 7,
    MENU_PAGE_DIFFICULTY = 8,
    MENU_PAGE_KEPT_REFUSED = 9,
    MENU_PAGE_CONTROLS = 10,      // the keyboard's keys
    MENU_PAGE_VIEW = 11,          // the view options
    MENU_PAGE_PAD_MOUSE = 12,     // the pad's buttons, the mouse speed and the defaults
};

// The rows of the controls pages, as the application's hooks number them.
enum : int {
    MENU_CONTROL_LEFT,
    MENU_CONTROL_RIGHT,
    MENU_CONTROL_FIRE,
    MENU_CONTROL_PAUSE,
    MENU_CONTROL_MENU,
    MENU_CONTROL_PAD_FIRE,
    MENU_CONTROL_PAD_PAUSE,
    MENU_CONTROL_MOUSE_SPEED,
    MENU_CONTROL_DEFAULTS,
    MENU_CONTROL_ROWS,
};

constexpr int MENU_ITEMS = 6;
constexpr int MENU_ITEMS_MAX = MENU_ITEMS + 1;  // the main page with CONTINUE above the six
constexpr int MENU_SET_ROWS = MENU_ITEMS - 1;   // sets shown at once under the title
constexpr int MENU_WRAP_WIDTH = 26;             // characters of a line of the refusal
constexpr float MENU_IDLE_TICKS = 1000.0f;

struct MENU {
    int page;
    int item;            // the selected item
    float idle_timer;    // ticks left before the menu closes by itself in attract mode
    int set_top;         // the first set shown on the set choice (0: the shipped levels)
    char set_next[SETS_LISTED_MAX + 1];   // the set the difficulty choice will play
};
extern MENU menu;

// What the application lends the menu: the help screen, and the sound settings' two volume words
// (0-100, -2 while the channel is switched off, -1 while sound is unavailable). Null: no help
// screen; a volume reads as unavailable.
extern void (*menu_help_fn)();
extern const int32_t *menu_music_volume;
extern const int32_t *menu_effects_volume;

// What the application lends the controls pages, which know nothing of keys: a row's text, Enter
// on a row, Left (-1) or Right (1) on a row, and whether a key or button is awaited (the menu then
// neither closes by itself nor acts). Null: the rows are empty.
struct MENU_CONTROLS {
    const char *(*text)(int row, char *out, size_t size);
    void (*enter)(int row);
    void (*step)(int row, int step);
    int (*waiting)();
};
extern const MENU_CONTROLS *menu_controls;

// One page: its items as game message numbers (MENU_EMPTY for an empty item), the count, and
// the first and last selectable item (first > last: nothing to select).
constexpr int MENU_EMPTY = -1;
struct MENU_PAGE {
    int items[MENU_ITEMS_MAX];
    int count;
    int first, last;
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Main_Menu_Open (show the menu on its first page, restart the idle timer) and Main_Menu (draw the current page and
// handle its commands for a pass of time t) are declared in game.h.

// The items of `page` as they stand now (attract mode, preferences, volumes).
MENU_PAGE Menu_Page(int page);
// The item after (step 1) or before (step -1) `item` on the page, skipping empty items and
// wrapping between the first and the last selectable item.
int Menu_Item_Step(const MENU_PAGE &page, int item, int step);
// The set choice's selection after Down (step 1) or Up (step -1) among `total` sets: the list
// scrolls under the title and wraps from the last set to the first and back. `item` is the row
// (1 to MENU_SET_ROWS) and `top` the set on row 1.
int Menu_Set_Step(int total, int *top, int item, int step);
// Starts a new game with a set ("" for the shipped levels), which the player has then chosen; a
// set that cannot be used leaves the menu open on a page that says why. 1 when the game started.
int Menu_Set_Play(const char *name);
// A set was chosen for a new game: the difficulty choice follows (opened on the difficulty
// chosen last), or, with --difficulty, the game starts at once.
void Menu_Difficulty_Ask(const char *name);
// Splits `text` at spaces into lines of at most `width` characters (longer words are cut), in
// capitals; the number of lines, at most `max_lines` (the last one ends in "..." when more text
// was left).
int Menu_Wrap(const char *text, int width, char (*lines)[MENU_WRAP_WIDTH + 1], int max_lines);
// A channel's volume after Enter (command 28), Left (75) or Right (77) on its row, for a channel
// that is switched on: Enter rises by 10 and wraps from above 100 to 0, Left and Right step by 10
// within 0-100.
int Menu_Volume_Step(int volume, int command);
// The text of a volume row for volume v (music when `music`, else sound effects) in `out`; null
// after the fatal error of a bar text without a "-".
const char *Menu_Volume_Text(int volume, int music, char *out, size_t size);
