// plat_display: the display modes the screen offers (our stand-in for DirectDraw's mode list and
// ChangeDisplaySettingsA), fullscreen at a chosen mode and back, and the main window's frame:
// client size, position, border, stacking and minimising.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct PLAT_DISPLAY_MODE {
    int width, height;
    int depth;                         // colour bits: 8, 15, 16, 24 or 32 (4-byte formats count 32)
    int refresh;                       // Hz, 0 when unknown
    uint32_t red_mask, green_mask, blue_mask;
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The modes of the main screen, up to `max`; returns how many there are (may exceed max).
int plat_display_modes(PLAT_DISPLAY_MODE *out, int max);
// The desktop mode (the one in use when the program started). 0 when unknown.
int plat_display_desktop(PLAT_DISPLAY_MODE *out);
// Makes the main window fullscreen at `mode`, or (fullscreen 0) a normal window again with the
// desktop mode back. Returns 1, or 0 when the screen refused the mode.
int plat_display_mode_set(const PLAT_DISPLAY_MODE *mode, int fullscreen);
// Drops any fullscreen mode: the desktop mode is back (shut-down).
void plat_display_restore();
int plat_display_is_fullscreen();

// The window's client area (menu bar included) and its position on the screen. A negative x or
// y centres the window on that axis.
void plat_window_client_size_set(int width, int height);
void plat_window_client_size(int *width, int *height);
void plat_window_position_set(int x, int y);
void plat_window_position(int *x, int *y);
// Lets the player resize the window (not below min_w x min_h client pixels), or not.
void plat_window_resizable(int resizable, int min_w, int min_h);
void plat_window_bordered(int bordered);
void plat_window_topmost(int topmost);
void plat_window_minimize();
void plat_window_restore();
int plat_window_minimized();
// Sets the window icon from 32-bit pixels (bytes R, G, B, A per pixel, rows top first).
void plat_window_icon_set(const uint8_t *rgba, int width, int height);

// ---------------------------------------------------------------------------------------------
// Test seam
// ---------------------------------------------------------------------------------------------

// Replaces the screen's modes with `count` given ones, modes[desktop] being the desktop mode, as
// if the desktop changed (count 0: the screen's own again). Fullscreen at an injected mode keeps
// the screen's own mode.
void plat_display_inject_modes(const PLAT_DISPLAY_MODE *modes, int count, int desktop);
