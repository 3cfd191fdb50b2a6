// Tests of the FLIC reader: real files against ffmpeg's decode, small built files for every
// sub-chunk type, pacing and wrapping, and malformed chunks that must stop inside the frame.
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_font/kx_anim.h"
#include "kx/kx_io/kx_io.h"
#include "tests/kx_font/flic_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using px = std::vector<uint8_t>;

flic_bytes read_file(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return flic_bytes(std::istreambuf_iterator<char>(in), {});
}

// Closes the animation whatever the test's outcome.
struct anim_holder {
    KX_ANIM a{};
    ~anim_holder() { anim_close(&a); }
    bool open(const flic_bytes &b) { return anim_open_memory(&a, b.data(), b.size(), "test") == 1; }
    px pixels() const { return {a.pixels, a.pixels + a.frame_size}; }
    // Decodes `n` frames (forced) and returns the last one's pixels.
    px next(int n = 1)
    {
        for (int i = 0; i < n; i++) EXPECT_EQ(anim_frame_next(&a, 1), 1);
        return pixels();
    }
};

// Compares every frame of `bytes`, and the first frame again after the wrap, with ffmpeg's
// decode of the same file. ffmpeg widens 6-bit colours as v << 2 | v >> 4, we as v * 4: both
// pass. Pixels listed in `ignore` are left out.
void expect_same_as_ffmpeg(const flic_bytes &bytes, const std::string &path, const std::vector<size_t> &ignore = {})
{
    anim_holder h;
    ASSERT_TRUE(h.open(bytes));
    flic_bytes ref = flic_ffmpeg_rgb(path);
    size_t frame_bytes = size_t(h.a.frame_size) * 3;
    ASSERT_GE(ref.size(), frame_bytes * h.a.frame_count);
    for (int f = 0; f <= h.a.frame_count; f++) {
        ASSERT_EQ(anim_frame_next(&h.a, 1), 1) << "frame " << f + 1;
        const uint8_t *pal = anim_palette_rgb(&h.a), *want = ref.data() + frame_bytes * (f % h.a.frame_count);
        int bad = 0;
        for (size_t i = 0; i < frame_bytes; i++) {
            uint8_t v = pal[h.a.pixels[i / 3] * 3 + i % 3];
            bool skipped = std::find(ignore.begin(), ignore.end(), i / 3) != ignore.end();
            bad += !skipped && want[i] != v && want[i] != (v | v >> 6);
        }
        EXPECT_EQ(bad, 0) << "frame " << f + 1;
    }
    EXPECT_EQ(h.a.current_frame, 1);
    EXPECT_EQ(h.a.bad_chunks, 0u);
}

// The same for a built file, written to a temporary file for ffmpeg.
void expect_built_same_as_ffmpeg(const flic_bytes &bytes, const std::vector<size_t> &ignore = {})
{
    if (!flic_have_ffmpeg()) return;
    fs::path p = fs::temp_directory_path() / ("vm_anim_" + std::to_string(::getpid()) + ".flc");
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), long(bytes.size()));
    expect_same_as_ffmpeg(bytes, p.string(), ignore);
    fs::remove(p);
}

// A 256-colour chunk in one packet (count byte 0 means 256): colour i is (i, 255 - i, i * 7).
flic_bytes palette_256()
{
    flic_bytes d = {1, 0, 0, 0};
    for (int i = 0; i < 256; i++) d.insert(d.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    return flic_chunk(4, d);
}

flic_bytes copy_chunk(const px &pixels) { return flic_chunk(16, pixels); }

// One BYTE_RUN row per line, each repeating `value` across `width` pixels.
flic_bytes byte_run_fill(int width, int height, uint8_t value)
{
    flic_bytes d;
    for (int y = 0; y < height; y++) d.insert(d.end(), {1, uint8_t(width), value});
    return flic_chunk(15, d);
}

} // namespace

TEST(AnimReference, RealFilesMatchFfmpegPixelForPixel)
{
    fs::path dir = fs::path(VM_MEDIA_DIR) / "flic";
    if (!fs::is_directory(dir)) GTEST_SKIP() << "no media folder";
    if (!flic_have_ffmpeg()) GTEST_SKIP() << "ffmpeg not installed";
    std::vector<fs::path> files(fs::directory_iterator(dir), {});
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    for (const fs::path &p : files) {
        SCOPED_TRACE(p.filename().string());
        expect_same_as_ffmpeg(read_file(p), p.string());
    }
}

TEST(AnimReference, OpensThroughFileLayer)
{
    fs::path path = fs::path(VM_MEDIA_DIR) / "flic" / "ann2.fli";
    if (!fs::exists(path)) GTEST_SKIP() << "no media folder";
    KX_ANIM a{};
    ASSERT_EQ(anim_open(&a, path.c_str(), 2), 1);
    EXPECT_EQ((std::vector<long>{a.kind, a.width, a.height, long(a.frame_size), a.frame_count, long(a.data_size)}),
              (std::vector<long>{KX_ANIM_FLI, 320, 200, 64000, 19, long(read_file(path).size() - 128)}));
    EXPECT_STREQ(a.name, path.c_str());
    anim_close(&a);
    EXPECT_EQ(a.data, nullptr);
    EXPECT_EQ(anim_open(&a, "no\\such\\file.flc", 2), 0);
    EXPECT_EQ(a.pixels, nullptr);
}

TEST(AnimSynthetic, CopyBlackAndFullPalette)
{
    flic_file f(0xAF12, 3, 8, 3, 10);
    px first(24), third(24);
    for (int i = 0; i < 24; i++) first[i] = uint8_t(i * 10), third[i] = uint8_t(255 - i);
    f.frame({palette_256(), copy_chunk(first)});
    f.frame({flic_chunk(13, {})});
    f.frame({copy_chunk(third)});
    anim_holder h;
    ASSERT_TRUE(h.open(f.done()));
    EXPECT_EQ(h.next(), first);
    EXPECT_EQ(h.a.palette_changed, 1u);
    const uint8_t *pal = anim_palette_rgb(&h.a);   // count 0 loads all 256 entries
    EXPECT_EQ((std::vector<int>{pal[255 * 3], pal[255 * 3 + 1], pal[100 * 3 + 2]}), (std::vector<int>{255, 0, 700 % 256}));
    EXPECT_EQ(h.next(), px(24, 0));
    EXPECT_EQ(h.next(), third);
    EXPECT_EQ(h.a.bad_chunks, 0u);
    expect_built_same_as_ffmpeg(f.done());
}

TEST(AnimSynthetic, WordDeltaWithLineSkipAndLastPixel)
{
    flic_file f(0xAF12, 2, 5, 4, 10);
    f.frame({palette_256(), byte_run_fill(5, 4, 1)});
    // 3 lines; skip line 0; line 1 ends in 9 and has one packet (skip 0, copy 2 words); line 2
    // has one packet (skip 1, the word 7 8 once); line 3 only sets its last pixel to 6.
    flic_bytes d;
    flic_put16(d, {3, 0xFFFF, 0x8000 | 9, 1}).insert(d.end(), {0, 2, 2, 3, 4, 5});
    flic_put16(d, {1}).insert(d.end(), {1, 0xFF, 7, 8});
    flic_put16(d, {0x8000 | 6, 0});
    f.frame({flic_chunk(7, d)});
    anim_holder h;
    ASSERT_TRUE(h.open(f.done()));
    EXPECT_EQ(h.next(2), (px{1, 1, 1, 1, 1, 2, 3, 4, 5, 9, 1, 7, 8, 1, 1, 1, 1, 1, 1, 6}));
    EXPECT_EQ(h.a.bad_chunks, 0u);
    // ffmpeg 5.1 stores the last-pixel word at the end of its padded row, past the visible
    // width, so the two last pixels set that way are left out of the comparison.
    expect_built_same_as_ffmpeg(f.done(), {9, 19});
}

TEST(AnimSynthetic, FliByteRunLineDeltaAndSixBitColours)
{
    flic_file f(0xAF11, 2, 4, 3, 5);
    flic_bytes brun = {1, 0xFC, 1, 2, 3, 4, 1, 4, 5, 2, 2, 6, 0xFE, 7, 8};
    f.frame({flic_chunk(11, {1, 0, 1, 1, 63, 32, 1}), flic_chunk(15, brun)});
    f.frame({flic_chunk(12, {1, 0, 2, 0, 1, 1, 2, 9, 9, 1, 0, 0xFD, 3})});
    anim_holder h;
    ASSERT_TRUE(h.open(f.done()));
    EXPECT_EQ(h.next(), (px{1, 2, 3, 4, 5, 5, 5, 5, 6, 6, 7, 8}));
    const uint8_t *p = anim_palette_rgb(&h.a);
    EXPECT_EQ(px(p, p + 6), (px{0, 0, 0, 252, 128, 4}));
    EXPECT_EQ(h.next(), (px{1, 2, 3, 4, 5, 9, 9, 5, 3, 3, 3, 8}));
    EXPECT_EQ(h.a.bad_chunks, 0u);
}

TEST(AnimPacing, DelaysFromSpeed)
{
    struct {
        unsigned magic;
        uint32_t speed, delay;
    } cases[] = {{0xAF11, 5, 71}, {0xAF11, 0, 14}, {0xAF12, 0, 1}, {0xAF12, 40, 40}};
    for (const auto &c : cases) {
        flic_file f(c.magic, 1, 1, 1, c.speed);
        anim_holder h;
        ASSERT_TRUE(h.open(f.done()));
        EXPECT_EQ(h.a.frame_delay, c.delay) << c.magic << " speed " << c.speed;
        EXPECT_EQ(h.a.kind, c.magic == 0xAF11 ? KX_ANIM_FLI : KX_ANIM_FLC);
    }
}

TEST(AnimPacing, FirstFrameAtOnceThenWaitUnlessForced)
{
    flic_file f(0xAF12, 2, 1, 1, 10);
    f.frame({copy_chunk({1})});
    f.frame({copy_chunk({2})});
    anim_holder h;
    ASSERT_TRUE(h.open(f.done()));
    h.a.frame_delay = UINT32_MAX;   // the next frame is never due by the clock
    EXPECT_EQ(anim_frame_next(&h.a, 0), 1);
    EXPECT_EQ(anim_frame_next(&h.a, 0), -1);
    EXPECT_EQ(h.a.current_frame, 1);
    EXPECT_EQ(h.a.pixels[0], 1);
    EXPECT_EQ(h.next(), px{2});
    h.a.frame_delay = 0;            // always due
    EXPECT_EQ(anim_frame_next(&h.a, 0), 1);
    EXPECT_EQ(h.a.current_frame, 1);
}

TEST(AnimPacing, ThreeFramesWrapPrefixIsSkippedAndOtherChunksGiveZero)
{
    flic_file f(0xAF12, 3, 1, 1, 10);
    f.raw(flic_chunk(0xF100, {1, 2, 3, 4}));
    for (uint8_t v = 1; v <= 3; v++) f.frame({copy_chunk({v})});
    anim_holder h;
    ASSERT_TRUE(h.open(f.done()));
    std::vector<int> frames, values;
    for (int i = 0; i < 7; i++) {
        values.push_back(h.next()[0]);
        frames.push_back(h.a.current_frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
    anim_rewind(&h.a);
    EXPECT_EQ(h.a.current_frame, 0);
    anim_clear(&h.a);
    EXPECT_EQ(h.a.pixels[0], 0);
    ASSERT_EQ(anim_frame_next(&h.a, 0), 1);
    EXPECT_EQ(h.a.current_frame, 1);
    EXPECT_EQ(h.a.pixels[0], 1);

    flic_file g(0xAF12, 3, 1, 1, 10);
    g.frame({copy_chunk({5})});
    g.raw(flic_chunk(0xF1FB, {0, 0, 0, 0}));
    g.frame({copy_chunk({6})});
    anim_holder k;
    ASSERT_TRUE(k.open(g.done()));
    EXPECT_EQ(k.next(), px{5});
    EXPECT_EQ(anim_frame_next(&k.a, 1), 0);
    EXPECT_EQ(k.pixels(), px{5});
    EXPECT_EQ(k.next(), px{6});
}

TEST(AnimOpen, RefusedFilesLeaveNothingAllocated)
{
    flic_file bad(0xAF13, 1, 4, 4, 1), empty(0xAF12, 1, 0, 4, 1), huge(0xAF12, 1, 65535, 65535, 1);
    flic_file good(0xAF12, 1, 4, 4, 1);
    const flic_bytes short_file(good.done().begin(), good.done().begin() + 100);
    for (const flic_bytes *b : {&bad.done(), &empty.done(), &huge.done(), &short_file}) {
        KX_ANIM a;
        std::memset(&a, 0xAB, sizeof a);
        EXPECT_EQ(anim_open_memory(&a, b->data(), b->size(), "x"), 0);
        EXPECT_EQ((std::vector<const void *>{a.pixels, a.palette, a.data, a.name}), std::vector<const void *>(4, nullptr));
    }
    fs::path path = fs::temp_directory_path() / ("vm_anim_bad_" + std::to_string(::getpid()) + ".flc");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bad.bytes.data()), 128);
    KX_ANIM a{};
    EXPECT_EQ(anim_open(&a, path.c_str(), 2), 0);
    EXPECT_EQ(a.data, nullptr);
    fs::remove(path);
}

// Each case fills a 4 x 3 frame with 1s, then runs one malformed sub-chunk followed by a BLACK
// chunk: decoding must stop at the fault (the BLACK never runs) without leaving the buffer.
TEST(AnimHostile, MalformedChunksEndTheFrame)
{
    auto lc = [](flic_bytes d) { return flic_chunk(12, d); };
    auto flc = [](std::initializer_list<unsigned> words, flic_bytes tail) {
        flic_bytes d;
        flic_put16(d, words).insert(d.end(), tail.begin(), tail.end());
        return flic_chunk(7, d);
    };
    flic_bytes too_long = copy_chunk(px(12, 7)), too_short = too_long, colours = {1, 0, 200, 100};
    too_long[0] = 200;   // sub-chunk claims more than its frame holds
    too_short[0] = 3;
    colours.resize(colours.size() + 300, 9);
    const std::pair<const char *, flic_bytes> cases[] = {
        {"byte run past the row", flic_chunk(15, {1, 9, 2})},
        {"byte run literal past the row", flic_chunk(15, {1, 2, 2, 0xFB, 1, 2, 3, 4, 5})},
        {"byte run out of data", flic_chunk(15, {1, 0xFC, 2, 2})},
        {"line delta below the frame", lc({3, 0, 1, 0, 0})},
        {"line delta lines past the bottom", lc({2, 0, 5, 0, 0, 0, 0, 0, 0})},
        {"line delta literal past the row", lc({0, 0, 1, 0, 1, 3, 2, 2, 2, 2})},
        {"line delta skip past the row", lc({0, 0, 1, 0, 1, 250, 0xFF, 2})},
        {"word delta skips below the frame", flc({1, 0xFFF0, 0x8005}, {})},
        {"word delta packet below the frame", flc({1, 0xFFFD, 1}, {0, 1, 2, 2})},
        {"word delta copy past the row", flc({1, 1}, {0, 3, 1, 1, 1, 1, 1, 1})},
        {"word delta repeat past the row", flc({1, 1}, {3, 0xFF, 5, 5})},
        {"word delta bad opcode", flc({1, 0x4001}, {})},
        {"word delta out of data", flc({2, 0}, {})},
        {"copy too short", copy_chunk(px(11, 3))},
        {"colours past entry 255", flic_chunk(4, colours)},
        {"sub-chunk longer than its frame", too_long},
        {"sub-chunk shorter than its header", too_short},
    };
    for (const auto &[what, chunk] : cases) {
        SCOPED_TRACE(what);
        flic_file f(0xAF12, 2, 4, 3, 10);
        f.frame({byte_run_fill(4, 3, 1)});
        f.frame({chunk, flic_chunk(13, {})});
        anim_holder h;
        ASSERT_TRUE(h.open(f.done()));
        EXPECT_NE(h.next(2), px(12, 0));
        EXPECT_EQ(h.a.bad_chunks, 1u);
        const uint8_t *p = anim_palette_rgb(&h.a);
        EXPECT_EQ(std::count(p, p + 768, 0), 768) << "palette touched";
    }
}

TEST(AnimHostile, TruncatedFileDecodesWhatIsThere)
{
    flic_file f(0xAF12, 2, 4, 3, 10);
    f.frame({byte_run_fill(4, 3, 1)});
    f.frame({copy_chunk(px(12, 4)), flic_chunk(13, {})});
    flic_bytes bytes = f.done();
    bytes.erase(bytes.end() - 4, bytes.end());   // the BLACK chunk is cut off
    anim_holder h;
    ASSERT_TRUE(h.open(bytes));
    EXPECT_EQ(h.next(2), px(12, 4));
    EXPECT_EQ(h.a.bad_chunks, 1u);
    EXPECT_EQ(h.a.position, h.a.data_size);
    // More frames announced than stored: nothing to read until the animation wraps.
    h.a.frame_count = 4;
    EXPECT_EQ(anim_frame_next(&h.a, 1), 0);
    EXPECT_EQ(anim_frame_next(&h.a, 1), 0);
    EXPECT_EQ(h.next(), px(12, 1));
    EXPECT_EQ(h.a.current_frame, 1);
}
