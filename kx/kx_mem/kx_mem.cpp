// kx_mem tracked layer: every allocation gets a KX_MEM_ELE record with its size and name, so
// the module can report leaks by name and keep statistics.
#include "kx/kx_mem/kx_mem_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_MEM_STATE kx_mem;

namespace {

const char *const kx_mem_texts[] = {
    "Tried to free a NULL pointer!",
    "malloc() failed!",
    "KX INTERNAL ERROR:  couldn't malloc KX_MEM_ELE",
    "calloc failed!",
    "passed a non NULL pointer to realloc which wasn't allocated by the kx_mem module!",
    "Tried to malloc a zero length buffer",
    "Tried to name a NULL Pointer",
    "Tried to name a pointer that wasn't allocated with kx_mem_malloc",
    "Not enough heap. Allocating another buffer",
    "HEAP Error: Not a valid memory block",
    "realloc failed!",
    "Too many kx_mem_align_pop!",
};

uint32_t top_mask()
{
    return kx_mem.align_depth > 0 ? kx_mem.align[kx_mem.align_depth - 1] : 0;
}

void note_tracked_peak()
{
    if (kx_mem.tracked > kx_mem.tracked_max) kx_mem.tracked_max = kx_mem.tracked;
}

void note_count_peak()
{
    if (kx_mem.count > kx_mem.count_max) kx_mem.count_max = kx_mem.count;
}

KX_MEM_ELE *find_record(const void *ptr)
{
    for (KX_LIST_NODE *n = kx_mem.elements->first; n; n = n->next) {
        KX_MEM_ELE *e = static_cast<KX_MEM_ELE *>(n->data);
        if (e->ptr == ptr) return e;
    }
    return nullptr;
}

// Heap strings for names are untracked blocks of length + 1 bytes.
char *name_copy(const char *text)
{
    size_t len = std::strlen(text) + 1;
    char *s = static_cast<char *>(kx_mem_malloc_untracked(len, static_cast<int32_t>(len)));
    if (s) std::memcpy(s, text, len);
    return s;
}

void name_free(char *name)
{
    if (name) kx_mem_free_untracked(name, static_cast<int32_t>(std::strlen(name) + 1));
}

void release_record(KX_MEM_ELE *rec)
{
    name_free(rec->name);
    kx_list_remove(kx_mem.elements, rec);
    kx_mem_block_free(rec);
}

// Allocates a record with no alignment, as the alignment stack applies to the caller's block only.
KX_MEM_ELE *new_record()
{
    return static_cast<KX_MEM_ELE *>(kx_mem_block_alloc(sizeof(KX_MEM_ELE), 0));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int kx_mem_report()
{
    return kx_mem.settings && kx_mem.settings->report;
}

int kx_mem_init(KX_MEM_SETTINGS *settings)
{
    std::memset(&kx_mem, 0, sizeof kx_mem);
    plat_memory_status(&kx_mem.total_ram, &kx_mem.free_ram);
    kx_mem.settings = settings;
    kx_mem.module = kx_error_register("Memory", kx_mem_texts);
    uint32_t first = settings && settings->first_heap ? settings->first_heap : KX_MEM_DEFAULT_HEAP;
    if (!kx_mem_heap_add(first)) {
        kx_dsp_alert("HEAP INIT FAILED", nullptr, 0);
        return 0;
    }
    kx_mem.elements = kx_list_create();
    kx_mem.name_buffer = static_cast<char *>(kx_mem_malloc(256));
    if (kx_mem.name_buffer) {
        kx_mem.name_buffer_size = 256;
        if (kx_mem_report()) kx_mem_name(kx_mem.name_buffer, "kx_mem_name_buffer");
    }
    return 1;
}

void *kx_mem_malloc_untracked(size_t size, int32_t accounted)
{
    if (!kx_mem.elements) return std::malloc(size);
    void *p = kx_mem_block_alloc(size, 0);
    if (!p) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_MALLOC, "Heap Size = %ld, Buffer Size = %zu", kx_mem.tracked, size);
        return nullptr;
    }
    kx_mem.tracked += accounted;
    note_tracked_peak();
    return p;
}

void kx_mem_free_untracked(void *ptr, int32_t accounted)
{
    if (!ptr) return;
    if (!kx_mem.elements) {
        std::free(ptr);
        return;
    }
    if (!kx_mem_block_free(ptr)) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_BAD_BLOCK);
        return;
    }
    kx_mem.tracked -= accounted;
}

void *kx_mem_malloc(size_t size)
{
    if (!kx_mem.elements) return std::malloc(size);
    if (kx_mem.untracked) return kx_mem_malloc_untracked(size, kx_mem.untracked);
    KX_MEM_ELE *rec = new_record();
    if (!rec) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_ELE);
        return nullptr;
    }
    void *p = kx_mem_block_alloc(size, top_mask());
    if (!p) {
        kx_mem_block_free(rec);
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_MALLOC, "Heap Size = %ld, Buffer Size = %zu", kx_mem.tracked, size);
        return nullptr;
    }
    rec->ptr = p;
    rec->size = static_cast<int32_t>(size);
    rec->name = nullptr;
    kx_mem.tracked += static_cast<long>(size) + KX_MEM_ELE_SIZE;
    kx_list_append(kx_mem.elements, rec);
    kx_mem.count++;
    note_tracked_peak();
    note_count_peak();
    return p;
}

void *kx_mem_calloc(size_t count, size_t size)
{
    if (!kx_mem.elements) return std::calloc(count, size);
    KX_MEM_ELE *rec = new_record();
    if (!rec) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_ELE);
        return nullptr;
    }
    void *p = nullptr;
    if (size == 0 || count <= 0x7FFF0000u / size) p = kx_mem_block_alloc(count * size, top_mask());
    if (!p) {
        kx_mem_block_free(rec);
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_CALLOC);
        return nullptr;
    }
    std::memset(p, 0, count * size);
    rec->ptr = p;
    rec->size = static_cast<int32_t>(count * size);
    rec->name = nullptr;
    kx_mem.tracked += static_cast<long>(count * size) + KX_MEM_ELE_SIZE;
    kx_list_append(kx_mem.elements, rec);
    kx_mem.count++;
    note_tracked_peak();
    note_count_peak();
    return p;
}

// On failure the old block and its record stay exactly as they were, so the caller's pointer
// remains valid and accounted for.
void *kx_mem_realloc(void *ptr, size_t size)
{
    if (!kx_mem.elements) return std::realloc(ptr, size);
    if (!ptr) return kx_mem_malloc(size);
    KX_MEM_ELE *rec = find_record(ptr);
    if (!rec) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_REALLOC_UNKNOWN);
        return kx_mem_malloc(size);
    }
    bool bad;
    void *p = kx_mem_block_realloc(ptr, size, top_mask(), &bad);
    if (bad) kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_BAD_BLOCK);
    if (!p) {
        if (size != 0) kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_REALLOC);
        return nullptr;
    }
    kx_mem.tracked += static_cast<long>(size) - rec->size;
    rec->ptr = p;
    rec->size = static_cast<int32_t>(size);
    kx_mem.kept_name = rec->name != nullptr;
    note_tracked_peak();
    return p;
}

// Returns 0 when freed, 1 for a null pointer, -1 when the pointer is not a block of this heap
// (it is then left alone).
int kx_mem_free(void *ptr)
{
    if (!kx_mem.elements || ptr == kx_mem.elements) {
        std::free(ptr);
        return ptr ? 0 : 1;
    }
    if (!ptr) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_FREE_NULL);
        return 1;
    }
    if (kx_mem.untracked) {
        kx_mem_free_untracked(ptr, kx_mem.untracked);
        return 0;
    }
    if (!kx_mem_block_of(ptr, nullptr)) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_BAD_BLOCK);
        return -1;
    }
    KX_MEM_ELE *rec = find_record(ptr);
    if (rec) {
        kx_mem.tracked -= rec->size + KX_MEM_ELE_SIZE;
        release_record(rec);
        kx_mem.count--;
    }
    kx_mem_block_free(ptr);
    if (!rec) kx_error_warning("Warning, did not add with kx_malloc()");
    return 0;
}

int kx_mem_name(void *ptr, const char *name)
{
    if (!name || !kx_mem.elements) return 0;
    if (!ptr) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_NAME_NULL);
        return 0;
    }
    KX_MEM_ELE *rec = find_record(ptr);
    if (!rec) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_NAME_UNKNOWN, "Name: %s", name);
        return 0;
    }
    if (!rec->name) {
        rec->name = name_copy(name);
        return 1;
    }
    size_t len = std::strlen(name) + std::strlen(rec->name) + sizeof " (Previously known as )";
    char *joined = static_cast<char *>(kx_mem_malloc_untracked(len, static_cast<int32_t>(len)));
    if (!joined) return 0;
    std::snprintf(joined, len, "%s (Previously known as %s)", name, rec->name);
    name_free(rec->name);
    rec->name = joined;
    return 1;
}

const char *kx_mem_name_get(void *ptr)
{
    if (!ptr || !kx_mem.elements) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_NAME_NULL);
        return nullptr;
    }
    KX_MEM_ELE *rec = find_record(ptr);
    return rec ? rec->name : nullptr;
}

int kx_mem_name_at(void *ptr, const char *name, const char *file, int line)
{
    kx_error_set_location(file, line);
    if (!name || !kx_mem.elements) return 0;
    if (!file) file = "";
    int needed = static_cast<int>(std::strlen(name) + std::strlen(file)) + 58;
    if (kx_mem.name_buffer_size < needed) {
        char *grown = static_cast<char *>(kx_mem_realloc(kx_mem.name_buffer, static_cast<size_t>(needed)));
        if (!grown) return 0;
        kx_mem.name_buffer = grown;
        kx_mem.name_buffer_size = needed;
        if (kx_mem_report() && !kx_mem.kept_name) kx_mem_name(grown, "kx_mem_name_buffer");
    }
    std::snprintf(kx_mem.name_buffer, static_cast<size_t>(kx_mem.name_buffer_size), "%s (Allocated or Named in file: %s, on line: %d)", name, file, line);
    return kx_mem_name(ptr, kx_mem.name_buffer);
}

void *kx_mem_malloc_at(const char *file, int line, size_t size)
{
    kx_error_set_location(file, line);
    void *p = kx_mem_malloc(size);
    if (p) kx_mem_name_at(p, "", file, line);
    return p;
}

void *kx_mem_calloc_at(const char *file, int line, size_t count, size_t size)
{
    kx_error_set_location(file, line);
    void *p = kx_mem_calloc(count, size);
    if (p) kx_mem_name_at(p, "", file, line);
    return p;
}

void *kx_mem_realloc_at(const char *file, int line, void *ptr, size_t size)
{
    kx_error_set_location(file, line);
    void *p = kx_mem_realloc(ptr, size);
    if (p && !kx_mem_name_get(p)) kx_mem_name_at(p, "", file, line);
    return p;
}

int kx_mem_free_at(const char *file, int line, void *ptr)
{
    kx_error_set_location(file, line);
    return kx_mem_free(ptr);
}

void kx_mem_align_push(int alignment)
{
    if (!kx_mem.elements) return;
    if (alignment < 1 || (alignment & (alignment - 1))) alignment = 1;
    if (kx_mem.align_depth == kx_mem.align_capacity) {
        int depth = kx_mem.align_depth;
        kx_mem.align_depth = 0;
        uint32_t *grown = static_cast<uint32_t *>(kx_mem_realloc(kx_mem.align, sizeof(uint32_t) * static_cast<size_t>(depth + 10)));
        kx_mem.align_depth = depth;
        if (!grown) return;
        std::memset(grown + depth, 0, sizeof(uint32_t) * 10);
        kx_mem.align = grown;
        kx_mem.align_capacity = depth + 10;
    }
    kx_mem.align[kx_mem.align_depth++] = static_cast<uint32_t>(alignment - 1);
}

void kx_mem_align_pop()
{
    if (kx_mem.align_depth == 0) {
        kx_error_raise(kx_mem_report(), kx_mem.module, KX_MEM_ERR_ALIGN_POP);
        return;
    }
    kx_mem.align_depth--;
}

long kx_mem_used_get()
{
    return kx_mem.tracked;
}

long kx_mem_used_max_get()
{
    return kx_mem.tracked_max;
}

void kx_mem_stats_get(KX_MEM_STATS *stats)
{
    stats->tracked = kx_mem.tracked;
    stats->tracked_max = kx_mem.tracked_max;
    stats->count = kx_mem.count;
    stats->count_max = kx_mem.count_max;
    stats->heap_used = kx_mem.heap_used;
    stats->heap_used_max = kx_mem.heap_used_max;
    stats->heap_free = kx_mem.heap_free;
    stats->buffers = kx_mem.buffers;
    stats->module = kx_mem.module;
}

int kx_mem_name_dump(const char *file_name)
{
    KX_IO *f = kx_mem.elements && file_name ? kx_io_fopen(file_name, "w") : nullptr;
    if (!f) {
        char text[400];
        std::snprintf(text, sizeof text, "Error opening %s in kx_mem_name_dump", file_name ? file_name : "");
        kx_dsp_alert(text, nullptr, 0);
        return 0;
    }
    kx_io_fputs("\n\n*** kx_mem_name_dump() begin ***\n\n", f);
    long total = 0;
    for (KX_LIST_NODE *n = kx_mem.elements->first; n; n = n->next) {
        KX_MEM_ELE *e = static_cast<KX_MEM_ELE *>(n->data);
        unsigned address = static_cast<unsigned>(reinterpret_cast<uintptr_t>(e->ptr));
        kx_io_fprintf(f, "PTR = %8x, Size = %10d, Name = %s\n", address, e->size, e->name ? e->name : "(null)");
        total += e->size;
    }
    kx_io_fprintf(f, "\nTotal RAM allocated: %ld\n", total);
    kx_io_fputs("\n\n*** kx_mem_name_dump() end ***\n\n", f);
    kx_io_fclose(f);
    return 1;
}
