// gen_wrap: the OpenGL 1.1 back end of the display's 3D interface. Implements the fifteen
// operations of KX_DSP_3D: context start-up and shut-down, display modes, the picture viewport,
// bitmap drawing (gen_bit), snapshots taken at the end of a frame, screen clearing and buffer
// swaps, and the pixel, line, rectangle and circle operations.
#pragma once

#include <cstdint>

struct KX_BITMAP;
struct KX_RECT;
struct KX_DSP_3D;
struct KX_DSP_VIDEO_MODE;

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Results of a display mode change, as the display settings call of the desktop reports them.
enum : int {
    GEN_MODE_SUCCESSFUL = 0,
    GEN_MODE_RESTART = 1,
    GEN_MODE_FAILED = -1,
    GEN_MODE_BADMODE = -2,
    GEN_MODE_NOTUPDATED = -3,
    GEN_MODE_BADFLAGS = -4,
    GEN_MODE_BADPARAM = -5,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The operation table, and its installation as the display's 3D interface (display start-up).
const KX_DSP_3D *gen_wrap_table();
void gen_wrap_install();

int gen_wrap_init(void *window, KX_RECT *viewport, char *renderer, char *vendor);
int gen_wrap_deinit();
int gen_wrap_video_mode_set(const KX_DSP_VIDEO_MODE *mode, int fullscreen);
// Turns a mode change result into 1, or into 0 after an alert titled "ChangeDisplaySettings
// Failed" (nothing is shown for a plain failure).
int gen_wrap_mode_result(int code);
int gen_wrap_resize(int16_t x, int16_t y, int16_t width, int16_t height);
int gen_wrap_snapshot_request(const char *file_name, KX_RECT *rect);
// 1 while a snapshot waits for the next display_update.
int gen_wrap_snapshot_pending();
int gen_wrap_screen_clear();
int gen_wrap_display_update();

// The current viewport rectangle (picture coordinates of the window).
void gen_wrap_viewport_get(KX_RECT *rect);
// Turns a picture point into window coordinates as OpenGL counts them (from the bottom).
void gen_wrap_window_point(int x, int y, int *gl_x, int *gl_y);
// Reads width x height pixels of the back buffer from window point (gl_x, gl_y) up as RGB rows,
// bottom row first; 1 when read, 0 when the driver refused (rgb is then left as it was).
int gen_wrap_pixels_read(int gl_x, int gl_y, int width, int height, uint8_t *rgb);

int gen_draw_pixel(KX_BITMAP *bitmap, int x, int y, uint32_t color);
int gen_draw_line(KX_BITMAP *bitmap, int x1, int y1, int x2, int y2, uint32_t color);
int gen_draw_rectangle(KX_BITMAP *bitmap, KX_RECT *rect, uint32_t color, int filled);
int gen_draw_circle(KX_BITMAP *bitmap, int x, int y, int radius, uint32_t color, int filled);
uint32_t gen_get_pixel(KX_BITMAP *bitmap, int x, int y);
// The 4-bit variants: not made; they only say so.
int gen_draw_pixel_04(KX_BITMAP *bitmap, int x, int y, uint32_t color);
uint32_t gen_get_pixel_04(KX_BITMAP *bitmap, int x, int y);

// Headless use (tools, tests): a hidden window of width x height with its context on SDL's
// offscreen driver, started like the display starts the back end. Without `history` the driver
// description is not written to "history.txt" (a tool run in a modder's folder). 1 when
// drawing works.
int gen_wrap_headless_start(int width, int height, int history);
// Whether gen_wrap_init writes to "history.txt" (on unless a headless start said otherwise).
void gen_wrap_history_set(int on);
void gen_wrap_headless_stop();
