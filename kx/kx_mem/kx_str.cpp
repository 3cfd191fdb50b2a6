// Heap strings: made, copied, compared, measured and trimmed, always NUL-terminated.
#include "kx/kx_mem/kx_mem.h"

#include "kx/kx_error/kx_error.h"

#include <cstring>

namespace {

const char *const kx_str_texts[] = {
    "Could not malloc space",
    "String too big",
    "Trying to destroy a null string",
    "Passed a NULL string to string function.",
};

enum { KX_STR_ERR_MALLOC, KX_STR_ERR_TOO_BIG, KX_STR_ERR_DESTROY_NULL, KX_STR_ERR_NULL };

int32_t *kx_str_settings;
int kx_str_module = -1;

int report()
{
    return kx_str_settings && *kx_str_settings;
}

bool check(const char *s)
{
    if (s) return true;
    kx_error_raise(report(), kx_str_module, KX_STR_ERR_NULL);
    return false;
}

} // namespace

int kx_str_init(int32_t *settings)
{
    kx_str_settings = settings;
    kx_str_module = kx_error_register("String", kx_str_texts);
    return 1;
}

int kx_str_deinit()
{
    kx_str_settings = nullptr;
    return 1;
}

// Length 0 takes the text's own length; a shorter text than `length` is copied whole.
char *kx_str_create(const char *text, int length)
{
    if (!check(text)) return nullptr;
    size_t own = std::strlen(text);
    size_t n = length > 0 ? static_cast<size_t>(length) : own;
    char *s = static_cast<char *>(kx_mem_malloc(n + 1));
    if (!s) {
        kx_error_raise(report(), kx_str_module, KX_STR_ERR_MALLOC);
        return nullptr;
    }
    size_t copy = own < n ? own : n;
    std::memcpy(s, text, copy);
    std::memset(s + copy, 0, n + 1 - copy);
    return s;
}

int kx_str_destroy(char *str)
{
    if (!str) {
        kx_error_raise(report(), kx_str_module, KX_STR_ERR_DESTROY_NULL);
        return 0;
    }
    kx_mem_free(str);
    return 1;
}

char *kx_str_copy(char *dest, const char *text)
{
    if (!check(dest) || !check(text)) return nullptr;
    if (std::strlen(text) > std::strlen(dest)) {
        kx_error_raise(report(), kx_str_module, KX_STR_ERR_TOO_BIG);
        return nullptr;
    }
    std::strcpy(dest, text);
    return dest;
}

int kx_str_compare(const char *a, const char *b)
{
    if (!check(a) || !check(b)) return a == b ? 0 : (a ? 1 : -1);
    return std::strcmp(a, b);
}

int kx_str_length(const char *str)
{
    return check(str) ? static_cast<int>(std::strlen(str)) : 0;
}

char *kx_str_trim(char *str)
{
    if (!check(str)) return nullptr;
    size_t start = 0, len = std::strlen(str);
    while (start < len && str[start] == ' ') start++;
    while (len > start && str[len - 1] == ' ') len--;
    std::memmove(str, str + start, len - start);
    str[len - start] = 0;
    return str;
}
