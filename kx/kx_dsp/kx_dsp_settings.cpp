// kx_dsp settings: the "Display" section of the settings file, read at start-up and written at
// shut-down.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "kx/kx_io/kx_io.h"

#include <cstdio>

namespace {

constexpr const char *SECTION = "Display";

// Four comma-separated integers; 1 when all four were there.
int read_rect(const char *key, int *x, int *y, int *w, int *h, const char *file)
{
    char text[80];
    if (!kx_io_ini_get_string(SECTION, key, text, sizeof text - 1, file)) return 0;
    long a, b, c, d;
    if (std::sscanf(text, "%ld,%ld,%ld,%ld", &a, &b, &c, &d) != 4) return 0;
    if (c <= 0 || d <= 0 || c > 32767 || d > 32767 || a < -32768 || a > 32767 || b < -32768 || b > 32767) return 0;
    *x = static_cast<int>(a);
    *y = static_cast<int>(b);
    *w = static_cast<int>(c);
    *h = static_cast<int>(d);
    return 1;
}

void write_rect(const char *key, int x, int y, int w, int h, const char *file)
{
    char text[80];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", x, y, w, h);
    kx_io_ini_set_string(SECTION, key, text, file);
}

} // namespace

void kx_dsp_settings_read()
{
    const KX_DSP_SETUP *s = kx_dsp.setup;
    const char *file = kx_io_settings_path_get();
    kx_dsp.saved_width = kx_dsp.saved_height = kx_dsp.saved_depth = 0;
    kx_dsp.window_x = s->window_x;
    kx_dsp.window_y = s->window_y;
    kx_dsp.window_w = kx_dsp.design_width;
    kx_dsp.window_h = kx_dsp.design_height;
    kx_dsp.full_x = kx_dsp.full_y = 0;
    kx_dsp.full_w = kx_dsp.design_width;
    kx_dsp.full_h = kx_dsp.design_height;
    kx_dsp.fullscreen = s->fullscreen != 0;
    kx_dsp.skip_message_box = 0;
    if (!file) return;
    kx_io_ini_set_mode(file, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(file, KX_IO_INI_QUIET_SECTION_ON);
    char text[80];
    int w, h, d;
    if (kx_io_ini_get_string(SECTION, "Resolution", text, sizeof text - 1, file) &&
        std::sscanf(text, "%dx%dx%d", &w, &h, &d) == 3 && w > 0 && h > 0 && d > 0 && w <= 32767 && h <= 32767 && d <= 64) {
        kx_dsp.saved_width = w;
        kx_dsp.saved_height = h;
        kx_dsp.saved_depth = d;
    }
    int x, y;
    if (read_rect("WindowPosition", &x, &y, &w, &h, file)) {
        kx_dsp.window_x = x;
        kx_dsp.window_y = y;
        kx_dsp.window_w = w;
        kx_dsp.window_h = h;
    }
    if (read_rect("FullPosition", &x, &y, &w, &h, file)) {
        kx_dsp.full_x = x;
        kx_dsp.full_y = y;
        kx_dsp.full_w = w;
        kx_dsp.full_h = h;
    }
    int value;
    if (kx_io_ini_get_int(SECTION, "Fullscreen", &value, file)) kx_dsp.fullscreen = value != 0;
    if (kx_io_ini_get_int(SECTION, "SkipMessageBox", &value, file)) kx_dsp.skip_message_box = value;
    kx_io_ini_set_mode(file, KX_IO_INI_QUIET_KEY_OFF);
    kx_io_ini_set_mode(file, KX_IO_INI_QUIET_SECTION_OFF);
}

void kx_dsp_settings_write()
{
    const char *file = kx_io_settings_path_get();
    if (!file || kx_dsp.mode_count == 0) return;
    int preferred = kx_dsp.mode_full >= 0 ? kx_dsp.mode_full : kx_dsp.mode_current;
    if (preferred >= 0) {
        const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[preferred];
        char text[64];
        std::snprintf(text, sizeof text, "%dx%dx%d", m.width, m.height, m.depth);
        kx_io_ini_set_string(SECTION, "Resolution", text, file);
    }
    write_rect("WindowPosition", kx_dsp.window_x, kx_dsp.window_y, kx_dsp.window_w, kx_dsp.window_h, file);
    kx_io_ini_set_int(SECTION, "Fullscreen", kx_dsp.fullscreen, file);
    write_rect("FullPosition", kx_dsp.full_x, kx_dsp.full_y, kx_dsp.full_w, kx_dsp.full_h, file);
}
