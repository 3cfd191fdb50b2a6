// Shared by the particle files only: the error report, the loaded flag and the look drawing.
#pragma once

#include "world/particle.h"

// Reports a particle error: to the hook when one is set, else through the fatal gen_error.
void particle_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
void particle_error_clear();
// Rises whenever the effects tables are freed: emitters of an older generation are dropped.
extern int particle_fx_generation;
// 1 once an effects file has been read.
int particle_fx_loaded();
// Frees the tables of the effects file (also after a failed read).
void particle_fx_tables_free();
// Loads a texture through the current loader.
int particle_texture_load(uint32_t *texture, const char *file_name);
// Draws a look at (x, y) if it is visible, then advances it by dt.
void particle_look_step(PARTICLE_LOOK *look, float x, float y, float dt);
