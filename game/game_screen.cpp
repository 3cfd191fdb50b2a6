// The screen changes of the game, one function each: attract mode, the menu, play, pause, game
// over, name entry, the language screen, the editor and its test play. The application and the
// editor change screens only through them; the trace's screen name is read here as well.
#include "game/game_local.h"
#include "game/game_kept.h"

void Screen_Language_Chosen()
{
    game_flags.language_chosen = 1;
}

void Screen_Attract()
{
    game_flags.game_over_timer = 0.0f;
    game_flags.paused = 0;
    game_flags.attract_mode = 1;
}

void Game_Reset()
{
    game_flags.key_delay = 0.0f;
    game_flags.game_over_timer = 0.0f;
    game.lives = 0;
    game_flags.menu_shown = 0;
    game_flags.paused = 0;
    game_flags.attract_mode = 1;
}

void Screen_Attract_Menu()
{
    Game_Reset();
    Main_Menu_Open();
    Demo_Music_Request();
    Demo_Init();
}

void Game_Attract_Return()
{
    game_flags.game_over_timer = 0.0f;
    game_flags.name_entry = 0;
    Hiscore_Save();
    Hiscore_Free();
    Main_Menu_Open();
    Demo_Music_Request();
    Demo_Init();
}

void Screen_Menu()
{
    Main_Menu_Open();
    if (!game_flags.attract_mode) game_flags.paused = 1;
}

void Screen_Menu_Close()
{
    game_flags.menu_shown = 0;
    game_flags.paused = 0;
}

void Screen_Play()
{
    game_flags.attract_mode = 0;
    game_flags.menu_shown = 0;
    game_flags.paused = 0;
}

void Screen_Pause_Toggle()
{
    game_flags.paused = !game_flags.paused;
}

void Screen_Resume()
{
    game_flags.paused = 0;
}

void Screen_Game_Over()
{
    game_flags.game_over_timer = 150.0f;
    game_flags.name_entry = 0;
    game_flags.paused = 1;
}

void Screen_Name_Entry_Wait()
{
    game_flags.menu_shown = 0;
    game_flags.paused = 1;
}

void Screen_Name_Entry()
{
    game_flags.name_entry = 1;
    game_flags.game_over_timer = 1.0f;
}

void Screen_Name_Entry_End()
{
    game_flags.name_entry = 0;
}

void Screen_Editor()
{
    // The game left for the editor is not kept.
    kept.playing = 0;
    game_flags.attract_mode = 0;
    game_flags.menu_shown = 0;
    game_flags.paused = 0;
}

void Screen_Test_Play_End()
{
    game_flags.game_over_timer = 0.0f;
    game_flags.paused = 0;
}

void Game_No_Life_Loss_Toggle()
{
    game_flags.no_life_loss = !game_flags.no_life_loss;
}

const char *Game_State_Name()
{
    if (game_flags.name_entry) return "entry";
    if (game_flags.game_over_timer > 0.0f) return "gameover";
    if (game_flags.menu_shown) return "menu";
    if (game_flags.world_show_timer > 0.0f || game.scenery_loaded) return "scenery";
    if (game_flags.attract_mode) return "attract";
    return game_flags.paused ? "paused" : "play";
}
