// kx_mem internals shared by the heap, the tracked layer and the list and string modules.
#pragma once

#include "kx/kx_mem/kx_mem.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Heap layout
//
// A heap buffer is one C-runtime block: a KX_MEM_BUFFER record, then the data area. Blocks in
// the data area open with a 44-byte header of eleven 32-bit words. Links are 32-bit offsets
// from the data area's base, so the header is 44 bytes on every machine and the statistics
// count what the memory really holds. The base sits 4 bytes past an 8-byte boundary and every
// block size is 4 more than a multiple of 8, so headers start at base + 8k and every data
// pointer (header + 44) is 8-byte aligned.
// ---------------------------------------------------------------------------------------------

constexpr uint32_t KX_MEM_BUFFER_MAGIC = 0x27EFCDAB;
constexpr uint32_t KX_MEM_USED_MAGIC = 0x12EFCDAB;
constexpr uint32_t KX_MEM_FREE_MAGIC = 0xFFEFCDAB;
constexpr uint32_t KX_MEM_NONE = 0xFFFFFFFFu;
constexpr uint32_t KX_MEM_GROW_MIN = 0x100000;          // requests from here get a buffer of their own size
constexpr uint32_t KX_MEM_GROW_SIZE = 0x10002C;         // otherwise buffers grow by this much

struct KX_MEM_BLOCK {
    uint32_t magic;
    int32_t size;          // data area, header excluded
    uint32_t data;         // data pointer as an offset from the header (44 unless aligned)
    uint32_t reserved[2];
    uint32_t owner;        // index of the heap buffer
    uint32_t next, prev;   // address order
    uint32_t next_free, prev_free;
    uint32_t self;         // the header's own offset; also the word before an unaligned data pointer
};
static_assert(sizeof(KX_MEM_BLOCK) == KX_MEM_HEADER_SIZE, "block headers are eleven 32-bit words");

struct KX_MEM_BUFFER {
    uint32_t magic;
    uint8_t *data;
    uint32_t in_use;
    uint32_t size;
    uint32_t first_free;
    uint32_t first_block;
    KX_MEM_BUFFER *next, *prev;
    uint32_t index;
};

// Rounds a request to a block size: the next value that is 4 more than a multiple of 8.
constexpr uint32_t kx_mem_round(uint64_t n)
{
    return static_cast<uint32_t>(((n + 3) & ~uint64_t{7}) + 4);
}

struct KX_MEM_STATE {
    KX_MEM_SETTINGS *settings;
    int module;
    KX_LIST *elements;
    KX_MEM_BUFFER *heap;
    KX_MEM_BUFFER *heap_last;
    int buffers;
    bool (*find)(uint32_t want, KX_MEM_BUFFER **buffer, uint32_t *block);
    long tracked, tracked_max;
    unsigned count, count_max;
    long heap_used, heap_used_max, heap_free;
    unsigned long long total_ram, free_ram;
    uint32_t *align;
    int align_capacity, align_depth;
    char *name_buffer;
    int name_buffer_size;
    int32_t untracked;
    int kept_name;
    char settings_file[260];
};
extern KX_MEM_STATE kx_mem;

int kx_mem_report();

// Heap level: blocks without records.
bool kx_mem_heap_add(uint32_t size);
void kx_mem_heap_release_all();
void *kx_mem_block_alloc(uint64_t size, uint32_t mask);
void *kx_mem_block_realloc(void *ptr, uint64_t size, uint32_t mask, bool *bad);
bool kx_mem_block_free(void *ptr);
KX_MEM_BLOCK *kx_mem_block_of(const void *ptr, KX_MEM_BUFFER **buffer);

// Writes the "System" statistics into the engine's settings file, when one was set.
void kx_mem_stats_write();
