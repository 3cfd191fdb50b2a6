// The game side of the window procedure, the tick callback, the redraw after a display-mode
// change, the game's sound effects and the orderly shut-down.
#include "app/app.h"

#include "app/app_help.h"
#include "app/app_language.h"
#include "app/app_texts.h"
#include "editor/editor.h"
#include "game/game.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_snd/kx_snd.h"
#include "platform/plat_core.h"
#include "world/world_render.h"

void Timer_Tick(void *)
{
    if (!app.fixed_ticks && app.window_active.load(std::memory_order_relaxed) &&
        app.display_ready.load(std::memory_order_relaxed)) {
        app.ticks.fetch_add(1, std::memory_order_relaxed);
        plat_wake();
    }
    kx_snd_music_refill();
}

intptr_t Window_Proc(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    if (message == PLAT_WM_CLOSE) Game_Shutdown();
    if (message == PLAT_WM_ENDSESSION && wparam && app.game_initialised) Game_Keep();
    if (message == PLAT_WM_COMMAND) {
        switch (wparam & 0xFFFF) {
        case APP_MENU_BACK_TO_GAME: plat_message_post(PLAT_WM_LBUTTONDOWN, 0, 0); break;
        case APP_MENU_EXIT: plat_message_post(PLAT_WM_CLOSE, 0, 0); break;
        case APP_MENU_LEVEL_EDITOR:
            if (!Editor_Open_Now()) Editor_Open(Editor_Last_Name());
            break;
        case APP_MENU_HELP_TOPICS: App_Help_Show(); break;
        case APP_MENU_ABOUT: About_Box_Show(); break;
        default: break;
        }
        uintptr_t id = wparam & 0xFFFF;
        if (id >= KX_DSP_CMD_LANGUAGE && id < KX_DSP_CMD_LANGUAGE + 100) {
            int number = Language_Menu_Number(static_cast<int>(id - KX_DSP_CMD_LANGUAGE));
            if (number >= 0 && number != Language_Number()) Language_Switch(number);
        }
    }
    if (message == PLAT_WM_DISPLAYCHANGE) app_pacing_rate_update();
    kx_inp_window_message(message, wparam, lparam);
    kx_snd_window_message(message, wparam, lparam);
    return kx_dsp_window_proc(message, wparam, lparam);
}

void Display_Redraw()
{
    if (!app.game_initialised) {
        app.redraw_pending = 1;
        return;
    }
    app.field_width = kx_dsp_width() - 1;
    app.field_height = kx_dsp_height() - 1;
    Game_Field_Set(app.field_width, app.field_height);
    set_world_viewport(app.field_height, app.field_width);
    if (game_flags.world_show_timer > 0.0f) draw_background();
    else Game_Render();
    app.redraw_pending = 0;
}

void App_Help_Show()
{
    Help_Screen_Show(Texts_Help_File());
}

void Play_Effect(int number)
{
    if (number < 1 || number > APP_EFFECTS || !kx_snd_effects_enabled()) return;
    KX_SND_EFFECT *effect = app.effects[number - 1];
    if (effect) kx_snd_play(effect, 0);
}
