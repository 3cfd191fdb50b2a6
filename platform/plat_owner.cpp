// plat_owner: the owners of the keyboard and mouse, kept as a short stack over the game.
#include "platform/plat_owner.h"

#include "platform/plat_core.h"
#include "platform/plat_input.h"

#include <algorithm>

namespace {

struct PLAT_OWNER_STATE {
    int stack[PLAT_OWNERS];    // owners over the game, the newest last
    int count;
    PLAT_OWNER_KEY_FN listeners[PLAT_OWNERS];
};

PLAT_OWNER_STATE owners;

bool valid(int owner)
{
    return owner > PLAT_OWNER_GAME && owner < PLAT_OWNER_WINDOW;
}

} // namespace

int plat_owner()
{
    return owners.count ? owners.stack[owners.count - 1] : PLAT_OWNER_GAME;
}

void plat_owner_take(int owner)
{
    if (!valid(owner) || std::count(owners.stack, owners.stack + owners.count, owner)) return;
    owners.stack[owners.count++] = owner;
    if (owners.count == 1) plat_message_post(PLAT_WM_ENTERMENULOOP, 0, 0);
}

void plat_owner_give_back(int owner)
{
    int *end = std::remove(owners.stack, owners.stack + owners.count, owner);
    if (end == owners.stack + owners.count) return;
    owners.count = static_cast<int>(end - owners.stack);
    if (owners.count) return;
    // Taps the game left unread when it lost the input are stale now.
    plat_input_taps_settle();
    plat_message_post(PLAT_WM_EXITMENULOOP, 0, 0);
}

void plat_owner_reset()
{
    owners.count = 0;
}

void plat_owner_keys_listen(int owner, PLAT_OWNER_KEY_FN fn)
{
    if (owner >= 0 && owner < PLAT_OWNERS) owners.listeners[owner] = fn;
}

PLAT_OWNER_KEY_FN plat_owner_keys_listener(int owner)
{
    return owner >= 0 && owner < PLAT_OWNERS ? owners.listeners[owner] : nullptr;
}
