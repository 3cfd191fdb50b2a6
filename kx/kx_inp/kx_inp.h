// kx_inp: keyboard, mouse and joystick state for the game, polled once per frame.
// Keys are addressed by DirectInput scan codes (0..255); the mouse and joysticks have
// blocks of their own (see the code ranges below).
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

constexpr int KX_INP_MAX_JOYSTICKS = 16;
constexpr int KX_INP_KEY_COUNT = 256;
constexpr int KX_INP_BLOCK_SIZE = 40;
constexpr int KX_INP_MOUSE_FIRST = 400;      // mouse block: codes 400-439
constexpr int KX_INP_JOYSTICK_FIRST = 500;   // joystick block: codes 500-539
constexpr int KX_INP_MOUSE_THRESHOLD = 8;

// Mouse block codes.
constexpr int KX_INP_MOUSE_UP = 400;
constexpr int KX_INP_MOUSE_DOWN = 401;
constexpr int KX_INP_MOUSE_LEFT = 402;
constexpr int KX_INP_MOUSE_RIGHT = 403;
constexpr int KX_INP_MOUSE_BUTTON0 = 408;
constexpr int KX_INP_MOUSE_BUTTON1 = 409;

// The private message that re-activates input once the window has the focus again.
constexpr uint32_t KX_INP_WM_REACTIVATE = 0x0400 + 69;
// Win32 message numbers the hook also reacts to.
constexpr uint32_t KX_INP_WM_SETCURSOR = 0x0020;
constexpr uint32_t KX_INP_WM_ENTERMENULOOP = 0x0211;
constexpr uint32_t KX_INP_WM_EXITMENULOOP = 0x0212;
constexpr uint32_t KX_INP_WM_ENTERSIZEMOVE = 0x0231;

// Error codes of the "Input" module.
enum {
    KX_INP_ERR_CREATE = 0,
    KX_INP_ERR_JOY_CREATE = 4,
    KX_INP_ERR_JOY_RANGE_X = 7,
    KX_INP_ERR_JOY_RANGE_Y = 8,
    KX_INP_ERR_JOY_RANGE_Z = 9,
    KX_INP_ERR_JOY_DEAD_X = 10,
    KX_INP_ERR_JOY_DEAD_Y = 11,
    KX_INP_ERR_JOY_DEAD_Z = 12,
    KX_INP_ERR_JOY_ACQUIRE = 14,
    KX_INP_ERR_JOY_MISSING = 15,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// settings: word 0 report flag, word 1 mouse diagonal flag. Returns 1 on success.
int kx_inp_init(int32_t *settings);
void kx_inp_done();
// Reads every device once: the current state becomes the previous one.
void kx_inp_update();
// Acquires (nonzero) or releases the devices and clears the held states; returns the new
// inactive flag.
int kx_inp_activate(int active);
// Window hook: reacts to activation and focus messages; returns 1.
int kx_inp_window_message(uint32_t message, uintptr_t wparam, intptr_t lparam);
uint8_t kx_inp_key_down(int code);
int kx_inp_key_released(int code);
// Down now and up at the previous poll (the opposite of kx_inp_key_released).
int kx_inp_key_pressed(int code);
int kx_inp_first_pressed();
int kx_inp_mouse_swapped();

// The current state byte behind a code, for bindings that are read every pass: keyboard and
// mouse codes, and joystick codes in the block of `joystick`. Never null: codes that name nothing
// (and joysticks beyond the last slot) give a byte that always reads 0.
const uint8_t *kx_inp_state_byte(int code, int joystick);
// The current 40-byte block of a joystick slot (an all-zero block for a slot out of range).
const uint8_t *kx_inp_joystick_block(int joystick);
// Number of joysticks in use; the inactive flag; the module id given by kx_error.
int kx_inp_joystick_count();
int kx_inp_inactive();
int kx_inp_module();
