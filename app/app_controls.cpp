// app_controls: the gamepad and mouse configurations (see app_controls.h).
#include "app/app_controls.h"

#include "kx/kx_inp/kx_inp.h"
#include "platform/plat_input.h"

namespace {

// Codes that never read as down, one per device: key 0, the unused mouse byte 404, and the last
// button byte of a joystick, which no known pad reports.
constexpr int16_t NO_KEY = 0, NO_MOUSE = 404, NO_JOY = KX_INP_JOYSTICK_FIRST + 39;

static_assert(APP_PAD_SOUTH == KX_INP_JOYSTICK_FIRST + 8 + PLAT_PAD_BUTTON_SOUTH);
static_assert(APP_PAD_EAST == KX_INP_JOYSTICK_FIRST + 8 + PLAT_PAD_BUTTON_EAST);
static_assert(APP_PAD_START == KX_INP_JOYSTICK_FIRST + 8 + PLAT_PAD_BUTTON_START);

// Binds one configuration to one device: `codes` for that device, the other two cleared.
int bind(KX_PLAYER_RECORD *player, int configuration, const int16_t codes[10], int16_t none_a, int16_t none_b)
{
    int16_t a[10], b[10];
    for (int i = 0; i < 10; i++) a[i] = none_a, b[i] = none_b;
    return kx_play_setup(player, configuration, a) && kx_play_setup(player, configuration, b) &&
           kx_play_setup(player, configuration, codes);
}

} // namespace

int App_Controls_Setup(KX_PLAYER_RECORD *player)
{
    // Controls: up, down, left, right, 4, 5, fire, second fire, 8, menu (Esc).
    const int16_t pad[10] = {500, 501, 502, 503, NO_JOY, NO_JOY, APP_PAD_SOUTH, APP_PAD_EAST, NO_JOY, APP_PAD_START};
    int16_t primary = kx_inp_mouse_swapped() ? KX_INP_MOUSE_BUTTON1 : KX_INP_MOUSE_BUTTON0;
    const int16_t mouse[10] = {NO_MOUSE, NO_MOUSE, KX_INP_MOUSE_LEFT, KX_INP_MOUSE_RIGHT, NO_MOUSE,
                               NO_MOUSE, primary,  NO_MOUSE,          NO_MOUSE,           NO_MOUSE};
    return bind(player, 2, pad, NO_KEY, NO_MOUSE) && bind(player, 3, mouse, NO_KEY, NO_JOY);
}
