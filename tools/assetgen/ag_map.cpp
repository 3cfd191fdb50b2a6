// assetgen generator "map": the brick world's map "level\\brick.map" (100 x 100 cells). The play
// field is laid out as the game builds it for the first level of data\levels.txt (floor, borders,
// bricks and the floor's shadow variants), so that a world viewer shows a real level; a few
// scenery objects (beacons and crystals) stand beside the field.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_map_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// ---- types ----

constexpr int MAP_W = 100, MAP_H = 100, UNIT = 12;

using cell = AG_MAP_CELL;
using object = AG_MAP_OBJECT;

struct first_level {
    std::string rows[8];
    int floor = 1, border = 1;
};

// ---- the first level ----

// Reads the rows and the floor and border types of the first block of the levels file, with the
// same line rule as the game: a line ends at a carriage return.
bool read_first_level(const std::string &assets, first_level &lv)
{
    std::ifstream f(assets + "/data/levels.txt", std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot read %s/data/levels.txt\n", assets.c_str());
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    std::string text = ss.str(), line;
    int row = 0;
    for (size_t i = 0; i <= text.size(); i++) {
        if (i < text.size() && text[i] != '\r') {
            if (static_cast<unsigned char>(text[i]) >= 32) line += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\n') i++;
        if (!line.empty()) {
            char key = line[0];
            std::string value = line.substr(1);
            if (key == '!' && row < 8) lv.rows[row++] = value;
            if (key == '#') lv.floor = std::atoi(value.c_str());
            if (key == '$') lv.border = std::atoi(value.c_str());
            if (key == '}') break;
        }
        line.clear();
    }
    return row > 0 && lv.floor >= 1 && lv.floor <= 4 && lv.border >= 1 && lv.border <= 4;
}

int brick_tile(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0' + 1;
    if (ch >= 'A' && ch <= 'Z') return ch - 'A' + 20;
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 50;
    return 0;
}

// ---- building the cells ----

void set_altitude(cell &c, int16_t alt)
{
    for (int i = 0; i < 4; i++) {
        c.up[i] = alt;
        c.down[i] = static_cast<int16_t>(alt - 6);
    }
}

std::vector<cell> build_cells(const first_level &lv)
{
    std::vector<cell> cells(MAP_W * MAP_H);
    auto at = [&](int r, int c) -> cell & { return cells[static_cast<size_t>(r) * MAP_W + c]; };
    const int F = (lv.floor + 9) * 10, B = (lv.border + 13) * 10;
    for (int r = 0; r < MAP_H; r++)
        for (int c = 0; c < MAP_W; c++) set_altitude(at(r, c), -20);
    for (int r = 4; r <= 18; r++)
        for (int c = 2; c <= 17; c++) {
            cell &x = at(r, c);
            x.tile = static_cast<int16_t>(F);
            if (r >= 5 && r <= 12 && c >= 3 && c <= 16) {
                const std::string &row = lv.rows[r - 5];
                char ch = c - 3 < static_cast<int>(row.size()) ? row[c - 3] : ' ';
                int t = brick_tile(ch);
                if (t) {
                    x.tile = static_cast<int16_t>(t);
                    set_altitude(x, -14);
                }
            }
            if (c == 2 || c == 17 || r == 4) {
                x.tile = static_cast<int16_t>(r == 4 ? B + 2 : c == 2 ? B : B + 1);
                set_altitude(x, -14);
            }
        }
    for (int r = 0; r < MAP_H; r++)
        for (int c = 0; c < MAP_W; c++) at(r, c).light = static_cast<int8_t>(std::min(r + 5, 15));
    // Floor shadow variants from the raised left, lower-left and lower neighbours.
    auto raised = [&](int r, int c) { return r >= 0 && c >= 0 && r < MAP_H && c < MAP_W && at(r, c).up[0] != -20; };
    for (int r = 4; r < MAP_H - 1; r++)
        for (int c = 2; c < MAP_W; c++) {
            cell &x = at(r, c);
            if (x.tile == 0 || x.up[0] != -20) continue;
            bool left = raised(r, c - 1), lower_left = raised(r + 1, c - 1), lower = raised(r + 1, c);
            int v = !left ? (!lower_left ? (lower ? 1 : 0) : (lower ? 2 : 3)) : (!lower_left ? 5 : (lower ? 6 : 4));
            x.tile = static_cast<int16_t>(F + v);
        }
    return cells;
}

int gen_map(const std::string &assets, const std::string &out)
{
    first_level lv;
    if (!read_first_level(assets, lv)) {
        std::fprintf(stderr, "assetgen: no usable first level in data/levels.txt\n");
        return 1;
    }
    std::vector<cell> cells = build_cells(lv);
    // Scenery objects: beacons on both sides of the field and crystals behind the top border.
    std::vector<object> objects = {{0, 0, 0, 0}};
    for (double z : {54.0, 102.0, 150.0}) {
        objects.push_back({10, 18.0, -20.0, z});
        objects.push_back({10, 222.0, -20.0, z});
    }
    objects.push_back({11, 66.0, -14.0, 42.0});
    objects.push_back({11, 174.0, -14.0, 42.0});

    return ag_write_file(out, "level\\brick.map", ag_map_bytes(UNIT, MAP_H, MAP_W, cells, objects));
}

} // namespace

AG_GENERATOR("map", gen_map);
