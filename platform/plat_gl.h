// plat_gl: the OpenGL context of the main window (our stand-in for the wgl binding). One context
// per window: 32-bit colour, double buffered, no depth or stencil buffer, presented in step with
// the display's refresh where the driver offers it. The 3D back end and the window menu both
// draw through it.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Creates the context on the main window and makes it current; a context that already exists
// is made current again. Returns 1, or 0 with the reason in plat_gl_error().
int plat_gl_create();
// Destroys the context (before the window goes).
void plat_gl_destroy();
int plat_gl_exists();
int plat_gl_make_current();
// Shows the back buffer.
void plat_gl_swap();
// 1 when showing a frame waits for the display's refresh (vsync, adaptive where offered; asked
// for when the context is made). Never on a window without a display.
int plat_gl_vsync();
// Refresh rate of the window's display in Hz, 0 when unknown.
int plat_gl_refresh_rate();
// The picture on show was lost (the window was exposed, resized or restored): the next frame
// must be drawn in full. plat_gl_picture_lost_take returns 1 once after that, and after the
// context was made.
void plat_gl_picture_lost();
int plat_gl_picture_lost_take();
// Whether the back buffer keeps its pixels across a swap, as far as the platform knows: 0 never
// (each frame is drawn in full), -1 for the back end to test.
int plat_gl_back_kept();
// Whether the picture must be drawn again, leaving the mark for the back end to take.
int plat_gl_picture_is_lost();
// Size of the window's drawable in pixels (the whole client area, menu bar included).
void plat_gl_drawable_size(int *width, int *height);
// Address of an OpenGL entry point, or null.
void *plat_gl_proc_address(const char *name);
// Bits the context really got: colour (r+g+b+a), depth, stencil.
void plat_gl_bits(int *color, int *depth, int *stencil);
const char *plat_gl_error();
// Reads the back buffer (the frame about to be shown; `front` 1: the one on show, where the
// driver keeps it readable) as 8-bit RGB rows, top row first, into `rgb` (width * height * 3
// bytes). Returns 1 on success, 0 when the picture could not be read (`rgb` then holds nothing).
int plat_gl_pixels_read(uint8_t *rgb, int width, int height, int front);

// The window flags a window needs for this context (SDL_WINDOW_* bits; none where the platform
// draws nowhere).
uint32_t plat_gl_window_flags();
// Used by the window creation: asks for the pixel format above (fallback: no alpha, 16-bit depth).
void plat_gl_attributes_set(int fallback);
// Clears colour (to black), depth and stencil of the back buffer.
void plat_gl_clear();

// Keeps the OpenGL driver modules that are loaded now in memory until the process ends.
void plat_gl_drivers_pin();
