// kx_dsp: the display module. Owns the main window and its procedure's display side, the video
// mode list, windowed and fullscreen operation, the window menu's display items, the saved
// display settings, the resize lists, the splash screen, the alerts, the tick timer and the 3D
// interface through which everything that draws reaches its back end.
#pragma once

#include <atomic>
#include <cstdint>

struct KX_BITMAP;
struct KX_RECT;

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

using KX_DSP_WNDPROC = intptr_t (*)(uint32_t message, uintptr_t wparam, intptr_t lparam);
using KX_DSP_TIMER_FN = void (*)(void *user);

// One entry of the game resolution list; the list ends with width 0.
struct KX_DSP_RESOLUTION {
    int16_t width, height;
    int16_t flags;   // KX_DSP_RES_*
};
enum : int16_t {
    KX_DSP_RES_LOW = 1,    // the low-resolution fullscreen choice (menu 50001)
    KX_DSP_RES_HIGH = 2,   // the high-resolution fullscreen choice (menu 50002)
};

// One language of the language menu. `number` is the language's number from the languages
// file; when it is a Windows language id of one of the six menu languages (1031, 1033, 1034,
// 1036, 1040, 2070) it picks the menu, else the abbreviation does ("de", "en", "es", "fr",
// "it", "pt" or the three-letter forms), else English.
struct KX_DSP_LANGUAGE {
    const char *name;           // entry text of the Language submenu
    const char *abbreviation;
    const char *fullscreen;     // the language's word for fullscreen (menu 50003 while windowed)
    const char *window;         // its word for window (menu 50003 while fullscreen)
    int number;
};

// One video mode the machine offers.
struct KX_DSP_VIDEO_MODE {
    int32_t width, height;
    int16_t depth;                // colour bits
    int32_t refresh;              // Hz, 0 when unknown
    int32_t flags;                // KX_DSP_MODE_*
    // 16-bit modes: shift and width of each channel, and the magenta colour key in that format.
    int16_t red_shift, red_width, green_shift, green_width, blue_shift, blue_width;
    uint16_t color_key;
};
enum : int32_t {
    KX_DSP_MODE_X = 1,
    KX_DSP_MODE_VGA = 2,          // a standard VGA mode
    KX_DSP_MODE_UNUSABLE = 4,
};

// The 3D interface: fifteen operations, in this order, through which all drawing reaches the
// back end. A back end fills one of these and hands it to kx_dsp_3d_interface_set; every slot it
// leaves empty keeps a default that only reports its own name and returns 0.
struct KX_DSP_3D {
    // Creates the drawing context on the main window (`window` is plat_window_handle()) with the
    // picture rectangle as its first viewport; copies the renderer and vendor names (at most
    // KX_DSP_3D_NAME_MAX bytes with the terminator) into the two buffers. Result: nonzero on
    // success, with KX_DSP_3D_HARDWARE set when the renderer is a hardware one; 0 on failure.
    int (*init)(void *window, KX_RECT *viewport, char *renderer, char *vendor);
    // Releases the context and everything held in it; writes the back end's statistics.
    int (*deinit)();
    // Applies a display mode: resolution, depth and refresh, fullscreen or windowed. Result 1,
    // or 0 after the back end reported why (the display then falls back to the desktop mode).
    int (*video_mode_set)(const KX_DSP_VIDEO_MODE *mode, int fullscreen);
    // The picture rectangle changed (window resize, keys 1-4, mode switch): new viewport.
    int (*resize)(int16_t x, int16_t y, int16_t width, int16_t height);
    // Finishes pending drawing (what the back end queued) before a mode switch.
    int (*flush)();
    // Draws `bitmap`'s `src` part into `dest` on the screen; flags as kx_bit_copy passes them.
    int (*put)(KX_BITMAP *bitmap, KX_RECT *dest, KX_RECT *src, int flags);
    // Asks for a snapshot of `rect` into `file_name`, taken at the next display_update.
    int (*save)(const char *file_name, KX_RECT *rect);
    // Drops the back end's copy (texture or tile set) of a bitmap.
    int (*free)(KX_BITMAP *bitmap);
    // Clears the whole screen to black.
    int (*screen_clear)();
    // Shows the finished frame with the window menu over it (plat_menu_render). A back end may
    // draw only what changed since the frame on show, and nothing when nothing did.
    int (*display_update)();
    // Pixel drawing on a bitmap (the screen when it is the display's screen); colour 0xRRGGBB.
    int (*draw_pixel)(KX_BITMAP *bitmap, int x, int y, uint32_t color);
    int (*draw_line)(KX_BITMAP *bitmap, int x1, int y1, int x2, int y2, uint32_t color);
    int (*draw_rectangle)(KX_BITMAP *bitmap, KX_RECT *rect, uint32_t color, int filled);
    int (*draw_circle)(KX_BITMAP *bitmap, int x, int y, int radius, uint32_t color, int filled);
    // Reads a pixel as 0xRRGGBB.
    uint32_t (*get_pixel)(KX_BITMAP *bitmap, int x, int y);
};
constexpr int KX_DSP_3D_HARDWARE = 8;   // init's result bit: hardware renderer
constexpr int KX_DSP_3D_NAME_MAX = 256;

// The 3D card as recognised from the renderer name.
struct KX_DSP_CARD {
    int kind;          // 0 when not recognised
    int texture_mb;
    int best_depth;    // colour bits
};

// What the application hands to the display at start-up (the display configuration).
struct KX_DSP_SETUP {
    int32_t report;                    // report flag: alerts also go to "Warning.txt"
    const char *command_line;
    int show;
    KX_DSP_WNDPROC window_proc;
    std::atomic<int> *window_active;   // kept up to date by the display
    std::atomic<int> *display_ready;   // kept up to date by the display
    void (*redraw)();                  // called after a change of display mode
    const char *class_name;            // names the single-instance lock too
    const char *title;
    const char *menu_name;             // "VELTRAMONDO"; null or "" for no window menu
    const char *icon_name;             // image file for the window icon, or null
    int width, height;                 // design size of the picture
    int min_width, min_height, min_depth;   // smallest acceptable mode (0: 320 x 200 x 8)
    int window_x, window_y;            // default window position; negative = centred
    int fullscreen;                    // default for "Fullscreen"
    int list_video_modes;              // also list every video mode in "Change Resolution"
    const KX_DSP_RESOLUTION *resolutions;   // the game resolution list, or null
    const KX_DSP_LANGUAGE *languages;  // the languages of the Language submenu, or null
    int language_count;
    int language;                      // index of the current language
};

// Message-box flags understood by kx_dsp_alert.
enum : unsigned {
    KX_DSP_ALERT_ERROR = 0x10,
    KX_DSP_ALERT_WARNING = 0x30,
    KX_DSP_ALERT_INFO = 0x40,
};

// Window menu command numbers handled by the display.
enum : uintptr_t {
    KX_DSP_CMD_LOW_RES = 50001,
    KX_DSP_CMD_HIGH_RES = 50002,
    KX_DSP_CMD_FULLSCREEN = 50003,
    KX_DSP_CMD_256_COLORS = 50004,
    KX_DSP_CMD_DEFAULT_SIZE = 50005,
    KX_DSP_CMD_DEFAULT_MODE = 50006,
    KX_DSP_CMD_RESOLUTION = 50100,   // + game resolution index
    KX_DSP_CMD_VIDEO_MODE = 50201,   // + video mode index
    KX_DSP_CMD_LANGUAGE = 50300,     // + language index
    KX_DSP_CMD_PLACEHOLDER = 59999,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Start-up: one running copy, settings, window, mode list, menu, first mode. 1 to go on, 0 to
// end the program (a copy already runs, or the display failed and said so).
int kx_dsp_init(KX_DSP_SETUP *setup);
// Writes the display settings, restores the desktop mode, closes the window, frees the list.
void kx_dsp_deinit();
intptr_t kx_dsp_window_proc(uint32_t message, uintptr_t wparam, intptr_t lparam);
int kx_dsp_width();
int kx_dsp_height();
int kx_dsp_fullscreen();
void kx_dsp_show();
// Shows the finished frame: builds the menu bar (windowed), then the 3D display_update draws
// the frame and the bar and swaps.
void kx_dsp_present();
// The screen as a bitmap of the display's size (copies to it go to the 3D put).
KX_BITMAP *kx_dsp_screen();
// Height of the menu bar above the picture (0 in fullscreen). The picture fills the drawable
// below it: a picture rectangle (x, y, w, h) counted from the top-left of that area is, in
// OpenGL's bottom-up window coordinates, (x, drawable height - bar - y - h, w, h).
int kx_dsp_menu_bar_height();
// Check marks and grey states of window menu items (the sound module's items too).
void kx_dsp_menu_check(uint32_t command, int checked);
void kx_dsp_menu_enable(uint32_t command, int enabled);

// The 3D interface. A null table, or a null slot, installs the reporting defaults.
void kx_dsp_3d_interface_set(const KX_DSP_3D *table);
const KX_DSP_3D *kx_dsp_3d();
// Starts the installed back end on the main window (init, then the current mode's viewport).
int kx_dsp_3d_start();
const KX_DSP_CARD *kx_dsp_card();
// The card table applied to a renderer name (kind 0 when no word matches).
KX_DSP_CARD kx_dsp_card_identify(const char *renderer);
const char *kx_dsp_renderer();
const char *kx_dsp_vendor();

// Video modes.
int kx_dsp_mode_count();
const KX_DSP_VIDEO_MODE *kx_dsp_mode_get(int index);
int kx_dsp_mode_current();
int kx_dsp_mode_desktop();
int find_video_mode(int width, int height, int depth);
int set_video_mode(int index);
// Switches between window and fullscreen (menu 50003, F4, Alt+Enter).
int kx_dsp_fullscreen_toggle();
// The largest rectangle of the proportions aspect_w : aspect_h inside an area, centred in it
// (all zero for an empty area or aspect): where a resized window shows the picture.
void kx_dsp_picture_fit(int area_w, int area_h, int aspect_w, int aspect_h, KX_RECT *picture);
// The picture rectangle inside the fullscreen screen ("FullPosition").
void kx_dsp_full_position(int *x, int *y, int *width, int *height);
// F9 asks for a snapshot; the frame loop or the snapshot code takes the request.
int kx_dsp_snapshot_requested(int clear);
// Saves the screen as the first free "Snap%04d" picture (with the 3D interface: at the end of
// this frame) and copies its path to `name`; 1 saved or asked for, 0 not.
int kx_dsp_snapshot(char *name, size_t size);

// Resize lists: registered rectangles and points follow every change of display size.
int kx_dsp_rect_add(KX_RECT *rect);
int kx_dsp_rect_modify(KX_RECT *rect);
int kx_dsp_rect_add_at(const char *file, int line, KX_RECT *rect);
int kx_dsp_rect_modify_at(const char *file, int line, KX_RECT *rect);
int kx_dsp_rect_remove(KX_RECT *rect);
int kx_dsp_point_float_add(float *point);
int kx_dsp_point_float_modify(float *point);
int kx_dsp_point_float_add_at(const char *file, int line, float *point);
int kx_dsp_point_float_modify_at(const char *file, int line, float *point);
int kx_dsp_point_float_remove(float *point);
void kx_dsp_resize_lists_clear();
// Rescales every registration to a display of width x height.
void kx_dsp_resize_lists_apply(int width, int height);

// Splash screen: section `section` of "data\\texts.txt" gives the picture and the text.
int kx_dsp_splash_on(const char *section);
void kx_dsp_splash_off();

int kx_dsp_timer_init(int period_ms, KX_DSP_TIMER_FN fn, void *user);
void kx_dsp_timer_deinit();

int kx_dsp_alert(const char *text, const char *title, unsigned flags);
void kx_dsp_quit();
// Closes the window after a fatal error: the process then ends with status 1.
void kx_dsp_quit_failed();
void kx_dsp_warning_file_remove();
