// gen_info: "error.txt" and "history.txt", asserts, messages, the 8.3 name check and the
// checked memory wrappers of the gen layer (see gen_info.h).
#include "gen/gen_info.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

struct GEN_INFO {
    char *buffer;                    // formatted message, grown by doubling
    size_t size;
    char error_path[KX_IO_PATH_MAX];
    char history_path[KX_IO_PATH_MAX];
    bool error_happened;
    bool error_pathed, error_written;
    bool history_pathed, history_written;
};

static GEN_INFO gen_info;

static const char GEN_INFO_SEPARATOR[] = "---------------------------------------------------------------\n";
static_assert(sizeof GEN_INFO_SEPARATOR == 65, "63 dashes and a line end");

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

// Formats into the message buffer; a fixed buffer stands in when memory has run out, so that a
// fatal error can still be written.
static const char *gen_info_format(const char *format, va_list args)
{
    static char fallback[512];
    if (!gen_info.buffer) {
        gen_info.buffer = static_cast<char *>(kx_mem_malloc(100));
        gen_info.size = gen_info.buffer ? 100 : 0;
        if (gen_info.buffer) kx_mem_name(gen_info.buffer, "gen_info_buffer (use gen_info_deinit)");
    }
    for (;;) {
        if (!gen_info.buffer) break;
        va_list copy;
        va_copy(copy, args);
        int length = std::vsnprintf(gen_info.buffer, gen_info.size, format, copy);
        va_end(copy);
        if (length < 0) break;
        if (static_cast<size_t>(length) < gen_info.size - 1) return gen_info.buffer;
        char *bigger = static_cast<char *>(kx_mem_malloc(gen_info.size * 2));
        if (!bigger) break;
        kx_mem_free(gen_info.buffer);
        gen_info.buffer = bigger;
        gen_info.size *= 2;
        kx_mem_name(gen_info.buffer, "gen_info_buffer (use gen_info_deinit)");
    }
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(fallback, sizeof fallback, format, copy);
    va_end(copy);
    return fallback;
}

// Works out the path of a log file once, deleting what an earlier run left there.
static void gen_info_path(const char *name, char *path, bool *pathed, bool remove_old)
{
    if (*pathed) return;
    if (remove_old && kx_io_exists(name, KX_IO_WHERE_DISK)) kx_io_remove(name);
    char folder[KX_IO_PATH_MAX];
    if (kx_io_write_folder_get(name, folder))
        std::snprintf(path, KX_IO_PATH_MAX, "%s%s", folder, name);
    else
        std::snprintf(path, KX_IO_PATH_MAX, "%s", name);
    *pathed = true;
}

// ---------------------------------------------------------------------------------------------
// Logs
// ---------------------------------------------------------------------------------------------

void gen_error(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const char *message = gen_info_format(format, args);
    va_end(args);

    gen_info.error_happened = true;
    gen_info_path("error.txt", gen_info.error_path, &gen_info.error_pathed, false);
    KX_IO *f = kx_io_fopen(gen_info.error_path, gen_info.error_written ? "a" : "w");
    if (f) {
        kx_io_fputs("* * * E R R O R ! * * *\n", f);
        kx_io_fputs(GEN_INFO_SEPARATOR, f);
        kx_io_fputs(message, f);
        kx_io_fputs("\n", f);
        kx_io_fputs(kx_error_call_stack("gen_error", __FILE__, __LINE__), f);
        kx_io_fputs("\n", f);
        kx_io_fputs(GEN_INFO_SEPARATOR, f);
        kx_io_fclose(f);
        gen_info.error_written = true;
    }
    std::exit(0);
}

void gen_history(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const char *text = gen_info_format(format, args);
    va_end(args);

    // The first log line of a run clears the logs an earlier run left behind.
    gen_info_path("error.txt", gen_info.error_path, &gen_info.error_pathed, !gen_info.error_happened);
    gen_info_path("history.txt", gen_info.history_path, &gen_info.history_pathed, true);
    KX_IO *f = kx_io_fopen(gen_info.history_path, gen_info.history_written ? "a" : "w");
    if (!f) gen_error("gen_history: cant create or modify history file: %s", gen_info.history_path);
    kx_io_fputs(text, f);
    kx_io_fclose(f);
    gen_info.history_written = true;
}

void gen_message(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const char *text = gen_info_format(format, args);
    va_end(args);
    kx_dsp_alert(text, "Message", 0);
}

void gen_assert(const char *expression, const char *file, int line)
{
    gen_error("assert failed (%s) in file %s line %i", expression, file, line);
}

void gen_info_deinit()
{
    if (gen_info.buffer) kx_mem_free(gen_info.buffer);
    gen_info.buffer = nullptr;
    gen_info.size = 0;
}

// ---------------------------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------------------------

int gen_test_if_filename_is_8_3(const char *name)
{
    if (!name) gen_error("gen_test_if_filename_is_8_3: filename is NULL!!");
    const char *start = name;
    for (const char *p = name; *p; p++)
        if (*p == '\\' || *p == '/') start = p + 1;
    const char *dot = std::strchr(start, '.');
    int base = static_cast<int>(dot ? dot - start : static_cast<long>(std::strlen(start)));
    int extension = dot ? static_cast<int>(std::strlen(dot + 1)) : 0;
    if (base < 1 || base > 8 || extension > 3)
        gen_error("Filename %s is not 8.3 format -name %i extension %i-", name, base, extension);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------------------------

void *gen_mem_malloc(const char *file, int line, size_t size, const char *name)
{
    void *p = kx_mem_malloc(size);
    if (!p) gen_error("gen_mem_malloc (%s %i): cant allocate enough memory for %s", file, line, name);
    kx_mem_name(p, name);
    return p;
}

void gen_mem_free(const char *, int, void *ptr)
{
    kx_mem_free(ptr);
}

void *gen_mem_realloc(const char *file, int line, void *ptr, int *count, int new_count, size_t element_size,
                      const char *name)
{
    int old_count = count ? *count : 0;
    if (old_count == new_count) return ptr;
    uint8_t *p = static_cast<uint8_t *>(kx_mem_realloc(ptr, static_cast<size_t>(new_count) * element_size));
    // A failed reallocation leaves nothing sound to go on with: treat it as a fatal error.
    if (!p && new_count > 0)
        gen_error("gen_mem_realloc (%s %i): cant allocate enough memory for %s", file, line, name);
    if (p && new_count > old_count)
        std::memset(p + static_cast<size_t>(old_count) * element_size, 0,
                    static_cast<size_t>(new_count - old_count) * element_size);
    if (p) kx_mem_name(p, name);
    if (count) *count = new_count;
    return p;
}

void gen_mem_heap_check(const char *text)
{
    if (kx_mem_heap_check() != 2) kx_dsp_alert(text, "Heap Check Failed", 0);
}
