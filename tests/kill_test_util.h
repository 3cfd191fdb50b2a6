// Crash-mid-write tests: a child process writes over and over and is killed at a chosen moment,
// so the test can look at what the kill left on the disk.
#pragma once

#include <csignal>
#include <functional>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

// Runs `write_once(n)` for n = 1, 2, ... in a child process (each call one complete write; false
// ends the child), waits until the first write is done, lets it run `delay_us` more and kills it.
// Returns "" when the kill ended the writer, else what went wrong.
inline std::string kill_writer(const std::function<bool(int)> &write_once, useconds_t delay_us)
{
    int pipe_fd[2];
    if (pipe(pipe_fd) != 0) return "no pipe";
    pid_t child = fork();
    if (child < 0) return "no fork";
    if (child == 0) {
        close(pipe_fd[0]);
        for (int n = 1;; n++) {
            if (!write_once(n)) _exit(3);
            if (n == 1 && write(pipe_fd[1], "x", 1) != 1) _exit(4);
        }
    }
    close(pipe_fd[1]);
    char ready;
    const bool started = read(pipe_fd[0], &ready, 1) == 1;
    close(pipe_fd[0]);
    if (started) usleep(delay_us);
    kill(child, SIGKILL);
    int status = 0;
    if (waitpid(child, &status, 0) != child) return "the writer was lost";
    if (!started) return "the writer failed before its first write";
    if (!WIFSIGNALED(status)) return "the writer stopped by itself with status " + std::to_string(status);
    return "";
}
