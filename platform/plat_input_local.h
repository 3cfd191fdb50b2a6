// plat_input inside: the taps that the event queue counts for the game, shared by the device
// reads (plat_input.cpp) and the event routing (plat_input_taps.cpp), and the fingers that stand
// for the mouse (plat_input_touch.cpp). Platform files only.
#pragma once

#include <cstdint>

union SDL_Event;

// Pad buttons counted per device: the PLAT_JOY_STATE buttons, then a pad's D-pad.
enum : int {
    PLAT_TAP_DPAD_UP = 32,
    PLAT_TAP_DPAD_DOWN = 33,
    PLAT_TAP_DPAD_LEFT = 34,
    PLAT_TAP_DPAD_RIGHT = 35,
    PLAT_TAP_PAD_BUTTONS = 36,
};

// Each read shows the next change the game has not seen yet (0x80 down, 0 up), so a tap between
// two reads is down in one and up in the next.
uint8_t plat_taps_key_read(int scan_code);
uint8_t plat_taps_mouse_read(int button);
uint8_t plat_taps_pad_read(int32_t device, int button);
// A pad opened with these buttons held (PLAT_TAP_PAD_BUTTONS bytes, nonzero = down), or closed.
void plat_taps_pad_open(int32_t device, const uint8_t *held);
void plat_taps_pad_close(int32_t device);
// The place a game-controller button (an SDL_GameControllerButton) is read at, or -1.
int plat_taps_pad_place(int sdl_button);
// Whether the mouse is the game's now (taken by the input module, not given to the menu).
int plat_taps_mouse_acquired();

// Touch: turns SDL's own mouse made of touches off (at the start of input).
void plat_input_touch_start();
// Handles one window-system event (an SDL_Event) when it is a finger's; 1 when it was one.
int plat_input_touch_event(const void *sdl_event);
// The steering finger's movement the game has not read, in window pixels.
void plat_input_touch_motion_take(int *dx, int *dy);
// The left button's press and release at (x, y) in the window's pixels, from the mouse `which`.
void plat_input_click_events(uint32_t window_id, uint32_t which, int x, int y, SDL_Event out[2]);
