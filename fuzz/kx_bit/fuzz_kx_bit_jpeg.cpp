// Fuzz target: the JPEG reader on arbitrary bytes, whole and band by band, then a conversion of
// whatever it accepted.
#include "kx/kx_bit/kx_bit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KX_BITMAP b;
    if (kx_bit_decode_jpeg(&b, data, size, 1)) {
        kx_bit_convert(&b, 32 + KX_BIT_ALPHA_KEY);
        kx_bit_free(&b);
    }
    unsigned sum = 0;
    kx_bit_decode_jpeg_rows(data, size, [](void *user, int width, int, int, int count, const uint8_t *rgb) {
        unsigned &s = *static_cast<unsigned *>(user);
        for (size_t i = 0; i < size_t(width) * size_t(count) * 3; i += 61) s += rgb[i];
        return 1;
    }, &sum);
    return 0;
}
