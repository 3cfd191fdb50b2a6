// plat_splash in the browser: the page's loading bar stands for the splash, which would need a
// second drawing context on the page's one canvas, where the game's WebGL context must go.
#include "platform/plat_splash.h"

int plat_splash_show(const uint8_t *, int, int, const char *, int, int, int, int, int)
{
    return 0;
}

void plat_splash_close()
{
}

int plat_splash_shown()
{
    return 0;
}

const uint8_t *plat_splash_pixels(int *width, int *height)
{
    if (width) *width = 0;
    if (height) *height = 0;
    return nullptr;
}
