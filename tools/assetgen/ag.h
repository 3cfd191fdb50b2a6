// assetgen: generates the game's binary content from the recipes in assets/. Deterministic: the
// same sources give byte-identical files. Each generator lives in its own ag_<family>.cpp and
// registers itself with AG_GENERATOR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A generator writes its files below `out` (game names with backslashes turned into folders,
// e.g. "gfx\\backgrou\\1.png" -> out/gfx/backgrou/1.png) reading recipes below `assets`.
// Returns 0 on success; prints its own error otherwise.
using ag_fn = int (*)(const std::string &assets, const std::string &out);

int ag_register(const char *name, ag_fn run);
// A generator of files that are not game data (desktop icons): it runs only when named.
int ag_register_on_request(const char *name, ag_fn run);

// Writes bytes to out/<game name>, creating folders; returns 0 or prints an error and returns 1.
int ag_write_file(const std::string &out, const std::string &game_name, const std::vector<uint8_t> &bytes);

// Deterministic noise (xorshift32) in -1..1: one generator per sound or voice, with its own seed.
struct ag_noise {
    uint32_t state;
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

#define AG_CONCAT2(a, b) a##b
#define AG_CONCAT(a, b) AG_CONCAT2(a, b)
#define AG_GENERATOR(name, fn) static const int AG_CONCAT(ag_registered_, __LINE__) = ag_register(name, fn)
#define AG_GENERATOR_ON_REQUEST(name, fn) \
    static const int AG_CONCAT(ag_registered_, __LINE__) = ag_register_on_request(name, fn)
