// A started memory manager with a small first heap, and helpers to read its state.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"

#include <gtest/gtest.h>

#include <vector>

inline KX_MEM_STATS stats()
{
    KX_MEM_STATS s;
    kx_mem_stats_get(&s);
    return s;
}

// Sizes of the free blocks in address order.
inline std::vector<int> free_sizes()
{
    int sizes[64], count = 0;
    kx_mem_free_block_sizes(sizes, 64, &count);
    return std::vector<int>(sizes, sizes + (count < 64 ? count : 64));
}

class KxMem : public ::testing::Test {
protected:
    KX_MEM_SETTINGS settings{0, 64 * 1024};
    int32_t error_settings = 0;
    int32_t list_settings = 0;

    void SetUp() override
    {
        kx_error_init(&error_settings);
        kx_list_init(&list_settings);
        ASSERT_EQ(kx_mem_init(&settings), 1);
    }

    void TearDown() override
    {
        if (kx_mem_heap_check() != 1) kx_mem_deinit();
    }
};
