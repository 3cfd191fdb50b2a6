// Copies: plain, clipped, centred, scaled in 16.16 steps, aspect-kept, doubled and scan-line,
// the transparent family, the 3D hand-off for the screen, refusals; and resizing.
#include "kx/kx_bit/kx_bit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

KX_BITMAP make8(int w, int h, int fill)
{
    KX_BITMAP b;
    KX_RECT r = {0, 0, int16_t(w), int16_t(h)};
    EXPECT_EQ(kx_bit_alloc(&b, &r, 8), 1);
    for (int i = 0; i < w * h; i++) b.pixels[i] = uint8_t(fill < 0 ? i + 1 : fill);
    return b;
}

// The destination as rows of characters: '.' for 0, else 'a' + value - 1.
std::string rows(const KX_BITMAP &b)
{
    std::string s;
    for (int y = 0; y < b.height; y++) {
        for (int x = 0; x < b.width; x++) {
            int v = b.pixels[y * b.width + x];
            s += v ? char('a' + v - 1) : '.';
        }
        s += '|';
    }
    return s;
}

}  // namespace

TEST(KxBitCopy, PlainClippedAndCentred)
{
    KX_BITMAP src = make8(2, 2, -1), dst = make8(5, 3, 0);
    KX_RECT at = {4, 2, 5, 5};   // only one pixel lands inside
    ASSERT_EQ(kx_bit_copy(&dst, &src, &at, nullptr, 0), 1);
    EXPECT_EQ(rows(dst), ".....|.....|....a|");
    KX_RECT outside = {-3, 0, 2, 2};
    ASSERT_EQ(kx_bit_copy(&dst, &src, &outside, nullptr, 0), 1);
    EXPECT_EQ(rows(dst), ".....|.....|....a|");
    kx_bit_free(&dst);

    dst = make8(5, 3, 0);
    ASSERT_EQ(kx_bit_copy(&dst, &src, nullptr, nullptr, KX_BIT_COPY_CENTER), 1);
    EXPECT_EQ(rows(dst), ".ab..|.cd..|.....|");
    // A larger source shows its centre.
    KX_BITMAP big = make8(4, 4, -1), small = make8(2, 2, 0);
    ASSERT_EQ(kx_bit_copy(&small, &big, nullptr, nullptr, KX_BIT_COPY_CENTER), 1);
    EXPECT_EQ(rows(small), "fg|jk|");
    for (KX_BITMAP *b : {&src, &dst, &big, &small}) kx_bit_free(b);
}

TEST(KxBitCopy, ScaledAspectDoubledAndScanLines)
{
    KX_BITMAP src = make8(2, 2, -1), dst = make8(4, 2, 0);
    ASSERT_EQ(kx_bit_copy(&dst, &src, nullptr, nullptr, KX_BIT_COPY_SCALE), 1);
    EXPECT_EQ(rows(dst), "aabb|ccdd|");
    kx_bit_free(&dst);

    // Aspect kept from the widths: 2 -> 4 wide means 2 -> 4 high, cut to the 3 rows there are.
    dst = make8(4, 3, 0);
    ASSERT_EQ(kx_bit_copy(&dst, &src, nullptr, nullptr, KX_BIT_COPY_SCALE | KX_BIT_COPY_ASPECT), 1);
    EXPECT_EQ(rows(dst), "aabb|aabb|ccdd|");
    kx_bit_free(&dst);
    // ... or from the heights: 2 -> 2 high keeps the width at 2.
    dst = make8(4, 2, 0);
    ASSERT_EQ(kx_bit_copy(&dst, &src, nullptr, nullptr,
                          KX_BIT_COPY_SCALE | KX_BIT_COPY_ASPECT | KX_BIT_COPY_ASPECT_HEIGHT), 1);
    EXPECT_EQ(rows(dst), "ab..|cd..|");
    kx_bit_free(&dst);

    dst = make8(5, 4, 0);
    ASSERT_EQ(kx_bit_copy(&dst, &src, nullptr, nullptr, KX_BIT_COPY_DOUBLE), 1);
    EXPECT_EQ(rows(dst), "aabb.|aabb.|ccdd.|ccdd.|");
    kx_bit_free(&dst);
    dst = make8(4, 4, 9);
    ASSERT_EQ(kx_bit_copy(&dst, &src, nullptr, nullptr, KX_BIT_COPY_DOUBLE | KX_BIT_COPY_ASPECT), 1);
    EXPECT_EQ(rows(dst), "aabb|iiii|ccdd|iiii|");
    kx_bit_free(&dst);
    kx_bit_free(&src);
}

TEST(KxBitCopy, TransparentFamilySkipsIndexZeroAndMagenta)
{
    KX_BITMAP src = make8(2, 2, -1), dst = make8(4, 2, 5);
    src.pixels[1] = 0;
    ASSERT_EQ(kx_bit_copy_transp(&dst, &src, nullptr, nullptr, 0), 1);
    EXPECT_EQ(rows(dst), "aeee|cdee|");
    ASSERT_EQ(kx_bit_copy_transp(&dst, &src, nullptr, nullptr, KX_BIT_COPY_SCALE), 1);
    EXPECT_EQ(rows(dst), "aaee|ccdd|");
    kx_bit_free(&dst);
    dst = make8(4, 4, 5);
    ASSERT_EQ(kx_bit_copy_transp(&dst, &src, nullptr, nullptr, KX_BIT_COPY_DOUBLE), 1);
    EXPECT_EQ(rows(dst), "aaee|aaee|ccdd|ccdd|");
    kx_bit_free(&dst);
    kx_bit_free(&src);

    KX_BITMAP a, b;
    KX_RECT r = {0, 0, 2, 1};
    ASSERT_EQ(kx_bit_alloc(&a, &r, 24), 1);
    ASSERT_EQ(kx_bit_alloc(&b, &r, 24), 1);
    const uint8_t px[6] = {255, 0, 255, 1, 2, 3};
    std::copy(px, px + 6, a.pixels);
    std::fill(b.pixels, b.pixels + 6, 9);
    ASSERT_EQ(kx_bit_copy_transp(&b, &a, nullptr, nullptr, 0), 1);
    const uint8_t want[6] = {9, 9, 9, 1, 2, 3};
    EXPECT_TRUE(std::equal(want, want + 6, b.pixels));
    ASSERT_EQ(kx_bit_copy(&b, &a, nullptr, nullptr, 0), 1);
    EXPECT_TRUE(std::equal(px, px + 6, b.pixels));
    kx_bit_free(&a);
    kx_bit_free(&b);
}

namespace {
int put_calls = 0, put_flags = 0;
int fake_put(KX_BITMAP *, KX_RECT *, KX_RECT *, int flags)
{
    put_calls++;
    put_flags = flags;
    return 1;
}
}  // namespace

TEST(KxBitCopy, ScreenCopiesGoToThe3DInterfaceUnlessSoft)
{
    KX_BITMAP screen = make8(4, 1, 0), src = make8(1, 1, 3);
    KX_BIT_DISPLAY d = {};
    d.screen = &screen;
    d.use_3d = 1;
    d.put = fake_put;
    kx_bit_display_set(&d);
    ASSERT_EQ(kx_bit_copy(&screen, &src, nullptr, nullptr, 0), 1);
    EXPECT_EQ(put_calls, 1);
    EXPECT_EQ(rows(screen), "....|");
    ASSERT_EQ(kx_bit_copy(&screen, &src, nullptr, nullptr, KX_BIT_COPY_SOFT), 1);
    EXPECT_EQ(put_calls, 1);
    EXPECT_EQ(rows(screen), "c...|");
    kx_bit_display_set(nullptr);
    kx_bit_free(&screen);
    kx_bit_free(&src);
}

TEST(KxBitCopy, RefusedDepthsAndResize)
{
    KX_BITMAP four, dst = make8(2, 2, 0);
    KX_RECT r = {0, 0, 2, 2};
    ASSERT_EQ(kx_bit_alloc(&four, &r, 4), 1);
    EXPECT_EQ(kx_bit_copy(&dst, &four, nullptr, nullptr, 0), 0);
    EXPECT_EQ(std::string(kx_bit_message_get()), "KX_BIT_BPP4 isn't implemented yet in kx_bit_copy ()");
    four.depth = 1;
    EXPECT_EQ(kx_bit_copy(&dst, &four, nullptr, nullptr, 0), 0);
    EXPECT_EQ(std::string(kx_bit_message_get()), "Unknown bitmap type in kx_bit_copy_soft_bitmap ()");
    EXPECT_EQ(kx_bit_copy_transp(&dst, &four, nullptr, nullptr, 0), 0);
    EXPECT_EQ(std::string(kx_bit_message_get()), "Unknown bitmap type in kx_bit_copy_transp_soft_bitmap ()");
    four.depth = 4;
    kx_bit_free(&four);
    kx_bit_free(&dst);

    KX_BITMAP pic = make8(100, 50, -1);
    pic.palette = kx_pal_alloc(nullptr, 256, 1);
    KX_PALETTE *pal = pic.palette;
    KX_RECT half = {0, 0, 50, 25};
    ASSERT_EQ(kx_bit_resize(&pic, &half, nullptr, 0), 1);
    EXPECT_EQ(pic.width, 50);
    EXPECT_EQ(pic.height, 25);
    EXPECT_EQ(pic.depth, 8);
    EXPECT_EQ(pic.palette, pal);
    EXPECT_EQ(pal->references, 1u);
    EXPECT_EQ(pic.pixels[1], uint8_t(3));       // every second column
    EXPECT_EQ(pic.pixels[50], uint8_t(201));    // every second row

    struct bad {
        KX_BITMAP *b;
        KX_RECT *d, *s;
        const char *text;
    };
    KX_RECT zero = {0, 0, 0, 4}, beyond = {60, 0, 4, 4};
    for (const bad &c : {bad{nullptr, &half, nullptr, "Invalid bitmap pointer in kx_bit_resize\n"},
                         bad{&pic, nullptr, nullptr, "Invalid rectangle pointers in kx_bit_resize\n"},
                         bad{&pic, &zero, nullptr, "Invalid rectangle destination size in kx_bit_resize\n"},
                         bad{&pic, &half, &beyond, "Invalid rectangle source size in kx_bit_resize\n"}}) {
        EXPECT_EQ(kx_bit_resize(c.b, c.d, c.s, 0), 0);
        EXPECT_EQ(std::string(kx_bit_message_get()), c.text);
    }
    EXPECT_EQ(pic.width, 50);
    kx_bit_free(&pic);
}
