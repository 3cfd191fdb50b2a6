// plat_panel: panels of plain widgets drawn with Dear ImGui over the picture, in the same frame as
// the window menu, for the level editor. The owner of a panel gives one function that describes
// the panels anew every frame with the widgets below; it is called while the picture is
// presented. Clicks reach the panels while the editor owns the keyboard and mouse.
#pragma once

#include <cstdint>

// Describes the panels (widgets are valid only inside it). Null: no panels.
using PLAT_PANEL_FN = void (*)();

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void plat_panel_set(PLAT_PANEL_FN fn);
int plat_panel_shown();
// Called by the menu's frame: runs the panel function.
void plat_panel_draw();

// The window's size in pixels and the height of the menu bar above the picture.
void plat_panel_area(int *width, int *height, int *top);
// A panel whose point at (pivot_x, pivot_y) of its size (0 0: top left, 1 1: bottom right) lies
// at (x, y) pixels, with its size given (0: fitted to what it holds). A title starting with "###"
// shows no title bar. 1 while its widgets are to be given; plat_panel_end closes it either way.
int plat_panel_begin(const char *title, float x, float y, float pivot_x, float pivot_y, float width, float height);
void plat_panel_end();
void plat_panel_text(const char *text);
void plat_panel_same_line();
// A square `size` pixels wide showing the part `part` (s0, t0, s1, t1) of an OpenGL texture (0:
// the flat colour `rgba`, 0xRRGGBBAA) with `caption` over it, outlined when `selected`. 1 when
// clicked with the left button, 2 with the right one, 0 otherwise. `id` tells squares of the same
// look apart.
int plat_panel_tile(int id, uint32_t texture, const float part[4], uint32_t rgba, const char *caption, float size,
                    int selected);
// A number between `low` and `high` with buttons that take `step` off and add it, and a slider;
// 1 when the player changed it (*value holds the new value).
int plat_panel_number(const char *label, int *value, int low, int high, int step);
// A button; 1 when clicked.
int plat_panel_button(const char *label);
