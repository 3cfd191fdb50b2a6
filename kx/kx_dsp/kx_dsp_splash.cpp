// kx_dsp splash screen: the picture and text that a section of "data\\texts.txt" names, shown
// in a borderless window while the game starts.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "kx/kx_io/kx_io.h"
#include "platform/plat_splash.h"

#include <cstring>

namespace {

constexpr const char *TEXTS = "data\\texts.txt";
constexpr int SPLASH_W = 400, SPLASH_H = 300;   // size of the text-only splash when no picture loads

int read_int(const char *section, const char *key, int fallback)
{
    int value;
    return kx_io_ini_get_int(section, key, &value, TEXTS) ? value : fallback;
}

int clamp_color(int v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

} // namespace

int kx_dsp_splash_on(const char *section)
{
    if (!section || !section[0]) return 0;
    kx_io_ini_set_mode(TEXTS, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(TEXTS, KX_IO_INI_QUIET_SECTION_ON);
    char picture[128], text[256];
    int has_picture = kx_io_ini_get_string(section, "Bitmap", picture, sizeof picture - 1, TEXTS);
    if (!kx_io_ini_get_string(section, "Text", text, sizeof text - 1, TEXTS)) text[0] = 0;
    int x = read_int(section, "PosX", 0), y = read_int(section, "PosY", 0);
    int r = clamp_color(read_int(section, "ColorR", 255));
    int g = clamp_color(read_int(section, "ColorG", 255));
    int b = clamp_color(read_int(section, "ColorB", 255));
    kx_io_ini_set_mode(TEXTS, KX_IO_INI_QUIET_KEY_OFF);
    kx_io_ini_set_mode(TEXTS, KX_IO_INI_QUIET_SECTION_OFF);
    if (!has_picture && !text[0]) return 0;

    KX_BITMAP bitmap;
    std::memset(&bitmap, 0, sizeof bitmap);
    int shown = 0;
    if (has_picture && kx_bit_load(&bitmap, picture, KX_BIT_LOAD_PALETTE) && kx_bit_convert(&bitmap, KX_BIT_BPP32) &&
        bitmap.depth == 32 && bitmap.pixels)
        shown = plat_splash_show(bitmap.pixels, bitmap.width, bitmap.height, text, x, y, r, g, b);
    if (bitmap.pixels) kx_bit_free(&bitmap);
    if (!shown && text[0]) shown = plat_splash_show(nullptr, SPLASH_W, SPLASH_H, text, x, y, r, g, b);
    return shown;
}

void kx_dsp_splash_off()
{
    plat_splash_close();
}
