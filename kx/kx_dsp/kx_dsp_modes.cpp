// kx_dsp video modes: the list of modes the screen offers, find_video_mode, set_video_mode with
// its checks and fall-backs, the window/fullscreen switch and the picture rectangle.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_display.h"

#include <cstdio>

namespace {

constexpr int MODE_GROWTH = 100;

PLAT_DISPLAY_MODE to_plat(const KX_DSP_VIDEO_MODE &m)
{
    PLAT_DISPLAY_MODE p{};
    p.width = m.width;
    p.height = m.height;
    p.depth = m.depth;
    p.refresh = m.refresh;
    return p;
}

// Shift and width of the run of set bits in a channel mask.
void mask_split(uint32_t mask, int16_t *shift, int16_t *width)
{
    int s = 0, w = 0;
    while (mask && !(mask & 1u)) {
        mask >>= 1;
        s++;
    }
    while (mask & 1u) {
        mask >>= 1;
        w++;
    }
    *shift = static_cast<int16_t>(s);
    *width = static_cast<int16_t>(w);
}

uint16_t pack16(const KX_DSP_VIDEO_MODE &m, int r, int g, int b)
{
    auto part = [](int v, int shift, int width) { return width ? ((v >> (8 - width)) << shift) : 0; };
    return static_cast<uint16_t>(part(r, m.red_shift, m.red_width) | part(g, m.green_shift, m.green_width) |
                                 part(b, m.blue_shift, m.blue_width));
}

int append(const PLAT_DISPLAY_MODE &p)
{
    if (kx_dsp.mode_count == kx_dsp.mode_capacity) {
        size_t bytes = sizeof(KX_DSP_VIDEO_MODE) * static_cast<size_t>(kx_dsp.mode_capacity + MODE_GROWTH);
        auto *grown = static_cast<KX_DSP_VIDEO_MODE *>(kx_mem_realloc(kx_dsp.modes, bytes));
        if (!grown) {
            kx_dsp_alert("Can't allocate memory for list of video modes", nullptr, 0);
            return 0;
        }
        kx_mem_name(grown, "kx_dsp video modes");
        kx_dsp.modes = grown;
        kx_dsp.mode_capacity += MODE_GROWTH;
    }
    KX_DSP_VIDEO_MODE &m = kx_dsp.modes[kx_dsp.mode_count++];
    m = KX_DSP_VIDEO_MODE{};
    m.width = p.width;
    m.height = p.height;
    m.depth = static_cast<int16_t>(p.depth);
    m.refresh = p.refresh;
    if (p.depth == 15 || p.depth == 16) {
        mask_split(p.red_mask, &m.red_shift, &m.red_width);
        mask_split(p.green_mask, &m.green_shift, &m.green_width);
        mask_split(p.blue_mask, &m.blue_shift, &m.blue_width);
        m.color_key = pack16(m, 255, 0, 255);
    }
    return 1;
}

int find_exact(int width, int height, int depth, int refresh)
{
    for (int i = 0; i < kx_dsp.mode_count; i++) {
        const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[i];
        if (m.width == width && m.height == height && m.depth == depth && (refresh < 0 || m.refresh == refresh))
            return i;
    }
    return -1;
}

// The picture rectangle inside the fullscreen mode: the FullPosition size, at most the mode's,
// centred.
void full_rect_centre()
{
    if (kx_dsp.mode_current < 0) return;
    const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[kx_dsp.mode_current];
    if (kx_dsp.full_w <= 0 || kx_dsp.full_w > m.width) kx_dsp.full_w = m.width;
    if (kx_dsp.full_h <= 0 || kx_dsp.full_h > m.height) kx_dsp.full_h = m.height;
    kx_dsp.full_x = (m.width - kx_dsp.full_w) / 2;
    kx_dsp.full_y = (m.height - kx_dsp.full_h) / 2;
}

int depth_now()
{
    if (kx_dsp.mode_current >= 0) return kx_dsp.modes[kx_dsp.mode_current].depth;
    return kx_dsp.mode_desktop >= 0 ? kx_dsp.modes[kx_dsp.mode_desktop].depth : 32;
}

} // namespace

int kx_dsp_modes_enumerate()
{
    kx_dsp_modes_free();
    int count = plat_display_modes(nullptr, 0);
    if (count > 0) {
        auto *list = static_cast<PLAT_DISPLAY_MODE *>(kx_mem_calloc(static_cast<size_t>(count), sizeof(PLAT_DISPLAY_MODE)));
        if (!list) {
            kx_dsp_alert("Can't allocate memory for list of video modes", nullptr, 0);
            return 0;
        }
        kx_mem_name(list, "kx_dsp mode enumeration");
        count = plat_display_modes(list, count);
        int ok = 1;
        for (int i = 0; i < count && ok; i++)
            if (list[i].width > 0 && find_exact(list[i].width, list[i].height, list[i].depth, list[i].refresh) < 0)
                ok = append(list[i]);
        kx_mem_free(list);
        if (!ok) return 0;
    }
    PLAT_DISPLAY_MODE desktop;
    kx_dsp.mode_desktop = -1;
    if (plat_display_desktop(&desktop)) {
        kx_dsp.mode_desktop = find_exact(desktop.width, desktop.height, desktop.depth, desktop.refresh);
        if (kx_dsp.mode_desktop < 0) kx_dsp.mode_desktop = find_exact(desktop.width, desktop.height, desktop.depth, -1);
        // A desktop mode the list leaves out still counts.
        if (kx_dsp.mode_desktop < 0 && append(desktop)) kx_dsp.mode_desktop = kx_dsp.mode_count - 1;
    }
    int saved = -1;
    if (kx_dsp.saved_width > 0) {
        int refresh = kx_dsp.mode_desktop >= 0 ? kx_dsp.modes[kx_dsp.mode_desktop].refresh : -1;
        saved = find_exact(kx_dsp.saved_width, kx_dsp.saved_height, kx_dsp.saved_depth, refresh);
        if (saved < 0) saved = find_exact(kx_dsp.saved_width, kx_dsp.saved_height, kx_dsp.saved_depth, -1);
    }
    kx_dsp.mode_current = saved >= 0 ? saved : kx_dsp.mode_desktop;
    if (kx_dsp.mode_current < 0) {
        kx_dsp_alert("We could not determine the graphic mode. You probably tried to run this programm from a "
                     "fullscreen DOS shell. Now that we are back into windows mode we are going to check the video "
                     "modes one last time. If you get this message again then there is something we cannot figure "
                     "out on your system and this program will quit.You should try to run it again by double "
                     "clicking on its icon...",
                     nullptr, 0);
        return 0;
    }
    kx_dsp.mode_full = kx_dsp.mode_window = kx_dsp.mode_current;
    return 1;
}

int kx_dsp_modes_desktop_changed()
{
    KX_DSP_VIDEO_MODE full{};
    if (kx_dsp.mode_full >= 0) full = kx_dsp.modes[kx_dsp.mode_full];
    if (!kx_dsp_modes_enumerate()) return 0;
    if (kx_dsp.mode_desktop >= 0) kx_dsp.mode_current = kx_dsp.mode_window = kx_dsp.mode_desktop;
    // The fullscreen choice stays, unless the screen no longer offers it.
    int chosen = -1;
    if (full.width > 0) {
        chosen = find_exact(full.width, full.height, full.depth, full.refresh);
        if (chosen < 0) chosen = find_exact(full.width, full.height, full.depth, -1);
    }
    kx_dsp.mode_full = chosen >= 0 ? chosen : kx_dsp.mode_current;
    return 1;
}

void kx_dsp_modes_free()
{
    if (kx_dsp.modes) kx_mem_free(kx_dsp.modes);
    kx_dsp.modes = nullptr;
    kx_dsp.mode_count = kx_dsp.mode_capacity = 0;
    kx_dsp.mode_current = kx_dsp.mode_full = kx_dsp.mode_window = kx_dsp.mode_desktop = -1;
}

int kx_dsp_mode_count()
{
    return kx_dsp.mode_count;
}

const KX_DSP_VIDEO_MODE *kx_dsp_mode_get(int index)
{
    return index >= 0 && index < kx_dsp.mode_count ? &kx_dsp.modes[index] : nullptr;
}

int kx_dsp_mode_current()
{
    return kx_dsp.mode_current;
}

int kx_dsp_mode_desktop()
{
    return kx_dsp.mode_desktop;
}

int find_video_mode(int width, int height, int depth)
{
    for (int i = 0; i < kx_dsp.mode_count; i++) {
        const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[i];
        if (m.width == width && m.height == height && m.depth == depth && !(m.flags & KX_DSP_MODE_VGA)) return i;
    }
    for (int i = 0; i < kx_dsp.mode_count; i++) {
        const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[i];
        if (m.width == width && m.height == height && m.depth >= depth) return i;
    }
    return -1;
}

void kx_dsp_picture_update()
{
    if (kx_dsp.fullscreen) {
        full_rect_centre();
        kx_dsp.width = kx_dsp.full_w;
        kx_dsp.height = kx_dsp.full_h;
    } else {
        kx_dsp_window_fit();
    }
    int x, y;
    kx_dsp_picture_origin(&x, &y);
    if (kx_dsp.started_3d)
        kx_dsp.table.resize(static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(kx_dsp.width),
                            static_cast<int16_t>(kx_dsp.height));
    kx_dsp_resize_lists_apply(kx_dsp.width, kx_dsp.height);
}

int kx_dsp_mode_apply(int index)
{
    const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[index];
    int ok;
    if (kx_dsp.use_3d) {
        ok = kx_dsp.table.video_mode_set(&m, kx_dsp.fullscreen);
    } else {
        PLAT_DISPLAY_MODE p = to_plat(m);
        ok = plat_display_mode_set(&p, kx_dsp.fullscreen);
    }
    if (!ok) return 0;
    kx_dsp.mode_current = index;
    if (!kx_dsp.fullscreen) {
        plat_window_client_size_set(kx_dsp.window_w, kx_dsp.window_h + plat_menu_bar_height());
    } else {
        kx_dsp_full_fit();
    }
    kx_dsp_picture_update();
    return 1;
}

// A new fullscreen mode shows the picture as large as its proportions allow, between black bars:
// the modes of today's screens are much larger than the design size.
void kx_dsp_full_fit()
{
    const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(kx_dsp.mode_current);
    if (!m) return;
    KX_RECT picture;
    kx_dsp_picture_fit(m->width, m->height, kx_dsp.design_width, kx_dsp.design_height, &picture);
    if (picture.width <= 0 || picture.height <= 0) return;
    kx_dsp.full_w = picture.width;
    kx_dsp.full_h = picture.height;
}

namespace {
int set_video_mode_now(int index);
}

int set_video_mode(int index)
{
    int was = kx_dsp.switching;
    kx_dsp.switching = 1;
    int ok = set_video_mode_now(index);
    kx_dsp.switching = was;
    return ok;
}

namespace {

int set_video_mode_now(int index)
{
    if (index < 0 || index >= kx_dsp.mode_count) return 0;
    const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[index];
    const KX_DSP_SETUP *s = kx_dsp.setup;
    int min_w = s && s->min_width > 0 ? s->min_width : 320;
    int min_h = s && s->min_height > 0 ? s->min_height : 200;
    int min_d = s && s->min_depth > 0 ? s->min_depth : 8;
    char text[160];
    if (m.width < min_w || m.height < min_h || m.depth < min_d) {
        std::snprintf(text, sizeof text, "New video mode resolution must be at least equal to %dx%dx%d.", min_w, min_h, min_d);
        kx_dsp_alert(text, nullptr, 0);
        std::snprintf(text, sizeof text, "Requested video mode resolution was: %dx%dx%d.", m.width, m.height, m.depth);
        kx_dsp_alert(text, nullptr, 0);
        return 0;
    }
    if (!kx_dsp.fullscreen && (m.width < 640 || m.height < 480)) return 0;
    if (kx_dsp.started_3d) kx_dsp.table.flush();
    if (kx_dsp.fullscreen) {
        plat_menu_show(0);
        plat_window_bordered(0);
        plat_window_topmost(1);
        kx_dsp.mode_full = index;
    } else {
        plat_menu_show(1);
        plat_window_bordered(1);
        plat_window_topmost(0);
        kx_dsp.mode_window = index;
    }
    int ok = kx_dsp_mode_apply(index);
    if (!ok) {
        int desktop = kx_dsp.mode_desktop;
        ok = desktop >= 0 && kx_dsp_mode_apply(desktop);
        if (ok && kx_dsp.fullscreen) {
            kx_dsp_alert("An error occured while switching video mode. Using default video mode.", nullptr, 0);
            std::snprintf(text, sizeof text, "Requested video mode resolution was: %dx%dx%d.", m.width, m.height, m.depth);
            kx_dsp_alert(text, nullptr, 0);
        }
        if (!ok) {
            kx_dsp_alert("Error switching mode, Quitting!", "Fatal Error", 0);
            kx_dsp_quit();
            return 0;
        }
    }
    kx_dsp_menu_update();
    if (s && s->redraw) s->redraw();
    return ok;
}

} // namespace

int kx_dsp_fullscreen_toggle()
{
    if (kx_dsp.mode_count == 0) return 0;
    int was = kx_dsp.fullscreen;
    if (!was) plat_window_position(&kx_dsp.window_x, &kx_dsp.window_y);
    kx_dsp.fullscreen = !was;
    int index = kx_dsp.fullscreen ? kx_dsp.mode_full : kx_dsp.mode_window;
    if (index < 0 || (!kx_dsp.fullscreen && (kx_dsp.modes[index].width < 640 || kx_dsp.modes[index].height < 480)))
        index = kx_dsp.mode_desktop;
    int ok = set_video_mode(index);
    if (!ok) {
        // Refused before anything changed: stay as we were.
        kx_dsp.fullscreen = was;
        plat_menu_show(!was);
        plat_window_bordered(!was);
        kx_dsp_menu_update();
        return 0;
    }
    if (!kx_dsp.fullscreen) plat_window_position_set(kx_dsp.window_x, kx_dsp.window_y);
    return 1;
}

// Switches to a resolution of the game list or a video mode at the current depth: in a window
// the picture takes that size, in fullscreen the mode changes and the picture fills it.
int kx_dsp_resolution_set(int width, int height, int depth)
{
    int index = find_video_mode(width, height, depth > 0 ? depth : depth_now());
    if (index < 0) return 0;
    if (kx_dsp.fullscreen) return set_video_mode(index);
    if (width < 640 || height < 480) return 0;
    kx_dsp.window_w = width;
    kx_dsp.window_h = height;
    return set_video_mode(index);
}

int kx_dsp_depth_now()
{
    return depth_now();
}

void kx_dsp_full_position(int *x, int *y, int *width, int *height)
{
    if (x) *x = kx_dsp.full_x;
    if (y) *y = kx_dsp.full_y;
    if (width) *width = kx_dsp.full_w;
    if (height) *height = kx_dsp.full_h;
}
