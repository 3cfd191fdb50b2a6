// The language screen of the first start: the included languages of the language file over the
// help background, the chosen one in the highlighted font between two copies of its flag. Up and
// Down move the choice (wrapping), Return, Space or W take it.
#include "app/app_help.h"

#include "app/app.h"
#include "app/app_language.h"
#include "game/game.h"
#include "game/game_error.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_font/kx_font.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"
#include "platform/plat_keys.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int LANG_SCREEN_SLOTS = 6;
constexpr int FLAG_WIDTH = 56, FLAG_HEIGHT = 33;
constexpr int FLAG_LEFT_GAP = 71, FLAG_RIGHT_GAP = 16, FLAG_LEFT_DROP = 16;
constexpr int ROW_HEIGHT = 64, TITLE_CELL = 32;
constexpr int FONT_FLAGS = KX_FONT_CENTER | KX_FONT_PROPORTIONAL | KX_FONT_TRANSPARENT;

const char *const LANG_SCREEN_TITLE = "Select a Language:";
const char *const LANG_FONTS[3] = {"font\\langfont32.fnt", "font\\langfont64.fnt", "font\\langfont_highlighted.fnt"};

struct APP_LANG_SCREEN {
    int prepared;
    int fonts_loaded;
    int count;
    char name[LANG_SCREEN_SLOTS][KX_LANG_TEXT + 1];
    int number[LANG_SCREEN_SLOTS];
    KX_BITMAP flag[LANG_SCREEN_SLOTS];
    KX_BITMAP background;
    KX_FONT font[3];    // title, names, highlighted name
    int selected;
};

APP_LANG_SCREEN lang_screen;

int text_chars(const char *text)
{
    int n = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++)
        if ((*p & 0xC0) != 0x80) n++;
    return n;
}

// Where row n of the names goes. The rows start at the middle of the screen; when all of them do
// not fit below it, they move up under the title and close ranks so that every one shows.
void row_place(int n, int *y, int *step)
{
    int h = kx_dsp_height();
    int top = h / 2, s = ROW_HEIGHT;
    if (top + s * lang_screen.count > h) {
        top = h / 2 - 128 + TITLE_CELL + 16;
        s = (h - top - 16) / (lang_screen.count > 0 ? lang_screen.count : 1);
    }
    *y = top + s * n;
    *step = s;
}

void screen_free()
{
    APP_LANG_SCREEN &s = lang_screen;
    for (int i = 0; i < LANG_SCREEN_SLOTS; i++) kx_bit_free(&s.flag[i]);
    kx_bit_free(&s.background);
    for (KX_FONT &f : s.font) kx_font_free(&f);
    s.prepared = s.fonts_loaded = 0;
    s.count = 0;
}

} // namespace

int read_languages()
{
    APP_LANG_SCREEN &s = lang_screen;
    screen_free();
    s.selected = 0;
    const char *file = app.lng_file;
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    for (int i = 1; i <= LANG_SCREEN_SLOTS; i++) {
        char key[32], section[KX_LANG_TEXT + 1], abbreviation[KX_LANG_TEXT + 1] = "";
        int included = 0;
        std::snprintf(key, sizeof key, "Included_0%d", i);
        kx_io_ini_get_int("Languages", key, &included, file);
        if (!included) continue;
        std::snprintf(key, sizeof key, "Language_0%d", i);
        if (!kx_io_ini_get_string("Languages", key, section, KX_LANG_TEXT, file)) continue;
        int n = s.count;
        std::snprintf(s.name[n], sizeof s.name[n], "%s", section);
        kx_io_ini_get_string(section, "Name", s.name[n], KX_LANG_TEXT, file);
        kx_io_ini_get_string(section, "Abbreviation", abbreviation, KX_LANG_TEXT, file);
        kx_io_ini_get_int(section, "Number", &s.number[n], file);
        char flag[80];
        std::snprintf(flag, sizeof flag, "gfx\\lngflags\\flag_%s.png", abbreviation);
        if (!kx_bit_load(&s.flag[n], flag, KX_BIT_LOAD_PALETTE)) {
            kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
            screen_free();
            Game_Error("Cant load the flag picture %s", flag);
            return 0;
        }
        s.count++;
    }
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
    if (s.count == 0) {
        Game_Error("The language file %s includes no language", file);
        return 0;
    }
    if (!kx_bit_load(&s.background, "gfx\\helpback.png", KX_BIT_LOAD_PALETTE)) {
        screen_free();
        Game_Error("Cant load the background picture gfx\\helpback.png");
        return 0;
    }
    s.prepared = 1;
    return 1;
}

void Language_Screen()
{
    APP_LANG_SCREEN &s = lang_screen;
    if (!s.prepared) {
        if (!read_languages()) {
            Screen_Language_Chosen();
            return;
        }
    }
    if (!s.fonts_loaded) {
        for (int i = 0; i < 3; i++)
            if (!kx_font_load(&s.font[i], LANG_FONTS[i], 0)) {
                screen_free();
                Screen_Language_Chosen();
                Game_Error("Cant load the font %s", LANG_FONTS[i]);
                return;
            }
        s.fonts_loaded = 1;
    }

    KX_BITMAP *screen = kx_dsp_screen();
    int w = kx_dsp_width(), h = kx_dsp_height();
    KX_RECT whole = {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)};
    kx_bit_copy(screen, &s.background, &whole, nullptr, s.background.width == w && s.background.height == h ? 0 : KX_BIT_COPY_SCALE);

    int title_w = TITLE_CELL * text_chars(LANG_SCREEN_TITLE) + 1;
    KX_RECT title = {static_cast<int16_t>((w - title_w) / 2), static_cast<int16_t>(h / 2 - 128), static_cast<int16_t>(title_w), TITLE_CELL};
    kx_font_print(&s.font[0], screen, &title, FONT_FLAGS, "%s", LANG_SCREEN_TITLE);

    if (kx_inp_key_released(PLAT_KEY_UP)) s.selected = s.selected > 0 ? s.selected - 1 : s.count - 1;
    if (kx_inp_key_released(PLAT_KEY_DOWN)) s.selected = s.selected < s.count - 1 ? s.selected + 1 : 0;

    // Boxes are 64 pixels a character, narrowed where a long name would push a flag off screen.
    int widest = w - 2 * (FLAG_LEFT_GAP + FLAG_RIGHT_GAP);
    for (int n = 0; n < s.count; n++) {
        int y, step;
        row_place(n, &y, &step);
        int box_w = ROW_HEIGHT * text_chars(s.name[n]);
        if (box_w > widest) box_w = widest;
        KX_RECT box = {static_cast<int16_t>((w - box_w) / 2), static_cast<int16_t>(y), static_cast<int16_t>(box_w), ROW_HEIGHT};
        bool lit = n == s.selected;
        kx_font_print(&s.font[lit ? 2 : 1], screen, &box, FONT_FLAGS, "%s", s.name[n]);
        if (!lit) continue;
        KX_RECT left = {static_cast<int16_t>(box.x - FLAG_LEFT_GAP), static_cast<int16_t>(y + FLAG_LEFT_DROP), FLAG_WIDTH, FLAG_HEIGHT};
        KX_RECT right = {static_cast<int16_t>(box.x + box_w + FLAG_RIGHT_GAP), static_cast<int16_t>(y + (ROW_HEIGHT - FLAG_HEIGHT) / 2),
                         FLAG_WIDTH, FLAG_HEIGHT};
        int fit = s.flag[n].width == FLAG_WIDTH && s.flag[n].height == FLAG_HEIGHT ? 0 : KX_BIT_COPY_SCALE;
        kx_bit_copy(screen, &s.flag[n], &left, nullptr, fit);
        kx_bit_copy(screen, &s.flag[n], &right, nullptr, fit);
    }

    if (kx_inp_key_released(PLAT_KEY_RETURN) || kx_inp_key_released(PLAT_KEY_SPACE) ||
        kx_inp_key_released(PLAT_KEY_W)) {
        int number = s.number[s.selected];
        screen_free();
        Screen_Language_Chosen();
        // The display's own Language command switches the window menu to the new language.
        if (Language_Switch(number))
            plat_message_post(PLAT_WM_COMMAND, KX_DSP_CMD_LANGUAGE + static_cast<uintptr_t>(Language_Menu_Current()), 0);
    }
}

void Language_Screen_Free()
{
    screen_free();
}
