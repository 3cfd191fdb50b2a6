// plat_loop on the desktop: the passes run back to back; each waits for what it needs itself.
#include "platform/plat_loop.h"

int plat_loop_run(PLAT_PASS_FN pass, PLAT_END_FN)
{
    int exit_code = 0;
    while (!pass(&exit_code)) {
    }
    return exit_code;
}
