// plat_input touch: fingers on the picture as the game's mouse. The finger that steers (the first
// one down) moves the mouse by its own movement, never by where it lands; a short touch that
// stays put is a tap, a click of the left button where it was, so that a tap fires, launches or
// chooses in a menu. The other fingers only tap: one finger steers while another fires. SDL's own
// mouse made of touches is turned off, as it pressed the button the moment any finger landed (every
// drag fired) and moved the mouse to where each finger landed (the paddle jumped).
#include "platform/plat_input.h"

#include "platform/plat_core.h"
#include "platform/plat_core_local.h"
#include "platform/plat_input_local.h"

#include <SDL.h>

#include <cmath>

namespace {

constexpr int PLAT_FINGERS = 4;
constexpr Uint32 PLAT_TAP_MS = 300;       // the longest touch that is a tap
constexpr float PLAT_TAP_STRAY = 0.03f;   // the farthest a tap strays, as a share of the picture

struct PLAT_FINGER {
    SDL_FingerID id;
    int down;
    int steers;
    int strayed;
    Uint32 start_ms;
    float x0, y0;   // where it landed, as shares of the picture
};

struct PLAT_TOUCH {
    PLAT_FINGER fingers[PLAT_FINGERS];
    float dx, dy;   // steering the game has not read, in window pixels
};

PLAT_TOUCH touch;

PLAT_FINGER *finger_find(SDL_FingerID id)
{
    for (PLAT_FINGER &f : touch.fingers)
        if (f.down && f.id == id) return &f;
    return nullptr;
}

int steering()
{
    for (const PLAT_FINGER &f : touch.fingers)
        if (f.down && f.steers) return 1;
    return 0;
}

void window_size(int *w, int *h)
{
    *w = *h = 0;
    if (SDL_Window *window = static_cast<SDL_Window *>(plat_window_handle())) SDL_GetWindowSize(window, w, h);
}

// A click where the finger tapped, handled at once like the mouse's own. Moving SDL's mouse there
// (where the window menu looks for it) must not steer: what the mouse moved before is kept aside
// for the game, the jump itself is dropped.
void tap(float x, float y)
{
    SDL_Window *window = static_cast<SDL_Window *>(plat_window_handle());
    int w, h, dx = 0, dy = 0;
    window_size(&w, &h);
    const int px = static_cast<int>(x * static_cast<float>(w)), py = static_cast<int>(y * static_cast<float>(h));
    SDL_GetRelativeMouseState(&dx, &dy);
    touch.dx += static_cast<float>(dx);
    touch.dy += static_cast<float>(dy);
    if (window) SDL_WarpMouseInWindow(window, px, py);
    SDL_GetRelativeMouseState(nullptr, nullptr);
    SDL_Event click[2];
    plat_input_click_events(window ? SDL_GetWindowID(window) : 0, SDL_TOUCH_MOUSEID, px, py, click);
    for (const SDL_Event &e : click) plat_core_translate(&e);
}

} // namespace

void plat_input_click_events(uint32_t window_id, uint32_t which, int x, int y, SDL_Event out[2])
{
    for (int i = 0; i < 2; i++) {
        SDL_MouseButtonEvent &b = out[i].button;
        b = SDL_MouseButtonEvent{};
        b.type = i ? SDL_MOUSEBUTTONUP : SDL_MOUSEBUTTONDOWN;
        b.windowID = window_id;
        b.which = which;
        b.button = SDL_BUTTON_LEFT;
        b.state = i ? SDL_RELEASED : SDL_PRESSED;
        b.clicks = 1;
        b.x = x;
        b.y = y;
    }
}

void plat_input_touch_start()
{
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
}

int plat_input_touch_event(const void *sdl_event)
{
    const SDL_Event &e = *static_cast<const SDL_Event *>(sdl_event);
    if (e.type != SDL_FINGERDOWN && e.type != SDL_FINGERMOTION && e.type != SDL_FINGERUP) return 0;
    const SDL_TouchFingerEvent &t = e.tfinger;
    PLAT_FINGER *f = finger_find(t.fingerId);
    if (e.type == SDL_FINGERDOWN) {
        if (f) return 1;
        for (PLAT_FINGER &free : touch.fingers) {
            if (free.down) continue;
            free = {t.fingerId, 1, !steering(), 0, t.timestamp, t.x, t.y};
            break;
        }
        return 1;
    }
    if (!f) return 1;
    if (std::fabs(t.x - f->x0) > PLAT_TAP_STRAY || std::fabs(t.y - f->y0) > PLAT_TAP_STRAY) f->strayed = 1;
    if (e.type == SDL_FINGERMOTION) {
        // Only while the game has the mouse: elsewhere a drag is no movement of the mouse.
        if (f->steers && plat_taps_mouse_acquired()) {
            int w, h;
            window_size(&w, &h);
            touch.dx += t.dx * static_cast<float>(w);
            touch.dy += t.dy * static_cast<float>(h);
        }
        return 1;
    }
    f->down = 0;
    if (!f->strayed && t.timestamp - f->start_ms <= PLAT_TAP_MS) tap(t.x, t.y);
    return 1;
}

void plat_input_touch_motion_take(int *dx, int *dy)
{
    const float x = std::trunc(touch.dx), y = std::trunc(touch.dy);
    touch.dx -= x;
    touch.dy -= y;
    *dx = static_cast<int>(x);
    *dy = static_cast<int>(y);
}
