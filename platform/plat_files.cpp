// plat_files: paths, folders, durable renames and child processes on Linux (see plat_files.h).
#include "platform/plat_files.h"
#include "platform/plat_files_local.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

// ---------------------------------------------------------------------------------------------
// Paths
// ---------------------------------------------------------------------------------------------

static bool plat_exists_raw(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Finds `part` inside folder `dir` ignoring case; empty string when there is no such entry.
static std::string plat_match_case(const std::string &dir, const std::string &part)
{
    DIR *d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::string();
    std::string found;
    while (dirent *e = readdir(d)) {
        if (strcasecmp(e->d_name, part.c_str()) == 0) {
            found = e->d_name;
            if (found == part) break;
        }
    }
    closedir(d);
    return found;
}

static std::string plat_resolve(const char *name)
{
    std::string path(name);
    for (char &c : path)
        if (c == '\\') c = '/';
    if (path.empty() || plat_exists_raw(path)) return path;

    std::string result;
    size_t pos = 0;
    if (path[0] == '/') {
        result = "/";
        pos = 1;
    }
    bool matching = true;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(pos, slash - pos);
        if (!part.empty()) {
            if (matching && part != "." && part != ".." && !plat_exists_raw(result + part)) {
                std::string real = plat_match_case(result, part);
                if (!real.empty())
                    part = real;
                else
                    matching = false;
            }
            result += part;
        }
        if (slash < path.size()) result += '/';
        pos = slash + 1;
    }
    return result;
}

int plat_files_native_path(const char *name, char *out, size_t size)
{
    if (!name || !out || size == 0) return 0;
    std::string path = plat_resolve(name);
    if (path.size() + 1 > size) {
        out[0] = 0;
        return 0;
    }
    std::memcpy(out, path.c_str(), path.size() + 1);
    return 1;
}

FILE *plat_files_fopen(const char *name, const char *mode)
{
    if (!name || !mode) return nullptr;
    char m[16];
    size_t n = 0;
    for (const char *p = mode; *p && n + 1 < sizeof m; p++)
        if (*p != 't') m[n++] = *p;
    m[n] = 0;
    return std::fopen(plat_resolve(name).c_str(), m);
}

int plat_files_exists(const char *name)
{
    if (!name || !*name) return 0;
    struct stat st;
    return stat(plat_resolve(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

long long plat_files_mtime(const char *name)
{
    if (!name || !*name) return -1;
    struct stat st;
    if (stat(plat_resolve(name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

int plat_files_dir_writable(const char *name)
{
    if (!name || !*name) return 0;
    std::string path = plat_resolve(name);
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(path.c_str(), W_OK | X_OK) == 0;
}

// ---------------------------------------------------------------------------------------------
// Folders and files
// ---------------------------------------------------------------------------------------------

int plat_files_mkdir(const char *name)
{
    if (!name || !*name) return 0;
    std::string path = plat_resolve(name);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return 0;
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int plat_files_list(const char *folder, void (*fn)(const char *name, void *context), void *context)
{
    if (!folder || !fn) return -1;
    std::string path = plat_resolve(folder);
    DIR *d = opendir(path.empty() ? "." : path.c_str());
    if (!d) return -1;
    if (!path.empty() && path.back() != '/') path += '/';
    int count = 0;
    while (dirent *e = readdir(d)) {
        struct stat st;
        if (stat((path + e->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        fn(e->d_name, context);
        count++;
    }
    closedir(d);
    return count;
}

int plat_files_remove(const char *name)
{
    if (!name) return -1;
    const std::string path = plat_resolve(name);
    if (std::remove(path.c_str()) != 0) return -1;
    // A file removed must stay removed, as a file written must stay written.
    plat_files_kept(path);
    return 0;
}

int plat_files_rename(const char *from, const char *to)
{
    if (!from || !to) return -1;
    return std::rename(plat_resolve(from).c_str(), plat_resolve(to).c_str());
}

int plat_files_sync(FILE *stream)
{
    if (!stream) return -1;
    if (std::fflush(stream) != 0) return -1;
    return fsync(fileno(stream)) == 0 ? 0 : -1;
}

int plat_files_replace(const char *temp, const char *dest)
{
    if (!temp || !dest) return -1;
    std::string to = plat_resolve(dest);
    if (std::rename(plat_resolve(temp).c_str(), to.c_str()) != 0) return -1;
    plat_files_kept(to);
    return 0;
}

int plat_files_cwd_get(char *out, size_t size)
{
    if (!out || size == 0) return 0;
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) {
        out[0] = 0;
        return 0;
    }
    std::string cwd(buf);
    for (char &c : cwd)
        if (c == '/') c = '\\';
    if (cwd.empty() || cwd.back() != '\\') cwd += '\\';
    if (cwd.size() + 1 > size) {
        out[0] = 0;
        return 0;
    }
    std::memcpy(out, cwd.c_str(), cwd.size() + 1);
    return 1;
}

namespace {

// $<variable> when it is an absolute path, else $HOME/<fallback>; every missing level is
// created, private to the user, as the desktop would. Game form, without a trailing backslash.
int xdg_base_get(const char *variable, const char *fallback, char *out, size_t size)
{
    if (!out || size == 0) return 0;
    out[0] = 0;
    std::string base;
    const char *xdg = std::getenv(variable);
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || !*home) return 0;
        base = std::string(home) + "/" + fallback;
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    for (size_t i = 1; i <= base.size(); i++) {
        if (i == base.size() || base[i] == '/') {
            std::string level = base.substr(0, i);
            if (mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return 0;
        }
    }
    for (char &c : base)
        if (c == '/') c = '\\';
    if (base.size() + 1 > size) return 0;
    std::memcpy(out, base.c_str(), base.size() + 1);
    return 1;
}

} // namespace

int plat_files_user_base_get(char *out, size_t size)
{
    return xdg_base_get("XDG_DATA_HOME", ".local/share", out, size);
}

int plat_files_config_base_get(char *out, size_t size)
{
    return xdg_base_get("XDG_CONFIG_HOME", ".config", out, size);
}

// ---------------------------------------------------------------------------------------------
// Child processes
// ---------------------------------------------------------------------------------------------

int plat_files_run(const char *program, const char *dir, int wait)
{
    if (!program || !*program) return -1;
    std::string path = plat_resolve(program);
    std::string cwd = dir && *dir ? plat_resolve(dir) : std::string();
    // Run by an explicit path so that a bare name means the file in the child's folder.
    if (path.find('/') == std::string::npos) path = "./" + path;
    if (!cwd.empty() && path[0] != '/') {
        size_t slash = path.rfind('/');
        path = "./" + path.substr(slash + 1);
    }
    std::string arg0 = path.substr(path.rfind('/') + 1);
    char *argv[] = {arg0.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    if (!wait) return 0;

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

int plat_files_data_folder_find(const char *pack_name, char *out, size_t size)
{
    if (!out || size == 0) return 0;
    out[0] = 0;
    std::string found;
    const char *env = std::getenv("VELTRAMONDO_DATA");
    if (env && *env) {
        found = env;
    } else {
        char exe[4096];
        ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0) return 0;
        exe[n] = 0;
        std::string dir(exe);
        dir.erase(dir.rfind('/') + 1);
        std::string share = dir + VM_DATA_FROM_GAME;
        struct stat st;
        if (pack_name && *pack_name && plat_exists_raw(dir + pack_name))
            found = dir;
        else if (stat(share.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            found = share;
        else
            return 0;
    }
    if (found.size() + 1 > size) return 0;
    std::memcpy(out, found.c_str(), found.size() + 1);
    return 1;
}

int plat_files_chdir(const char *path)
{
    if (!path || !*path) return -1;
    return chdir(plat_resolve(path).c_str());
}
