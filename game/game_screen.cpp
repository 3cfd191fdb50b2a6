// The screen changes of the game, one function each: attract mode, the menu, play, pause, game
// over, name entry, the language screen, the editor and its test play. The application and the
// editor change screens only through them; the trace's screen name is read here as well.
#include "game/game.h"

void Screen_Language_Chosen()
{
    language_chosen = 1;
}

void Screen_Attract()
{
    game_over_timer = 0.0f;
    paused = 0;
    attract_mode = 1;
}

void Game_Reset()
{
    key_delay = 0.0f;
    game_over_timer = 0.0f;
    game.lives = 0;
    menu_shown = 0;
    paused = 0;
    attract_mode = 1;
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
    game_over_timer = 0.0f;
    name_entry = 0;
    Hiscore_Save();
    Hiscore_Free();
    Main_Menu_Open();
    Demo_Music_Request();
    Demo_Init();
}

void Screen_Menu()
{
    Main_Menu_Open();
    if (!attract_mode) paused = 1;
}

void Screen_Menu_Close()
{
    menu_shown = 0;
    paused = 0;
}

void Screen_Play()
{
    attract_mode = 0;
    menu_shown = 0;
    paused = 0;
}

void Screen_Pause_Toggle()
{
    paused = !paused;
}

void Screen_Resume()
{
    paused = 0;
}

void Screen_Game_Over()
{
    game_over_timer = 150.0f;
    name_entry = 0;
    paused = 1;
}

void Screen_Name_Entry_Wait()
{
    menu_shown = 0;
    paused = 1;
}

void Screen_Name_Entry()
{
    name_entry = 1;
    game_over_timer = 1.0f;
}

void Screen_Name_Entry_End()
{
    name_entry = 0;
}

void Screen_Editor()
{
    attract_mode = 0;
    menu_shown = 0;
    paused = 0;
}

void Screen_Test_Play_End()
{
    game_over_timer = 0.0f;
    paused = 0;
}

void Game_No_Life_Loss_Toggle()
{
    no_life_loss = !no_life_loss;
}

const char *Game_State_Name()
{
    if (name_entry) return "entry";
    if (game_over_timer > 0.0f) return "gameover";
    if (menu_shown) return "menu";
    if (world_show_timer > 0.0f || game.scenery_loaded) return "scenery";
    if (attract_mode) return "attract";
    return paused ? "paused" : "play";
}
