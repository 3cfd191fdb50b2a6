// The editor's panels: the flat 8 x 14 grid of the level (a left click puts the palette's brick,
// a right click clears), the palette of brick kinds with their looks, the level's settings with
// the ranges of the levels file, and a line of keys and news. Drawn with the platform's panels.
#include "editor/editor_local.h"

#include "game/game.h"
#include "gen/gen_bit.h"
#include "platform/plat_panel.h"
#include "world/world.h"

#include <cstdio>

namespace {

// The panels keep to the picture's edges: the settings over the sky, the grid and the palette
// under the bricks, so that the level stays in sight between them.
constexpr float TILE = 13.0f;
constexpr float MARGIN = 4.0f;
constexpr float NEWS_HEIGHT = 40.0f;
constexpr int FIRST_ENEMY_SETTING = 6;   // the settings from the enemy type on have a panel of their own
static_assert(level_settings[FIRST_ENEMY_SETTING].key == '&');

// The OpenGL texture that holds a brick's top face in the loaded brick world, with the face's
// part of it; 0 when there is none. Faces share atlas pages: their own texture names are no
// OpenGL names, and binding one would make the driver hand out names the atlas takes for its own.
uint32_t brick_texture(int ch, float part[4])
{
    const int tile = Brick_Tile(ch);
    if (!tile || !world_tiles || !world_bitmaps || tile >= WORLD_TILES || !world_tiles[tile].defined) return 0;
    const int16_t face = world_tiles[tile].face[WORLD_FACE_UP];
    uint32_t gl_texture = 0;
    if (face < 0 || face >= WORLD_BITMAPS || !world_bitmaps[face].texture ||
        !gen_texture_place(world_bitmaps[face].texture, &gl_texture, part))
        return 0;
    return gl_texture;
}

constexpr uint32_t EMPTY_CELL = 0x202830FF;

void grid_panel(float bottom)
{
    char heading[80];
    std::snprintf(heading, sizeof heading, "%s  %d/%d%s###grid", editor.name, editor_model.level + 1,
                  editor_model.set.count, editor_model.changed ? " *" : "");
    if (plat_panel_begin(heading, MARGIN, bottom, 0.0f, 1.0f, 0.0f, 0.0f)) {
        const LEVEL_DEF &l = editor_model.set.levels[editor_model.level];
        for (int r = 0; r < EDITOR_ROWS; r++)
            for (int c = 0; c < EDITOR_COLUMNS; c++) {
                if (c) plat_panel_same_line();
                const char ch = l.rows[r][c];
                const bool brick = Level_Char_Brick(ch);
                const char caption[2] = {brick ? ch : '\0', '\0'};
                const int at = editor_model.row == r && editor_model.column == c;
                float part[4] = {};
                const uint32_t texture = brick ? brick_texture(ch, part) : 0;
                const int click = plat_panel_tile(r * EDITOR_COLUMNS + c, texture, part, EMPTY_CELL, caption, TILE, at);
                if (!click) continue;
                editor_model.row = r;
                editor_model.column = c;
                if (editor_cell_set(r, c, click == 1 ? editor.brick : ' ')) editor.view_stale = 1;
            }
    }
    plat_panel_end();
}

void palette_panel(float right, float bottom)
{
    if (plat_panel_begin(editor_text(ET_BRICKS), right - MARGIN, bottom, 1.0f, 1.0f, 0.0f, 0.0f)) {
        struct GROUP {
            int text;
            LEVEL_CHAR kind;
        };
        constexpr GROUP groups[] = {
            {ET_METAL, LEVEL_CHAR_METAL}, {ET_ONE_HIT, LEVEL_CHAR_ONE_HIT}, {ET_TWO_HITS, LEVEL_CHAR_TWO_HITS}};
        for (const GROUP &g : groups) {
            plat_panel_text(editor_text(g.text));
            int shown = 0;
            for (char ch = ' '; ch < 127; ch++) {
                if (Level_Char(ch) != g.kind) continue;
                if (shown++ % 13) plat_panel_same_line();
                const char caption[2] = {ch, 0};
                float part[4] = {};
                const uint32_t texture = brick_texture(ch, part);
                if (plat_panel_tile(1000 + ch, texture, part, EMPTY_CELL, caption, TILE, editor.brick == ch))
                    editor.brick = ch;
            }
        }
    }
    plat_panel_end();
}

// Settings first to last, on a panel at (x, top) anchored at its pivot_x.
void settings_panel(int title, int first, int last, float x, float pivot_x, float top)
{
    if (plat_panel_begin(editor_text(title), x, top, pivot_x, 0.0f, 0.0f, 0.0f)) {
        const LEVEL_DEF &l = editor_model.set.levels[editor_model.level];
        for (int s = first; s < last; s++) {
            int low, high;
            editor_setting_range(&l, s, &low, &high);
            int v = editor_setting_value(&l, s);
            const int step = high - low > 1000 ? 100 : 1;
            if (plat_panel_number(editor_text(ET_SETTING_FIRST + s), &v, low, high, step) && editor_setting_set(s, v))
                editor.view_stale = 1;
        }
    }
    plat_panel_end();
}

void news_panel(float width, float bottom)
{
    if (plat_panel_begin("###news", MARGIN, bottom - MARGIN, 0.0f, 1.0f, width - 2 * MARGIN, NEWS_HEIGHT)) {
        if (editor.asking) {
            char ask[200];
            std::snprintf(ask, sizeof ask, editor_text(ET_ASK), editor.file_name);
            plat_panel_text(ask);
            plat_panel_text(editor_text(ET_ASK_KEYS));
        } else {
            char level[64], line[400];
            std::snprintf(level, sizeof level, editor_text(ET_LEVEL), editor_model.level + 1, editor_model.set.count);
            std::snprintf(line, sizeof line, "%s %s   %s", level, editor_model.changed ? editor_text(ET_CHANGED) : "",
                          editor.message);
            plat_panel_text(editor_text(ET_KEYS));
            plat_panel_text(line);
        }
    }
    plat_panel_end();
}

} // namespace

void editor_panels()
{
    int width, height, top;
    plat_panel_area(&width, &height, &top);
    const float w = static_cast<float>(width), h = static_cast<float>(height), t = static_cast<float>(top) + MARGIN;
    news_panel(w, h);
    if (!editor.panels) return;
    const float bottom = h - NEWS_HEIGHT - 2 * MARGIN;
    grid_panel(bottom);
    palette_panel(w, bottom);
    settings_panel(ET_SETTINGS, 0, FIRST_ENEMY_SETTING, MARGIN, 0.0f, t);
    settings_panel(ET_ENEMIES, FIRST_ENEMY_SETTING, EDITOR_SETTINGS, w - MARGIN, 1.0f, t);
}
