// Fuzz target: the PNG reader on arbitrary bytes, then a conversion of whatever it accepted.
#include "kx/kx_bit/kx_bit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KX_BITMAP b;
    if (kx_bit_decode_png(&b, data, size, 1)) {
        kx_bit_convert(&b, 32 + KX_BIT_ALPHA_KEY);
        kx_bit_free(&b);
    }
    return 0;
}
