// kx_play: the registered players and their bindings of control codes to the ten controls, in
// up to five configurations, each binding one keyboard, one mouse and one joystick byte.
#include "kx/kx_play/kx_play.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

enum { KX_PLAY_KEYBOARD = 0, KX_PLAY_MOUSE = 1, KX_PLAY_JOYSTICK = 2 };

struct KX_PLAY_CONTROL {
    int number;
    uint8_t enabled[KX_PLAY_CONFIGURATIONS];
    const uint8_t *binding[KX_PLAY_CONTROLS][KX_PLAY_CONFIGURATIONS][3];
    const uint8_t *joystick;
    KX_PLAYER_RECORD *record;
    KX_PLAY_CONTROL *next;
};

struct KX_PLAY_STATE {
    int module;
    int32_t *settings;
    int created;
    KX_PLAY_CONTROL *first;
    int count;
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_PLAY_STATE kx_play;

const char *const kx_play_texts[] = {
    "Passed a NULL player",
    "Tried to remove a player never registered",
    "Trying to assign control that doesn't exist",
    "",
    "Trying to assign a configuration out of limit in kx_play_setup",
};

constexpr int16_t kx_play_default_keys[KX_PLAY_CONTROLS] = {200, 208, 203, 205, 23, 24, 57, 28, 28, 1};
constexpr int16_t kx_play_default_joystick[KX_PLAY_CONTROLS] = {500, 501, 502, 503, 504, 505, 508, 509, 28, 1};

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

void kx_play_fail(int code)
{
    kx_error_raise(kx_play.settings && kx_play.settings[0], kx_play.module, code);
}

KX_PLAY_CONTROL *kx_play_find(const KX_PLAYER_RECORD *player)
{
    for (KX_PLAY_CONTROL *c = kx_play.first; c; c = c->next)
        if (c->record == player) return c;
    return nullptr;
}

int kx_play_device(int code)
{
    if (code >= 0 && code < KX_INP_KEY_COUNT) return KX_PLAY_KEYBOARD;
    if (code >= KX_INP_MOUSE_FIRST && code < KX_INP_MOUSE_FIRST + KX_INP_BLOCK_SIZE) return KX_PLAY_MOUSE;
    if (code >= KX_INP_JOYSTICK_FIRST && code < KX_INP_JOYSTICK_FIRST + KX_INP_BLOCK_SIZE) return KX_PLAY_JOYSTICK;
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int kx_play_init(int32_t *settings)
{
    if (!settings) return 0;
    kx_play.settings = settings;
    kx_play.module = kx_error_register("Player", kx_play_texts);
    kx_play.first = nullptr;
    kx_play.count = 0;
    kx_play.created = 1;
    return 1;
}

void kx_play_done()
{
    KX_PLAY_CONTROL *c = kx_play.first;
    while (c) {
        KX_PLAY_CONTROL *next = c->next;
        kx_mem_free(c);
        c = next;
    }
    kx_play.first = nullptr;
    kx_play.count = 0;
    kx_play.created = 0;
}

int kx_play_add(KX_PLAYER_RECORD *player)
{
    if (!player) {
        kx_play_fail(KX_PLAY_ERR_NULL);
        return 0;
    }
    std::memset(player, 0, sizeof *player);
    auto *c = static_cast<KX_PLAY_CONTROL *>(kx_mem_calloc(1, sizeof(KX_PLAY_CONTROL)));
    if (!c) return 0;
    kx_mem_name(c, "player controls");
    c->record = player;
    c->number = kx_play.count;
    c->joystick = kx_inp_joystick_block(c->number);
    KX_PLAY_CONTROL **tail = &kx_play.first;
    while (*tail) tail = &(*tail)->next;
    *tail = c;

    int swapped = kx_inp_mouse_swapped();
    const int16_t mouse[KX_PLAY_CONTROLS] = {400, 401, 402, 403, 404, 405, static_cast<int16_t>(swapped ? 409 : 408),
                                             static_cast<int16_t>(swapped ? 408 : 409), 28, 1};
    c->enabled[0] = 1;
    for (int k = 0; k < KX_PLAY_CONTROLS; k++) {
        for (int n = 0; n < KX_PLAY_CONFIGURATIONS; n++) {
            c->binding[k][n][KX_PLAY_KEYBOARD] = kx_inp_state_byte(kx_play_default_keys[k], c->number);
            // Only the first player has the mouse; code 0 never reads as down.
            c->binding[k][n][KX_PLAY_MOUSE] = kx_inp_state_byte(c->number == 0 ? mouse[k] : 0, c->number);
            c->binding[k][n][KX_PLAY_JOYSTICK] = kx_inp_state_byte(kx_play_default_joystick[k], c->number);
        }
    }
    kx_play.count++;
    return 1;
}

int kx_play_setup(KX_PLAYER_RECORD *player, int configuration, const int16_t codes[10])
{
    if (configuration < 1 || configuration > KX_PLAY_CONFIGURATIONS) {
        kx_play_fail(KX_PLAY_ERR_CONFIGURATION);
        return 0;
    }
    if (!player) {
        kx_play_fail(KX_PLAY_ERR_NULL);
        return 0;
    }
    KX_PLAY_CONTROL *c = kx_play_find(player);
    if (!c) {
        kx_play_fail(KX_PLAY_ERR_UNKNOWN);
        return 0;
    }
    int n = configuration - 1;
    c->enabled[n] = 1;
    int ok = 1;
    for (int k = 0; k < KX_PLAY_CONTROLS; k++) {
        if (codes[k] == -1) continue;
        int device = kx_play_device(codes[k]);
        if (device < 0) {
            // The control keeps what it had; the other codes are still bound.
            kx_play_fail(KX_PLAY_ERR_CONTROL);
            ok = 0;
            continue;
        }
        c->binding[k][n][device] = kx_inp_state_byte(codes[k], c->number);
    }
    return ok;
}

void kx_play_update()
{
    for (KX_PLAY_CONTROL *c = kx_play.first; c; c = c->next) {
        std::memcpy(c->record->joystick, c->joystick, sizeof c->record->joystick);
        for (int k = 0; k < KX_PLAY_CONTROLS; k++) {
            uint8_t value = 0;
            for (int n = 0; n < KX_PLAY_CONFIGURATIONS && !value; n++) {
                if (!c->enabled[n]) continue;
                const uint8_t *const *b = c->binding[k][n];
                value = static_cast<uint8_t>(*b[KX_PLAY_KEYBOARD] | *b[KX_PLAY_MOUSE] | *b[KX_PLAY_JOYSTICK]);
            }
            c->record->controls[k] = value;
        }
    }
}

int kx_play_remove(KX_PLAYER_RECORD *player)
{
    if (!player) {
        kx_play_fail(KX_PLAY_ERR_NULL);
        return 0;
    }
    for (KX_PLAY_CONTROL **at = &kx_play.first; *at; at = &(*at)->next) {
        if ((*at)->record != player) continue;
        KX_PLAY_CONTROL *gone = *at;
        *at = gone->next;
        kx_mem_free(gone);
        return 1;
    }
    kx_play_fail(KX_PLAY_ERR_UNKNOWN);
    return 0;
}

int kx_play_count()
{
    return kx_play.count;
}

int kx_play_module()
{
    return kx_play.module;
}
