// plat_input taps: routes every key, mouse button and pad button event to the owner of the
// keyboard and mouse, and counts the game's presses and releases between two of its reads so
// that a tap shorter than a pass is never lost.
#include "platform/plat_input.h"

#include "platform/plat_input_local.h"
#include "platform/plat_menu.h"
#include "platform/plat_owner.h"

#include <SDL.h>

#include <iterator>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// One key or button. `down` and `owner` route its events: a press goes to the owner of its
// moment, the release after it to the same one. The rest is the game's view: held by the game,
// what its last read showed, and the changes it has not read yet.
struct PLAT_TAP {
    uint8_t down;
    uint8_t owner;
    uint8_t held;
    uint8_t shown;
    uint8_t pending;
};

struct PLAT_PAD_TAPS {
    int32_t device;
    PLAT_TAP taps[PLAT_TAP_PAD_BUTTONS];
};

struct PLAT_TAPS_STATE {
    PLAT_TAP keys[256];
    PLAT_TAP mouse[4];
    std::vector<PLAT_PAD_TAPS> pads;
};

PLAT_TAPS_STATE taps;

// Changes kept for the game at most: a press, a release and a press. Beyond that the oldest tap
// goes (two changes at a time, so that what is shown still ends where the key stands).
constexpr uint8_t PLAT_TAP_PENDING_MAX = 3;

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

void game_change(PLAT_TAP &t, int down)
{
    if (t.held == down) return;
    t.held = static_cast<uint8_t>(down);
    if (++t.pending > PLAT_TAP_PENDING_MAX) t.pending = static_cast<uint8_t>(t.pending - 2);
}

// `press_owner`: where a press would go now. Returns where this event went.
int route(PLAT_TAP &t, int down, int press_owner)
{
    if (down) {
        if (t.down) return t.owner;   // pressed again without a release: it stays where it went
        t.down = 1;
        t.owner = static_cast<uint8_t>(press_owner);
    } else {
        if (!t.down) return PLAT_OWNER_WINDOW;   // its press came before anyone watched
        t.down = 0;
    }
    if (t.owner == PLAT_OWNER_GAME) game_change(t, down);
    return t.owner;
}

uint8_t game_read(PLAT_TAP &t)
{
    if (t.pending) {
        t.shown ^= 1;
        t.pending--;
    }
    return t.shown ? 0x80 : 0;
}

void settle(PLAT_TAP &t)
{
    t.shown = t.held;
    t.pending = 0;
}

PLAT_PAD_TAPS *pad_find(int32_t device)
{
    for (PLAT_PAD_TAPS &p : taps.pads)
        if (p.device == device) return &p;
    return nullptr;
}

// Hands an event to the owner it went to when that owner listens; returns the owner.
int deliver(int to, int code, int down)
{
    PLAT_OWNER_KEY_FN listener = to == PLAT_OWNER_GAME ? nullptr : plat_owner_keys_listener(to);
    if (listener) listener(code, down);
    return to;
}

int key_event(int scan_code, int down, int window_key)
{
    if (scan_code <= 0 || scan_code > 255) return PLAT_OWNER_WINDOW;
    PLAT_TAP &t = taps.keys[scan_code];
    return deliver(route(t, down, window_key ? PLAT_OWNER_WINDOW : plat_owner()), scan_code, down);
}

// Keys that belong to the window itself: Alt alone or with another key (Alt+Enter, Alt+F4,
// Alt+Tab), F4 and F10.
bool window_key(const SDL_KeyboardEvent &k)
{
    switch (k.keysym.scancode) {
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
    case SDL_SCANCODE_F4:
    case SDL_SCANCODE_F10: return true;
    default: return (k.keysym.mod & KMOD_ALT) != 0;
    }
}

// Who a mouse press goes to. The game only has the mouse while the input module holds it; a
// click then goes to the window menu when it lands on the menu's bar.
int button_press_owner(const SDL_Event &e)
{
    int owner = plat_owner();
    if (owner != PLAT_OWNER_GAME) return owner;
    if (plat_menu_bar_hit(&e)) {
        plat_owner_take(PLAT_OWNER_MENU);
        return PLAT_OWNER_MENU;
    }
    return plat_taps_mouse_acquired() ? PLAT_OWNER_GAME : PLAT_OWNER_WINDOW;
}

static_assert(PLAT_OWNER_PAD_UP == PLAT_OWNER_PAD + PLAT_TAP_DPAD_UP && PLAT_OWNER_PAD_RIGHT == PLAT_OWNER_PAD + PLAT_TAP_DPAD_RIGHT);

int pad_event(int32_t device, int button, int down)
{
    PLAT_PAD_TAPS *p = pad_find(device);
    if (!p || button < 0 || button >= PLAT_TAP_PAD_BUTTONS) return PLAT_OWNER_WINDOW;
    return deliver(route(p->taps[button], down, plat_owner()), PLAT_OWNER_PAD + button, down);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int plat_input_event(const void *sdl_event)
{
    const SDL_Event &e = *static_cast<const SDL_Event *>(sdl_event);
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return key_event(plat_input_scan_code(e.key.keysym.scancode), e.type == SDL_KEYDOWN, window_key(e.key));
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        // Buttons in DirectInput order: left, right, middle, first extra; others are not read.
        static constexpr int order[] = {-1, 0, 2, 1, 3};
        int b = e.button.button < std::size(order) ? order[e.button.button] : -1;
        if (b < 0) return plat_owner();
        PLAT_TAP &t = taps.mouse[b];
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        return route(t, down, down && !t.down ? button_press_owner(e) : t.owner);
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        return pad_event(e.cbutton.which, plat_taps_pad_place(e.cbutton.button), e.type == SDL_CONTROLLERBUTTONDOWN);
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        // A pad known to SDL's controller mapping reports its buttons as controller events.
        if (SDL_GameControllerFromInstanceID(e.jbutton.which)) return -1;
        return pad_event(e.jbutton.which, e.jbutton.button, e.type == SDL_JOYBUTTONDOWN);
    default: return -1;
    }
}

int plat_input_key_event(int scan_code, int down)
{
    return key_event(scan_code, down, 0);
}

void plat_input_taps_settle()
{
    for (PLAT_TAP &t : taps.keys) settle(t);
    for (PLAT_TAP &t : taps.mouse) settle(t);
    for (PLAT_PAD_TAPS &p : taps.pads)
        for (PLAT_TAP &t : p.taps) settle(t);
}

uint8_t plat_taps_key_read(int scan_code)
{
    return scan_code > 0 && scan_code < 256 ? game_read(taps.keys[scan_code]) : 0;
}

uint8_t plat_taps_mouse_read(int button)
{
    return button >= 0 && button < 4 ? game_read(taps.mouse[button]) : 0;
}

uint8_t plat_taps_pad_read(int32_t device, int button)
{
    PLAT_PAD_TAPS *p = pad_find(device);
    return p && button >= 0 && button < PLAT_TAP_PAD_BUTTONS ? game_read(p->taps[button]) : 0;
}

void plat_taps_pad_open(int32_t device, const uint8_t *held)
{
    plat_taps_pad_close(device);
    PLAT_PAD_TAPS p{};
    p.device = device;
    // Buttons already down when the pad is opened count as the game's.
    for (int i = 0; held && i < PLAT_TAP_PAD_BUTTONS; i++)
        if (held[i]) p.taps[i] = PLAT_TAP{1, PLAT_OWNER_GAME, 1, 1, 0};
    taps.pads.push_back(p);
}

void plat_taps_pad_close(int32_t device)
{
    for (size_t i = 0; i < taps.pads.size(); i++) {
        if (taps.pads[i].device != device) continue;
        taps.pads.erase(taps.pads.begin() + static_cast<long>(i));
        return;
    }
}
