// gen_info: the gen layer's logs and fatal errors. "error.txt" receives fatal errors (and the
// process ends), "history.txt" collects history lines of the current run; both live in the
// folder kx_io chooses for writing. Also the checked memory wrappers of the gen layer.
#pragma once

#include <cstddef>

[[noreturn]] void gen_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
void gen_history(const char *format, ...) __attribute__((format(printf, 1, 2)));
void gen_message(const char *format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void gen_assert(const char *expression, const char *file, int line);
void gen_info_deinit();

// 1 when the last part of the path is an 8.3 name; anything else is a gen_error.
int gen_test_if_filename_is_8_3(const char *name);

void *gen_mem_malloc(const char *file, int line, size_t size, const char *name);
void gen_mem_free(const char *file, int line, void *ptr);
void *gen_mem_realloc(const char *file, int line, void *ptr, int *count, int new_count, size_t element_size,
                      const char *name);
void gen_mem_heap_check(const char *text);

#define GEN_ASSERT(expr) ((expr) ? (void)0 : gen_assert(#expr, __FILE__, __LINE__))
#define GEN_MALLOC(size, name) gen_mem_malloc(__FILE__, __LINE__, (size), (name))
#define GEN_FREE(ptr) gen_mem_free(__FILE__, __LINE__, (ptr))
