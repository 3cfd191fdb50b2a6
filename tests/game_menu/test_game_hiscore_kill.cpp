// The high-score file against a hard kill: a child process saves two different tables in turn
// and is killed at a random moment; whatever the moment, the file holds one of the two tables.
#include "menu_test_util.h"

#include "game/game_hiscore.h"

#include <csignal>
#include <cstring>
#include <random>

#include <sys/wait.h>

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
        int pipe_fd[2];
        ASSERT_EQ(pipe(pipe_fd), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipe_fd[0]);
            if (!Hiscore_Defaults()) _exit(3);
            for (int n = 0;; n++) {
                fill(n % 2 ? 5000 : 9000, n % 2 ? "VWXYZ" : "ABCDE");
                Hiscore_Save();
                if (!game_errors.empty()) _exit(4);
                if (n == 0 && write(pipe_fd[1], "x", 1) != 1) _exit(5);
            }
        }
        close(pipe_fd[1]);
        char ready;
        ASSERT_EQ(read(pipe_fd[0], &ready, 1), 1) << "the writer failed before its first save";
        close(pipe_fd[0]);
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with status " << status;
        std::string file = read_file(user_dir() / "highscor.dat");
        EXPECT_TRUE(file == a || file == b) << "round " << round << ": " << file.size() << " bytes";
    }
    // The table loads cleanly after the last kill, leftover temporary file or not.
    Hiscore_Load();
    EXPECT_TRUE(hiscore.score[0] == 9000 || hiscore.score[0] == 5000);
    Hiscore_Free();
}

} // namespace
