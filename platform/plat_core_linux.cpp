// plat_core on the Linux desktop: blocking waits for messages, sleeps, process priority and
// memory status.
#include "platform/plat_core.h"
#include "platform/plat_core_local.h"

#include <SDL.h>

#include <sys/resource.h>
#include <sys/sysinfo.h>

void plat_message_wait(int timeout_ms)
{
    if (!plat_core_queue_empty()) return;
    if (!plat_core_initialised()) {
        SDL_Delay(static_cast<Uint32>(timeout_ms));
        return;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, timeout_ms)) plat_core_translate(&e);
}

void plat_sleep_ms(int ms)
{
    SDL_Delay(static_cast<Uint32>(ms));
}

// Linux lets an unprivileged process lower its priority but not raise it again, so "high" only
// returns to the normal level; the game runs fine without the boost.
int plat_priority_set(int level)
{
    int nice_value = level < 0 ? 10 : 0;
    return setpriority(PRIO_PROCESS, 0, nice_value) == 0;
}

void plat_memory_status(unsigned long long *total, unsigned long long *available)
{
    struct sysinfo info;
    if (sysinfo(&info) != 0) {
        *total = *available = 0;
        return;
    }
    *total = static_cast<unsigned long long>(info.totalram) * info.mem_unit;
    *available = static_cast<unsigned long long>(info.freeram) * info.mem_unit;
}
