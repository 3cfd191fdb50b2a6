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
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace world_test {

inline std::vector<std::string> errors;
inline std::vector<std::string> alerts;

inline std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

inline void file_write(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string file_read(const std::string &path)
{
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}

// A w x h RGB PNG of one colour.
inline void png_write(const std::string &path, int w, int h, uint32_t rgb)
{
    std::string raw, row = std::string(1, '\0');
    for (int x = 0; x < w; x++) row += {char(rgb >> 16), char(rgb >> 8), char(rgb)};
    for (int y = 0; y < h; y++) raw += row;
    std::vector<Bytef> packed(compressBound(raw.size()));
    uLongf size = packed.size();
    compress(packed.data(), &size, (const Bytef *)raw.data(), raw.size());
    std::string png = "\x89PNG\r\n\x1a\n";
    auto chunk = [&](const char *type, const std::string &data) {
        std::string body = type + data;
        png += be32(data.size()) + body + be32(crc32(0, (const Bytef *)body.data(), body.size()));
    };
    chunk("IHDR", be32(w) + be32(h) + std::string("\x08\x02\x00\x00\x00", 5));
    chunk("IDAT", std::string((const char *)packed.data(), size));
    chunk("IEND", "");
    file_write(path, png);
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

// The base lines followed by `extra`.
inline std::vector<std::string> with_base(std::initializer_list<std::string> extra)
{
    std::vector<std::string> lines = base_lines();
    lines.insert(lines.end(), extra);
    return lines;
}

class WorldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char dir[] = "/tmp/vm_world_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        ASSERT_EQ(plat_files_chdir(dir), 0);
        plat_alert_capture([](const char *text, const char *title, unsigned) {
            return alerts.push_back(std::string(title ? title : "") + "|" + (text ? text : "")), 1;
        });
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
        world_error_hook_set([](const char *message) { errors.emplace_back(message); });
        world_params_reset();
        errors.clear();
        alerts.clear();
    }
    void TearDown() override
    {
        free_level();
        world_error_hook_set(nullptr);
    }
    // Loads `lines` (each ended by CR LF) as t.def with the given map; the result of Load_Level.
    uint8_t load(const std::vector<std::string> &lines, const char *map = nullptr, int make_objects = 1)
    {
        std::string text;
        for (const std::string &l : lines) text += l + "\r\n";
        file_write("t.def", text);
        return Load_Level("t.def", map, make_objects);
    }
    // The first error, for failure messages.
    static std::string first_error() { return errors.empty() ? "" : errors[0]; }
    static bool gl;
};
inline bool WorldTest::gl = false;

} // namespace world_test
