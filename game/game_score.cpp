// Score, lives, level progression and the per-pass overlay and events. Drawing and events
// arrive with the score-and-levels work; the state reset is already real.
#include "game/game.h"

void Game_Render()
{
}

void Game_Overlay(float)
{
}

void Pass_Events(float)
{
}

void Key_Delay_Tick(float t)
{
    key_delay = key_delay > t ? key_delay - t : 0.0f;
}

void Game_Reset()
{
    key_delay = 0.0f;
    game_over_timer = 0.0f;
    menu_shown = 0;
    paused = 0;
    attract_mode = 1;
}
