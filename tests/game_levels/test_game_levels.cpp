// The level table: defaults and the copies after the last level, row padding and empty rows,
// every range check with its exact message, the 1000-character line limit, and no leaks.
#include "game/game_local.h"
#include "game/game_levels.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"
#include "tests/game_error_capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <unistd.h>



namespace {

namespace fs = std::filesystem;
using V = std::vector<int>;

std::string failure;
int failure_line;

void capture(int line, const char *message)
{
    failure = message;
    failure_line = line;
}

// Every number of level n: background, floor, border, enemy type, enemy frequency, speed
// increase, maximum speed, initial speed, bonus percentage, enemy speed, enemy maximum.
V numbers(int n)
{
    return {game_levels.level[n].background_type, game_levels.level[n].floor_type,     game_levels.level[n].border_type,      game_levels.level[n].enemy_type,
            game_levels.level[n].enemy_frequency, game_levels.level[n].speed_increase, game_levels.level[n].max_speed,        game_levels.level[n].initial_speed,
            game_levels.level[n].bonus_percentage, game_levels.level[n].enemy_speed,   game_levels.level[n].enemy_max};
}

class LevelsTest : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        // The memory manager runs for the whole program so that blocks carry names and are counted.
        static int32_t quiet = 0;
        static KX_MEM_SETTINGS memory{0, 0};
        static int started = kx_error_init(&quiet) && kx_mem_init(&memory);
        ASSERT_TRUE(started);
        dir = fs::temp_directory_path() / ("vm_levels_" + std::to_string(getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        failure.clear();
        failure_line = -1;
        game_errors_capture();
    }

    void TearDown() override
    {
        Levels_Free();
        fs::remove_all(dir);
    }

    // Loads `text`; 1 or 0 as Levels_Load gives.
    int load(const std::string &text)
    {
        std::ofstream(dir / "levels.txt", std::ios::binary) << text;
        return Levels_Load((dir / "levels.txt").c_str(), capture);
    }

    // The lines joined with CR LF.
    static std::string lines(std::initializer_list<const char *> l)
    {
        std::string s;
        for (const char *x : l) s += std::string(x) + "\r\n";
        return s;
    }

    void expect_fatal(std::initializer_list<const char *> l, const char *message)
    {
        EXPECT_EQ(load(lines(l)), 0) << message;
        EXPECT_EQ(failure, message);
    }
};

const char *const A14 = "AAAAAAAAAAAAAA";
const char *const BLANK = "              ";

TEST_F(LevelsTest, EmptyFileGivesOneLevelAndCopiesOfTheDefaults)
{
    ASSERT_EQ(load(""), 1);
    EXPECT_EQ(game_levels.count, 1);
    for (int n = 0; n < LEVELS_MAX; n++) {
        EXPECT_EQ(numbers(n), (V{n == 0 ? 1 : n % 4 + 1, 1, 1, 1, 100, 100, 7500, 6500, 20, 100, 50})) << n;
        for (int r = 0; r < LEVEL_ROWS; r++) EXPECT_STREQ(game_levels.level[n].rows[r], A14);
    }
}

TEST_F(LevelsTest, BlocksSetTheirLevelsAndTheLastIsCopiedOnward)
{
    ASSERT_EQ(load(lines({"; first level", "!1234", "!..AB", "!", "@6000", ">6100", "<7", "#2", "$3", "%8", "&4",
                          "*9", "{11", "^0", "}0", "", "!zz", "@100", "#4", "}50"})),
              1);
    EXPECT_EQ(game_levels.count, 3);
    EXPECT_STREQ(game_levels.level[1].rows[0], "1234          ");
    EXPECT_STREQ(game_levels.level[1].rows[1], "..AB          ");
    // Three rows then the speed: the rest are blank rows of their own.
    for (int r = 2; r < LEVEL_ROWS; r++) {
        EXPECT_STREQ(game_levels.level[1].rows[r], BLANK) << r;
        EXPECT_STREQ(kx_mem_name_get(game_levels.level[1].rows[r]), "level row");
    }
    EXPECT_EQ(numbers(1), (V{8, 2, 3, 4, 9, 7, 6100, 6000, 0, 11, 0}));
    // Level 2 keeps the defaults it was not given; levels 3 to 49 copy it except for the background.
    EXPECT_STREQ(game_levels.level[2].rows[0], "zz            ");
    for (int n = 2; n < LEVELS_MAX; n++) {
        EXPECT_EQ(game_levels.level[n].rows[0], game_levels.level[2].rows[0]);
        EXPECT_EQ(numbers(n), (V{n == 2 ? 1 : n % 4 + 1, 4, 1, 1, 100, 100, 7500, 100, 20, 100, 50})) << n;
    }
}

// Each limit: the last value that loads, then the first that is fatal with its message and line.
TEST_F(LevelsTest, LimitsAcceptTheirEdgeAndRefuseOneBeyond)
{
    ASSERT_EQ(load(lines({"!0123456789ABCD", "@6500", ">6500", "}0"})), 1);
    EXPECT_STREQ(game_levels.level[1].rows[0], "0123456789ABCD");
    EXPECT_EQ(game_levels.level[1].max_speed, 6500);
    EXPECT_EQ(game_levels.level[1].enemy_max, 0);
    expect_fatal({"!ok", "!0123456789ABCDE"}, "Row 1 is too long in level 1, maximun is 14");
    EXPECT_EQ(failure_line, 2);
    expect_fatal({"@6500", ">6000"}, "The maximum ball speed is below the initial speed in level 1");
    // Without "@" the check is against the default initial speed.
    expect_fatal({"}1", ">6499"}, "The maximum ball speed is below the initial speed in level 2");
    expect_fatal({"}51"}, "Wrong enemy maximum 51 in level 1");
    expect_fatal({"}-1"}, "Wrong enemy maximum -1 in level 1");
}

TEST_F(LevelsTest, LastBlockWithoutCloseIsReplacedByTheCopy)
{
    ASSERT_EQ(load(lines({"!11", "@5000", "}3", "!22", "@4000", "#3"})), 1);
    EXPECT_EQ(game_levels.count, 2);
    EXPECT_STREQ(game_levels.level[2].rows[0], "11            ");
    EXPECT_EQ(game_levels.level[2].rows[0], game_levels.level[1].rows[0]);
    EXPECT_EQ(numbers(2), (V{3, 1, 1, 1, 100, 100, 7500, 5000, 20, 100, 3}));
}

TEST_F(LevelsTest, EveryRangeCheckHasItsMessage)
{
    expect_fatal({"#0"}, "Wrong floor type 0 in level 1");
    expect_fatal({"#5"}, "Wrong floor type 5 in level 1");
    expect_fatal({"$5"}, "Wrong border type 5 in level 1");
    expect_fatal({"%9"}, "Wrong background type 9 in level 1");
    expect_fatal({"%0"}, "Wrong background type 0 in level 1");
    expect_fatal({"&0"}, "Wrong enemy type 0 in level 1");
    expect_fatal({"*0"}, "Wrong enemy frecuency 0 in level 1");
    expect_fatal({"{-1"}, "Wrong enemy speed -1 in level 1");
    expect_fatal({"^101"}, "Wrong bonus percentage 101 in level 1");
    expect_fatal({"^-1"}, "Wrong bonus percentage -1 in level 1");
    expect_fatal({"<-5"}, "Wrong speed increase in level 1");
    expect_fatal({"}1", "}2", "#7"}, "Wrong floor type 7 in level 3");
    expect_fatal({"!1", "!2", "!3", "!4", "!5", "!6", "!7", "!8", "!9"}, "Too many rows in level 1");
    expect_fatal({"@1", "!late"}, "Too many rows in level 1");
    expect_fatal({"^ 42abc", "#+2", "*x", "}7"}, "Wrong enemy frecuency 0 in level 1");   // no digits reads 0
}

TEST_F(LevelsTest, NumbersAreReadLikeTheCLibrary)
{
    ASSERT_EQ(load(lines({"^ 42abc", "#+2", "}7"})), 1);
    EXPECT_EQ(game_levels.level[1].bonus_percentage, 42);
    EXPECT_EQ(game_levels.level[1].floor_type, 2);
    // Values beyond 16 bits are held at the ends of the range instead of wrapping.
    ASSERT_EQ(load(lines({"@100000", ">999999", "}1"})), 1);
    EXPECT_EQ(game_levels.level[1].initial_speed, 32767);
    EXPECT_EQ(game_levels.level[1].max_speed, 32767);
}

TEST_F(LevelsTest, FortyEightClosedBlocksFitAndOneMoreIsTooMany)
{
    std::string ok;
    for (int i = 0; i < 48; i++) ok += "!x\r\n@10\r\n}2\r\n";
    ASSERT_EQ(load(ok), 1);
    EXPECT_EQ(game_levels.count, 49);
    EXPECT_EQ(game_levels.level[49].background_type, 2);
    EXPECT_EQ(load(ok + "}2\r\n"), 0);
    EXPECT_EQ(failure, "Too many levels");
    EXPECT_EQ(failure_line, 145);
}

TEST_F(LevelsTest, LineEndsAndTheThousandCharacterLimit)
{
    // A lone line feed is dropped, so "#2\n#9" is the one line "#2#9" and reads as 2.
    ASSERT_EQ(load("#2\n#9\r\n\tx\r\n^\t30\r\n}1"), 1);
    EXPECT_EQ(game_levels.level[1].floor_type, 2);
    EXPECT_EQ(game_levels.level[1].bonus_percentage, 30);
    EXPECT_EQ(game_levels.count, 2);
    std::string fits = "; " + std::string(997, 'x');
    ASSERT_EQ(load(fits + "\r\n}1\r\n"), 1);
    EXPECT_EQ(game_levels.count, 2);
    EXPECT_EQ(load("}1\r\n" + fits + "x\r\n"), 0);
    EXPECT_EQ(failure, "Line 2 is too long, maximum is 999 characters");
    EXPECT_EQ(failure_line, 2);
}

TEST_F(LevelsTest, MessagesAboutAFileWithLineFeedEndsSaySo)
{
    const std::string hint = " (the file's lines end in LF alone; save it with CR LF line ends)";
    std::string crlf = lines({"!AAAAAAAAAAAAAA", "!AAAAAAAAAAAAAA", "}1"}), lf = crlf;
    for (size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
    ASSERT_EQ(load(crlf), 1);
    EXPECT_EQ(load(lf), 0);
    EXPECT_EQ(failure, "Row 0 is too long in level 1, maximun is 14" + hint);
    EXPECT_EQ(load("}60\n"), 0);
    EXPECT_EQ(failure, "Wrong enemy maximum 60 in level 1" + hint);
    EXPECT_EQ(load("}60\r\n"), 0);
    EXPECT_EQ(failure, "Wrong enemy maximum 60 in level 1");
}

TEST_F(LevelsTest, MissingFileAndGameErrorPath)
{
    EXPECT_EQ(Levels_Load((dir / "absent.txt").c_str(), capture), 0);
    EXPECT_EQ(failure, "Cant open levels.txt file");
    // Without a reporter the message goes to the game's fatal error, from "data\levels.txt".
    fs::path old = fs::current_path();
    fs::create_directories(dir / "data");
    std::ofstream(dir / "data" / "levels.txt", std::ios::binary) << "!12\r\n@1\r\n}60\r\n";
    fs::current_path(dir);
    int ok = Levels_Init();
    fs::current_path(old);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(game_errors().size(), 1u);
    EXPECT_EQ(game_error_last(), "Wrong enemy maximum 60 in level 1");
}

TEST_F(LevelsTest, RowsAreFreedOnceWhateverTheFileLooksLike)
{
    long before = kx_mem_used_get();
    // A block closed without "@" keeps shared rows, an unfinished block is overwritten by the
    // copy, a failed load keeps what it read: the clean-up frees each block exactly once.
    ASSERT_EQ(load(lines({"!a", "}1", "!b", "@1", "}1", "!c", "!d"})), 1);
    EXPECT_STREQ(game_levels.level[1].rows[1], A14);
    EXPECT_EQ(game_levels.level[3].rows[0], game_levels.level[2].rows[0]);
    Levels_Free();
    EXPECT_EQ(kx_mem_used_get(), before);
    EXPECT_EQ(load(lines({"!a", "@1", "}1", "!b", "#9"})), 0);
    Levels_Free();
    EXPECT_EQ(kx_mem_used_get(), before);
    for (int r = 0; r < LEVEL_ROWS; r++) EXPECT_STREQ(game_levels.level[1].rows[r], A14);
}

TEST_F(LevelsTest, TheShippedLevelsLoad)
{
    fs::path shipped = fs::path(VM_SOURCE_DIR) / "assets" / "data" / "levels.txt";
    if (!fs::exists(shipped)) GTEST_SKIP() << "no levels file in the assets";
    ASSERT_EQ(Levels_Load(shipped.c_str(), capture), 1) << failure << " (line " << failure_line << ")";
    EXPECT_GT(game_levels.count, 1);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Level sets: reading into a set, the writer, and filling the tables from a set
// ---------------------------------------------------------------------------------------------

namespace {

LEVEL_SET set_read, set_back;

class LevelSetTest : public LevelsTest {
protected:
    void TearDown() override
    {
        Level_Set_Free(&set_read);
        Level_Set_Free(&set_back);
        LevelsTest::TearDown();
    }

    int read_set(LEVEL_SET *set, const std::string &text)
    {
        std::ofstream(dir / "set.txt", std::ios::binary) << text;
        return Level_Set_Load(set, (dir / "set.txt").c_str(), capture);
    }

    // The bytes the writer gives for a set, or "refused: <message>".
    static std::string written(const LEVEL_SET *set)
    {
        uint32_t size = 0;
        char *bytes = Level_Set_Write(set, &size, capture);
        if (!bytes) return "refused: " + failure;
        std::string s(bytes, size);
        kx_mem_free(bytes);
        return s;
    }
};

std::string slurp(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A block in the writer's form: the rows padded to 14, then the speeds and the other settings.
std::string block(std::vector<std::string> rows, const std::string &speeds,
                  const std::string &rest = "<100\r\n#1\r\n$1\r\n%1\r\n&1\r\n*100\r\n{100\r\n^20\r\n}50\r\n")
{
    std::string s;
    rows.resize(LEVEL_ROWS);
    for (const std::string &r : rows) s += "!" + r + std::string(LEVEL_ROW_LENGTH - r.size(), ' ') + "\r\n";
    return s + speeds + rest;
}

// A file in the writer's form reads and writes back byte for byte; any other readable file is
// written in that form once, which then holds.
TEST_F(LevelSetTest, WriterGivesBackWhatItReadAndNormalisesTheRest)
{
    const std::string same = "=", close1 = "<100\r\n#1\r\n$1\r\n%1\r\n&1\r\n*100\r\n{100\r\n^20\r\n}1\r\n";
    struct Case {
        std::string in, out;
    } cases[] = {
        {"", same},
        {"; only comments\r\n\r\n", same},
        {"; one\r\n" + block({"123", ".............."}, "@6500\r\n>7500\r\n") + "\r\n; two\r\n" +
             block({}, "@1\r\n>32767\r\n", "<0\r\n#4\r\n$4\r\n%8\r\n&4\r\n*1\r\n{0\r\n^100\r\n}0\r\n") +
             "; trailing, and a block never closed\r\n!unfinished\r\n@5\r\n",
         same},
        // Short rows stay short, missing settings come at their defaults, numbers are tidied,
        // comments move before their block.
        {lines({"!12", "@ 0042x", "; inside", "}1"}), "; inside\r\n!12\r\n" + block({}, "@42\r\n>7500\r\n", close1).substr(17)},
        // Rows never closed by "@" are the shared row of A's.
        {lines({"!x", "}1"}), "!x\r\n" + block({A14, A14, A14, A14, A14, A14, A14, A14}, "@6500\r\n>7500\r\n", close1).substr(17)},
        // A maximum below an initial speed given after it is set before the real initial speed.
        {lines({"!x", "@1", ">2", "@9000", "}1"}), "!x\r\n" + block({}, "@2\r\n>2\r\n@9000\r\n", close1).substr(17)},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(read_set(&set_read, c.in), 1) << failure;
        std::string once = written(&set_read);
        EXPECT_EQ(once, c.out == same ? c.in : c.out) << c.in;
        ASSERT_EQ(read_set(&set_back, once), 1) << failure;
        EXPECT_EQ(written(&set_back), once) << c.in;
    }
    // The shipped levels, and the file the tool's check reads as the writer's form.
    for (fs::path file : {fs::path(VM_SOURCE_DIR) / "assets" / "data" / "levels.txt",
                          fs::path(VM_SOURCE_DIR) / "tests" / "game_levels" / "written_levels.txt"}) {
        ASSERT_EQ(Level_Set_Load(&set_read, file.c_str(), capture), 1) << failure;
        EXPECT_EQ(written(&set_read), slurp(file)) << file;
    }
}

// Reading a set leaves the game's tables alone.
// A player's set is refused where the game's own file would be read anyway: each case with the
// message and line the reader gives (the shipped file passes these checks too).
TEST_F(LevelSetTest, PlayersSetsMustBeWholeAndPlain)
{
    struct CASE {
        std::string text;
        const char *message;
        int line;
    } cases[] = {
        {"", "The file holds no level: a level ends with its \"}\" line", 0},
        {"; a note\r\n\r\n", "The file holds no level: a level ends with its \"}\" line", 0},
        {std::string("!AB\xff" "CD\r\n@6500\r\n}1\r\n"), "Byte 255 at column 4 is not text", 1},
        {std::string("; ok\r\n!AB\0CD\r\n@6500\r\n}1\r\n", 25), "Byte 0 at column 4 is not text", 2},
        {"; tab\there\r\n", "Byte 9 at column 6 is not text", 1},
        {"!AB#D\r\n@6500\r\n}1\r\n", "Column 4 holds \"#\", which is no brick (. 0-9 A-Z a-z)", 1},
        {"!AB\xe9\r\n@6500\r\n}1\r\n", "Column 4 holds byte 233, which is no brick (. 0-9 A-Z a-z)", 1},
        {"!AAAA\r\n@6500\r\n}1\r\n; next\r\n!BBBB\r\n@6500\r\n", "Level 2 is cut off: its block has no \"}\" line", 5},
        {"!AAAA\n@6500\n}1\n", "The file's lines end in LF alone; save it with CR LF line ends", 0},
    };
    for (const CASE &c : cases) {
        std::ofstream(dir / "set.txt", std::ios::binary) << c.text;
        failure.clear();
        EXPECT_EQ(Level_Set_Load_User(&set_read, (dir / "set.txt").c_str(), capture), 0) << c.message;
        EXPECT_EQ(failure, c.message);
        EXPECT_EQ(failure_line, c.line) << c.message;
        EXPECT_EQ(set_read.count, 0) << c.message;
    }
    // A comment may hold any text byte; the game's own reader still takes what it always took.
    ASSERT_EQ(read_set(&set_read, "!AAAA\r\n@6500\r\n}1\r\n!BBBB\r\n"), 1) << failure;
    EXPECT_EQ(set_read.count, 1);
    std::ofstream(dir / "set.txt", std::ios::binary) << "; caf\xe9 \xc3\xa9\r\n!AAAA\r\n@6500\r\n}1\r\n";
    EXPECT_EQ(Level_Set_Load_User(&set_read, (dir / "set.txt").c_str(), capture), 1) << failure;
    fs::path shipped = fs::path(VM_SOURCE_DIR) / "assets" / "data" / "levels.txt";
    if (fs::exists(shipped)) {
        EXPECT_EQ(Level_Set_Load_User(&set_read, shipped.c_str(), capture), 1) << failure;
    }
}

// The editor's grid draws a brick where Level_Char_Brick says so, play builds one where
// Brick_Tile gives a tile: the two agree on every byte, "#" among them.
TEST(LevelChar, TheGridAndPlayAgreeOnEveryByte)
{
    for (int ch = 0; ch < 256; ch++) EXPECT_EQ(Level_Char_Brick(ch), Brick_Tile(ch) != 0) << ch;
    const struct {
        int ch;
        LEVEL_CHAR kind;
        int tile;
    } cases[] = {{' ', LEVEL_CHAR_EMPTY, 0},      {'.', LEVEL_CHAR_EMPTY, 0},    {'#', LEVEL_CHAR_OTHER, 0},
                 {'0', LEVEL_CHAR_METAL, 1},      {'9', LEVEL_CHAR_METAL, 10},   {'A', LEVEL_CHAR_ONE_HIT, 20},
                 {'Z', LEVEL_CHAR_ONE_HIT, 45},   {'a', LEVEL_CHAR_TWO_HITS, 50}, {'z', LEVEL_CHAR_TWO_HITS, 75},
                 {0xFF, LEVEL_CHAR_OTHER, 0}};
    for (const auto &c : cases) {
        EXPECT_EQ(Level_Char(c.ch), c.kind) << c.ch;
        EXPECT_EQ(Brick_Tile(c.ch), c.tile) << c.ch;
    }
}

TEST_F(LevelSetTest, ReadingASetLeavesTheTablesAlone)
{
    ASSERT_EQ(load(lines({"!1234", "@6000", "}0", "!zz", "@100", "}50"})), 1);
    ASSERT_EQ(read_set(&set_read, lines({"!x", "}1"})), 1);
    EXPECT_EQ(set_read.count, 1);
    EXPECT_EQ(game_levels.count, 3);
    EXPECT_STREQ(game_levels.level[2].rows[0], "zz            ");
}

// The writer refuses what the reader would not give back, in the reader's words where it has them.
TEST_F(LevelSetTest, WriterRefusesWhatCannotBeReadBack)
{
    struct Case {
        void (*change)(LEVEL_SET *);
        const char *message;
    } cases[] = {
        {[](LEVEL_SET *s) { s->level[1].bonus_percentage = 101; }, "Wrong bonus percentage 101 in level 1"},
        {[](LEVEL_SET *s) { s->level[2].floor_type = 0; }, "Wrong floor type 0 in level 2"},
        {[](LEVEL_SET *s) { s->level[1].enemy_max = 51; }, "Wrong enemy maximum 51 in level 1"},
        {[](LEVEL_SET *s) { s->level[2].rows[3][5] = '\t'; }, "Row 3 of level 2 holds a character that a levels file cannot keep"},
        {[](LEVEL_SET *s) { s->level[1].rows[0][0] = 0; }, "Row 0 of level 1 holds a character that a levels file cannot keep"},
        {[](LEVEL_SET *s) { std::memcpy(s->level[1].rows[1], "x\r}1", 4); }, "Row 1 of level 1 holds a character that a levels file cannot keep"},
        {[](LEVEL_SET *s) { s->count = LEVEL_SET_MAX + 1; }, "Too many levels"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(read_set(&set_read, lines({"!ab", "@1", "}1", "!cd", "@1", "}1"})), 1);
        c.change(&set_read);
        EXPECT_EQ(written(&set_read), std::string("refused: ") + c.message);
    }
    // The largest set saves, to a file holding exactly the written bytes.
    Level_Set_Free(&set_read);
    set_read.count = LEVEL_SET_MAX;
    for (int n = 1; n <= LEVEL_SET_MAX; n++) Level_Def_Empty(&set_read.level[n]);
    ASSERT_EQ(Level_Set_Save(&set_read, (dir / "saved.txt").c_str(), capture), 1) << failure;
    EXPECT_EQ(slurp(dir / "saved.txt"), written(&set_read));
    EXPECT_EQ(Level_Set_Save(&set_read, (dir / "no" / "saved.txt").c_str(), capture), 0);
    EXPECT_EQ(failure, "Cant write " + (dir / "no" / "saved.txt").string());
}

} // namespace
