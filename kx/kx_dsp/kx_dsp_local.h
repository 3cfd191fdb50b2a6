// kx_dsp inside: the module's one global record and the helpers its files share. Only files of
// this folder include it.
#pragma once

#include "kx/kx_dsp/kx_dsp.h"

#include "kx/kx_bit/kx_bit.h"
#include "platform/plat_menu.h"

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// One language's window menu.
struct KX_DSP_MENU_LANG {
    int langid;                        // Windows language id
    const char *codes[2];              // abbreviations that pick it
    const char *fullscreen;            // word for fullscreen, used when the language list has none
    const char *window;                // word for window
    const char *default_mode;          // the window's own size among the resolutions: "%dx%d (...)"
    const PLAT_MENU_ITEM *items;
    int count;
};

struct KX_DSP_RECT_REG {
    KX_RECT *rect;
    KX_RECT design;
};

struct KX_DSP_POINT_REG {
    float *point;
    float design[2];
};

// Exit status the window's destruction hands to the message loop (1 after a fatal error). Kept
// outside the module record, which the shut-down clears before the window is destroyed.
extern int kx_dsp_exit_status;

struct KX_DSP_STATE {
    KX_DSP_SETUP *setup;
    int created;                       // the window exists
    int fullscreen;
    int width, height;                 // the display (picture) size
    int design_width, design_height;
    // Video modes (kx_mem, grown by 100 records).
    KX_DSP_VIDEO_MODE *modes;
    int mode_count, mode_capacity;
    int mode_current, mode_full, mode_window, mode_desktop;
    int colors_256;
    // Window rectangle (picture size, without the menu bar) and the fullscreen picture.
    int window_x, window_y, window_w, window_h;
    int window_pic_x, window_pic_y;    // the picture's place in the window (kx_dsp_window.cpp)
    int full_x, full_y, full_w, full_h;
    int skip_message_box;
    int saved_width, saved_height, saved_depth;   // "Resolution" as read
    // 3D interface.
    KX_DSP_3D table;
    int use_3d;                        // a back end was installed and started
    int started_3d;
    char renderer[KX_DSP_3D_NAME_MAX], vendor[KX_DSP_3D_NAME_MAX];
    KX_DSP_CARD card;
    // Resize lists (kx_mem).
    KX_DSP_RECT_REG *rects;
    int rect_count, rect_capacity;
    KX_DSP_POINT_REG *points;
    int point_count, point_capacity;
    int timer;
    int snapshot_request;
    int menu_lang;                     // index into kx_dsp_menu_langs
    int instance_held;
    int switching;                     // inside a mode switch: alerts do not switch again
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

extern KX_DSP_STATE kx_dsp;
constexpr int KX_DSP_MENU_LANGS = 6;
extern const KX_DSP_MENU_LANG kx_dsp_menu_langs[KX_DSP_MENU_LANGS];

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void kx_dsp_flag_set(std::atomic<int> *flag, int value);
// Mode list.
int kx_dsp_modes_enumerate();
// The desktop mode changed under the window: the modes are listed again, the new desktop mode
// becomes the current and the window's one, and the mode chosen for fullscreen is kept. 1 or 0.
int kx_dsp_modes_desktop_changed();
void kx_dsp_modes_free();
// Applies mode `index` in the current window/fullscreen state; 1 on success.
int kx_dsp_mode_apply(int index);
// The picture rectangle of the current state, and its application (3D resize, resize lists).
void kx_dsp_picture_update();
// The fullscreen picture as large as the current mode allows at the design proportions.
void kx_dsp_full_fit();
// The resizable window: the picture fitted into the window's area, its top-left corner (in the
// window or the fullscreen screen), and the window made resizable.
void kx_dsp_window_fit();
void kx_dsp_picture_origin(int *x, int *y);
void kx_dsp_window_resizable();
// The smallest picture area a window may have (the menu bar comes on top of it).
void kx_dsp_window_minimum(int *width, int *height);
// The window's icon from an image file (the display configuration's icon_name).
void kx_dsp_window_icon(const char *file_name);
// Window menu.
int kx_dsp_menu_lang_pick(const KX_DSP_SETUP *setup, int language);
void kx_dsp_menu_load();
void kx_dsp_menu_update();
// Settings.
void kx_dsp_settings_read();
void kx_dsp_settings_write();

int kx_dsp_resolution_set(int width, int height, int depth);
int kx_dsp_depth_now();
