// The demo list and demo files: entry parsing, the position and its wrap, the fatal lists, the
// checks that come before anything is read into the tables, and the byte layout both ways.
#include "game/game_demo.h"
#include "game/game_demo_file.h"
#include "game/game_difficulty.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "tests/game_demo/demo_test_util.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>


namespace {

std::string failure;

void capture(int, const char *message) { failure = message; }

KX_IO *mem_file(const std::string &bytes)
{
    void *copy = kx_mem_malloc(bytes.size() + 1);
    std::memcpy(copy, bytes.data(), bytes.size());
    return kx_io_mem_open("test", copy, static_cast<uint32_t>(bytes.size()));
}

class DemoFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(demo_test_engine_started());
        failure.clear();
    }

    int list(const std::string &text, int position, DEMO_LIST *out)
    {
        KX_IO *f = mem_file(text);
        int ok = Demo_List_Read(f, position, out, capture);
        kx_io_fclose(f);
        return ok;
    }
};

const char LIST[] = "; attract sequence\r\n#level\\a.dem\r\n@\r\nnot an entry\r\n$300 level\\station.def\r\n"
                    "$1500|level\\garden.def\r\n#level\\b.dem";

TEST_F(DemoFileTest, ListEntriesByPositionWithEntryZeroAsFallBack)
{
    struct {
        int position, kind, show_time;
        const char *name;
        int wrapped;
    } cases[] = {
        {0, DEMO_ENTRY_REPLAY, 0, "level\\a.dem", 0},      {1, DEMO_ENTRY_SKIP, 1, "", 0},
        {2, DEMO_ENTRY_SCENERY, 300, "level\\station.def", 0}, {3, DEMO_ENTRY_SCENERY, 1500, "level\\garden.def", 0},
        {4, DEMO_ENTRY_REPLAY, 0, "level\\b.dem", 0},      {5, DEMO_ENTRY_REPLAY, 0, "level\\a.dem", 1},
        {99, DEMO_ENTRY_REPLAY, 0, "level\\a.dem", 1},
    };
    for (const auto &c : cases) {
        DEMO_LIST l{};
        ASSERT_EQ(list(LIST, c.position, &l), 1) << failure;
        EXPECT_EQ(l.count, 5);
        EXPECT_EQ(l.entry.kind, c.kind) << c.position;
        EXPECT_EQ(l.entry.show_time, c.show_time) << c.position;
        EXPECT_STREQ(l.entry.name, c.name) << c.position;
        EXPECT_EQ(l.wrapped, c.wrapped) << c.position;
    }
}

TEST_F(DemoFileTest, ListsThatCannotRunAreFatal)
{
    struct {
        std::string text;
        const char *message;
    } cases[] = {
        {"", "There should be at least 1 demo is demos.txt!"},
        {"; nothing\r\nlevel\\a.dem\r\n", "There should be at least 1 demo is demos.txt!"},
        {"@\r\n@\r\n@", "demos.txt holds only skip entries (@): it needs at least 1 demo (#) or scenery world ($)!"},
        {"#a.dem\r\n" + std::string(1000, 'x') + "\r\n", "Line 2 is too long in demos.txt, maximum is 999 characters"},
    };
    for (const auto &c : cases) {
        DEMO_LIST l{};
        failure.clear();
        EXPECT_EQ(list(c.text, 0, &l), 0);
        EXPECT_EQ(failure, c.message);
    }
    DEMO_LIST l{};
    EXPECT_EQ(list("#" + std::string(998, 'x'), 0, &l), 1) << "999 characters fit";
}

// Normal writes the file as it always was; Easy and Hard end in their mark and read back with it.
TEST_F(DemoFileTest, EncodedDemoReadsBackExactlyWithItsDifficulty)
{
    std::vector<uint8_t> moves = {0, 1, 2, 4, 8, 16, 32, 63}, got_moves(DEMO_STEPS_MAX);
    std::vector<int32_t> rands = {0, -1, 2147483647, -2147483647 - 1, 12345}, got_rands(DEMO_RANDS_MAX);
    const std::pair<int, std::string> cases[] = {
        {DIFFICULTY_NORMAL, ""}, {DIFFICULTY_EASY, "DIFF" + le32(1)}, {DIFFICULTY_HARD, "DIFF" + le32(2)}};
    for (const auto &[difficulty, mark] : cases) {
        DEMO_HEAD head{7, static_cast<int32_t>(moves.size()), static_cast<int32_t>(rands.size()), difficulty}, got{};
        std::vector<uint8_t> bytes(200);
        size_t n = Demo_File_Encode(&head, moves.data(), rands.data(), bytes.data(), bytes.size());
        ASSERT_EQ(n, 12u + 8 + 20 + mark.size());
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 12), le32(7) + le32(8) + le32(5));
        EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + static_cast<long>(n)), mark);
        EXPECT_EQ(Demo_File_Encode(&head, moves.data(), rands.data(), bytes.data(), n - 1), 0u);
        got.difficulty = -1;
        KX_IO *f = mem_file(std::string(bytes.begin(), bytes.begin() + static_cast<long>(n)));
        ASSERT_EQ(Demo_File_Read(f, "t.dem", 50, &got, got_moves.data(), got_rands.data(), capture), 1) << failure;
        kx_io_fclose(f);
        EXPECT_EQ(got.level, 7);
        EXPECT_EQ(got.difficulty, difficulty);
        EXPECT_EQ(std::vector<uint8_t>(got_moves.begin(), got_moves.begin() + 8), moves);
        EXPECT_EQ(std::vector<int32_t>(got_rands.begin(), got_rands.begin() + 5), rands);
    }
    // Bytes after the tables that are no mark (or only part of one) leave the replay on Normal.
    for (const std::string &tail : {std::string("DIF"), std::string("XXXX") + le32(2)}) {
        DEMO_HEAD got{};
        got.difficulty = -1;
        KX_IO *f = mem_file(le32(3) + le32(1) + le32(0) + "x" + tail);
        ASSERT_EQ(Demo_File_Read(f, "t.dem", 50, &got, got_moves.data(), got_rands.data(), capture), 1) << failure;
        kx_io_fclose(f);
        EXPECT_EQ(got.difficulty, DIFFICULTY_NORMAL) << tail;
    }
}

// Hostile heads are refused before a byte goes into the tables, which stay untouched.
TEST_F(DemoFileTest, HostileDemoFilesAreRefusedWithTheirMessages)
{
    const std::string body(100, 'x');
    struct {
        std::string bytes;
        const char *message;
    } cases[] = {
        {le32(1) + le32(20001) + le32(0) + std::string(20001, 0), "Demo file t.dem holds 20001 steps; at most 20000 can be replayed"},
        {le32(1) + le32(-1) + le32(0), "Demo file t.dem holds -1 steps; at most 20000 can be replayed"},
        {le32(1) + le32(0) + le32(80001), "Demo file t.dem holds 80001 random values; at most 80000 can be replayed"},
        {le32(1) + le32(0) + le32(-5), "Demo file t.dem holds -5 random values; at most 80000 can be replayed"},
        {le32(50) + le32(1) + le32(0) + "x", "Demo file t.dem names level 50, which is not in the level table"},
        {le32(-1) + le32(1) + le32(0) + "x", "Demo file t.dem names level -1, which is not in the level table"},
        {le32(1) + le32(100) + le32(1) + body, "Demo file t.dem is shorter than its counts say"},
        {le32(1) + le32(4), "Demo file t.dem is shorter than its counts say"},
        {le32(1) + le32(0) + le32(0) + "DIFF" + le32(3), "Demo file t.dem names difficulty 3, which the game does not know"},
    };
    std::vector<uint8_t> moves(DEMO_STEPS_MAX, 0xAA);
    std::vector<int32_t> rands(DEMO_RANDS_MAX, 77);
    for (const auto &c : cases) {
        DEMO_HEAD head{};
        failure.clear();
        KX_IO *f = mem_file(c.bytes);
        EXPECT_EQ(Demo_File_Read(f, "t.dem", 50, &head, moves.data(), rands.data(), capture), 0);
        kx_io_fclose(f);
        EXPECT_EQ(failure, c.message);
        EXPECT_EQ(moves[0], 0xAA);
        EXPECT_EQ(rands[0], 77);
    }
    // The largest counts the tables hold are accepted.
    DEMO_HEAD head{};
    KX_IO *f = mem_file(le32(49) + le32(DEMO_STEPS_MAX) + le32(DEMO_RANDS_MAX) + std::string(DEMO_STEPS_MAX + 4 * DEMO_RANDS_MAX, 1));
    EXPECT_EQ(Demo_File_Read(f, "t.dem", 50, &head, moves.data(), rands.data(), capture), 1) << failure;
    kx_io_fclose(f);
    EXPECT_EQ(rands[DEMO_RANDS_MAX - 1], 0x01010101);
}

TEST_F(DemoFileTest, SaveNameHasASpaceBeforeOneDigit)
{
    const std::pair<int, const char *> cases[] = {{7, "level\\level 7.dem"}, {12, "level\\level12.dem"}, {0, "level\\level 0.dem"}};
    for (const auto &[level, name] : cases) {
        char out[64];
        Demo_Save_Name(level, out, sizeof out);
        EXPECT_STREQ(out, name);
    }
}

TEST(DemoCredits, ScrollRestartsPastTheLastLineAndLinesFadeAtTheBandEdges)
{
    // Ten lines: the scroll restarts once its position passes line 15 (the lines and five more).
    const struct {
        double from, to;
    } scroll[] = {{DEMO_CREDITS_START, -149.85}, {200.0, -1499.85}, {179.0, 179.15}, {-1500.0, -1499.85}};
    for (const auto &c : scroll)
        EXPECT_NEAR(Demo_Credits_Advance(c.from, 10, 0.3), c.to, 1e-9) << c.from;
    const struct {
        double y, shown;
    } fade[] = {{40.0, 0.0}, {43.0, 0.5}, {50.0, 1.0}, {58.0, 0.5}};
    for (const auto &c : fade)
        EXPECT_NEAR(Demo_Credits_Fade(c.y), c.shown, 1e-9) << c.y;
    // A line shows only while it lies whole in its band, below the logo and the level title and
    // above the call to press a key.
    for (double y = -20.0; y <= 120.0; y += 0.25)
        if (Demo_Credits_Fade(y) > 0.0) {
            EXPECT_TRUE(y > DEMO_CREDITS_TOP && y + DEMO_TEXT_HEIGHT < DEMO_CREDITS_BOTTOM) << y;
        }
}

} // namespace
