// PNG reader: pixels identical to libpng's on files libpng writes in every colour type we read,
// every filter, with and without Adam7; palettes and gray palettes; refusals of broken files.
#include "kx/kx_bit/kx_bit.h"
#include "tests/kx_bit/kx_bit_ref.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>

namespace {

struct png_case {
    int color_type, bit_depth, channels_bits;
};

// Packed rows of `bits` per pixel, random-looking but reproducible.
kxref::bytes packed_rows(int width, int height, int bits, int max_value, uint32_t seed)
{
    size_t row = (size_t(width) * size_t(bits) + 7) / 8;
    kxref::bytes out(row * size_t(height), 0);
    if (bits >= 8) {
        kxref::bytes px = kxref::make_pixels(width, height, bits / 8, seed);
        for (int y = 0; y < height; y++) std::memcpy(out.data() + size_t(y) * row, px.data() + size_t(y) * size_t(width) * size_t(bits / 8), row);
        if (max_value < 255)
            for (auto &b : out) b = uint8_t(b % (max_value + 1));
        return out;
    }
    uint32_t s = seed;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            s = s * 1664525u + 1013904223u;
            unsigned v = ((s >> 20) + unsigned(x / 3)) % unsigned(max_value + 1);
            out[size_t(y) * row + size_t(x * bits / 8)] |= uint8_t(v << (8 - bits - (x * bits) % 8));
        }
    return out;
}

void expect_same_as_libpng(const kxref::bytes &file, int options, int depth)
{
    int w = 0, h = 0;
    kxref::bytes ref;
    ASSERT_TRUE(kxref::png_read(file, &w, &h, &ref));
    KX_BITMAP b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), options), 1);
    EXPECT_EQ(b.width, w);
    EXPECT_EQ(b.height, h);
    EXPECT_EQ(b.depth, depth);
    ASSERT_GE(kx_bit_buffer_bytes(&b), ref.size());
    EXPECT_EQ(0, std::memcmp(b.pixels, ref.data(), ref.size()));
    kx_bit_free(&b);
}

}  // namespace

TEST(KxBitPng, MatchesLibpngInEveryColourTypeFilterAndInterlace)
{
    struct kind {
        int color_type, bit_depth, depth, max, palette;
    } kinds[] = {
        {0, 8, 8, 255, 0}, {0, 4, 4, 15, 0}, {2, 8, 24, 255, 0}, {6, 8, 32, 255, 0},
        {3, 8, 8, 199, 200}, {3, 4, 4, 15, 16}, {0, 1, 1, 1, 0}, {0, 2, 2, 3, 0},
    };
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH,
                           PNG_ALL_FILTERS};
    // Odd sizes exercise partial bytes and the empty Adam7 passes of tiny pictures.
    const int sizes[][2] = {{37, 23}, {1, 1}, {3, 2}, {64, 5}};
    for (const kind &k : kinds)
        for (int f : filters)
            for (int interlace = 0; interlace < 2; interlace++)
                for (const auto &sz : sizes) {
                    SCOPED_TRACE(testing::Message() << "type " << k.color_type << " bits " << k.bit_depth << " filter "
                                                    << f << " interlace " << interlace << " " << sz[0] << "x" << sz[1]);
                    kxref::png_options o;
                    o.color_type = k.color_type;
                    o.bit_depth = k.bit_depth;
                    o.interlace = interlace;
                    o.filters = f;
                    o.palette_size = k.palette;
                    kxref::bytes rows = packed_rows(sz[0], sz[1], k.depth, k.max, uint32_t(sz[0] * 31 + f));
                    kxref::bytes file = kxref::png_write(sz[0], sz[1], rows, o);
                    ASSERT_FALSE(file.empty());
                    expect_same_as_libpng(file, 0, k.depth);
                }
}

TEST(KxBitPng, InterlacedTwinLoadsToTheSamePicture)
{
    kxref::bytes px = kxref::make_pixels(61, 47, 3, 5);
    kxref::png_options o;
    kxref::bytes plain = kxref::png_write(61, 47, px, o);
    o.interlace = 1;
    kxref::bytes laced = kxref::png_write(61, 47, px, o);
    KX_BITMAP a, b;
    ASSERT_EQ(kx_bit_decode_png(&a, plain.data(), plain.size(), 1), 1);
    ASSERT_EQ(kx_bit_decode_png(&b, laced.data(), laced.size(), 1), 1);
    EXPECT_EQ(a.depth, 24);
    EXPECT_EQ(0, std::memcmp(a.pixels, b.pixels, px.size()));
    EXPECT_EQ(0, std::memcmp(a.pixels, px.data(), px.size()));
    kx_bit_free(&a);
    kx_bit_free(&b);
}

TEST(KxBitPng, PalettesFollowTheLoadOption)
{
    kxref::bytes rows = packed_rows(10, 4, 8, 9, 3);
    kxref::png_options o;
    o.color_type = 3;
    o.palette_size = 10;
    kxref::bytes with_plte = kxref::png_write(10, 4, rows, o);
    KX_BITMAP b;
    ASSERT_EQ(kx_bit_decode_png(&b, with_plte.data(), with_plte.size(), 1), 1);
    ASSERT_NE(b.palette, nullptr);
    EXPECT_EQ(b.palette->count, 10);
    EXPECT_EQ(b.palette->type, KX_PALETTE_RGB);
    EXPECT_EQ(b.palette->colors[3 * 4 + 0], 4 * 7);
    EXPECT_EQ(b.palette->colors[3 * 4 + 1], 255 - 4);
    kx_bit_free(&b);

    // Without PLTE (libpng would not write one for type 3, so the chunk is cut out by hand).
    kxref::bytes no_plte = with_plte;
    size_t at = 8;
    while (at + 8 <= no_plte.size() && std::memcmp(no_plte.data() + at + 4, "PLTE", 4) != 0) {
        uint32_t len = uint32_t(no_plte[at]) << 24 | uint32_t(no_plte[at + 1]) << 16 | uint32_t(no_plte[at + 2]) << 8 | no_plte[at + 3];
        at += 12 + len;
    }
    ASSERT_LT(at, no_plte.size());
    no_plte.erase(no_plte.begin() + long(at), no_plte.begin() + long(at + 12 + 30));
    EXPECT_EQ(kx_bit_decode_png(&b, no_plte.data(), no_plte.size(), 1), 0);
    EXPECT_EQ(b.pixels, nullptr);
    ASSERT_EQ(kx_bit_decode_png(&b, no_plte.data(), no_plte.size(), 0), 1);
    EXPECT_EQ(b.depth, 8);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_EQ(0, std::memcmp(b.pixels, rows.data(), rows.size()));
    kx_bit_free(&b);

    // Gray pictures get the shared gray palette and the gray flag under option 1 only.
    o = kxref::png_options();
    o.color_type = 0;
    o.bit_depth = 4;
    kxref::bytes gray = kxref::png_write(5, 3, packed_rows(5, 3, 4, 15, 9), o);
    ASSERT_EQ(kx_bit_decode_png(&b, gray.data(), gray.size(), 1), 1);
    EXPECT_EQ(b.depth, 4);
    EXPECT_TRUE(b.flags & KX_BIT_FLAG_GRAY);
    ASSERT_NE(b.palette, nullptr);
    EXPECT_EQ(b.palette, kx_pal_grayscale_get(16));
    kx_pal_free(b.palette);
    EXPECT_EQ(b.palette->colors[15 * 3], 255);
    ASSERT_EQ(kx_bit_convert(&b, 24), 1);
    kx_bit_free(&b);
    ASSERT_EQ(kx_bit_decode_png(&b, gray.data(), gray.size(), 0), 1);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_FALSE(b.flags & KX_BIT_FLAG_GRAY);
    kx_bit_free(&b);
}

TEST(KxBitPng, SixteenBitSamplesLoadButDoNotConvert)
{
    kxref::png_options o;
    o.color_type = 2;
    o.bit_depth = 16;
    kxref::bytes px = kxref::make_pixels(9, 4, 6, 1);
    kxref::bytes file = kxref::png_write(9, 4, px, o);
    KX_BITMAP b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 1), 1);
    EXPECT_EQ(b.depth, 48);
    EXPECT_EQ(0, std::memcmp(b.pixels, px.data(), px.size()));
    EXPECT_EQ(kx_bit_convert(&b, 32), 0);
    kx_bit_free(&b);

    // Gray with alpha has depth 16 but is not the display's 16-bit format.
    o.color_type = 4;
    o.bit_depth = 8;
    file = kxref::png_write(9, 4, kxref::make_pixels(9, 4, 2, 1), o);
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 1), 1);
    EXPECT_EQ(b.depth, 16);
    EXPECT_EQ(kx_bit_convert(&b, 24), 0);
    EXPECT_EQ(std::string(kx_bit_message_get()), "Invalid conversion from 16 to 24 BPP in function kx_bit_convert.");
    kx_bit_free(&b);
}

TEST(KxBitPng, BrokenFilesAreRefusedCleanly)
{
    kxref::bytes px = kxref::make_pixels(40, 30, 4, 2);
    kxref::png_options o;
    o.color_type = 6;
    o.compression = 0;   // stored deflate blocks: cutting anywhere cuts pixels
    kxref::bytes file = kxref::png_write(40, 30, px, o);
    KX_BITMAP b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 0), 1);
    kx_bit_free(&b);
    for (size_t cut : {size_t(0), size_t(7), size_t(20), size_t(40), file.size() / 2, file.size() - 20}) {
        EXPECT_EQ(kx_bit_decode_png(&b, file.data(), cut, 0), 0) << cut;
        EXPECT_EQ(b.pixels, nullptr);
    }
    // Dimensions beyond the bounds, a bad filter method, a bad filter byte.
    auto patched = [&](size_t at, uint8_t v) {
        kxref::bytes f = file;
        f[at] = v;
        return f;
    };
    for (const kxref::bytes &f : {patched(16, 0x7F), patched(20, 0x01), patched(27, 1), patched(26, 5), patched(48, 7)})
        EXPECT_EQ(kx_bit_decode_png(&b, f.data(), f.size(), 0), 0);
    // Signature.
    EXPECT_EQ(kx_bit_decode_png(&b, patched(1, 'p').data(), file.size(), 0), 0);
}
