// The help screen: the help file of the current language drawn over its own background until
// its time-out has passed and a confirm key is released.
#include "app/app_help.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_core.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int HELP_DRAW_FLAGS = KX_FONT_PROPORTIONAL | KX_FONT_TRANSPARENT;

struct APP_HELP {
    int shown;
    int drawn;              // the first frame is done and the time-out runs
    uint32_t close_time;
    HELP_FILE file;
    KX_BITMAP background;
    KX_FONT font;
};

APP_HELP app_help;

// "Text" lines of the "Text" section, counted by a plain scan: a kept-open read of one more
// line than the section holds would start over at its first line.
int text_lines_count(const char *file_name)
{
    KX_IO *f = kx_io_fopen(file_name, "rb");
    if (!f) return 0;
    char line[1024];
    int count = 0;
    bool inside = false;
    while (kx_io_fgets(line, sizeof line, f)) {
        if (line[0] == '[') inside = std::strncmp(line, "[Text]", 6) == 0;
        else if (inside && std::strncmp(line, "Text=", 5) == 0) count++;
    }
    kx_io_fclose(f);
    return count;
}

void alert(const char *format, const char *name)
{
    char text[400];
    std::snprintf(text, sizeof text, format, name);
    kx_dsp_alert(text, "Alert", KX_DSP_ALERT_WARNING);
}

} // namespace

int Help_File_Read(const char *file_name, HELP_FILE *help)
{
    std::memset(help, 0, sizeof *help);
    if (!file_name || !file_name[0] || !kx_io_exists(file_name, KX_IO_WHERE_KX)) return 0;
    int present = text_lines_count(file_name);
    if (!kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_OPEN)) return 0;
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON);
    kx_io_ini_get_string("Help", "Background", help->background, HELP_NAME_SIZE, file_name);
    kx_io_ini_get_string("Help", "Font", help->font, HELP_NAME_SIZE, file_name);
    kx_io_ini_get_int("Help", "Text_X", &help->x, file_name);
    kx_io_ini_get_int("Help", "Text_Y", &help->y, file_name);
    kx_io_ini_get_int("Help", "Timeout", &help->timeout, file_name);
    kx_io_ini_get_int("Text", "NumberOfLines", &help->declared, file_name);
    int wanted = help->declared;
    if (wanted > present) wanted = present;
    if (wanted > HELP_LINES_MAX) wanted = HELP_LINES_MAX;
    char line[HELP_LINE_SIZE + 1];
    for (int i = 0; i < wanted; i++) {
        kx_io_ini_get_string("Text", "Text", line, HELP_LINE_SIZE, file_name);
        size_t n = std::strlen(line) + 1;
        char *copy = static_cast<char *>(kx_mem_malloc(n));
        if (!copy) break;
        kx_mem_name(copy, "help line");
        std::memcpy(copy, line, n);
        help->lines[help->count++] = copy;
    }
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_OFF);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
    kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_CLOSE);
    // Positions far off the screen would overflow the drawing's 16-bit rectangles.
    help->x = help->x < -4096 ? -4096 : help->x > 4096 ? 4096 : help->x;
    help->y = help->y < -4096 ? -4096 : help->y > 4096 ? 4096 : help->y;
    if (help->timeout < 0) help->timeout = 0;
    return 1;
}

void Help_File_Free(HELP_FILE *help)
{
    for (int i = 0; i < help->count; i++) kx_mem_free(help->lines[i]);
    help->count = 0;
}

int Help_Screen_Shown()
{
    return app_help.shown;
}

void Help_Screen_Show(const char *file_name)
{
    APP_HELP &h = app_help;
    if (h.shown) return;
    if (!Help_File_Read(file_name, &h.file)) {
        alert("Cant read the help file %s", file_name ? file_name : "");
        return;
    }
    if (h.file.count < h.file.declared)
        alert("The help file %s holds fewer lines than its NumberOfLines", file_name);
    if (!kx_bit_load(&h.background, h.file.background, KX_BIT_LOAD_PALETTE)) {
        alert("Cant load the help background %s", h.file.background);
        Help_File_Free(&h.file);
        return;
    }
    if (!kx_font_load(&h.font, h.file.font, 0)) {
        alert("Cant load the help font %s", h.file.font);
        kx_bit_free(&h.background);
        Help_File_Free(&h.file);
        return;
    }
    h.shown = 1;
    h.drawn = 0;
}

void Help_Screen_Draw()
{
    APP_HELP &h = app_help;
    if (!h.shown) return;
    KX_BITMAP *screen = kx_dsp_screen();
    int w = kx_dsp_width(), ht = kx_dsp_height();
    KX_RECT whole = {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(ht)};
    int fit = h.background.width == w && h.background.height == ht ? 0 : KX_BIT_COPY_SCALE;
    kx_bit_copy(screen, &h.background, &whole, nullptr, fit);
    int step = h.font.height + 1;
    for (int i = 0; i < h.file.count; i++) {
        int y = h.file.y + i * step;
        if (y >= ht) break;
        if (y + step <= 0) continue;
        if (!h.file.lines[i][0] || h.file.x >= w) continue;
        KX_RECT box = {static_cast<int16_t>(h.file.x), static_cast<int16_t>(y), static_cast<int16_t>(w - h.file.x),
                       static_cast<int16_t>(h.font.height)};
        kx_font_print(&h.font, screen, &box, HELP_DRAW_FLAGS, "%s", h.file.lines[i]);
    }
    // The time-out counts from the end of the first frame: a first frame slower than the time-out
    // would otherwise let the key that opened the screen close it again at once.
    if (!h.drawn) h.close_time = plat_ticks_ms() + static_cast<uint32_t>(h.file.timeout);
    h.drawn = 1;
}

void Help_Screen_Close()
{
    APP_HELP &h = app_help;
    if (!h.shown) return;
    h.shown = 0;
    kx_font_free(&h.font);
    kx_bit_free(&h.background);
    Help_File_Free(&h.file);
}

uint32_t Help_Screen_Close_Time()
{
    return app_help.drawn ? app_help.close_time : UINT32_MAX;
}
