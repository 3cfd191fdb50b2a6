// The high-score file against a hard kill: a child process saves two different tables in turn
// and is killed at a random moment; whatever the moment, the file holds one of the two tables.
#include "menu_test_util.h"

#include "game/game_hiscore.h"
#include "tests/kill_test_util.h"

#include <cstring>
#include <random>


using namespace menu_test;

namespace {

void fill(int32_t base, const char *letters)
{
    for (int i = 0; i < HISCORE_ENTRIES; i++) {
        hiscore.score[i] = base - 100 * i;
        std::memset(hiscore.name[i], letters[i], 3);
    }
}

TEST_F(GameFolderTest, HighScoresSurviveAKillDuringASave)
{
    const std::string a = table_bytes({{9000, "AAA"}, {8900, "BBB"}, {8800, "CCC"}, {8700, "DDD"}, {8600, "EEE"}});
    const std::string b = table_bytes({{5000, "VVV"}, {4900, "WWW"}, {4800, "XXX"}, {4700, "YYY"}, {4600, "ZZZ"}});
    std::mt19937 random(20261206);
    for (int round = 0; round < 100; round++) {
        const std::string killed = kill_writer(
            [](int n) {
                if (n == 1 && !Hiscore_Defaults()) return false;
                fill(n % 2 ? 9000 : 5000, n % 2 ? "ABCDE" : "VWXYZ");
                Hiscore_Save();
                return game_errors().empty();
            },
            std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ASSERT_EQ(killed, "");
        std::string file = read_file(user_dir() / "highscor.dat");
        EXPECT_TRUE(file == a || file == b) << "round " << round << ": " << file.size() << " bytes";
    }
    // The table loads cleanly after the last kill, leftover temporary file or not.
    Hiscore_Load();
    EXPECT_TRUE(hiscore.score[0] == 9000 || hiscore.score[0] == 5000);
    Hiscore_Free();
}

} // namespace
