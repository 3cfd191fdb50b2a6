// What a pass adds around the steps: the per-pass events (life lost, Esc to the menu), the
// overlay's update (timers, name entry, menu commands) and its drawing (level, pause, game over,
// extra life, the score and lives), and the game scene itself.
#include "game/game_local.h"
#include "game/game_demo.h"
#include "game/game_difficulty.h"
#include "game/game_error.h"
#include "game/game_kept.h"
#include "game/game_play.h"
#include "game/game_progress.h"
#include "game/game_random.h"
#include "game/game_text.h"

#include "world/particle.h"
#include "world/world.h"
#include "world/world_render.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr double LAUNCH_Y = 62.0;   // the countdown of a held ball, below the bricks

// A centred text: height 10 (14 when large), narrower when it would not fit the 125 units.
void text_centred(const char *text, double y, bool large)
{
    const int n = static_cast<int>(std::strlen(text));
    if (n == 0) return;
    const int size = large ? 14 : 10;
    int z = size;
    if (n * (large ? 12 : 8) > 125) z = 125 / n + 2;
    const double x = 80.0 - (z - 2) * n / 2.0;
    draw_sprite_text(text, x, y, 0, 15, 0, size, z, z - 2);
}

const WORLD_SPRITE *sprite_required(int sprite, const char *what)
{
    if (world_sprites && world_sprites[sprite].defined) return &world_sprites[sprite];
    Game_Error("you must define sprite number %d (%s)", sprite, what);
    return nullptr;
}

void screen_sprite(int sprite, double x, double y)
{
    const WORLD_SPRITE &s = world_sprites[sprite];
    draw_screen_sprite(sprite, x, y, 0, 15, s.transparency, s.height, s.width, 0, 0);
}

// The word of the current language among the six from `first`, where the world defines it; the
// required word otherwise. Its parameters place it and the number beside it.
int word_sprite(int first, int required)
{
    const int sprite = first + game_language - 1;
    return game_language >= 1 && game_language <= 6 && world_sprites[sprite].defined ? sprite : required;
}

// While a game is recorded: a small red word under the score, where nothing of the game lies.
void recording_draw()
{
    draw_sprite_text(Game_Message(MSG_RECORDING), 5.0, 11.5, 1, 15, 0, 5, 5, 4);
}

// The game-over text stands for its time, then name entry (when the score earned a place) or
// attract mode follows.
void game_over_update(float t)
{
    if (game_flags.name_entry) {
        Hiscore_Entry(t);
        if (!game_flags.name_entry) Game_Attract_Return();
        return;
    }
    game_flags.game_over_timer -= t;
    if (game_flags.game_over_timer > 0.0f) return;
    game_flags.game_over_timer = 0.0f;
    if (!Hiscore_Qualify()) Game_Attract_Return();
}

} // namespace

void Score_Display()
{
    if (!sprite_required(SPRITE_SCORE_WORD, "score word") || !sprite_required(SPRITE_LIVES_WORD, "lives word")) return;
    const int score_word = word_sprite(SPRITE_SCORE_WORDS, SPRITE_SCORE_WORD);
    const int lives_word = word_sprite(SPRITE_LIVES_WORDS, SPRITE_LIVES_WORD);
    const int16_t *p = world_sprites[score_word].param;
    char number[16];
    screen_sprite(score_word, p[0], p[1]);
    std::snprintf(number, sizeof number, "%d", game.score);
    draw_sprite_text(number, p[2], p[3], p[7], 15, 0, p[4], p[5], p[6]);
    const int16_t *q = world_sprites[lives_word].param;
    screen_sprite(lives_word, q[0], q[1]);
    // The number stays when the last life is gone: the game over shows 0.
    if (game.lives > 0 && world_sprites[SPRITE_LIFE_ICON].defined) screen_sprite(SPRITE_LIFE_ICON, q[2], q[3]);
    std::snprintf(number, sizeof number, "%d", game.lives > 0 ? game.lives : 0);
    draw_sprite_text(number, q[4], q[5], 0, 15, 0, q[6], q[6], q[7]);
}

void Key_Delay_Tick(float t)
{
    game_flags.key_delay = game_flags.key_delay > t ? game_flags.key_delay - t : 0.0f;
}

void Pass_Events(float)
{
    if (game.life_lost) {
        Game_Particles_Stop(1);
        Game_Particles_Stop(2);
        game.balls_in_play = 0;
        if (!game_flags.no_life_loss || !Game_Shortcuts_Allowed()) game.lives--;
        game.life_lost = 0;
        game.weapon = 0;
        if (game.lives < 1 && game_flags.attract_mode) {
            // A demo that loses its last ball has finished; attract mode shows no game over.
            tape.finished = 1;
        } else if (game.lives < 1) {
            Screen_Game_Over();
            Kept_Game_End();
            Game_Effect(7);
            // A game recorded to its end is kept as if Esc had ended the recording.
            if (tape.recording) Demo_Record_Stop(0);
        } else {
            New_Life();
            Enemies_Park();
        }
    }
    if (!mapa_teclado) return;
    if (game_flags.attract_mode && !game_flags.menu_shown)
        for (int c = 0; c < 256; c++)
            if (mapa_teclado[c] == 1) mapa_teclado[CMD_ESC] = 1;
    if (mapa_teclado[CMD_ESC] && game_flags.key_delay == 0.0f) {
        mapa_teclado[CMD_ESC] = 0;
        if (!game_flags.menu_shown && !game_flags.name_entry && game_flags.game_over_timer == 0.0f) {
            Game_Effect(4);
            Screen_Menu();
            game_flags.key_delay = 75.0f;
            if (tape.recording) Demo_Record_Stop(0);
        }
    }
}

void Game_Overlay_Update(float t)
{
    if (game_flags.paused && !game_flags.menu_shown && game_flags.game_over_timer == 0.0f && mapa_teclado &&
        mapa_teclado[CMD_P] && game_flags.key_delay == 0.0f) {
        Screen_Resume();
        game_flags.key_delay = 75.0f;
    }
    if (game_flags.world_show_timer > 0.0f) {
        game_flags.world_show_timer -= t;
        if (game_flags.world_show_timer <= 0.0f) {
            game_flags.world_show_timer = 0.0f;
            tape.finished = 1;
        }
    }
    if (game_flags.game_over_timer > 0.0f) game_over_update(t);
    if (game.extra_life_timer > 0.0f) {
        game.extra_life_timer -= t;
        if (game.extra_life_timer < 0.0f) game.extra_life_timer = 0.0f;
    }
    if (game_flags.menu_shown) Main_Menu(t);
    if (demo.notice_timer > 0.0f) demo.notice_timer = demo.notice_timer > t ? demo.notice_timer - t : 0.0f;
    if (tape.finished) {
        Game_Particles_Stop_All();
        tape.finished = 0;
        Demo_Init();
    }
}

void Game_Overlay_Draw()
{
    if (!game_flags.attract_mode && !game_flags.name_entry && game.world_loaded) Score_Display();
    const bool playing = !game_flags.menu_shown && game_flags.game_over_timer == 0.0f && game_flags.world_show_timer == 0.0f;
    if (!game_flags.paused && playing && game.start_move && game.world_loaded) {
        char text[96];
        if (game.cycle > 0)
            std::snprintf(text, sizeof text, "%s %d", Game_Message(MSG_CYCLE), game.cycle);
        else
            std::snprintf(text, sizeof text, "%s %d", Game_Message(MSG_LEVEL), game.level);
        // Over a demo the level title takes its band under the logo.
        text_centred(text, game_flags.attract_mode ? DEMO_TITLE_Y : 45.0, false);
    }
    // A ball held on the paddle goes by itself: the seconds left count down, and the line under
    // them says that Space (or the fire key the player chose) launches it at once. On Easy it waits:
    // only the line shows.
    const int held = !game_flags.attract_mode && !game_flags.paused && playing && !game.start_move && !game.won_move ? Balls_Held() : 0;
    if (held > 0 && game.world_loaded) {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%d", (held + 99) / 100);
        if (!Difficulty_Ball_Waits()) text_centred(seconds, LAUNCH_Y, true);
        const char *launch = Game_Message(MSG_LAUNCH), *key = game_fire_key_fn ? game_fire_key_fn() : nullptr;
        const char *colon = std::strchr(launch, ':');
        char named[96];
        if (key && colon) {
            while (colon > launch && colon[-1] == ' ') colon--;
            std::snprintf(named, sizeof named, "%s%s", key, colon);
            launch = named;
        }
        text_centred(launch, LAUNCH_Y + 16.0, false);
    }
    if (game_flags.paused && !game_flags.menu_shown && game_flags.game_over_timer == 0.0f)
        text_centred(Game_Message(MSG_PAUSED), 45.0, true);
    if (game_flags.attract_mode && !game_flags.menu_shown) Demo_Attract_Draw();
    if (tape.recording) recording_draw();
    if (game_flags.game_over_timer > 1.0f) text_centred(Game_Message(MSG_GAME_OVER), 45.0, true);
    if (game_flags.name_entry) Hiscore_Entry_Draw();
    if (game.extra_life_timer > 0.0f) text_centred(Game_Message(MSG_EXTRA_LIFE), 5.0, true);
    if (game_flags.menu_shown && mapa_teclado) Main_Menu_Draw();
    // How a recording ended is told over everything else, the menu that Esc opened included.
    if (demo.notice_timer > 0.0f) {
        Game_Panel_Draw(4.0, 57.0, 152.0, 16.0);
        text_centred(Game_Message(demo.notice), 60.0, false);
    }
}

void Game_Render()
{
    if (game_flags.world_show_timer > 0.0f) {
        Demo_Scenery_Draw();
        return;
    }
    if (!game.world_loaded) return;
    if (pref_background) draw_background();
    render_world(game.cam_x, game.cam_y, game.cam_z, 0);
    float ms = game_frame_ms < 1.0f ? 1.0f : game_frame_ms > 100.0f ? 100.0f : game_frame_ms;
    if (game_particles) world_particles_draw(game_particles, ms);
    world_fade(Camera_Fade());
    if (game_flags.attract_mode && !game_flags.menu_shown) Demo_Credits_Draw();
}
