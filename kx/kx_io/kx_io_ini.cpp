// kx_io_ini: reading INI-style string files ([section] lines and key=value lines), with files
// kept open between lookups (KEEP_OPEN) and switches that silence missing keys and sections.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------------

constexpr int KX_IO_INI_LINE = 1024;

// Reads one line of at most 1,023 characters; the rest of a longer line is skipped, so that its
// tail is never taken for a line of its own. Null at the end of the file.
static char *kx_io_ini_line(KX_IO *file, char *line)
{
    if (!kx_io_fgets(line, KX_IO_INI_LINE, file)) return nullptr;
    if (std::strlen(line) == KX_IO_INI_LINE - 1) {
        char rest[KX_IO_INI_LINE];
        while (kx_io_fgets(rest, KX_IO_INI_LINE, file) && std::strlen(rest) == KX_IO_INI_LINE - 1) {
        }
    }
    return line;
}

// "[section]" at the start of the line.
static bool kx_io_ini_is_section(const char *line, const char *section)
{
    size_t n = std::strlen(section);
    return line[0] == '[' && std::strncmp(line + 1, section, n) == 0 && line[n + 1] == ']';
}

// "key=" at the start of the line: the value, else null.
static const char *kx_io_ini_value(const char *line, const char *key)
{
    size_t n = std::strlen(key);
    if (std::strncmp(line, key, n) != 0 || line[n] != '=') return nullptr;
    return line + n + 1;
}

// ---------------------------------------------------------------------------------------------
// Cache of files kept open
// ---------------------------------------------------------------------------------------------

static KX_IO_INI_CACHE *kx_io_ini_cache_find(const char *file)
{
    for (KX_IO_INI_CACHE *c = kx_io.ini_cache; c; c = c->next)
        if (std::strcmp(c->file->name, file) == 0) return c;
    return nullptr;
}

static void kx_io_ini_cache_free(KX_IO_INI_CACHE *c)
{
    if (c->section) kx_mem_free(c->section);
    kx_io_fclose(c->file);
    kx_mem_free(c);
}

void kx_io_ini_cache_destroy()
{
    while (KX_IO_INI_CACHE *c = kx_io.ini_cache) {
        kx_io.ini_cache = c->next;
        kx_io_ini_cache_free(c);
    }
}

int kx_io_ini_set_mode(const char *file, int mode)
{
    switch (mode) {
    case KX_IO_INI_KEEP_OPEN: {
        if (!file) break;
        if (kx_io_ini_cache_find(file)) {
            kx_io_raise(0, KX_IO_ERR_INI_OPEN, "%s", file);
            return 0;
        }
        KX_IO_INI_CACHE *c = static_cast<KX_IO_INI_CACHE *>(kx_mem_calloc(1, sizeof(KX_IO_INI_CACHE)));
        if (!c) {
            kx_io_raise(0, KX_IO_ERR_NO_MEMORY, "%s", file);
            return 0;
        }
        c->file = kx_io_fopen(file, "rb");
        if (!c->file) {
            kx_mem_free(c);
            return 0;
        }
        if (kx_io_report_flag()) kx_mem_name(c, c->file->name);
        c->next = kx_io.ini_cache;
        kx_io.ini_cache = c;
        return 1;
    }
    case KX_IO_INI_KEEP_CLOSE: {
        if (!file) break;
        for (KX_IO_INI_CACHE **p = &kx_io.ini_cache; *p; p = &(*p)->next) {
            if (std::strcmp((*p)->file->name, file) == 0) {
                KX_IO_INI_CACHE *c = *p;
                *p = c->next;
                kx_io_ini_cache_free(c);
                return 1;
            }
        }
        kx_io_raise(0, KX_IO_ERR_INI_NOT_OPEN, "%s", file);
        return 0;
    }
    case KX_IO_INI_QUIET_KEY_ON:
        kx_io.ini_quiet |= KX_IO_INI_QUIET_KEY_ON;
        return 1;
    case KX_IO_INI_QUIET_KEY_OFF:
        kx_io.ini_quiet &= ~KX_IO_INI_QUIET_KEY_ON;
        return 1;
    case KX_IO_INI_QUIET_SECTION_ON:
        kx_io.ini_quiet |= KX_IO_INI_QUIET_SECTION_ON;
        return 1;
    case KX_IO_INI_QUIET_SECTION_OFF:
        kx_io.ini_quiet &= ~KX_IO_INI_QUIET_SECTION_ON;
        return 1;
    default:
        return 0;
    }
    kx_io_raise(0, KX_IO_ERR_INI_NULL);
    return 0;
}

int kx_io_ini_failed(int query)
{
    return query == 1 ? kx_io.ini_failed : 0;
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

// Reads lines up to the end of the section; the value of `key` into `line`, else null. The
// header that ends the section is put back, so a file kept open stays inside its cached section
// and the next lookup there never starts in the following one.
static const char *kx_io_ini_key_scan(KX_IO *f, const char *key, char *line)
{
    long start = kx_io_ftell(f);
    while (kx_io_ini_line(f, line)) {
        if (line[0] == '[') {
            kx_io_fseek(f, start, 0);
            return nullptr;
        }
        if (const char *value = kx_io_ini_value(line, key)) return value;
        start = kx_io_ftell(f);
    }
    return nullptr;
}

static bool kx_io_ini_section_scan(KX_IO *f, const char *section, char *line)
{
    while (kx_io_ini_line(f, line))
        if (kx_io_ini_is_section(line, section)) return true;
    return false;
}

int kx_io_ini_get_string(const char *section, const char *key, char *buffer, int size, const char *file)
{
    if (buffer && size >= 0) buffer[0] = 0;
    kx_io.ini_failed = 1;
    if (!section || !key || !buffer || size < 0 || !file) return 0;

    KX_IO_INI_CACHE *cache = kx_io_ini_cache_find(file);
    KX_IO *f = cache ? cache->file : kx_io_fopen(file, "rb");
    if (!f) return 0;

    char line[KX_IO_INI_LINE];
    if (!cache || !cache->section || std::strcmp(cache->section, section) != 0) {
        bool found = kx_io_ini_section_scan(f, section, line);
        if (!found && cache) {
            kx_io_rewind(f);
            found = kx_io_ini_section_scan(f, section, line);
        }
        if (!found) {
            if (!(kx_io.ini_quiet & KX_IO_INI_QUIET_SECTION_ON))
                kx_io_raise(0, KX_IO_ERR_INI_SECTION, "%s,[%s]%s", file, section, key);
            if (!cache) kx_io_fclose(f);
            return 0;
        }
        if (cache) {
            size_t n = std::strlen(section);
            char *copy = static_cast<char *>(kx_mem_malloc(n + 1));
            if (cache->section) kx_mem_free(cache->section);
            cache->section = copy;
            if (copy) std::memcpy(copy, section, n + 1);
            cache->section_pos = kx_io_ftell(f);
        }
    }

    const char *value = kx_io_ini_key_scan(f, key, line);
    if (!value && cache) {
        kx_io_fseek(f, cache->section_pos, 0);
        value = kx_io_ini_key_scan(f, key, line);
    }
    if (!value) {
        if (!(kx_io.ini_quiet & KX_IO_INI_QUIET_KEY_ON))
            kx_io_raise(0, KX_IO_ERR_INI_KEY, "%s,[%s]%s", file, section, key);
        if (!cache) kx_io_fclose(f);
        return 0;
    }
    if (!cache) kx_io_fclose(f);

    size_t length = std::strlen(value);
    if (length > static_cast<size_t>(size)) {
        kx_io_raise(0, KX_IO_ERR_INI_SIZE, "[%s]%s=%s", section, key, value);
        length = static_cast<size_t>(size);
    }
    std::memcpy(buffer, value, length);
    buffer[length] = 0;
    kx_io.ini_failed = 0;
    return static_cast<int>(length);
}

// The value of a key with the spaces around it removed, in `text` (257 bytes).
static int kx_io_ini_get_trimmed(const char *section, const char *key, char *text, const char *file)
{
    int rc = kx_io_ini_get_string(section, key, text, 256, file);
    char *start = text;
    while (*start == ' ') start++;
    size_t n = std::strlen(start);
    while (n && start[n - 1] == ' ') n--;
    std::memmove(text, start, n);
    text[n] = 0;
    return rc;
}

int kx_io_ini_get_int(const char *section, const char *key, int *value, const char *file)
{
    char text[257];
    int rc = kx_io_ini_get_trimmed(section, key, text, file);
    // Sign and digits; the value saturates instead of overflowing.
    const char *p = text;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') p++;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        v = v * 10 + (*p - '0');
        if (v > 2147483648ll) v = 2147483648ll;
    }
    if (negative) v = -v;
    if (v > 2147483647ll) v = 2147483647ll;
    if (value) *value = static_cast<int>(v);
    return rc;
}

int kx_io_ini_get_float(const char *section, const char *key, float *value, const char *file)
{
    char text[257];
    int rc = kx_io_ini_get_trimmed(section, key, text, file);
    float parsed;
    if (value && std::sscanf(text, "%f", &parsed) == 1) *value = parsed;
    return rc;
}
