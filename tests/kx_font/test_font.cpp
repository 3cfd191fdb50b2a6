// Tests of the font module: loading ".fnt" files with still and animated glyph rows, the added
// space, aliases, section numbering, errors and their details, searching, glyph frames, the
// UTF-8 decoder and every print flag.
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_font/kx_font.h"
#include "kx/kx_mem/kx_mem.h"
#include "tests/kx_font/flic_build.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using px = std::vector<uint8_t>;

int32_t font_report = 0;
KX_MEM_SETTINGS mem_settings = {0, 0};

struct font_holder {
    KX_FONT f{};
    ~font_holder() { kx_font_free(&f); }
};

std::vector<int> rect(const KX_RECT &r) { return {r.x, r.y, r.width, r.height}; }
px row_of(const KX_BITMAP &b, int y, int n) { return {b.pixels + y * b.width, b.pixels + y * b.width + n}; }

// An 8-bit target bitmap filled with one value.
struct target_holder {
    KX_BITMAP b{};
    target_holder(int w, int h, uint8_t v)
    {
        KX_RECT r = {0, 0, int16_t(w), int16_t(h)};
        kx_bit_alloc(&b, &r, 8);
        fill(v);
    }
    ~target_holder() { kx_bit_free(&b); }
    void fill(uint8_t v) { std::memset(b.pixels, v, size_t(b.width) * b.height); }
};

// The memory manager and the font module run for the whole program.
class FontEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        kx_mem_init(&mem_settings);
        kx_font_init(&font_report);
    }
    void TearDown() override
    {
        kx_font_done();
        kx_mem_deinit();
    }
};
const auto *font_environment = ::testing::AddGlobalTestEnvironment(new FontEnvironment);

// Each test gets a temporary folder of font files and glyph sheets.
class FontTest : public ::testing::Test {
protected:
    fs::path dir;
    KX_MEM_STATS before{};
    bool count_blocks = true;

    void SetUp() override
    {
        static int serial = 0;
        kx_mem_stats_get(&before);
        font_report = 0;
        dir = fs::temp_directory_path() / ("vm_font_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
        fs::create_directories(dir);
    }
    // Loading and freeing fonts returns every block the module took (printing keeps scratch
    // buffers, so the print tests skip the count).
    void TearDown() override
    {
        KX_MEM_STATS after;
        kx_mem_stats_get(&after);
        if (count_blocks) {
            EXPECT_EQ(after.count, before.count);
            EXPECT_EQ(after.tracked, before.tracked);
        }
        font_report = 0;
        fs::remove_all(dir);
    }

    std::string path(const std::string &name) const { return (dir / name).string(); }
    void write(const std::string &name, const std::string &text) const { std::ofstream(dir / name) << text; }
    void write(const std::string &name, const flic_bytes &b) const
    {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), long(b.size()));
    }
    int load(KX_FONT &f, const std::string &name) { return kx_font_load(&f, path(name).c_str(), 0); }

    // An 8-bit PCX sheet of cols x rows cells of w x h. Cell k (row by row) holds ink of value
    // k + 1 in columns 1 .. 1 + k % 3 of every line; the rest is index 0.
    void sheet(const std::string &name, int cols, int rows, int w, int h) const
    {
        target_holder t(cols * w, rows * h, 0);
        t.b.palette = kx_pal_alloc(nullptr, 256, 1 | 4);
        for (int k = 0; k < cols * rows; k++)
            for (int y = 0; y < h; y++)
                for (int x = 1; x <= 1 + k % 3 && x < w; x++)
                    t.b.pixels[((k / cols) * h + y) * t.b.width + (k % cols) * w + x] = uint8_t(k + 1);
        uint8_t *data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(kx_bit_encode(&t.b, nullptr, &data, &size));
        write(name, flic_bytes(data, data + size));
        kx_mem_free(data);
    }
};

// Font properties plus one image section with the given rows.
std::string fnt_text(int version, const std::string &section, const std::string &image,
                     const std::vector<std::string> &lines, const std::string &extra = "")
{
    std::string t = "[Font Properties]\nName=Test\nVersion=" + std::to_string(version) +
                    "\nWidth=4\nHeight=5\nNumFiles=1\n\n[" + section + "]\nName=" + image +
                    "\nType=1\nNumLines=" + std::to_string(lines.size()) + "\n";
    char key[16];
    for (size_t i = 0; i < lines.size(); i++) {
        std::snprintf(key, sizeof key, "Line%03d=", int(i + 1) % 1000);
        t += key + lines[i] + "\n";
    }
    return t + extra;
}

} // namespace

TEST_F(FontTest, StillImageRowsSortedWithAddedSpace)
{
    sheet("s.pcx", 3, 2, 4, 5);
    write("a.fnt", fnt_text(1, "File001", "s.pcx", {"CAB", "ED"}));
    font_holder h;
    ASSERT_EQ(load(h.f, "a.fnt"), 1);
    EXPECT_STREQ(h.f.name, "Test");
    EXPECT_EQ((std::vector<int>{h.f.version, h.f.width, h.f.height, h.f.default_char}), (std::vector<int>{1, 4, 5, 1}));
    ASSERT_EQ(h.f.count, 6);
    std::string codes;
    for (int i = 0; i < h.f.count; i++) codes += char(h.f.chars[i].code);
    EXPECT_EQ(codes, " ABCDE");

    // 'E' is cell 3 (second row, first column): ink value 4 in column 1.
    KX_FONT_PLACE place;
    KX_BITMAP *e = kx_font_glyph(&h.f, 'E', 1, &place);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->depth, 8);
    EXPECT_EQ(row_of(*e, 4, 4), (px{0, 4, 0, 0}));
    EXPECT_EQ((std::vector<int>{place.source.x, place.source.y, place.extent.x, place.extent.width}),
              (std::vector<int>{0, 5, 1, 1}));
    KX_BITMAP *a = kx_font_glyph(&h.f, 'A', 1, &place);
    EXPECT_EQ(row_of(*a, 0, 4), (px{0, 2, 2, 0}));
    EXPECT_EQ(place.extent.width, 2);

    // The space is blank, cell-sized, in the glyphs' format, and stands in for missing codes.
    KX_BITMAP *space = kx_font_glyph(&h.f, ' ', 1, nullptr);
    ASSERT_NE(space, nullptr);
    EXPECT_EQ((std::vector<int>{space->width, space->height, space->depth}), (std::vector<int>{4, 5, 8}));
    EXPECT_EQ(std::count(space->pixels, space->pixels + 20, 0), 20);
    EXPECT_EQ(kx_font_glyph(&h.f, 'Z', 1, nullptr), space);
    EXPECT_EQ(space->palette, a->palette);
}

TEST_F(FontTest, Utf8RowsBothNumberingsAndAliases)
{
    sheet("s.pcx", 4, 1, 4, 5);
    write("v1.fnt", fnt_text(1, "File001", "s.pcx", {"\xC3\xA9\xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80"}));
    write("v2.fnt", fnt_text(2, "File000001", "s.pcx", {"A B"}));
    write("v2as1.fnt", fnt_text(1, "File000001", "s.pcx", {"A B"}));
    write("m.fnt", fnt_text(1, "File001", "s.pcx", {"ABC"}, "[Character Properties]\nMapSrc=xyAz\nMapDst=ABC\n"));
    font_holder h1, h2, h3, m;
    ASSERT_EQ(load(h1.f, "v1.fnt"), 1);
    for (uint32_t code : {0xE9u, 0xDFu, 0x20ACu, 0x1F600u}) {
        int i = kx_font_find(&h1.f, code);
        ASSERT_GT(i, 0);
        EXPECT_EQ(h1.f.chars[i - 1].code, code);
    }
    ASSERT_EQ(load(h2.f, "v2.fnt"), 1);
    EXPECT_EQ(h2.f.version, 2);
    EXPECT_EQ(h2.f.count, 3);   // the row's own space is kept, none added
    kx_error_pending.code = -1;
    ASSERT_EQ(load(h3.f, "v2as1.fnt"), 1);
    EXPECT_EQ(h3.f.count, 1);   // only the added space
    EXPECT_EQ(kx_error_pending.code, KX_FONT_ERR_INCOMPLETE);
    EXPECT_STREQ(kx_error_module_name(kx_error_pending.module), "Font");

    // MapSrc and MapDst of different lengths: only the common length maps.
    ASSERT_EQ(load(m.f, "m.fnt"), 1);
    auto entry = [&](uint32_t c) { return m.f.chars[kx_font_find(&m.f, c) - 1]; };
    EXPECT_EQ(entry('x').code, uint32_t('x'));
    EXPECT_EQ(entry('x').owns, 0);
    EXPECT_EQ(entry('x').data, entry('A').data);
    EXPECT_EQ(entry('y').data, entry('B').data);
    EXPECT_EQ(entry('A').owns, 1);              // an existing source is left alone
    EXPECT_EQ(entry('z').code, uint32_t(' '));  // past the common length: not mapped
    EXPECT_EQ(m.f.count, 6);
}

TEST_F(FontTest, LoadErrorsAndTheirDetails)
{
    sheet("s.pcx", 3, 1, 4, 5);
    font_holder h;
    EXPECT_EQ(kx_font_load(nullptr, "x.fnt", 0), 0);
    EXPECT_EQ(kx_error_pending.code, KX_FONT_ERR_POINTER);
    EXPECT_EQ(load(h.f, "none.fnt"), 0);
    EXPECT_EQ(kx_error_pending.code, KX_FONT_ERR_NO_FILE);
    EXPECT_EQ(kx_error_pending.detail, path("none.fnt"));
    // No width; a palette that is not there. A refused load leaves the record empty.
    for (auto [text, code] : {std::pair{"Name=X\nHeight=5\nNumFiles=0\n", KX_FONT_ERR_FORMAT},
                              {"Name=X\nWidth=4\nHeight=5\nNumFiles=0\nPalette=nothing.pal\n", KX_FONT_ERR_PALETTE}}) {
        write("bad.fnt", std::string("[Font Properties]\n") + text);
        EXPECT_EQ(load(h.f, "bad.fnt"), 0) << text;
        EXPECT_EQ(kx_error_pending.code, code) << text;
        EXPECT_EQ(h.f.width, 0);
        EXPECT_EQ(h.f.name, nullptr);
    }
    write("nbfiles.fnt", "[Font Properties]\nName=X\nWidth=4\nHeight=5\nNbFiles=0\n");
    EXPECT_EQ(load(h.f, "nbfiles.fnt"), 1);
    kx_font_free(&h.f);

    sheet("s.pcx", 3, 2, 4, 5);
    write("dup.fnt", fnt_text(1, "File001", "s.pcx", {"AB", "BC"}));
    ASSERT_EQ(load(h.f, "dup.fnt"), 1);
    EXPECT_EQ(kx_error_pending.code, KX_FONT_ERR_DUPLICATE);
    EXPECT_STREQ(kx_error_pending.detail, "B");
    EXPECT_EQ(h.f.count, 4);
    EXPECT_EQ(kx_font_glyph(&h.f, 'B', 1, nullptr)->pixels[1], 2);   // B keeps its first cell
    kx_font_free(&h.f);

    // A row wider than the sheet keeps the characters that fit; the rest are reported.
    write("wide.fnt", fnt_text(1, "File001", "s.pcx", {"ABCD"}));
    font_report = 1;
    testing::internal::CaptureStderr();
    ASSERT_EQ(load(h.f, "wide.fnt"), 1);
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(kx_error_pending.code, KX_FONT_ERR_INCOMPLETE);
    EXPECT_EQ(h.f.count, 4);
    EXPECT_EQ(h.f.chars[kx_font_find(&h.f, 'D') - 1].code, uint32_t(' '));
    for (std::string want : {std::string("In module Font"),
                             std::string("The size of the bitmap is smaller than the size of the character"),
                             "Bitmap " + path("s.pcx") + " [File001] is 12x10, and characters \"ABCD\" are 16x5"})
        EXPECT_NE(out.find(want), std::string::npos) << want << "\n" << out;
}

TEST_F(FontTest, LinearBelowTenBinaryFromTen)
{
    sheet("s.pcx", 9, 1, 4, 5);
    write("nine.fnt", fnt_text(1, "File001", "s.pcx", {"HGFEDCBA"}));
    write("ten.fnt", fnt_text(1, "File001", "s.pcx", {"IHGFEDCBA"}));
    for (auto [name, count] : {std::pair{"nine.fnt", 9}, {"ten.fnt", 10}}) {
        SCOPED_TRACE(name);
        font_holder h;
        ASSERT_EQ(load(h.f, name), 1);
        EXPECT_EQ(h.f.count, count);
        for (int i = 0; i < h.f.count; i++) EXPECT_EQ(kx_font_find(&h.f, h.f.chars[i].code), i + 1);
        for (uint32_t missing : {0u, 31u, 33u, 74u, 0x10FFFFu}) EXPECT_EQ(kx_font_find(&h.f, missing), h.f.default_char);
    }
    KX_FONT empty{};
    EXPECT_EQ(kx_font_find(&empty, 'A'), 0);
    EXPECT_EQ(kx_font_glyph(&empty, 'A', 1, nullptr), nullptr);
}

// Two characters side by side, 4 x 5 each, in an 8 x 5 FLC of three frames; frame k gives the
// left character the value 10 + k and the right one 20 + k; colour c is (c, c, c). A second,
// sized still section shares the font.
TEST_F(FontTest, AnimatedRowsWrapTheirFramesBesideASizedSection)
{
    sheet("s.pcx", 3, 2, 4, 5);
    flic_file f(0xAF12, 3, 8, 5, 10);
    flic_bytes pal = {1, 0, 0, 0};
    for (int c = 0; c < 768; c++) pal.push_back(uint8_t(c / 3));
    for (int k = 1; k <= 3; k++) {
        flic_bytes pixels(40);
        for (int i = 0; i < 40; i++) pixels[i] = uint8_t(i % 8 < 4 ? 10 + k : 20 + k);
        if (k == 1) f.frame({flic_chunk(4, pal), flic_chunk(16, pixels)});
        else f.frame({flic_chunk(16, pixels)});
    }
    write("a.flc", f.done());
    write("a.fnt", "[Font Properties]\nName=Anim\nWidth=4\nHeight=5\nNumFiles=2\n[File001]\nName=a.flc\nType=4\n"
                   "NumLines=1\nLine001=XY\n[File002]\nName=s.pcx\nType=2\nWidth=4\nHeight=5\nNumLines=1\nLine001=PQR\n");
    font_holder h;
    ASSERT_EQ(load(h.f, "a.fnt"), 1);
    ASSERT_EQ(h.f.count, 6);
    EXPECT_EQ(kx_font_glyph(&h.f, 'R', 1, nullptr)->pixels[1], 3);
    EXPECT_EQ(h.f.chars[kx_font_find(&h.f, 'X') - 1].data->frame_count, 3);
    auto pixel = [&](uint32_t c, int frame) { return kx_font_glyph(&h.f, c, frame, nullptr)->pixels[0]; };
    // Frames 1 to 3, then out-of-range frames wrapping (0 and below show the first).
    EXPECT_EQ((std::vector<int>{pixel('X', 1), pixel('X', 2), pixel('Y', 3), pixel('X', 0), pixel('X', -5),
                                pixel('X', 4), pixel('Y', 5)}),
              (std::vector<int>{11, 12, 23, 11, 11, 11, 22}));
    KX_BITMAP *g = kx_font_glyph(&h.f, 'Y', 2, nullptr);
    ASSERT_NE(g->palette, nullptr);
    EXPECT_EQ(g->palette->colors[22 * 3], 22);
    // Freeing empties the record, so the holder's second free is harmless.
    kx_font_free(&h.f);
    EXPECT_EQ(h.f.chars, nullptr);
    EXPECT_EQ(h.f.width, 0);
}

TEST_F(FontTest, AnimatedWindowFromBoundingBox)
{
    flic_file f(0xAF11, 2, 12, 10, 5);
    for (int k = 1; k <= 2; k++) {
        flic_bytes pixels(120, 0);
        for (int y = 3; y < 8; y++)
            for (int x = 2; x < 10; x++)
                if (k == 1 ? x == 2 || x == 9 : y == 3 || y == 7) pixels[y * 12 + x] = uint8_t(x < 6 ? 1 : 2);
        f.frame({flic_chunk(16, pixels)});
    }
    write("b.fli", f.done());
    const std::string head = "[Font Properties]\nName=Box\nWidth=4\nHeight=5\nNumFiles=1\n[File001]\nName=b.fli\n";
    write("b.fnt", head + "Type=7\nNumLines=1\nX=0\nY=0\nWidth=0\nHeight=0\nLine001=PQ\n");
    write("w.fnt", head + "Type=5\nNumLines=1\nX=6\nY=3\nWidth=4\nHeight=5\nLine001=R\n");
    font_holder h, w;
    ASSERT_EQ(load(h.f, "b.fnt"), 1);
    KX_FONT_PLACE place;
    KX_BITMAP *q = kx_font_glyph(&h.f, 'Q', 1, &place);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(rect(place.source), (std::vector<int>{6, 3, 4, 5}));
    EXPECT_EQ(row_of(*q, 2, 4), (px{0, 0, 0, 2}));
    EXPECT_EQ(row_of(*kx_font_glyph(&h.f, 'Q', 2, nullptr), 0, 4), (px{2, 2, 2, 2}));
    ASSERT_EQ(load(w.f, "w.fnt"), 1);
    EXPECT_EQ(row_of(*kx_font_glyph(&w.f, 'R', 1, nullptr), 2, 4), (px{0, 0, 0, 2}));
}

TEST_F(FontTest, Utf8Decoder)
{
    uint32_t fixed[8];
    uint32_t *codes = fixed;
    int capacity = 8;
    auto got = [&](int n) { return std::vector<uint32_t>(fixed, fixed + n); };
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, "A\x80" "B\xFF" "C", 0), 3);
    EXPECT_EQ(got(4), (std::vector<uint32_t>{'A', 'B', 'C', 0}));
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 0), 3);
    EXPECT_EQ(got(4), (std::vector<uint32_t>{0xE9, 0x20AC, 0x1F600, 0}));
    capacity = 3;   // no growing: cut at the capacity, still terminated
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, "ABCDE", 0), 2);
    EXPECT_EQ(fixed[2], 0u);
    EXPECT_EQ(capacity, 3);
    // A sequence cut by the end of the text: nothing is read past it.
    char *cut = new char[3]{'x', '\xE2', 0};
    capacity = 8;
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, cut, 2), 1);
    delete[] cut;

    uint32_t *grown = nullptr;
    int grown_capacity = 0;
    std::string long_text(300, 'q');
    EXPECT_EQ(kx_font_utf_8_to_unicode(&grown, &grown_capacity, long_text.c_str(), KX_FONT_UTF_GROW), 300);
    EXPECT_GT(grown_capacity, 300);
    EXPECT_EQ(grown[299], uint32_t('q'));
    EXPECT_EQ(grown[300], 0u);
    kx_mem_free(grown);

    // Without the report flag continuation bytes are taken as they come.
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, "x\xC3(y", 3), 3);
    EXPECT_EQ(fixed[1], 0xE8u);
    font_report = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, "x\xC3(y", 3), 3);
    EXPECT_EQ(kx_font_utf_8_to_unicode(&codes, &capacity, "\xE2(\x82z", 3), 2);
    std::string out = testing::internal::GetCapturedStderr();
    for (const char *want : {"The string isn't UTF-8 compliant", "In x\xC3(y, \xC3 is an invalid UTF-8 code",
                             "In \xE2(\x82z, \xE2(\x82 is an invalid UTF-8 code"})
        EXPECT_NE(out.find(want), std::string::npos) << want << "\n" << out;
    EXPECT_EQ(got(3), (std::vector<uint32_t>{'(', 'z', 0}));
}

class FontPrintTest : public FontTest {
protected:
    KX_FONT font{};
    const KX_FONT *f = &font;
    void SetUp() override
    {
        FontTest::SetUp();
        count_blocks = false;
        sheet("s.pcx", 2, 1, 4, 5);
        write("p.fnt", fnt_text(1, "File001", "s.pcx", {"AB"}));
        ASSERT_EQ(load(font, "p.fnt"), 1);
    }
    void TearDown() override
    {
        kx_font_free(&font);
        FontTest::TearDown();
    }
};

TEST_F(FontPrintTest, SpacingGapAndBlitters)
{
    target_holder t(20, 10, 7);
    EXPECT_EQ(kx_font_print(f, &t.b, nullptr, 0, "AB"), 10);
    EXPECT_EQ(row_of(t.b, 0, 11), (px{0, 1, 0, 0, 7, 0, 2, 2, 0, 7, 7}));
    EXPECT_EQ(row_of(t.b, 5, 4), (px{7, 7, 7, 7}));
    t.fill(7);
    EXPECT_EQ(kx_font_print(f, &t.b, nullptr, KX_FONT_NO_GAP, "%c%c", 'A', 'B'), 8);
    EXPECT_EQ(row_of(t.b, 4, 9), (px{0, 1, 0, 0, 0, 2, 2, 0, 7}));
    t.fill(7);
    EXPECT_EQ(kx_font_print(f, &t.b, nullptr, KX_FONT_TRANSPARENT, "AB"), 10);
    EXPECT_EQ(row_of(t.b, 0, 10), (px{7, 1, 7, 7, 7, 7, 2, 2, 7, 7}));
    t.fill(7);
    // Advances: A 1 + 1, B 2 + 1, the blank space a third of the cell + 1.
    EXPECT_EQ(kx_font_print(f, &t.b, nullptr, KX_FONT_PROPORTIONAL | KX_FONT_TRANSPARENT, "AB A"), 9);
    EXPECT_EQ(row_of(t.b, 0, 10), (px{1, 7, 2, 2, 7, 7, 7, 1, 7, 7}));

    KX_RECT size;
    EXPECT_EQ(kx_font_extent(f, "AB", &size, 0), 1);
    EXPECT_EQ(size.width, 10);
    EXPECT_EQ(size.height, 5);
    EXPECT_EQ(kx_font_extent(f, "AB", &size, KX_FONT_PROPORTIONAL | KX_FONT_NO_GAP), 1);
    EXPECT_EQ(size.width, 3);
    EXPECT_EQ(kx_font_extent(f, "", &size, 0), 0);
    EXPECT_EQ(size.width, 0);
}

TEST_F(FontPrintTest, CentreStretchAndCellRatio)
{
    target_holder t(40, 10, 7);
    KX_RECT wide = {0, 0, 20, 5}, nine = {0, 0, 9, 10}, all = {0, 0, 40, 10};
    EXPECT_EQ(kx_font_print(f, &t.b, &wide, KX_FONT_CENTER | KX_FONT_NO_GAP, "AB"), 8);
    EXPECT_EQ(row_of(t.b, 0, 15), (px{7, 7, 7, 7, 7, 7, 0, 1, 0, 0, 0, 2, 2, 0, 7}));
    // 9 pixels for two characters: boxes of 5 and 4, the spare pixel going to the first.
    t.fill(7);
    EXPECT_EQ(kx_font_print(f, &t.b, &nine, KX_FONT_STRETCH | KX_FONT_NO_GAP, "AB"), 9);
    EXPECT_EQ(row_of(t.b, 0, 10), (px{0, 0, 1, 0, 0, 0, 2, 2, 0, 7}));
    EXPECT_EQ(row_of(t.b, 9, 10), (px{0, 0, 1, 0, 0, 0, 2, 2, 0, 7}));
    // Boxes of 4 * 10 / 5 - 1 = 7 pixels.
    t.fill(7);
    EXPECT_EQ(kx_font_print(f, &t.b, &all, KX_FONT_STRETCH | KX_FONT_CELL_RATIO | KX_FONT_NO_GAP, "AB"), 14);
    EXPECT_EQ(row_of(t.b, 3, 15), (px{0, 0, 1, 1, 0, 0, 0, 0, 0, 2, 2, 2, 2, 0, 7}));
}

TEST_F(FontPrintTest, RectangleLimitsAndEmptyText)
{
    target_holder t(20, 10, 7), big(3000, 5, 0);
    KX_RECT six = {0, 0, 6, 5}, outside = {20, 0, 10, 5}, above = {0, -5, 10, 5}, huge = {0, 0, 30000, 5};
    EXPECT_EQ(kx_font_print(f, &t.b, &six, 0, "ABA"), 6);
    EXPECT_EQ(row_of(t.b, 0, 8), (px{0, 1, 0, 0, 7, 0, 7, 7}));
    EXPECT_EQ(kx_font_print(f, &t.b, &outside, 0, "AB"), 0);
    EXPECT_EQ(kx_font_print(f, &t.b, &above, 0, "AB"), 0);
    EXPECT_EQ(kx_font_print(f, &t.b, nullptr, 0, "%s", ""), 0);
    // A missing character draws as the space; text past 255 bytes is cut.
    t.fill(7);
    EXPECT_EQ(kx_font_print(f, &t.b, nullptr, 0, "Z"), 5);
    EXPECT_EQ(row_of(t.b, 0, 5), (px{0, 0, 0, 0, 7}));
    EXPECT_EQ(kx_font_print(f, &big.b, &huge, 0, "%s", std::string(400, 'A').c_str()), 255 * 5);
}
