// The game's shared state: the screen flags read by the frame loop, the game record, the
// paddle and the object pools.
#include "game/game_local.h"

uint8_t *mapa_teclado;
char typed_text[GAME_TYPED_MAX + 1];
int input_polling;
GAME_FLAGS game_flags;
uint32_t commands_fresh;
double step_time;
int pref_floor = 1;
int pref_background = 1;
int game_autopilot;

GAME_RECORD game;
GAME_PADDLE paddle;
GAME_POOLS pools;
PARTICLE_POOL *game_particles;

const int32_t game_life_table[11] = {10000,  30000,  50000,  75000,   100000, 200000,
                                     300000, 400000, 500000, 1000000, 5000000};

void (*game_effect_fn)(int number);
void (*game_ticks_fn)(uint32_t ticks);
float game_frame_ms = 10.0f;

void Game_Effect(int number)
{
    if (game_effect_fn) game_effect_fn(number);
}

int Command_Ready(int command)
{
    if (!mapa_teclado || !mapa_teclado[command]) return 0;
    if (game_flags.key_delay == 0.0f) return 1;
    switch (command) {
    case CMD_ESC: return (commands_fresh & FRESH_ESC) != 0;
    case CMD_ENTER: return (commands_fresh & FRESH_ENTER) != 0;
    case CMD_UP: return (commands_fresh & FRESH_UP) != 0;
    case CMD_DOWN: return (commands_fresh & FRESH_DOWN) != 0;
    case CMD_LEFT: return (commands_fresh & FRESH_LEFT) != 0;
    case CMD_RIGHT: return (commands_fresh & FRESH_RIGHT) != 0;
    default: return 0;
    }
}

void Key_Delay_Set(float delay)
{
    game_flags.key_delay = delay;
    commands_fresh = 0;
}

void Game_Ticks_Set(uint32_t ticks)
{
    if (game_ticks_fn) game_ticks_fn(ticks);
}
