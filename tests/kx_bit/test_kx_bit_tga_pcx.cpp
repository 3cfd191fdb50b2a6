// TGA and PCX readers on files built here byte by byte from pixels the test knows, both row
// orders, run-length coding, palettes; the writers read back through the readers; hostile
// headers and cut files.
#include "tests/kx_bit/kx_bit_test.h"

#include "kx/kx_mem/kx_mem.h"

namespace {

void put16(bytes &b, size_t at, int v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// Known RGBA pixels with runs of equal ones (for the run-length packets).
bytes sample_rgba(int count)
{
    bytes px(size_t(count) * 4);
    for (int i = 0; i < count; i++) {
        int k = (i / 3) * 37;
        px[size_t(i) * 4] = uint8_t(k & 0xF8);
        px[size_t(i) * 4 + 1] = uint8_t((k * 3) & 0xF8);
        px[size_t(i) * 4 + 2] = uint8_t((k * 7 + 40) & 0xF8);
        px[size_t(i) * 4 + 3] = uint8_t(i * 11);
    }
    return px;
}

// One pixel as the TGA file stores it.
bytes tga_pixel(const uint8_t *rgba, int bits)
{
    if (bits == 16) {
        int v = (rgba[0] >> 3) << 10 | (rgba[1] >> 3) << 5 | (rgba[2] >> 3);
        return {uint8_t(v), uint8_t(v >> 8)};
    }
    bytes p = {rgba[2], rgba[1], rgba[0]};
    if (bits == 32) p.push_back(rgba[3]);
    return p;
}

bytes make_tga(int type, int bits, bool top_down, int w, int h, const bytes &rgba)
{
    bytes f(18, 0);
    f[0] = 3;   // an image ID to skip
    f[2] = uint8_t(type);
    put16(f, 12, w);
    put16(f, 14, h);
    f[16] = uint8_t(bits);
    f[17] = top_down ? 0x20 : 0;
    f.insert(f.end(), {'i', 'd', '!'});
    std::vector<bytes> pixels;
    for (int row = 0; row < h; row++) {
        int y = top_down ? row : h - 1 - row;
        for (int x = 0; x < w; x++) pixels.push_back(tga_pixel(rgba.data() + (size_t(y) * size_t(w) + size_t(x)) * 4, bits));
    }
    if (type == 2) {
        for (const bytes &p : pixels) f.insert(f.end(), p.begin(), p.end());
        return f;
    }
    // Run-length: runs of equal pixels as run packets, the rest as literal packets.
    for (size_t i = 0; i < pixels.size();) {
        size_t run = 1;
        while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) run++;
        if (run > 1) {
            f.push_back(uint8_t(0x80 | (run - 1)));
            f.insert(f.end(), pixels[i].begin(), pixels[i].end());
            i += run;
            continue;
        }
        size_t lit = 1;
        while (i + lit < pixels.size() && lit < 128 && pixels[i + lit] != pixels[i + lit - 1]) lit++;
        f.push_back(uint8_t(lit - 1));
        for (size_t k = 0; k < lit; k++) f.insert(f.end(), pixels[i + k].begin(), pixels[i + k].end());
        i += lit;
    }
    return f;
}

// The picture our reader should give for `rgba` at `bits`: 16-bit files keep their words.
bytes expected(const bytes &rgba, int bits)
{
    bytes out;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        bytes p = bits == 16 ? tga_pixel(&rgba[i], 16) : bytes(&rgba[i], &rgba[i] + bits / 8);
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// A PCX header: version 5, run-length coded, `bits` per pixel in `planes` planes, the picture
// spanning 0..xmax by 0..ymax, `line` bytes per plane line.
bytes pcx_header(int bits, int planes, int xmax, int ymax, int line)
{
    bytes f(128, 0);
    f[0] = 10, f[1] = 5, f[2] = 1, f[3] = uint8_t(bits), f[65] = uint8_t(planes);
    put16(f, 8, xmax);
    put16(f, 10, ymax);
    put16(f, 66, line);
    return f;
}

}  // namespace

TEST(KxBitTga, TrueColourInBothRowOrdersAndRunLength)
{
    const int w = 7, h = 5;
    bytes rgba = sample_rgba(w * h);
    for (int type : {2, 10})
        for (int bits : {16, 24, 32})
            for (bool top : {false, true}) {
                SCOPED_TRACE(testing::Message() << "type " << type << " bits " << bits << " top " << top);
                bytes f = make_tga(type, bits, top, w, h, rgba);
                pic b;
                ASSERT_EQ(kx_bit_decode_tga(&b, f.data(), f.size(), 1, "t.tga"), 1);
                EXPECT_EQ(dims(b), (std::vector<int>{w, h, bits == 16 ? 15 : bits}));
                EXPECT_EQ(px(b), expected(rgba, bits));
                kx_bit_free(&b);
                // Every cut of the file is refused without a leak or a stray read.
                for (size_t cut = 0; cut < f.size(); cut += 5) {
                    EXPECT_EQ(kx_bit_decode_tga(&b, f.data(), cut, 1, "t.tga"), 0) << cut;
                    EXPECT_EQ(b.pixels, nullptr);
                }
            }
}

TEST(KxBitTga, ColourMappedPicturesAndUnsupportedTypes)
{
    // Type 1, a map of two 24-bit entries, 2 x 1 pixels of 8 bits stored top-down.
    bytes f = {0, 1, 1, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20,
               30, 20, 10, 3, 2, 1,   // B, G, R of each entry
               1, 0};
    pic b;
    ASSERT_EQ(kx_bit_decode_tga(&b, f.data(), f.size(), 1, "m.tga"), 1);
    EXPECT_EQ(b.depth, 8);
    ASSERT_NE(b.palette, nullptr);
    EXPECT_EQ(b.palette->count, 256);
    EXPECT_EQ(bytes(b.palette->colors, b.palette->colors + 6), (bytes{10, 20, 30, 1, 2, 3}));
    EXPECT_EQ(px(b), (bytes{1, 0}));
    kx_bit_free(&b);
    // Without option 1 the map is skipped, not taken for pixels.
    ASSERT_EQ(kx_bit_decode_tga(&b, f.data(), f.size(), 0, "m.tga"), 1);
    EXPECT_EQ(b.palette, nullptr);
    EXPECT_EQ(px(b), (bytes{1, 0}));
    kx_bit_free(&b);

    f[2] = 3;
    EXPECT_EQ(kx_bit_decode_tga(&b, f.data(), f.size(), 1, "gray.tga"), 0);
    EXPECT_EQ(msg(), "TGA format not supported yet. (File gray.tga)");
}

TEST(KxBitPcx, EightBitWithPaletteFourBitPlanesAndTwentyFourBitPlanes)
{
    // 8 bits, 3 x 2: a run of three 200s (count byte 0xC3), then 5, 6 and a lone 0xC1 value
    // written as a run of one.
    bytes f = pcx_header(8, 1, 2, 1, 3);
    f.insert(f.end(), {0xC3, 200, 5, 6, 0xC1, 0xC1, 12});
    for (int i = 0; i < 256; i++) f.insert(f.end(), {uint8_t(i), uint8_t(255 - i), 7});
    pic b;
    ASSERT_EQ(kx_bit_decode_pcx(&b, f.data(), f.size(), 1, "a.pcx"), 1);
    EXPECT_EQ(b.depth, 8);
    EXPECT_EQ(px(b), (bytes{200, 200, 200, 5, 6, 0xC1}));
    ASSERT_NE(b.palette, nullptr);
    EXPECT_EQ(b.palette->colors[200 * 3 + 1], 55);
    kx_bit_free(&b);
    for (size_t cut : {size_t(100), size_t(128), size_t(131), size_t(133)})
        EXPECT_EQ(kx_bit_decode_pcx(&b, f.data(), cut, 0, "a.pcx"), 0) << cut;

    // 4 bits as four bit planes: 3 pixels with values 1, 10, 15; plane p holds bit p of each
    // pixel, leftmost pixel in the top bit.
    bytes g = pcx_header(1, 4, 2, 0, 2);
    for (int i = 0; i < 48; i++) g[16 + size_t(i)] = uint8_t(i * 5);
    g.insert(g.end(), {0xA0, 0, 0x60, 0, 0x20, 0, 0x60, 0});
    ASSERT_EQ(kx_bit_decode_pcx(&b, g.data(), g.size(), 1, "b.pcx"), 1);
    EXPECT_EQ(b.depth, 4);
    EXPECT_EQ(px(b), (bytes{0x1A, 0xF0}));
    ASSERT_NE(b.palette, nullptr);
    EXPECT_EQ(b.palette->count, 16);
    EXPECT_EQ(b.palette->colors[47], 235);
    ASSERT_EQ(kx_bit_convert(&b, 8), 1);
    EXPECT_EQ(b.pixels[1], 10);
    kx_bit_free(&b);

    // 24 bits: red, green and blue planes per line.
    bytes t = pcx_header(8, 3, 1, 0, 2);
    t.insert(t.end(), {1, 2, 3, 4, 0xC2, 9});
    ASSERT_EQ(kx_bit_decode_pcx(&b, t.data(), t.size(), 1, "c.pcx"), 1);
    EXPECT_EQ(b.depth, 24);
    EXPECT_EQ(px(b), (bytes{1, 3, 9, 2, 4, 9}));
    kx_bit_free(&b);

    t[65] = 2;
    EXPECT_EQ(kx_bit_decode_pcx(&b, t.data(), t.size(), 1, "d.pcx"), 0);
    EXPECT_EQ(msg(), "PCX format not supported yet. (File d.pcx)");
    // A bytes-per-line shorter than the width would overrun the line.
    t[65] = 3;
    put16(t, 8, 200);
    EXPECT_EQ(kx_bit_decode_pcx(&b, t.data(), t.size(), 1, "e.pcx"), 0);
}

TEST(KxBitSave, WrittenFilesReadBackThroughOurReaders)
{
    // 8 bits -> PCX with long runs (over 63) and high bytes.
    pic b(150, 3, 8);
    for (int i = 0; i < 450; i++) b.pixels[i] = uint8_t(i < 140 ? 7 : i < 300 ? 250 : i);
    b.palette = kx_pal_alloc(nullptr, 256, 1 | 4);
    uint8_t *data = nullptr;
    size_t size = 0;
    ASSERT_EQ(kx_bit_encode(&b, nullptr, &data, &size), 1);
    EXPECT_EQ(data[size - 769], 12);
    pic back;
    ASSERT_EQ(kx_bit_decode_pcx(&back, data, size, 1, "s.pcx"), 1);
    EXPECT_EQ(px(back), px(b));
    EXPECT_EQ(bytes(back.palette->colors, back.palette->colors + 768), bytes(b.palette->colors, b.palette->colors + 768));
    kx_bit_free(&back);
    kx_mem_free(data);

    // A rectangle of it.
    KX_RECT part = {140, 1, 20, 5};
    ASSERT_EQ(kx_bit_encode(&b, &part, &data, &size), 1);
    ASSERT_EQ(kx_bit_decode_pcx(&back, data, size, 0, "s.pcx"), 1);
    EXPECT_EQ((std::vector<int>{back.width, back.height}), (std::vector<int>{10, 2}));
    EXPECT_EQ(px(back, 10), bytes(b.pixels + 150 + 140, b.pixels + 150 + 150));
    kx_bit_free(&back);
    kx_mem_free(data);

    // 24 -> TGA, 32 -> TGA keeping alpha, 15 -> TGA.
    pic fifteen(150, 3, 15);
    for (int i = 0; i < 900; i++) fifteen.pixels[i] = uint8_t(i * 13);
    for (int depth : {24, 32, 15}) {
        SCOPED_TRACE(depth);
        ASSERT_EQ(kx_bit_convert(&b, depth == 15 ? 24 : depth), 1);
        const KX_BITMAP &src = depth == 15 ? fifteen : b;
        ASSERT_EQ(kx_bit_encode(&src, nullptr, &data, &size), 1);
        ASSERT_EQ(kx_bit_decode_tga(&back, data, size, 0, "s.tga"), 1);
        EXPECT_EQ(back.depth, depth);
        EXPECT_EQ(px(back), px(src));
        kx_bit_free(&back);
        kx_mem_free(data);
    }
}
