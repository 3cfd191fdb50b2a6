// The brick world: every tile and sprite the game builds or draws is defined, the definition is
// well formed, every file it names is generated, and the map agrees with it.
#include "tests/content/content_files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

def_world load_brick_def()
{
    std::string text;
    EXPECT_TRUE(content_read(content_assets_dir() + "/level/brick.def", text));
    return content_parse_def(text);
}

// Tiles the game writes into the map: bricks of the three families, the seven variants of each
// floor type and the three border pieces of each border type.
std::vector<int> game_tiles()
{
    std::vector<int> t;
    for (int i = 1; i <= 10; i++) t.push_back(i);
    for (int i = 20; i <= 45; i++) t.push_back(i);
    for (int i = 50; i <= 75; i++) t.push_back(i);
    for (int type = 1; type <= 4; type++) {
        for (int v = 0; v <= 6; v++) t.push_back((type + 9) * 10 + v);
        for (int k = 0; k <= 2; k++) t.push_back((type + 13) * 10 + k);
    }
    return t;
}

// Sprites the game places or draws: paddles, enemies, balls, shots, bonuses, the menu highlight,
// score signs, the attract sprite, the sprite alphabet, lives and score.
std::vector<int> game_sprites()
{
    std::vector<int> s = {1, 2, 3, 4, 5, 50, 51, 70, 75, 100, 130, 131, 132, 159, 295, 296, 298};
    for (int i = 20; i <= 39; i++) s.push_back(i);
    for (int i = 80; i <= 95; i++) s.push_back(i);
    for (int i = 200; i <= 265; i++) s.push_back(i);
    return s;
}

int16_t le16(const std::string &b, size_t at) { return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8)); }

} // namespace

TEST(BrickWorld, DefinitionIsWellFormed)
{
    def_world w = load_brick_def();
    for (const std::string &e : w.errors) ADD_FAILURE() << e;
    // The game's rules use fixed numbers that assume these world parameters.
    EXPECT_EQ(w.numbers['a'], 100);
    EXPECT_EQ(w.numbers['b'], 100);
    EXPECT_EQ(w.numbers['c'], 12);
}

TEST(BrickWorld, DefinesEveryTileAndSpriteTheGameUses)
{
    def_world w = load_brick_def();
    for (int t : game_tiles()) EXPECT_TRUE(w.tiles.count(t)) << "tile " << t;
    for (int s : game_sprites()) EXPECT_TRUE(w.sprites.count(s)) << "sprite " << s;
    // The bonus count stops at the first undefined sprite from 80: exactly the 16 kinds.
    EXPECT_FALSE(w.sprites.count(96));
    for (int b = 80; b <= 95; b++) {
        ASSERT_TRUE(w.sprites.count(b));
        int chance = w.sprites[b].params[1];
        EXPECT_GE(chance, 0) << "bonus " << b;
        EXPECT_LE(chance, 100) << "bonus " << b;
    }
}

TEST(BrickWorld, SpritesHaveSensibleSizesAndTransparency)
{
    def_world w = load_brick_def();
    for (const auto &[n, s] : w.sprites) {
        EXPECT_GT(s.height, 0) << "sprite " << n;
        EXPECT_GT(s.width, 0) << "sprite " << n;
        EXPECT_GE(s.params[0], 0) << "sprite " << n;
        EXPECT_LE(s.params[0], 3) << "sprite " << n;
    }
    // The paddle must leave room to move between the walls at x 36 and 204.
    EXPECT_LT(w.sprites[1].width, 168 / 2);
    // Placement parameters of the score and lives words lie on the 160 x 120 overlay.
    for (int n : {296, 298}) {
        const def_sprite &s = w.sprites[n];
        for (int k = 1; k <= 6; k += 2) {
            EXPECT_GE(s.params[k], 0) << "sprite " << n << " x parameter " << k + 3;
            EXPECT_LT(s.params[k], 160) << "sprite " << n << " x parameter " << k + 3;
            EXPECT_GE(s.params[k + 1], 0) << "sprite " << n << " y parameter " << k + 4;
            EXPECT_LT(s.params[k + 1], 120) << "sprite " << n << " y parameter " << k + 4;
        }
    }
}

TEST(BrickWorld, EveryNamedFileIsGenerated)
{
    def_world w = load_brick_def();
    ASSERT_FALSE(w.files.empty());
    for (const std::string &f : w.files) {
        std::string bytes;
        EXPECT_TRUE(content_read(content_path(content_generated_dir(), f), bytes)) << f;
    }
}

TEST(BrickWorld, MapMatchesTheDefinition)
{
    def_world w = load_brick_def();
    std::string map;
    ASSERT_TRUE(content_read(content_generated_dir() + "/level/brick.map", map));
    ASSERT_GE(map.size(), 8u);
    EXPECT_EQ(le16(map, 0), -1100);
    int32_t unit;
    std::memcpy(&unit, map.data() + 2, 4);
    EXPECT_EQ(unit, 12);
    int highest = le16(map, 6);
    ASSERT_GE(highest, 0);
    size_t cells_at = 8 + static_cast<size_t>(highest + 1) * 59;
    ASSERT_GE(map.size(), cells_at + 4);
    int rows = le16(map, cells_at), cols = le16(map, cells_at + 2);
    EXPECT_EQ(rows, 100);
    EXPECT_EQ(cols, 100);
    ASSERT_EQ(map.size(), cells_at + 4 + static_cast<size_t>(rows) * cols * 22);
    for (int o = 1; o <= highest; o++) {
        int sprite = le16(map, 8 + static_cast<size_t>(o) * 59);
        EXPECT_TRUE(w.sprites.count(sprite)) << "object " << o << " uses sprite " << sprite;
    }
    int bricks = 0;
    for (int i = 0; i < rows * cols; i++) {
        size_t at = cells_at + 4 + static_cast<size_t>(i) * 22;
        int tile = le16(map, at);
        EXPECT_TRUE(tile == 0 || w.tiles.count(tile)) << "cell " << i << " tile " << tile;
        int up = le16(map, at + 4), down = le16(map, at + 12);
        EXPECT_LE(down, up) << "cell " << i;
        int r = i / cols, c = i % cols;
        if (r >= 5 && r <= 12 && c >= 3 && c <= 16 && tile >= 1 && tile <= 75) bricks++;
        // Play-field frame: borders on row 4 and columns 2 and 17.
        if (r == 4 && c >= 2 && c <= 17) {
            EXPECT_GE(tile, 140) << "top border at column " << c;
        }
        if (r > 4 && r <= 18 && (c == 2 || c == 17)) {
            EXPECT_GE(tile, 140) << "side border at row " << r;
        }
    }
    EXPECT_GT(bricks, 0);
}
