// kx_io_module: start-up and shut-down of the file module, its error table and the report of
// handles left open at exit.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_IO_STATE kx_io = {nullptr, -1, -1, nullptr, 0, {}, {}, {}, {}, {}, {}, {}, {}, 0, nullptr, 0, 0};

static const char *const kx_io_error_texts[] = {
    "malloc failed",
    "Could not open file",
    "Could not write to file",
    "Could not read from file",
    "Could not close file",
    "Could not rename file",
    "Could not remove file",
    "Passed NULL file pointer to kx_io_file_deinit",
    "One or more files were not closed",
    "Could not initialize the resource file",
    "Not enough memory for the resource table of content",
    "Could not open file in the resource",
    "",
    "Can't find the section in the string file",
    "Can't find the key in the string file",
    "Size of the key in the string file is greater than the size of the buffer",
    "Not enough free memory",
    "Buffer passed to this function is too small",
    "Invalid mode in call to kx_io_fopen",
    "This file is open in READ_ONLY",
    "This file is open in WRITE_ONLY",
    "Passed a NULL filename to kx_io_ini_set_mode()",
    "Called kx_io_ini_set_mode (KEEP_OPEN) with a file that is already open",
    "Called kx_io_ini_set_mode (KEEP_CLOSE) with a file that is not open",
    "Tried to write past the end of a file in the resource.",
    "Attempting to write into the resource. This is not allowed.",
    "File or path is too long (8.3 format)",
    "File path uses / which will break the resource build. Use \\ instead.",
    nullptr,
};
constexpr int KX_IO_ERROR_COUNT = sizeof kx_io_error_texts / sizeof kx_io_error_texts[0] - 1;

// ---------------------------------------------------------------------------------------------
// Errors
// ---------------------------------------------------------------------------------------------

int kx_io_report_flag()
{
    return kx_io.settings && kx_io.settings->report;
}

void kx_io_raise(int always, int code, const char *detail_format, ...)
{
    kx_io.last_error = code;
    char detail[KX_ERROR_DETAIL_SIZE] = "";
    if (detail_format) {
        va_list args;
        va_start(args, detail_format);
        std::vsnprintf(detail, sizeof detail, detail_format, args);
        va_end(args);
    }
    if (kx_io.module < 0) return;
    kx_error_raise(always || kx_io_report_flag(), kx_io.module, code, "%s", detail);
}

int kx_io_error_get()
{
    return kx_io.last_error;
}

void kx_io_error_clear()
{
    kx_io.last_error = -1;
}

const char *kx_io_error_text(int code)
{
    if (code < 0 || code >= KX_IO_ERROR_COUNT) return "";
    return kx_io_error_texts[code];
}

long kx_io_bytes_read_get()
{
    return kx_io.bytes_read;
}

void kx_io_bytes_read_set(long bytes)
{
    kx_io.bytes_read = bytes;
}

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down
// ---------------------------------------------------------------------------------------------

int kx_io_init(KX_IO_SETTINGS *settings)
{
    kx_io.module = kx_error_register("File I/O", kx_io_error_texts);
    kx_io.settings = settings;
    kx_io.open_list = nullptr;
    kx_io.open_count = 0;
    kx_io.last_error = -1;
    kx_io.user_dir[0] = 0;
    kx_io.settings_dir[0] = 0;
    plat_files_cwd_get(kx_io.start_dir, sizeof kx_io.start_dir);

    kx_io.override_dir[0] = 0;
    const char *override = std::getenv("U3_APP_DATA_PATH");
    if (override && *override) {
        size_t n = std::strlen(override);
        bool has_sep = override[n - 1] == '\\' || override[n - 1] == '/';
        if (!kx_io_join(kx_io.override_dir, sizeof kx_io.override_dir, override, has_sep ? "" : "\\"))
            kx_io.override_dir[0] = 0;
        // Kept in the game's own form, so names built on it never trip the '/' check.
        for (char *p = kx_io.override_dir; *p; p++)
            if (*p == '/') *p = '\\';
    }
    if (settings && settings->settings_name && *settings->settings_name)
        kx_io_strcpy(kx_io.settings_name, sizeof kx_io.settings_name, settings->settings_name);

    kx_io.toc = KX_IO_PACK_TOC{};
    kx_io.pack_path[0] = 0;
    if (!settings || !settings->pack_name || !*settings->pack_name) return 1;

    if (!kx_io_pack_toc_read(settings->pack_name, 1, &kx_io.toc)) {
        // Without its pack the game cannot start: say why whatever the report flag, a missing
        // pack and a damaged one alike, so a broken install never ends without a word.
        kx_io_raise(1, kx_io.last_error, "%s", settings->pack_name);
        return 0;
    }
    kx_io_strcpy(kx_io.pack_path, sizeof kx_io.pack_path, settings->pack_name);
    return 1;
}

int kx_io_deinit()
{
    if (kx_io.open_list) {
        kx_io_raise(0, KX_IO_ERR_NOT_CLOSED);
        if (kx_io_report_flag()) {
            for (KX_IO *file = kx_io.open_list; file; file = file->next) {
                char text[KX_IO_PATH_MAX + 64];
                std::snprintf(text, sizeof text, "Name: '%s' File not closed.", file->name ? file->name : "");
                kx_dsp_alert(text, "File I/O Info", 0);
            }
        }
    }
    // String files kept open own their handles: they go first, then whatever is left.
    kx_io_ini_cache_destroy();
    while (KX_IO *file = kx_io.open_list) {
        if (kx_io_fclose(file) != 0) {
            // The stream would not close; drop the handle anyway so shut-down can finish.
            kx_io.open_list = file->next;
            kx_mem_free(file->name);
            if (file->full_path) kx_mem_free(file->full_path);
            kx_mem_free(file);
        }
    }
    kx_io_pack_toc_free(&kx_io.toc);
    kx_io.pack_path[0] = 0;
    kx_io.open_count = 0;
    kx_io.settings = nullptr;
    return 1;
}

int kx_io_open_count()
{
    return kx_io.open_count;
}

// ---------------------------------------------------------------------------------------------
// Small string helpers
// ---------------------------------------------------------------------------------------------

int kx_io_strcpy(char *out, size_t size, const char *text)
{
    if (!out || size == 0) return 0;
    size_t n = text ? std::strlen(text) : 0;
    if (n + 1 > size) {
        out[0] = 0;
        return 0;
    }
    if (n) std::memcpy(out, text, n);
    out[n] = 0;
    return 1;
}

int kx_io_join(char *out, size_t size, const char *folder, const char *name)
{
    if (!out || size == 0) return 0;
    size_t a = folder ? std::strlen(folder) : 0;
    size_t b = name ? std::strlen(name) : 0;
    if (a + b + 1 > size) {
        out[0] = 0;
        return 0;
    }
    if (a) std::memmove(out, folder, a);
    if (b) std::memmove(out + a, name, b);
    out[a + b] = 0;
    return 1;
}

int kx_io_is_bare(const char *name)
{
    return name && !std::strchr(name, '\\') && !std::strchr(name, '/');
}

int kx_io_private_path(const char *name, char *out, size_t size)
{
    const char *folder = kx_io.override_dir[0] ? kx_io.override_dir : kx_io.user_dir;
    if (!folder[0]) return 0;
    return kx_io_join(out, size, folder, name);
}
