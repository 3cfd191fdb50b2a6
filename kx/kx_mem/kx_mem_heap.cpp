// kx_mem heap: buffers from the C runtime, carved into blocks by best-fit search, split on
// allocation and merged with free neighbours on release. No bookkeeping records here.
#include "kx/kx_mem/kx_mem_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"

#include <cstdlib>
#include <cstring>

namespace {

KX_MEM_BLOCK *hdr(KX_MEM_BUFFER *b, uint32_t off)
{
    return reinterpret_cast<KX_MEM_BLOCK *>(b->data + off);
}

void note_used_peak()
{
    if (kx_mem.heap_used > kx_mem.heap_used_max) kx_mem.heap_used_max = kx_mem.heap_used;
}

bool best_fit(uint32_t want, KX_MEM_BUFFER **buffer, uint32_t *block)
{
    KX_MEM_BUFFER *split_buf = nullptr, *whole_buf = nullptr;
    uint32_t split_off = 0, whole_off = 0;
    uint32_t split_d = KX_MEM_NONE, whole_d = KX_MEM_NONE;
    for (KX_MEM_BUFFER *b = kx_mem.heap; b; b = b->next) {
        for (uint32_t off = b->first_free; off != KX_MEM_NONE; off = hdr(b, off)->next_free) {
            uint32_t s = static_cast<uint32_t>(hdr(b, off)->size);
            if (s < want) continue;
            uint32_t d = s - want;
            if (d == 0) {
                *buffer = b;
                *block = off;
                return true;
            }
            if (d > static_cast<uint32_t>(KX_MEM_HEADER_SIZE)) {
                if (d < split_d) split_d = d, split_buf = b, split_off = off;
            } else if (!split_buf && d < whole_d) {
                whole_d = d, whole_buf = b, whole_off = off;
            }
        }
    }
    if (split_buf) {
        *buffer = split_buf;
        *block = split_off;
        return true;
    }
    if (whole_buf) {
        *buffer = whole_buf;
        *block = whole_off;
        return true;
    }
    return false;
}

void free_list_unlink(KX_MEM_BUFFER *b, uint32_t off)
{
    KX_MEM_BLOCK *h = hdr(b, off);
    if (h->prev_free != KX_MEM_NONE) hdr(b, h->prev_free)->next_free = h->next_free;
    else b->first_free = h->next_free;
    if (h->next_free != KX_MEM_NONE) hdr(b, h->next_free)->prev_free = h->prev_free;
    h->next_free = h->prev_free = KX_MEM_NONE;
}

// Absorbs the free block that follows `off` in address order into it.
void merge_next(KX_MEM_BUFFER *b, uint32_t off)
{
    KX_MEM_BLOCK *h = hdr(b, off);
    uint32_t n_off = h->next;
    KX_MEM_BLOCK *n = hdr(b, n_off);
    free_list_unlink(b, n_off);
    h->size += n->size + KX_MEM_HEADER_SIZE;
    h->next = n->next;
    if (n->next != KX_MEM_NONE) hdr(b, n->next)->prev = off;
    n->magic = 0;
    kx_mem.heap_free += KX_MEM_HEADER_SIZE;
    kx_mem.heap_used -= KX_MEM_HEADER_SIZE;
}

// Writes a new header at `off` for a block of `size` bytes following `prev` in address order.
KX_MEM_BLOCK *header_init(KX_MEM_BUFFER *b, uint32_t off, int32_t size, uint32_t magic, uint32_t prev, uint32_t next)
{
    KX_MEM_BLOCK *h = hdr(b, off);
    std::memset(h, 0, sizeof *h);
    h->magic = magic;
    h->size = size;
    h->data = KX_MEM_HEADER_SIZE;
    h->owner = b->index;
    h->prev = prev;
    h->next = next;
    h->next_free = h->prev_free = KX_MEM_NONE;
    h->self = off;
    if (next != KX_MEM_NONE) hdr(b, next)->prev = off;
    return h;
}

uint8_t *data_pointer(KX_MEM_BUFFER *b, uint32_t off, uint32_t mask)
{
    uintptr_t p = reinterpret_cast<uintptr_t>(b->data + off + KX_MEM_HEADER_SIZE);
    p = (p + mask) & ~static_cast<uintptr_t>(mask);
    uint8_t *data = reinterpret_cast<uint8_t *>(p);
    KX_MEM_BLOCK *h = hdr(b, off);
    h->data = static_cast<uint32_t>(data - reinterpret_cast<uint8_t *>(h));
    std::memcpy(data - 4, &off, 4);
    return data;
}

// Cuts the used block at `off` down to `keep` bytes; the tail becomes a block of its own that
// is released at once, so it rejoins the free list.
void cut_tail(KX_MEM_BUFFER *b, uint32_t off, uint32_t keep)
{
    KX_MEM_BLOCK *h = hdr(b, off);
    uint32_t t_off = off + KX_MEM_HEADER_SIZE + keep;
    int32_t t_size = h->size - static_cast<int32_t>(keep) - KX_MEM_HEADER_SIZE;
    header_init(b, t_off, t_size, KX_MEM_USED_MAGIC, off, h->next);
    h->next = t_off;
    h->size = static_cast<int32_t>(keep);
    kx_mem_block_free(b->data + t_off + KX_MEM_HEADER_SIZE);
}

} // namespace

bool kx_mem_heap_add(uint32_t size)
{
    uint64_t n = (static_cast<uint64_t>(size) + 7) & ~uint64_t{7};
    if (n < 2 * KX_MEM_HEADER_SIZE || n > 0x7FFFFFF0u) return false;
    void *raw = std::malloc(sizeof(KX_MEM_BUFFER) + 4 + n);
    if (!raw) return false;
    KX_MEM_BUFFER *b = static_cast<KX_MEM_BUFFER *>(raw);
    std::memset(b, 0, sizeof *b);
    b->magic = KX_MEM_BUFFER_MAGIC;
    b->data = static_cast<uint8_t *>(raw) + sizeof(KX_MEM_BUFFER) + 4;
    b->in_use = 1;
    b->size = static_cast<uint32_t>(n);
    b->first_free = 0;
    b->first_block = 0;
    b->index = kx_mem.heap_last ? kx_mem.heap_last->index + 1 : 0;
    b->prev = kx_mem.heap_last;
    if (kx_mem.heap_last) kx_mem.heap_last->next = b;
    else kx_mem.heap = b;
    kx_mem.heap_last = b;
    header_init(b, 0, static_cast<int32_t>(n) - KX_MEM_HEADER_SIZE, KX_MEM_FREE_MAGIC, KX_MEM_NONE, KX_MEM_NONE);
    kx_mem.heap_free += static_cast<long>(n) - KX_MEM_HEADER_SIZE;
    kx_mem.heap_used += KX_MEM_HEADER_SIZE;
    note_used_peak();
    kx_mem.buffers++;
    kx_mem.find = best_fit;
    return true;
}

void kx_mem_heap_release_all()
{
    KX_MEM_BUFFER *b = kx_mem.heap;
    while (b) {
        KX_MEM_BUFFER *next = b->next;
        std::memset(b, 0, sizeof *b);
        std::free(b);
        b = next;
    }
    kx_mem.heap = kx_mem.heap_last = nullptr;
    kx_mem.buffers = 0;
}

void *kx_mem_block_alloc(uint64_t size, uint32_t mask)
{
    if (!kx_mem.find || size > 0x7FFF0000u) return nullptr;
    uint32_t w = kx_mem_round(size + mask);
    KX_MEM_BUFFER *b;
    uint32_t off;
    if (!kx_mem.find(w, &b, &off)) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_NEW_BUFFER);
        uint64_t grow = w >= KX_MEM_GROW_MIN ? uint64_t{w} + KX_MEM_HEADER_SIZE : KX_MEM_GROW_SIZE;
        if (grow > 0x7FFFFFF0u || !kx_mem_heap_add(static_cast<uint32_t>(grow))) return nullptr;
        if (!kx_mem.find(w, &b, &off)) return nullptr;
    }
    KX_MEM_BLOCK *h = hdr(b, off);
    uint32_t s = static_cast<uint32_t>(h->size);
    if (s > w + KX_MEM_HEADER_SIZE) {
        uint32_t n_off = off + KX_MEM_HEADER_SIZE + w;
        KX_MEM_BLOCK *n = header_init(b, n_off, static_cast<int32_t>(s - w) - KX_MEM_HEADER_SIZE, KX_MEM_FREE_MAGIC, off, h->next);
        n->prev_free = h->prev_free;
        n->next_free = h->next_free;
        if (h->prev_free != KX_MEM_NONE) hdr(b, h->prev_free)->next_free = n_off;
        else b->first_free = n_off;
        if (h->next_free != KX_MEM_NONE) hdr(b, h->next_free)->prev_free = n_off;
        h->next = n_off;
        h->size = static_cast<int32_t>(w);
        kx_mem.heap_free -= w + KX_MEM_HEADER_SIZE;
        kx_mem.heap_used += w + KX_MEM_HEADER_SIZE;
    } else {
        free_list_unlink(b, off);
        kx_mem.heap_free -= s;
        kx_mem.heap_used += s;
    }
    h->next_free = h->prev_free = KX_MEM_NONE;
    h->magic = KX_MEM_USED_MAGIC;
    note_used_peak();
    return data_pointer(b, off, mask);
}

KX_MEM_BLOCK *kx_mem_block_of(const void *ptr, KX_MEM_BUFFER **buffer)
{
    const uint8_t *p = static_cast<const uint8_t *>(ptr);
    for (KX_MEM_BUFFER *b = kx_mem.heap; b; b = b->next) {
        if (p < b->data + KX_MEM_HEADER_SIZE || p > b->data + b->size) continue;
        uint32_t off;
        std::memcpy(&off, p - 4, 4);
        if (off % 4 != 0 || off > b->size - KX_MEM_HEADER_SIZE) return nullptr;
        KX_MEM_BLOCK *h = hdr(b, off);
        if (h->magic != KX_MEM_USED_MAGIC || b->data + off + h->data != p) return nullptr;
        if (buffer) *buffer = b;
        return h;
    }
    return nullptr;
}

bool kx_mem_block_free(void *ptr)
{
    KX_MEM_BUFFER *b;
    KX_MEM_BLOCK *h = kx_mem_block_of(ptr, &b);
    if (!h) return false;
    uint32_t off = h->self;
    h->data = KX_MEM_HEADER_SIZE;
    kx_mem.heap_free += h->size;
    kx_mem.heap_used -= h->size;

    uint32_t f = h->prev;
    while (f != KX_MEM_NONE && hdr(b, f)->magic != KX_MEM_FREE_MAGIC) f = hdr(b, f)->prev;
    uint32_t cur = off;
    if (f != KX_MEM_NONE) {
        KX_MEM_BLOCK *fh = hdr(b, f);
        h->prev_free = f;
        h->next_free = fh->next_free;
        if (fh->next_free != KX_MEM_NONE) hdr(b, fh->next_free)->prev_free = off;
        fh->next_free = off;
        h->magic = KX_MEM_FREE_MAGIC;
        if (h->prev == f) {
            merge_next(b, f);
            cur = f;
        }
    } else {
        h->prev_free = KX_MEM_NONE;
        h->next_free = b->first_free;
        if (b->first_free != KX_MEM_NONE) hdr(b, b->first_free)->prev_free = off;
        b->first_free = off;
        h->magic = KX_MEM_FREE_MAGIC;
    }
    KX_MEM_BLOCK *c = hdr(b, cur);
    if (c->next != KX_MEM_NONE && hdr(b, c->next)->magic == KX_MEM_FREE_MAGIC) merge_next(b, cur);
    c->magic = KX_MEM_FREE_MAGIC;
    return true;
}

// Resizes in place where the block or its free neighbour allows, else moves the data. A block
// that stays in place keeps its data pointer (moving it would move the caller's bytes); a block
// that moves takes the current alignment.
void *kx_mem_block_realloc(void *ptr, uint64_t size, uint32_t mask, bool *bad)
{
    *bad = false;
    KX_MEM_BUFFER *b;
    KX_MEM_BLOCK *h = kx_mem_block_of(ptr, &b);
    if (!h) {
        *bad = true;
        return nullptr;
    }
    if (size > 0x7FFF0000u) return nullptr;
    uint32_t off = h->self;
    uint32_t shift = h->data - KX_MEM_HEADER_SIZE;
    uint32_t w = kx_mem_round(size + shift);
    uint32_t s = static_cast<uint32_t>(h->size);
    if (w == s) return ptr;
    if (w > s) {
        uint32_t n_off = h->next;
        if (n_off != KX_MEM_NONE && hdr(b, n_off)->magic == KX_MEM_FREE_MAGIC &&
            w <= s + static_cast<uint32_t>(hdr(b, n_off)->size) + KX_MEM_HEADER_SIZE) {
            KX_MEM_BLOCK *n = hdr(b, n_off);
            free_list_unlink(b, n_off);
            kx_mem.heap_free -= n->size;
            kx_mem.heap_used += n->size;
            note_used_peak();
            h->size += n->size + KX_MEM_HEADER_SIZE;
            h->next = n->next;
            if (n->next != KX_MEM_NONE) hdr(b, n->next)->prev = off;
            n->magic = 0;
            if (static_cast<uint32_t>(h->size) > w + KX_MEM_HEADER_SIZE) cut_tail(b, off, w);
            return ptr;
        }
        uint8_t *moved = static_cast<uint8_t *>(kx_mem_block_alloc(size, mask));
        if (!moved) return nullptr;
        uint64_t old_bytes = s - shift;
        std::memcpy(moved, ptr, size < old_bytes ? size : old_bytes);
        kx_mem_block_free(ptr);
        return moved;
    }
    if (s > w + KX_MEM_HEADER_SIZE) cut_tail(b, off, w);
    return ptr;
}

int kx_mem_heap_check()
{
    if (!kx_mem.heap) return 1;
    for (KX_MEM_BUFFER *b = kx_mem.heap; b; b = b->next) {
        if (b->magic != KX_MEM_BUFFER_MAGIC) return 0;
        for (uint32_t off = b->first_block; off != KX_MEM_NONE; off = hdr(b, off)->next) {
            if (off > b->size - KX_MEM_HEADER_SIZE ||
                (hdr(b, off)->magic != KX_MEM_USED_MAGIC && hdr(b, off)->magic != KX_MEM_FREE_MAGIC)) {
                kx_dsp_alert("", "kx_mem_heap_check error", 0);
                return 0;
            }
        }
        for (uint32_t off = b->first_free; off != KX_MEM_NONE; off = hdr(b, off)->next_free) {
            if (off > b->size - KX_MEM_HEADER_SIZE ||
                (hdr(b, off)->magic != KX_MEM_USED_MAGIC && hdr(b, off)->magic != KX_MEM_FREE_MAGIC)) {
                kx_dsp_alert("", "kx_mem_heap_check free error", 0);
                return 0;
            }
        }
    }
    return 2;
}

int kx_mem_block_size(const void *ptr)
{
    KX_MEM_BLOCK *h = kx_mem_block_of(ptr, nullptr);
    return h ? h->size : -1;
}

void kx_mem_free_block_sizes(int *sizes, int max, int *count)
{
    int n = 0;
    for (KX_MEM_BUFFER *b = kx_mem.heap; b; b = b->next)
        for (uint32_t off = b->first_free; off != KX_MEM_NONE; off = hdr(b, off)->next_free) {
            if (n < max) sizes[n] = hdr(b, off)->size;
            n++;
        }
    *count = n;
}
