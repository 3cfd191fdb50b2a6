// Game_Shutdown: run on the close message; stops everything in the reverse order of start-up.
#include "app/app.h"

#include "app/app_help.h"
#include "app/app_language.h"
#include "app/app_texts.h"
#include "editor/editor.h"
#include "gen/gen_info.h"
#include "game/game.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_font/kx_font.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_play/kx_play.h"
#include "kx/kx_snd/kx_snd.h"

void Game_Shutdown()
{
    if (!app.running) return;
    app.running = 0;
    // The preferences, sound, display and memory keys written below reach the settings file
    // together, at the end, or not at all.
    kx_io_ini_hold(kx_io_settings_path_get());
    kx_dsp_timer_deinit();
    app.ticks.store(0);
    Help_Screen_Close();
    Language_Screen_Free();
    kx_snd_music_stop();
    Editor_Close();
    Game_Cleanup();
    Texts_Free();
    kx_snd_music_free();
    for (KX_SND_EFFECT *&effect : app.effects) {
        if (effect) kx_snd_free(effect);
        effect = nullptr;
    }
    kx_snd_done();
    kx_font_done();
    kx_dsp_deinit();
    kx_bit_deinit();
    Languages_Free();
    kx_play_done();
    kx_inp_done();
    kx_io_deinit();
    kx_str_deinit();
    gen_info_deinit();
    kx_mem_deinit();
    kx_list_deinit();
    kx_io_ini_hold_end();
}
