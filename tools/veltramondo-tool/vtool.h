// veltramondo-tool: the command-line tool for modders and for our own build. Each command lives
// in its own vtool_<command>.cpp and registers itself with VTOOL_COMMAND.
#pragma once

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

// A file of the line reader (levels, world definitions) whose lines end in LF alone is one long
// line to the game: says so on stderr. Needs the engine started.
void vtool_line_ends_check(const char *name);

// "levels render FILE LEVEL OUT.png [--pack FILE]": one level drawn as the game shows it.
int vtool_levels_render(const std::vector<std::string> &args);

// Writes 16-bit PCM as a WAVE file; false with a message on stderr when it cannot.
bool vtool_wave_write(const std::string &path, unsigned rate, unsigned channels, const std::vector<unsigned char> &pcm);

#define VTOOL_CONCAT2(a, b) a##b
#define VTOOL_CONCAT(a, b) VTOOL_CONCAT2(a, b)
#define VTOOL_COMMAND(name, usage, fn) \
    static const int VTOOL_CONCAT(vtool_registered_, __LINE__) = vtool_register(name, usage, fn)
