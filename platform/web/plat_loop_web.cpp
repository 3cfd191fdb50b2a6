// plat_loop in the browser: the page's only thread belongs to the browser, so the frame loop
// runs one pass per animation frame from the browser's callback (or, where the browser draws too
// slowly for that, from a timer) and gives control back after each (no pass blocks: waits
// return at once). The due ticks run first, on this same thread.
// A hidden page draws no frames: the game is told at once that it was minimised, which pauses it
// and its music as on the desktop, and restored when the page shows again. A page may be closed
// once hidden, so it is also told that it may end without a close (the game in play is kept);
// the page's hiding for good (pagehide) tells it once more, as a last try.
#include "platform/plat_loop.h"

#include "platform/plat_core.h"
#include "platform/web/plat_web.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>

namespace {

struct PLAT_LOOP {
    PLAT_PASS_FN pass;
    PLAT_END_FN end;
    uint64_t last_us;   // the last animation frame
    int judged;         // animation frames judged, and those of them that came a refresh late
    int late;
    int timed;          // the loop runs from a timer
};

constexpr uint64_t PLAT_REFRESH_US = 16667;
constexpr int PLAT_JUDGED_FRAMES = 120;
constexpr int PLAT_TIMER_FRAME_MS = 16;

PLAT_LOOP plat_loop;

// Handled now, not queued: no frame runs the queue until the page shows again.
void send(uint32_t message, uintptr_t wparam)
{
    const PLAT_MSG msg{message, wparam, 0};
    plat_message_dispatch(&msg);
}

void page_hidden_for_good()
{
    send(PLAT_WM_ENDSESSION, 1);
}

EM_BOOL visibility_changed(int, const EmscriptenVisibilityChangeEvent *e, void *)
{
    send(PLAT_WM_SYSCOMMAND, e->hidden ? PLAT_SC_MINIMIZE : PLAT_SC_RESTORE);
    if (e->hidden) send(PLAT_WM_ENDSESSION, 1);
    return EM_FALSE;
}

using PAGE_FN = void (*)();
EM_JS(void, page_hide_listen, (PAGE_FN fn), {
    if (typeof addEventListener === 'function') addEventListener('pagehide', function() { dynCall('v', fn); });
});

#if VM_WEB_ASYNCIFY
// Hands control to the browser until its next animation frame (the stack is kept by ASYNCIFY).
EM_JS(void, frame_wait, (), {
    Asyncify.handleSleep(function(wake_up) { requestAnimationFrame(function() { wake_up(); }); });
});
#else
void program_end(void *exit_code)
{
    emscripten_force_exit(static_cast<int>(reinterpret_cast<intptr_t>(exit_code)));
}

// The browser gives an animation frame once per refresh of the display, but only once the frame
// before it has been drawn: where drawing (software WebGL) takes a little longer than a refresh,
// every frame waits for the next refresh and the rate halves. When more than half of two
// seconds' frames came that late, the loop runs from a timer at the display's rate instead,
// which starts each frame as soon as the one before it allows.
void pace()
{
    const uint64_t now = plat_clock_us();
    if (plat_loop.timed) return;
    if (plat_loop.last_us) {
        plat_loop.judged++;
        if (now - plat_loop.last_us > PLAT_REFRESH_US * 3 / 2) plat_loop.late++;
    }
    plat_loop.last_us = now;
    if (plat_loop.judged < PLAT_JUDGED_FRAMES) return;
    if (plat_loop.late * 2 > plat_loop.judged) {
        emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, PLAT_TIMER_FRAME_MS);
        plat_loop.timed = 1;
    }
    plat_loop.judged = plat_loop.late = 0;
}

void frame()
{
    pace();
    plat_timer_poll();
    int exit_code = 0;
    if (!plat_loop.pass(&exit_code)) return;
    emscripten_cancel_main_loop();
    plat_loop.end(exit_code);
    // The program ends once the browser's frame callback has returned.
    emscripten_async_call(program_end, reinterpret_cast<void *>(static_cast<intptr_t>(exit_code)), 0);
}
#endif

} // namespace

int plat_loop_run(PLAT_PASS_FN pass, PLAT_END_FN end)
{
    plat_loop.pass = pass;
    plat_loop.end = end;
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, visibility_changed);
    page_hide_listen(page_hidden_for_good);
#if VM_WEB_ASYNCIFY
    int exit_code = 0;
    for (;;) {
        plat_timer_poll();
        if (pass(&exit_code)) return exit_code;
        frame_wait();
    }
#else
    // Does not return: the browser calls frame() from now on.
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
#endif
}
