// kx_dsp core: start-up and shut-down, the one-running-copy rule, the display side of the window
// procedure (menu commands and display keys), the present of each frame and the tick timer.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"
#include "platform/plat_display.h"
#include "platform/plat_files.h"
#include "platform/plat_gl.h"
#include "platform/plat_instance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_DSP_STATE kx_dsp;

namespace {

KX_BITMAP screen;   // the screen as a bitmap: its size is the display's; it holds no pixels

constexpr uintptr_t VK_F4 = 0x73, VK_F9 = 0x78;
constexpr int PICTURE_STEP = 12;   // keys 1-4 change the fullscreen picture by this much

// The folder of the single-instance lock: the per-user folder, else the user data base.
void lock_folder(char *out, size_t size)
{
    out[0] = 0;
    const char *folder = kx_io_override_folder_get();
    if (!folder) folder = kx_io_user_folder_get();
    char base[KX_IO_PATH_MAX];
    if (!folder && plat_files_user_base_get(base, sizeof base)) folder = base;
    if (folder && !plat_files_native_path(folder, out, size)) out[0] = 0;
}

// True when the command line holds the token "-stop".
bool stop_asked(const char *command_line)
{
    const char *p = command_line ? command_line : "";
    while (*p) {
        while (*p == ' ') p++;
        const char *start = p;
        while (*p && *p != ' ') p++;
        if (p - start == 5 && std::strncmp(start, "-stop", 5) == 0) return true;
    }
    return false;
}

// One running copy: 1 to go on, 0 when another copy runs (it was told what to do).
int instance_check(const KX_DSP_SETUP *s)
{
    char folder[KX_IO_PATH_MAX];
    lock_folder(folder, sizeof folder);
    const char *name = s->class_name && s->class_name[0] ? s->class_name : "veltramondo";
    int r = plat_instance_acquire(folder, name);
    if (r == PLAT_INSTANCE_FIRST) kx_dsp.instance_held = 1;
    const char *title = s->title && s->title[0] ? s->title : name;
    // "-stop" closes a running copy; with none running it has nothing to do, and starts nothing.
    if (r != PLAT_INSTANCE_OTHER && stop_asked(s->command_line)) {
        if (kx_dsp.instance_held) plat_instance_release();
        kx_dsp.instance_held = 0;
        std::fprintf(stderr, "%s is not running: there is nothing to close.\n", title);
        return 0;
    }
    if (r != PLAT_INSTANCE_OTHER) return 1;
    if (stop_asked(s->command_line) && plat_instance_close_other()) {
        std::fprintf(stderr, "%s is running: it was asked to close.\n", title);
        for (int second = 0; second < 11 && plat_instance_lock_held(folder, name); second++) plat_sleep_ms(1000);
    } else if (plat_headless()) {
        // Without a display this copy has no window of its own to hand over to the other.
        std::fprintf(stderr, "%s is already running with the same per-user folder: this copy ends.\n", title);
    } else {
        const int raised = plat_instance_raise_other();
        std::fprintf(stderr, "%s is already running%s.\n", title, raised ? ": its window was brought to the front" : "");
    }
    return 0;
}

void screen_update()
{
    screen.width = static_cast<int16_t>(kx_dsp.width);
    screen.height = static_cast<int16_t>(kx_dsp.height);
    screen.depth = 32;
}

void redraw()
{
    screen_update();
    if (kx_dsp.setup && kx_dsp.setup->redraw) kx_dsp.setup->redraw();
}

void command(uintptr_t id)
{
    const KX_DSP_SETUP *s = kx_dsp.setup;
    int depth = kx_dsp.use_3d ? 16 : kx_dsp_depth_now();
    if (id == KX_DSP_CMD_LOW_RES || id == KX_DSP_CMD_HIGH_RES) {
        int16_t flag = id == KX_DSP_CMD_LOW_RES ? KX_DSP_RES_LOW : KX_DSP_RES_HIGH;
        for (int i = 0; s->resolutions && s->resolutions[i].width > 0; i++) {
            const KX_DSP_RESOLUTION &r = s->resolutions[i];
            if (!(r.flags & flag)) continue;
            int index = find_video_mode(r.width, r.height, depth);
            if (index < 0) index = find_video_mode(r.width, r.height, kx_dsp_depth_now());
            if (index < 0) return;
            kx_dsp.fullscreen = 1;
            if (!set_video_mode(index)) kx_dsp.fullscreen = plat_display_is_fullscreen();
            redraw();
            return;
        }
    } else if (id == KX_DSP_CMD_FULLSCREEN) {
        kx_dsp_fullscreen_toggle();
        redraw();
    } else if (id == KX_DSP_CMD_256_COLORS) {
        const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(kx_dsp.mode_current);
        const KX_DSP_VIDEO_MODE *d = kx_dsp_mode_get(kx_dsp.mode_desktop);
        if (!m || !d) return;
        int index = find_video_mode(m->width, m->height, kx_dsp.colors_256 ? d->depth : 8);
        if (index < 0 || (!kx_dsp.colors_256 && kx_dsp.modes[index].depth != 8)) {
            kx_dsp_alert("This resolution isn't supported!", nullptr, 0);
            return;
        }
        if (set_video_mode(index)) kx_dsp.colors_256 = !kx_dsp.colors_256;
        kx_dsp_menu_update();
        redraw();
    } else if (id == KX_DSP_CMD_DEFAULT_SIZE) {
        if (kx_dsp.fullscreen) {
            kx_dsp_full_fit();
        } else {
            kx_dsp.window_w = kx_dsp.design_width;
            kx_dsp.window_h = kx_dsp.design_height;
            plat_window_client_size_set(kx_dsp.window_w, kx_dsp.window_h + plat_menu_bar_height());
        }
        kx_dsp_picture_update();
        kx_dsp_menu_update();
        redraw();
    } else if (id >= KX_DSP_CMD_RESOLUTION && id < KX_DSP_CMD_RESOLUTION + 100) {
        int i = static_cast<int>(id - KX_DSP_CMD_RESOLUTION);
        for (int n = 0; s->resolutions && n <= i; n++)
            if (s->resolutions[n].width <= 0) return;
        if (!s->resolutions) return;
        kx_dsp_resolution_set(s->resolutions[i].width, s->resolutions[i].height, kx_dsp_depth_now());
        redraw();
    } else if (id >= KX_DSP_CMD_VIDEO_MODE && id < KX_DSP_CMD_LANGUAGE) {
        int i = static_cast<int>(id - KX_DSP_CMD_VIDEO_MODE);
        const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(i);
        if (!m || (m->flags & KX_DSP_MODE_UNUSABLE)) return;
        kx_dsp_resolution_set(m->width, m->height, m->depth);
        redraw();
    } else if (id >= KX_DSP_CMD_LANGUAGE && id < KX_DSP_CMD_LANGUAGE + 100) {
        int i = static_cast<int>(id - KX_DSP_CMD_LANGUAGE);
        if (i >= s->language_count) return;
        kx_dsp.setup->language = i;
        kx_dsp_menu_load();
    }
}

// Keys 1-4 in fullscreen: the picture 12 pixels narrower, wider, shorter, taller.
void picture_step(int key)
{
    const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(kx_dsp.mode_current);
    if (!m) return;
    int w = kx_dsp.full_w, h = kx_dsp.full_h;
    if (key == 1) w -= PICTURE_STEP;
    if (key == 2) w += PICTURE_STEP;
    if (key == 3) h -= PICTURE_STEP;
    if (key == 4) h += PICTURE_STEP;
    if (w < PICTURE_STEP || h < PICTURE_STEP || w > m->width || h > m->height) return;
    kx_dsp.full_w = w;
    kx_dsp.full_h = h;
    kx_dsp_picture_update();
    redraw();
}

} // namespace

void kx_dsp_flag_set(std::atomic<int> *flag, int value)
{
    if (flag) flag->store(value, std::memory_order_relaxed);
}

int kx_dsp_init(KX_DSP_SETUP *setup)
{
    kx_dsp_modes_free();
    kx_dsp.setup = setup;
    kx_dsp.design_width = setup->width > 0 ? setup->width : 640;
    kx_dsp.design_height = setup->height > 0 ? setup->height : 480;
    kx_dsp.colors_256 = 0;
    kx_dsp.snapshot_request = 0;
    kx_dsp_3d();
    if (!instance_check(setup)) {
        kx_dsp.setup = nullptr;
        return 0;
    }
    kx_dsp_settings_read();
    kx_dsp_window_fit();
    if (!plat_window_create(setup->title ? setup->title : "", kx_dsp.window_w, kx_dsp.window_h, 0, setup->window_proc)) {
        char text[320];
        std::snprintf(text, sizeof text, "Could not create the main window\n\n%s", plat_window_error());
        kx_dsp_alert(text, "Alert", KX_DSP_ALERT_ERROR);
        kx_dsp_deinit();
        return 0;
    }
    kx_dsp.created = 1;
    kx_dsp_window_icon(setup->icon_name);
    // The context belongs to the window: the menu draws with it and the 3D back end takes it over.
    plat_gl_create();
    if (!kx_dsp_modes_enumerate() && !kx_dsp_modes_enumerate()) {
        kx_dsp_deinit();
        return 0;
    }
    plat_menu_init();
    kx_dsp_menu_load();
    int want_full = kx_dsp.fullscreen;
    kx_dsp.fullscreen = 0;
    plat_window_client_size_set(kx_dsp.window_w, kx_dsp.window_h + plat_menu_bar_height());
    plat_window_position_set(kx_dsp.window_x, kx_dsp.window_y);
    kx_dsp_picture_update();
    if (want_full) kx_dsp_fullscreen_toggle();
    kx_dsp_menu_update();
    screen_update();
    KX_BIT_DISPLAY bit{};
    bit.report = setup->report;
    bit.screen = &screen;
    kx_bit_display_set(&bit);
    kx_dsp_flag_set(setup->window_active, 1);
    kx_dsp_flag_set(setup->display_ready, 1);
    plat_priority_set(1);
    return 1;
}

void kx_dsp_deinit()
{
    kx_dsp_timer_deinit();
    if (kx_dsp.setup) {
        kx_dsp_flag_set(kx_dsp.setup->display_ready, 0);
        kx_dsp_flag_set(kx_dsp.setup->window_active, 0);
    }
    if (kx_dsp.created) {
        if (!kx_dsp.fullscreen) plat_window_position(&kx_dsp.window_x, &kx_dsp.window_y);
        kx_dsp_settings_write();
        // Leave fullscreen: SDL puts the desktop mode back with it.
        if (kx_dsp.fullscreen) {
            const KX_DSP_VIDEO_MODE *d = kx_dsp_mode_get(kx_dsp.mode_desktop);
            kx_dsp.fullscreen = 0;
            if (d && d->width >= 640 && d->height >= 480 && !kx_dsp_mode_apply(kx_dsp.mode_desktop))
                kx_dsp_alert("Error restoring video mode!", nullptr, 0);
        }
        plat_display_restore();
        if (kx_dsp.started_3d) kx_dsp.table.deinit();
        kx_dsp.started_3d = kx_dsp.use_3d = 0;
    }
    kx_bit_display_set(nullptr);
    plat_window_destroy();
    kx_dsp.created = 0;
    kx_dsp_modes_free();
    kx_dsp_resize_lists_clear();
    if (kx_dsp.instance_held) plat_instance_release();
    kx_dsp.instance_held = 0;
    kx_dsp.setup = nullptr;
}

intptr_t kx_dsp_window_proc(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    KX_DSP_SETUP *s = kx_dsp.setup;
    // Closing works with or without the display started: the game's shut-down may already have
    // stopped it when the close message arrives here.
    if (message == PLAT_WM_CLOSE) {
        if (s) kx_dsp_flag_set(s->display_ready, 0);
        plat_window_destroy();
        kx_dsp.created = 0;
        plat_message_post(PLAT_WM_DESTROY, 0, 0);
        return 0;
    }
    if (message == PLAT_WM_DESTROY) {
        plat_message_post_quit(kx_dsp_exit_status);
        return 0;
    }
    if (!s) return 0;
    switch (message) {
    case PLAT_WM_ACTIVATE:
        kx_dsp_flag_set(s->window_active, wparam != 0);
        plat_priority_set(wparam ? 1 : -1);
        break;
    case PLAT_WM_SYSCOMMAND:
        if (wparam == PLAT_SC_MINIMIZE) kx_dsp_flag_set(s->window_active, 0);
        if (wparam == PLAT_SC_RESTORE) kx_dsp_flag_set(s->window_active, 1);
        break;
    case PLAT_WM_COMMAND: command(wparam & 0xFFFF); break;
    case PLAT_WM_KEYDOWN:
        if (wparam == VK_F4) {
            kx_dsp_fullscreen_toggle();
            redraw();
        } else if (wparam == VK_F9) {
            kx_dsp.snapshot_request = 1;
        } else if (kx_dsp.fullscreen && wparam >= '1' && wparam <= '4') {
            picture_step(static_cast<int>(wparam - '0'));
        }
        break;
    case PLAT_WM_SYSKEYDOWN:
        if (wparam == PLAT_VK_RETURN) {
            kx_dsp_fullscreen_toggle();
            redraw();
        } else if (wparam == PLAT_VK_TAB && kx_dsp.fullscreen) {
            plat_window_minimize();
        } else if (wparam == VK_F4) {
            plat_message_post(PLAT_WM_CLOSE, 0, 0);
        }
        break;
    case PLAT_WM_SIZE:
        // A window made fullscreen before it was shown gets its screen size only once shown:
        // the picture is placed again in the drawable it really has.
        if (kx_dsp.created && kx_dsp.fullscreen) {
            kx_dsp_picture_update();
            redraw();
        } else if (kx_dsp.created && !plat_window_minimized()) {
            int w = static_cast<int>(lparam & 0xFFFF), h = static_cast<int>((lparam >> 16) & 0xFFFF) - plat_menu_bar_height();
            // Without a window manager nothing else keeps the window at its minimum size.
            int min_w, min_h;
            kx_dsp_window_minimum(&min_w, &min_h);
            if (w > 0 && h > 0 && (w < min_w || h < min_h)) {
                w = std::max(w, min_w);
                h = std::max(h, min_h);
                plat_window_client_size_set(w, h + plat_menu_bar_height());
            }
            if (w > 0 && h > 0 && (w != kx_dsp.window_w || h != kx_dsp.window_h)) {
                kx_dsp.window_w = w;
                kx_dsp.window_h = h;
                kx_dsp_picture_update();
                kx_dsp_menu_update();
                redraw();
            }
        }
        break;
    case PLAT_WM_DISPLAYCHANGE:
        if (kx_dsp.created && !kx_dsp.fullscreen && kx_dsp_modes_desktop_changed()) kx_dsp_menu_update();
        break;
    case PLAT_WM_INSTANCE_RAISE:
        if (plat_window_minimized()) plat_window_restore();
        plat_window_raise();
        break;
    default: break;
    }
    return 0;
}

int kx_dsp_width()
{
    return kx_dsp.width;
}

int kx_dsp_height()
{
    return kx_dsp.height;
}

int kx_dsp_fullscreen()
{
    return kx_dsp.fullscreen;
}

KX_BITMAP *kx_dsp_screen()
{
    return &screen;
}

int kx_dsp_menu_bar_height()
{
    return kx_dsp.fullscreen ? 0 : plat_menu_bar_height();
}

void kx_dsp_menu_check(uint32_t command, int checked)
{
    plat_menu_check(command, checked);
}

void kx_dsp_menu_enable(uint32_t command, int enabled)
{
    plat_menu_enable(command, enabled);
}

int kx_dsp_snapshot_requested(int clear)
{
    int asked = kx_dsp.snapshot_request;
    if (clear) kx_dsp.snapshot_request = 0;
    return asked;
}

void kx_dsp_show()
{
    plat_window_show(1);
    plat_window_raise();
}

// The window menu is built here and drawn by the back end over the frame when it shows one.
void kx_dsp_present()
{
    if (!kx_dsp.created) return;
    plat_menu_prepare();
    if (kx_dsp.started_3d) {
        kx_dsp.table.display_update();
    } else {
        plat_menu_render();
        plat_gl_swap();
        plat_gl_clear();
    }
}

int kx_dsp_timer_init(int period_ms, KX_DSP_TIMER_FN fn, void *user)
{
    kx_dsp_timer_deinit();
    kx_dsp.timer = plat_timer_start(period_ms, fn, user);
    if (!kx_dsp.timer) {
        kx_dsp_alert("Timer Init failed. You should restart Windows and try again", "Alert", KX_DSP_ALERT_ERROR);
        return 0;
    }
    return 1;
}

void kx_dsp_timer_deinit()
{
    if (kx_dsp.timer) plat_timer_stop(kx_dsp.timer);
    kx_dsp.timer = 0;
}
