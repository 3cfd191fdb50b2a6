// PNG reader: pixels identical to libpng's on files libpng writes in every colour type we read,
// every filter, with and without Adam7; palettes and gray palettes; refusals of broken files.
#include "tests/kx_bit/kx_bit_test.h"

#include <png.h>

#include <cstring>

namespace {

// Packed rows of `bits` per pixel with values up to max_value, random-looking but reproducible.
bytes packed_rows(int width, int height, int bits, int max_value, uint32_t seed)
{
    size_t row = (size_t(width) * size_t(bits) + 7) / 8;
    if (bits >= 8) {
        bytes out = kxref::make_pixels(width, height, bits / 8, seed);
        if (max_value < 255)
            for (auto &b : out) b = uint8_t(b % (max_value + 1));
        return out;
    }
    bytes out(row * size_t(height), 0);
    uint32_t s = seed;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            s = s * 1664525u + 1013904223u;
            unsigned v = ((s >> 20) + unsigned(x / 3)) % unsigned(max_value + 1);
            out[size_t(y) * row + size_t(x * bits / 8)] |= uint8_t(v << (8 - bits - (x * bits) % 8));
        }
    return out;
}

void expect_same_as_libpng(const bytes &file, int depth)
{
    int w = 0, h = 0;
    bytes ref;
    ASSERT_TRUE(kxref::png_read(file, &w, &h, &ref));
    pic b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 0), 1);
    EXPECT_EQ(dims(b), (std::vector<int>{w, h, depth}));
    ASSERT_GE(kx_bit_buffer_bytes(&b), ref.size());
    EXPECT_EQ(px(b, ref.size()), ref);
}

}  // namespace

TEST(KxBitPng, MatchesLibpngInEveryColourTypeFilterAndInterlace)
{
    struct kind { int color_type, bit_depth, depth, max, palette; } kinds[] = {
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
                    kxref::png_options o{.color_type = k.color_type, .bit_depth = k.bit_depth, .interlace = interlace,
                                         .filters = f, .palette_size = k.palette};
                    bytes rows = packed_rows(sz[0], sz[1], k.depth, k.max, uint32_t(sz[0] * 31 + f));
                    bytes file = kxref::png_write(sz[0], sz[1], rows, o);
                    ASSERT_FALSE(file.empty());
                    expect_same_as_libpng(file, k.depth);
                }
}

TEST(KxBitPng, PalettesFollowTheLoadOption)
{
    bytes rows = packed_rows(10, 4, 8, 9, 3);
    bytes file = kxref::png_write(10, 4, rows, {.color_type = 3, .palette_size = 10});
    pic b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 1), 1);
    ASSERT_NE(b.palette, nullptr);
    EXPECT_EQ(b.palette->count, 10);
    EXPECT_EQ(b.palette->type, KX_PALETTE_RGB);
    EXPECT_EQ(bytes(b.palette->colors + 12, b.palette->colors + 14), (bytes{4 * 7, 255 - 4}));
    kx_bit_free(&b);

    // Without PLTE (libpng would not write one for type 3, so the chunk is cut out by hand).
    size_t at = 8;
    while (at + 8 <= file.size() && std::memcmp(file.data() + at + 4, "PLTE", 4) != 0)
        at += 12 + (size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3]);
    ASSERT_LT(at, file.size());
    file.erase(file.begin() + long(at), file.begin() + long(at + 12 + 30));
    EXPECT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 1), 0);
    EXPECT_EQ(b.pixels, nullptr);
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 0), 1);
    EXPECT_EQ(b.depth, 8);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_EQ(px(b), rows);
    kx_bit_free(&b);

    // Gray pictures get the shared gray palette and the gray flag under option 1 only.
    bytes gray = kxref::png_write(5, 3, packed_rows(5, 3, 4, 15, 9), {.color_type = 0, .bit_depth = 4});
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
}

TEST(KxBitPng, SixteenBitSamplesLoadButDoNotConvert)
{
    bytes rgb48 = kxref::make_pixels(9, 4, 6, 1);
    bytes file = kxref::png_write(9, 4, rgb48, {.bit_depth = 16});
    pic b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 1), 1);
    EXPECT_EQ(b.depth, 48);
    EXPECT_EQ(px(b), rgb48);
    EXPECT_EQ(kx_bit_convert(&b, 32), 0);
    kx_bit_free(&b);

    // Gray with alpha has depth 16 but is not the display's 16-bit format.
    file = kxref::png_write(9, 4, kxref::make_pixels(9, 4, 2, 1), {.color_type = 4});
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 1), 1);
    EXPECT_EQ(b.depth, 16);
    EXPECT_EQ(kx_bit_convert(&b, 24), 0);
    EXPECT_EQ(msg(), "Invalid conversion from 16 to 24 BPP in function kx_bit_convert.");
}

TEST(KxBitPng, BrokenFilesAreRefusedCleanly)
{
    // Stored deflate blocks: cutting anywhere cuts pixels.
    bytes file = kxref::png_write(40, 30, kxref::make_pixels(40, 30, 4, 2), {.color_type = 6, .compression = 0});
    pic b;
    ASSERT_EQ(kx_bit_decode_png(&b, file.data(), file.size(), 0), 1);
    kx_bit_free(&b);
    for (size_t cut : {size_t(0), size_t(7), size_t(20), size_t(40), file.size() / 2, file.size() - 20}) {
        EXPECT_EQ(kx_bit_decode_png(&b, file.data(), cut, 0), 0) << cut;
        EXPECT_EQ(b.pixels, nullptr);
    }
    // Signature, dimensions beyond the bounds, a bad filter method, a bad filter byte.
    for (auto [at, v] : {std::pair<size_t, uint8_t>{1, 'p'}, {16, 0x7F}, {20, 0x01}, {27, 1}, {26, 5}, {48, 7}}) {
        bytes f = file;
        f[at] = v;
        EXPECT_EQ(kx_bit_decode_png(&b, f.data(), f.size(), 0), 0) << at;
    }
}
