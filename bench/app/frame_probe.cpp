// A probe preloaded into the game for measurements. It notes the time of every presented frame
// (each SDL_GL_SwapWindow, passed on to the one it hides) and, when the game ends, appends one
// line of figures:
//   first_ms    milliseconds from VM_PROBE_T0 (CLOCK_REALTIME nanoseconds, taken by whoever
//               started the process) to the end of the first presentation (the display clears
//               its window once when it starts); picture_ms the same to the end of the second,
//               the first picture of the frame loop
//   frames      frames counted: those after frame VM_PROBE_FROM (default 0) up to the last
//   fps         frames counted / their wall time; median_us the median frame time
//   cpu_pct     the process's CPU time (all threads) over those frames' wall time, in % of a core
//   cpu_us      the process's CPU time per counted frame, in microseconds, and split by thread:
//               main_us the main thread, raster_us the driver's rasteriser threads (llvmpipe),
//               other_us the rest (tick timer, sound, ...), read from /proc every 32 frames
//   rss_mb      largest resident size seen while counting (read every 32 frames); hwm_mb the
//               process's peak resident size
// The line goes to the file VM_PROBE_OUT, or to standard error.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <unistd.h>
#include <vector>

struct SDL_Window;

namespace {

using swap_fn = void (*)(SDL_Window *);

struct Probe {
    swap_fn swap = nullptr;
    long from = 0;
    long frames = 0;
    double first_ms = -1.0, picture_ms = -1.0;
    double cpu_from = 0.0, cpu_last = 0.0;
    long rss_max_kb = 0;
    std::vector<double> times; // wall seconds of the counted frames
    // CPU seconds by thread group (main, rasteriser, other) at the first counted frame and at the
    // latest reading, and the counted frames between the two.
    double threads_from[3] = {}, threads_last[3] = {};
    long threads_frames = 0;
} probe;

double seconds(clockid_t id)
{
    timespec t;
    clock_gettime(id, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// "VmRSS" or "VmHWM" of this process in kB, 0 when unreadable.
long status_kb(const char *key)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0) kb = std::atol(line + n + 1);
    std::fclose(f);
    return kb;
}

// CPU seconds of one thread from its schedstat (nanoseconds on a processor), 0 when unreadable.
double thread_seconds(const char *tid)
{
    char path[300];
    std::snprintf(path, sizeof path, "/proc/self/task/%s/schedstat", tid);
    FILE *f = std::fopen(path, "r");
    if (!f) return 0.0;
    unsigned long long ns = 0;
    if (std::fscanf(f, "%llu", &ns) != 1) ns = 0;
    std::fclose(f);
    return static_cast<double>(ns) * 1e-9;
}

// Sums the CPU time of this process's threads into groups: 0 the main thread, 1 the
// rasteriser threads (named "llvmpipe-N"), 2 every other thread.
void threads_read(double groups[3])
{
    groups[0] = groups[1] = groups[2] = 0.0;
    DIR *dir = opendir("/proc/self/task");
    if (!dir) return;
    const long pid = static_cast<long>(getpid());
    while (dirent *e = readdir(dir)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        char path[300], name[32] = "";
        std::snprintf(path, sizeof path, "/proc/self/task/%s/comm", e->d_name);
        if (FILE *f = std::fopen(path, "r")) {
            if (!std::fgets(name, sizeof name, f)) name[0] = 0;
            std::fclose(f);
        }
        int group = std::atol(e->d_name) == pid ? 0 : std::strncmp(name, "llvmpipe", 8) == 0 ? 1 : 2;
        groups[group] += thread_seconds(e->d_name);
    }
    closedir(dir);
}

__attribute__((constructor)) void probe_start()
{
    const char *from = std::getenv("VM_PROBE_FROM");
    probe.from = from ? std::max(0L, std::atol(from)) : 0;
    probe.times.reserve(1 << 16);
}

__attribute__((destructor)) void probe_report()
{
    if (probe.frames == 0) return;
    std::vector<double> gaps;
    for (size_t i = 1; i < probe.times.size(); i++)
        gaps.push_back(probe.times[i] - probe.times[i - 1]);
    double wall = probe.times.size() > 1 ? probe.times.back() - probe.times.front() : 0.0;
    double median = 0.0;
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + static_cast<long>(gaps.size() / 2), gaps.end());
        median = gaps[gaps.size() / 2];
    }
    const char *out = std::getenv("VM_PROBE_OUT");
    FILE *f = out ? std::fopen(out, "a") : stderr;
    if (!f) return;
    const double per_frame = probe.threads_frames > 0 ? 1e6 / static_cast<double>(probe.threads_frames) : 0.0;
    double group_us[3];
    for (int i = 0; i < 3; i++) group_us[i] = (probe.threads_last[i] - probe.threads_from[i]) * per_frame;
    std::fprintf(f,
                 "first_ms %.1f picture_ms %.1f frames %zu fps %.1f median_us %.0f cpu_pct %.1f rss_mb %.1f hwm_mb %.1f "
                 "cpu_us %.0f main_us %.0f raster_us %.0f other_us %.0f\n",
                 probe.first_ms, probe.picture_ms, gaps.size(),
                 wall > 0.0 ? static_cast<double>(gaps.size()) / wall : 0.0, median * 1e6,
                 wall > 0.0 ? 100.0 * (probe.cpu_last - probe.cpu_from) / wall : 0.0, probe.rss_max_kb / 1024.0,
                 status_kb("VmHWM:") / 1024.0, group_us[0] + group_us[1] + group_us[2], group_us[0], group_us[1],
                 group_us[2]);
    if (out) std::fclose(f);
}

} // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window *window)
{
    if (!probe.swap) probe.swap = reinterpret_cast<swap_fn>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (probe.swap) probe.swap(window);
    double now = seconds(CLOCK_MONOTONIC);
    if (probe.frames < 2) {
        const char *t0 = std::getenv("VM_PROBE_T0");
        double ms = t0 ? (seconds(CLOCK_REALTIME) - std::atof(t0) * 1e-9) * 1e3 : -1.0;
        (probe.frames == 0 ? probe.first_ms : probe.picture_ms) = ms;
    }
    if (probe.frames >= probe.from) {
        probe.times.push_back(now);
        probe.cpu_last = seconds(CLOCK_PROCESS_CPUTIME_ID);
        if (probe.frames == probe.from) probe.cpu_from = probe.cpu_last;
        if ((probe.frames - probe.from) % 32 == 0) {
            probe.rss_max_kb = std::max(probe.rss_max_kb, status_kb("VmRSS:"));
            threads_read(probe.frames == probe.from ? probe.threads_from : probe.threads_last);
            probe.threads_frames = probe.frames - probe.from;
        }
    }
    probe.frames++;
}
