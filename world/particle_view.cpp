// Drawing the particle pool over the world's view: the game starts effects at projected points
// (thousandths of OpenGL units, 1500 added to y), so the pool is drawn in a view whose centre
// lies that much up.
#include "world/particle.h"
#include "world/world_render.h"

void world_particles_draw(PARTICLE_POOL *pool, float ms)
{
    if (!pool) return;
    particle_fx_view_set(WORLD_PARTICLE_Y_OFFSET);
    particle_fx_pool_update(pool, ms);
    particle_fx_view_set(0.0f);
}
