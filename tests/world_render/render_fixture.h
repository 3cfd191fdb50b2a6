// Shared by the renderer and particle tests: a world built in memory, geometry captured from the
// sink, flat-coloured test textures and golden pictures (PNGs under tests/world_render/golden/).
// Regenerate the goldens after a deliberate change by running the test executables with
// VM_GOLDEN_UPDATE=1 SDL_VIDEODRIVER=offscreen, and look at the new files before keeping them.
#pragma once

#include "gen/gen_bit.h"
#include "gen/gen_wrap.h"
#include "world/world.h"
#include "world/world_render.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace render_test {

// An a x b world of empty cells of size c at full light; the world's tables point here.
struct TestWorld {
    std::vector<WORLD_CELL> cells;
    std::vector<WORLD_CELL_LIST> lists;
    std::vector<WORLD_TILE> tiles = std::vector<WORLD_TILE>(WORLD_TILES);
    std::vector<WORLD_BITMAP> bitmaps = std::vector<WORLD_BITMAP>(WORLD_BITMAPS);
    std::vector<WORLD_SPRITE_BITMAP> sprite_bitmaps = std::vector<WORLD_SPRITE_BITMAP>(WORLD_SPRITE_BITMAPS);
    std::vector<WORLD_SPRITE> sprites = std::vector<WORLD_SPRITE>(WORLD_SPRITES);
    std::vector<WORLD_OBJECT> objects = std::vector<WORLD_OBJECT>(WORLD_OBJECTS);

    TestWorld(int a, int b, int c) : cells(size_t(a) * b), lists(size_t(a) * b)
    {
        world_params_reset();
        world_param.width = a, world_param.depth = b, world_param.cell = c, world_param.distance = 0;
        world_param.floor_unit = world_param.wall_width = world_param.wall_height = 32;
        for (WORLD_CELL &cell : cells) cell.light = 15;
        set(cells.data(), lists.data(), tiles.data(), bitmaps.data(), sprite_bitmaps.data(), sprites.data(), objects.data());
    }
    ~TestWorld() { set(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); }
    static void set(WORLD_CELL *c, WORLD_CELL_LIST *l, WORLD_TILE *t, WORLD_BITMAP *b, WORLD_SPRITE_BITMAP *sb,
                    WORLD_SPRITE *s, WORLD_OBJECT *o)
    {
        world_cells = c, tiles_obj = l, world_tiles = t, world_bitmaps = b, world_sprite_bitmaps = sb;
        world_sprites = s, world_objects = o, world_max_object = 0;
    }
    WORLD_CELL &at(int row, int col) { return cells[size_t(row) * world_param.width + col]; }

    // Tile n with the given face bitmaps (name order 1..6 of the % line; -1 = not drawn).
    void tile(int n, int up, int down, int near, int left, int right, int back)
    {
        WORLD_TILE &t = tiles[n];
        t.defined = 1;
        t.face[WORLD_FACE_UP] = up, t.face[WORLD_FACE_DOWN] = down, t.face[WORLD_FACE_BACK] = back;
        t.face[WORLD_FACE_NEAR] = near, t.face[WORLD_FACE_LEFT] = left, t.face[WORLD_FACE_RIGHT] = right;
    }
    // A block: tile, up altitude, down altitude on all four corners.
    void block(int row, int col, int tile_number, int up, int down)
    {
        WORLD_CELL &c = at(row, col);
        c.tile = tile_number;
        for (int i = 0; i < 4; i++) c.up[i] = up, c.down[i] = down;
    }
    // An object showing sprite bitmap `bitmap`, listed in the cells its width covers.
    int object(int bitmap, double x, double y, double z, int width, int height)
    {
        int n = ++world_max_object;
        WORLD_OBJECT &o = objects[n] = WORLD_OBJECT{};
        o.sprite_bitmap = bitmap, o.width = width, o.height = height, o.light = 15;
        o.x = x, o.y = y, o.z = z;
        int c = world_param.cell, row = int(z / c);
        for (int col = int((x - width / 2.0) / c); col <= int((x + width / 2.0) / c); col++)
            if (row >= 0 && row < world_param.depth && col >= 0 && col < world_param.width) {
                WORLD_CELL_LIST &l = lists[size_t(row) * world_param.width + col];
                if (l.count < WORLD_CELL_OBJECTS) l.object[l.count++] = n;
            }
        return n;
    }
};

// Geometry captured instead of drawn.
struct Polygon {
    uint32_t texture;
    std::vector<WORLD_VERTEX> v;
    uint32_t code;
    float alpha;
    int flags;
};

inline std::vector<Polygon> captured;
// Flat polygons go with the others, texture 0, their colour's alpha as alpha and its RGB in flat.
inline std::vector<std::array<float, 3>> captured_flat;
inline int captured_lines, captured_points;
inline constexpr WORLD_SINK capture_sink = {
    [] {}, [] {},
    [](uint32_t texture, const WORLD_VERTEX *v, int count, uint32_t code, float alpha, int flags) {
        captured.push_back({texture, std::vector<WORLD_VERTEX>(v, v + count), code, alpha, flags});
    },
    [](float, float, float, float) { captured_lines++; }, [](const float *, int count) { captured_points += count; },
    [](const WORLD_VERTEX *v, int count, const float rgba[4]) {
        captured.push_back({0, std::vector<WORLD_VERTEX>(v, v + count), 0, rgba[3], 0});
        captured_flat.push_back({rgba[0], rgba[1], rgba[2]});
    }};

// Starts capturing (clears what was captured before).
inline void capture_start()
{
    captured.clear();
    captured_flat.clear();
    captured_lines = captured_points = 0;
    world_sink_set(&capture_sink);
}

// A size x size texture of colour `rgb` with a darker frame and a white mark in the top-left
// quarter, so that orientation and mirroring show.
inline uint32_t test_texture(uint32_t rgb, int size = 16)
{
    std::vector<uint8_t> px;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            uint32_t c = x == 0 || y == 0 || x == size - 1 || y == size - 1 ? (rgb >> 1) & 0x7F7F7F
                         : x < size / 2 && y < size / 4                    ? 0xFFFFFF
                                                                           : rgb;
            px.insert(px.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
        }
    uint32_t name = 0;
    EXPECT_EQ(gen_texture_create(px.data(), size, size, GEN_FILTER_NEAREST, &name), 1);
    return name;
}

inline std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
inline uint32_t get32(const std::string &s, size_t at)
{
    return uint32_t(uint8_t(s[at])) << 24 | uint8_t(s[at + 1]) << 16 | uint8_t(s[at + 2]) << 8 | uint8_t(s[at + 3]);
}

// Writes RGB rows as a PNG (one IDAT, filter 0 on every row).
inline bool png_save(const std::string &path, const std::vector<uint8_t> &rgb, int w, int h)
{
    std::string raw;
    for (int y = 0; y < h; y++) raw.append(1, '\0').append((const char *)&rgb[size_t(y) * w * 3], size_t(w) * 3);
    std::vector<Bytef> packed(compressBound(raw.size()));
    uLongf size = packed.size();
    compress2(packed.data(), &size, (const Bytef *)raw.data(), raw.size(), 9);
    std::string png = "\x89PNG\r\n\x1a\n";
    auto chunk = [&](const char *type, const std::string &data) {
        std::string body = type + data;
        png += be32(data.size()) + body + be32(crc32(0, (const Bytef *)body.data(), body.size()));
    };
    chunk("IHDR", be32(w) + be32(h) + std::string("\x08\x02\x00\x00\x00", 5));
    chunk("IDAT", std::string((const char *)packed.data(), size));
    chunk("IEND", "");
    std::ofstream f(path, std::ios::binary);
    return bool(f << png) && bool(f.flush());
}

// Reads a PNG written by png_save. Empty when absent or not of that kind.
inline std::vector<uint8_t> png_load(const std::string &path, int *w, int *h)
{
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string s = ss.str();
    if (s.size() < 33 || s.compare(12, 4, "IHDR") != 0) return {};
    *w = get32(s, 16), *h = get32(s, 20);
    std::string idat;
    for (size_t at = 8, len; at + 12 <= s.size(); at += 12 + len) {
        len = get32(s, at);
        if (at + 12 + len > s.size()) return {};
        if (s.compare(at + 4, 4, "IDAT") == 0) idat.append(s, at + 8, len);
    }
    std::vector<uint8_t> raw(size_t(*w) * *h * 3 + *h), rgb;
    uLongf size = raw.size();
    if (uncompress(raw.data(), &size, (const Bytef *)idat.data(), idat.size()) != Z_OK || size != raw.size()) return {};
    for (int y = 0; y < *h; y++) {
        const uint8_t *row = &raw[size_t(y) * (*w * 3 + 1)];
        if (row[0] != 0) return {};
        rgb.insert(rgb.end(), row + 1, row + 1 + *w * 3);
    }
    return rgb;
}

// Reads the picture and compares it with golden/<name>.png: every channel within `tolerance`,
// and at most `outliers` pixels beyond it (rasterisers differ on a few edge pixels).
inline void expect_golden(const std::string &dir, const std::string &name, int w, int h, int tolerance = 8,
                          int outliers = 0)
{
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    ASSERT_EQ(world_render_read(0, 0, w, h, rgb.data()), 1);
    std::string path = dir + "/" + name + ".png";
    if (const char *update = std::getenv("VM_GOLDEN_UPDATE"); update && update[0] == '1') {
        ASSERT_TRUE(png_save(path, rgb, w, h)) << path;
        return;
    }
    int gw = 0, gh = 0;
    std::vector<uint8_t> golden = png_load(path, &gw, &gh);
    ASSERT_FALSE(golden.empty()) << "missing golden picture " << path << " (regenerate with VM_GOLDEN_UPDATE=1)";
    ASSERT_EQ(gw, w);
    ASSERT_EQ(gh, h);
    int bad = 0, first = -1;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        bool off = false;
        for (int k = 0; k < 3; k++) off |= std::abs(int(rgb[i + k]) - int(golden[i + k])) > tolerance;
        if (off && first < 0) first = int(i / 3);
        bad += off;
    }
    if (bad > outliers) png_save("/tmp/" + name + ".actual.png", rgb, w, h);
    EXPECT_LE(bad, outliers) << name << ": " << bad << " pixels differ, first at (" << first % w << ", " << first / w
                             << "); the picture was written to /tmp/" << name << ".actual.png";
}

} // namespace render_test
