// Swapping the world's background picture: the old bitmap goes with its texture tiles.
#include "world/world.h"
#include "world/world_render.h"

#include "kx/kx_dsp/kx_dsp.h"

int world_background_set(const char *file_name)
{
    if (world_background_loaded) {
        const KX_DSP_3D *ops = kx_dsp_3d();
        if (ops && ops->free) ops->free(&world_background);
        kx_bit_free(&world_background);
    }
    world_background = KX_BITMAP{};
    world_background_loaded = 0;
    if (!file_name || !kx_bit_load(&world_background, file_name, KX_BIT_LOAD_PALETTE)) {
        world_background = KX_BITMAP{};
        return 0;
    }
    world_background_loaded = 1;
    return 1;
}
