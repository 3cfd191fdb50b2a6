// plat_menu: the window menu, our stand-in for a Win32 menu bar. Drawn with Dear ImGui as a bar
// above the picture while the window is windowed; hidden in fullscreen. Items are built at run
// time from a flat list; a chosen item posts PLAT_WM_COMMAND with its command number. Mouse and
// keyboard work: Alt (released on its own) or F10 moves the keyboard into the bar, arrows and
// Enter choose, Esc leaves, and a click on the bar opens it. While the bar has the keyboard or a
// popup is open, the menu owns the keyboard and mouse (plat_owner.h).
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// One entry of the flat list. A popup holds the entries that follow it with a level one deeper.
struct PLAT_MENU_ITEM {
    uint32_t command;     // number posted when chosen (0 for popups and separators)
    const char *text;     // '&' marks the access letter, "\t" starts the shortcut column
    int level;            // 0 = in the bar, 1 = in a popup of the bar, 2 = in a sub-popup ...
    unsigned kind;        // PLAT_MENU_*
};
enum : unsigned {
    PLAT_MENU_COMMAND = 0,
    PLAT_MENU_POPUP = 1,
    PLAT_MENU_SEPARATOR = 2,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Needs the window and its OpenGL context (plat_gl_create). Returns 1 when the menu can draw.
int plat_menu_init();
void plat_menu_deinit();
int plat_menu_ready();
// Replaces the whole menu (the texts are copied). Check and grey states are kept per command
// number across replacements.
void plat_menu_set(const PLAT_MENU_ITEM *items, int count);
// Replaces the entries of the popup whose text is `popup_text` (its whole subtree), keeping
// the popup itself. Returns 0 when there is no such popup.
int plat_menu_popup_fill(const char *popup_text, const PLAT_MENU_ITEM *items, int count);
void plat_menu_check(uint32_t command, int checked);
void plat_menu_enable(uint32_t command, int enabled);
// An entry that can never work here is left out of its popup altogether.
void plat_menu_offer(uint32_t command, int offered);
int plat_menu_checked(uint32_t command);
int plat_menu_enabled(uint32_t command);
int plat_menu_offered(uint32_t command);
// Changes the text of every entry with that command number.
void plat_menu_text_set(uint32_t command, const char *text);
// Text of the first entry with that command number, or null.
const char *plat_menu_text(uint32_t command);
// Shown in a window, hidden in fullscreen. While hidden it draws nothing and takes no input.
void plat_menu_show(int shown);
int plat_menu_shown();
// Height of the bar in pixels (0 while hidden or when the menu cannot draw).
int plat_menu_bar_height();
// Width the bar needs to show all of its entries, in pixels (0 when the menu cannot draw).
int plat_menu_bar_width();
// Builds the next frame of the bar (and any open popup or the About box) without drawing it.
// 1 when there is something to draw.
int plat_menu_prepare();
// 1 when the frame built by plat_menu_prepare differs from the one drawn last.
int plat_menu_changed();
// The lowest window row (from the top) the frame built by plat_menu_prepare draws: the bar's
// bottom, or lower for an open popup or the About box. 0 when none was built.
int plat_menu_bottom();
// Draws the frame built by plat_menu_prepare into the current back buffer; the caller swaps.
// Nothing when none was built since the last draw.
void plat_menu_render();
// Both of the above.
void plat_menu_draw();
// The frames of the bar built so far. A bar left alone is not built again: while no event
// reached it and its entries, their states, the owner of the keys and the window's size stay
// as they are, plat_menu_prepare keeps the last frame.
long plat_menu_builds();
// Moves the keyboard into the bar or out of it (F10).
void plat_menu_keyboard_toggle();
// Called by the event translation with each SDL_Event and the owner it went to (-1 for events
// that are not keys or buttons); 1 when the menu or a dialog used it. The game's never reach it.
int plat_menu_event(const void *sdl_event, int owner);
// 1 when a mouse press (an SDL_Event) lands on the shown bar, where the player sees the pointer.
int plat_menu_bar_hit(const void *sdl_event);

// Where an entry was drawn in the last frame (the first entry whose text, '&' and shortcut
// included, equals `text`), as its centre in window pixels. 0 when it was not drawn.
int plat_menu_item_center(const char *text, int *x, int *y);
// Queues a left click at (x, y) in window pixels, as the mouse would (tests, demos).
void plat_mouse_click_inject(int x, int y);
