// The brick map: building a level's bricks, floor and borders into the brick world, the floor
// variants that shade the floor beside raised cells, and what a hit does to a brick.
#include "game/game_local.h"
#include "game/game_difficulty.h"
#include "game/game_error.h"
#include "game/game_levels.h"
#include "game/game_play.h"
#include "game/game_random.h"

#include "world/world.h"

#include <cmath>

namespace {

constexpr int16_t FLOOR_HEIGHT = -20;
constexpr int16_t BRICK_HEIGHT = -14;
constexpr int BORDER_TILES = 140;

int floor_tile()
{
    return (Levels_Played().level[Game_Level_Index()].floor_type + 9) * 10;
}

int border_tile()
{
    return (Levels_Played().level[Game_Level_Index()].border_type + 13) * 10;
}

WORLD_CELL *cell_rc(int r, int c)
{
    return world_cell_at(r, c);
}

void set_altitude(WORLD_CELL *cell, int16_t h)
{
    for (int16_t &u : cell->up)
        u = h;
}

int raised(int r, int c)
{
    const WORLD_CELL *cell = cell_rc(r, c);
    return cell && cell->up[0] != FLOOR_HEIGHT;
}

int tile_defined(int tile)
{
    if (tile > 0 && tile < WORLD_TILES && world_tiles && world_tiles[tile].defined) return 1;
    Game_Error("Tile %i is not defined", tile);
    return 0;
}

int set_tile(WORLD_CELL *cell, int tile, int16_t h)
{
    if (!tile_defined(tile)) return 0;
    cell->tile = static_cast<int16_t>(tile);
    set_altitude(cell, h);
    return 1;
}

} // namespace

int Brick_Tile(int ch)
{
    switch (Level_Char(ch)) {
    case LEVEL_CHAR_METAL: return ch - '0' + 1;
    case LEVEL_CHAR_ONE_HIT: return ch - 'A' + 20;
    case LEVEL_CHAR_TWO_HITS: return ch - 'a' + 50;
    default: return 0;
    }
}

int Game_Level_Index()
{
    return game.level < 0 ? 0 : game.level >= LEVELS_MAX ? LEVELS_MAX - 1 : game.level;
}

int Game_Cell_Index(double x, double z)
{
    if (!world_cells || !(x >= 0.0) || !(z >= 0.0)) return -1;
    double c = std::floor(x / GAME_TILE), r = std::floor(z / GAME_TILE);
    if (c >= world_param.width || r >= world_param.depth) return -1;
    return static_cast<int>(r) * world_param.width + static_cast<int>(c);
}

int Floor_Variant(int left, int lower_left, int lower)
{
    if (!left) return lower_left ? (lower ? 2 : 3) : (lower ? 1 : 0);
    if (!lower_left) return 5;
    return lower ? 6 : 4;
}

void Floor_Variants_Update()
{
    if (!world_cells) return;
    const int f = floor_tile();
    for (int r = 4; r <= world_param.depth - 2; r++)
        for (int c = 2; c < world_param.width; c++) {
            WORLD_CELL *cell = cell_rc(r, c);
            if (!cell || cell->tile == 0 || cell->up[0] != FLOOR_HEIGHT) continue;
            cell->tile =
                static_cast<int16_t>(f + Floor_Variant(raised(r, c - 1), raised(r + 1, c - 1), raised(r + 1, c)));
        }
}

void Level_Build_Bricks()
{
    if (game.rebuild == REBUILD_NONE || !world_cells) return;
    const bool full = game.rebuild == REBUILD_FULL;
    game.rebuild = REBUILD_NONE;
    const int f = floor_tile(), b = border_tile();
    const int level = Game_Level_Index();
    for (int r = 0; r < world_param.depth; r++)
        for (int c = 0; c < world_param.width; c++) {
            WORLD_CELL *cell = cell_rc(r, c);
            bool reset = full || cell->up[0] == FLOOR_HEIGHT;
            if (reset) {
                cell->tile = 0;
                set_altitude(cell, FLOOR_HEIGHT);
            }
            if (r >= 4 && r <= 18 && c >= 2 && c <= 17) {
                if (pref_floor && reset && !set_tile(cell, f, FLOOR_HEIGHT)) return;
                if (full && r >= 5 && r <= 12 && c >= 3 && c <= 16) {
                    const char *row = Levels_Played().level[level].rows[r - 5];
                    int kind = row ? Brick_Tile(row[c - 3]) : 0;
                    if (kind && !set_tile(cell, kind, BRICK_HEIGHT)) return;
                }
                if (c == 2 && !set_tile(cell, b, BRICK_HEIGHT)) return;
                if (c == 17 && !set_tile(cell, b + 1, BRICK_HEIGHT)) return;
                if (r == 4 && !set_tile(cell, b + 2, BRICK_HEIGHT)) return;
            }
            for (int i = 0; i < 4; i++)
                cell->down[i] = static_cast<int16_t>(cell->up[i] - 6);
            cell->tint = 0;
            cell->light = static_cast<int8_t>(r + 5 > 127 ? 127 : r + 5);
        }
    // A floor switched on during a level is shaded beside the bricks at once, as a full build
    // shades it, not only after the next brick breaks.
    Floor_Variants_Update();
}

int Brick_Hit(int index, int damaging)
{
    if (!world_cells || index < 0 || index >= world_param.width * world_param.depth) return 0;
    WORLD_CELL *cell = &world_cells[index];
    if (cell->up[0] < -19) return 0;
    if (cell->tile >= BORDER_TILES) return 1;
    int tile = cell->tile, damage = 0, points = 1, effect = 13;
    if (damaging && tile >= 20 && tile <= 45) damage = 6, points = 25, effect = 14;
    if (damaging && tile >= 50 && tile <= 75) damage = 3, points = 30, effect = 15;
    game.score += points;
    Game_Effect(effect);
    for (int16_t &u : cell->up)
        u = static_cast<int16_t>(u - damage);
    if (cell->up[0] < -19) {
        if (pref_floor) {
            cell->tile = static_cast<int16_t>(floor_tile());
            Floor_Variants_Update();
        } else {
            cell->tile = 0;
        }
        if (Game_Random() % 100 < Difficulty_Bonus(Levels_Played().level[Game_Level_Index()].bonus_percentage)) Bonus_Drop(index);
        int row = index / world_param.width, column = index % world_param.width;
        Game_Particles_At(2, column * GAME_TILE + 6.0, -7.0, row * GAME_TILE + 6.0);
    }
    return 1;
}

int Brick_Probe(double x, double z, double dx, double dz, int damaging)
{
    for (int i = 0; i < 3; i++)
        if (Brick_Hit(Game_Cell_Index(x + i * dx, z + i * dz), damaging)) return 1;
    return 0;
}

int Game_Bricks_Count(int metal)
{
    const int lowest = metal ? 1 : 11;   // tiles 1-10 are the indestructible metal bricks
    int n = 0;
    for (int r = 5; r <= 18; r++)
        for (int c = 3; c <= 16; c++) {
            const WORLD_CELL *cell = cell_rc(r, c);
            if (cell && cell->up[0] >= -19 && cell->tile >= lowest && cell->tile < BORDER_TILES) n++;
        }
    return n;
}
