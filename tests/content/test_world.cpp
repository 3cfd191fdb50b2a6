// The brick world: every tile and sprite the game builds or draws is defined, the definition is
// well formed, every file it names is generated, and the map agrees with it.
#include "tests/content/content_files.h"

#include "game/game_demo.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

def_world load_brick_def()
{
    std::string text;
    EXPECT_TRUE(content_read(content_assets_dir() + "/level/brick.def", text));
    return content_parse_def(text);
}

// Tiles the game writes into the map (bricks of the three families, seven variants of each floor
// type, three border pieces of each border type) and sprites it places or draws (paddles,
// enemies, balls, shots, bonuses, menu highlight and panel, score signs, attract sprite,
// alphabet, lives and score in every language).
std::vector<int> game_tiles()
{
    std::vector<int> t;
    for (auto [lo, hi] : {std::pair{1, 10}, {20, 45}, {50, 75}, {100, 106}, {110, 116}, {120, 126}, {130, 136}, {140, 142},
                          {150, 152}, {160, 162}, {170, 172}})
        for (int i = lo; i <= hi; i++) t.push_back(i);
    return t;
}

std::vector<int> game_sprites()
{
    std::vector<int> s = {1, 2, 3, 4, 5, 50, 51, 70, 75, 100, 101, 130, 131, 132, 159, 295, 296, 298};
    for (auto [lo, hi] : {std::pair{20, 39}, {80, 95}, {110, 115}, {120, 125}, {200, 287}})
        for (int i = lo; i <= hi; i++) s.push_back(i);
    return s;
}

int16_t le16(const std::string &b, size_t at) { return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8)); }

} // namespace

TEST(BrickWorld, DefinitionIsWellFormedAndDefinesEverythingTheGameUses)
{
    def_world w = load_brick_def();
    for (const std::string &e : w.errors) ADD_FAILURE() << e;
    // The game's rules use fixed numbers that assume these world parameters.
    EXPECT_EQ((std::vector<int>{w.numbers['a'], w.numbers['b'], w.numbers['c']}), (std::vector<int>{100, 100, 12}));
    for (int t : game_tiles()) EXPECT_TRUE(w.tiles.count(t)) << "tile " << t;
    for (int s : game_sprites()) EXPECT_TRUE(w.sprites.count(s)) << "sprite " << s;
    // The bonus count stops at the first undefined sprite from 80: exactly the 16 kinds, whose
    // parameter 4 is a drop chance.
    EXPECT_FALSE(w.sprites.count(96));
    for (int b = 80; b <= 95; b++) {
        ASSERT_TRUE(w.sprites.count(b));
        EXPECT_TRUE(w.sprites[b].params[1] >= 0 && w.sprites[b].params[1] <= 100) << "bonus " << b;
    }
    // Every file it names is generated.
    ASSERT_FALSE(w.files.empty());
    std::string bytes;
    for (const std::string &f : w.files) EXPECT_TRUE(content_read(content_path(content_generated_dir(), f), bytes)) << f;
}

TEST(BrickWorld, SpritesHaveSensibleSizesAndTransparency)
{
    def_world w = load_brick_def();
    for (const auto &[n, s] : w.sprites)
        EXPECT_TRUE(s.height > 0 && s.width > 0 && s.params[0] >= 0 && s.params[0] <= 3) << "sprite " << n;
    // The paddle must leave room to move between the walls at x 36 and 204.
    EXPECT_LT(w.sprites[1].width, 168 / 2);
    // Placement parameters (x, y pairs) of the score and lives words lie on the 160 x 120 overlay.
    for (int n : {296, 298, 110, 111, 112, 113, 114, 115, 120, 121, 122, 123, 124, 125})
        for (int k = 1; k <= 6; k += 2) {
            const std::vector<int> &p = w.sprites[n].params;
            EXPECT_TRUE(p[k] >= 0 && p[k] < 160 && p[k + 1] >= 0 && p[k + 1] < 120) << "sprite " << n << " parameters " << k + 3;
        }
    // The title logo keeps to its band of the attract sequence, above the level title.
    EXPECT_GE(w.sprites[159].params[2], 0);
    EXPECT_LE(w.sprites[159].params[2] + w.sprites[159].height, DEMO_LOGO_BOTTOM);
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

// The scenery worlds of the attract sequence: the game keeps its objects and draws its texts in
// whatever world is loaded, so each defines the brick world's sprites; each names only generated
// files, and its map uses only its own tiles and sprites, within the grid, and shows all the
// world format's moving parts.
TEST(SceneryWorlds, DefineTheGameSpritesAndAgreeWithTheirMaps)
{
    for (const char *name : {"station", "garden"}) {
        std::string text, map, bytes;
        ASSERT_TRUE(content_read(content_generated_dir() + "/level/" + name + ".def", text)) << name;
        def_world w = content_parse_def(text);
        for (const std::string &e : w.errors) ADD_FAILURE() << name << ": " << e;
        for (int s : game_sprites()) EXPECT_TRUE(w.sprites.count(s)) << name << " sprite " << s;
        for (const std::string &f : w.files) EXPECT_TRUE(content_read(content_path(content_generated_dir(), f), bytes)) << f;
        ASSERT_TRUE(content_read(content_generated_dir() + "/level/" + name + ".map", map)) << name;
        int highest = le16(map, 6);
        size_t cells_at = 8 + static_cast<size_t>(highest + 1) * 59;
        ASSERT_GE(map.size(), cells_at + 4);
        int rows = le16(map, cells_at), cols = le16(map, cells_at + 2);
        EXPECT_EQ((std::vector<int>{rows, cols}), (std::vector<int>{w.numbers['b'], w.numbers['a']})) << name;
        ASSERT_EQ(map.size(), cells_at + 4 + static_cast<size_t>(rows) * cols * 22) << name;
        for (int o = 1; o <= highest; o++) EXPECT_TRUE(w.sprites.count(le16(map, 8 + static_cast<size_t>(o) * 59))) << name << " object " << o;
        int sloped = 0, raised = 0;
        for (int i = 0; i < rows * cols; i++) {
            size_t at = cells_at + 4 + static_cast<size_t>(i) * 22;
            int tile = le16(map, at), up0 = le16(map, at + 4), up1 = le16(map, at + 6);
            EXPECT_TRUE(tile == 0 || w.tiles.count(tile)) << name << " cell " << i << " tile " << tile;
            if (tile) {
                sloped += up0 != up1;
                raised += up0 > -10;
            }
        }
        EXPECT_GT(sloped, 0) << name;
        EXPECT_GT(raised, 0) << name;
        for (char kind : {'*', '+', '>'}) EXPECT_TRUE(text.find(std::string("\r\n") + kind) != std::string::npos) << name << " " << kind;
    }
}
