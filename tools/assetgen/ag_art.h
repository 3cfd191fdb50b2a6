// assetgen: single pieces of the game's own art, for generators that compose pictures outside the
// data pack (the desktop icons). Each returns exactly the picture the game's data holds.
#pragma once

#include "tools/assetgen/ag_draw.h"

// The player's paddle, first frame (96 x 24).
ag_image ag_art_paddle();
// The ball, first frame (32 x 32, glow included).
ag_image ag_art_ball();
// The top of the one-hit brick of letter 0..25 (64 x 64).
ag_image ag_art_brick(int letter);
