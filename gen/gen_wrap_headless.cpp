// gen_wrap headless: the back end started on a hidden window without the display module, for
// the tools that load worlds and for the tests that read drawings back.
#include "gen/gen_wrap.h"

#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "platform/plat_core.h"
#include "platform/plat_gl.h"

namespace {

bool headless_window;   // the window is ours to close

} // namespace

int gen_wrap_headless_start(int width, int height, int history)
{
    if (plat_gl_exists()) return 1;
    if (!plat_init(1)) return 0;
    if (!plat_window_exists()) {
        if (!plat_window_create("veltramondo", width, height, 0, nullptr)) return 0;
        headless_window = true;
    }
    char renderer[KX_DSP_3D_NAME_MAX], vendor[KX_DSP_3D_NAME_MAX];
    KX_RECT picture{0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height)};
    gen_wrap_history_set(history);
    int ok = gen_wrap_init(plat_window_handle(), &picture, renderer, vendor);
    gen_wrap_history_set(1);
    return ok ? 1 : 0;
}

void gen_wrap_headless_stop()
{
    if (plat_gl_exists()) gen_wrap_deinit();
    if (headless_window) {
        plat_window_destroy();
        headless_window = false;
    }
}
