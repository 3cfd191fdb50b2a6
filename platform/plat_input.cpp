// plat_input on SDL2: keyboard table by DirectInput scan codes, relative mouse, joysticks and game
// controllers with DirectInput-like axis ranges and dead zones, hot-plugging, and the injected
// devices of the test seam.
#include "platform/plat_input.h"

#include "platform/plat_core.h"
#include "platform/plat_input_local.h"
#include "platform/plat_keys.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct PLAT_AXIS {
    int32_t minimum = 0;
    int32_t maximum = 65535;
    int32_t dead_zone = 0;
};

// One open joystick handle, on a real device or on an injected one.
struct PLAT_JOY_SLOT {
    int used;
    int32_t device;
    int acquired;
    PLAT_AXIS axis[4];
    SDL_Joystick *joystick;
    SDL_GameController *controller;
};

struct PLAT_INJECTED_DEVICE {
    int32_t device;
    PLAT_INJECT_JOYSTICK state;
};

struct PLAT_INPUT_STATE {
    int started;
    int inject;
    int mouse_acquired;
    int keyboard_acquired;
    PLAT_JOY_SLOT slots[PLAT_INPUT_MAX_JOYSTICKS];
    // Hot-plug: the event watch only raises a flag; the devices are compared on the main thread.
    std::atomic<int> devices_changed{0};
    std::atomic<int> wheel{0};
    std::vector<int32_t> known_devices;
    std::deque<PLAT_JOY_CHANGE> changes;
    // Injected devices.
    uint8_t inject_keys[256];
    int32_t inject_dx, inject_dy;
    uint8_t inject_buttons[4];
    int inject_swapped;
    int inject_keyboard_lost, inject_mouse_lost;
    std::vector<PLAT_INJECTED_DEVICE> inject_joysticks;
    int32_t inject_next_device = 1;
};

PLAT_INPUT_STATE pin;

// ---------------------------------------------------------------------------------------------
// Scan codes
// ---------------------------------------------------------------------------------------------

struct PLAT_SCAN_PAIR {
    SDL_Scancode sdl;
    PLAT_KEY dik;
};

// SDL scancodes with their DirectInput keyboard scan codes.
constexpr PLAT_SCAN_PAIR plat_scan_pairs[] = {
    {SDL_SCANCODE_ESCAPE, PLAT_KEY_ESCAPE},
    {SDL_SCANCODE_1, PLAT_KEY_1},
    {SDL_SCANCODE_2, PLAT_KEY_2},
    {SDL_SCANCODE_3, PLAT_KEY_3},
    {SDL_SCANCODE_4, PLAT_KEY_4},
    {SDL_SCANCODE_5, PLAT_KEY_5},
    {SDL_SCANCODE_6, PLAT_KEY_6},
    {SDL_SCANCODE_7, PLAT_KEY_7},
    {SDL_SCANCODE_8, PLAT_KEY_8},
    {SDL_SCANCODE_9, PLAT_KEY_9},
    {SDL_SCANCODE_0, PLAT_KEY_0},
    {SDL_SCANCODE_MINUS, PLAT_KEY_MINUS},
    {SDL_SCANCODE_EQUALS, PLAT_KEY_EQUALS},
    {SDL_SCANCODE_BACKSPACE, PLAT_KEY_BACKSPACE},
    {SDL_SCANCODE_TAB, PLAT_KEY_TAB},
    {SDL_SCANCODE_Q, PLAT_KEY_Q},
    {SDL_SCANCODE_W, PLAT_KEY_W},
    {SDL_SCANCODE_E, PLAT_KEY_E},
    {SDL_SCANCODE_R, PLAT_KEY_R},
    {SDL_SCANCODE_T, PLAT_KEY_T},
    {SDL_SCANCODE_Y, PLAT_KEY_Y},
    {SDL_SCANCODE_U, PLAT_KEY_U},
    {SDL_SCANCODE_I, PLAT_KEY_I},
    {SDL_SCANCODE_O, PLAT_KEY_O},
    {SDL_SCANCODE_P, PLAT_KEY_P},
    {SDL_SCANCODE_LEFTBRACKET, PLAT_KEY_LEFT_BRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, PLAT_KEY_RIGHT_BRACKET},
    {SDL_SCANCODE_RETURN, PLAT_KEY_RETURN},
    {SDL_SCANCODE_LCTRL, PLAT_KEY_LEFT_CTRL},
    {SDL_SCANCODE_A, PLAT_KEY_A},
    {SDL_SCANCODE_S, PLAT_KEY_S},
    {SDL_SCANCODE_D, PLAT_KEY_D},
    {SDL_SCANCODE_F, PLAT_KEY_F},
    {SDL_SCANCODE_G, PLAT_KEY_G},
    {SDL_SCANCODE_H, PLAT_KEY_H},
    {SDL_SCANCODE_J, PLAT_KEY_J},
    {SDL_SCANCODE_K, PLAT_KEY_K},
    {SDL_SCANCODE_L, PLAT_KEY_L},
    {SDL_SCANCODE_SEMICOLON, PLAT_KEY_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, PLAT_KEY_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, PLAT_KEY_GRAVE},
    {SDL_SCANCODE_LSHIFT, PLAT_KEY_LEFT_SHIFT},
    {SDL_SCANCODE_BACKSLASH, PLAT_KEY_BACKSLASH},
    {SDL_SCANCODE_Z, PLAT_KEY_Z},
    {SDL_SCANCODE_X, PLAT_KEY_X},
    {SDL_SCANCODE_C, PLAT_KEY_C},
    {SDL_SCANCODE_V, PLAT_KEY_V},
    {SDL_SCANCODE_B, PLAT_KEY_B},
    {SDL_SCANCODE_N, PLAT_KEY_N},
    {SDL_SCANCODE_M, PLAT_KEY_M},
    {SDL_SCANCODE_COMMA, PLAT_KEY_COMMA},
    {SDL_SCANCODE_PERIOD, PLAT_KEY_PERIOD},
    {SDL_SCANCODE_SLASH, PLAT_KEY_SLASH},
    {SDL_SCANCODE_RSHIFT, PLAT_KEY_RIGHT_SHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, PLAT_KEY_PAD_MULTIPLY},
    {SDL_SCANCODE_LALT, PLAT_KEY_LEFT_ALT},
    {SDL_SCANCODE_SPACE, PLAT_KEY_SPACE},
    {SDL_SCANCODE_CAPSLOCK, PLAT_KEY_CAPS_LOCK},
    {SDL_SCANCODE_F1, PLAT_KEY_F1},
    {SDL_SCANCODE_F2, PLAT_KEY_F2},
    {SDL_SCANCODE_F3, PLAT_KEY_F3},
    {SDL_SCANCODE_F4, PLAT_KEY_F4},
    {SDL_SCANCODE_F5, PLAT_KEY_F5},
    {SDL_SCANCODE_F6, PLAT_KEY_F6},
    {SDL_SCANCODE_F7, PLAT_KEY_F7},
    {SDL_SCANCODE_F8, PLAT_KEY_F8},
    {SDL_SCANCODE_F9, PLAT_KEY_F9},
    {SDL_SCANCODE_F10, PLAT_KEY_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, PLAT_KEY_NUM_LOCK},
    {SDL_SCANCODE_SCROLLLOCK, PLAT_KEY_SCROLL_LOCK},
    {SDL_SCANCODE_KP_7, PLAT_KEY_PAD_7},
    {SDL_SCANCODE_KP_8, PLAT_KEY_PAD_8},
    {SDL_SCANCODE_KP_9, PLAT_KEY_PAD_9},
    {SDL_SCANCODE_KP_MINUS, PLAT_KEY_PAD_MINUS},
    {SDL_SCANCODE_KP_4, PLAT_KEY_PAD_4},
    {SDL_SCANCODE_KP_5, PLAT_KEY_PAD_5},
    {SDL_SCANCODE_KP_6, PLAT_KEY_PAD_6},
    {SDL_SCANCODE_KP_PLUS, PLAT_KEY_PAD_PLUS},
    {SDL_SCANCODE_KP_1, PLAT_KEY_PAD_1},
    {SDL_SCANCODE_KP_2, PLAT_KEY_PAD_2},
    {SDL_SCANCODE_KP_3, PLAT_KEY_PAD_3},
    {SDL_SCANCODE_KP_0, PLAT_KEY_PAD_0},
    {SDL_SCANCODE_KP_PERIOD, PLAT_KEY_PAD_PERIOD},
    {SDL_SCANCODE_NONUSBACKSLASH, PLAT_KEY_EXTRA_BACKSLASH},
    {SDL_SCANCODE_F11, PLAT_KEY_F11},
    {SDL_SCANCODE_F12, PLAT_KEY_F12},
    {SDL_SCANCODE_F13, PLAT_KEY_F13},
    {SDL_SCANCODE_F14, PLAT_KEY_F14},
    {SDL_SCANCODE_F15, PLAT_KEY_F15},
    {SDL_SCANCODE_KP_EQUALS, PLAT_KEY_PAD_EQUALS},
    {SDL_SCANCODE_KP_ENTER, PLAT_KEY_PAD_ENTER},
    {SDL_SCANCODE_RCTRL, PLAT_KEY_RIGHT_CTRL},
    {SDL_SCANCODE_MUTE, PLAT_KEY_MUTE},
    {SDL_SCANCODE_VOLUMEDOWN, PLAT_KEY_VOLUME_DOWN},
    {SDL_SCANCODE_VOLUMEUP, PLAT_KEY_VOLUME_UP},
    {SDL_SCANCODE_KP_COMMA, PLAT_KEY_PAD_COMMA},
    {SDL_SCANCODE_KP_DIVIDE, PLAT_KEY_PAD_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, PLAT_KEY_PRINT_SCREEN},
    {SDL_SCANCODE_RALT, PLAT_KEY_RIGHT_ALT},
    {SDL_SCANCODE_PAUSE, PLAT_KEY_PAUSE},
    {SDL_SCANCODE_HOME, PLAT_KEY_HOME},
    {SDL_SCANCODE_UP, PLAT_KEY_UP},
    {SDL_SCANCODE_PAGEUP, PLAT_KEY_PAGE_UP},
    {SDL_SCANCODE_LEFT, PLAT_KEY_LEFT},
    {SDL_SCANCODE_RIGHT, PLAT_KEY_RIGHT},
    {SDL_SCANCODE_END, PLAT_KEY_END},
    {SDL_SCANCODE_DOWN, PLAT_KEY_DOWN},
    {SDL_SCANCODE_PAGEDOWN, PLAT_KEY_PAGE_DOWN},
    {SDL_SCANCODE_INSERT, PLAT_KEY_INSERT},
    {SDL_SCANCODE_DELETE, PLAT_KEY_DELETE},
    {SDL_SCANCODE_LGUI, PLAT_KEY_LEFT_GUI},
    {SDL_SCANCODE_RGUI, PLAT_KEY_RIGHT_GUI},
    {SDL_SCANCODE_APPLICATION, PLAT_KEY_APPLICATION},
};

// SDL's game-controller buttons and the places the game reads them at.
struct PLAT_PAD_PLACE {
    SDL_GameControllerButton sdl;
    int place;
};
constexpr PLAT_PAD_PLACE plat_pad_places[] = {
    {SDL_CONTROLLER_BUTTON_A, PLAT_PAD_BUTTON_SOUTH},
    {SDL_CONTROLLER_BUTTON_B, PLAT_PAD_BUTTON_EAST},
    {SDL_CONTROLLER_BUTTON_X, PLAT_PAD_BUTTON_WEST},
    {SDL_CONTROLLER_BUTTON_Y, PLAT_PAD_BUTTON_NORTH},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PLAT_PAD_BUTTON_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PLAT_PAD_BUTTON_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_BACK, PLAT_PAD_BUTTON_BACK},
    {SDL_CONTROLLER_BUTTON_START, PLAT_PAD_BUTTON_START},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, PLAT_PAD_BUTTON_LEFT_STICK},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, PLAT_PAD_BUTTON_RIGHT_STICK},
    {SDL_CONTROLLER_BUTTON_GUIDE, PLAT_PAD_BUTTON_GUIDE},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PLAT_TAP_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PLAT_TAP_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PLAT_TAP_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PLAT_TAP_DPAD_RIGHT},
};

struct PLAT_SCAN_TABLE {
    uint8_t dik[SDL_NUM_SCANCODES];
};

constexpr PLAT_SCAN_TABLE plat_scan_table_build()
{
    PLAT_SCAN_TABLE t{};
    for (const PLAT_SCAN_PAIR &p : plat_scan_pairs) t.dik[p.sdl] = static_cast<uint8_t>(p.dik);
    return t;
}

constexpr PLAT_SCAN_TABLE plat_scan_table = plat_scan_table_build();

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

int event_watch(void *, SDL_Event *e)
{
    switch (e->type) {
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED: pin.devices_changed.store(1); break;
    case SDL_MOUSEWHEEL: pin.wheel.fetch_add(e->wheel.y * 120); break;
    default: break;
    }
    return 1;
}

PLAT_JOY_SLOT *slot_get(int handle)
{
    if (handle < 1 || handle > static_cast<int>(std::size(pin.slots))) return nullptr;
    PLAT_JOY_SLOT *s = &pin.slots[handle - 1];
    return s->used ? s : nullptr;
}

PLAT_INJECTED_DEVICE *injected_get(int32_t device)
{
    for (PLAT_INJECTED_DEVICE &d : pin.inject_joysticks)
        if (d.device == device) return &d;
    return nullptr;
}

int inject_fails(const PLAT_JOY_SLOT *s, uint32_t bit)
{
    const PLAT_INJECTED_DEVICE *d = injected_get(s->device);
    return !d || (d->state.fail & bit);
}

std::vector<int32_t> attached_devices()
{
    std::vector<int32_t> ids;
    if (pin.inject) {
        for (const PLAT_INJECTED_DEVICE &d : pin.inject_joysticks) ids.push_back(d.device);
        return ids;
    }
    if (!pin.started) return ids;
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; i++) {
        SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        if (id >= 0) ids.push_back(id);
    }
    return ids;
}

int device_index(int32_t device)
{
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; i++)
        if (SDL_JoystickGetDeviceInstanceID(i) == device) return i;
    return -1;
}

// Maps a raw axis value (-32768..32767) into the axis range; inside the dead zone it reads as
// the centre, beyond it the rest of the travel is spread over the whole half range.
int32_t axis_scale(const PLAT_AXIS &a, int32_t raw)
{
    double v = raw < 0 ? raw / 32768.0 : raw / 32767.0;
    double magnitude = std::fabs(v);
    double dead = std::clamp(a.dead_zone, 0, 10000) / 10000.0;
    double centre = (static_cast<double>(a.minimum) + a.maximum) / 2.0;
    double half = (static_cast<double>(a.maximum) - a.minimum) / 2.0;
    double out = centre;
    if (magnitude > dead) {
        double spread = dead < 1.0 ? (magnitude - dead) / (1.0 - dead) : 0.0;
        out = centre + (v < 0 ? -spread : spread) * half;
    }
    out = std::clamp(std::round(out), static_cast<double>(a.minimum), static_cast<double>(a.maximum));
    return static_cast<int32_t>(out);
}

uint32_t hat_to_pov(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 0xFFFFFFFFu;
    }
}

// The D-pad (or a plain joystick's first hat) steers like the stick: a pressed direction reads
// as the X or Y axis at the end of its range, whatever the stick does on that axis.
void dpad_steer(const PLAT_JOY_SLOT *s, Uint8 hat, PLAT_JOY_STATE *st)
{
    if (hat & SDL_HAT_LEFT) st->x = s->axis[PLAT_JOY_AXIS_X].minimum;
    if (hat & SDL_HAT_RIGHT) st->x = s->axis[PLAT_JOY_AXIS_X].maximum;
    if (hat & SDL_HAT_UP) st->y = s->axis[PLAT_JOY_AXIS_Y].minimum;
    if (hat & SDL_HAT_DOWN) st->y = s->axis[PLAT_JOY_AXIS_Y].maximum;
}

// Game controllers are laid out as DirectInput shows such pads: left stick X/Y, both triggers on
// Z (left negative, right positive), right stick on X/Y rotation, the D-pad as the first hat (and
// on X/Y), the buttons in the order of PLAT_PAD_BUTTON_*.
void controller_read(PLAT_JOY_SLOT *s, PLAT_JOY_STATE *st)
{
    SDL_GameController *c = s->controller;
    int32_t z = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) -
                SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    st->x = axis_scale(s->axis[PLAT_JOY_AXIS_X], SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
    st->y = axis_scale(s->axis[PLAT_JOY_AXIS_Y], SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    st->z = axis_scale(s->axis[PLAT_JOY_AXIS_Z], std::clamp(z, -32768, 32767));
    st->rx = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX);
    st->ry = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY);
    for (int i = 0; i < PLAT_PAD_BUTTONS; i++) st->buttons[i] = plat_taps_pad_read(s->device, i);
    Uint8 hat = 0;
    if (plat_taps_pad_read(s->device, PLAT_TAP_DPAD_UP)) hat |= SDL_HAT_UP;
    if (plat_taps_pad_read(s->device, PLAT_TAP_DPAD_DOWN)) hat |= SDL_HAT_DOWN;
    if (plat_taps_pad_read(s->device, PLAT_TAP_DPAD_LEFT)) hat |= SDL_HAT_LEFT;
    if (plat_taps_pad_read(s->device, PLAT_TAP_DPAD_RIGHT)) hat |= SDL_HAT_RIGHT;
    st->pov[0] = hat_to_pov(hat);
    dpad_steer(s, hat, st);
}

// Plain joysticks: axes 0-3 are X, Y, Z and Z-rotation, 4 and 5 the sliders.
void joystick_read(PLAT_JOY_SLOT *s, PLAT_JOY_STATE *st)
{
    SDL_Joystick *j = s->joystick;
    int axes = SDL_JoystickNumAxes(j);
    int32_t raw[6] = {};
    for (int i = 0; i < std::min(axes, 6); i++) raw[i] = SDL_JoystickGetAxis(j, i);
    st->x = axes > 0 ? axis_scale(s->axis[PLAT_JOY_AXIS_X], raw[0]) : 0;
    st->y = axes > 1 ? axis_scale(s->axis[PLAT_JOY_AXIS_Y], raw[1]) : 0;
    st->z = axes > 2 ? axis_scale(s->axis[PLAT_JOY_AXIS_Z], raw[2]) : 0;
    st->rz = axes > 3 ? axis_scale(s->axis[PLAT_JOY_AXIS_RZ], raw[3]) : 0;
    st->slider[0] = raw[4];
    st->slider[1] = raw[5];
    int hats = std::min(SDL_JoystickNumHats(j), 4);
    for (int i = 0; i < 4; i++) st->pov[i] = i < hats ? hat_to_pov(SDL_JoystickGetHat(j, i)) : 0xFFFFFFFFu;
    if (hats > 0) dpad_steer(s, SDL_JoystickGetHat(j, 0), st);
    for (int i = 0; i < PLAT_INPUT_JOY_BUTTONS; i++) st->buttons[i] = plat_taps_pad_read(s->device, i);
}

// The buttons a pad holds down as it is opened.
void pad_held(const PLAT_JOY_SLOT *s, uint8_t held[PLAT_TAP_PAD_BUTTONS])
{
    if (s->controller) {
        for (const PLAT_PAD_PLACE &p : plat_pad_places) held[p.place] = SDL_GameControllerGetButton(s->controller, p.sdl);
    } else if (s->joystick) {
        int buttons = std::min(SDL_JoystickNumButtons(s->joystick), static_cast<int>(PLAT_INPUT_JOY_BUTTONS));
        for (int i = 0; i < buttons; i++) held[i] = SDL_JoystickGetButton(s->joystick, i);
    }
}

void injected_read(PLAT_JOY_SLOT *s, const PLAT_INJECT_JOYSTICK &in, PLAT_JOY_STATE *st)
{
    st->x = axis_scale(s->axis[PLAT_JOY_AXIS_X], in.axis[0]);
    st->y = axis_scale(s->axis[PLAT_JOY_AXIS_Y], in.axis[1]);
    st->z = in.axes > 2 ? axis_scale(s->axis[PLAT_JOY_AXIS_Z], in.axis[2]) : 0;
    st->rz = in.axes > 3 ? axis_scale(s->axis[PLAT_JOY_AXIS_RZ], in.axis[3]) : 0;
    for (uint32_t &p : st->pov) p = 0xFFFFFFFFu;
    for (int i = 0; i < PLAT_INPUT_JOY_BUTTONS; i++) st->buttons[i] = in.buttons[i] ? 0x80 : 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------------------------

int plat_input_init()
{
    pin.mouse_acquired = 0;
    pin.keyboard_acquired = 0;
    pin.changes.clear();
    if (pin.inject) {
        pin.known_devices = attached_devices();
        return 1;
    }
    if (!pin.started) {
        // Face buttons by position (south, east ...) on every pad, Nintendo's included, whose
        // labels SDL would otherwise follow.
        SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
        plat_input_touch_start();
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) return 0;
        SDL_AddEventWatch(event_watch, nullptr);
        pin.started = 1;
    }
    pin.devices_changed.store(0);
    pin.known_devices = attached_devices();
    return 1;
}

void plat_input_done()
{
    for (int h = 1; h <= static_cast<int>(std::size(pin.slots)); h++) plat_input_joystick_close(h);
    plat_input_mouse_acquire(0);
    pin.keyboard_acquired = 0;
    pin.changes.clear();
    pin.known_devices.clear();
    if (pin.started) {
        SDL_DelEventWatch(event_watch, nullptr);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        pin.started = 0;
    }
}

int plat_input_scan_code(int sdl_scancode)
{
    if (sdl_scancode < 0 || sdl_scancode >= SDL_NUM_SCANCODES) return 0;
    return plat_scan_table.dik[sdl_scancode];
}

// ---------------------------------------------------------------------------------------------
// Keyboard
// ---------------------------------------------------------------------------------------------

int plat_input_keyboard_acquire(int acquire)
{
    pin.keyboard_acquired = acquire != 0;
    return 1;
}

// A keyboard that is not acquired reads as lost, as the mouse does: while the window menu or
// another window has the keys, none of them reach the game.
int plat_input_keyboard_read(uint8_t keys[256])
{
    if (!pin.keyboard_acquired) return PLAT_INPUT_LOST;
    if (pin.inject) {
        if (pin.inject_keyboard_lost) {
            pin.inject_keyboard_lost = 0;
            return PLAT_INPUT_LOST;
        }
        std::memcpy(keys, pin.inject_keys, 256);
    } else {
        std::memset(keys, 0, 256);
    }
    for (int i = 1; i < 256; i++) keys[i] |= plat_taps_key_read(i);
    keys[0] = 0;   // no key has scan code 0; bindings use it as "nothing"
    return PLAT_INPUT_OK;
}

// ---------------------------------------------------------------------------------------------
// Mouse
// ---------------------------------------------------------------------------------------------

int plat_input_mouse_acquire(int acquire)
{
    int was = pin.mouse_acquired;
    pin.mouse_acquired = acquire != 0;
    if (pin.inject || !SDL_WasInit(SDL_INIT_VIDEO)) return 1;
    // Capturing the pointer is best effort: an offscreen window has none to capture. Let go, the
    // pointer shows where the desktop had it (a click on the menu bar lands there), not where
    // SDL's own count of the captured movement would put it.
    if (acquire != was) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        SDL_SetRelativeMouseMode(acquire ? SDL_TRUE : SDL_FALSE);
        if (!acquire && was && plat_display_available()) SDL_WarpMouseGlobal(x, y);
    }
    if (acquire) {
        SDL_GetRelativeMouseState(nullptr, nullptr);
        int dx, dy;
        plat_input_touch_motion_take(&dx, &dy);
        pin.wheel.store(0);
    }
    return 1;
}

int plat_input_mouse_read(PLAT_MOUSE_STATE *state)
{
    std::memset(state, 0, sizeof *state);
    if (pin.inject) {
        if (pin.inject_mouse_lost || !pin.mouse_acquired) {
            pin.inject_mouse_lost = 0;
            return PLAT_INPUT_LOST;
        }
        state->x = pin.inject_dx;
        state->y = pin.inject_dy;
        pin.inject_dx = pin.inject_dy = 0;
        for (int i = 0; i < 4; i++) state->buttons[i] = (pin.inject_buttons[i] ? 0x80 : 0) | plat_taps_mouse_read(i);
        return PLAT_INPUT_OK;
    }
    if (!pin.mouse_acquired) return PLAT_INPUT_LOST;
    int dx = 0, dy = 0, touch_dx, touch_dy;
    SDL_GetRelativeMouseState(&dx, &dy);
    plat_input_touch_motion_take(&touch_dx, &touch_dy);
    state->x = dx + touch_dx;
    state->y = dy + touch_dy;
    state->z = pin.wheel.exchange(0);
    for (int i = 0; i < 4; i++) state->buttons[i] = plat_taps_mouse_read(i);
    return PLAT_INPUT_OK;
}

// The desktop's left-handed setting reaches SDL already applied (X11 and libinput swap the
// buttons before any client sees them), so real devices never report a swap of their own.
int plat_input_mouse_buttons_swapped()
{
    return pin.inject ? pin.inject_swapped : 0;
}

void plat_input_cursor_show(int show)
{
    if (pin.inject || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

// ---------------------------------------------------------------------------------------------
// Joysticks
// ---------------------------------------------------------------------------------------------

int plat_input_joystick_enum(PLAT_JOY_ENUM_FN fn, void *user)
{
    std::vector<int32_t> ids = attached_devices();
    pin.known_devices = ids;
    for (int32_t id : ids)
        if (!fn(id, user)) break;
    return 1;
}

int plat_input_joystick_change(PLAT_JOY_CHANGE *change)
{
    if (!pin.inject && pin.started) {
        SDL_JoystickUpdate();
        if (pin.devices_changed.exchange(0)) {
            std::vector<int32_t> now = attached_devices();
            for (int32_t id : pin.known_devices)
                if (std::find(now.begin(), now.end(), id) == now.end()) pin.changes.push_back({0, id});
            for (int32_t id : now)
                if (std::find(pin.known_devices.begin(), pin.known_devices.end(), id) == pin.known_devices.end())
                    pin.changes.push_back({1, id});
            pin.known_devices = now;
        }
    }
    if (pin.changes.empty()) return 0;
    *change = pin.changes.front();
    pin.changes.pop_front();
    return 1;
}

int plat_input_joystick_open(int32_t device)
{
    PLAT_JOY_SLOT *s = nullptr;
    int handle = 0;
    for (int i = 0; i < static_cast<int>(std::size(pin.slots)); i++) {
        if (!pin.slots[i].used) {
            s = &pin.slots[i];
            handle = i + 1;
            break;
        }
    }
    if (!s) return 0;
    *s = PLAT_JOY_SLOT{};
    s->device = device;
    if (pin.inject) {
        const PLAT_INJECTED_DEVICE *d = injected_get(device);
        if (!d || (d->state.fail & PLAT_INJECT_FAIL_OPEN)) return 0;
    } else {
        int index = device_index(device);
        if (index < 0) return 0;
        if (SDL_IsGameController(index)) {
            s->controller = SDL_GameControllerOpen(index);
            if (s->controller) s->joystick = SDL_GameControllerGetJoystick(s->controller);
        }
        if (!s->joystick) s->joystick = SDL_JoystickOpen(index);
        if (!s->joystick) return 0;
    }
    uint8_t held[PLAT_TAP_PAD_BUTTONS] = {};
    pad_held(s, held);
    plat_taps_pad_open(device, held);
    s->used = 1;
    return handle;
}

void plat_input_joystick_close(int handle)
{
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s) return;
    if (s->controller) SDL_GameControllerClose(s->controller);
    else if (s->joystick) SDL_JoystickClose(s->joystick);
    plat_taps_pad_close(s->device);
    *s = PLAT_JOY_SLOT{};
}

int plat_input_joystick_axes(int handle)
{
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s) return -1;
    if (pin.inject) return inject_fails(s, PLAT_INJECT_FAIL_CAPS) ? -1 : injected_get(s->device)->state.axes;
    if (s->controller) return 5;
    return SDL_JoystickNumAxes(s->joystick);
}

int plat_input_joystick_range_set(int handle, int axis, int32_t minimum, int32_t maximum)
{
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s || axis < 0 || axis > 3 || minimum >= maximum) return 0;
    if (pin.inject) {
        static constexpr uint32_t bits[] = {PLAT_INJECT_FAIL_RANGE_X, PLAT_INJECT_FAIL_RANGE_Y, PLAT_INJECT_FAIL_RANGE_Z,
                                            PLAT_INJECT_FAIL_RANGE_Z};
        if (inject_fails(s, bits[axis])) return 0;
    }
    s->axis[axis].minimum = minimum;
    s->axis[axis].maximum = maximum;
    return 1;
}

int plat_input_joystick_dead_zone_set(int handle, int axis, int32_t dead_zone)
{
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s || axis < 0 || axis > 3 || dead_zone < 0 || dead_zone > 10000) return 0;
    if (pin.inject) {
        static constexpr uint32_t bits[] = {PLAT_INJECT_FAIL_DEAD_ZONE_X, PLAT_INJECT_FAIL_DEAD_ZONE_Y,
                                            PLAT_INJECT_FAIL_DEAD_ZONE_Z, PLAT_INJECT_FAIL_DEAD_ZONE_Z};
        if (inject_fails(s, bits[axis])) return 0;
    }
    s->axis[axis].dead_zone = dead_zone;
    return 1;
}

int plat_input_joystick_acquire(int handle)
{
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s) return 0;
    if (pin.inject ? inject_fails(s, PLAT_INJECT_FAIL_ACQUIRE) : !SDL_JoystickGetAttached(s->joystick)) return 0;
    s->acquired = 1;
    return 1;
}

int plat_input_joystick_poll(int handle)
{
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s) return PLAT_INPUT_FAILED;
    int attached = pin.inject ? injected_get(s->device) != nullptr : SDL_JoystickGetAttached(s->joystick) == SDL_TRUE;
    if (!attached) {
        s->acquired = 0;
        return PLAT_INPUT_LOST;
    }
    return s->acquired ? PLAT_INPUT_OK : PLAT_INPUT_LOST;
}

int plat_input_joystick_read(int handle, PLAT_JOY_STATE *state)
{
    std::memset(state, 0, sizeof *state);
    PLAT_JOY_SLOT *s = slot_get(handle);
    if (!s) return PLAT_INPUT_FAILED;
    int status = plat_input_joystick_poll(handle);
    if (status != PLAT_INPUT_OK) return status;
    if (pin.inject) injected_read(s, injected_get(s->device)->state, state);
    else if (s->controller) controller_read(s, state);
    else joystick_read(s, state);
    return PLAT_INPUT_OK;
}

int plat_taps_pad_place(int sdl_button)
{
    for (const PLAT_PAD_PLACE &p : plat_pad_places)
        if (p.sdl == sdl_button) return p.place;
    return -1;
}

int plat_taps_mouse_acquired()
{
    return pin.mouse_acquired;
}

// ---------------------------------------------------------------------------------------------
// Test seam
// ---------------------------------------------------------------------------------------------

void plat_input_inject_mode(int on)
{
    pin.inject = on != 0;
    std::memset(pin.inject_keys, 0, sizeof pin.inject_keys);
    std::memset(pin.inject_buttons, 0, sizeof pin.inject_buttons);
    pin.inject_dx = pin.inject_dy = 0;
    pin.inject_swapped = 0;
    pin.inject_keyboard_lost = pin.inject_mouse_lost = 0;
    pin.inject_joysticks.clear();
    pin.changes.clear();
}

void plat_input_inject_keyboard(const uint8_t keys[256])
{
    std::memcpy(pin.inject_keys, keys, 256);
}

void plat_input_inject_mouse(int32_t dx, int32_t dy, const uint8_t buttons[4])
{
    pin.inject_dx += dx;
    pin.inject_dy += dy;
    if (buttons) std::memcpy(pin.inject_buttons, buttons, 4);
}

void plat_input_inject_mouse_swapped(int swapped)
{
    pin.inject_swapped = swapped != 0;
}

void plat_input_inject_keyboard_lost()
{
    pin.inject_keyboard_lost = 1;
}

void plat_input_inject_mouse_lost()
{
    pin.inject_mouse_lost = 1;
}

int32_t plat_input_inject_joystick_plug(const PLAT_INJECT_JOYSTICK *joystick, int announce)
{
    int32_t id = pin.inject_next_device++;
    pin.inject_joysticks.push_back({id, *joystick});
    if (announce) {
        pin.known_devices.push_back(id);
        pin.changes.push_back({1, id});
    }
    return id;
}

void plat_input_inject_joystick_unplug(int32_t device)
{
    auto at = std::find_if(pin.inject_joysticks.begin(), pin.inject_joysticks.end(),
                           [device](const PLAT_INJECTED_DEVICE &d) { return d.device == device; });
    if (at == pin.inject_joysticks.end()) return;
    pin.inject_joysticks.erase(at);
    pin.known_devices.erase(std::remove(pin.known_devices.begin(), pin.known_devices.end(), device),
                            pin.known_devices.end());
    pin.changes.push_back({0, device});
}

void plat_input_inject_joystick_state(int32_t device, const PLAT_INJECT_JOYSTICK *joystick)
{
    PLAT_INJECTED_DEVICE *d = injected_get(device);
    if (d) d->state = *joystick;
}

int plat_input_inject_open_joysticks()
{
    int n = 0;
    for (const PLAT_JOY_SLOT &s : pin.slots) n += s.used;
    return n;
}
