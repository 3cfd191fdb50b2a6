// The game's shared state flags, read by the frame loop and written by the game screens.
#include "game/game.h"

uint8_t *mapa_teclado;
int input_polling;
int language_chosen;
int menu_shown;
int attract_mode;
int paused;
int no_life_loss;
float game_over_timer;
float world_show_timer;
float key_delay;
double step_time;
