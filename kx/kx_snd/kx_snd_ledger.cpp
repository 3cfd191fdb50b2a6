// kx_snd_ledger: counted music blocks (see kx_snd_ledger.h).
#include "kx/kx_snd/kx_snd_ledger.h"

#include "kx/kx_mem/kx_mem.h"

#include <atomic>

static std::atomic<int> kx_snd_ledger_blocks{0};

void *kx_snd_ledger_alloc(size_t size, int zero, const char *name)
{
    void *p = zero ? kx_mem_calloc(1, size) : kx_mem_malloc(size);
    if (!p) return nullptr;
    kx_mem_name(p, name);
    kx_snd_ledger_blocks.fetch_add(1);
    return p;
}

void kx_snd_ledger_free(void *ptr)
{
    if (!ptr) return;
    kx_mem_free(ptr);
    kx_snd_ledger_blocks.fetch_sub(1);
}

int kx_snd_ledger_count()
{
    return kx_snd_ledger_blocks.load();
}
