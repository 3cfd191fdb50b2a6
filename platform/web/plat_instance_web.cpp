// plat_instance in the browser: a page has no other copy to talk to; each tab runs the game on
// its own and the lock is never held.
#include "platform/plat_instance.h"

int plat_instance_acquire(const char *, const char *)
{
    return PLAT_INSTANCE_FIRST;
}

void plat_instance_release()
{
}

int plat_instance_raise_other()
{
    return 0;
}

int plat_instance_close_other()
{
    return 0;
}

int plat_instance_lock_held(const char *, const char *)
{
    return 0;
}
