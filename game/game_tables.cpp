// Game tables: built once at start-up, freed at shut-down.
#include "game/game.h"

#include "game/game_alloc.h"
#include "game/game_levels.h"

int Game_Tables_Init(int, int)
{
    mapa_teclado = static_cast<uint8_t *>(Game_Alloc(256, "mapa_teclado"));
    if (!mapa_teclado) return 0;
    if (!Levels_Init()) return 0;
    input_polling = 1;
    return 1;
}

void Game_Cleanup()
{
    input_polling = 0;
    Levels_Free();
    if (mapa_teclado) Game_Free(mapa_teclado);
    mapa_teclado = nullptr;
}
