// Helpers shared by the kx_bit tests: pictures that free themselves and compact views of them.
#pragma once

#include "kx/kx_bit/kx_bit.h"
#include "tests/kx_bit/kx_bit_ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using kxref::bytes;

// A picture freed at the end of its scope. Readers overwrite the record, so a picture that is
// decoded into twice is freed in between.
struct pic : KX_BITMAP {
    pic() : KX_BITMAP{} {}
    // w x h at `depth`; 8-bit pictures hold `fill`, or 1, 2, 3, ... when fill is negative.
    pic(int w, int h, int depth, int fill = 0) : KX_BITMAP{}
    {
        KX_RECT r = {0, 0, int16_t(w), int16_t(h)};
        EXPECT_EQ(kx_bit_alloc(this, &r, depth), 1);
        if (depth == 8 && pixels)
            for (int i = 0; i < w * h; i++) pixels[i] = uint8_t(fill < 0 ? i + 1 : fill);
    }
    pic(const pic &) = delete;
    pic &operator=(const pic &) = delete;
    ~pic() { kx_bit_free(this); }
};

// The first n pixel bytes (the whole buffer when n is 0).
inline bytes px(const KX_BITMAP &b, size_t n = 0)
{
    return bytes(b.pixels, b.pixels + (n ? n : kx_bit_buffer_bytes(&b)));
}

inline std::vector<int> dims(const KX_BITMAP &b) { return {b.width, b.height, b.depth}; }

inline std::string msg() { return kx_bit_message_get(); }
