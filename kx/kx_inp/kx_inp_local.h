// kx_inp internals shared by the module's files: the one state record of the input module.
#pragma once

#include "kx/kx_inp/kx_inp.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct KX_INP_STATE {
    int module;                    // id given by kx_error
    int32_t *settings;             // word 0 report flag, word 1 mouse diagonal flag
    int created;
    int joystick_handle[KX_INP_MAX_JOYSTICKS];   // platform handle, 0 for a free slot
    int32_t joystick_device[KX_INP_MAX_JOYSTICKS];
    uint8_t joystick_z[KX_INP_MAX_JOYSTICKS];    // Z and Z-rotation were set up
    int joystick_count;
    uint8_t keys[KX_INP_KEY_COUNT];
    uint8_t keys_previous[KX_INP_KEY_COUNT];
    uint8_t mouse[KX_INP_BLOCK_SIZE];
    uint8_t mouse_previous[KX_INP_BLOCK_SIZE];
    uint8_t joystick[KX_INP_MAX_JOYSTICKS][KX_INP_BLOCK_SIZE];
    uint8_t joystick_previous[KX_INP_MAX_JOYSTICKS][KX_INP_BLOCK_SIZE];
    int32_t mouse_x, mouse_y, mouse_z;   // raw mouse state of the last poll
    uint8_t mouse_buttons[4];
    int inactive;
    int swapped;
    int threshold;
};

// ---------------------------------------------------------------------------------------------
// Globals and functions
// ---------------------------------------------------------------------------------------------

extern KX_INP_STATE kx_inp;

int kx_inp_report();
// Sets up one attached joystick in the first free slot; 1 to go on enumerating, 0 to stop.
int kx_inp_init_joy(int32_t device, void *user);
// Takes in the joysticks plugged in or pulled out since the last poll.
void kx_inp_hot_plug();
void kx_inp_poll_joystick(int j);
