// Heap behaviour: best fit, splitting, merging, growth, alignment and the refusal of pointers
// that are not blocks of the heap.
#include "kx_mem_fixture.h"

#include <cstdint>
#include <cstring>

namespace {

// Request sizes that are already block sizes (4 more than a multiple of 8).
constexpr int S100 = 100, S204 = 204, S300 = 300;

// Heap-level blocks without records, so that no bookkeeping block lands between them. Blocks
// still held when a test ends go with the heap in the fixture's shut-down.
void *alloc(size_t n) { return kx_mem_malloc_untracked(n, static_cast<int32_t>(n)); }

void release(void *p) { kx_mem_free_untracked(p, kx_mem_block_size(p)); }

// Takes every free block, so that the blocks a test frees are the only candidates.
std::vector<void *> drain()
{
    std::vector<void *> taken;
    for (int size : free_sizes()) taken.push_back(alloc(static_cast<size_t>(size)));
    return taken;
}

// Frees blocks of `sizes` with a held block behind each and nothing else free: the holes, in
// address order.
std::vector<void *> holes(std::initializer_list<int> sizes)
{
    std::vector<void *> blocks;
    for (int size : sizes) {
        blocks.push_back(alloc(static_cast<size_t>(size)));
        alloc(S100);
    }
    drain();
    for (void *b : blocks) release(b);
    return blocks;
}

TEST_F(KxMem, BestFitExactBeforeSplittableBeforeSmallSurplus)
{
    // An exact fit wins over an earlier block that could be split.
    std::vector<void *> h = holes({2000, S204});
    EXPECT_EQ(alloc(S204), h[1]);
    EXPECT_EQ(kx_mem_block_size(h[1]), S204);

    // A surplus of 8 cannot be split off, one of 200 can: the splittable block is taken first,
    // the other one whole when nothing else fits.
    h = holes({S204 + 8, S204 + 200});
    EXPECT_EQ(alloc(S204), h[1]);
    EXPECT_EQ(alloc(S204), h[0]);
    EXPECT_EQ(kx_mem_block_size(h[0]), S204 + 8);
}

TEST_F(KxMem, SurplusUpToHeaderSizeTakesTheWholeBlockBeyondItSplits)
{
    void *gap = holes({S300})[0];
    // Surplus 40 (<= 44): no room for a header and data, the whole block goes.
    void *whole = alloc(S300 - 40);
    EXPECT_EQ(whole, gap);
    EXPECT_EQ(kx_mem_block_size(whole), S300);
    release(whole);
    // Surplus 48 (> 44): split, the rest stays free as a block of 48 - 44 bytes.
    void *split = alloc(S300 - 48);
    EXPECT_EQ(split, gap);
    EXPECT_EQ(kx_mem_block_size(split), S300 - 48);
    EXPECT_EQ(free_sizes(), std::vector<int>{4});
}

TEST_F(KxMem, ThreeAdjacentBlocksMergeInAnyOrder)
{
    const int order[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto &o : order) {
        SCOPED_TRACE(testing::Message() << "order " << o[0] << o[1] << o[2]);
        void *left = alloc(S100);
        void *mid[3] = {alloc(S100), alloc(S204), alloc(S300)};
        void *right = alloc(S100);
        std::vector<void *> rest = drain();
        for (int i : o) release(mid[i]);
        EXPECT_EQ(free_sizes(), std::vector<int>{S100 + S204 + S300 + 88});
        EXPECT_EQ(kx_mem_heap_check(), 2);
        rest.insert(rest.end(), {left, right});
        for (void *x : rest) release(x);
        EXPECT_EQ(free_sizes().size(), 1u);
    }
}

TEST_F(KxMem, HeapAccountingStaysBalanced)
{
    KX_MEM_STATS before = stats();
    std::vector<void *> blocks;
    for (int i = 0; i < 40; i++) blocks.push_back(kx_mem_malloc(static_cast<size_t>(i * 37 % 500)));
    for (size_t i = 0; i < blocks.size(); i += 2) kx_mem_free(blocks[i]);
    for (size_t i = 1; i < blocks.size(); i += 2) kx_mem_free(blocks[i]);
    KX_MEM_STATS after = stats();
    EXPECT_EQ((std::vector<long>{after.heap_free, after.heap_used, after.tracked}),
              (std::vector<long>{before.heap_free, before.heap_used, before.tracked}));
    EXPECT_EQ(free_sizes().size(), 1u);
}

// Free plus used heap bytes are the data areas of all buffers, so their growth is the size of
// the buffer that was added: the minimum of 1 MiB, or the request with its header.
TEST_F(KxMem, GrowthAddsABufferOfTheRequestOrTheMinimum)
{
    const uint32_t big = 0x100004;   // a block size of at least 1 MiB
    std::vector<void *> held;
    for (auto [request, growth] : {std::pair<uint32_t, long>{70000, 1048624}, {big, big + 44}}) {
        SCOPED_TRACE(request);
        KX_MEM_STATS s0 = stats();
        void *p = kx_mem_malloc(request);
        ASSERT_NE(p, nullptr);
        KX_MEM_STATS s1 = stats();
        EXPECT_EQ(s1.buffers, s0.buffers + 1);
        EXPECT_EQ((s1.heap_free + s1.heap_used) - (s0.heap_free + s0.heap_used), growth);
        EXPECT_EQ(kx_mem_block_size(p), static_cast<int>(request | 4));
        held.push_back(p);
    }
    for (void *p : held) kx_mem_free(p);
    EXPECT_EQ(kx_mem_heap_check(), 2);
}

TEST_F(KxMem, AlignmentEightByDefaultSixteenPushedAndTooManyPops)
{
    for (uintptr_t align : {8u, 16u}) {
        if (align == 16) kx_mem_align_push(16);
        std::vector<void *> blocks;
        for (size_t n = 0; n < 72; n++) {
            size_t size = n < 70 ? n : n * 57;
            void *p = kx_mem_malloc(size);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % align, 0u) << size;
            std::memset(p, 0xAB, size);
            blocks.push_back(p);
        }
        if (align == 16) kx_mem_align_pop();
        for (void *p : blocks) EXPECT_EQ(kx_mem_free(p), 0);
        EXPECT_EQ(kx_mem_heap_check(), 2);
    }
    kx_error_pending.code = -1;
    kx_mem_align_pop();
    EXPECT_EQ(kx_error_pending.module, stats().module);
    EXPECT_EQ(kx_error_pending.code, KX_MEM_ERR_ALIGN_POP);
}

TEST_F(KxMem, ForeignAndInteriorPointersAreRefusedAndNothingIsFreed)
{
    int local = 0;
    char *p = static_cast<char *>(kx_mem_malloc(64));
    KX_MEM_STATS before = stats();
    for (void *bad : {static_cast<void *>(&local), static_cast<void *>(p + 8), static_cast<void *>(p + 4)}) {
        kx_error_pending.code = -1;
        EXPECT_EQ(kx_mem_free(bad), -1);
        EXPECT_EQ(kx_error_pending.code, KX_MEM_ERR_BAD_BLOCK);
    }
    KX_MEM_STATS after = stats();
    EXPECT_EQ(after.heap_free, before.heap_free);
    EXPECT_EQ(after.count, before.count);
    EXPECT_EQ(kx_mem_free(p), 0);
    EXPECT_EQ(kx_mem_free(p), -1);   // a second release of the same block
    EXPECT_EQ(kx_mem_heap_check(), 2);
}

TEST_F(KxMem, ReallocGrowsInPlaceShrinksAndMoves)
{
    char *p = static_cast<char *>(kx_mem_malloc(S100));
    long tracked_before = stats().tracked;
    for (int i = 0; i < S100; i++) p[i] = static_cast<char>(i);
    // The record's list node lies right behind the block: growing has to move it.
    char *moved = static_cast<char *>(kx_mem_realloc(p, 5000));
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, p);
    EXPECT_EQ(kx_mem_block_size(moved), 5004);
    // Shrinking cuts the tail off in place and frees it.
    char *shrunk = static_cast<char *>(kx_mem_realloc(moved, 1000));
    EXPECT_EQ(shrunk, moved);
    EXPECT_EQ(kx_mem_block_size(shrunk), 1004);
    // The tail just freed lies behind the block now: growing absorbs it in place.
    char *grown = static_cast<char *>(kx_mem_realloc(shrunk, 3000));
    EXPECT_EQ(grown, shrunk);
    for (int i = 0; i < S100; i++) ASSERT_EQ(grown[i], static_cast<char>(i));
    EXPECT_EQ(kx_mem_heap_check(), 2);
    EXPECT_EQ(stats().tracked, tracked_before - S100 + 3000);
    kx_mem_free(grown);
}

TEST_F(KxMem, FailedReallocKeepsTheBlockAndItsRecord)
{
    char *p = static_cast<char *>(kx_mem_malloc(S100));
    kx_mem_name(p, "keeper");
    std::memset(p, 7, S100);
    KX_MEM_STATS before = stats();
    EXPECT_EQ(kx_mem_realloc(p, 0x7FFFFFF0u), nullptr);
    KX_MEM_STATS after = stats();
    EXPECT_EQ(after.tracked, before.tracked);
    EXPECT_EQ(after.count, before.count);
    EXPECT_STREQ(kx_mem_name_get(p), "keeper");
    EXPECT_EQ(p[S100 - 1], 7);
    EXPECT_EQ(kx_mem_free(p), 0);
}

TEST_F(KxMem, HeapCheckFindsADamagedHeader)
{
    char *p = static_cast<char *>(kx_mem_malloc(S100));
    EXPECT_EQ(kx_mem_heap_check(), 2);
    uint32_t saved;
    std::memcpy(&saved, p - 44, 4);
    std::memset(p - 44, 0x55, 4);
    EXPECT_EQ(kx_mem_heap_check(), 0);
    std::memcpy(p - 44, &saved, 4);
    EXPECT_EQ(kx_mem_heap_check(), 2);
    kx_mem_free(p);
}

}  // namespace
