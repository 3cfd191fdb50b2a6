// JPEG reader against libjpeg on files libjpeg writes: every sampling layout, gray, restart
// intervals, optimised tables, several qualities. We hold to PSNR >= 50 dB against libjpeg's
// default decode and a largest single-channel error of at most 6 (the two differ only in
// rounding of the inverse DCT and the chroma filters).
#include "kx/kx_bit/kx_bit.h"
#include "tests/kx_bit/kx_bit_ref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void expect_close_to_libjpeg(const kxref::bytes &file)
{
    int w = 0, h = 0;
    kxref::bytes ref;
    ASSERT_TRUE(kxref::jpeg_read(file, &w, &h, &ref));
    KX_BITMAP b;
    ASSERT_EQ(kx_bit_decode_jpeg(&b, file.data(), file.size(), 1), 1);
    ASSERT_EQ(b.width, w);
    ASSERT_EQ(b.height, h);
    EXPECT_EQ(b.depth, 24);
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
    kx_bit_free(&b);
}

}  // namespace

TEST(KxBitJpeg, CloseToLibjpegInEverySamplingLayout)
{
    struct layout {
        int h[3], v[3];
    } layouts[] = {
        {{1, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {2, 1, 1}}, {{1, 1, 1}, {2, 1, 1}},
        {{4, 1, 1}, {1, 1, 1}}, {{2, 1, 1}, {2, 2, 2}}, {{1, 2, 1}, {1, 2, 1}}, {{3, 1, 1}, {1, 1, 1}},
    };
    const int sizes[][2] = {{64, 48}, {33, 17}, {1, 1}, {250, 9}};
    for (const layout &l : layouts)
        for (const auto &sz : sizes)
            for (int quality : {50, 90}) {
                SCOPED_TRACE(testing::Message() << "h " << l.h[0] << l.h[1] << l.h[2] << " v " << l.v[0] << l.v[1]
                                                << l.v[2] << " " << sz[0] << "x" << sz[1] << " q" << quality);
                kxref::jpeg_options o;
                o.quality = quality;
                std::memcpy(o.h, l.h, sizeof o.h);
                std::memcpy(o.v, l.v, sizeof o.v);
                kxref::bytes file = kxref::jpeg_write(sz[0], sz[1], kxref::make_pixels(sz[0], sz[1], 3, 7), o);
                ASSERT_FALSE(file.empty());
                expect_close_to_libjpeg(file);
            }
}

TEST(KxBitJpeg, GrayRestartsAndOptimisedTables)
{
    kxref::jpeg_options gray;
    gray.components = 1;
    gray.quality = 75;
    expect_close_to_libjpeg(kxref::jpeg_write(71, 29, kxref::make_pixels(71, 29, 1, 3), gray));

    for (int rows : {1, 2}) {
        kxref::jpeg_options o;
        o.restart_rows = rows;
        o.quality = 95;
        expect_close_to_libjpeg(kxref::jpeg_write(130, 70, kxref::make_pixels(130, 70, 3, 4), o));
        gray.restart_rows = rows;
        expect_close_to_libjpeg(kxref::jpeg_write(45, 45, kxref::make_pixels(45, 45, 1, 4), gray));
    }
    kxref::jpeg_options opt;
    opt.optimize = true;
    opt.quality = 100;
    expect_close_to_libjpeg(kxref::jpeg_write(90, 40, kxref::make_pixels(90, 40, 3, 8), opt));
}

TEST(KxBitJpeg, ProgressiveFilesGiveNoPicture)
{
    kxref::jpeg_options o;
    o.progressive = true;
    kxref::bytes file = kxref::jpeg_write(40, 40, kxref::make_pixels(40, 40, 3, 1), o);
    KX_BITMAP b;
    EXPECT_EQ(kx_bit_decode_jpeg(&b, file.data(), file.size(), 1), 0);
    EXPECT_EQ(b.pixels, nullptr);
}

TEST(KxBitJpeg, CutAndDamagedFilesAreRefusedCleanly)
{
    kxref::jpeg_options o;
    o.quality = 98;
    kxref::bytes file = kxref::jpeg_write(120, 90, kxref::make_pixels(120, 90, 3, 2), o);
    KX_BITMAP b;
    for (size_t cut : {size_t(1), size_t(3), size_t(100), size_t(400), file.size() / 2, file.size() - 200}) {
        EXPECT_EQ(kx_bit_decode_jpeg(&b, file.data(), cut, 1), 0) << cut;
        EXPECT_EQ(b.pixels, nullptr);
    }
    kxref::bytes bad = file;
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
}
