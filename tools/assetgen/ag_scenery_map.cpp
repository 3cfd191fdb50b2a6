// assetgen generator "scenery_maps": the two scenery worlds of the attract sequence, maps and
// definitions: "level\\station.map" and "level\\garden.map" (40 columns x 100 rows of 12 units
// each; the attract sequence flies the camera from the near end down the middle), and
// "level\\station.def" and "level\\garden.def": the hand-written recipes of assets/scenery with
// every sprite bitmap and sprite of the brick world put in ahead of the scenery's own sprites
// (the game keeps its objects and draws its texts in whatever world is loaded).
//
// The station: a long deck with a runway of chasing lamps, cross arms every twelve rows that end
// in lit towers, solar wings tilted toward the viewer on see-through girders, beacons along the
// deck and satellites turning beside it, all above a planet.
// The garden: floating islands of gently rolling grass (every corner of every cell follows one
// height field), flower meadows, stone paths, ponds that spill over the edge as waterfalls, plank
// bridges from island to island, trees and butterflies, above a sea of clouds.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"
#include "tools/assetgen/ag_map_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// ---- types ----

constexpr int W = 40, D = 100, UNIT = 12;

using cell = AG_MAP_CELL;
using object = AG_MAP_OBJECT;

struct world {
    std::vector<cell> cells = std::vector<cell>(W * D);
    std::vector<object> objects = {{0, 0, 0, 0}};
    cell &at(int row, int col) { return cells[static_cast<size_t>(row) * W + col]; }
    bool inside(int row, int col) const { return row >= 0 && row < D && col >= 0 && col < W; }
};

void block(cell &c, int16_t tile, int up, int thickness)
{
    c.tile = tile;
    for (int i = 0; i < 4; i++) {
        c.up[i] = static_cast<int16_t>(up);
        c.down[i] = static_cast<int16_t>(up - thickness);
    }
}

// ---- the station ----

enum : int16_t { ST_DECK = 1, ST_LAMPS = 2, ST_TOWER = 3, ST_SOLAR = 4, ST_TRUSS = 6 };
enum : int16_t { SP_BEACON = 10, SP_SATELLITE = 160 };
constexpr int DECK = -20;

world station()
{
    world w;
    for (int r = 2; r < D - 1; r++)
        for (int c = 16; c <= 23; c++) block(w.at(r, c), c == 18 || c == 21 ? ST_LAMPS : ST_DECK, DECK, 6);
    for (int arm = 0; arm < 8; arm++) {
        int r0 = 6 + arm * 12;
        bool right_tower = arm % 2 == 0;
        for (int r = r0; r <= r0 + 1; r++)
            for (int c = 8; c <= 31; c++)
                if (c < 16 || c > 23) block(w.at(r, c), ST_DECK, DECK, 6);
        // A tower at each end, one taller than the other, alternating side to side.
        for (int side = 0; side < 2; side++) {
            int c0 = side ? 30 : 6, height = (side == right_tower ? 48 : 24) + (arm * 7) % 12;
            for (int r = r0 - 1; r <= r0 + 2; r++)
                for (int c = c0; c < c0 + 4; c++) block(w.at(r, c), ST_TOWER, DECK + height, height + 6);
            w.objects.push_back({SP_BEACON, (c0 + 2) * UNIT + 0.0, DECK + height + 0.0, (r0 + 1) * UNIT + 0.0});
        }
        // Solar wings between this arm and the next, tilted toward the near end, on girders.
        if (arm < 7)
            for (int r = r0 + 3; r <= r0 + 10; r++)
                for (int c = 10; c <= 29; c++) {
                    if (c >= 14 && c <= 25) {
                        if ((c == 14 || c == 15 || c == 24 || c == 25) && (r - r0) % 4 == 1) block(w.at(r, c), ST_TRUSS, DECK - 2, 4);
                        continue;
                    }
                    cell &x = w.at(r, c);
                    x.tile = ST_SOLAR;
                    int far = DECK - 2, near_alt = DECK - 7;
                    x.up[1] = x.up[3] = static_cast<int16_t>(far);
                    x.up[0] = x.up[2] = static_cast<int16_t>(near_alt);
                    for (int i = 0; i < 4; i++) x.down[i] = static_cast<int16_t>(x.up[i] - 2);
                }
    }
    // Beacons along the deck edges, satellites turning above the wings.
    for (int r = 4; r < D - 2; r += 8) {
        w.objects.push_back({SP_BEACON, 16 * UNIT + 2.0, DECK + 0.0, r * UNIT + 6.0});
        w.objects.push_back({SP_BEACON, 24 * UNIT - 2.0, DECK + 0.0, r * UNIT + 6.0});
    }
    for (int k = 0; k < 6; k++)
        w.objects.push_back({SP_SATELLITE, (k % 2 ? 28.0 : 11.0) * UNIT, 14.0 + (k * 9) % 20, (14 + k * 14) * UNIT + 0.0});
    // Light: the deck and towers glow in full, the wings sit a little in the planet's shade.
    for (cell &c : w.cells) c.light = static_cast<int8_t>(c.tile == ST_SOLAR || c.tile == ST_TRUSS ? 12 : 15);
    return w;
}

// ---- the garden ----

enum : int16_t { GD_GRASS = 1, GD_FLOWERS = 2, GD_PATH = 3, GD_POND = 4, GD_FALL = 5, GD_BRIDGE = 6 };
enum : int16_t { SP_TREE = 170, SP_BUTTERFLY = 171, SP_WISP = 13 };

struct island {
    float col, row, radius, top;
};

const island ISLANDS[] = {
    {20, 90, 8.5f, -20}, {9, 74, 7, -8},   {30, 68, 7.5f, -26}, {19, 54, 9, -14},
    {8, 38, 6.5f, -2},   {31, 34, 8, -18}, {19, 18, 9.5f, -10}, {7, 8, 6, -24},
};

// Height of the ground at a corner (col, row), or nothing when no island covers it: each island a
// low dome with soft hills on it.
bool ground(float col, float row, int &altitude, int *which = nullptr)
{
    for (int i = 0; i < static_cast<int>(std::size(ISLANDS)); i++) {
        const island &is = ISLANDS[i];
        float d = std::hypot(col - is.col, (row - is.row) * 1.15f) / is.radius;
        float edge = 0.85f + 0.25f * ag_noise(col / 2.5f, row / 2.5f, 500 + i);
        if (d < edge) {
            float hills = 5 * ag_fbm(col / 4, row / 4, 3, 510 + i);
            altitude = static_cast<int>(std::lround(is.top + 6 * (1 - d * d) + hills));
            if (which) *which = i;
            return true;
        }
    }
    return false;
}

world garden()
{
    world w;
    for (int r = 0; r < D; r++)
        for (int c = 0; c < W; c++) {
            // A cell is ground when all four of its corners are.
            const float corner_col[4] = {0, 0, 1, 1}, corner_row[4] = {1, 0, 1, 0};
            int alt[4], which = -1;
            bool all = true;
            for (int k = 0; k < 4 && all; k++) all = ground(c + corner_col[k], r + corner_row[k], alt[k], k == 0 ? &which : nullptr);
            if (!all) continue;
            const island &is = ISLANDS[which];
            float d = std::hypot(c + 0.5f - is.col, (r + 0.5f - is.row) * 1.15f) / is.radius;
            cell &x = w.at(r, c);
            uint32_t h = ag_hash(c, r, 520);
            x.tile = ag_noise(c / 3.0f, r / 3.0f, 521) > 0.62f ? GD_FLOWERS : GD_GRASS;
            // Rock reaches deeper toward the island's middle, ragged at the rim.
            int depth = static_cast<int>(14 + 70 * (1 - d) + h % 9);
            for (int k = 0; k < 4; k++) {
                x.up[k] = static_cast<int16_t>(alt[k]);
                x.down[k] = static_cast<int16_t>(alt[k] - depth);
            }
        }
    // A stone path across each island along the flight, and a pond on every other one.
    for (int i = 0; i < static_cast<int>(std::size(ISLANDS)); i++) {
        const island &is = ISLANDS[i];
        int pc = static_cast<int>(is.col), pr = static_cast<int>(is.row);
        for (int r = pr - 6; r <= pr + 6; r++) {
            int c = pc + static_cast<int>(std::lround(1.5 * std::sin(r * 0.6)));
            if (w.inside(r, c) && w.at(r, c).tile) w.at(r, c).tile = GD_PATH;
        }
        if (i % 2 == 0) {
            int level = static_cast<int>(is.top) + 3;
            for (int r = pr - 2; r <= pr + 1; r++)
                for (int c = pc + 2; c <= pc + 4; c++)
                    if (w.inside(r, c) && w.at(r, c).tile) {
                        cell &x = w.at(r, c);
                        x.tile = GD_POND;
                        for (int k = 0; k < 4; k++) {
                            x.down[k] = static_cast<int16_t>(x.down[k] - (x.up[k] - level));
                            x.up[k] = static_cast<int16_t>(level);
                        }
                    }
            // The pond spills over the island's near edge.
            int c = pc + 3;
            for (int r = pr + 2; r < D && w.inside(r, c) && w.at(r, c).tile; r++) {
                cell &x = w.at(r, c);
                x.tile = GD_FALL;
                bool rim = r + 1 >= D || !w.at(r + 1, c).tile;
                for (int k = 0; k < 4; k++) {
                    x.up[k] = static_cast<int16_t>(level);
                    x.down[k] = static_cast<int16_t>(rim ? level - 190 : x.down[k]);
                }
            }
        }
    }
    // Plank bridges from each island to the next one up the flight.
    for (int i = 0; i + 1 < static_cast<int>(std::size(ISLANDS)); i++) {
        const island &a = ISLANDS[i], &b = ISLANDS[i + 1];
        int steps = static_cast<int>(std::lround(std::hypot(b.col - a.col, b.row - a.row) * 2));
        for (int s = 0; s <= steps; s++) {
            float t = static_cast<float>(s) / steps;
            int c = static_cast<int>(std::lround(a.col + (b.col - a.col) * t)), r = static_cast<int>(std::lround(a.row + (b.row - a.row) * t));
            if (!w.inside(r, c) || w.at(r, c).tile) continue;
            block(w.at(r, c), GD_BRIDGE, static_cast<int>(std::lround(a.top + (b.top - a.top) * t)) + 4, 2);
            if (s % 6 == 3) w.objects.push_back({SP_WISP, c * UNIT + 6.0, a.top + (b.top - a.top) * t + 12, r * UNIT + 6.0});
        }
    }
    // Trees and resting butterflies where the grass grows.
    for (int r = 0; r < D; r++)
        for (int c = 0; c < W; c++) {
            const cell &x = w.at(r, c);
            uint32_t h = ag_hash(c, r, 530);
            double y = (x.up[0] + x.up[1] + x.up[2] + x.up[3]) / 4.0;
            if (x.tile == GD_GRASS && h % 13 == 0) w.objects.push_back({SP_TREE, c * UNIT + 6.0, y, r * UNIT + 6.0});
            else if (x.tile == GD_FLOWERS && h % 5 == 0) w.objects.push_back({SP_BUTTERFLY, c * UNIT + 6.0, y + 3, r * UNIT + 6.0});
        }
    return w;
}

// ---- definitions ----

std::vector<std::string> read_lines(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(ss, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The recipe with the brick world's sprite lines inserted before its own, with CR LF line ends.
int write_def(const std::string &assets, const std::string &out, const std::string &name)
{
    std::vector<std::string> recipe = read_lines(assets + "/scenery/" + name + ".def"), brick = read_lines(assets + "/level/brick.def");
    const std::string marker = "; Sprite bitmaps and sprites of the scenery's own";
    std::string text;
    bool inserted = false;
    for (const std::string &line : recipe) {
        if (!inserted && line.compare(0, marker.size(), marker) == 0) {
            text += "; Sprite bitmaps and sprites of the brick world\r\n";
            for (const char *kinds : {"]^", "&"})
                for (const std::string &b : brick)
                    if (!b.empty() && std::strchr(kinds, b[0])) text += b + "\r\n";
            inserted = true;
        }
        text += line + "\r\n";
    }
    if (!inserted || brick.empty()) {
        std::fprintf(stderr, "assetgen: scenery/%s.def has no sprite section, or level/brick.def is missing\n", name.c_str());
        return 1;
    }
    return ag_write_file(out, "level\\" + name + ".def", std::vector<uint8_t>(text.begin(), text.end()));
}

int gen_scenery_maps(const std::string &assets, const std::string &out)
{
    const world s = station(), g = garden();
    return ag_write_file(out, "level\\station.map", ag_map_bytes(UNIT, D, W, s.cells, s.objects)) |
           ag_write_file(out, "level\\garden.map", ag_map_bytes(UNIT, D, W, g.cells, g.objects)) |
           write_def(assets, out, "station") | write_def(assets, out, "garden");
}

} // namespace

AG_GENERATOR("scenery_maps", gen_scenery_maps);
