// Shared by the world tests: a scratch folder with small PNG files, definition files written
// with carriage returns, an offscreen context for the textures and the world's fatal errors
// captured instead of shown.
#pragma once

#include "gen/gen_wrap.h"
#include "platform/plat_core.h"
#include "platform/plat_files.h"
#include "world/world.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace world_test {

inline std::vector<std::string> errors;
inline std::vector<std::string> alerts;

inline void capture_error(const char *message)
{
    errors.emplace_back(message);
}

inline int capture_alert(const char *text, const char *title, unsigned)
{
    alerts.push_back(std::string(title ? title : "") + "|" + (text ? text : ""));
    return 1;
}

inline void put32(std::string &s, uint32_t v)
{
    for (int i = 3; i >= 0; i--) s.push_back(static_cast<char>(v >> (8 * i)));
}

inline void chunk(std::string &png, const char *type, const std::string &data)
{
    put32(png, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    png += body;
    put32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), static_cast<uInt>(body.size()))));
}

// A w x h RGB PNG of one colour.
inline void png_write(const std::string &path, int w, int h, uint32_t rgb)
{
    std::string raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0);
        for (int x = 0; x < w; x++) {
            raw.push_back(static_cast<char>(rgb >> 16));
            raw.push_back(static_cast<char>(rgb >> 8));
            raw.push_back(static_cast<char>(rgb));
        }
    }
    std::vector<Bytef> packed(compressBound(static_cast<uLong>(raw.size())));
    uLongf size = packed.size();
    compress(packed.data(), &size, reinterpret_cast<const Bytef *>(raw.data()), static_cast<uLong>(raw.size()));
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    put32(ihdr, static_cast<uint32_t>(w));
    put32(ihdr, static_cast<uint32_t>(h));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", std::string(reinterpret_cast<const char *>(packed.data()), size));
    chunk(png, "IEND", "");
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
}

inline void file_write(const std::string &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string file_read(const std::string &path)
{
    std::string s;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

// Definition lines, each ended by a carriage return and line feed.
inline void def_write(const std::string &path, std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string &l : lines) text += l + "\r\n";
    file_write(path, text);
}

// The opening lines most test worlds share: a 20 x 10 world of 12-unit cells, the texture units,
// two face bitmaps, a sprite bitmap, two tiles and sprite 1 (30 wide, 20 high).
inline std::vector<std::string> base_lines()
{
    return {"@a 20", "@b 10", "@c 12", "@d 32", "@e 32", "@f 64",
            "#stone = stone.png", "#grass = grass.png%50#", "^ball = ball.png%25",
            "%1 = grass, stone, stone, stone, stone, stone", "%2 = stone, NULL, null, stone!, NULL, stone",
            "&1 = ball, 20, 30, 1, 4, 5, 6, 7, 8, 9, 10, 11"};
}

inline void def_write(const std::string &path, const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &l : lines) text += l + "\r\n";
    file_write(path, text);
}

class WorldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char dir[] = "/tmp/vm_world_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        ASSERT_EQ(plat_files_chdir(dir), 0);
        plat_alert_capture(capture_alert);
        gl = gen_wrap_headless_start(64, 64, 0);
        png_write("stone.png", 32, 32, 0x808080);
        png_write("grass.png", 32, 32, 0x20A020);
        png_write("ball.png", 16, 24, 0xFFFFFF);
        png_write("odd.png", 20, 12, 0xFF0000);
        for (int i = 0; i < 4; i++) png_write("walk0" + std::to_string(i) + ".png", 8, 8, 0x010101u * (i + 1));
    }
    static void TearDownTestSuite()
    {
        gen_wrap_headless_stop();
        plat_alert_capture(nullptr);
    }
    void SetUp() override
    {
        world_error_hook_set(capture_error);
        world_params_reset();
        errors.clear();
        alerts.clear();
    }
    void TearDown() override
    {
        free_level();
        world_error_hook_set(nullptr);
    }
    // Loads `lines` as t.def with the given map; the result of Load_Level.
    uint8_t load(const std::vector<std::string> &lines, const char *map = nullptr, int make_objects = 1)
    {
        def_write("t.def", lines);
        return Load_Level("t.def", map, make_objects);
    }
    static std::vector<std::string> with_base(std::initializer_list<std::string> extra)
    {
        std::vector<std::string> lines = base_lines();
        lines.insert(lines.end(), extra);
        return lines;
    }
    static bool gl;
};
inline bool WorldTest::gl = false;

} // namespace world_test
