// plat_core on SDL2: window, message queue, wake-ups and alerts. Waiting for messages, priority
// and memory status differ between the desktop and the browser (plat_core_linux.cpp, web/).
#include "platform/plat_core.h"
#include "platform/plat_core_local.h"

#include "platform/plat_gl.h"
#include "platform/plat_input.h"
#include "platform/plat_input_local.h"
#include "platform/plat_menu.h"
#include "platform/plat_owner.h"
#include "platform/plat_text.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace {

struct PLAT_STATE {
    int initialised;
    int headless;
    SDL_Window *window;
    char window_error[256];   // why the window could not be made
    PLAT_WNDPROC proc;
    uint32_t wake_event;
    std::mutex queue_lock;
    std::deque<PLAT_MSG> queue;
    PLAT_ALERT_FN alert_capture;
};

PLAT_STATE plat;

uintptr_t virtual_key(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<uintptr_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uintptr_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12) return PLAT_VK_F1 + static_cast<uintptr_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_TAB: return PLAT_VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return PLAT_VK_RETURN;
    case SDLK_LALT:
    case SDLK_RALT: return PLAT_VK_MENU;
    case SDLK_ESCAPE: return PLAT_VK_ESCAPE;
    case SDLK_SPACE: return PLAT_VK_SPACE;
    case SDLK_LEFT: return PLAT_VK_LEFT;
    case SDLK_UP: return PLAT_VK_UP;
    case SDLK_RIGHT: return PLAT_VK_RIGHT;
    case SDLK_DOWN: return PLAT_VK_DOWN;
    default: return 0;
    }
}

void push(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    std::lock_guard<std::mutex> hold(plat.queue_lock);
    plat.queue.push_back({message, wparam, lparam});
}

// Turns one SDL event into the window messages the engine expects.
void translate(const SDL_Event &e)
{
    // Fingers stand for the mouse: a tap comes back as a click.
    if (plat_input_touch_event(&e)) return;
    // Keys and buttons go to the owner of the keyboard and mouse; the window menu and the dialogs
    // see every event that is not the game's and keep those they use.
    int owner = plat_input_event(&e);
    if (plat_menu_event(&e, owner)) return;
    switch (e.type) {
    case SDL_QUIT:
        push(PLAT_WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: push(PLAT_WM_CLOSE, 0, 0); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            push(PLAT_WM_ACTIVATE, 1, 0);
            push(PLAT_WM_SETFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            push(PLAT_WM_ACTIVATE, 0, 0);
            push(PLAT_WM_KILLFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_MINIMIZED: push(PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0); break;
        case SDL_WINDOWEVENT_RESTORED:
            plat_gl_picture_lost();
            push(PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            plat_gl_picture_lost();
            push(PLAT_WM_SIZE, 0, static_cast<intptr_t>((e.window.data2 << 16) | (e.window.data1 & 0xFFFF)));
            break;
        case SDL_WINDOWEVENT_DISPLAY_CHANGED: push(PLAT_WM_DISPLAYCHANGE, 0, 0); break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED: plat_gl_picture_lost(); break;
        default: break;
        }
        break;
    case SDL_DISPLAYEVENT:
        push(PLAT_WM_DISPLAYCHANGE, 0, 0);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uintptr_t vk = virtual_key(e.key.keysym.sym);
        bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        intptr_t lparam = static_cast<intptr_t>(e.key.keysym.scancode) << 16;
        if (alt) lparam |= intptr_t{1} << 29;
        if (e.type == SDL_KEYDOWN) push(alt ? PLAT_WM_SYSKEYDOWN : PLAT_WM_KEYDOWN, vk, lparam);
        else push(alt ? PLAT_WM_SYSKEYUP : PLAT_WM_KEYUP, vk, lparam);
        break;
    }
    case SDL_TEXTINPUT:
        // Typed text follows the keyboard: the window menu and the dialogs keep theirs.
        if (plat_owner() == PLAT_OWNER_GAME || plat_owner() == PLAT_OWNER_EDITOR) plat_text_push(e.text.text);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT && (owner == PLAT_OWNER_GAME || owner == PLAT_OWNER_WINDOW))
            push(PLAT_WM_LBUTTONDOWN, 0, static_cast<intptr_t>((e.button.y << 16) | (e.button.x & 0xFFFF)));
        break;
    default:
        break;
    }
}

} // namespace

void plat_core_translate(const SDL_Event *e)
{
    translate(*e);
}

int plat_core_queue_empty()
{
    std::lock_guard<std::mutex> hold(plat.queue_lock);
    return plat.queue.empty();
}

int plat_core_initialised()
{
    return plat.initialised;
}

namespace {

void pump()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
}

const char *env(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// A console login has a seat, where SDL may draw straight to the screen (KMS/DRM).
bool console_seat()
{
    return env("XDG_SEAT") != nullptr;
}

// What SDL picked for the window, when nobody chose a driver: a desktop's display, or the
// console of a seat. Anything else (the offscreen or dummy driver, KMS/DRM without a seat)
// would run the game where nobody sees it.
bool driver_shows_a_window(const char *driver)
{
    if (!driver) return false;
    if (!std::strcmp(driver, "x11") || !std::strcmp(driver, "wayland")) return true;
    return !std::strcmp(driver, "KMSDRM") && console_seat();
}

void no_display(const char *why)
{
    std::fprintf(stderr,
                 "veltramondo: no display to open the game's window on: %s.\n"
                 "Start it from a desktop session (with DISPLAY or WAYLAND_DISPLAY set), or run it "
                 "without a window with --headless.\n",
                 why);
}

} // namespace

void plat_app_id_set(const char *app_id)
{
    // The user's own choice of class stays.
    setenv("SDL_VIDEO_X11_WMCLASS", app_id, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", app_id, 0);
}

int plat_init(int headless)
{
    if (plat.initialised) return 1;
    plat.headless = headless;
    if (headless) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    // Without a display the game would run unseen until killed: it says so and ends instead,
    // unless a video driver was chosen (--headless, SDL_VIDEODRIVER).
    bool chosen = env("SDL_VIDEODRIVER") != nullptr;
    if (!chosen && !env("DISPLAY") && !env("WAYLAND_DISPLAY") && !console_seat()) {
        no_display("neither DISPLAY nor WAYLAND_DISPLAY is set");
        return 0;
    }
    // With only an X display named, SDL is not left to try Wayland first: the Wayland library
    // prints a line of its own when there is no Wayland session.
    const bool x_only = !chosen && env("DISPLAY") && !env("WAYLAND_DISPLAY");
    if (x_only) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) {
        if (x_only) {
            char why[256];
            std::snprintf(why, sizeof why, "the display %s could not be opened", env("DISPLAY"));
            no_display(why);
        } else {
            std::fprintf(stderr, "veltramondo: cannot start the video system: %s\n", SDL_GetError());
        }
        return 0;
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    if (!chosen && !driver_shows_a_window(driver)) {
        char why[256];
        std::snprintf(why, sizeof why, "the display %s could not be opened, and SDL fell back to its '%s' video driver",
                      env("DISPLAY") ? env("DISPLAY") : env("WAYLAND_DISPLAY") ? env("WAYLAND_DISPLAY") : "of this seat",
                      driver ? driver : "none");
        no_display(why);
        SDL_Quit();
        return 0;
    }
    plat.wake_event = SDL_RegisterEvents(1);
    plat.initialised = 1;
    return 1;
}

void plat_shutdown()
{
    if (!plat.initialised) return;
    plat_window_destroy();
    plat_gl_drivers_pin();
    SDL_Quit();
    plat_owner_reset();
    plat.initialised = 0;
    std::lock_guard<std::mutex> hold(plat.queue_lock);
    plat.queue.clear();
}

int plat_headless()
{
    return plat.headless;
}

int plat_display_available()
{
    const char *driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

int plat_window_create(const char *title, int width, int height, int fullscreen, PLAT_WNDPROC proc)
{
    Uint32 flags = plat_gl_window_flags() | SDL_WINDOW_HIDDEN;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
    for (int fallback = 0; fallback < 2 && !plat.window; fallback++) {
        plat_gl_attributes_set(fallback);
        plat.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    }
    if (!plat.window) {
        // Every window here carries an OpenGL context, so a refusal means OpenGL is missing.
        std::snprintf(plat.window_error, sizeof plat.window_error, "OpenGL is not available: %s", SDL_GetError());
        return 0;
    }
    plat.window_error[0] = 0;
    plat.proc = proc;
    return 1;
}

const char *plat_window_error()
{
    return plat.window_error;
}

void plat_window_destroy()
{
    plat_menu_deinit();
    plat_gl_destroy();
    if (plat.window) SDL_DestroyWindow(plat.window);
    plat.window = nullptr;
}

void *plat_window_handle()
{
    return plat.window;
}

int plat_window_exists()
{
    return plat.window != nullptr;
}

void plat_window_show(int show)
{
    if (!plat.window) return;
    if (show) SDL_ShowWindow(plat.window);
    else SDL_HideWindow(plat.window);
}

void plat_window_raise()
{
    if (!plat.window) return;
    SDL_RaiseWindow(plat.window);
    // Without a window manager nobody hands the raised window the keyboard: take it, or the
    // focus stays where a closed window left it (nowhere) and the game stands still.
    SDL_SetWindowInputFocus(plat.window);
}

void plat_window_title_set(const char *title)
{
    if (plat.window) SDL_SetWindowTitle(plat.window, title);
}

int plat_message_peek(PLAT_MSG *msg, int remove)
{
    if (plat.initialised) pump();
    std::lock_guard<std::mutex> hold(plat.queue_lock);
    if (plat.queue.empty()) return 0;
    *msg = plat.queue.front();
    if (remove) plat.queue.pop_front();
    return 1;
}

void plat_wake()
{
    if (!plat.initialised) return;
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = plat.wake_event;
    SDL_PushEvent(&e);
}

void plat_message_post(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    push(message, wparam, lparam);
    plat_wake();
}

void plat_message_post_quit(int exit_code)
{
    plat_message_post(PLAT_WM_QUIT, static_cast<uintptr_t>(exit_code), 0);
}

intptr_t plat_message_dispatch(const PLAT_MSG *msg)
{
    if (!plat.proc || msg->message == PLAT_WM_QUIT) return 0;
    return plat.proc(msg->message, msg->wparam, msg->lparam);
}

uint32_t plat_ticks_ms()
{
    return SDL_GetTicks();
}

uint64_t plat_clock_us()
{
    static const Uint64 frequency = SDL_GetPerformanceFrequency();
    const Uint64 now = SDL_GetPerformanceCounter();
    return now / frequency * 1000000u + now % frequency * 1000000u / frequency;
}

void plat_alert_capture(PLAT_ALERT_FN fn)
{
    plat.alert_capture = fn;
}

int plat_alert(const char *text, const char *title, unsigned flags)
{
    if (!text) text = "";
    if (!title) title = "";
    if (plat.alert_capture) return plat.alert_capture(text, title, flags);
    if (!plat.headless && plat.initialised && plat_display_available()) {
        Uint32 type = SDL_MESSAGEBOX_INFORMATION;
        if ((flags & 0xF0) == PLAT_MB_ICONERROR) type = SDL_MESSAGEBOX_ERROR;
        else if ((flags & 0xF0) == PLAT_MB_ICONWARNING) type = SDL_MESSAGEBOX_WARNING;
        // The box has the keyboard and mouse while it is up.
        plat_owner_take(PLAT_OWNER_DIALOG);
        int shown = SDL_ShowSimpleMessageBox(type, title, text, plat.window) == 0;
        plat_owner_give_back(PLAT_OWNER_DIALOG);
        if (shown) return PLAT_IDOK;
    }
    std::fprintf(stderr, "%s%s%s\n", title, title[0] ? ": " : "", text);
    return PLAT_IDOK;
}
