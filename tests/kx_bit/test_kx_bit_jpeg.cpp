// JPEG reader against libjpeg on files libjpeg writes: every sampling layout, gray, restart
// intervals, optimised tables, component-by-component scans, several qualities. We hold to
// PSNR >= 50 dB against libjpeg's default decode and a largest single-channel error of at most
// 6 (the two differ only in rounding of the inverse DCT and the chroma filters). Every kernel set
// the processor has, and the band-by-band output, must give the same bytes.
#include "tests/kx_bit/kx_bit_test.h"

#include "kx/kx_bit/kx_bit_jpeg_local.h"

#include <cmath>
#include <cstdlib>

namespace {

// The rows a band-by-band decode hands out, glued together.
struct bands {
    int width = 0, height = 0, next = 0, calls = 0, stop_after = -1;
    bytes rgb;
};

int take_band(void *user, int width, int height, int y, int count, const uint8_t *rgb)
{
    bands &b = *static_cast<bands *>(user);
    EXPECT_EQ(y, b.next);   // top to bottom, no gaps
    b.width = width, b.height = height, b.next = y + count;
    b.rgb.insert(b.rgb.end(), rgb, rgb + size_t(width) * size_t(count) * 3);
    return ++b.calls != b.stop_after;
}

// Our decode of `file` with the default kernels, after checking that every other kernel set and
// the band-by-band output give the same bytes.
bytes decode_all_ways(const bytes &file, int *w, int *h)
{
    KX_JPEG_ISA isa = kx_jpeg_kernels_isa();
    pic b;
    EXPECT_EQ(kx_bit_decode_jpeg(&b, file.data(), file.size(), 1), 1);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_EQ(b.depth, 24);
    *w = b.width, *h = b.height;
    bytes ours = b.pixels ? px(b) : bytes();
    for (KX_JPEG_ISA other : {KX_JPEG_ISA_SCALAR, KX_JPEG_ISA_SSE2, KX_JPEG_ISA_AVX2}) {
        if (other == isa || !kx_jpeg_kernels_choose(other)) continue;
        pic o;
        EXPECT_EQ(kx_bit_decode_jpeg(&o, file.data(), file.size(), 1), 1);
        EXPECT_TRUE(o.pixels && px(o) == ours) << "kernel set " << other;
    }
    kx_jpeg_kernels_choose(isa);
    bands s;
    EXPECT_EQ(kx_bit_decode_jpeg_rows(file.data(), file.size(), take_band, &s), 1);
    EXPECT_EQ((std::vector<int>{s.width, s.height}), (std::vector<int>{*w, *h}));
    EXPECT_TRUE(s.rgb == ours) << "band by band";
    return ours;
}

// Encodes make_pixels(w, h) with libjpeg and checks our decode against libjpeg's.
void expect_close_to_libjpeg(int w, int h, uint32_t seed, const kxref::jpeg_options &o)
{
    bytes file = kxref::jpeg_write(w, h, kxref::make_pixels(w, h, o.components, seed), o), ref;
    ASSERT_FALSE(file.empty());
    int rw = 0, rh = 0;
    ASSERT_TRUE(kxref::jpeg_read(file, &rw, &rh, &ref));
    int ow = 0, oh = 0;
    bytes ours = decode_all_ways(file, &ow, &oh);
    ASSERT_EQ((std::vector<int>{ow, oh}), (std::vector<int>{rw, rh}));
    ASSERT_EQ(ours.size(), ref.size());
    double se = 0;
    int worst = 0;
    for (size_t i = 0; i < ref.size(); i++) {
        int d = std::abs(int(ours[i]) - int(ref[i]));
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
    // Widths around the vector kernels' steps (16 and 32 pixels) and their edges.
    const int sizes[][2] = {{64, 48}, {33, 17}, {1, 1}, {250, 9}, {47, 40}, {97, 3}};
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

TEST(KxBitJpeg, GrayRestartsOptimisedTablesAndComponentScans)
{
    expect_close_to_libjpeg(71, 29, 3, {.quality = 75, .components = 1});
    for (int rows : {1, 2}) {
        expect_close_to_libjpeg(130, 70, 4, {.quality = 95, .restart_rows = rows});
        expect_close_to_libjpeg(45, 45, 4, {.quality = 75, .components = 1, .restart_rows = rows});
    }
    expect_close_to_libjpeg(90, 40, 8, {.quality = 100, .optimize = true});
    // Planes held whole and converted at the end.
    expect_close_to_libjpeg(77, 53, 5, {.quality = 85, .component_scans = true});
    expect_close_to_libjpeg(40, 70, 6, {.quality = 95, .h = {1, 1, 1}, .v = {1, 1, 1}, .restart_rows = 1, .component_scans = true});
}

TEST(KxBitJpeg, CutDamagedAndProgressiveFilesAreRefusedCleanly)
{
    bytes file = kxref::jpeg_write(120, 90, kxref::make_pixels(120, 90, 3, 2), {.quality = 98});
    pic b;
    for (size_t cut : {size_t(1), size_t(3), size_t(100), size_t(400), file.size() / 2, file.size() - 200}) {
        EXPECT_EQ(kx_bit_decode_jpeg(&b, file.data(), cut, 1), 0) << cut;
        EXPECT_EQ(b.pixels, nullptr);
        bands s;
        EXPECT_EQ(kx_bit_decode_jpeg_rows(file.data(), cut, take_band, &s), 0) << cut;
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

TEST(KxBitJpeg, BandReceiverCanStopTheDecode)
{
    bytes file = kxref::jpeg_write(64, 100, kxref::make_pixels(64, 100, 3, 9), {});
    bands s;
    s.stop_after = 2;
    EXPECT_EQ(kx_bit_decode_jpeg_rows(file.data(), file.size(), take_band, &s), 0);
    EXPECT_EQ(s.calls, 2);
    EXPECT_EQ(s.next, 32);   // two MCU rows of 4:2:0
}

TEST(KxBitJpeg, ShortInverseDctGivesTheFullOnesBytes)
{
    // Blocks with coefficients in the first ten zigzag positions only, large and small, through
    // both transforms of every kernel set.
    static const int natural[10] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24};
    uint32_t seed = 1;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    KX_JPEG_ISA isa = kx_jpeg_kernels_isa();
    for (KX_JPEG_ISA set : {KX_JPEG_ISA_SCALAR, KX_JPEG_ISA_SSE2, KX_JPEG_ISA_AVX2}) {
        if (!kx_jpeg_kernels_choose(set)) continue;
        const KX_JPEG_KERNELS *k = kx_jpeg_kernels();
        for (int trial = 0; trial < 300; trial++) {
            int16_t coef[64] = {};
            float q[64];
            for (float &f : q) f = 0.05f + float(next() % 2000) / 100.0f;
            for (int i = 0; i < 1 + int(next() % 10); i++)
                coef[(natural[i] & 7) * 8 + (natural[i] >> 3)] = int16_t((int(next() % 2048) - 1024) >> (trial % 4 * 3));
            uint8_t full[64], quick[64];
            k->idct(coef, q, full, 8);
            k->idct4(coef, q, quick, 8);
            ASSERT_EQ(bytes(full, full + 64), bytes(quick, quick + 64)) << "kernel set " << set << ", trial " << trial;
        }
    }
    kx_jpeg_kernels_choose(isa);
}
