// The world renderer: the brick world or a scenery world drawn in perspective, its background,
// screen sprites and sprite texts.
#pragma once

void set_world_viewport(int bottom, int right);
void draw_background();
