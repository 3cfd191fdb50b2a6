// A black veil over the whole picture, for fades in and out of the game's camera moves.
#include "world/world_render.h"

#include "gen/gen_bit.h"
#include "gen/gen_queue.h"

#include <GL/gl.h>

void world_fade(float alpha)
{
    if (!(alpha > 0.0f) || !gen_gl_ready()) return;
    if (alpha > 1.0f) alpha = 1.0f;
    GEN_VERTEX *v = gen_queue_add(GL_QUADS, 0, {0.0f, 0.0f, 0.0f, alpha}, gen_queue_blend(0, alpha, GEN_BLEND_ALPHA),
                                  GEN_SPACE_CLIP, 4);
    if (!v) return;
    const float corner[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (int i = 0; i < 4; i++) v[i] = {corner[i][0], corner[i][1], 0.0f, 1.0f, 0.0f, 0.0f};
}
