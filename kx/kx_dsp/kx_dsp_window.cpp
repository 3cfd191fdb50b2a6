// kx_dsp window: the resizable window. The player may drag the window to any size; the picture
// then takes the largest rectangle of the design size's proportions that fits the client area
// below the menu bar, centred, with black bars on the other sides. The window's size is what the
// settings keep ("WindowPosition"); it never gets so small that the menu bar is cut off. Also the
// window's icon.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "platform/plat_display.h"

#include <algorithm>

void kx_dsp_picture_fit(int area_w, int area_h, int aspect_w, int aspect_h, KX_RECT *picture)
{
    *picture = KX_RECT{0, 0, 0, 0};
    if (area_w <= 0 || area_h <= 0 || aspect_w <= 0 || aspect_h <= 0) return;
    // 64-bit products: sizes come from the settings file and the window system.
    int64_t w = area_w, h = static_cast<int64_t>(area_w) * aspect_h / aspect_w;
    if (h > area_h) {
        h = area_h;
        w = static_cast<int64_t>(area_h) * aspect_w / aspect_h;
    }
    picture->x = static_cast<int16_t>((area_w - w) / 2);
    picture->y = static_cast<int16_t>((area_h - h) / 2);
    picture->width = static_cast<int16_t>(w);
    picture->height = static_cast<int16_t>(h);
}

void kx_dsp_window_fit()
{
    KX_RECT p;
    kx_dsp_picture_fit(kx_dsp.window_w, kx_dsp.window_h, kx_dsp.design_width, kx_dsp.design_height, &p);
    kx_dsp.window_pic_x = p.x;
    kx_dsp.window_pic_y = p.y;
    kx_dsp.width = p.width > 0 ? p.width : kx_dsp.window_w;
    kx_dsp.height = p.height > 0 ? p.height : kx_dsp.window_h;
}

void kx_dsp_picture_origin(int *x, int *y)
{
    *x = kx_dsp.fullscreen ? kx_dsp.full_x : kx_dsp.window_pic_x;
    *y = kx_dsp.fullscreen ? kx_dsp.full_y : kx_dsp.window_pic_y;
}

// The smallest window keeps half the design size and the whole menu bar.
void kx_dsp_window_minimum(int *width, int *height)
{
    *width = std::max(kx_dsp.design_width / 2, plat_menu_bar_width());
    *height = kx_dsp.design_height / 2;
}

void kx_dsp_window_resizable()
{
    int w, h;
    kx_dsp_window_minimum(&w, &h);
    plat_window_resizable(1, w, h + plat_menu_bar_height());
}

void kx_dsp_window_icon(const char *file_name)
{
    if (!file_name || !file_name[0]) return;
    KX_BITMAP icon{};
    if (kx_bit_load(&icon, file_name, KX_BIT_LOAD_PALETTE) && kx_bit_convert(&icon, KX_BIT_BPP32) && icon.depth == 32 &&
        icon.pixels)
        plat_window_icon_set(icon.pixels, icon.width, icon.height);
    if (icon.pixels) kx_bit_free(&icon);
}
