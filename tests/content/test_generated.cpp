// assetgen's output: the same sources give the same bytes, pictures are valid PNG files the
// game's reader accepts, and the small binary tables have their exact layouts.
#include "tests/content/content_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> tree(const std::string &root)
{
    std::map<std::string, std::string> files;
    for (const auto &e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string bytes;
        content_read(e.path().string(), bytes);
        files[fs::relative(e.path(), root).generic_string()] = bytes;
    }
    return files;
}

uint32_t be32(const std::string &b, size_t at)
{
    return uint32_t(uint8_t(b[at])) << 24 | uint8_t(b[at + 1]) << 16 | uint8_t(b[at + 2]) << 8 | uint8_t(b[at + 3]);
}

// Walks the chunks, checks their CRCs, inflates the image data and checks its size. Empty on
// success, else what is wrong.
std::string check_png(const std::string &png)
{
    if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return "no signature";
    size_t at = 8;
    uint32_t w = 0, h = 0;
    int type = -1;
    std::string idat;
    bool end = false;
    while (at + 12 <= png.size() && !end) {
        uint32_t len = be32(png, at);
        if (at + 12 + len > png.size()) return "chunk past the end";
        std::string kind = png.substr(at + 4, 4);
        if (crc32(0L, (const Bytef *)png.data() + at + 4, len + 4) != be32(png, at + 8 + len)) return "bad CRC in " + kind;
        if (kind == "IHDR") {
            w = be32(png, at + 8), h = be32(png, at + 12), type = uint8_t(png[at + 17]);
            if (png[at + 16] != 8 || png[at + 20] != 0) return "not 8-bit or interlaced";
        } else if (kind == "IDAT") {
            idat += png.substr(at + 8, len);
        } else if (kind == "IEND") {
            end = true;
        }
        at += 12 + len;
    }
    if (!end) return "no IEND";
    static const int samples[7] = {1, 0, 3, 1, 2, 0, 4};
    if (type < 0 || type > 6 || samples[type] == 0) return "colour type " + std::to_string(type);
    size_t expect = size_t(h) * (1 + size_t(w) * samples[type]);
    std::vector<uint8_t> raw(expect + 1);
    uLongf raw_len = raw.size();
    if (uncompress(raw.data(), &raw_len, (const Bytef *)idat.data(), idat.size()) != Z_OK) return "bad deflate data";
    if (raw_len != expect) return "wrong amount of image data";
    for (uint32_t y = 0; y < h; y++)
        if (raw[y * (expect / h)] > 4) return "bad filter byte";
    return "";
}

} // namespace

TEST(Generated, SameSourcesGiveSameBytes)
{
    // The shared folder holds an earlier run (plus, in the build's folder, the copied text
    // files); a second run must give the same bytes for every file it writes.
    const std::string &a = content_generated_dir();
    std::string b = content_temp_dir("det_b");
    ASSERT_EQ(content_run_assetgen(b), 0);
    std::map<std::string, std::string> ta = tree(a), tb = tree(b);
    ASSERT_GT(tb.size(), 300u);
    for (const auto &[name, bytes] : tb) {
        ASSERT_TRUE(ta.count(name)) << name;
        EXPECT_TRUE(bytes == ta[name]) << name << " differs between two runs";
    }
    // The game names these directly; the rest comes through the world and particle files.
    for (const char *f : {"data/transp.tab", "data/font.dat", "data/highscor.ori", "level/brick.map", "gfx/splash.png", "gfx/game.pal"})
        EXPECT_TRUE(tb.count(f)) << f;
    for (int i = 1; i <= 8; i++) EXPECT_TRUE(tb.count("gfx/backgrou/" + std::to_string(i) + ".png")) << i;
    fs::remove_all(b);
}

TEST(Generated, PicturesAreValidPng)
{
    int count = 0;
    for (const auto &[name, bytes] : tree(content_generated_dir()))
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) {
            EXPECT_EQ(check_png(bytes), "") << name;
            count++;
        }
    EXPECT_GT(count, 300);
}

TEST(Generated, TransparencyTables)
{
    std::string tab, pal;
    ASSERT_TRUE(content_read(content_generated_dir() + "/data/transp.tab", tab));
    ASSERT_TRUE(content_read(content_generated_dir() + "/gfx/game.pal", pal));
    ASSERT_GE(tab.size(), 1u);
    int n = uint8_t(tab[0]);
    EXPECT_GE(n, 5);
    ASSERT_EQ(tab.size(), 1 + size_t(n) * 65536);
    auto entry = [&](int table, int row, int col) { return uint8_t(tab[1 + size_t(table) * 65536 + row * 256 + col]); };
    // Table 4 holds the colour codes: tint 0 at full light leaves every colour as it is,
    // tint 14 is black, and a lower light never brightens a colour.
    auto lum = [&](int i) { return uint8_t(pal[i * 3]) + uint8_t(pal[i * 3 + 1]) + uint8_t(pal[i * 3 + 2]); };
    for (int c = 0; c < 256; c++) {
        EXPECT_EQ(pal.substr(entry(4, 15, c) * 3, 3), pal.substr(c * 3, 3)) << "colour " << c;
        EXPECT_EQ(lum(entry(4, 14 * 16 + 15, c)), 0);
        EXPECT_LE(lum(entry(4, 8, c)), lum(c) + 30);
    }
    // Table 0 blends half and half: a colour over itself stays itself.
    for (int c = 0; c < 256; c++) EXPECT_EQ(lum(entry(0, c, c)), lum(c));
}

TEST(Generated, EditorFontAndHighScores)
{
    std::string font;
    ASSERT_TRUE(content_read(content_generated_dir() + "/data/font.dat", font));
    ASSERT_EQ(font.size(), 224u * 7);
    for (int g = 0; g < 224; g++) {
        int bits = 0;
        for (int r = 0; r < 7; r++) bits |= uint8_t(font[g * 7 + r]);
        EXPECT_EQ(bits & 0xE0, 0) << "glyph " << g << " is wider than 5 pixels";
        // Letters, digits and signs are drawn (62 is the space); the rest are blank.
        EXPECT_TRUE(g == 62 || (bits != 0) == (g < 83)) << "glyph " << g;
    }
    std::string hs;
    ASSERT_TRUE(content_read(content_generated_dir() + "/data/highscor.ori", hs));
    ASSERT_EQ(hs.size(), 40u);
    const std::string alphabet = " ABCDEFGHIJKLMNOPQRSTUVWXYZ.,;!@#$%&*()+-=";
    int32_t previous = INT32_MAX;
    for (int i = 0; i < 5; i++) {
        const char *e = hs.data() + i * 8;
        int32_t score = int32_t(uint8_t(e[0]) | uint8_t(e[1]) << 8 | uint8_t(e[2]) << 16 | uint32_t(uint8_t(e[3])) << 24);
        EXPECT_GT(score, 0);
        EXPECT_LE(score, previous) << "entry " << i;
        previous = score;
        for (int k = 0; k < 3; k++) EXPECT_NE(alphabet.find(hs[i * 8 + 4 + k]), std::string::npos);
        EXPECT_EQ(hs[i * 8 + 7], 0);
    }
}
