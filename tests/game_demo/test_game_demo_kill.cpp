// A recording is never lost: a child process saves two different recordings of one level in turn
// and is killed at a random moment, and whatever the moment the file holds one whole recording
// that reads back as a demo; a recording that fills its tables is saved with its whole steps, and
// one that cannot be saved says so, without a fatal error.
#include "game/game_local.h"
#include "game/game_demo.h"
#include "game/game_demo_file.h"
#include "game/game_random.h"
#include "game/game_text.h"

#include "kx/kx_io/kx_io.h"
#include "tests/game_demo/demo_test_util.h"
#include "tests/kill_test_util.h"
#include "tests/kx_io/kx_io_test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <vector>


namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> movement(DEMO_STEPS_MAX);
std::vector<int32_t> rands(DEMO_RANDS_MAX);

// Recording `which` (0 or 1) of level 4 on the tape: counts and contents differ between the two.
void tape_fill(int which)
{
    tape.movement = movement.data();
    tape.rand = rands.data();
    tape.level = 4;
    tape.step_index = which ? DEMO_STEPS_MAX : DEMO_STEPS_MAX / 2;
    tape.rand_count = which ? DEMO_RANDS_MAX : DEMO_RANDS_MAX / 3;
    for (int i = 0; i < DEMO_STEPS_MAX; i++) movement[i] = static_cast<uint8_t>((i + which * 7) & 63);
    for (int i = 0; i < DEMO_RANDS_MAX; i++) rands[i] = (i * 31 + which) % 32767;
}

class DemoKillTest : public ::testing::Test {
protected:
    fs::path dir, old_cwd;
    KX_IO_SETTINGS io{0, 0, nullptr, nullptr};

    void SetUp() override
    {
        ASSERT_TRUE(demo_test_engine_started());
        old_cwd = fs::current_path();
        std::string tmpl = (fs::temp_directory_path() / "vdemo_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        fs::current_path(dir);
        unsetenv("U3_APP_DATA_PATH");
        setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
        ASSERT_EQ(kx_io_init(&io), 1);
        ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    }

    void TearDown() override
    {
        kx_io_deinit();
        fs::current_path(old_cwd);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

} // namespace

TEST_F(DemoKillTest, ARecordingSurvivesAKillDuringItsSave)
{
    const fs::path file = dir / "xdg" / "Pellovar" / "Veltramondo" / "level" / "level 4.dem";
    tape_fill(1);
    Demo_Save();
    const std::string b = kxio_test::read_file(file);
    tape_fill(0);
    Demo_Save();
    const std::string a = kxio_test::read_file(file);
    ASSERT_EQ(a.size(), 12u + DEMO_STEPS_MAX / 2 + 4 * (DEMO_RANDS_MAX / 3));
    ASSERT_EQ(b.size(), 12u + DEMO_STEPS_MAX + 4 * DEMO_RANDS_MAX);

    std::mt19937 random(20261206);
    int mid_write = 0;
    for (int round = 0; round < 100; round++) {
        const std::string killed = kill_writer(
            [](int n) {
                tape_fill(n % 2);
                Demo_Save();
                return true;
            },
            std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ASSERT_EQ(killed, "");
        mid_write += fs::exists(file.string() + ".tmp");
        const std::string bytes = kxio_test::read_file(file);
        ASSERT_TRUE(bytes == a || bytes == b) << "round " << round << ": " << bytes.size() << " bytes";
    }
    // The file left by the last kill loads as a demo.
    KX_IO *f = kx_io_fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    DEMO_HEAD head{};
    std::vector<uint8_t> moves(DEMO_STEPS_MAX);
    std::vector<int32_t> values(DEMO_RANDS_MAX);
    EXPECT_EQ(Demo_File_Read(f, "level 4.dem", 50, &head, moves.data(), values.data(), [](int, const char *) {}), 1);
    kx_io_fclose(f);
    EXPECT_EQ(head.level, 4);
    RecordProperty("kills_during_a_write", mid_write);
}

TEST_F(DemoKillTest, FullTablesEndTheRecordingWithItsWholeStepsAndAFailedSaveIsTold)
{
    const fs::path folder = dir / "xdg" / "Pellovar" / "Veltramondo";
    const struct {
        const char *what;
        int step_index, rand_count, drawn;   // the tape when a step begins; values that step draws
        bool blocked;                        // "level" is a file: the folder cannot be made
        int steps, randoms, notice;          // what is saved (-1: nothing) and told
    } cases[] = {
        {"movement table full", DEMO_STEPS_MAX - 1, 100, 3, false, DEMO_STEPS_MAX, 103, MSG_RECORDING_FULL},
        {"rand table full", 500, DEMO_RANDS_MAX - 2, 5, false, 500, DEMO_RANDS_MAX - 2, MSG_RECORDING_FULL},
        {"room left", 500, 100, 5, false, -1, -1, 0},
        {"folder refused", DEMO_STEPS_MAX - 1, 100, 3, true, -1, -1, MSG_RECORDING_LOST},
    };
    game_flags.attract_mode = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder / "level");
        if (c.blocked) {
            fs::create_directories(folder);
            std::ofstream(folder / "level") << "in the way";
        }
        tape_fill(0);
        tape.recording = 1;
        tape.step_index = c.step_index;
        tape.rand_count = c.rand_count;
        demo.notice = 0;
        game_errors_capture();
        Game_Tape_Step_Begin();
        for (int i = 0; i < c.drawn; i++) Game_Random();
        Game_Tape_Advance();
        EXPECT_EQ(tape.recording, c.steps < 0 && !c.notice);
        EXPECT_EQ(demo.notice, c.notice);
        EXPECT_TRUE(game_errors().empty());
        const fs::path file = folder / "level" / "level 4.dem";
        ASSERT_EQ(fs::is_regular_file(file), c.steps >= 0);
        if (c.steps < 0) continue;
        const std::string bytes = kxio_test::read_file(file);
        ASSERT_EQ(bytes.size(), 12u + c.steps + 4u * c.randoms);
        EXPECT_EQ(bytes.substr(4, 8), le32(c.steps) + le32(c.randoms));
    }
    tape.recording = 0;
    fs::remove_all(folder / "level");
}
