// kx_snd_ledger: the blocks that the S3M player's modules and the MP3 streams hold. They are
// allocated and freed through here, so that shut-down can tell whether everything the music
// took came back.
#pragma once

#include <cstddef>

// A named kx_mem block (zeroed when `zero`), counted while it lives; null when out of memory.
void *kx_snd_ledger_alloc(size_t size, int zero, const char *name);
// Frees a block from kx_snd_ledger_alloc (null is ignored).
void kx_snd_ledger_free(void *ptr);
// Blocks allocated and not yet freed.
int kx_snd_ledger_count();
