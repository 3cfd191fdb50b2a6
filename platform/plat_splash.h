// plat_splash: the splash screen, a borderless window centred on the screen that shows a picture
// with one line of coloured text over it, until the main window is ready.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// `rgba`: width * height pixels, bytes R, G, B, A, rows top first (may be null: a black
// picture of that size). The text is drawn at (x, y) of the picture in colour (r, g, b).
// Returns 1 when the window is up.
int plat_splash_show(const uint8_t *rgba, int width, int height, const char *text, int x, int y, int r, int g, int b);
void plat_splash_close();
int plat_splash_shown();
// The picture as shown, text included (bytes R, G, B, A); null while no splash is up.
const uint8_t *plat_splash_pixels(int *width, int *height);
