// Command building: turns this pass's device states and the player's controls into the
// command array that the game, the menu and the name entry read.
#include "app/app.h"

#include "app/app_controls.h"
#include "app/app_keymap.h"
#include "game/game.h"
#include "kx/kx_inp/kx_inp.h"
#include "platform/plat_keys.h"
#include "platform/plat_text.h"

#include <initializer_list>

namespace {

enum : int { CONTROL_UP, CONTROL_DOWN, CONTROL_LEFT, CONTROL_RIGHT, CONTROL_PRIMARY = 6, CONTROL_SECONDARY = 7, CONTROL_MENU = 9 };

// A state of 1..127 is an analog amount; a state with the top bit set is a digital press, whose
// amount grows with the steps the previous pass ran so that motion keeps pace with the frame rate.
// The mouse's amount (`mouse_code`, 0 for a direction the mouse does not steer) is scaled by the
// player's steering speed.
uint8_t amount(uint8_t state, int mouse_code)
{
    if (!(state & 0x80)) return mouse_code && state == kx_inp_key_down(mouse_code) ? App_Keymap_Mouse_Amount(state) : state;
    int n = app.steps_last_pass;
    return static_cast<uint8_t>(n == 0 ? 32 : 4 * n + 12);
}

// The player's primary button as it stood at the previous poll: its release confirms in the menu,
// so that a gamepad or a mouse bound to it drives the menu as Enter does.
uint8_t primary_before;

// The direction controls as they stood at the previous poll, and whether a confirm key went
// down while the menu was shown: its release then confirms at once, while the release of a key
// pressed before the menu opened (Enter that ended the name entry) waits for the key delay.
uint8_t directions_before[4], menu_before;
bool confirm_pressed_in_menu;

bool ctrl_shift_released(int key)
{
    return kx_inp_key_released(key) && kx_inp_key_down(PLAT_KEY_LEFT_CTRL) && kx_inp_key_down(PLAT_KEY_LEFT_SHIFT);
}

// The characters typed since the previous pass, as the Latin-1 bytes the game draws; others are
// passed over.
void typed_build()
{
    uint32_t typed[GAME_TYPED_MAX];
    const int n = plat_text_read(typed, GAME_TYPED_MAX);
    int k = 0;
    for (int i = 0; i < n; i++)
        if (typed[i] < 256) typed_text[k++] = static_cast<char>(typed[i]);
    typed_text[k] = 0;
}

// Clears the controls whose chosen key types a letter and is down.
void typing_keys_drop(uint8_t *c)
{
    static const int pairs[][2] = {{CONTROL_LEFT, APP_ACTION_LEFT}, {CONTROL_RIGHT, APP_ACTION_RIGHT},
                                   {CONTROL_PRIMARY, APP_ACTION_FIRE}, {CONTROL_MENU, APP_ACTION_MENU}};
    for (const auto &p : pairs) {
        const int key = app_keymap.codes[p[1]];
        if (App_Keymap_Types(key) && kx_inp_key_down(key)) c[p[0]] = 0;
    }
}

} // namespace

int app_confirm_released()
{
    int mouse = kx_inp_mouse_swapped() ? KX_INP_MOUSE_BUTTON1 : KX_INP_MOUSE_BUTTON0;
    return kx_inp_key_released(PLAT_KEY_RETURN) || kx_inp_key_released(PLAT_KEY_SPACE) ||
           kx_inp_key_released(PLAT_KEY_ESCAPE) || kx_inp_key_released(PLAT_KEY_F1) || kx_inp_key_released(mouse) ||
           kx_inp_key_released(APP_PAD_SOUTH) || kx_inp_key_released(APP_PAD_EAST) || kx_inp_key_released(APP_PAD_START);
}

namespace {

// A key that confirms in the menu went down (Esc, F1 and Start, which also confirm when released,
// have jobs of their own when pressed).
bool confirm_pressed(const uint8_t *c)
{
    int mouse = kx_inp_mouse_swapped() ? KX_INP_MOUSE_BUTTON1 : KX_INP_MOUSE_BUTTON0;
    for (int key : {int(PLAT_KEY_RETURN), int(PLAT_KEY_SPACE), mouse, int(APP_PAD_SOUTH), int(APP_PAD_EAST)})
        if (kx_inp_key_pressed(key)) return true;
    return c[CONTROL_PRIMARY] && !primary_before;
}

// The FRESH_ bits of this pass: Esc and the directions that went down since the previous poll,
// and Enter in the menu when its key went down there.
void fresh_build(const uint8_t *c)
{
    commands_fresh = 0;
    if (kx_inp_key_pressed(PLAT_KEY_ESCAPE) || (c[CONTROL_MENU] && !menu_before)) commands_fresh |= FRESH_ESC;
    menu_before = c[CONTROL_MENU];
    static const uint32_t bits[4] = {FRESH_UP, FRESH_DOWN, FRESH_LEFT, FRESH_RIGHT};
    for (int d = CONTROL_UP; d <= CONTROL_RIGHT; d++) {
        if (c[d] && !directions_before[d]) commands_fresh |= bits[d];
        directions_before[d] = c[d];
    }
    if (!game_flags.menu_shown) {
        confirm_pressed_in_menu = false;
        if (kx_inp_key_pressed(PLAT_KEY_RETURN)) commands_fresh |= FRESH_ENTER;
        return;
    }
    if (confirm_pressed(c)) confirm_pressed_in_menu = true;
    if (mapa_teclado[CMD_ENTER] && confirm_pressed_in_menu) {
        commands_fresh |= FRESH_ENTER;
        confirm_pressed_in_menu = false;
    }
}

} // namespace

void app_commands_build()
{
    Commands_Clear();
    if (App_Keymap_Capture()) return;
    // Any key but the snapshot key leaves the attract sequence for the menu.
    const int first = kx_inp_first_pressed();
    if (game_flags.attract_mode && first && first != PLAT_KEY_F9) mapa_teclado[CMD_ANY] = 1;
    if (ctrl_shift_released(PLAT_KEY_L)) mapa_teclado[CMD_NEXT_LEVEL] = 1;
    if (ctrl_shift_released(PLAT_KEY_I)) Game_No_Life_Loss_Toggle();
    // The arrows keep moving through the menu and the name entry whatever keys steer the paddle,
    // and in the name entry a chosen key that types a letter only types it.
    uint8_t c[10];
    for (int i = 0; i < 10; i++) c[i] = app.player.controls[i];
    if (game_flags.name_entry) typing_keys_drop(c);
    if (game_flags.menu_shown || game_flags.name_entry) {
        if (kx_inp_key_down(PLAT_KEY_LEFT)) c[CONTROL_LEFT] |= 0x80;
        if (kx_inp_key_down(PLAT_KEY_RIGHT)) c[CONTROL_RIGHT] |= 0x80;
    }
    if (kx_inp_key_down(PLAT_KEY_ESCAPE) || c[CONTROL_MENU]) mapa_teclado[CMD_ESC] = 1;
    if (App_Keymap_Pause_Released()) mapa_teclado[CMD_P] = 1;
    if (kx_inp_key_released(PLAT_KEY_F1)) App_Help_Show();
    else if (!game_flags.menu_shown && kx_inp_key_down(PLAT_KEY_RETURN)) mapa_teclado[CMD_ENTER] = 1;
    if (game_flags.menu_shown && app_confirm_released()) mapa_teclado[CMD_ENTER] = 1;
    if (kx_inp_key_down(PLAT_KEY_TAB)) mapa_teclado[CMD_TAB] = 1;
    // F8 asks for a recording; the game starts one only during a level's start-up move.
    if (kx_inp_key_released(PLAT_KEY_F8)) mapa_teclado[CMD_DEMO_RECORD] = 1;

    if (c[CONTROL_LEFT]) mapa_teclado[CMD_LEFT] = amount(c[CONTROL_LEFT], KX_INP_MOUSE_LEFT);
    else if (c[CONTROL_RIGHT]) mapa_teclado[CMD_RIGHT] = amount(c[CONTROL_RIGHT], KX_INP_MOUSE_RIGHT);
    if (c[CONTROL_UP]) mapa_teclado[CMD_UP] = amount(c[CONTROL_UP], 0);
    else if (c[CONTROL_DOWN]) mapa_teclado[CMD_DOWN] = amount(c[CONTROL_DOWN], 0);
    if (c[CONTROL_PRIMARY] && !game_flags.menu_shown) mapa_teclado[CMD_SPACE] = 1;
    // Space stores a letter of the name whatever key fires.
    if (game_flags.name_entry && !game_flags.menu_shown && kx_inp_key_down(PLAT_KEY_SPACE)) mapa_teclado[CMD_SPACE] = 1;
    if (primary_before && !c[CONTROL_PRIMARY] && game_flags.menu_shown) mapa_teclado[CMD_ENTER] = 1;
    // While a name is entered the keyboard's second fire control (B) types a letter instead.
    if (c[CONTROL_SECONDARY] && !game_flags.menu_shown && !game_flags.name_entry) mapa_teclado[CMD_ENTER] = 1;
    fresh_build(c);
    primary_before = c[CONTROL_PRIMARY];
    typed_build();
}

void Commands_Clear()
{
    typed_text[0] = 0;
    commands_fresh = 0;
    if (!mapa_teclado) return;
    static const int cleared[] = {CMD_SPACE, CMD_ESC, CMD_P, CMD_ENTER, CMD_TAB, CMD_ANY, CMD_NEXT_LEVEL, CMD_DEMO_RECORD};
    for (int c : cleared) mapa_teclado[c] = 0;
    if (game_flags.menu_shown) mapa_teclado[CMD_UP] = mapa_teclado[CMD_DOWN] = mapa_teclado[CMD_LEFT] = mapa_teclado[CMD_RIGHT] = 0;
}

void Commands_Decay()
{
    if (!mapa_teclado) return;
    static const int directions[] = {CMD_UP, CMD_DOWN, CMD_LEFT, CMD_RIGHT};
    for (int d : directions) mapa_teclado[d] = mapa_teclado[d] > 4 ? static_cast<uint8_t>(mapa_teclado[d] - 4) : 0;
}
