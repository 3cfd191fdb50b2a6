// Shared by the world fuzz targets: a scratch folder with a few small pictures that definition
// files may name, quiet fatal errors and alerts, and one load-and-run of a world.
#pragma once

#include "platform/plat_core.h"
#include "platform/plat_files.h"
#include "world/world.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <string>

namespace fuzz_world {

// A 2 x 3 magenta PNG.
constexpr unsigned char tiny_png[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x03, 0x08, 0x02, 0x00, 0x00, 0x00, 0x36, 0x88, 0x49, 0xd6, 0x00, 0x00, 0x00, 0x10, 0x49,
    0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xf0, 0x1f, 0x88, 0x18, 0x50, 0x28, 0x00, 0x7d, 0x97, 0x0b, 0xf5,
    0x39, 0xf1, 0x5a, 0x86, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

inline void quiet_error(const char *)
{
}

inline int quiet_alert(const char *, const char *, unsigned)
{
    return 1;
}

inline void file_write(const char *name, const void *data, size_t size)
{
    FILE *f = std::fopen(name, "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// Once per process: a scratch folder holding a.png, b.png and walk00.png to walk03.png.
inline void setup()
{
    static bool done = false;
    if (done) return;
    done = true;
    char dir[] = "/tmp/vm_fuzz_world_XXXXXX";
    if (!mkdtemp(dir) || plat_files_chdir(dir) != 0) std::abort();
    for (const char *name : {"a.png", "b.png", "walk00.png", "walk01.png", "walk02.png", "walk03.png"})
        file_write(name, tiny_png, sizeof tiny_png);
    world_error_hook_set(quiet_error);
    plat_alert_capture(quiet_alert);
}

// Loads the world and runs a few steps of it, then frees it. The map notices that go to
// standard output are dropped: thousands of runs need not print them.
inline void run(const char *def, const char *map)
{
    std::fflush(stdout);
    static const int saved = dup(1);
    static const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    world_params_reset();
    if (Load_Level(def, map, 1) == WORLD_LOADED) {
        for (int i = 0; i < 8; i++) {
            update_animated_bitmaps(1.0);
            update_moving_cells(1.0);
            update_animated_objects(1.0);
        }
        if (world_max_object > 0) asign_animation_to_object(1, 0, 1, 0);
        relink_objects(1);
    }
    free_level();
    std::fflush(stdout);
    dup2(saved, 1);
}

} // namespace fuzz_world
