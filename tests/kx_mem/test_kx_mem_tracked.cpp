// Tracked allocations: records, names, statistics, pass-through before start-up and the
// balance at shut-down.
#include "kx_mem_fixture.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST_F(KxMem, NamesChainRecordCallSitesAndRefuseStrayPointers)
{
    void *p = kx_mem_malloc(10);
    for (const char *name : {"a", "b", "c"}) EXPECT_EQ(kx_mem_name(p, name), 1);
    EXPECT_STREQ(kx_mem_name_get(p), "c (Previously known as b (Previously known as a))");
    kx_mem_free(p);
    // A long name with its call site outgrows the name buffer.
    p = kx_mem_malloc(4);
    std::string long_name(300, 'n');
    EXPECT_EQ(kx_mem_name_at(p, long_name.c_str(), "src/file.cpp", 42), 1);
    EXPECT_EQ(std::string(kx_mem_name_get(p)), long_name + " (Allocated or Named in file: src/file.cpp, on line: 42)");
    EXPECT_STREQ(kx_error_pending.location, "(File: src/file.cpp, Line: 42)");
    kx_mem_free(p);

    kx_error_pending.code = -1;
    EXPECT_EQ(kx_mem_name(nullptr, "x"), 0);
    EXPECT_EQ(kx_error_pending.code, KX_MEM_ERR_NAME_NULL);
    int local;
    EXPECT_EQ(kx_mem_name(&local, "stray"), 0);
    EXPECT_EQ(kx_error_pending.code, KX_MEM_ERR_NAME_UNKNOWN);
    EXPECT_STREQ(kx_error_pending.detail, "Name: stray");
    EXPECT_EQ(kx_mem_name(&local, nullptr), 0);
}

TEST_F(KxMem, TrackedBytesCountRecordsNamesAndListNodes)
{
    long before = kx_mem_used_get();
    void *p = kx_mem_malloc(100);
    // 100 for the block, 12 for its record, 12 for the record's list node.
    EXPECT_EQ(kx_mem_used_get() - before, 100 + 12 + 12);
    kx_mem_name(p, "tile table");
    EXPECT_EQ(kx_mem_used_get() - before, 100 + 12 + 12 + 11);
    long peak = kx_mem_used_max_get();
    kx_mem_free(p);
    EXPECT_EQ(kx_mem_used_get(), before);
    EXPECT_EQ(kx_mem_used_max_get(), peak);

    char *z = static_cast<char *>(kx_mem_calloc(10, 7));
    EXPECT_EQ(std::string(z, 70), std::string(70, '\0'));
    EXPECT_EQ(kx_mem_used_get() - before, 70 + 12 + 12);
    kx_mem_free(z);
}

TEST_F(KxMem, NullUntrackedAndUnknownPointers)
{
    kx_error_pending.code = -1;
    EXPECT_EQ(kx_mem_free(nullptr), 1);
    EXPECT_EQ(kx_error_pending.code, KX_MEM_ERR_FREE_NULL);
    // A block that never had a record is still released (with a warning), not refused.
    void *raw = kx_mem_malloc_untracked(32, 0);
    KX_MEM_STATS before = stats();
    EXPECT_EQ(kx_mem_free(raw), 0);
    EXPECT_EQ(stats().count, before.count);
    EXPECT_GT(stats().heap_free, before.heap_free);
    // Reallocating an unknown pointer allocates anew and leaves the old memory alone.
    int local = 5;
    void *p = kx_mem_realloc(&local, 16);
    EXPECT_EQ(kx_error_pending.code, KX_MEM_ERR_REALLOC_UNKNOWN);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(local, 5);
    kx_mem_free(p);
    void *q = kx_mem_realloc(nullptr, 8);
    ASSERT_NE(q, nullptr);
    kx_mem_free(q);
}

TEST_F(KxMem, NameDumpListsEveryRecord)
{
    void *a = kx_mem_malloc(10), *b = kx_mem_malloc(20);
    kx_mem_name(a, "first");
    std::string path = ::testing::TempDir() + "kx_mem_dump.txt";
    ASSERT_EQ(kx_mem_name_dump(path.c_str()), 1);
    std::ifstream f(path);
    std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    for (const char *line : {"*** kx_mem_name_dump() begin ***", "Size =         10, Name = first\n",
                             "Size =         20, Name = (null)\n", "*** kx_mem_name_dump() end ***"})
        EXPECT_NE(s.find(line), std::string::npos) << line;
    kx_mem_free(a);
    kx_mem_free(b);
    std::remove(path.c_str());
}

TEST_F(KxMem, CleanRunEndsBalancedAndALeakDoesNot)
{
    void *p = kx_mem_malloc(50);
    kx_mem_name(p, "kept");
    kx_mem_free(p);
    EXPECT_EQ(kx_mem_deinit(), 1);

    ASSERT_EQ(kx_mem_init(&settings), 1);
    kx_mem_malloc(50);
    EXPECT_EQ(kx_mem_deinit(), 0);
    // Back to the C runtime afterwards.
    void *c = kx_mem_malloc(8);
    ASSERT_NE(c, nullptr);
    kx_mem_free(c);
}

TEST(KxMemPassThrough, BeforeStartUpTheCRuntimeServes)
{
    void *p = kx_mem_realloc(kx_mem_malloc(16), 64);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(kx_mem_free(p), 0);
    EXPECT_EQ(kx_mem_heap_check(), 1);
}

}  // namespace
