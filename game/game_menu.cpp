// The main menu. Until its pages arrive, Enter or Space starts a new game from attract mode
// and Esc closes it.
#include "game/game.h"

void Main_Menu_Open() {}

void Main_Menu(float t)
{
    key_delay = key_delay > t ? key_delay - t : 0.0f;
    if (!mapa_teclado || key_delay > 0.0f) return;
    if (mapa_teclado[28] || mapa_teclado[57]) {
        mapa_teclado[28] = mapa_teclado[57] = 0;
        key_delay = 75.0f;
        if (attract_mode)
            New_Game();
        else
            menu_shown = 0, paused = 0;
    } else if (mapa_teclado[1]) {
        mapa_teclado[1] = 0;
        key_delay = 75.0f;
        menu_shown = 0;
        paused = 0;
    }
}
