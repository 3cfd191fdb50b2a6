// kx_mem: the engine's allocator. One large heap carved into named, tracked blocks, with a
// leak report and statistics at exit. Also home of the linked-list and string modules.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// Settings handed to kx_mem_init; kept by pointer for the module's lifetime.
struct KX_MEM_SETTINGS {
    int32_t report;        // nonzero: errors are reported through kx_error
    uint32_t first_heap;   // bytes of the first heap buffer; 0 means 5,242,880
};

// One tracked allocation.
struct KX_MEM_ELE {
    void *ptr;
    int32_t size;
    char *name;
};

// Sizes that the statistics count, whatever the machine's pointer size.
constexpr int32_t KX_MEM_HEADER_SIZE = 44;     // one block header
constexpr int32_t KX_MEM_ELE_SIZE = 12;        // one tracked record
constexpr int32_t KX_MEM_DEFAULT_HEAP = 0x500000;
constexpr int32_t KX_MEM_GAME_HEAP = 0x2300000;

// Error codes of the "Memory" module.
enum {
    KX_MEM_ERR_FREE_NULL = 0,
    KX_MEM_ERR_MALLOC = 1,
    KX_MEM_ERR_ELE = 2,
    KX_MEM_ERR_CALLOC = 3,
    KX_MEM_ERR_REALLOC_UNKNOWN = 4,
    KX_MEM_ERR_ZERO = 5,
    KX_MEM_ERR_NAME_NULL = 6,
    KX_MEM_ERR_NAME_UNKNOWN = 7,
    KX_MEM_ERR_NEW_BUFFER = 8,
    KX_MEM_ERR_BAD_BLOCK = 9,
    KX_MEM_ERR_REALLOC = 10,
    KX_MEM_ERR_ALIGN_POP = 11,
};

// ---------------------------------------------------------------------------------------------
// Memory manager
// ---------------------------------------------------------------------------------------------

int kx_mem_init(KX_MEM_SETTINGS *settings);
int kx_mem_deinit();

void *kx_mem_malloc(size_t size);
void *kx_mem_calloc(size_t count, size_t size);
void *kx_mem_realloc(void *ptr, size_t size);
int kx_mem_free(void *ptr);
int kx_mem_name(void *ptr, const char *name);
const char *kx_mem_name_get(void *ptr);

void *kx_mem_malloc_at(const char *file, int line, size_t size);
void *kx_mem_calloc_at(const char *file, int line, size_t count, size_t size);
void *kx_mem_realloc_at(const char *file, int line, void *ptr, size_t size);
int kx_mem_free_at(const char *file, int line, void *ptr);
int kx_mem_name_at(void *ptr, const char *name, const char *file, int line);

int kx_mem_name_dump(const char *file_name);
int kx_mem_heap_check();
void kx_mem_align_push(int alignment);
void kx_mem_align_pop();
long kx_mem_used_get();
long kx_mem_used_max_get();

// Untracked allocations for the module's own bookkeeping (names, list headers and nodes): no
// KX_MEM_ELE, and the tracked total moves by `accounted` bytes, which is what the block stands
// for in the statistics whatever sizeof says on this machine.
void *kx_mem_malloc_untracked(size_t size, int32_t accounted);
void kx_mem_free_untracked(void *ptr, int32_t accounted);

// Statistics and state, for tests and tools.
struct KX_MEM_STATS {
    long tracked, tracked_max;        // tracked bytes and their peak
    unsigned count, count_max;        // allocation records and their peak
    long heap_used, heap_used_max;    // 44 per header plus used block sizes
    long heap_free;                   // sizes of all free blocks
    int buffers;                      // heap buffers in the chain
    int module;                       // number given by kx_error_register
};
void kx_mem_stats_get(KX_MEM_STATS *stats);
int kx_mem_block_size(const void *ptr);       // size field of a used block, -1 if not one
void kx_mem_free_block_sizes(int *sizes, int max, int *count);   // free list, chain order

// Where kx_mem_deinit writes its "System" statistics (the engine's settings file); set by the
// configuration start-up. Null: the statistics are not written.
void kx_mem_settings_file_set(const char *file_name);

// ---------------------------------------------------------------------------------------------
// Linked lists ("Linked List")
// ---------------------------------------------------------------------------------------------

struct KX_LIST_NODE {
    int32_t owns_data;
    void *data;
    KX_LIST_NODE *next;
};

struct KX_LIST {
    KX_LIST_NODE *first;
    KX_LIST_NODE *last;    // kept in the header's spare word, so appending needs no walk
    int32_t count;
    int32_t spare;
    KX_LIST_NODE *cursor;
};

constexpr int32_t KX_LIST_HEADER_SIZE = 20;
constexpr int32_t KX_LIST_NODE_SIZE = 12;

int kx_list_init(int32_t *settings);
int kx_list_deinit();
KX_LIST *kx_list_create();
int kx_list_append(KX_LIST *list, void *data);
int kx_list_remove(KX_LIST *list, void *data);
int kx_list_clear(KX_LIST *list);
int kx_list_destroy(KX_LIST *list);
void kx_list_rewind(KX_LIST *list);
int kx_list_has_next(KX_LIST *list);
void *kx_list_next(KX_LIST *list);
int kx_list_count(KX_LIST *list);

// ---------------------------------------------------------------------------------------------
// Heap strings ("String")
// ---------------------------------------------------------------------------------------------

int kx_str_init(int32_t *settings);
int kx_str_deinit();
char *kx_str_create(const char *text, int length);
int kx_str_destroy(char *str);
char *kx_str_copy(char *dest, const char *text);
int kx_str_compare(const char *a, const char *b);
int kx_str_length(const char *str);
char *kx_str_trim(char *str);

// ---------------------------------------------------------------------------------------------
// Convenience: tracked allocation that records the call site.
// ---------------------------------------------------------------------------------------------

#define KX_MALLOC(size) kx_mem_malloc_at(__FILE__, __LINE__, (size))
#define KX_CALLOC(count, size) kx_mem_calloc_at(__FILE__, __LINE__, (count), (size))
#define KX_FREE(ptr) kx_mem_free_at(__FILE__, __LINE__, (ptr))
