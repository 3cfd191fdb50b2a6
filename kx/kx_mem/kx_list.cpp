// Linked lists: a five-word header and three-word nodes, all untracked blocks of kx_mem.
#include "kx/kx_mem/kx_mem.h"

#include "kx/kx_error/kx_error.h"

#include <cstring>

namespace {

const char *const kx_list_texts[] = {
    "Passed NULL list pointer to list function",
    "Could not malloc list",
    "Could not free list",
    "Could not remove from list",
};

enum { KX_LIST_ERR_NULL, KX_LIST_ERR_MALLOC, KX_LIST_ERR_FREE, KX_LIST_ERR_REMOVE };

int32_t *kx_list_settings;
int kx_list_module = -1;
int kx_list_lists;

int report()
{
    return kx_list_settings && *kx_list_settings;
}

bool check(KX_LIST *list)
{
    if (list) return true;
    kx_error_raise(report(), kx_list_module, KX_LIST_ERR_NULL);
    return false;
}

} // namespace

int kx_list_init(int32_t *settings)
{
    kx_list_settings = settings;
    kx_list_module = kx_error_register("Linked List", kx_list_texts);
    kx_list_lists = 0;
    return 1;
}

int kx_list_deinit()
{
    kx_list_settings = nullptr;
    return 1;
}

KX_LIST *kx_list_create()
{
    KX_LIST *list = static_cast<KX_LIST *>(kx_mem_malloc_untracked(sizeof(KX_LIST), KX_LIST_HEADER_SIZE));
    if (!list) {
        kx_error_raise(report(), kx_list_module, KX_LIST_ERR_MALLOC);
        return nullptr;
    }
    std::memset(list, 0, sizeof *list);
    kx_list_lists++;
    return list;
}

int kx_list_append(KX_LIST *list, void *data)
{
    if (!check(list)) return 0;
    KX_LIST_NODE *node = static_cast<KX_LIST_NODE *>(kx_mem_malloc_untracked(sizeof(KX_LIST_NODE), KX_LIST_NODE_SIZE));
    if (!node) {
        kx_error_raise(report(), kx_list_module, KX_LIST_ERR_MALLOC);
        return 0;
    }
    node->owns_data = 0;
    node->data = data;
    node->next = nullptr;
    if (list->last) list->last->next = node;
    else list->first = node;
    list->last = node;
    list->count++;
    return 1;
}

int kx_list_remove(KX_LIST *list, void *data)
{
    if (!check(list)) return 0;
    KX_LIST_NODE *prev = nullptr;
    for (KX_LIST_NODE *n = list->first; n; prev = n, n = n->next) {
        if (n->data != data) continue;
        if (prev) prev->next = n->next;
        else list->first = n->next;
        if (list->last == n) list->last = prev;
        if (list->cursor == n) list->cursor = n->next;
        list->count--;
        kx_mem_free_untracked(n, KX_LIST_NODE_SIZE);
        return 1;
    }
    kx_error_raise(report(), kx_list_module, KX_LIST_ERR_REMOVE);
    return 0;
}

int kx_list_clear(KX_LIST *list)
{
    if (!check(list)) return 0;
    KX_LIST_NODE *n = list->first;
    while (n) {
        KX_LIST_NODE *next = n->next;
        if (n->owns_data) kx_mem_free(n->data);
        kx_mem_free_untracked(n, KX_LIST_NODE_SIZE);
        n = next;
    }
    list->first = nullptr;
    list->last = nullptr;
    list->cursor = nullptr;
    list->count = 0;
    return 1;
}

int kx_list_destroy(KX_LIST *list)
{
    if (!check(list)) return 0;
    kx_list_clear(list);
    kx_mem_free_untracked(list, KX_LIST_HEADER_SIZE);
    kx_list_lists--;
    return 1;
}

void kx_list_rewind(KX_LIST *list)
{
    if (check(list)) list->cursor = list->first;
}

int kx_list_has_next(KX_LIST *list)
{
    return check(list) && list->cursor != nullptr;
}

void *kx_list_next(KX_LIST *list)
{
    if (!check(list) || !list->cursor) return nullptr;
    void *data = list->cursor->data;
    list->cursor = list->cursor->next;
    return data;
}

int kx_list_count(KX_LIST *list)
{
    return check(list) ? list->count : 0;
}
