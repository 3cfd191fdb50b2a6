// World renderer. Perspective drawing arrives with the renderer work; until then nothing is
// drawn and the viewport is only remembered.
#include "world/world_render.h"

namespace {

int world_view_bottom, world_view_right;

} // namespace

void set_world_viewport(int bottom, int right)
{
    world_view_bottom = bottom;
    world_view_right = right;
}

void draw_background()
{
}
