// The About box of the window menu: texts of "data\\texts.txt" in the current language. The
// caption and the memory line are formats from a data file, so they are filled by a formatter of
// our own that takes the first conversion as the one value and copies any other one as text.
#include "app/app_help.h"

#include "app/app_language.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_about.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int ABOUT_TEXT = 80;
constexpr const char *ABOUT_FILE = "data\\texts.txt";

void about_get(const char *section, const char *key, char *out)
{
    out[0] = 0;
    kx_io_ini_get_string(section, key, out, ABOUT_TEXT, ABOUT_FILE);
}

} // namespace

void About_Format(char *out, size_t size, const char *format, const char *value)
{
    if (!size) return;
    size_t n = 0;
    bool used = false;
    auto put = [&](const char *text, size_t length) {
        for (size_t i = 0; i < length && n + 1 < size; i++) out[n++] = text[i];
    };
    for (const char *p = format ? format : ""; *p;) {
        if (*p != '%') {
            put(p++, 1);
            continue;
        }
        if (p[1] == '%') {
            put("%", 1);
            p += 2;
            continue;
        }
        const char *start = p++;
        while (*p && std::strchr("-+ #0123456789.lhzjtL", *p)) p++;
        if (!*p) {
            put(start, static_cast<size_t>(p - start));
            break;
        }
        p++;
        if (!used) put(value, std::strlen(value));
        else put(start, static_cast<size_t>(p - start));
        used = true;
    }
    out[n] = 0;
}

void About_Box_Show()
{
    char section[64];
    std::snprintf(section, sizeof section, "AboutBox_%s", Language_Abbreviation());
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    char title[ABOUT_TEXT + 1], version[ABOUT_TEXT + 1], caption_format[ABOUT_TEXT + 1], memory_format[ABOUT_TEXT + 1];
    char copyright1[ABOUT_TEXT + 1], copyright2[ABOUT_TEXT + 1], reserved[ABOUT_TEXT + 1], license[ABOUT_TEXT + 1];
    about_get("Application", "Title", title);
    about_get("Application", "Version", version);
    about_get(section, "Title", caption_format);
    about_get(section, "Memory", memory_format);
    about_get(section, "Copyright1", copyright1);
    about_get(section, "Copyright2", copyright2);
    about_get(section, "Reserved", reserved);
    about_get(section, "License", license);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);

    KX_MEM_STATS stats{};
    kx_mem_stats_get(&stats);
    char kb[32], caption[2 * ABOUT_TEXT + 1], memory[2 * ABOUT_TEXT + 1];
    std::snprintf(kb, sizeof kb, "%ld", (stats.tracked + 1023) / 1024);
    About_Format(caption, sizeof caption, caption_format, title);
    About_Format(memory, sizeof memory, memory_format, kb);
    PLAT_ABOUT_TEXTS texts = {caption, title, version, memory, copyright1, copyright2, reserved, license};
    plat_about_open(&texts);
}
