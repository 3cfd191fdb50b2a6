// veltramondo-tool: the command-line tool for modders and for our own build. Each command lives
// in its own vtool_<command>.cpp and registers itself with VTOOL_COMMAND.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using vtool_fn = int (*)(const std::vector<std::string> &args);

struct vtool_command {
    const char *name;
    const char *usage;
    vtool_fn run;
};

int vtool_register(const char *name, const char *usage, vtool_fn run);

// Brings up the engine modules a command needs (error, list, memory, string, file I/O with the
// data pack named, or none when pack is null) and takes them down again; quiet unless told.
int vtool_engine_start(const char *pack);
void vtool_engine_stop();

// Reads a whole file by its game name exactly as the game does (data pack first when one is
// open, then the disk); false with a message on stderr when it cannot.
bool vtool_file_read(const std::string &name, std::vector<unsigned char> &out);

// The whole of a file on the disk (not through the data pack), for the media commands, in a
// buffer of its own (plat_mem's bulk kind: it is filled at a fraction of the page faults).
struct VTOOL_BYTES {
    uint8_t *data = nullptr;
    size_t size = 0;
    VTOOL_BYTES() = default;
    VTOOL_BYTES(const VTOOL_BYTES &) = delete;
    VTOOL_BYTES &operator=(const VTOOL_BYTES &) = delete;
    ~VTOOL_BYTES();
};
// False when the file cannot be read.
bool vtool_disk_read(const std::string &path, VTOOL_BYTES &out);
// True when the file on the disk can be opened for reading.
bool vtool_disk_exists(const std::string &path);

// A file of the line reader (levels, world definitions) whose lines end in LF alone is one long
// line to the game: says so on stderr. Needs the engine started.
void vtool_line_ends_check(const char *name);

// A 16-bit PCM WAVE file written piece by piece: open writes the header, put appends samples,
// close puts the final sizes into the header. Each is false once anything failed; close then
// says so on stderr.
struct VTOOL_WAVE {
    std::FILE *file = nullptr;
    std::string path;
    unsigned rate = 0, channels = 0;
    uint64_t bytes = 0;
    bool ok = false;
};
bool vtool_wave_open(VTOOL_WAVE &w, const std::string &path, unsigned rate, unsigned channels);
bool vtool_wave_put(VTOOL_WAVE &w, const void *pcm, size_t bytes);
bool vtool_wave_close(VTOOL_WAVE &w);

// "levels render FILE LEVEL OUT.png [--pack FILE]": one level drawn as the game shows it.
int vtool_levels_render(const std::vector<std::string> &args);

// Writes 16-bit PCM as a WAVE file; false with a message on stderr when it cannot.
bool vtool_wave_write(const std::string &path, unsigned rate, unsigned channels, const std::vector<unsigned char> &pcm);

#define VTOOL_CONCAT2(a, b) a##b
#define VTOOL_CONCAT(a, b) VTOOL_CONCAT2(a, b)
#define VTOOL_COMMAND(name, usage, fn) \
    static const int VTOOL_CONCAT(vtool_registered_, __LINE__) = vtool_register(name, usage, fn)
