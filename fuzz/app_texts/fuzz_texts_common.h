// Shared by the texts fuzz targets: the engine modules the readers need, alerts swallowed, and a
// private folder for the files that the string-file readers open by name. The file is named by
// its full path: the working folder stays where libFuzzer finds its corpus and artifacts.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_core.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

inline char fuzz_texts_folder[64];
inline char fuzz_texts_file[80];

inline void fuzz_texts_leave()
{
    std::remove(fuzz_texts_file);
    rmdir(fuzz_texts_folder);
}

inline void fuzz_texts_start()
{
    static bool started = false;
    if (started) return;
    started = true;
    static int32_t quiet = 0;
    static KX_MEM_SETTINGS memory{0, 0};
    static KX_IO_SETTINGS io{};
    if (!kx_error_init(&quiet) || !kx_mem_init(&memory) || !kx_io_init(&io)) std::abort();
    plat_alert_capture([](const char *, const char *, unsigned) { return 1; });
    std::strcpy(fuzz_texts_folder, access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz_texts_XXXXXX" : "/tmp/fuzz_texts_XXXXXX");
    if (!mkdtemp(fuzz_texts_folder)) std::abort();
    std::snprintf(fuzz_texts_file, sizeof fuzz_texts_file, "%s/f.txt", fuzz_texts_folder);
    std::atexit(fuzz_texts_leave);
}

inline void fuzz_texts_write(const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(fuzz_texts_file, "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

inline void require(bool ok)
{
    if (!ok) std::abort();
}
