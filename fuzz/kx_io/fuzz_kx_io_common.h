// Shared by the kx_io fuzz targets: a private working folder and whole-file writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <unistd.h>

inline char fuzz_io_folder[64];

// Removes what the targets leave behind, then the folder itself.
inline void fuzz_io_leave_folder()
{
    for (const char *name : {"f.dat", "f.TOM", "f.ROM", "f.ini", "f.ini.tmp"}) std::remove(name);
    rmdir(fuzz_io_folder);
}

// Moves into a fresh temporary folder once per process; memory-backed when the system has one,
// since the targets write a file per input.
inline void fuzz_io_enter_folder()
{
    if (fuzz_io_folder[0]) return;
    std::strcpy(fuzz_io_folder, access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz_kx_io_XXXXXX" : "/tmp/fuzz_kx_io_XXXXXX");
    if (!mkdtemp(fuzz_io_folder) || chdir(fuzz_io_folder) != 0) std::abort();
    std::atexit(fuzz_io_leave_folder);
}

inline void fuzz_io_write(const char *name, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(name, "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}
