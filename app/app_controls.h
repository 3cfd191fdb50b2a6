// app_controls: the player's gamepad and mouse configurations, beside the keyboard one the game
// binds at start-up. Configuration 2 is the first pad: stick and D-pad steer, the south button
// fires, the east button is the second fire control, Start is Esc. Configuration 3 is the mouse:
// movement left and right steers, the primary button fires. Each reads only its own device.
#pragma once

#include "kx/kx_play/kx_play.h"

// Joystick codes of the pad's buttons (any pad: kx_inp_key_down/released look at every one).
enum : int {
    APP_PAD_SOUTH = 508,
    APP_PAD_EAST = 509,
    APP_PAD_START = 515,
};

// Binds and enables configurations 2 and 3 of a registered player. 1, or 0 when kx_play refused.
int App_Controls_Setup(KX_PLAYER_RECORD *player);
