// kx_dsp snapshots: F9 saves the screen as the next free numbered picture.
#include "kx/kx_dsp/kx_dsp.h"

#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp_local.h"

int kx_dsp_snapshot(char *name, size_t size)
{
    int depth = 32;
    if (kx_dsp.mode_current >= 0 && kx_dsp.mode_current < kx_dsp.mode_count) depth = kx_dsp.modes[kx_dsp.mode_current].depth;
    return kx_bit_snapshot_save(nullptr, depth, name, size);
}
