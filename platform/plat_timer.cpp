// plat_timer: periodic callbacks, each on a thread of its own, paced against a steady clock so
// that late wake-ups do not make the period drift.
#include "platform/plat_core.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

struct PLAT_TIMER {
    std::thread thread;
    std::atomic<bool> stop{false};
    int handle = 0;

    // A process that ends without stopping its timers (Xlib exits when the display goes away)
    // still ends cleanly: the thread is stopped and joined instead of aborting the process.
    ~PLAT_TIMER()
    {
        stop = true;
        if (thread.joinable()) thread.join();
    }
};

constexpr int PLAT_TIMERS = 4;
PLAT_TIMER plat_timers[PLAT_TIMERS];
std::mutex plat_timer_lock;
int plat_timer_next = 1;

void run(PLAT_TIMER *t, int period_ms, PLAT_TIMER_FN fn, void *user)
{
    auto period = std::chrono::milliseconds(period_ms);
    auto next = std::chrono::steady_clock::now() + period;
    while (!t->stop.load(std::memory_order_relaxed)) {
        std::this_thread::sleep_until(next);
        if (t->stop.load(std::memory_order_relaxed)) break;
        fn(user);
        next += period;
        auto now = std::chrono::steady_clock::now();
        if (now - next > period * 20) next = now + period;
    }
}

} // namespace

int plat_timer_start(int period_ms, PLAT_TIMER_FN fn, void *user)
{
    if (period_ms <= 0 || !fn) return 0;
    std::lock_guard<std::mutex> hold(plat_timer_lock);
    for (PLAT_TIMER &t : plat_timers) {
        if (t.handle) continue;
        t.stop = false;
        t.handle = plat_timer_next++;
        t.thread = std::thread(run, &t, period_ms, fn, user);
        return t.handle;
    }
    return 0;
}

void plat_timer_stop(int handle)
{
    std::lock_guard<std::mutex> hold(plat_timer_lock);
    for (PLAT_TIMER &t : plat_timers) {
        if (t.handle != handle || !handle) continue;
        t.stop = true;
        if (t.thread.joinable()) t.thread.join();
        t.handle = 0;
    }
}
