// kx_play: players and their control bindings over the keyboard, the mouse and the joysticks.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// The caller's record of one player; the game may embed it.
struct KX_PLAYER_RECORD {
    uint8_t controls[10];
    uint8_t joystick[40];
};

enum : int {
    KX_PLAY_CONTROLS = 10,
    KX_PLAY_CONFIGURATIONS = 5,
};

// Error codes of the "Player" module.
enum {
    KX_PLAY_ERR_NULL = 0,
    KX_PLAY_ERR_UNKNOWN = 1,
    KX_PLAY_ERR_CONTROL = 2,
    KX_PLAY_ERR_CONFIGURATION = 4,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// settings: word 0 is the report flag. 1, or 0 for a null pointer.
int kx_play_init(int32_t *settings);
void kx_play_done();
// Registers a player (clearing the record) with the default bindings in all five configurations
// and only configuration 1 enabled. 1 or 0.
int kx_play_add(KX_PLAYER_RECORD *player);
// Enables a configuration (1-5) and binds the ten codes to controls 0-9; -1 keeps a control's
// binding, and a code replaces only the binding of its own device. 1, or 0 after an error.
int kx_play_setup(KX_PLAYER_RECORD *player, int configuration, const int16_t codes[10]);
// Writes the controls and the joystick block of every registered player into its record.
void kx_play_update();
// Unregisters a player; 1, or 0 when it was never registered.
int kx_play_remove(KX_PLAYER_RECORD *player);
int kx_play_count();
int kx_play_module();
