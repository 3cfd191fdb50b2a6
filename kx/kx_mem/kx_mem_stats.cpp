// kx_mem statistics: written at shut-down into section "System" of the engine's settings file.
#include "kx/kx_mem/kx_mem_local.h"

#include "kx/kx_io/kx_io.h"

#include <cstdio>

void kx_mem_stats_write()
{
    const char *file = kx_mem.settings_file;
    if (!file[0]) return;
    auto clamp = [](long long v) { return static_cast<int>(v > 0x7FFFFFFF ? 0x7FFFFFFF : v); };
    // Physical memory no longer fits a 32-bit integer; the keys keep their full byte counts.
    char bytes[32];
    std::snprintf(bytes, sizeof bytes, "%llu", kx_mem.total_ram);
    kx_io_ini_set_string("System", "TotalRAM", bytes, file);
    std::snprintf(bytes, sizeof bytes, "%llu", kx_mem.free_ram);
    kx_io_ini_set_string("System", "FreeRAM", bytes, file);
    kx_io_ini_set_int("System", "UsedRAM", clamp(kx_mem.tracked_max), file);
    kx_io_ini_set_int("System", "MaxNumberAlloc", clamp(kx_mem.count_max), file);
    kx_io_ini_set_int("System", "NumberAlloc", clamp(kx_mem.count), file);
    kx_io_ini_set_int("System", "TotalSizeHeap", clamp(kx_mem.heap_free), file);
    kx_io_ini_set_int("System", "MaxUsedHeap", clamp(kx_mem.heap_used_max), file);
    kx_io_ini_set_int("System", "UsedHeap", clamp(kx_mem.heap_used - 44L * kx_mem.buffers), file);
}
