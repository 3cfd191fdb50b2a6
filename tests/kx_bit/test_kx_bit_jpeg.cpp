// JPEG reader against libjpeg on files libjpeg writes: every sampling layout, gray, restart
// intervals, optimised tables, several qualities. We hold to PSNR >= 50 dB against libjpeg's
// default decode and a largest single-channel error of at most 6 (the two differ only in
// rounding of the inverse DCT and the chroma filters).
#include "tests/kx_bit/kx_bit_test.h"

#include <cmath>
#include <cstdlib>

namespace {

// Encodes make_pixels(w, h) with libjpeg and checks our decode against libjpeg's.
void expect_close_to_libjpeg(int w, int h, uint32_t seed, const kxref::jpeg_options &o)
{
    bytes file = kxref::jpeg_write(w, h, kxref::make_pixels(w, h, o.components, seed), o), ref;
    ASSERT_FALSE(file.empty());
    int rw = 0, rh = 0;
    ASSERT_TRUE(kxref::jpeg_read(file, &rw, &rh, &ref));
    pic b;
    ASSERT_EQ(kx_bit_decode_jpeg(&b, file.data(), file.size(), 1), 1);
    ASSERT_EQ(dims(b), (std::vector<int>{rw, rh, 24}));
    EXPECT_EQ(b.palette, nullptr);
    double se = 0;
    int worst = 0;
    for (size_t i = 0; i < ref.size(); i++) {
        int d = std::abs(int(b.pixels[i]) - int(ref[i]));
        se += double(d) * d;
        worst = std::max(worst, d);
    }
    double mse = se / double(ref.size());
    EXPECT_GE(mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse), 50.0);   // PSNR
    EXPECT_LE(worst, 6);
}

}  // namespace

TEST(KxBitJpeg, CloseToLibjpegInEverySamplingLayout)
{
    struct layout { int h[3], v[3]; } layouts[] = {
        {{1, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {2, 1, 1}}, {{1, 1, 1}, {2, 1, 1}},
        {{4, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {2, 2, 2}}, {{1, 2, 1}, {1, 2, 1}}, {{3, 1, 1}, {1, 1, 1}},
    };
    const int sizes[][2] = {{64, 48}, {33, 17}, {1, 1}, {250, 9}};
    for (const layout &l : layouts)
        for (const auto &sz : sizes)
            for (int quality : {50, 90}) {
                SCOPED_TRACE(testing::Message() << "h " << l.h[0] << l.h[1] << l.h[2] << " v " << l.v[0] << l.v[1]
                                                << l.v[2] << " " << sz[0] << "x" << sz[1] << " q" << quality);
                kxref::jpeg_options o{.quality = quality};
                std::copy(l.h, l.h + 3, o.h);
                std::copy(l.v, l.v + 3, o.v);
                expect_close_to_libjpeg(sz[0], sz[1], 7, o);
            }
}

TEST(KxBitJpeg, GrayRestartsAndOptimisedTables)
{
    expect_close_to_libjpeg(71, 29, 3, {.quality = 75, .components = 1});
    for (int rows : {1, 2}) {
        expect_close_to_libjpeg(130, 70, 4, {.quality = 95, .restart_rows = rows});
        expect_close_to_libjpeg(45, 45, 4, {.quality = 75, .components = 1, .restart_rows = rows});
    }
    expect_close_to_libjpeg(90, 40, 8, {.quality = 100, .optimize = true});
}

TEST(KxBitJpeg, CutDamagedAndProgressiveFilesAreRefusedCleanly)
{
    bytes file = kxref::jpeg_write(120, 90, kxref::make_pixels(120, 90, 3, 2), {.quality = 98});
    pic b;
    for (size_t cut : {size_t(1), size_t(3), size_t(100), size_t(400), file.size() / 2, file.size() - 200}) {
        EXPECT_EQ(kx_bit_decode_jpeg(&b, file.data(), cut, 1), 0) << cut;
        EXPECT_EQ(b.pixels, nullptr);
    }
    bytes bad = file;
    bad[0] = 0;
    EXPECT_EQ(kx_bit_decode_jpeg(&b, bad.data(), bad.size(), 1), 0);
    // A Huffman table claiming more symbols than its segment holds.
    bad = file;
    for (size_t i = 2; i + 4 < bad.size(); i++)
        if (bad[i] == 0xFF && bad[i + 1] == 0xC4) {
            bad[i + 5] = 0xFF;
            break;
        }
    EXPECT_EQ(kx_bit_decode_jpeg(&b, bad.data(), bad.size(), 1), 0);
    // Progressive files are not read.
    bad = kxref::jpeg_write(40, 40, kxref::make_pixels(40, 40, 3, 1), {.progressive = true});
    EXPECT_EQ(kx_bit_decode_jpeg(&b, bad.data(), bad.size(), 1), 0);
    EXPECT_EQ(b.pixels, nullptr);
}
