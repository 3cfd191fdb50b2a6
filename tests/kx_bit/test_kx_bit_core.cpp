// Pictures and palettes: allocation sizes, every conversion of the table with its refusals and
// messages, transparency and the alpha key, palette references and shared gray palettes.
#include "tests/kx_bit/kx_bit_test.h"

#include "kx/kx_mem/kx_mem.h"

TEST(KxBitCore, AllocationSizesAndRefusals)
{
    pic b(3, 2, 4);
    EXPECT_EQ(kx_bit_buffer_bytes(&b), 4u);   // (3 + 1) / 2 bytes a row
    kx_bit_free(&b);
    EXPECT_EQ(b.pixels, nullptr);
    KX_RECT r = {5, 6, 7, 3}, empty = {0, 0, 0, 5}, negative = {0, 0, -4, -5};
    ASSERT_EQ(kx_bit_alloc(&b, &r, 15), 1);
    EXPECT_EQ((std::vector<int>{b.x, b.y}), (std::vector<int>{5, 6}));
    EXPECT_EQ(kx_bit_buffer_bytes(&b), 42u);
    kx_bit_free(&b);
    for (const KX_RECT *bad : {&empty, &negative, static_cast<KX_RECT *>(nullptr)})
        EXPECT_EQ(kx_bit_alloc(&b, bad, 8), 0);
    ASSERT_EQ(kx_bit_alloc(&b, &r, 12), 1);
    EXPECT_EQ(msg(), "Invalid options in parameter of kx_bit_alloc ()");
}

TEST(KxBitCore, EightToTwentyFourLooksUpThePalette)
{
    pic b(4, 2, 8, -1);
    b.palette = kx_pal_alloc(nullptr, 256, 1);
    for (int i = 0; i < 256; i++) {
        b.palette->colors[i * 3] = uint8_t(i * 2);
        b.palette->colors[i * 3 + 1] = uint8_t(i + 10);
        b.palette->colors[i * 3 + 2] = uint8_t(255 - i);
    }
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(b.depth, 24);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_EQ(px(b, 6), (bytes{2, 11, 254, 4, 12, 253}));
}

TEST(KxBitCore, RefusalsOfTheConversionTable)
{
    struct refusal { int source, target; const char *text; } refusals[] = {
        {1, 8, "1->4, 8, 16, 24, 32 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {4, 16, "4->16 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {15, 8, "15->8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {16, 8, "15->8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
        {24, 8, "24->8 BPP conversion parameter in function kx_bit_convert isn't supported yet."},
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
        pic b(3, 3, r.source, -1);
        const bytes before = px(b);
        EXPECT_EQ(kx_bit_convert(&b, r.target), 0);
        EXPECT_EQ(msg(), r.text);
        EXPECT_EQ(b.depth, r.source);
        EXPECT_EQ(px(b), before);   // the picture is kept as it was
    }
    // A depth outside the table names both depths; a target equal to the depth does nothing.
    pic b(2, 2, 8);
    b.depth = 2;
    EXPECT_EQ(kx_bit_convert(&b, 24), 0);
    EXPECT_EQ(msg(), "Invalid conversion from 2 to 24 BPP in function kx_bit_convert.");
    b.depth = 8;
    EXPECT_EQ(kx_bit_convert(&b, 8), 1);
    EXPECT_EQ(kx_bit_convert(&b, 15), 1);   // read as 8
    EXPECT_EQ(b.depth, 8);
    EXPECT_EQ(kx_bit_convert(nullptr, 24), 0);
}

TEST(KxBitCore, FourBitRowsUnpackHighNibbleFirst)
{
    pic b(3, 2, 4);
    const uint8_t packed[4] = {0x12, 0x30, 0x45, 0x60};
    std::copy(packed, packed + 4, b.pixels);
    b.palette = kx_pal_alloc(nullptr, 16, 1 | 4);
    ASSERT_EQ(kx_bit_convert(&b, 8), 1);
    EXPECT_EQ(px(b), (bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_NE(b.palette, nullptr);   // still a palette picture
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(b.pixels[3 * 5], 6 * 17);   // gray ramp of 16: 256 / 15 = 17 a step
}

TEST(KxBitCore, MagentaAndTheTransparentIndexUnderTheAlphaKey)
{
    pic b(4, 1, 8);
    b.palette = kx_pal_alloc(nullptr, 8, 1);
    uint8_t *c = b.palette->colors;
    c[5 * 3] = 255, c[5 * 3 + 1] = 0, c[5 * 3 + 2] = 255;
    c[2 * 3] = 10, c[2 * 3 + 1] = 20, c[2 * 3 + 2] = 30;
    const uint8_t idx[4] = {5, 2, 5, 7};
    std::copy(idx, idx + 4, b.pixels);
    b.transparent = 7;
    ASSERT_EQ(kx_bit_convert(&b, 32 + KX_BIT_ALPHA_KEY), 1);
    EXPECT_TRUE(b.flags & KX_BIT_FLAG_TRANSPARENT);
    EXPECT_EQ(px(b), (bytes{127, 127, 127, 0, 10, 20, 30, 255, 127, 127, 127, 0, 127, 127, 127, 0}));

    // Without the key the colours stay and alpha is 255.
    pic m(1, 1, 8);
    m.palette = kx_pal_alloc(nullptr, 1, 1);
    m.palette->colors[0] = 255, m.palette->colors[2] = 255;
    m.transparent = 9;
    ASSERT_EQ(kx_bit_convert(&m, 32), 1);
    EXPECT_EQ(px(m), (bytes{255, 0, 255, 255}));
    EXPECT_TRUE(m.flags & KX_BIT_FLAG_TRANSPARENT);
}

TEST(KxBitCore, TrueColourConversions)
{
    // 15 bits: channels move to the top of the byte; 248,0,248 widens to magenta.
    pic b(2, 1, 15);
    const uint16_t words[2] = {uint16_t(31 << 10 | 16 << 5 | 1), uint16_t(31 << 10 | 31)};
    for (int i = 0; i < 2; i++) b.pixels[i * 2] = uint8_t(words[i]), b.pixels[i * 2 + 1] = uint8_t(words[i] >> 8);
    const bytes rgb = {248, 128, 8, 255, 0, 255};
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(px(b), rgb);
    EXPECT_TRUE(b.flags & KX_BIT_FLAG_TRANSPARENT);

    // 24 -> 16 (5-6-5 without a display) -> 32 -> 24 keeps the top bits.
    ASSERT_EQ(kx_bit_convert(&b, 16), 1);
    EXPECT_EQ(b.pixels[0] | b.pixels[1] << 8, 31 << 11 | 32 << 5 | 1);
    ASSERT_EQ(kx_bit_convert(&b, 32), 1);
    EXPECT_EQ(px(b), (bytes{248, 128, 8, 255, 255, 0, 255, 255}));
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    EXPECT_EQ(px(b), rgb);

    // 15 -> 16 on a 5-5-5 display only relabels.
    KX_BIT_DISPLAY d = {};
    d.red_shift = 10, d.red_width = 5, d.green_shift = 5, d.green_width = 5, d.blue_width = 5;
    kx_bit_display_set(&d);
    pic w(1, 1, 15);
    uint8_t *before = w.pixels;
    ASSERT_EQ(kx_bit_convert(&w, 16), 1);
    EXPECT_EQ(w.pixels, before);
    EXPECT_EQ(w.depth, 16);
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
    EXPECT_EQ(bytes(rgba->colors + 4, rgba->colors + 8), (bytes{9, 8, 7, 255}));
    KX_PALETTE *back = kx_pal_alloc(rgba, 2, 1);
    EXPECT_EQ(back->count, 2);
    EXPECT_EQ(bytes(back->colors + 3, back->colors + 6), (bytes{9, 8, 7}));
    for (KX_PALETTE *p : {back, rgba, rgb}) kx_pal_free(p);

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
    KX_PALETTE *two = kx_pal_alloc(nullptr, 2, 1 | 4), *one = kx_pal_alloc(nullptr, 1, 1 | 4);
    EXPECT_EQ(two->colors[3], 255);
    EXPECT_EQ(one->colors[0], 0);
    for (KX_PALETTE *p : {two, one, g1, g2, g3}) kx_pal_free(p);
    kx_bit_deinit();   // empties the shared list

    auto *bogus = static_cast<KX_PALETTE *>(kx_mem_malloc(sizeof(KX_PALETTE)));
    *bogus = {1, 1, 7, nullptr};
    kx_pal_free(bogus);
    EXPECT_EQ(msg(), "Wrong palette type");

    const uint8_t file[800] = {1, 2, 3};
    EXPECT_EQ(kx_pal_decode(file, 700), nullptr);
    KX_PALETTE *loaded = kx_pal_decode(file, 800);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->count, 256);
    kx_pal_free(loaded);
}
