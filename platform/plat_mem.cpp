// plat_mem: bulk buffers on huge pages where Linux has them (see plat_mem.h).
#include "platform/plat_mem.h"

#include <cstdint>

#include <sys/mman.h>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr size_t PLAT_MEM_HUGE = size_t(2) << 20;   // the size and alignment of a huge page

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static size_t plat_mem_bulk_length(size_t size) { return ((size ? size : 1) + PLAT_MEM_HUGE - 1) & ~(PLAT_MEM_HUGE - 1); }

void *plat_mem_bulk_alloc(size_t size)
{
    size_t length = plat_mem_bulk_length(size);
    if (length < size) return nullptr;
    // Map one huge page more than needed, keep the aligned part and give the rest back.
    void *raw = mmap(nullptr, length + PLAT_MEM_HUGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    uintptr_t at = reinterpret_cast<uintptr_t>(raw), start = (at + PLAT_MEM_HUGE - 1) & ~(PLAT_MEM_HUGE - 1);
    const size_t head = start - at, tail = PLAT_MEM_HUGE - head;
    // Where a part of a mapping cannot be given back (WebAssembly's mmap refuses it), what is left
    // is unmapped whole and the buffer mapped on its own, unaligned: plat_mem_bulk_free must
    // unmap exactly one whole mapping.
    void *left = nullptr;
    size_t left_length = 0;
    if (head && munmap(raw, head) != 0) left = raw, left_length = length + PLAT_MEM_HUGE;
    else if (tail && munmap(reinterpret_cast<void *>(start + length), tail) != 0)
        left = reinterpret_cast<void *>(start), left_length = length + tail;
    if (left) {
        munmap(left, left_length);
        raw = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return raw == MAP_FAILED ? nullptr : raw;
    }
    void *buffer = reinterpret_cast<void *>(start);
#ifdef MADV_HUGEPAGE
    madvise(buffer, length, MADV_HUGEPAGE);
#endif
    return buffer;
}

void plat_mem_bulk_free(void *ptr, size_t size)
{
    if (ptr) munmap(ptr, plat_mem_bulk_length(size));
}
