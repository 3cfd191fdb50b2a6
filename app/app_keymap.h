// app_keymap: the keys and pad buttons the player chose for the game's actions, and the mouse
// steering speed. The choice is kept in the settings file ("Controls" section) as control codes:
// keyboard scan codes 1-255 and joystick codes 508-539 for pad buttons. The keyboard keys go into
// the player's configuration 1, the pad's fire button into configuration 2; pause is read by the
// command building. Esc always opens the menu, whatever key the menu action has.
#pragma once

#include "kx/kx_play/kx_play.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

enum APP_ACTION : int {
    APP_ACTION_LEFT,
    APP_ACTION_RIGHT,
    APP_ACTION_FIRE,
    APP_ACTION_PAUSE,
    APP_ACTION_MENU,
    APP_ACTION_PAD_FIRE,
    APP_ACTION_PAD_PAUSE,
    APP_ACTIONS,
};

// Mouse steering speed steps: 1 slowest, APP_MOUSE_SPEED_DEFAULT as the mouse reads.
constexpr int APP_MOUSE_SPEEDS = 5;
constexpr int APP_MOUSE_SPEED_DEFAULT = 3;

struct APP_KEYMAP {
    int16_t codes[APP_ACTIONS];
    int mouse_speed; // 1..APP_MOUSE_SPEEDS
};

// What an assignment did.
enum APP_KEYMAP_RESULT : int {
    APP_KEYMAP_SET,      // the action has the new code
    APP_KEYMAP_SWAPPED,  // ... and the action that had it took the action's old code
    APP_KEYMAP_REFUSED,  // the code serves another purpose, or is not a key (a button) for it
};

extern APP_KEYMAP app_keymap;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The mapping the game starts with: arrows, Space, P and Esc; the pad's south and back buttons;
// mouse speed APP_MOUSE_SPEED_DEFAULT.
APP_KEYMAP App_Keymap_Default();
// Whether `action` takes pad buttons (else keyboard keys).
int App_Keymap_Is_Pad(int action);
// Gives `action` the control `code`. A code another action has is swapped when that action may
// take the old one, else refused; keys with fixed jobs (Return, Up, Down, Tab, F1, F2, F3, F8, F9,
// B, and Esc outside the menu action) and the pad's east and Start buttons are refused.
APP_KEYMAP_RESULT App_Keymap_Assign(APP_KEYMAP *map, int action, int code);
// The name of a control code as drawn in the menu (capitals of the sprite alphabet).
const char *App_Keymap_Code_Name(int code, char *out, size_t size);
// Reads the "Controls" section of the settings file into app_keymap. An entry that is not a
// usable code for its action (or repeats another action's code) falls back to that action's
// default, with a line in "history.txt". Missing entries take the defaults silently.
void App_Keymap_Load();
// Writes app_keymap to the settings file.
void App_Keymap_Save();
// Binds app_keymap into the player's configurations 1 and 2 (after App_Controls_Setup).
void App_Keymap_Apply(KX_PLAYER_RECORD *player);
// An analog mouse amount (1..127) scaled by the steering speed, kept within 1..127.
uint8_t App_Keymap_Mouse_Amount(uint8_t amount);
// Whether the key or pad button of the pause action was released this poll.
int App_Keymap_Pause_Released();
// Whether `code` is a keyboard key that types a letter or digit (name entry takes it as text).
int App_Keymap_Types(int code);

// The controls pages of the menu (app_keymap_page.cpp): installs the menu's hooks and the name
// of the fire key that the game's launch line shows.
void App_Keymap_Page_Install();
// While the controls page waits for a key: reads this poll's first press, assigns it (Esc
// cancels) and keeps it from the commands until released. 1 when the pass's commands are taken.
int App_Keymap_Capture();
