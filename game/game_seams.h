// The game's music arrives from its own module; until it is in the tree the game plays none.
#pragma once

#if __has_include("game/game_music.h")
#include "game/game_music.h"
#else
inline void Game_Music_Play(const char *) {}
inline void Game_Music_Stop() {}
#endif
