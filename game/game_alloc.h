// Game-side allocation: named, zero-filled blocks of kx_mem; a failure is a fatal game error.
#pragma once

#include <cstddef>

void *Game_Alloc(size_t size, const char *name);
void Game_Free(void *ptr);
