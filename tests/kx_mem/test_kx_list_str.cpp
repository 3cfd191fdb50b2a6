// The list and string modules on top of the memory manager.
#include "kx_mem_fixture.h"

namespace {

TEST_F(KxMem, ListsKeepOrderRemoveIterateAndFreeOwnedData)
{
    KX_LIST *list = kx_list_create();
    int values[3] = {1, 2, 3};
    for (int &v : values) kx_list_append(list, &v);
    EXPECT_EQ(kx_list_count(list), 3);
    EXPECT_EQ(kx_list_remove(list, &values[1]), 1);
    EXPECT_EQ(kx_list_remove(list, &values[1]), 0);
    kx_list_rewind(list);
    std::vector<int> seen;
    while (kx_list_has_next(list)) seen.push_back(*static_cast<int *>(kx_list_next(list)));
    EXPECT_EQ(seen, (std::vector<int>{1, 3}));
    long before_destroy = kx_mem_used_get();
    kx_list_destroy(list);
    EXPECT_EQ(before_destroy - kx_mem_used_get(), 20 + 2 * 12);
    EXPECT_EQ(kx_list_count(nullptr), 0);

    // Clearing frees the data of nodes that own it.
    list = kx_list_create();
    long before = kx_mem_used_get();
    kx_list_append(list, kx_mem_malloc(40));
    list->first->owns_data = 1;
    kx_list_clear(list);
    EXPECT_EQ(kx_mem_used_get(), before);
    EXPECT_EQ(kx_list_count(list), 0);
    kx_list_destroy(list);
}

TEST_F(KxMem, StringsCopyOnlyWhenTheyFit)
{
    int32_t report = 0;
    kx_str_init(&report);
    char *s = kx_str_create("  padded text  ", 0);
    EXPECT_STREQ(kx_str_trim(s), "padded text");
    EXPECT_EQ(kx_str_copy(s, "longer than the padded one"), nullptr);
    EXPECT_STREQ(kx_str_copy(s, "short"), "short");
    EXPECT_EQ(kx_str_length(s), 5);
    EXPECT_EQ(kx_str_compare(s, "short"), 0);
    char *cut = kx_str_create("abcdef", 3), *room = kx_str_create("ab", 5);
    EXPECT_STREQ(cut, "abc");
    EXPECT_STREQ(room, "ab");
    EXPECT_GE(kx_mem_block_size(room), 6);
    EXPECT_EQ(kx_str_destroy(nullptr), 0);
    for (char *x : {s, cut, room}) kx_str_destroy(x);
    kx_str_deinit();
}

}  // namespace
