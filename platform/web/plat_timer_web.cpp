// plat_timer in the browser: periodic callbacks without threads. The callbacks that are due run
// on the main thread whenever the frame loop asks (plat_timer_poll), paced against the steady
// clock so that the period does not drift; after a long stall (a hidden page) the count starts
// again instead of running every missed period at once.
#include "platform/plat_core.h"
#include "platform/web/plat_web.h"

namespace {

struct PLAT_TIMER {
    int handle;
    uint64_t period_us;
    uint64_t next_us;
    PLAT_TIMER_FN fn;
    void *user;
};

constexpr int PLAT_TIMERS = 4;
constexpr uint64_t PLAT_TIMER_MAX_LATE = 20;   // periods run late at most, as the tick count keeps
PLAT_TIMER plat_timers[PLAT_TIMERS];
int plat_timer_next = 1;

} // namespace

int plat_timer_start(int period_ms, PLAT_TIMER_FN fn, void *user)
{
    if (period_ms <= 0 || !fn) return 0;
    for (PLAT_TIMER &t : plat_timers) {
        if (t.handle) continue;
        t.period_us = static_cast<uint64_t>(period_ms) * 1000u;
        t.next_us = plat_clock_us() + t.period_us;
        t.fn = fn;
        t.user = user;
        t.handle = plat_timer_next++;
        return t.handle;
    }
    return 0;
}

void plat_timer_stop(int handle)
{
    for (PLAT_TIMER &t : plat_timers)
        if (handle && t.handle == handle) t.handle = 0;
}

void plat_timer_poll()
{
    const uint64_t now = plat_clock_us();
    for (PLAT_TIMER &t : plat_timers) {
        if (!t.handle) continue;
        if (now > t.next_us + PLAT_TIMER_MAX_LATE * t.period_us) t.next_us = now - PLAT_TIMER_MAX_LATE * t.period_us;
        // A callback may stop its own timer.
        while (t.handle && now >= t.next_us) {
            t.next_us += t.period_us;
            t.fn(t.user);
        }
    }
}
