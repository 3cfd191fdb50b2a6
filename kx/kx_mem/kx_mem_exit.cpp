// kx_mem shut-down: the leak report, the statistics and the return of the heap buffers.
#include "kx/kx_mem/kx_mem_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"

#include <cstdio>
#include <cstring>

void kx_mem_settings_file_set(const char *file_name)
{
    std::snprintf(kx_mem.settings_file, sizeof kx_mem.settings_file, "%s", file_name ? file_name : "");
}

int kx_mem_deinit()
{
    if (!kx_mem.elements) return 0;
    if (kx_mem.name_buffer) kx_mem_free(kx_mem.name_buffer);
    kx_mem.name_buffer = nullptr;
    kx_mem.name_buffer_size = 0;
    if (kx_mem.align) kx_mem_free(kx_mem.align);
    kx_mem.align = nullptr;
    kx_mem.align_capacity = kx_mem.align_depth = 0;

    for (KX_LIST_NODE *n = kx_mem.elements->first; n; n = n->next) {
        if (!kx_mem_report()) break;
        KX_MEM_ELE *e = static_cast<KX_MEM_ELE *>(n->data);
        char text[600];
        std::snprintf(text, sizeof text, "Pointer not freed before exit! Name: '%s' Size: '%d'", e->name ? e->name : "", e->size);
        kx_dsp_alert(text, "Memory Info", 0);
    }
    KX_LIST *elements = kx_mem.elements;
    kx_list_clear(elements);
    kx_mem.elements = nullptr;
    kx_list_destroy(elements);

    kx_mem_stats_write();
    kx_mem_heap_release_all();
    kx_mem.find = nullptr;

    char text[120];
    if (kx_mem.tracked > 0) {
        if (kx_mem_report()) {
            std::snprintf(text, sizeof text, "Memory not all freed: %ld bytes left", kx_mem.tracked);
            kx_error_warning(text);
        }
        return 0;
    }
    if (kx_mem.tracked < 0) {
        if (kx_mem_report()) {
            std::snprintf(text, sizeof text, "More memory freed with kx_mem than allocated: %ld bytes", kx_mem.tracked);
            kx_error_warning(text);
        }
        return 0;
    }
    return 1;
}
