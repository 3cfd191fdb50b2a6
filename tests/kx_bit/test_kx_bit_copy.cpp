// Copies: plain, clipped, centred, scaled in 16.16 steps, aspect-kept, doubled and scan-line,
// the transparent family, the 3D hand-off for the screen, refusals; and resizing.
#include "tests/kx_bit/kx_bit_test.h"

namespace {

// An 8-bit picture as rows of characters: '.' for 0, else 'a' + value - 1.
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

// Copies src into a fresh w x h picture holding `fill` and shows the result.
template <typename Copy>
std::string copied(Copy copy, KX_BITMAP &src, int w, int h, int options, int fill = 0)
{
    pic dst(w, h, 8, fill);
    EXPECT_EQ(copy(&dst, &src, nullptr, nullptr, options), 1);
    return rows(dst);
}

int put_calls = 0;
int fake_put(KX_BITMAP *, KX_RECT *, KX_RECT *, int)
{
    put_calls++;
    return 1;
}

}  // namespace

TEST(KxBitCopy, PlainClippedAndCentred)
{
    pic src(2, 2, 8, -1), dst(5, 3, 8);
    KX_RECT at = {4, 2, 5, 5}, outside = {-3, 0, 2, 2};   // one pixel lands inside; none does
    for (KX_RECT *r : {&at, &outside}) {
        ASSERT_EQ(kx_bit_copy(&dst, &src, r, nullptr, 0), 1);
        EXPECT_EQ(rows(dst), ".....|.....|....a|");
    }
    EXPECT_EQ(copied(kx_bit_copy, src, 5, 3, KX_BIT_COPY_CENTER), ".ab..|.cd..|.....|");
    // A larger source shows its centre.
    pic big(4, 4, 8, -1);
    EXPECT_EQ(copied(kx_bit_copy, big, 2, 2, KX_BIT_COPY_CENTER), "fg|jk|");
}

TEST(KxBitCopy, ScaledAspectDoubledAndScanLines)
{
    pic src(2, 2, 8, -1);
    struct scase { int w, h, options, fill; const char *want; } cases[] = {
        {4, 2, KX_BIT_COPY_SCALE, 0, "aabb|ccdd|"},
        // Aspect kept from the widths: 2 -> 4 wide means 2 -> 4 high, cut to the 3 rows there are.
        {4, 3, KX_BIT_COPY_SCALE | KX_BIT_COPY_ASPECT, 0, "aabb|aabb|ccdd|"},
        // ... or from the heights: 2 -> 2 high keeps the width at 2.
        {4, 2, KX_BIT_COPY_SCALE | KX_BIT_COPY_ASPECT | KX_BIT_COPY_ASPECT_HEIGHT, 0, "ab..|cd..|"},
        {5, 4, KX_BIT_COPY_DOUBLE, 0, "aabb.|aabb.|ccdd.|ccdd.|"},
        {4, 4, KX_BIT_COPY_DOUBLE | KX_BIT_COPY_ASPECT, 9, "aabb|iiii|ccdd|iiii|"},
    };
    for (const scase &c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(copied(kx_bit_copy, src, c.w, c.h, c.options, c.fill), c.want);
    }
}

TEST(KxBitCopy, TransparentFamilySkipsIndexZeroAndMagenta)
{
    pic src(2, 2, 8, -1), dst(4, 2, 8, 5);
    src.pixels[1] = 0;
    ASSERT_EQ(kx_bit_copy_transp(&dst, &src, nullptr, nullptr, 0), 1);
    EXPECT_EQ(rows(dst), "aeee|cdee|");
    ASSERT_EQ(kx_bit_copy_transp(&dst, &src, nullptr, nullptr, KX_BIT_COPY_SCALE), 1);
    EXPECT_EQ(rows(dst), "aaee|ccdd|");
    EXPECT_EQ(copied(kx_bit_copy_transp, src, 4, 4, KX_BIT_COPY_DOUBLE, 5), "aaee|aaee|ccdd|ccdd|");

    pic a(2, 1, 24), b(2, 1, 24);
    const bytes magenta_then_colour = {255, 0, 255, 1, 2, 3};
    std::copy(magenta_then_colour.begin(), magenta_then_colour.end(), a.pixels);
    std::fill(b.pixels, b.pixels + 6, 9);
    ASSERT_EQ(kx_bit_copy_transp(&b, &a, nullptr, nullptr, 0), 1);
    EXPECT_EQ(px(b), (bytes{9, 9, 9, 1, 2, 3}));
    ASSERT_EQ(kx_bit_copy(&b, &a, nullptr, nullptr, 0), 1);
    EXPECT_EQ(px(b), magenta_then_colour);
}

TEST(KxBitCopy, ScreenCopiesGoToThe3DInterfaceUnlessSoft)
{
    pic screen(4, 1, 8), src(1, 1, 8, 3);
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
}

TEST(KxBitCopy, RefusedDepthsAndResize)
{
    pic four(2, 2, 4), dst(2, 2, 8);
    EXPECT_EQ(kx_bit_copy(&dst, &four, nullptr, nullptr, 0), 0);
    EXPECT_EQ(msg(), "KX_BIT_BPP4 isn't implemented yet in kx_bit_copy ()");
    four.depth = 1;
    EXPECT_EQ(kx_bit_copy(&dst, &four, nullptr, nullptr, 0), 0);
    EXPECT_EQ(msg(), "Unknown bitmap type in kx_bit_copy_soft_bitmap ()");
    EXPECT_EQ(kx_bit_copy_transp(&dst, &four, nullptr, nullptr, 0), 0);
    EXPECT_EQ(msg(), "Unknown bitmap type in kx_bit_copy_transp_soft_bitmap ()");

    pic p(100, 50, 8, -1);
    p.palette = kx_pal_alloc(nullptr, 256, 1);
    KX_PALETTE *pal = p.palette;
    KX_RECT half = {0, 0, 50, 25};
    ASSERT_EQ(kx_bit_resize(&p, &half, nullptr, 0), 1);
    EXPECT_EQ(dims(p), (std::vector<int>{50, 25, 8}));
    EXPECT_EQ(p.palette, pal);
    EXPECT_EQ(pal->references, 1u);
    EXPECT_EQ(p.pixels[1], uint8_t(3));       // every second column
    EXPECT_EQ(p.pixels[50], uint8_t(201));    // every second row

    struct bad { KX_BITMAP *b; KX_RECT *d, *s; const char *text; };
    KX_RECT zero = {0, 0, 0, 4}, beyond = {60, 0, 4, 4};
    for (const bad &c : {bad{nullptr, &half, nullptr, "Invalid bitmap pointer in kx_bit_resize\n"},
                         bad{&p, nullptr, nullptr, "Invalid rectangle pointers in kx_bit_resize\n"},
                         bad{&p, &zero, nullptr, "Invalid rectangle destination size in kx_bit_resize\n"},
                         bad{&p, &half, &beyond, "Invalid rectangle source size in kx_bit_resize\n"}}) {
        EXPECT_EQ(kx_bit_resize(c.b, c.d, c.s, 0), 0);
        EXPECT_EQ(msg(), c.text);
    }
    EXPECT_EQ(p.width, 50);
}
