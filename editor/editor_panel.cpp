// The editor's panels: the flat 8 x 14 grid of the level (a left click puts the palette's brick,
// a right click clears), the palette of brick kinds with their looks, the level's settings with
// the ranges of the levels file, and a line of keys and news. Drawn with the platform's panels.
#include "editor/editor_local.h"

#include "game/game.h"
#include "platform/plat_panel.h"
#include "world/world.h"

#include <cstdio>

namespace {

constexpr float TILE = 16.0f;
constexpr float MARGIN = 4.0f;
constexpr float GRID_WIDTH = EDITOR_COLUMNS * (TILE + 2.0f) + 18.0f;
constexpr float SETTINGS_WIDTH = 250.0f;

// The texture of a brick's top face in the loaded brick world, 0 when there is none.
uint32_t brick_texture(int ch)
{
    const int tile = Brick_Tile(ch);
    if (!tile || !world_tiles || !world_bitmaps || tile >= WORLD_TILES || !world_tiles[tile].defined) return 0;
    const int16_t face = world_tiles[tile].face[WORLD_FACE_UP];
    return face >= 0 && face < WORLD_BITMAPS ? world_bitmaps[face].texture : 0;
}

constexpr uint32_t EMPTY_CELL = 0x202830FF;

void grid_panel(float top)
{
    char title[128];
    std::snprintf(title, sizeof title, editor_text(ET_LEVEL), editor_model.level + 1, editor_model.set.count);
    char heading[200];
    std::snprintf(heading, sizeof heading, "%s  %s %s###grid", editor.name, title,
                  editor_model.changed ? editor_text(ET_CHANGED) : "");
    if (plat_panel_begin(heading, MARGIN, top, GRID_WIDTH, 0.0f)) {
        const LEVEL_DEF &l = editor_model.set.levels[editor_model.level];
        for (int r = 0; r < EDITOR_ROWS; r++)
            for (int c = 0; c < EDITOR_COLUMNS; c++) {
                if (c) plat_panel_same_line();
                const char ch = l.rows[r][c];
                const bool brick = ch != ' ' && ch != '.';
                const char caption[2] = {brick ? ch : '\0', '\0'};
                const int at = editor_model.row == r && editor_model.column == c;
                const int click = plat_panel_tile(r * EDITOR_COLUMNS + c, brick ? brick_texture(ch) : 0, EMPTY_CELL,
                                                  caption, TILE, at);
                if (!click) continue;
                editor_model.row = r;
                editor_model.column = c;
                if (editor_cell_set(r, c, click == 1 ? editor.brick : ' ')) editor.view_stale = 1;
            }
    }
    plat_panel_end();
}

void palette_panel(float top)
{
    if (plat_panel_begin(editor_text(ET_BRICKS), MARGIN, top, GRID_WIDTH, 0.0f)) {
        struct GROUP {
            int text;
            char first, last;
        };
        constexpr GROUP groups[] = {{ET_METAL, '0', '9'}, {ET_ONE_HIT, 'A', 'Z'}, {ET_TWO_HITS, 'a', 'z'}};
        for (const GROUP &g : groups) {
            plat_panel_text(editor_text(g.text));
            for (char ch = g.first; ch <= g.last; ch++) {
                if ((ch - g.first) % 13) plat_panel_same_line();
                const char caption[2] = {ch, 0};
                if (plat_panel_tile(1000 + ch, brick_texture(ch), EMPTY_CELL, caption, TILE, editor.brick == ch))
                    editor.brick = ch;
            }
        }
    }
    plat_panel_end();
}

void settings_panel(float right, float top)
{
    if (plat_panel_begin(editor_text(ET_SETTINGS), right - SETTINGS_WIDTH - MARGIN, top, SETTINGS_WIDTH, 0.0f)) {
        const LEVEL_DEF &l = editor_model.set.levels[editor_model.level];
        for (int s = 0; s < EDITOR_SETTINGS; s++) {
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
    if (plat_panel_begin("###news", MARGIN, bottom - 44.0f, width - 2 * MARGIN, 40.0f)) {
        if (editor.asking) {
            char ask[200];
            std::snprintf(ask, sizeof ask, editor_text(ET_ASK), editor.file_name);
            plat_panel_text(ask);
            plat_panel_text(editor_text(ET_ASK_KEYS));
        } else {
            plat_panel_text(editor_text(ET_KEYS));
            plat_panel_text(editor.message);
        }
    }
    plat_panel_end();
}

} // namespace

void editor_panels()
{
    int width, height, top;
    plat_panel_area(&width, &height, &top);
    news_panel(static_cast<float>(width), static_cast<float>(height));
    if (!editor.panels) return;
    const float grid_top = static_cast<float>(top) + MARGIN;
    grid_panel(grid_top);
    palette_panel(grid_top + EDITOR_ROWS * (TILE + 4.0f) + 40.0f);
    settings_panel(static_cast<float>(width), grid_top);
}
