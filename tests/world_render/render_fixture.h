// Shared by the renderer and particle tests: a small world built in memory (no files), an
// offscreen OpenGL context, flat-coloured test textures, and golden pictures: small PNGs under
// tests/world_render/golden/ compared within a per-pixel tolerance.
//
// Regenerating the goldens (after a deliberate change of the picture): run the test executables
// with VM_GOLDEN_UPDATE=1 in the environment, e.g.
//   VM_GOLDEN_UPDATE=1 SDL_VIDEODRIVER=offscreen ./tests/world_render/test_world_render
//   VM_GOLDEN_UPDATE=1 SDL_VIDEODRIVER=offscreen ./tests/particle/test_particle
// and look at the new files before keeping them.
#pragma once

#include "gen/gen_bit.h"
#include "gen/gen_wrap.h"
#include "world/world.h"
#include "world/world_render.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace render_test {

// ---------------------------------------------------------------------------------------------
// A world in memory
// ---------------------------------------------------------------------------------------------

struct TestWorld {
    std::vector<WORLD_CELL> cells;
    std::vector<WORLD_CELL_LIST> lists;
    std::vector<WORLD_TILE> tiles = std::vector<WORLD_TILE>(WORLD_TILES);
    std::vector<WORLD_BITMAP> bitmaps = std::vector<WORLD_BITMAP>(WORLD_BITMAPS);
    std::vector<WORLD_SPRITE_BITMAP> sprite_bitmaps = std::vector<WORLD_SPRITE_BITMAP>(WORLD_SPRITE_BITMAPS);
    std::vector<WORLD_SPRITE> sprites = std::vector<WORLD_SPRITE>(WORLD_SPRITES);
    std::vector<WORLD_OBJECT> objects = std::vector<WORLD_OBJECT>(WORLD_OBJECTS);

    // a x b cells of size c, all empty; the world's tables point here.
    TestWorld(int a, int b, int c)
    {
        world_params_reset();
        world_param.width = a;
        world_param.depth = b;
        world_param.cell = c;
        world_param.floor_unit = 32;
        world_param.wall_width = 32;
        world_param.wall_height = 32;
        world_param.distance = 0;
        cells.assign(static_cast<size_t>(a) * b, WORLD_CELL{});
        lists.assign(static_cast<size_t>(a) * b, WORLD_CELL_LIST{});
        for (WORLD_CELL &cell : cells) cell.light = 15;
        world_cells = cells.data();
        tiles_obj = lists.data();
        world_tiles = tiles.data();
        world_bitmaps = bitmaps.data();
        world_sprite_bitmaps = sprite_bitmaps.data();
        world_sprites = sprites.data();
        world_objects = objects.data();
        world_max_object = 0;
    }
    ~TestWorld()
    {
        world_cells = nullptr;
        tiles_obj = nullptr;
        world_tiles = nullptr;
        world_bitmaps = nullptr;
        world_sprite_bitmaps = nullptr;
        world_sprites = nullptr;
        world_objects = nullptr;
        world_max_object = 0;
    }
    WORLD_CELL &at(int row, int col) { return cells[static_cast<size_t>(row) * world_param.width + col]; }

    // Tile n with the given face bitmaps (name order 1..6 of the % line; -1 = not drawn).
    void tile(int n, int up, int down, int near, int left, int right, int back)
    {
        WORLD_TILE &t = tiles[n];
        t.defined = 1;
        t.face[WORLD_FACE_UP] = static_cast<int16_t>(up);
        t.face[WORLD_FACE_DOWN] = static_cast<int16_t>(down);
        t.face[WORLD_FACE_BACK] = static_cast<int16_t>(back);
        t.face[WORLD_FACE_NEAR] = static_cast<int16_t>(near);
        t.face[WORLD_FACE_LEFT] = static_cast<int16_t>(left);
        t.face[WORLD_FACE_RIGHT] = static_cast<int16_t>(right);
    }
    // A block: tile, up altitude, down altitude on all four corners.
    void block(int row, int col, int tile_number, int up, int down)
    {
        WORLD_CELL &c = at(row, col);
        c.tile = static_cast<int16_t>(tile_number);
        for (int i = 0; i < 4; i++) c.up[i] = static_cast<int16_t>(up), c.down[i] = static_cast<int16_t>(down);
    }
    // An object showing sprite bitmap `bitmap`, listed in the cells its width covers.
    int object(int bitmap, double x, double y, double z, int width, int height)
    {
        int n = ++world_max_object;
        WORLD_OBJECT &o = objects[n];
        o = WORLD_OBJECT{};
        o.sprite_bitmap = static_cast<int16_t>(bitmap);
        o.width = static_cast<int16_t>(width);
        o.height = static_cast<int16_t>(height);
        o.x = x, o.y = y, o.z = z;
        o.light = 15;
        int c = world_param.cell, row = static_cast<int>(z / c);
        for (int col = static_cast<int>((x - width / 2.0) / c); col <= static_cast<int>((x + width / 2.0) / c); col++)
            if (row >= 0 && row < world_param.depth && col >= 0 && col < world_param.width) {
                WORLD_CELL_LIST &l = lists[static_cast<size_t>(row) * world_param.width + col];
                if (l.count < WORLD_CELL_OBJECTS) l.object[l.count++] = static_cast<int16_t>(n);
            }
        return n;
    }
};

// ---------------------------------------------------------------------------------------------
// Geometry captured instead of drawn
// ---------------------------------------------------------------------------------------------

struct Polygon {
    uint32_t texture;
    std::vector<WORLD_VERTEX> v;
    uint32_t code;
    float alpha;
    int flags;
};

inline std::vector<Polygon> captured;
inline int captured_lines, captured_points;

inline void capture_begin() {}
inline void capture_end() {}
inline void capture_polygon(uint32_t texture, const WORLD_VERTEX *v, int count, uint32_t code, float alpha, int flags)
{
    captured.push_back({texture, std::vector<WORLD_VERTEX>(v, v + count), code, alpha, flags});
}
inline void capture_line(float, float, float, float)
{
    captured_lines++;
}
inline void capture_points(const float *, int count)
{
    captured_points += count;
}
inline constexpr WORLD_SINK capture_sink = {capture_begin, capture_end, capture_polygon, capture_line, capture_points};

// Starts capturing (clears what was captured before).
inline void capture_start()
{
    captured.clear();
    captured_lines = captured_points = 0;
    world_sink_set(&capture_sink);
}

// ---------------------------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------------------------

// A texture of size x size pixels: colour `rgb`, with a darker 1-pixel frame and a white mark in
// the top-left quarter so that orientation and mirroring show.
inline uint32_t test_texture(uint32_t rgb, int size = 16)
{
    std::vector<uint8_t> px(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            uint8_t *p = &px[(static_cast<size_t>(y) * size + x) * 4];
            uint32_t c = rgb;
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1) c = (rgb >> 1) & 0x7F7F7F;
            else if (x < size / 2 && y < size / 4) c = 0xFFFFFF;
            p[0] = static_cast<uint8_t>(c >> 16), p[1] = static_cast<uint8_t>(c >> 8), p[2] = static_cast<uint8_t>(c), p[3] = 255;
        }
    uint32_t name = 0;
    EXPECT_EQ(gen_texture_create(px.data(), size, size, GEN_FILTER_NEAREST, &name), 1);
    return name;
}

inline void put32(std::string &s, uint32_t v)
{
    for (int i = 3; i >= 0; i--) s.push_back(static_cast<char>(v >> (8 * i)));
}

inline uint32_t get32(const std::string &s, size_t at)
{
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) | (uint32_t(uint8_t(s[at + 2])) << 8) |
           uint32_t(uint8_t(s[at + 3]));
}

// Writes RGB rows as a PNG (one IDAT, filter 0 on every row).
inline bool png_save(const std::string &path, const std::vector<uint8_t> &rgb, int w, int h)
{
    std::string raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        raw.append(reinterpret_cast<const char *>(&rgb[static_cast<size_t>(y) * w * 3]), static_cast<size_t>(w) * 3);
    }
    std::vector<Bytef> packed(compressBound(static_cast<uLong>(raw.size())));
    uLongf size = packed.size();
    compress2(packed.data(), &size, reinterpret_cast<const Bytef *>(raw.data()), static_cast<uLong>(raw.size()), 9);
    std::string png = "\x89PNG\r\n\x1a\n";
    auto chunk = [&](const char *type, const std::string &data) {
        put32(png, static_cast<uint32_t>(data.size()));
        std::string body = std::string(type, 4) + data;
        png += body;
        put32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), static_cast<uInt>(body.size()))));
    };
    std::string ihdr;
    put32(ihdr, static_cast<uint32_t>(w));
    put32(ihdr, static_cast<uint32_t>(h));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    chunk("IHDR", ihdr);
    chunk("IDAT", std::string(reinterpret_cast<const char *>(packed.data()), size));
    chunk("IEND", "");
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

// Reads a PNG written by png_save. Empty when absent or not of that kind.
inline std::vector<uint8_t> png_load(const std::string &path, int *w, int *h)
{
    std::string s;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
    }
    if (s.size() < 33 || s.compare(12, 4, "IHDR") != 0) return {};
    *w = static_cast<int>(get32(s, 16));
    *h = static_cast<int>(get32(s, 20));
    std::string idat;
    for (size_t at = 8; at + 12 <= s.size();) {
        uint32_t len = get32(s, at);
        if (at + 12 + len > s.size()) return {};
        if (s.compare(at + 4, 4, "IDAT") == 0) idat.append(s, at + 8, len);
        at += 12 + len;
    }
    std::vector<uint8_t> raw(static_cast<size_t>(*w) * *h * 3 + *h);
    uLongf size = raw.size();
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef *>(idat.data()), static_cast<uLong>(idat.size())) != Z_OK ||
        size != raw.size())
        return {};
    std::vector<uint8_t> rgb;
    for (int y = 0; y < *h; y++) {
        const uint8_t *row = &raw[static_cast<size_t>(y) * (*w * 3 + 1)];
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
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
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
        if (off && first < 0) first = static_cast<int>(i / 3);
        bad += off ? 1 : 0;
    }
    if (bad > outliers) png_save("/tmp/" + name + ".actual.png", rgb, w, h);
    EXPECT_LE(bad, outliers) << name << ": " << bad << " pixels differ, first at (" << first % w << ", " << first / w
                             << "); the picture was written to /tmp/" << name << ".actual.png";
}

} // namespace render_test
