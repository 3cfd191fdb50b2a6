// The game's shared state and the entry points the frame loop calls each pass.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Shared state
// ---------------------------------------------------------------------------------------------

extern uint8_t *mapa_teclado;       // 256 commands by scan code, built by the loop every pass
extern int input_polling;           // the loop builds commands only once the tables allow it
extern int language_chosen;
extern int menu_shown;
extern int attract_mode;
extern int paused;
extern int no_life_loss;
extern float game_over_timer;       // ticks
extern float world_show_timer;      // ticks
extern float key_delay;             // ticks
extern double step_time;            // set to 0.3 before every game step

// ---------------------------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------------------------

// Game tables: command array, random and movement tables, the brick world, the level table,
// the particle effects. Returns 1, or 0 after a fatal error was shown.
int Game_Tables_Init(int width, int height);
// Writes the preferences and frees the tables.
void Game_Cleanup();
void Game_Step();
void Game_Render();
void Game_Overlay(float t);
void Key_Delay_Tick(float t);
void Pass_Events(float t);
void Game_Reset();
void Demo_Init();
