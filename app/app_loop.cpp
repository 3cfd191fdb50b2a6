// The frame loop: one window message per pass, then, once a tick has arrived, input, commands,
// drawing, presentation and as many fixed game steps as ticks arrived.
#include "app/app.h"

#include "app/app_help.h"
#include "editor/editor.h"
#include "game/game.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_play/kx_play.h"
#include "platform/plat_core.h"
#include "platform/plat_gl.h"
#include "platform/plat_loop.h"
#include "platform/plat_owner.h"
#include "world/world_render.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t APP_MAX_COUNTED_TICKS = 20;
// Steps that one pass may run at most, counting ticks that arrive while the steps run. Without
// a bound, steps slower than a tick would keep the loop stepping forever without drawing.
constexpr int APP_MAX_STEPS_PER_PASS = 2 * (APP_MAX_COUNTED_TICKS + 1);
constexpr int APP_INACTIVE_SLEEP_MS = 250;
constexpr int APP_TICK_WAIT_MS = 50;

void screen_draw()
{
    if (!game_flags.language_chosen) {
        Language_Screen();
        Commands_Clear();
    } else if (Help_Screen_Shown()) {
        Help_Screen_Draw();
        if (plat_ticks_ms() >= Help_Screen_Close_Time() && app_confirm_released()) {
            Help_Screen_Close();
            Commands_Clear();
        }
    } else {
        Game_Render();
    }
}

// The milliseconds the particle effects advance by: the real time since the previous frame, or
// the time of the fixed ticks of one pass.
void frame_time()
{
    uint32_t now = plat_ticks_ms();
    if (app.fixed_ticks) game_frame_ms = static_cast<float>((app.fixed_ticks + 1) * 10);
    else game_frame_ms = app.last_frame_ms ? static_cast<float>(now - app.last_frame_ms) : 10.0f;
    app.last_frame_ms = now;
}

bool steps_allowed()
{
    return !game_flags.paused && game_flags.game_over_timer == 0.0f && game_flags.world_show_timer == 0.0f && !Help_Screen_Shown();
}

// Takes one counted tick; 0 when none is left. The count never goes below zero, so a tick the
// timer adds at any moment stays counted for the next step or pass.
int tick_take()
{
    uint32_t ticks = app.ticks.load();
    while (ticks && !app.ticks.compare_exchange_weak(ticks, ticks - 1)) {
    }
    return ticks != 0;
}

void pass_end()
{
    app_game_trace_pass();
    app.passes++;
    if (app.frame_limit && app.passes == app.frame_limit) plat_message_post(PLAT_WM_CLOSE, 0, 0);
}

// A pass while the window menu or a dialog owns the keyboard and mouse: the picture is drawn as
// it stands and nothing moves. No input is read, no command survives, no game step runs and no
// timer of the game counts down, so the game and the demos go on where they stopped.
void held_pass()
{
    app.ticks.store(0);
    game_frame_ms = 0.0f;
    app.last_frame_ms = plat_ticks_ms();
    if (!kx_inp_inactive()) kx_inp_activate(0);
    plat_script_pass(app.passes);
    if (mapa_teclado) std::memset(mapa_teclado, 0, 256);
    screen_draw();
    if (!Help_Screen_Shown() && game_flags.language_chosen) Game_Overlay_Draw();
    kx_dsp_present();
    app.steps_last_pass = 0;
    pass_end();
}

// A pass while the level editor edits and owns the keyboard and mouse: its keys, its view of
// the level and its panels; the game runs no step.
void editor_pass()
{
    app.ticks.store(0);
    frame_time();
    if (!kx_inp_inactive()) kx_inp_activate(0);
    plat_script_pass(app.passes);
    if (mapa_teclado) std::memset(mapa_teclado, 0, 256);
    Editor_Pass();
    App_Snapshot_Frame();
    kx_dsp_present();
    App_Snapshot_Presented();
    app.steps_last_pass = 0;
    pass_end();
}

} // namespace

void app_steps_run()
{
    if (app.ticks.load() > APP_MAX_COUNTED_TICKS) app.ticks.store(APP_MAX_COUNTED_TICKS);
    int steps = 0;
    while (steps < APP_MAX_STEPS_PER_PASS) {
        step_time = 0.3;
        if (steps_allowed()) Game_Step();
        Commands_Decay();
        steps++;
        if (!tick_take()) break;
    }
    app.steps_last_pass = steps;
}

int app_loop_pass(int *exit_code)
{
    PLAT_MSG msg;
    if (plat_message_peek(&msg, 1)) {
        if (msg.message == PLAT_WM_QUIT) {
            *exit_code = static_cast<int>(msg.wparam);
            return 1;
        }
        plat_message_dispatch(&msg);
    }
    if (!app.window_active.load() || !app.display_ready.load() || !app.running) {
        // A window without the keyboard still shows its picture when it is resized or uncovered.
        if (app.running && app.display_ready.load() && app.game_initialised && plat_gl_picture_is_lost()) held_pass();
        plat_message_wait(APP_INACTIVE_SLEEP_MS);
        return 0;
    }
    if (!app.game_initialised || (app.ticks.load() == 0 && !app.fixed_ticks)) {
        plat_message_wait(APP_TICK_WAIT_MS);
        return 0;
    }
    const uint64_t now = plat_clock_us();
    if (int wait = app_pacing_wait_ms(now)) {
        plat_message_wait(wait);
        return 0;
    }
    app_pacing_frame(now);
    if (Editor_Editing() && plat_owner() == PLAT_OWNER_EDITOR) {
        editor_pass();
        return 0;
    }
    if (plat_owner() != PLAT_OWNER_GAME) {
        held_pass();
        return 0;
    }
    app_pacing_ticks_take();
    frame_time();
    plat_script_pass(app.passes);
    kx_inp_update();
    kx_play_update();
    if (input_polling) app_commands_build();
    Editor_Test_Pass();
    app_trace_frame();
    screen_draw();
    if (app.fixed_ticks) app.ticks.store(app.fixed_ticks);
    float t = static_cast<float>(app.ticks.load() + 1);
    if (!Help_Screen_Shown() && game_flags.language_chosen) {
        Game_Overlay_Update(t);
        Game_Overlay_Draw();
    }
    App_Snapshot_Frame();
    kx_dsp_present();
    App_Snapshot_Presented();
    Key_Delay_Tick(t);
    Pass_Events(t);
    app_steps_run();
    if (const int ended = app.record_level ? Demo_Record_Finish(app.record_steps) : 0) {
        if (ended < 0) std::fprintf(stderr, "veltramondo: the recording could not be saved\n");
        plat_message_post(PLAT_WM_CLOSE, 0, 0);
    }
    Commands_Clear();
    pass_end();
    return 0;
}

int app_loop_run()
{
    return plat_loop_run(app_loop_pass, app_end);
}
