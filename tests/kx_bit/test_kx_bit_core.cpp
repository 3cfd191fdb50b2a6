// Pictures and palettes: allocation sizes, every conversion of the table with its refusals and
// messages, transparency and the alpha key, palette references and shared gray palettes.
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_mem/kx_mem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

KX_BITMAP make(int w, int h, int depth)
{
    KX_BITMAP b;
    KX_RECT r = {0, 0, int16_t(w), int16_t(h)};
    EXPECT_EQ(kx_bit_alloc(&b, &r, depth), 1);
    return b;
}

std::string message() { return kx_bit_message_get(); }

}  // namespace

TEST(KxBitCore, AllocationSizesAndRefusals)
{
    KX_BITMAP b = make(3, 2, 4);
    EXPECT_EQ(kx_bit_buffer_bytes(&b), 4u);   // (3 + 1) / 2 bytes a row
    kx_bit_free(&b);
    EXPECT_EQ(b.pixels, nullptr);
    KX_RECT r = {5, 6, 7, 3};
    ASSERT_EQ(kx_bit_alloc(&b, &r, 15), 1);
    EXPECT_EQ(b.x, 5);
    EXPECT_EQ(b.y, 6);
    EXPECT_EQ(kx_bit_buffer_bytes(&b), 42u);
    kx_bit_free(&b);
    KX_RECT empty = {0, 0, 0, 5};
    EXPECT_EQ(kx_bit_alloc(&b, &empty, 8), 0);
    KX_RECT negative = {0, 0, -4, -5};
    EXPECT_EQ(kx_bit_alloc(&b, &negative, 8), 0);
    EXPECT_EQ(kx_bit_alloc(&b, nullptr, 8), 0);
    ASSERT_EQ(kx_bit_alloc(&b, &r, 12), 1);
    EXPECT_EQ(message(), "Invalid options in parameter of kx_bit_alloc ()");
    kx_bit_free(&b);
}

TEST(KxBitCore, EightToTwentyFourThenBackIsRefusedAndKeepsThePicture)
{
    KX_BITMAP b = make(4, 2, 8);
    b.palette = kx_pal_alloc(nullptr, 256, 1);
    for (int i = 0; i < 8; i++) b.pixels[i] = uint8_t(i);
    for (int i = 0; i < 256; i++) {
        b.palette->colors[i * 3] = uint8_t(i * 2);
        b.palette->colors[i * 3 + 1] = uint8_t(i + 10);
        b.palette->colors[i * 3 + 2] = uint8_t(255 - i);
    }
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(b.depth, 24);
    EXPECT_EQ(b.palette, nullptr);
    const uint8_t expect_px5[3] = {10, 15, 250};
    EXPECT_EQ(0, std::memcmp(b.pixels + 15, expect_px5, 3));
    std::string before(reinterpret_cast<char *>(b.pixels), 24);
    EXPECT_EQ(kx_bit_convert(&b, 8), 0);
    EXPECT_EQ(message(), "24->8 BPP conversion parameter in function kx_bit_convert isn't supported yet.");
    EXPECT_EQ(b.depth, 24);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(b.pixels), 24), before);
    kx_bit_free(&b);
}

TEST(KxBitCore, RefusalsOfTheConversionTable)
{
    struct refusal {
        int source, target;
        const char *text;
    } refusals[] = {
        {1, 8, "1->4, 8, 16, 24, 32 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {4, 16, "4->16 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {15, 8, "15->8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {16, 8, "15->8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {24, 15, "24->8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {32, 8, "32 -> 8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {8, 4, "Invalid BPP conversion parameter in function kx_bit_convert."},
        {24, 4, "Invalid BPP conversion parameter in function kx_bit_convert."},
        {32, 12, "Invalid BPP conversion parameter in function kx_bit_convert."},
        {8, 24, "Can't convert from 8 bpp without a palette"},
        {4, 32, "Can't convert from 4 bpp without a palette"},
    };
    for (const refusal &r : refusals) {
        SCOPED_TRACE(testing::Message() << r.source << " -> " << r.target);
        KX_BITMAP b = make(3, 3, r.source);
        uint8_t *pixels = b.pixels;
        EXPECT_EQ(kx_bit_convert(&b, r.target), 0);
        EXPECT_EQ(message(), r.text);
        EXPECT_EQ(b.depth, r.source);
        EXPECT_EQ(b.pixels, pixels);
        kx_bit_free(&b);
    }
    // A depth outside the table names both depths; a target equal to the depth does nothing.
    KX_BITMAP b = make(2, 2, 8);
    b.depth = 2;
    EXPECT_EQ(kx_bit_convert(&b, 24), 0);
    EXPECT_EQ(message(), "Invalid conversion from 2 to 24 BPP in function kx_bit_convert.");
    b.depth = 8;
    EXPECT_EQ(kx_bit_convert(&b, 8), 1);
    EXPECT_EQ(kx_bit_convert(&b, 15), 1);   // read as 8
    EXPECT_EQ(b.depth, 8);
    kx_bit_free(&b);
    EXPECT_EQ(kx_bit_convert(nullptr, 24), 0);
}

TEST(KxBitCore, FourBitRowsUnpackHighNibbleFirst)
{
    KX_BITMAP b = make(3, 2, 4);
    const uint8_t packed[4] = {0x12, 0x30, 0x45, 0x60};
    std::memcpy(b.pixels, packed, 4);
    b.palette = kx_pal_alloc(nullptr, 16, 1 | 4);
    ASSERT_EQ(kx_bit_convert(&b, 8), 1);
    EXPECT_EQ(kx_bit_buffer_bytes(&b), 6u);
    const uint8_t expect[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(0, std::memcmp(b.pixels, expect, 6));
    EXPECT_NE(b.palette, nullptr);   // still a palette picture
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(b.pixels[3 * 5], 6 * 17);   // gray ramp of 16: 256 / 15 = 17 a step
    kx_bit_free(&b);
}

TEST(KxBitCore, MagentaAndTheTransparentIndexUnderTheAlphaKey)
{
    KX_BITMAP b = make(4, 1, 8);
    b.palette = kx_pal_alloc(nullptr, 8, 1);
    uint8_t *c = b.palette->colors;
    c[5 * 3] = 255, c[5 * 3 + 1] = 0, c[5 * 3 + 2] = 255;
    c[2 * 3] = 10, c[2 * 3 + 1] = 20, c[2 * 3 + 2] = 30;
    const uint8_t idx[4] = {5, 2, 5, 7};
    std::memcpy(b.pixels, idx, 4);
    b.transparent = 7;
    ASSERT_EQ(kx_bit_convert(&b, 32 + KX_BIT_ALPHA_KEY), 1);
    EXPECT_TRUE(b.flags & KX_BIT_FLAG_TRANSPARENT);
    const uint8_t expect[16] = {127, 127, 127, 0, 10, 20, 30, 255, 127, 127, 127, 0, 127, 127, 127, 0};
    EXPECT_EQ(0, std::memcmp(b.pixels, expect, 16));
    kx_bit_free(&b);

    // Without the key the colours stay and alpha is 255.
    b = make(1, 1, 8);
    b.palette = kx_pal_alloc(nullptr, 1, 1);
    b.palette->colors[0] = 255, b.palette->colors[2] = 255;
    b.transparent = 9;
    ASSERT_EQ(kx_bit_convert(&b, 32), 1);
    const uint8_t magenta[4] = {255, 0, 255, 255};
    EXPECT_EQ(0, std::memcmp(b.pixels, magenta, 4));
    EXPECT_TRUE(b.flags & KX_BIT_FLAG_TRANSPARENT);
    kx_bit_free(&b);
}

TEST(KxBitCore, TrueColourConversions)
{
    // 15 bits: channels move to the top of the byte; 248,0,248 widens to magenta.
    KX_BITMAP b = make(2, 1, 15);
    const uint16_t words[2] = {uint16_t(31 << 10 | 16 << 5 | 1), uint16_t(31 << 10 | 31)};
    for (int i = 0; i < 2; i++) b.pixels[i * 2] = uint8_t(words[i]), b.pixels[i * 2 + 1] = uint8_t(words[i] >> 8);
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    const uint8_t rgb[6] = {248, 128, 8, 255, 0, 255};
    EXPECT_EQ(0, std::memcmp(b.pixels, rgb, 6));
    EXPECT_TRUE(b.flags & KX_BIT_FLAG_TRANSPARENT);

    // 24 -> 16 (5-6-5 without a display) -> 24 keeps the top bits.
    ASSERT_EQ(kx_bit_convert(&b, 16), 1);
    EXPECT_EQ(b.pixels[0] | b.pixels[1] << 8, 31 << 11 | 32 << 5 | 1);
    ASSERT_EQ(kx_bit_convert(&b, 32), 1);
    const uint8_t rgba[8] = {248, 128, 8, 255, 255, 0, 255, 255};
    EXPECT_EQ(0, std::memcmp(b.pixels, rgba, 8));
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(0, std::memcmp(b.pixels, rgb, 6));
    kx_bit_free(&b);

    // 15 -> 16 on a 5-5-5 display only relabels.
    KX_BIT_DISPLAY d = {};
    d.red_shift = 10, d.red_width = 5, d.green_shift = 5, d.green_width = 5, d.blue_width = 5;
    kx_bit_display_set(&d);
    b = make(1, 1, 15);
    uint8_t *before = b.pixels;
    ASSERT_EQ(kx_bit_convert(&b, 16), 1);
    EXPECT_EQ(b.pixels, before);
    EXPECT_EQ(b.depth, 16);
    kx_bit_free(&b);
    kx_bit_display_set(nullptr);
}

TEST(KxBitCore, PalettesCountReferencesAndShareGrayRamps)
{
    KX_PALETTE *rgb = kx_pal_alloc(nullptr, 4, 1);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->references, 1u);
    rgb->colors[3] = 9, rgb->colors[4] = 8, rgb->colors[5] = 7;
    KX_PALETTE *rgba = kx_pal_alloc(rgb, 6, 0);
    EXPECT_EQ(rgba->type, KX_PALETTE_RGBA);
    const uint8_t second[4] = {9, 8, 7, 255};
    EXPECT_EQ(0, std::memcmp(rgba->colors + 4, second, 4));
    KX_PALETTE *back = kx_pal_alloc(rgba, 2, 1);
    EXPECT_EQ(back->count, 2);
    EXPECT_EQ(0, std::memcmp(back->colors + 3, second, 3));
    kx_pal_free(back);
    kx_pal_free(rgba);
    kx_pal_free(rgb);

    KX_PALETTE *g1 = kx_pal_grayscale_get(16);
    uint32_t refs = g1->references;
    KX_PALETTE *g2 = kx_pal_grayscale_get(16);
    EXPECT_EQ(g1, g2);
    EXPECT_EQ(g2->references, refs + 1);
    KX_PALETTE *g3 = kx_pal_grayscale_get(256);
    EXPECT_NE(g3, g1);
    EXPECT_EQ(g3->colors[200 * 3 + 1], 200);
    EXPECT_EQ(g1->colors[15 * 3], 255);
    // Ramps whose step overshoots hold the last colour at white; one colour is black.
    KX_PALETTE *two = kx_pal_alloc(nullptr, 2, 1 | 4);
    EXPECT_EQ(two->colors[3], 255);
    kx_pal_free(two);
    KX_PALETTE *one = kx_pal_alloc(nullptr, 1, 1 | 4);
    EXPECT_EQ(one->colors[0], 0);
    kx_pal_free(one);
    kx_pal_free(g1);
    kx_pal_free(g2);
    kx_pal_free(g3);
    kx_bit_deinit();   // empties the shared list

    KX_PALETTE bogus = {1, 1, 7, nullptr};
    auto *heap = static_cast<KX_PALETTE *>(kx_mem_malloc(sizeof(KX_PALETTE)));
    *heap = bogus;
    kx_pal_free(heap);
    EXPECT_EQ(message(), "Wrong palette type");

    const uint8_t file[800] = {1, 2, 3};
    EXPECT_EQ(kx_pal_decode(file, 700), nullptr);
    KX_PALETTE *loaded = kx_pal_decode(file, 800);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->count, 256);
    kx_pal_free(loaded);
}
