// Game_Alloc and Game_Free: every game allocation is named, so leaks show by name at exit.
#include "game/game_alloc.h"

#include "game/game_error.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstring>

void *Game_Alloc(size_t size, const char *name)
{
    void *p = kx_mem_malloc(size);
    if (!p) {
        Game_Error("Can't allocate more memory");
        return nullptr;
    }
    std::memset(p, 0, size);
    kx_mem_name(p, name);
    return p;
}

void Game_Free(void *ptr)
{
    if (!ptr) {
        Game_Error("Trying to free a NULL pointer");
        return;
    }
    kx_mem_free(ptr);
}
