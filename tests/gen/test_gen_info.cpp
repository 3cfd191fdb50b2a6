// gen_info: "error.txt" and "history.txt" across runs (each run is a child process), asserts,
// the 8.3 name check, the realloc wrapper, and the text of the game's fatal error.
#include "gen/gen_info.h"

#include "game/game_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

const std::string SEPARATOR = std::string(63, '-') + "\n";

std::string read_file(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string error_file(const std::string &message)
{
    return "* * * E R R O R ! * * *\n" + SEPARATOR + message + "\nCallStack Disabled in this version\n" + SEPARATOR;
}

class GenInfoTest : public ::testing::Test {
protected:
    fs::path dir, old_cwd;

    void SetUp() override
    {
        old_cwd = fs::current_path();
        std::string tmpl = (fs::temp_directory_path() / "geninfo_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        fs::current_path(dir);
        unsetenv("U3_APP_DATA_PATH");
    }

    void TearDown() override
    {
        fs::current_path(old_cwd);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void start_io()
{
    static KX_IO_SETTINGS settings{0, 0, nullptr, nullptr};
    kx_io_init(&settings);
}

// One run of the program: starts kx_io (logs go where it says), runs `body`, ends with 0.
#define GEN_RUN(body)            \
    EXPECT_EXIT(                 \
        {                        \
            start_io();          \
            body;                \
            std::exit(0);        \
        },                       \
        ::testing::ExitedWithCode(0), "")

} // namespace

TEST_F(GenInfoTest, HistoryCollectsARunAndTheNextRunStartsAfresh)
{
    GEN_RUN(gen_history("first %d\n", 1); gen_history("second\n"));
    EXPECT_EQ(read_file(dir / "history.txt"), "first 1\nsecond\n");
    GEN_RUN(gen_history("%s", "third"));
    EXPECT_EQ(read_file(dir / "history.txt"), "third");
}

TEST_F(GenInfoTest, ErrorWritesTheFileAndEndsTheRun)
{
    std::ofstream(dir / "error.txt") << "left from an earlier run";
    GEN_RUN(gen_history("before\n"); gen_error("bad level %d in %s", 7, "data\\levels.txt"); std::exit(5));
    EXPECT_EQ(read_file(dir / "error.txt"), error_file("bad level 7 in data\\levels.txt"));
    EXPECT_EQ(read_file(dir / "history.txt"), "before\n");

    // A message far longer than the first buffer comes out whole.
    const std::string long_message(1000, 'm');
    GEN_RUN(gen_error("%s", long_message.c_str()));
    EXPECT_EQ(read_file(dir / "error.txt"), error_file(long_message));

    GEN_RUN(gen_assert("count>0", "game.cpp", 42));
    EXPECT_EQ(read_file(dir / "error.txt"), error_file("assert failed (count>0) in file game.cpp line 42"));
    GEN_RUN(GEN_ASSERT(1 + 1 == 3));
    EXPECT_NE(read_file(dir / "error.txt").find("assert failed (1 + 1 == 3) in file"), std::string::npos);
}

TEST_F(GenInfoTest, LogsFollowTheOverrideFolder)
{
    fs::create_directories(dir / "over");
    setenv("U3_APP_DATA_PATH", (dir / "over").c_str(), 1);
    GEN_RUN(gen_history("h\n"); gen_error("e"));
    EXPECT_EQ(read_file(dir / "over" / "history.txt"), "h\n");
    EXPECT_EQ(read_file(dir / "over" / "error.txt"), error_file("e"));
    EXPECT_FALSE(fs::exists(dir / "history.txt"));
}

TEST_F(GenInfoTest, AnUnwritableHistoryIsFatal)
{
    fs::create_directories(dir / "history.txt");   // a folder where the file should be
    GEN_RUN(gen_history("x\n"); std::exit(9));
    EXPECT_NE(read_file(dir / "error.txt").find("gen_history: cant create or modify history file: history.txt"),
              std::string::npos);
}

TEST_F(GenInfoTest, EightThreeNames)
{
    EXPECT_EQ(gen_test_if_filename_is_8_3("data\\ABCDEFGH.TXT"), 1);
    EXPECT_EQ(gen_test_if_filename_is_8_3("snd/x.wav"), 1);
    EXPECT_EQ(gen_test_if_filename_is_8_3("README"), 1);
    struct bad {
        const char *name;
        const char *message;
    };
    for (const bad &b : {bad{"data\\ABCDEFGHI.TXT", "Filename data\\ABCDEFGHI.TXT is not 8.3 format -name 9 extension 3-"},
                         bad{"level.text", "Filename level.text is not 8.3 format -name 5 extension 4-"},
                         bad{"data\\.txt", "Filename data\\.txt is not 8.3 format -name 0 extension 3-"},
                         bad{nullptr, "gen_test_if_filename_is_8_3: filename is NULL!!"}}) {
        GEN_RUN(gen_test_if_filename_is_8_3(b.name); std::exit(3));
        EXPECT_EQ(read_file(dir / "error.txt"), error_file(b.message));
    }
}

TEST_F(GenInfoTest, ReallocZeroesTheNewElements)
{
    int count = 0;
    int *p = static_cast<int *>(gen_mem_malloc(__FILE__, __LINE__, 4 * sizeof(int), "test ints"));
    count = 4;
    for (int i = 0; i < 4; i++) p[i] = i + 1;
    EXPECT_EQ(gen_mem_realloc(__FILE__, __LINE__, p, &count, 4, sizeof(int), "test ints"), p);
    p = static_cast<int *>(gen_mem_realloc(__FILE__, __LINE__, p, &count, 10, sizeof(int), "test ints"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(count, 10);
    for (int i = 0; i < 4; i++) EXPECT_EQ(p[i], i + 1);
    for (int i = 4; i < 10; i++) EXPECT_EQ(p[i], 0);
    gen_mem_free(__FILE__, __LINE__, p);
}

namespace {

std::string game_error_text(const char *format, ...)
{
    char out[GAME_ERROR_SIZE];
    va_list args;
    va_start(args, format);
    Game_Error_Text(out, format, args);
    va_end(args);
    return out;
}

} // namespace

TEST(GameError, TextStartsWithErrorAndFitsTheBuffer)
{
    EXPECT_EQ(game_error_text("Can't open %s (%d)", "data\\levels.txt", 3), "Error: Can't open data\\levels.txt (3)");
    EXPECT_EQ(game_error_text("%s", ""), "Error: ");
    const std::string long_message(2000, 'q');
    std::string text = game_error_text("%s", long_message.c_str());
    EXPECT_EQ(text.size(), GAME_ERROR_SIZE - 1);
    EXPECT_EQ(text, "Error: " + std::string(GAME_ERROR_SIZE - 8, 'q'));
}
