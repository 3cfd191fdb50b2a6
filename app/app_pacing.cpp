// app_pacing: how often the frame loop draws. With vsync, showing a frame waits for the display,
// and frames are kept to its refresh rate (a frame that shows nothing new waits for nothing);
// without vsync (a virtual display, some drivers) at most "MaxFrameRate" frames a second are
// drawn (key of the settings file's "Display" section, 60 when absent, 0 for no limit). --fps N
// sets the limit for one run, whatever the display. A headless run draws as fast as it can
// unless --fps asks otherwise. Game steps stay on the 10 ms tick: ticks that arrive while the
// loop waits for a frame are run as steps in that frame's pass.
#include "app/app.h"

#include "app/app_config.h"
#include "platform/plat_core.h"
#include "platform/plat_gl.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

namespace {

struct APP_PACING {
    uint64_t period_us;   // shortest time between frames (0: none)
    uint64_t due_us;      // when the next frame may be drawn
};

APP_PACING pacing;

// "MaxFrameRate" of the settings file, or `fallback` when it is missing or out of range.
int frame_rate_key(int fallback)
{
    int value = fallback;
    return Config_Int_Get("Display", "MaxFrameRate", &value) && value >= 0 && value <= APP_FPS_MAX ? value : fallback;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int app_pacing_rate()
{
    if (app.fps_option >= 0) return app.fps_option;
    if (!plat_display_available()) return 0;
    if (plat_gl_vsync() && plat_gl_refresh_rate() > 0) return plat_gl_refresh_rate();
    return frame_rate_key(APP_FPS_DEFAULT);
}

void app_pacing_rate_update()
{
    const int rate = app_pacing_rate();
    pacing.period_us = rate > 0 ? 1000000u / static_cast<unsigned>(rate) : 0;
}

void app_pacing_start()
{
    app_pacing_rate_update();
    pacing.due_us = plat_clock_us();
}

int app_pacing_wait_ms(uint64_t now_us)
{
    if (!pacing.period_us || now_us >= pacing.due_us) return 0;
    return static_cast<int>((pacing.due_us - now_us + 999) / 1000);
}

void app_pacing_frame(uint64_t now_us)
{
    if (!pacing.period_us) return;
    // Frames keep to the rate on average, a late frame making up for the wait it lost; after a
    // stall the next one comes half a period later, not at once.
    pacing.due_us = std::max(pacing.due_us + pacing.period_us, now_us + pacing.period_us / 2);
}

void app_pacing_ticks_take()
{
    // The tick that started the pass is its "+1" step; those that came while the loop waited
    // for the frame stay counted. A fixed clock adds its ticks after the drawing.
    if (app.fixed_ticks) app.ticks.store(0);
    else app.ticks.fetch_sub(1);
}
