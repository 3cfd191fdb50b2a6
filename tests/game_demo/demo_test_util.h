// Shared by the demo tests: the error and memory modules, started once per test process.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"

inline bool demo_test_engine_started()
{
    static int32_t quiet = 0;
    static KX_MEM_SETTINGS memory{0, 0};
    static const bool started = kx_error_init(&quiet) && kx_mem_init(&memory);
    return started;
}
