// Load_Level: definition lines of every kind, their error messages, and map files (current and
// OLD format, rescaling, size changes, hostile counts) with the save_map round trip.
#include "world_fixture.h"

#include <cstring>

using namespace world_test;

namespace {

// Little-endian pieces of a map file: `bytes` bytes of v (a double as its bit pattern).
void le(std::string &s, int64_t v, int bytes = 2)
{
    for (int i = 0; i < bytes; i++) s.push_back(char(uint64_t(v) >> (8 * i)));
}

void le64(std::string &s, double d)
{
    int64_t bits;
    std::memcpy(&bits, &d, 8);
    le(s, bits, 8);
}

// An object record of sprite `sprite` at x, y, z (59 bytes).
std::string object_bytes(int sprite, double x, double y, double z)
{
    std::string s;
    le(s, sprite);
    s.append(27, '\0');
    for (double d : {x, y, z}) le64(s, d);
    le(s, -9999);
    return s + std::string("\0\0\0\x0f", 4);
}

// A map: header (unit < 0: OLD format), objects 1.. (record 0 blank), rows x columns cells
// whose tile is tile(z, x) and tint/light given.
template <typename F>
std::string map_bytes(int unit, const std::vector<std::string> &objects, int rows, int columns, F tile, int tint = 0,
                      int light = 15)
{
    std::string s;
    if (unit >= 0) {
        le(s, -1100);
        le(s, unit, 4);
    }
    le(s, static_cast<int>(objects.size()));
    s += object_bytes(0, 0, 0, 0);
    for (const std::string &o : objects) s += o;
    le(s, rows);
    le(s, columns);
    for (int z = 0; z < rows; z++)
        for (int x = 0; x < columns; x++) {
            le(s, tile(z, x), 4);
            for (int i = 0; i < 8; i++) le(s, 3 * i);
            s += {char(tint), char(light)};
        }
    return s;
}

int no_tile(int, int)
{
    return 0;
}

} // namespace

TEST_F(WorldTest, BaseWorldLoads)
{
    ASSERT_EQ(load(base_lines()), WORLD_LOADED) << first_error();
    EXPECT_EQ((std::vector<int>{world_count.bitmaps, world_count.sprite_bitmaps, world_param.width, world_param.depth}),
              (std::vector<int>{2, 1, 20, 10}));
    // Suffixes are cut from the file name and kept. Sizes: image as loaded; the & line resets
    // the texture size to the image size.
    const WORLD_SPRITE_BITMAP &b = world_sprite_bitmaps[0];
    EXPECT_EQ((std::vector<int>{world_bitmaps[1].percent, world_bitmaps[1].hash, b.percent, b.width, b.height, b.tex_height}),
              (std::vector<int>{50, 1, 25, 16, 24, 24}));
    EXPECT_TRUE(!gl || world_bitmaps[0].texture != 0u);
    // Atlas positions: the k-th # bitmap at band (k*d/256), column (k*d mod 256).
    EXPECT_EQ((std::vector<uint32_t>{world_bitmaps[0].atlas, world_bitmaps[1].atlas, world_atlas_size}),
              (std::vector<uint32_t>{0, 32, 32 * 256 + 64 * 256}));
    // The empty map: every cell empty at full light, no objects.
    EXPECT_EQ((std::vector<int>{world_max_object, world_cell_at(9, 19)->tile, world_cell_at(9, 19)->light}),
              (std::vector<int>{0, 0, 15}));
    EXPECT_EQ(world_cell_at(10, 0), nullptr);
    const WORLD_SPRITE &s = world_sprites[1];
    EXPECT_EQ((std::vector<int>{s.defined, s.height, s.width, s.transparency, s.param[0], s.param[7]}),
              (std::vector<int>{1, 20, 30, 1, 4, 11}));
}

TEST_F(WorldTest, OnlyCarriageReturnEndsALineAndAMissingFileChangesNothing)
{
    EXPECT_EQ(Load_Level("absent.def", nullptr, 1), WORLD_NO_FILE);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(world_tiles, nullptr);
    // The line feed vanishes, so "@b 20" is swallowed by the @a line.
    file_write("t.def", "@a 30\n@b 20\r\n@c 6\r\n");
    ASSERT_EQ(Load_Level("t.def", nullptr, 1), WORLD_LOADED);
    EXPECT_EQ((std::vector<int>{world_param.width, world_param.depth, world_param.cell}), (std::vector<int>{30, 100, 6}));
    // Parameters keep their values into the next world.
    file_write("t.def", "; nothing set\r\n");
    ASSERT_EQ(Load_Level("t.def", nullptr, 1), WORLD_LOADED);
    EXPECT_EQ(world_param.width, 30);
    // A file of line feeds alone is one line; its error says why.
    file_write("t.def", "@a -5\n@c 6\n");
    EXPECT_EQ(Load_Level("t.def", nullptr, 1), WORLD_FAILED);
    EXPECT_EQ(world_error_message(), std::string("Wrong value -5 for @a in Load_Level(t.def, (null)) (the file's lines "
                                                 "end in LF alone; save it with CR LF line ends)"));
    file_write("t.def", "@c 0\r\n");
    EXPECT_EQ(Load_Level("t.def", nullptr, 1), WORLD_FAILED);
    EXPECT_EQ(world_error_message(), std::string("Wrong value 0 for @c in Load_Level(t.def, (null))"));
}

TEST_F(WorldTest, SequenceLineExpandsIntoNumberedSpriteBitmaps)
{
    ASSERT_EQ(load({"@d 32", "@e 32", "@f 64", "] walk = walk, 3, 5", "] *Run = walk, 2, 7"}), WORLD_LOADED)
        << first_error();
    ASSERT_EQ(world_count.sprite_bitmaps, 7);
    const char *names[] = {"walk00", "walk01", "walk02", "walk", "run00", "run01", "run"};
    for (int i = 0; i < 7; i++) EXPECT_STREQ(world_sprite_bitmaps[i].name, names[i]);
    EXPECT_EQ(search_sprite_bitmap("WALK01"), 1);
    ASSERT_EQ(world_count.animations, 2);
    const WORLD_ANIMATION &walk = world_animations[0];
    EXPECT_EQ((std::vector<int>{walk.frame_count, walk.kind, walk.target, walk.ping_pong}),
              (std::vector<int>{3, WORLD_ANIM_SPRITE_BITMAPS, 3, 0}));
    EXPECT_EQ((std::vector<int>(walk.frames, walk.frames + 3)), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ((std::vector<int>(walk.delays, walk.delays + 3)), (std::vector<int>{5, 5, 5}));
    EXPECT_EQ(walk.timer, 5.0);
    for (auto [name, n] : {std::pair{"walk", 0}, {"walk00", -1}, {"nothing", -1}})
        EXPECT_EQ(sprite_bitmap_animation(name), n) << name;
    EXPECT_EQ(world_animations[1].ping_pong, 1);
    EXPECT_EQ(world_animations[1].delays[1], 7);
    // The animation's entry shows its first frame.
    EXPECT_EQ(world_sprite_bitmaps[3].texture, world_sprite_bitmaps[0].texture);
    EXPECT_EQ(world_sprite_bitmaps[3].width, 8);
}

TEST_F(WorldTest, FacesNullNamesCaseAndWallProperties)
{
    ASSERT_EQ(load(with_base({"%3 = GRASS, Stone, STONE!, null, Stone!, NuLL"})), WORLD_LOADED)
        << first_error();
    const WORLD_TILE &t = world_tiles[3];
    // Stored in the order of names 1, 2, 6, 4, 3, 5; properties on names 3 and 5.
    EXPECT_EQ((std::vector<int>{t.face[WORLD_FACE_UP], t.face[WORLD_FACE_DOWN], t.face[WORLD_FACE_LEFT], t.face[WORLD_FACE_NEAR],
                                t.face[WORLD_FACE_RIGHT], t.face[WORLD_FACE_BACK]}),
              (std::vector<int>{1, 0, 0, -1, 0, -1}));
    EXPECT_EQ((std::vector<int>(t.property, t.property + 4)), (std::vector<int>{1, 0, 1, 0}));
    for (auto [name, n] : {std::pair{"sTONE", 0}, {"NULL", -1}, {"marble", -10}}) EXPECT_EQ(search_bitmap(name), n) << name;
    EXPECT_EQ(search_sprite_bitmap("null"), -1);
}

TEST_F(WorldTest, AnimatedBitmapLinesMakeNamedEntries)
{
    ASSERT_EQ(load(with_base({">*flicker = stone, 3, GRASS, 4", "<pulse = ball, 2",
                              "%5 = flicker, flicker, null, null, null, null", "&2 = pulse, -50, -200, 0, 0, 0, 0, 0, 0, 0, 0, 0"})),
              WORLD_LOADED)
        << first_error();
    ASSERT_EQ(world_count.animations, 2);
    const WORLD_ANIMATION &f = world_animations[0];
    EXPECT_STREQ(world_bitmaps[2].name, "flicker");
    // Then: the tile's face, the sprite bitmap's animation, and the sprite's sizes (negative ones
    // are percentages of the 16 x 24 image).
    EXPECT_EQ((std::vector<int>{f.kind, f.ping_pong, f.target, world_tiles[5].face[WORLD_FACE_UP],
                                world_sprite_bitmaps[1].animation, world_sprites[2].height, world_sprites[2].width}),
              (std::vector<int>{WORLD_ANIM_BITMAPS, 1, 2, 2, 1, 12, 32}));
}

TEST_F(WorldTest, DefinitionErrorsAreFatalWithTheirExactMessages)
{
    const std::string IN = " in Load_Level(t.def, (null))", IN_ = " in Load_Level (t.def, (null))";
    auto B = with_base;
    struct CASE {
        std::vector<std::string> lines;
        std::string message;
    };
    const std::vector<CASE> cases = {
        {{"@d 32", "@e 32", "#a = stone.png"}, "ERROR FATAL" + IN},
        {{"@d 32", "@e 32", "^a = ball.png"}, "ERROR FATAL" + IN},
        {B({"#STONE = grass.png"}), "Bitmap name stone already exist" + IN},
        {B({"^Ball = ball.png"}), "Sprite Bitmap name ball already exist" + IN},
        {B({">stone = grass, 1"}), "Bitmap name stone already exist " + IN},
        {B({"<ball = ball, 1"}), "Sprite Bitmap name ball already exist" + IN},
        {B({">anim = marble, 1"}), "Bitmap marble doesn't exist" + IN},
        {B({"<anim = marble, 1"}), "Sprite Bitmap marble doesn't exist" + IN},
        {B({">anim = stone"}), "Delay Parameter missing in animated bitmap anim" + IN},
        {B({">anim ="}), "Animated bitmap anim should have at least 1 frame" + IN},
        {B({"] walk = walk, 3"}), "Parameters missing in super animated bitmap" + IN},
        {B({"] walk = walk, 45, 1"}), "Can't load bitmap walk04.png" + IN},
        {B({"%0 = stone, stone, stone, stone, stone, stone"}), "Wrong tile number 0" + IN},
        {B({"%300 = stone, stone, stone, stone, stone, stone"}), "Wrong tile number 300" + IN},
        {B({"%1 = stone, stone, stone, stone, stone, stone"}), "Tile number 1 already defined" + IN},
        {B({"%7 = stone, stone, stone, stone, stone"}), "Very Few parameters in tile number 7" + IN},
        {B({"%7 = stone, marble, stone, stone, stone, stone"}), "Bitmap name marble doesn't exist" + IN},
        {B({"%7 = stone, stone!, stone, stone, stone, stone"}), "ERROR: You can't use the property '!' for floors - Tile 7" + IN},
        {B({"&299 = ball, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0"}), "Wrong sprite number 299" + IN},
        {B({"&1 = ball, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0"}), "Sprite number 1 already defined" + IN},
        {B({"&3 = ball, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0"}), "Very Few parameters in sprite number 3" + IN},
        {B({"&3 = stone, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0"}), "Sprite Bitmap name stone doesn't exist" + IN},
        {B({"*2, 3 = 9, 10, 0, 0, 20, 1, 1, 10, 1, 1"}), "Tile number 9 used by an animated cell (z:2, x:3) is NOT defined" + IN},
        {B({"*2, 3 = 1, 10, 20, 0, 20, 1, 1, 10, 1, 1"}), 
         "The down face altitude cant be higher than the up face in moving cell (z:2, x:3)" + IN},
        {B({"*2, 3 = 1, 10, 0"}), "Parameters missing in moving cell (z:2, x:3)" + IN},
        {B({"*2, 3 = 1, 10, 0, 0, 20"}), "Speed parameter missing in moving cell (z:2, x:3)" + IN},
        {B({"*2, 3 = 1, 10, 0, 0, 20, 1"}), "Delay parameter missing in moving cell (z:2, x:3)" + IN},
        {B({"*2, 3 = 1, 10, 0, 0, 20, 1, 1"}), "Moving cell (z:2, x:3) should have at least 2 frames" + IN},
        {B({"*12, 3 = 1, 10, 0, 0, 20, 1, 1, 10, 1, 1"}), "Moving cell (z:12, x:3) is outside the world" + IN},
        {B({"+7 = 1, 2, 3, 4, 5"}), "Sprite number 7 used by an animated object, is NOT defined" + IN},
        {B({"+1 = 1"}), "'Y' parameter missing in animated object 1" + IN_},
        {B({"+1 = 1, 2"}), "'Z' parameter missing in animated object 1" + IN_},
        {B({"+1 = 1, 2, 3"}), "Speed parameter missing in animated object 1" + IN_},
        {B({"+1 = 1, 2, 3, 4"}), "Delay parameter missing in animated object 1" + IN_},
        {B({"+1 ="}), "Animated object 1 should have at least 1 frame" + IN_},
        {B({"@j back.png, 100"}), "Parameter missing in Background (ver)" + IN},
        {B({"@j back.png"}), "Parameter missing in Background (hor)" + IN},
        {B({"@j back.png, 99, 100"}), "*Scale 99 for background should be at least 100" + IN},
        {B({"@j back.png, 100, 50"}), "Scale 50 for background should be at least 100" + IN},
        {B({"#missing = nowhere.png"}), "Can't load bitmap nowhere.png" + IN},
        {B({"#" + std::string(40, 'n') + " = stone.png"}), 
         "Name nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn is too long (maximum 39 characters)" + IN},
        {{"@a -5"}, "Wrong value -5 for @a" + IN},
        {{"@c 0"}, "Wrong value 0 for @c" + IN},
        {{"@d 300"}, "Wrong value 300 for @d" + IN},
        {{std::string(10000, 'x')}, "ERROR : Line is too long! ( maximun 9999 )"},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.lines.back().substr(0, 60));
        errors.clear();
        world_params_reset();
        EXPECT_EQ(load(c.lines), WORLD_FAILED);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], c.message);
        EXPECT_EQ(world_error_message(), c.message);
        // Nothing of the failed world is left.
        EXPECT_EQ(world_tiles, nullptr);
        EXPECT_EQ(world_cells, nullptr);
        EXPECT_EQ(world_count.bitmaps, 0);
    }
}

TEST_F(WorldTest, AnimationAndObjectFrameLimits)
{
    auto repeat = [](std::string line, const char *item, int n) {
        while (n--) line += item;
        return line;
    };
    const std::pair<std::string, const char *> cases[] = {
        {repeat(">many = ", "stone, 1, ", 41),
         "You cant have more than 40 frames in animated bitmap many in Load_Level(t.def, (null))"},
        {repeat("*1, 1 = 1, 10, 0, 0", ", 10, 1, 1", 31),
         "You can't have more than 30 frames per moving cell (z:1, x:1) in Load_Level(t.def, (null))"},
        {repeat("+1 = ", "1, 2, 3, 4, 5, ", 31),
         "Animated object 1 can't have more than 30 frames 31 in Load_Level (t.def, (null))"}};
    for (const auto &[line, message] : cases) {
        errors.clear();
        EXPECT_EQ(load(with_base({line})), WORLD_FAILED);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], message);
    }
    // Exactly 40 frames is fine.
    EXPECT_EQ(load(with_base({repeat(">many = ", "stone, 1, ", 40)})), WORLD_LOADED);
}

TEST_F(WorldTest, BackgroundIsLoadedOnceAndAMissingOneIsOnlyReported)
{
    png_write("back.png", 40, 30, 0x000080);
    ASSERT_EQ(load(with_base({"@j back.png, 120, 150", "@j stone.png, 200, 300"})), WORLD_LOADED);
    // The first background stays; the last scales count.
    EXPECT_EQ((std::vector<int>{world_background_loaded, world_background.width, world_param.background_hor,
                                world_param.background_ver}),
              (std::vector<int>{1, 40, 200, 300}));
    free_level();
    ASSERT_EQ(load(with_base({"@j nowhere.png, 100, 100"})), WORLD_LOADED);
    EXPECT_EQ(world_background_loaded, 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "nowhere.png|Can't load background bitmap!");
}

TEST_F(WorldTest, MapUnitRescalesObjectPositions)
{
    file_write("u.map", map_bytes(24, {object_bytes(1, 48.0, 7.5, 96.0)}, 10, 20, no_tile));
    ASSERT_EQ(load(base_lines(), "u.map"), WORLD_LOADED) << first_error();
    ASSERT_EQ(world_max_object, 1);
    // Positions rescaled; the sprite's width and parameters copied in.
    const WORLD_OBJECT &o = world_objects[1];
    EXPECT_EQ((std::vector<double>{o.x, o.y, o.z, double(o.width), double(o.param[7])}),
              (std::vector<double>{24, 7.5, 48, 30, 11}));
    // The OLD format keeps coordinates as stored and says so.
    file_write("o.map", map_bytes(-1, {object_bytes(1, 48.0, 7.5, 96.0)}, 10, 20, no_tile));
    testing::internal::CaptureStdout();
    ASSERT_EQ(load(base_lines(), "o.map"), WORLD_LOADED);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Reading a map saved in the OLD format...\n");
    EXPECT_EQ((std::vector<double>{world_objects[1].x, world_objects[1].z}), (std::vector<double>{48, 96}));
}

TEST_F(WorldTest, WiderMapKeepsTheFirstColumnsAfterAWarning)
{
    // 120 columns x 100 rows into 100 x 100: tile 1 in the first 100 columns, 2 beyond.
    auto tile = [](int, int x) { return x < 100 ? 1 : 2; };
    file_write("w.map", map_bytes(12, {}, 100, 120, tile));
    testing::internal::CaptureStdout();
    ASSERT_EQ(load(with_base({"@a 100", "@b 100"}), "w.map"), WORLD_LOADED) << first_error();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING!. Height or Size of the world\nhas changed.\n");
    for (int z : {0, 1, 50, 99})
        for (int x : {0, 99}) EXPECT_EQ(world_cell_at(z, x)->tile, 1) << z << "," << x;
    EXPECT_EQ(world_cell_at(1, 0)->up[1], 3);
    // A shorter map leaves the rows it lacks empty; a taller one is not read past the world.
    file_write("s.map", map_bytes(12, {}, 3, 20, [](int, int) { return 2; }));
    testing::internal::CaptureStdout();
    ASSERT_EQ(load(base_lines(), "s.map"), WORLD_LOADED);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(world_cell_at(2, 19)->tile, 2);
    EXPECT_EQ(world_cell_at(3, 0)->tile, 0);
    file_write("t.map", map_bytes(12, {}, 40, 20, [](int, int) { return 1; }).substr(0, 8 + 59 + 4 + 10 * 20 * 22));
    testing::internal::CaptureStdout();
    EXPECT_EQ(load(base_lines(), "t.map"), WORLD_LOADED) << "rows beyond the world are never read";
    testing::internal::GetCapturedStdout();
}

TEST_F(WorldTest, MapTintAndLightAreClampedAndTilesChecked)
{
    file_write("c.map", map_bytes(12, {}, 10, 20, [](int z, int) { return z % 3; }, 16, -1));
    ASSERT_EQ(load(base_lines(), "c.map"), WORLD_LOADED);
    EXPECT_EQ(std::pair(int(world_cell_at(4, 4)->tint), int(world_cell_at(4, 4)->light)), std::pair(0, 15));
    file_write("c.map", map_bytes(12, {}, 10, 20, [](int, int) { return 5; }, 7, 3));
    EXPECT_EQ(load(base_lines(), "c.map"), WORLD_FAILED);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Tile number 5 used in the map file c.map is not defined in the def file t.def!");
}

TEST_F(WorldTest, HostileMapsAreRefused)
{
    std::string good = map_bytes(12, {object_bytes(1, 30, 0, 30), object_bytes(1, 60, 0, 60)}, 10, 20, no_tile);
    std::string huge = good.substr(0, 6), negative = huge, unit0 = good, sizes = map_bytes(12, {}, 0, 0, no_tile);
    le(huge, 998);
    le(negative, -3);
    unit0.replace(2, 4, 4, '\0');
    sizes.resize(sizes.size() - 4);
    le(sizes, -2);
    le(sizes, 20);
    const std::pair<std::string, const char *> cases[] = {
        {huge + good.substr(8), "Wrong number of objects (998) in the map file h.map in Load_Level(t.def, h.map)"},
        {negative, "Wrong number of objects (-3) in the map file h.map in Load_Level(t.def, h.map)"},
        {unit0, "Wrong unit 0 in the map file h.map in Load_Level(t.def, h.map)"},
        {sizes, "The map file h.map has a wrong size (-2 x 20) in Load_Level(t.def, h.map)"},
        {map_bytes(12, {object_bytes(5, 1, 1, 1)}, 10, 20, no_tile),
         "Sprite 5 is NOT defined! Add a line starting with &5= in the level's .def file"},
        {map_bytes(12, {object_bytes(-7, 1, 1, 1)}, 10, 20, no_tile),
         "Sprite -7 is NOT defined! Add a line starting with &-7= in the level's .def file"},
    };
    for (const auto &[bytes, message] : cases) {
        SCOPED_TRACE(message);
        errors.clear();
        file_write("h.map", bytes);
        EXPECT_EQ(load(base_lines(), "h.map"), WORLD_FAILED);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], message);
        EXPECT_EQ(world_objects, nullptr);
    }
    // Every cut of a good map, down to an empty file, is refused as truncated.
    for (size_t cut = 0; cut < good.size(); cut += (cut < 80 ? 1 : 97)) {
        SCOPED_TRACE(cut);
        errors.clear();
        file_write("h.map", good.substr(0, cut));
        testing::internal::CaptureStdout();
        uint8_t result = load(base_lines(), "h.map");
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, WORLD_FAILED);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "The map file h.map is truncated in Load_Level(t.def, h.map)");
    }
}

TEST_F(WorldTest, SaveMapRoundTripIsIdentical)
{
    auto tile = [](int z, int x) { return (z + x) % 3; };
    file_write("r.map", map_bytes(12, {object_bytes(1, 30, 2, 30), object_bytes(1, 200.5, -3, 90)}, 10, 20, tile, 3, 9));
    ASSERT_EQ(load(with_base({"+1 = 10, 0, 10, 5, 0, 40, 0, 40, 5, 0"}), "r.map", 0), WORLD_LOADED);
    world_objects[2].mirror_x = 1;
    world_objects[1].tint = 4;
    ASSERT_EQ(save_map("saved.map", world_cells, 10, 20, world_objects, world_max_object), 1);
    std::vector<WORLD_CELL> cells(world_cells, world_cells + 200);
    std::vector<WORLD_OBJECT> objects(world_objects, world_objects + world_max_object + 1);
    int16_t highest = world_max_object;
    ASSERT_EQ(load(with_base({"+1 = 10, 0, 10, 5, 0, 40, 0, 40, 5, 0"}), "saved.map", 0), WORLD_LOADED);
    ASSERT_EQ(world_max_object, highest);
    EXPECT_EQ(std::memcmp(cells.data(), world_cells, 200 * sizeof(WORLD_CELL)), 0);
    for (int i = 0; i <= highest; i++) {
        const WORLD_OBJECT &a = world_objects[i], &b = objects[i];
        EXPECT_EQ((std::vector<double>{a.x, a.z, double(a.mirror_x), double(a.tint), double(a.link_x)}),
                  (std::vector<double>{b.x, b.z, double(b.mirror_x), double(b.tint), double(b.link_x)}));
    }
    // Saving the reloaded world writes the same bytes.
    ASSERT_EQ(save_map("again.map", world_cells, 10, 20, world_objects, world_max_object), 1);
    EXPECT_EQ(file_read("saved.map"), file_read("again.map"));
    EXPECT_EQ(file_read("saved.map").size(), 8u + 3 * 59 + 4 + 200 * 22);
    EXPECT_EQ(save_map("/nonexistent_dir/x.map", world_cells, 10, 20, world_objects, 0), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Cant create map file!");
}
