// The settings writer against a hard kill: a child process rewrites a large settings file over
// and over and is killed at some moment; whatever the moment, the file still holds every key.
#include "kx_io_test_util.h"

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

using namespace kxio_test;

namespace {

constexpr int KEYS = 20000;

std::string settings_text()
{
    std::string s = "[Main]\nCounter=0\n\n[Keys]\n";
    for (int i = 0; i < KEYS; i++) s += "K" + std::to_string(i) + "=value-" + std::to_string(i) + "\n";
    return s;
}

// The file without its Counter line, and the Counter value ("" when the line is missing).
std::pair<std::string, std::string> split_counter(const std::string &text)
{
    size_t at = text.find("Counter="), end = at == std::string::npos ? at : text.find('\n', at);
    if (end == std::string::npos) return {text, ""};
    return {text.substr(0, at) + text.substr(end + 1), text.substr(at + 8, end - at - 8)};
}

} // namespace

TEST_F(IoTest, SettingsSurviveAKillDuringAWrite)
{
    const std::string original = settings_text();
    const std::string rest = split_counter(original).first;
    write_file(dir / "big.ini", original);

    for (int round = 0; round < 5; round++) {
        int pipe_fd[2];
        ASSERT_EQ(pipe(pipe_fd), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipe_fd[0]);
            kx_io_init(&settings);
            for (int n = 1;; n++) {
                if (!kx_io_ini_set_int("Main", "Counter", n, "big.ini")) _exit(3);
                if (n == 1 && write(pipe_fd[1], "x", 1) != 1) _exit(4);
            }
        }
        close(pipe_fd[1]);
        char ready;
        ASSERT_EQ(read(pipe_fd[0], &ready, 1), 1) << "the writer failed before its first write";
        close(pipe_fd[0]);
        // Let it run into one of the following writes; any moment is a fair test.
        usleep(static_cast<useconds_t>(2000 + round * 7000));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with status " << status;

        SCOPED_TRACE(round);
        auto [text_rest, counter] = split_counter(read_file(dir / "big.ini"));
        EXPECT_EQ(text_rest, rest);
        EXPECT_FALSE(counter.empty());
        EXPECT_EQ(counter.find_first_not_of("0123456789"), std::string::npos) << counter;
    }

    // A write after the kill finds the leftover temporary file and still succeeds.
    ASSERT_EQ(start(), 1);
    ASSERT_EQ(kx_io_ini_set_int("Main", "Counter", 77, "big.ini"), 1);
    EXPECT_EQ(split_counter(read_file(dir / "big.ini")).second, "77");
}
