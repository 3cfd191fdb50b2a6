// A black veil over the whole picture, for fades in and out of the game's camera moves.
#include "world/world_render.h"

#include "gen/gen_bit.h"

#include <GL/gl.h>

void world_fade(float alpha)
{
    if (!(alpha > 0.0f) || !gen_gl_ready()) return;
    if (alpha > 1.0f) alpha = 1.0f;
    // The OpenGL sink's frame: identity matrices, blending on, depth test off and restored after.
    const WORLD_SINK *gl = world_sink_gl();
    gl->begin();
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    gl->end();
}
