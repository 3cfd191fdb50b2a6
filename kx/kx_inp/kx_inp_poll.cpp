// kx_inp polling and queries: one poll of every device per pass, and the state of single codes.
#include "kx/kx_inp/kx_inp_local.h"

#include "kx/kx_error/kx_error.h"
#include "platform/plat_input.h"

#include <algorithm>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

// What codes that name nothing point at; never written.
const uint8_t kx_inp_zero_block[KX_INP_BLOCK_SIZE] = {};

// A lost device is acquired and read again a few times at most.
constexpr int KX_INP_RETRIES = 3;

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

uint8_t axis_magnitude(int32_t value)
{
    return static_cast<uint8_t>(value < 0 ? -value : value);
}

void mouse_add(int code, int32_t amount)
{
    uint8_t &b = kx_inp.mouse[code - KX_INP_MOUSE_FIRST];
    b = static_cast<uint8_t>(std::min(128, b + amount));
}

void poll_mouse()
{
    PLAT_MOUSE_STATE m;
    int status = plat_input_mouse_read(&m);
    for (int i = 0; status == PLAT_INPUT_LOST && !kx_inp.inactive && i < KX_INP_RETRIES; i++) {
        if (!plat_input_mouse_acquire(1)) return;
        status = plat_input_mouse_read(&m);
    }
    if (status != PLAT_INPUT_OK) return;
    kx_inp.mouse_x = std::clamp(m.x, -128, 128);
    kx_inp.mouse_y = std::clamp(m.y, -128, 128);
    kx_inp.mouse_z = m.z;
    std::memcpy(kx_inp.mouse_buttons, m.buttons, 4);
    int32_t x = kx_inp.mouse_x, y = kx_inp.mouse_y, t = kx_inp.threshold;
    if (x < -t) mouse_add(KX_INP_MOUSE_LEFT, -x);
    if (x > t) mouse_add(KX_INP_MOUSE_RIGHT, x);
    if (y < -t) mouse_add(KX_INP_MOUSE_UP, -y);
    if (y > t) mouse_add(KX_INP_MOUSE_DOWN, y);
    for (int i = 0; i < 4; i++) kx_inp.mouse[KX_INP_MOUSE_BUTTON0 - KX_INP_MOUSE_FIRST + i] = m.buttons[i] & 0x80;

    int diagonal = kx_inp.settings && kx_inp.settings[1];
    if (diagonal) return;
    uint8_t *mb = kx_inp.mouse;
    constexpr int up = KX_INP_MOUSE_UP - KX_INP_MOUSE_FIRST, down = KX_INP_MOUSE_DOWN - KX_INP_MOUSE_FIRST;
    constexpr int left = KX_INP_MOUSE_LEFT - KX_INP_MOUSE_FIRST, right = KX_INP_MOUSE_RIGHT - KX_INP_MOUSE_FIRST;
    if (mb[left] && mb[up]) {
        if (x < y) mb[up] = 0;
        else mb[left] = 0;
    }
    if (mb[right] && mb[down]) {
        if (x <= y) mb[right] = 0;
        else mb[down] = 0;
    }
}

void poll_keyboard()
{
    int status = plat_input_keyboard_read(kx_inp.keys);
    for (int i = 0; status == PLAT_INPUT_LOST && !kx_inp.inactive && i < KX_INP_RETRIES; i++) {
        if (!plat_input_keyboard_acquire(1)) return;
        status = plat_input_keyboard_read(kx_inp.keys);
    }
}

int code_valid(int code)
{
    return (code >= 0 && code < KX_INP_KEY_COUNT) ||
           (code >= KX_INP_MOUSE_FIRST && code < KX_INP_MOUSE_FIRST + KX_INP_BLOCK_SIZE) ||
           (code >= KX_INP_JOYSTICK_FIRST && code < KX_INP_JOYSTICK_FIRST + KX_INP_BLOCK_SIZE);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void kx_inp_poll_joystick(int j)
{
    uint8_t *block = kx_inp.joystick[j];
    std::memset(block, 0, KX_INP_BLOCK_SIZE);
    int handle = kx_inp.joystick_handle[j];
    if (!handle) return;
    int status = plat_input_joystick_poll(handle);
    if (status != PLAT_INPUT_OK) {
        // Not acquired yet, or input lost: acquire now and read at the next poll.
        if (status == PLAT_INPUT_LOST) plat_input_joystick_acquire(handle);
        return;
    }
    PLAT_JOY_STATE s;
    status = plat_input_joystick_read(handle, &s);
    if (status == PLAT_INPUT_LOST) {
        if (!plat_input_joystick_acquire(handle)) kx_error_raise(kx_inp_report(), kx_inp.module, KX_INP_ERR_JOY_ACQUIRE);
        return;
    }
    if (status != PLAT_INPUT_OK) {
        kx_error_raise(kx_inp_report(), kx_inp.module, KX_INP_ERR_JOY_MISSING);
        return;
    }
    // Z and Z-rotation count only where they were given their range and dead zone.
    const int32_t axes[4] = {s.y, s.x, s.z, s.rz};
    for (int a = 0; a < (kx_inp.joystick_z[j] ? 4 : 2); a++) {
        int32_t v = std::clamp(axes[a], -128, 128);
        if (v < 0) block[a * 2] = axis_magnitude(v);
        else if (v > 0) block[a * 2 + 1] = axis_magnitude(v);
    }
    for (int b = 0; b < PLAT_INPUT_JOY_BUTTONS; b++) block[8 + b] = s.buttons[b] & 0x80;
}

void kx_inp_update()
{
    if (!kx_inp.created) return;
    std::memcpy(kx_inp.mouse_previous, kx_inp.mouse, sizeof kx_inp.mouse);
    std::memcpy(kx_inp.joystick_previous, kx_inp.joystick, sizeof kx_inp.joystick);
    std::memcpy(kx_inp.keys_previous, kx_inp.keys, sizeof kx_inp.keys);
    std::memset(kx_inp.mouse, 0, sizeof kx_inp.mouse);
    kx_inp_hot_plug();
    for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++) kx_inp_poll_joystick(j);
    poll_mouse();
    poll_keyboard();
}

uint8_t kx_inp_key_down(int code)
{
    if (code >= 0 && code < KX_INP_KEY_COUNT) return kx_inp.keys[code];
    if (code >= KX_INP_MOUSE_FIRST && code < KX_INP_MOUSE_FIRST + KX_INP_BLOCK_SIZE) return kx_inp.mouse[code - KX_INP_MOUSE_FIRST];
    if (code >= KX_INP_JOYSTICK_FIRST && code < KX_INP_JOYSTICK_FIRST + KX_INP_BLOCK_SIZE) {
        for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++) {
            uint8_t b = kx_inp.joystick[j][code - KX_INP_JOYSTICK_FIRST];
            if (b) return b;
        }
    }
    return 0;
}

int kx_inp_key_released(int code)
{
    if (code >= 0 && code < KX_INP_KEY_COUNT) return !kx_inp.keys[code] && kx_inp.keys_previous[code];
    if (code >= KX_INP_MOUSE_FIRST && code < KX_INP_MOUSE_FIRST + KX_INP_BLOCK_SIZE) {
        int k = code - KX_INP_MOUSE_FIRST;
        return !kx_inp.mouse[k] && kx_inp.mouse_previous[k];
    }
    if (code >= KX_INP_JOYSTICK_FIRST && code < KX_INP_JOYSTICK_FIRST + KX_INP_BLOCK_SIZE) {
        int k = code - KX_INP_JOYSTICK_FIRST;
        for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++)
            if (!kx_inp.joystick[j][k] && kx_inp.joystick_previous[j][k]) return 1;
    }
    return 0;
}

int kx_inp_key_pressed(int code)
{
    if (code >= 0 && code < KX_INP_KEY_COUNT) return kx_inp.keys[code] && !kx_inp.keys_previous[code];
    if (code >= KX_INP_MOUSE_FIRST && code < KX_INP_MOUSE_FIRST + KX_INP_BLOCK_SIZE) {
        int k = code - KX_INP_MOUSE_FIRST;
        return kx_inp.mouse[k] && !kx_inp.mouse_previous[k];
    }
    if (code >= KX_INP_JOYSTICK_FIRST && code < KX_INP_JOYSTICK_FIRST + KX_INP_BLOCK_SIZE) {
        int k = code - KX_INP_JOYSTICK_FIRST;
        for (int j = 0; j < KX_INP_MAX_JOYSTICKS; j++)
            if (kx_inp.joystick[j][k] && !kx_inp.joystick_previous[j][k]) return 1;
    }
    return 0;
}

// Mouse first, then joystick 0, then the keyboard. Left Shift only counts when no later key is
// down, so Shift+key reports the key.
int kx_inp_first_pressed()
{
    for (int k = 0; k < KX_INP_BLOCK_SIZE; k++)
        if (kx_inp.mouse[k]) return KX_INP_MOUSE_FIRST + k;
    for (int k = 0; k < KX_INP_BLOCK_SIZE; k++)
        if (kx_inp.joystick[0][k]) return KX_INP_JOYSTICK_FIRST + k;
    for (int k = 0; k < KX_INP_KEY_COUNT; k++) {
        if (!kx_inp.keys[k]) continue;
        if (k != 42) return k;
        for (int later = 43; later < KX_INP_KEY_COUNT; later++)
            if (kx_inp.keys[later]) return later;
        return 42;
    }
    return 0;
}

const uint8_t *kx_inp_state_byte(int code, int joystick)
{
    if (!code_valid(code)) return kx_inp_zero_block;
    if (code < KX_INP_KEY_COUNT) return &kx_inp.keys[code];
    if (code < KX_INP_JOYSTICK_FIRST) return &kx_inp.mouse[code - KX_INP_MOUSE_FIRST];
    if (joystick < 0 || joystick >= KX_INP_MAX_JOYSTICKS) return kx_inp_zero_block;
    return &kx_inp.joystick[joystick][code - KX_INP_JOYSTICK_FIRST];
}

const uint8_t *kx_inp_joystick_block(int joystick)
{
    if (joystick < 0 || joystick >= KX_INP_MAX_JOYSTICKS) return kx_inp_zero_block;
    return kx_inp.joystick[joystick];
}
