// plat_input: keyboard, mouse and joysticks as the input module expects them: a keyboard table by
// DirectInput scan codes, relative mouse movement with four buttons, and joysticks with a settable
// axis range and dead zone. Devices are acquired and read by polling; keys and buttons come from
// the events counted between two reads (see Events), scripted keys (plat_core.h) among them.
//
// A test seam replaces every device with injected states (plat_input_inject_*), so the rules built
// on top of this layer can be checked without SDL devices.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

enum : int {
    PLAT_INPUT_OK = 0,
    PLAT_INPUT_LOST = 1,          // the device lost its acquisition (or was never acquired)
    PLAT_INPUT_FAILED = 2,        // the device is gone or the read failed for another reason
};

enum : int {
    PLAT_INPUT_MAX_JOYSTICKS = 16,
    PLAT_INPUT_JOY_BUTTONS = 32,
};

// Joystick axes whose range and dead zone can be set.
enum : int {
    PLAT_JOY_AXIS_X = 0,
    PLAT_JOY_AXIS_Y = 1,
    PLAT_JOY_AXIS_Z = 2,
    PLAT_JOY_AXIS_RZ = 3,
};

// One poll of the mouse: movement since the previous read, buttons 0x80 while down.
struct PLAT_MOUSE_STATE {
    int32_t x, y, z;
    uint8_t buttons[4];
};
static_assert(sizeof(PLAT_MOUSE_STATE) == 16);

// Buttons of a known gamepad (SDL's game-controller mapping gives every Xbox, PlayStation or
// Switch pad this layout): their places in PLAT_JOY_STATE.buttons.
enum : int {
    PLAT_PAD_BUTTON_SOUTH = 0,    // A, Cross
    PLAT_PAD_BUTTON_EAST = 1,     // B, Circle
    PLAT_PAD_BUTTON_WEST = 2,
    PLAT_PAD_BUTTON_NORTH = 3,
    PLAT_PAD_BUTTON_LEFT_SHOULDER = 4,
    PLAT_PAD_BUTTON_RIGHT_SHOULDER = 5,
    PLAT_PAD_BUTTON_BACK = 6,
    PLAT_PAD_BUTTON_START = 7,
    PLAT_PAD_BUTTON_LEFT_STICK = 8,
    PLAT_PAD_BUTTON_RIGHT_STICK = 9,
    PLAT_PAD_BUTTON_GUIDE = 10,
    PLAT_PAD_BUTTONS = 11,
};

// One read of a joystick: axes in the range set for them (0 where the device has none), hats as
// hundredths of degrees clockwise from north (0xFFFFFFFF centred), buttons 0x80 while down. A
// pad's D-pad (a plain joystick's first hat) also sets X and Y to the ends of their range.
struct PLAT_JOY_STATE {
    int32_t x, y, z;
    int32_t rx, ry, rz;
    int32_t slider[2];
    uint32_t pov[4];
    uint8_t buttons[PLAT_INPUT_JOY_BUTTONS];
};
static_assert(sizeof(PLAT_JOY_STATE) == 80);

// A joystick that came or went since the last call of plat_input_joystick_change.
struct PLAT_JOY_CHANGE {
    int added;        // 1 added, 0 removed
    int32_t device;   // device id, as handed to plat_input_joystick_open
};

using PLAT_JOY_ENUM_FN = int (*)(int32_t device, void *user);   // 1: go on, 0: stop

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Starts the joystick subsystem; 1 or 0.
int plat_input_init();
void plat_input_done();

// Keyboard: 256 bytes by DirectInput scan code, 0x80 while down.
int plat_input_keyboard_acquire(int acquire);
int plat_input_keyboard_read(uint8_t keys[256]);

// Mouse: acquiring it hides and captures the pointer (where the desktop allows) so movement is
// reported without limit at the window's edges.
int plat_input_mouse_acquire(int acquire);
int plat_input_mouse_read(PLAT_MOUSE_STATE *state);
// 1 when the desktop swaps the primary and secondary buttons.
int plat_input_mouse_buttons_swapped();
// Shows or hides the pointer over the window (nothing while devices are injected).
void plat_input_cursor_show(int show);

// Joysticks: enumeration of the attached devices in order, then each one opened into a handle.
int plat_input_joystick_enum(PLAT_JOY_ENUM_FN fn, void *user);
// Devices plugged in or pulled out since the last call; 1 while there is a change to take.
int plat_input_joystick_change(PLAT_JOY_CHANGE *change);
int plat_input_joystick_open(int32_t device);     // handle (> 0) or 0
void plat_input_joystick_close(int handle);
// Number of axes, -1 when the capabilities cannot be read.
int plat_input_joystick_axes(int handle);
int plat_input_joystick_range_set(int handle, int axis, int32_t minimum, int32_t maximum);
// Dead zone in 1/10000 of the half range around the centre.
int plat_input_joystick_dead_zone_set(int handle, int axis, int32_t dead_zone);
int plat_input_joystick_acquire(int handle);
int plat_input_joystick_poll(int handle);
int plat_input_joystick_read(int handle, PLAT_JOY_STATE *state);

// Scan code of an SDL scancode (0 when the key has none); exposed for tests and tools.
int plat_input_scan_code(int sdl_scancode);

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

// Reads are polls, yet no tap between two polls is lost: every key, mouse button and pad button
// counts the presses and releases the event queue brought since the last read, and each read
// shows the next of them. A press and release inside one pass read as down in this pass and up
// in the next. Only what goes to the game is counted (plat_owner.h: a press goes to the owner
// of its moment, its release follows it).

// Routes one window-system event (an SDL_Event) when it is a key, a mouse button or a pad
// button; returns the owner it went to (PLAT_OWNER_*), or -1 for any other event.
int plat_input_event(const void *sdl_event);
// A key of the scripted keyboard went down or up; returns the owner it went to.
int plat_input_key_event(int scan_code, int down);
// Forgets the changes the game has not read: every key and button shows as it stands now.
void plat_input_taps_settle();

// ---------------------------------------------------------------------------------------------
// Test seam
// ---------------------------------------------------------------------------------------------

// Failure points of an injected joystick, one bit each.
enum : uint32_t {
    PLAT_INJECT_FAIL_OPEN = 1u << 0,
    PLAT_INJECT_FAIL_CAPS = 1u << 1,
    PLAT_INJECT_FAIL_RANGE_X = 1u << 2,
    PLAT_INJECT_FAIL_RANGE_Y = 1u << 3,
    PLAT_INJECT_FAIL_RANGE_Z = 1u << 4,
    PLAT_INJECT_FAIL_DEAD_ZONE_X = 1u << 5,
    PLAT_INJECT_FAIL_DEAD_ZONE_Y = 1u << 6,
    PLAT_INJECT_FAIL_DEAD_ZONE_Z = 1u << 7,
    PLAT_INJECT_FAIL_ACQUIRE = 1u << 8,
};

// Raw state of an injected joystick in device units (axes -32768..32767, buttons nonzero = down).
struct PLAT_INJECT_JOYSTICK {
    int axes;                 // axis count the device reports
    uint32_t fail;            // PLAT_INJECT_FAIL_* bits
    int32_t axis[4];          // X, Y, Z, Z-rotation
    uint8_t buttons[PLAT_INPUT_JOY_BUTTONS];
};

// 1: every device reads injected states only (and SDL is not touched); 0: back to real devices.
void plat_input_inject_mode(int on);
void plat_input_inject_keyboard(const uint8_t keys[256]);
// Movement is added up until the next mouse read; buttons are 0 or nonzero.
void plat_input_inject_mouse(int32_t dx, int32_t dy, const uint8_t buttons[4]);
void plat_input_inject_mouse_swapped(int swapped);
// Makes the next read of the device report lost input once.
void plat_input_inject_keyboard_lost();
void plat_input_inject_mouse_lost();
// Plugs an injected joystick in (returns its device id); it is then seen by enumeration, and
// also reported by plat_input_joystick_change when `announce` is set.
int32_t plat_input_inject_joystick_plug(const PLAT_INJECT_JOYSTICK *joystick, int announce);
void plat_input_inject_joystick_unplug(int32_t device);
void plat_input_inject_joystick_state(int32_t device, const PLAT_INJECT_JOYSTICK *joystick);
// Number of injected joystick handles still open.
int plat_input_inject_open_joysticks();
