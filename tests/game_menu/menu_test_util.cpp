// The recorded calls of the game's drawing, music and fatal errors (see menu_test_util.h).
#include "menu_test_util.h"

#include "world/world_render.h"

#include <cstdio>

namespace menu_test {
std::vector<DRAWN> drawn;
std::vector<std::string> music_played;
std::vector<int> effects_played;
} // namespace menu_test

using namespace menu_test;

void draw_sprite_text(const char *text, double x, double y, int tint, int light, int transparency, double height,
                      double width, double advance)
{
    drawn.push_back({text, x, y, tint, transparency, height, width, advance, light});
}

void draw_screen_sprite(int sprite, double x, double y, int tint, int light, int transparency, double height,
                        double width, int, int)
{
    drawn.push_back({"#" + std::to_string(sprite), x, y, tint, transparency, height, width, 0, light});
}

void Game_Music_Play(const char *name)
{
    music_played.push_back(name);
}

