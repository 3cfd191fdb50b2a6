// plat_mem: large buffers that hold a whole file for a short while (what a tool decodes). Where
// the kernel offers transparent huge pages the buffer is backed by them, so that filling it costs
// one page fault per 2 MB instead of one per 4 KB: on a virtual machine a fault can cost tens of
// microseconds, which for a file of a few megabytes adds up to as much as decoding it.
#pragma once

#include <cstddef>

// A zero-filled buffer of `size` bytes (at least one), or null when there is no memory for it.
void *plat_mem_bulk_alloc(size_t size);
// Frees a buffer of plat_mem_bulk_alloc; `size` is the size it was asked with. Null is ignored.
void plat_mem_bulk_free(void *ptr, size_t size);
