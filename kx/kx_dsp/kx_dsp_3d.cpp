// kx_dsp 3D interface: the table of fifteen operations, its reporting defaults, the start of the
// installed back end and the 3D card table.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "platform/plat_core.h"

#include <cctype>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// Defaults: each reports its own name and returns 0.
// ---------------------------------------------------------------------------------------------

int report(const char *text)
{
    kx_dsp_alert(text, nullptr, 0);
    return 0;
}

int init_default(void *, KX_RECT *, char *, char *)
{
    return report("kx_dsp_3d_init_default called before calling kx_dsp_3d_interface_set ()");
}
int deinit_default()
{
    return report("kx_dsp_3d_deinit_default called before calling kx_dsp_3d_interface_set ()");
}
int video_mode_set_default(const KX_DSP_VIDEO_MODE *, int)
{
    return report("kx_dsp_3d_video_mode_set_default called before calling kx_dsp_3d_interface_set ()");
}
int resize_default(int16_t, int16_t, int16_t, int16_t)
{
    return report("kx_dsp_3d_resize_default called before calling kx_dsp_3d_interface_set ()");
}
int flush_default()
{
    return report("kx_dsp_3d_flush_default called before calling kx_dsp_3d_interface_set ()");
}
int put_default(KX_BITMAP *, KX_RECT *, KX_RECT *, int)
{
    return report("kx_bit_3d_put called before calling kx_dsp_3d_interface_set ()");
}
int save_default(const char *, KX_RECT *)
{
    return report("kx_bit_3d_save called before calling kx_dsp_3d_interface_set ()");
}
int free_default(KX_BITMAP *)
{
    return report("kx_bit_3d_free_default called before calling kx_dsp_3d_interface_set ()");
}
int screen_clear_default()
{
    return report("kx_dsp_3d_screen_clear_default called before calling kx_dsp_3d_interface_set ()");
}
int display_update_default()
{
    return report("kx_dsp_3d_display_update_default called before calling kx_dsp_3d_interface_set ()");
}
int draw_pixel_default(KX_BITMAP *, int, int, uint32_t)
{
    return report("kx_bit_3d_draw_pixel_default called before calling kx_dsp_3d_interface_set ()");
}
int draw_line_default(KX_BITMAP *, int, int, int, int, uint32_t)
{
    return report("kx_bit_3d__draw_line_default called before calling kx_dsp_3d_interface_set ()");
}
int draw_rectangle_default(KX_BITMAP *, KX_RECT *, uint32_t, int)
{
    return report("kx_bit_3d__draw_rectangle_default called before calling kx_dsp_3d_interface_set ()");
}
int draw_circle_default(KX_BITMAP *, int, int, int, uint32_t, int)
{
    return report("kx_bit_3d__draw_circle_default called before calling kx_dsp_3d_interface_set ()");
}
uint32_t get_pixel_default(KX_BITMAP *, int, int)
{
    return static_cast<uint32_t>(report("kx_bit_3d_get_pixel_default called before calling kx_dsp_3d_interface_set ()"));
}

constexpr KX_DSP_3D defaults = {
    init_default,         deinit_default,      video_mode_set_default, resize_default,
    flush_default,        put_default,         save_default,           free_default,
    screen_clear_default, display_update_default, draw_pixel_default,  draw_line_default,
    draw_rectangle_default, draw_circle_default, get_pixel_default,
};

// Words searched for in the upper-cased renderer name, in this order; the first found wins.
struct CARD_WORD {
    const char *word;
    KX_DSP_CARD card;
};
constexpr CARD_WORD card_words[] = {
    {"VOODOO2", {3, 4, 16}},  {"VOODOO3", {4, 8, 16}},      {"VOODOO4", {5, 16, 16}},
    {"VOODOO5", {6, 16, 32}}, {"BANSHEE", {1, 8, 16}},      {"TNT", {32, 16, 32}},
    {"GEFORCE 256", {33, 16, 32}}, {"NVIDIA", {32, 16, 32}}, {"RAGE 128", {61, 16, 32}},
};

bool installed = false;

} // namespace

void kx_dsp_3d_interface_set(const KX_DSP_3D *table)
{
    KX_DSP_3D t = table ? *table : defaults;
    if (!t.init) t.init = defaults.init;
    if (!t.deinit) t.deinit = defaults.deinit;
    if (!t.video_mode_set) t.video_mode_set = defaults.video_mode_set;
    if (!t.resize) t.resize = defaults.resize;
    if (!t.flush) t.flush = defaults.flush;
    if (!t.put) t.put = defaults.put;
    if (!t.save) t.save = defaults.save;
    if (!t.free) t.free = defaults.free;
    if (!t.screen_clear) t.screen_clear = defaults.screen_clear;
    if (!t.display_update) t.display_update = defaults.display_update;
    if (!t.draw_pixel) t.draw_pixel = defaults.draw_pixel;
    if (!t.draw_line) t.draw_line = defaults.draw_line;
    if (!t.draw_rectangle) t.draw_rectangle = defaults.draw_rectangle;
    if (!t.draw_circle) t.draw_circle = defaults.draw_circle;
    if (!t.get_pixel) t.get_pixel = defaults.get_pixel;
    kx_dsp.table = t;
    installed = table != nullptr;
    if (!table) kx_dsp.use_3d = kx_dsp.started_3d = 0;
}

const KX_DSP_3D *kx_dsp_3d()
{
    if (!kx_dsp.table.init) kx_dsp_3d_interface_set(nullptr);
    return &kx_dsp.table;
}

KX_DSP_CARD kx_dsp_card_identify(const char *renderer)
{
    char upper[KX_DSP_3D_NAME_MAX];
    size_t n = 0;
    for (; renderer && renderer[n] && n + 1 < sizeof upper; n++)
        upper[n] = static_cast<char>(std::toupper(static_cast<unsigned char>(renderer[n])));
    upper[n] = 0;
    for (const CARD_WORD &w : card_words)
        if (std::strstr(upper, w.word)) return w.card;
    return {0, 0, 0};
}

int kx_dsp_3d_start()
{
    const KX_DSP_3D *t = kx_dsp_3d();
    if (!installed || !kx_dsp.created) return 0;
    kx_dsp.renderer[0] = kx_dsp.vendor[0] = 0;
    int x, y;
    kx_dsp_picture_origin(&x, &y);
    KX_RECT picture{static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(kx_dsp.width),
                    static_cast<int16_t>(kx_dsp.height)};
    int result = t->init(plat_window_handle(), &picture, kx_dsp.renderer, kx_dsp.vendor);
    kx_dsp.renderer[KX_DSP_3D_NAME_MAX - 1] = kx_dsp.vendor[KX_DSP_3D_NAME_MAX - 1] = 0;
    if (!result) return 0;
    kx_dsp.card = (result & KX_DSP_3D_HARDWARE) ? kx_dsp_card_identify(kx_dsp.renderer) : KX_DSP_CARD{0, 0, 0};
    kx_dsp.use_3d = kx_dsp.started_3d = 1;
    KX_BIT_DISPLAY bit{};
    bit.use_3d = 1;
    bit.screen = kx_dsp_screen();   // copies to the screen go to the back end's put
    bit.put = t->put;
    bit.save = t->save;
    bit.free = t->free;
    bit.vendor = kx_dsp.vendor;
    bit.renderer = kx_dsp.renderer;
    bit.report = kx_dsp.setup ? kx_dsp.setup->report : 0;
    kx_bit_display_set(&bit);
    kx_dsp_picture_update();
    return 1;
}

const KX_DSP_CARD *kx_dsp_card()
{
    return &kx_dsp.card;
}

const char *kx_dsp_renderer()
{
    return kx_dsp.renderer;
}

const char *kx_dsp_vendor()
{
    return kx_dsp.vendor;
}
