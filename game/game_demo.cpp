// Recorded demos and the attract sequence. Playback arrives with the demo work; until then the
// game simply starts in attract mode.
#include "game/game.h"

void Demo_Init()
{
    attract_mode = 1;
}
