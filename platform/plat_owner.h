// plat_owner: who has the keyboard and the mouse. One owner at a time: the game, unless the
// window menu, a dialog or the editor took them; the last one to take them keeps them until it
// gives them back, and they return to the one before. Every key or button press goes to the
// owner of its moment and its release follows it there, so a key pressed for one owner never
// reaches another. The window hears of the game losing them (PLAT_WM_ENTERMENULOOP) and getting
// them back (PLAT_WM_EXITMENULOOP); the game reads no input and runs no step in between. The
// pointer follows from the same messages: hidden while the game owns the input, shown otherwise.
#pragma once

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

enum : int {
    PLAT_OWNER_GAME = 0,
    PLAT_OWNER_MENU = 1,      // the window menu: its bar has the keyboard or a popup is open
    PLAT_OWNER_DIALOG = 2,    // the About box, a message box
    PLAT_OWNER_EDITOR = 3,
    // Not an owner: where the window's own keys and clicks go (Alt, F4, F10, Alt+key, a click
    // that gives the window its focus back). Nobody reads them as input.
    PLAT_OWNER_WINDOW = 4,
    PLAT_OWNERS = 5,
};

// Key and button events handed one by one to an owner that reads them so (the editor; typed
// text would reach an owner the same way). Scan codes as the keyboard table counts them; a pad's
// buttons come as PLAT_OWNER_PAD plus their place (PLAT_PAD_BUTTON_* of plat_input.h, the D-pad
// as the four codes below).
using PLAT_OWNER_KEY_FN = void (*)(int scan_code, int down);
constexpr int PLAT_OWNER_PAD = 256;
constexpr int PLAT_OWNER_PAD_UP = PLAT_OWNER_PAD + 32;
constexpr int PLAT_OWNER_PAD_DOWN = PLAT_OWNER_PAD + 33;
constexpr int PLAT_OWNER_PAD_LEFT = PLAT_OWNER_PAD + 34;
constexpr int PLAT_OWNER_PAD_RIGHT = PLAT_OWNER_PAD + 35;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int plat_owner();
// `owner` takes the keyboard and mouse over whoever has them (nothing when it has them already).
void plat_owner_take(int owner);
// `owner` gives them back, wherever it stands among those that took them.
void plat_owner_give_back(int owner);
// The game alone again, without telling the window (start-up, tests).
void plat_owner_reset();

// Hands the key events that go to `owner` to `fn` (null: nobody hears them).
void plat_owner_keys_listen(int owner, PLAT_OWNER_KEY_FN fn);
PLAT_OWNER_KEY_FN plat_owner_keys_listener(int owner);
