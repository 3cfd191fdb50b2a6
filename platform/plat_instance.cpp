// plat_instance on Linux: flock() on a lock file and an abstract-namespace Unix socket. The
// socket's name is derived from the lock file's full path, so copies that share a per-user folder
// find each other and copies with different folders (tests) do not.
#include "platform/plat_instance.h"

#include "platform/plat_core.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

struct PLAT_INSTANCE_STATE {
    int lock_fd = -1;
    int listen_fd = -1;
    std::string path;            // the lock file
    std::thread listener;
    std::atomic<int> stop{0};

    // A process that ends without releasing the instance (Xlib exits when the display goes away)
    // stops the listener instead of aborting on a joinable thread.
    ~PLAT_INSTANCE_STATE()
    {
        stop = 1;
        if (listener.joinable()) listener.join();
    }
};

PLAT_INSTANCE_STATE instance;

constexpr char CMD_RAISE = 'R';
constexpr char CMD_CLOSE = 'C';

std::string lock_path(const char *folder, const char *name)
{
    std::string dir = folder && *folder ? folder : ".";
    if (dir.back() != '/') dir += '/';
    return dir + (name && *name ? name : "veltramondo") + ".lock";
}

// Abstract socket address: a hash of the lock file's full path and the user id.
socklen_t socket_address(const std::string &path, sockaddr_un *addr)
{
    char full[PATH_MAX];
    const char *p = realpath(path.c_str(), full) ? full : path.c_str();
    uint64_t h = 1469598103934665603ull;
    for (const char *c = p; *c; c++) h = (h ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    int n = std::snprintf(addr->sun_path + 1, sizeof addr->sun_path - 1, "veltramondo-%u-%016llx",
                          static_cast<unsigned>(getuid()), static_cast<unsigned long long>(h));
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

void listen_loop(int fd)
{
    while (!instance.stop.load()) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        int c = accept(fd, nullptr, nullptr);
        if (c < 0) continue;
        char cmd = 0;
        pollfd q{c, POLLIN, 0};
        if (poll(&q, 1, 1000) > 0 && read(c, &cmd, 1) == 1) {
            if (cmd == CMD_CLOSE) plat_message_post(PLAT_WM_CLOSE, 0, 0);
            else if (cmd == CMD_RAISE) plat_message_post(PLAT_WM_INSTANCE_RAISE, 0, 0);
            plat_wake();
            char ok = 'K';
            (void)!write(c, &ok, 1);
        }
        close(c);
    }
}

int send_command(char cmd)
{
    if (instance.path.empty()) return 0;
    sockaddr_un addr;
    socklen_t len = socket_address(instance.path, &addr);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    int ok = 0;
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), len) == 0 && write(fd, &cmd, 1) == 1) {
        char answer = 0;
        pollfd p{fd, POLLIN, 0};
        ok = poll(&p, 1, 2000) > 0 && read(fd, &answer, 1) == 1 && answer == 'K';
    }
    close(fd);
    return ok;
}

} // namespace

int plat_instance_acquire(const char *folder, const char *name)
{
    plat_instance_release();
    instance.path = lock_path(folder, name);
    int fd = open(instance.path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return PLAT_INSTANCE_ERROR;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return errno == EWOULDBLOCK ? PLAT_INSTANCE_OTHER : PLAT_INSTANCE_ERROR;
    }
    instance.lock_fd = fd;
    char pid[32];
    int n = std::snprintf(pid, sizeof pid, "%ld\n", static_cast<long>(getpid()));
    if (ftruncate(fd, 0) == 0) (void)!write(fd, pid, static_cast<size_t>(n));

    sockaddr_un addr;
    socklen_t len = socket_address(instance.path, &addr);
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s >= 0 && bind(s, reinterpret_cast<sockaddr *>(&addr), len) == 0 && listen(s, 4) == 0) {
        instance.listen_fd = s;
        instance.stop = 0;
        instance.listener = std::thread(listen_loop, s);
    } else if (s >= 0) {
        close(s);
    }
    return PLAT_INSTANCE_FIRST;
}

void plat_instance_release()
{
    if (instance.listener.joinable()) {
        instance.stop = 1;
        instance.listener.join();
    }
    if (instance.listen_fd >= 0) close(instance.listen_fd);
    instance.listen_fd = -1;
    if (instance.lock_fd >= 0) {
        flock(instance.lock_fd, LOCK_UN);
        close(instance.lock_fd);
    }
    instance.lock_fd = -1;
}

int plat_instance_raise_other()
{
    return send_command(CMD_RAISE);
}

int plat_instance_close_other()
{
    return send_command(CMD_CLOSE);
}

int plat_instance_lock_held(const char *folder, const char *name)
{
    std::string path = lock_path(folder, name);
    if (instance.lock_fd >= 0 && path == instance.path) return 1;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    int held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}
