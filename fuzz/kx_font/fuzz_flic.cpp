// Fuzz target: FLIC files. Opens the input from memory and decodes every frame (a bounded
// number), wraps, rewinds and decodes again.
#include "kx/kx_font/kx_anim.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KX_ANIM anim;
    if (!anim_open_memory(&anim, data, size, "fuzz.flc")) return 0;
    // Big frames cost their size in every clear; a few of them are enough.
    int limit = anim.frame_size > (1u << 16) ? 2 : 64;
    int frames = anim.frame_count < limit ? anim.frame_count : limit;
    for (int i = 0; i < frames + 2; i++) anim_frame_next(&anim, 1);
    anim_rewind(&anim);
    anim_frame_next(&anim, 0);
    anim_clear(&anim);
    anim_close(&anim);
    return 0;
}
