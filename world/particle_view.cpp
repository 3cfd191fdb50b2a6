// Drawing the particle pool over the world's view: the game starts effects at projected points
// (thousandths of OpenGL units, 1500 added to y), so the pool is drawn under a projection that
// takes that offset back out.
#include "world/particle.h"
#include "world/world_render.h"

#include "gen/gen_bit.h"

#include <GL/gl.h>

void world_particles_draw(PARTICLE_POOL *pool, float ms)
{
    if (!pool) return;
    const bool gl = gen_gl_ready();
    if (gl) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(-1.0, 1.0, WORLD_PARTICLE_Y_OFFSET - 1.0, WORLD_PARTICLE_Y_OFFSET + 1.0, -2.0, 2.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
    }
    particle_fx_pool_update(pool, ms);
    if (gl) {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
}
