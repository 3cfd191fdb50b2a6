// plat_core in the browser (and under node): nothing may block the page's only thread, so a
// wait for messages runs the due timer callbacks and returns; the browser's next animation frame
// (or the next pass under node) looks again. No process priority; memory is the wasm heap.
#include "platform/plat_core.h"
#include "platform/web/plat_web.h"

#include <emscripten/heap.h>

void plat_message_wait(int)
{
    plat_timer_poll();
}

void plat_sleep_ms(int)
{
}

int plat_priority_set(int)
{
    return 0;
}

void plat_memory_status(unsigned long long *total, unsigned long long *available)
{
    const size_t heap = emscripten_get_heap_size(), most = emscripten_get_heap_max();
    *total = most;
    *available = most > heap ? most - heap : 0;
}
