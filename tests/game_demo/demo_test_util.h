// Shared by the demo tests: the error and memory modules, started once per test process, the
// bytes of a count and the fatal errors captured.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"
#include "tests/game_error_capture.h"

#include <cstdint>
#include <string>

// The four little-endian bytes of a 32-bit value, as demo files hold them.
inline std::string le32(int32_t v)
{
    std::string s(4, 0);
    for (int i = 0; i < 4; i++) s[i] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    return s;
}

inline bool demo_test_engine_started()
{
    static int32_t quiet = 0;
    static KX_MEM_SETTINGS memory{0, 0};
    static const bool started = (game_errors_capture(), kx_error_init(&quiet) && kx_mem_init(&memory));
    return started;
}
