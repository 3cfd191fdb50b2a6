// One fixed game step: paddle, shots, bonuses, enemies, balls, life loss and camera. The play
// logic arrives with the paddle-and-ball work; until then a step changes nothing.
#include "game/game.h"

void Game_Step()
{
}
