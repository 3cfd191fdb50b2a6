// The controls pages of the menu: the rows' texts, Enter on a row, and the wait for the key or
// pad button that a row takes, which keeps that press (and its release) from every other use.
// Also the name of the fire key for the game's launch line.
#include "app/app.h"
#include "app/app_keymap.h"

#include "game/game.h"
#include "game/game_menu.h"
#include "game/game_text.h"
#include "kx/kx_inp/kx_inp.h"
#include "platform/plat_input.h"
#include "platform/plat_keys.h"

#include <cstdio>

namespace {

constexpr int EFFECT_ENTER = 5, EFFECT_ESC = 4;

struct KEYMAP_PAGE {
    int waiting = -1;          // the row waiting for a key or button (-1: none)
    int held;                  // the code that ended the wait, kept from the commands until released
    int status_row = -1;       // the row that shows the word of its last assignment
    int status_page, status_code;
    APP_KEYMAP_RESULT status;
};
KEYMAP_PAGE page;

void changed()
{
    App_Keymap_Apply(&app.player);
    App_Keymap_Save();
}

const char *row_text(int row, char *out, size_t size)
{
    char key[40];
    if (row == MENU_CONTROL_DEFAULTS) return Game_Message(MSG_DEFAULTS);
    if (row == MENU_CONTROL_MOUSE_SPEED) {
        std::snprintf(out, size, "%s: %d", Game_Message(MSG_MOUSE_SPEED), app_keymap.mouse_speed);
        return out;
    }
    if (row < 0 || row >= APP_ACTIONS) return "";
    const char *name = Game_Message(MSG_ACTION_LEFT + row);
    if (page.waiting == row) {
        std::snprintf(out, size, "%s: %s", name, Game_Message(App_Keymap_Is_Pad(row) ? MSG_PRESS_BUTTON : MSG_PRESS_KEY));
        return out;
    }
    // The word shows until the selection leaves the row.
    const int item = row < MENU_CONTROL_PAD_FIRE ? row : row - MENU_CONTROL_PAD_FIRE;
    const bool status = page.status_row == row && page.status_page == menu.page && menu.item == item;
    if (status && page.status == APP_KEYMAP_REFUSED)
        std::snprintf(out, size, "%s: %s", App_Keymap_Code_Name(page.status_code, key, sizeof key),
                      Game_Message(MSG_KEY_REFUSED));
    else if (status && page.status == APP_KEYMAP_SWAPPED)
        std::snprintf(out, size, "%s: %s - %s", name, App_Keymap_Code_Name(app_keymap.codes[row], key, sizeof key),
                      Game_Message(MSG_KEY_SWAPPED));
    else
        std::snprintf(out, size, "%s: %s", name, App_Keymap_Code_Name(app_keymap.codes[row], key, sizeof key));
    return out;
}

void row_enter(int row)
{
    page.status_row = -1;
    if (row >= 0 && row < APP_ACTIONS) {
        page.waiting = row;
    } else if (row == MENU_CONTROL_MOUSE_SPEED) {
        app_keymap.mouse_speed = app_keymap.mouse_speed % APP_MOUSE_SPEEDS + 1;
        changed();
    } else if (row == MENU_CONTROL_DEFAULTS) {
        app_keymap = App_Keymap_Default();
        changed();
    }
}

void row_step(int row, int step)
{
    if (row != MENU_CONTROL_MOUSE_SPEED) return;
    const int speed = app_keymap.mouse_speed + step;
    if (speed < 1 || speed > APP_MOUSE_SPEEDS) return;
    app_keymap.mouse_speed = speed;
    changed();
}

int waiting()
{
    return page.waiting >= 0;
}

const MENU_CONTROLS hooks = {row_text, row_enter, row_step, waiting};

const char *fire_key_name()
{
    static char name[40];
    const int code = app_keymap.codes[APP_ACTION_FIRE];
    return code == PLAT_KEY_SPACE ? nullptr : App_Keymap_Code_Name(code, name, sizeof name);
}

// This poll's first press among keyboard keys, or among pad buttons; 0 for none.
int first_press(bool pad)
{
    const int first = pad ? KX_INP_JOYSTICK_FIRST + 8 : 1;
    const int last = pad ? KX_INP_JOYSTICK_FIRST + 8 + PLAT_PAD_BUTTONS - 1 : KX_INP_KEY_COUNT - 1;
    for (int code = first; code <= last; code++)
        if (kx_inp_key_pressed(code)) return code;
    return 0;
}

} // namespace

void App_Keymap_Page_Install()
{
    menu_controls = &hooks;
    game_fire_key_fn = fire_key_name;
}

int App_Keymap_Capture()
{
    if (page.held) {
        if (!kx_inp_key_down(page.held)) page.held = 0;
        return 1;
    }
    if (page.waiting < 0) return 0;
    if (!game_flags.menu_shown || (menu.page != MENU_PAGE_CONTROLS && menu.page != MENU_PAGE_PAD_MOUSE)) {
        page.waiting = -1;
        return 0;
    }
    if (kx_inp_key_pressed(PLAT_KEY_ESCAPE)) {
        Play_Effect(EFFECT_ESC);
        page.held = PLAT_KEY_ESCAPE;
        page.waiting = -1;
        return 1;
    }
    const int row = page.waiting;
    const int code = first_press(App_Keymap_Is_Pad(row));
    if (!code) return 1;
    page.status = App_Keymap_Assign(&app_keymap, row, code);
    page.status_row = row;
    page.status_page = menu.page;
    page.status_code = code;
    if (page.status != APP_KEYMAP_REFUSED) changed();
    Play_Effect(EFFECT_ENTER);
    page.held = code;
    page.waiting = -1;
    return 1;
}
