// kx_inp: the input module's life cycle: creating the devices, setting up each joystick,
// activation and the window hook.
#include "kx/kx_inp/kx_inp_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"
#include "platform/plat_core.h"
#include "platform/plat_input.h"
#include "platform/plat_owner.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_INP_STATE kx_inp;

namespace {

const char *const kx_inp_texts[] = {
    "Couldn't create DirectInput!",
    "Couldn't initialize keyboard!",
    "Couldn't initialize joystick",
    "Couldn't initialize mouse",
    "Joystick IDInput::CreateDevice FAILED\n!",
    "Joystick IDInputDevice SetDataFormat FAILED!",
    "Joystick IDInputDevice SetCooperativeLevel FAILED!",
    "Joystick IDInputDevice SetProperty Range FAILED for X!",
    "Joystick IDInputDevice SetProperty Range  FAILED for Y!",
    "Joystick IDInputDevice SetProperty Range  FAILED for Z!",
    "Joystick IDInputDevice SetProperty Deadzone FAILED for X!",
    "Joystick IDInputDevice SetProperty Deadzone FAILED for Y!",
    "Joystick IDInputDevice SetProperty Deadzone FAILED for Z!",
    "Joystick couldn't convert to Device2!",
    "Joystick acquisition failed",
    "Don't have a current joystick device",
    "Mouse SetDataFormat",
    "Mouse SetCooperativeLevel",
    "Keyboard SetDataFormat",
    "Keyboard SetCooperativeLevel",
};

void kx_inp_fail(int code)
{
    kx_error_raise(kx_inp_report(), kx_inp.module, code);
}

void kx_inp_states_clear()
{
    std::memset(kx_inp.keys, 0, sizeof kx_inp.keys);
    std::memset(kx_inp.keys_previous, 0, sizeof kx_inp.keys_previous);
    std::memset(kx_inp.mouse, 0, sizeof kx_inp.mouse);
    std::memset(kx_inp.mouse_previous, 0, sizeof kx_inp.mouse_previous);
    std::memset(kx_inp.joystick, 0, sizeof kx_inp.joystick);
    std::memset(kx_inp.joystick_previous, 0, sizeof kx_inp.joystick_previous);
}

void kx_inp_joystick_release(int j)
{
    plat_input_joystick_close(kx_inp.joystick_handle[j]);
    kx_inp.joystick_handle[j] = 0;
    kx_inp.joystick_device[j] = -1;
    std::memset(kx_inp.joystick[j], 0, KX_INP_BLOCK_SIZE);
    std::memset(kx_inp.joystick_previous[j], 0, KX_INP_BLOCK_SIZE);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int kx_inp_report()
{
    return kx_inp.settings && kx_inp.settings[0];
}

int kx_inp_init_joy(int32_t device, void *)
{
    if (kx_inp.joystick_count >= KX_INP_MAX_JOYSTICKS) {
        kx_dsp_alert("More than 16 joysticks connected to this computer!?!? You must be kidding!", "kx_inp_init_joy ()",
                     PLAT_MB_OK);
        return 0;
    }
    int handle = plat_input_joystick_open(device);
    if (!handle) {
        kx_inp_fail(KX_INP_ERR_JOY_CREATE);
        return 1;
    }
    // A device whose capabilities cannot be read is taken as a two-axis stick.
    int axes = plat_input_joystick_axes(handle);
    if (axes < 0) axes = 2;
    int ok = plat_input_joystick_range_set(handle, PLAT_JOY_AXIS_X, -128, 128) ? 1 : (kx_inp_fail(KX_INP_ERR_JOY_RANGE_X), 0);
    if (ok && !plat_input_joystick_range_set(handle, PLAT_JOY_AXIS_Y, -128, 128)) ok = (kx_inp_fail(KX_INP_ERR_JOY_RANGE_Y), 0);
    if (ok && axes > 2 &&
        !(plat_input_joystick_range_set(handle, PLAT_JOY_AXIS_Z, -128, 128) &&
          plat_input_joystick_range_set(handle, PLAT_JOY_AXIS_RZ, -128, 128)))
        ok = (kx_inp_fail(KX_INP_ERR_JOY_RANGE_Z), 0);
    if (ok && !plat_input_joystick_dead_zone_set(handle, PLAT_JOY_AXIS_X, 5000)) ok = (kx_inp_fail(KX_INP_ERR_JOY_DEAD_X), 0);
    if (ok && !plat_input_joystick_dead_zone_set(handle, PLAT_JOY_AXIS_Y, 5000)) ok = (kx_inp_fail(KX_INP_ERR_JOY_DEAD_Y), 0);
    if (ok && axes > 2 &&
        !(plat_input_joystick_dead_zone_set(handle, PLAT_JOY_AXIS_Z, 5000) &&
          plat_input_joystick_dead_zone_set(handle, PLAT_JOY_AXIS_RZ, 5000)))
        ok = (kx_inp_fail(KX_INP_ERR_JOY_DEAD_Z), 0);
    if (!ok) {
        plat_input_joystick_close(handle);
        return 0;
    }
    for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++) {
        if (kx_inp.joystick_handle[j]) continue;
        kx_inp.joystick_handle[j] = handle;
        kx_inp.joystick_device[j] = device;
        kx_inp.joystick_z[j] = axes > 2;
        std::memset(kx_inp.joystick[j], 0, KX_INP_BLOCK_SIZE);
        std::memset(kx_inp.joystick_previous[j], 0, KX_INP_BLOCK_SIZE);
        break;
    }
    kx_inp.joystick_count++;
    return 1;
}

void kx_inp_hot_plug()
{
    PLAT_JOY_CHANGE change;
    while (plat_input_joystick_change(&change)) {
        int held = -1;
        for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++)
            if (kx_inp.joystick_handle[j] && kx_inp.joystick_device[j] == change.device) held = j;
        if (change.added && held < 0) {
            kx_inp_init_joy(change.device, nullptr);
        } else if (!change.added && held >= 0) {
            kx_inp_joystick_release(held);
            kx_inp.joystick_count--;
        }
    }
}

int kx_inp_init(int32_t *settings)
{
    std::memset(&kx_inp, 0, sizeof kx_inp);
    kx_inp.settings = settings;
    kx_inp.threshold = KX_INP_MOUSE_THRESHOLD;
    for (int32_t &d : kx_inp.joystick_device) d = -1;
    kx_inp.module = kx_error_register("Input", kx_inp_texts);
    if (!plat_input_init()) {
        kx_inp_fail(KX_INP_ERR_CREATE);
        return 0;
    }
    plat_input_joystick_enum(kx_inp_init_joy, nullptr);
    kx_inp.swapped = plat_input_mouse_buttons_swapped();
    kx_inp.created = 1;
    return 1;
}

void kx_inp_done()
{
    if (!kx_inp.created) return;
    plat_input_mouse_acquire(0);
    plat_input_keyboard_acquire(0);
    for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++)
        if (kx_inp.joystick_handle[j]) kx_inp_joystick_release(j);
    kx_inp.joystick_count = 0;
    plat_input_done();
    kx_inp.created = 0;
}

// Both directions clear the held states, the previous ones too, so that a key held across the
// switch neither stays down nor counts as released. The devices stay released while the window
// menu or a dialog owns the keyboard and mouse: the game gets them back when they do.
int kx_inp_activate(int active)
{
    if (active && plat_owner() != PLAT_OWNER_GAME) active = 0;
    if (active) {
        kx_inp.swapped = plat_input_mouse_buttons_swapped();
        plat_input_mouse_acquire(1);
        plat_input_cursor_show(0);
        plat_input_keyboard_acquire(1);
    } else {
        plat_input_mouse_acquire(0);
        plat_input_cursor_show(1);
        plat_input_keyboard_acquire(0);
    }
    kx_inp_states_clear();
    kx_inp.inactive = !active;
    return kx_inp.inactive;
}

int kx_inp_window_message(uint32_t message, uintptr_t wparam, intptr_t)
{
    switch (message) {
    case PLAT_WM_ACTIVATE: kx_inp_activate(wparam != 0); break;
    // Leaving the window menu gives the keyboard back as the focus does.
    case PLAT_WM_SETFOCUS:
    case KX_INP_WM_EXITMENULOOP: plat_message_post(KX_INP_WM_REACTIVATE, 0, 0); break;
    // While input is active the captured mouse owns its clicks; a click only wakes input up
    // again after it was switched off.
    case PLAT_WM_LBUTTONDOWN:
        if (kx_inp.inactive) plat_message_post(KX_INP_WM_REACTIVATE, 0, 0);
        break;
    case KX_INP_WM_REACTIVATE: kx_inp_activate(1); break;
    case PLAT_WM_KILLFOCUS:
    case KX_INP_WM_ENTERMENULOOP:
    case KX_INP_WM_ENTERSIZEMOVE: kx_inp_activate(0); break;
    case PLAT_WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == PLAT_SC_MINIMIZE) kx_inp_activate(0);
        else if ((wparam & 0xFFF0) == PLAT_SC_RESTORE) kx_inp_activate(1);
        break;
    case KX_INP_WM_SETCURSOR: plat_input_cursor_show(kx_inp.inactive); break;
    default: break;
    }
    return 1;
}

int kx_inp_mouse_swapped()
{
    return kx_inp.swapped;
}

int kx_inp_joystick_count()
{
    return kx_inp.joystick_count;
}

int kx_inp_inactive()
{
    return kx_inp.inactive;
}

int kx_inp_module()
{
    return kx_inp.module;
}
