// plat_core: our stand-in for the Win32 services the engine expects: a window with a message
// queue of Win32-like messages, a periodic tick on its own thread, alert boxes, process priority
// and memory status. Implemented on SDL2; the rest of the program never sees SDL.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Messages (numbers as the engine knows them)
// ---------------------------------------------------------------------------------------------

enum : uint32_t {
    PLAT_WM_NULL = 0x0000,
    PLAT_WM_DESTROY = 0x0002,
    PLAT_WM_SIZE = 0x0005,
    PLAT_WM_ACTIVATE = 0x0006,
    PLAT_WM_SETFOCUS = 0x0007,
    PLAT_WM_KILLFOCUS = 0x0008,
    PLAT_WM_CLOSE = 0x0010,
    PLAT_WM_QUIT = 0x0012,
    PLAT_WM_ENDSESSION = 0x0016,      // wParam 1: the program may be ended without a close; keep now
    PLAT_WM_ACTIVATEAPP = 0x001C,
    PLAT_WM_DISPLAYCHANGE = 0x007E,
    PLAT_WM_KEYDOWN = 0x0100,
    PLAT_WM_KEYUP = 0x0101,
    PLAT_WM_SYSKEYDOWN = 0x0104,
    PLAT_WM_SYSKEYUP = 0x0105,
    PLAT_WM_COMMAND = 0x0111,
    PLAT_WM_SYSCOMMAND = 0x0112,
    PLAT_WM_MOUSEMOVE = 0x0200,
    PLAT_WM_LBUTTONDOWN = 0x0201,
    PLAT_WM_ENTERMENULOOP = 0x0211,   // the window menu took the keyboard (or opened a popup)
    PLAT_WM_EXITMENULOOP = 0x0212,    // ... and gave it back
    PLAT_WM_USER = 0x0400,
};

enum : uintptr_t {
    PLAT_SC_MINIMIZE = 0xF020,
    PLAT_SC_RESTORE = 0xF120,
};

// Virtual key codes carried by key messages.
enum : uintptr_t {
    PLAT_VK_TAB = 0x09,
    PLAT_VK_RETURN = 0x0D,
    PLAT_VK_MENU = 0x12,
    PLAT_VK_ESCAPE = 0x1B,
    PLAT_VK_SPACE = 0x20,
    PLAT_VK_LEFT = 0x25,
    PLAT_VK_UP = 0x26,
    PLAT_VK_RIGHT = 0x27,
    PLAT_VK_DOWN = 0x28,
    PLAT_VK_F1 = 0x70,
};

struct PLAT_MSG {
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

using PLAT_WNDPROC = intptr_t (*)(uint32_t message, uintptr_t wparam, intptr_t lparam);

// Alert flags (message-box style bits) and answers.
enum : unsigned {
    PLAT_MB_OK = 0x0000,
    PLAT_MB_ICONERROR = 0x0010,
    PLAT_MB_ICONWARNING = 0x0030,
    PLAT_MB_ICONINFORMATION = 0x0040,
};
constexpr int PLAT_IDOK = 1;

// ---------------------------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------------------------

// The program's desktop id, given to the window as its class (X11) or app id (Wayland) so that
// docks and task switchers match it with its desktop entry. Before plat_init.
void plat_app_id_set(const char *app_id);
// Headless selects SDL's offscreen video and dummy audio drivers (unless already chosen).
int plat_init(int headless);
void plat_shutdown();
int plat_headless();
int plat_display_available();

// ---------------------------------------------------------------------------------------------
// Window and message queue
// ---------------------------------------------------------------------------------------------

int plat_window_create(const char *title, int width, int height, int fullscreen, PLAT_WNDPROC proc);
// Why the last plat_window_create failed, in words a player can act on ("" after a success).
const char *plat_window_error();
void plat_window_destroy();
// The window as the other platform files know it (an SDL_Window); null when there is none.
void *plat_window_handle();
int plat_window_exists();
void plat_window_show(int show);
void plat_window_raise();
void plat_window_title_set(const char *title);

// Takes the next message, translating pending window-system events first; 0 when none.
int plat_message_peek(PLAT_MSG *msg, int remove);
// Blocks until a message, a wake-up or the time-out (milliseconds) arrives.
void plat_message_wait(int timeout_ms);
// Thread-safe: queues a message for the main window.
void plat_message_post(uint32_t message, uintptr_t wparam, intptr_t lparam);
void plat_message_post_quit(int exit_code);
intptr_t plat_message_dispatch(const PLAT_MSG *msg);
// Thread-safe: ends a plat_message_wait early.
void plat_wake();

// ---------------------------------------------------------------------------------------------
// Time, threads, process
// ---------------------------------------------------------------------------------------------

using PLAT_TIMER_FN = void (*)(void *user);
// Calls fn every period_ms on a thread of its own; returns a handle (nonzero) or 0.
int plat_timer_start(int period_ms, PLAT_TIMER_FN fn, void *user);
void plat_timer_stop(int handle);
uint32_t plat_ticks_ms();
// A steady clock in microseconds (from an arbitrary start).
uint64_t plat_clock_us();
void plat_sleep_ms(int ms);

// Level 1 raises the process (where allowed without privileges), 0 is normal, -1 lowers it.
// Returns 1 when the change was made.
int plat_priority_set(int level);
void plat_memory_status(unsigned long long *total, unsigned long long *available);

int plat_alert(const char *text, const char *title, unsigned flags);
// Routes every alert to `fn` instead of a box or standard error (tests); null restores them.
using PLAT_ALERT_FN = int (*)(const char *text, const char *title, unsigned flags);
void plat_alert_capture(PLAT_ALERT_FN fn);

// ---------------------------------------------------------------------------------------------
// Scripted input for tests and demos: "at pass N, key K down/up"
// ---------------------------------------------------------------------------------------------

// Loads lines "PASS KEY down|up" (KEY a keyboard scan code, decimal), "PASS menu ID" (a
// window-menu command posted at that pass) and "PASS text CHARS" (characters typed at that pass,
// UTF-8, without spaces); '#' starts a comment.
int plat_script_load(const char *file_name);
void plat_script_add(uint32_t pass, int key, int down);
void plat_script_menu_add(uint32_t pass, uint32_t command);
// Applies the events of this pass: scripted keys go down and up as the keyboard's would.
void plat_script_pass(uint32_t pass);
