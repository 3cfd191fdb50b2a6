// Load_Level: definition lines of every kind, their error messages, and map files (current and
// OLD format, rescaling, size changes, hostile counts) with the save_map round trip.
#include "world_fixture.h"

#include <cstring>

using namespace world_test;

namespace {

// Little-endian pieces of a map file.
void le16(std::string &s, int v)
{
    s.push_back(static_cast<char>(v & 255));
    s.push_back(static_cast<char>((v >> 8) & 255));
}

void le32(std::string &s, int v)
{
    for (int i = 0; i < 4; i++) s.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 255));
}

void le64(std::string &s, double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; i++) s.push_back(static_cast<char>((bits >> (8 * i)) & 255));
}

// An object record of sprite `sprite` at x, y, z (59 bytes).
std::string object_bytes(int sprite, double x, double y, double z)
{
    std::string s;
    le16(s, sprite);
    s.append(27, '\0');
    le64(s, x);
    le64(s, y);
    le64(s, z);
    le16(s, -9999);
    le16(s, 0);
    s.push_back(0);
    s.push_back(15);
    return s;
}

// A map: header (unit < 0: OLD format), objects 1.. (record 0 blank), rows x columns cells
// whose tile is tile(z, x) and tint/light given.
template <typename F>
std::string map_bytes(int unit, const std::vector<std::string> &objects, int rows, int columns, F tile, int tint = 0,
                      int light = 15)
{
    std::string s;
    if (unit >= 0) {
        le16(s, -1100);
        le32(s, unit);
    }
    le16(s, static_cast<int>(objects.size()));
    s += object_bytes(0, 0, 0, 0);
    for (const std::string &o : objects) s += o;
    le16(s, rows);
    le16(s, columns);
    for (int z = 0; z < rows; z++)
        for (int x = 0; x < columns; x++) {
            le16(s, tile(z, x));
            s.append(2, '\0');
            for (int i = 0; i < 8; i++) le16(s, 3 * i);
            s.push_back(static_cast<char>(tint));
            s.push_back(static_cast<char>(light));
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
    ASSERT_EQ(load(base_lines()), WORLD_LOADED) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(world_count.bitmaps, 2);
    EXPECT_EQ(world_count.sprite_bitmaps, 1);
    EXPECT_EQ(world_param.width, 20);
    EXPECT_EQ(world_param.depth, 10);
    // Suffixes are cut from the file name and kept.
    EXPECT_EQ(world_bitmaps[1].percent, 50);
    EXPECT_EQ(world_bitmaps[1].hash, 1);
    EXPECT_EQ(world_sprite_bitmaps[0].percent, 25);
    // Sizes: image as loaded, texture rounded up to powers of two; the & line resets the
    // texture size to the image size.
    EXPECT_EQ(world_sprite_bitmaps[0].width, 16);
    EXPECT_EQ(world_sprite_bitmaps[0].height, 24);
    EXPECT_EQ(world_sprite_bitmaps[0].tex_height, 24);
    if (gl) {
        EXPECT_NE(world_bitmaps[0].texture, 0u);
    }
    // Atlas positions: the k-th # bitmap at band (k*d/256), column (k*d mod 256).
    EXPECT_EQ(world_bitmaps[0].atlas, 0u);
    EXPECT_EQ(world_bitmaps[1].atlas, 32u);
    EXPECT_EQ(world_atlas_size, 32u * 256 + 64u * 256);
    // The empty map: every cell empty at full light, no objects.
    EXPECT_EQ(world_max_object, 0);
    EXPECT_EQ(world_cell_at(9, 19)->tile, 0);
    EXPECT_EQ(world_cell_at(9, 19)->light, 15);
    EXPECT_EQ(world_cell_at(10, 0), nullptr);
    const WORLD_SPRITE &s = world_sprites[1];
    EXPECT_EQ(s.defined, 1);
    EXPECT_EQ(s.height, 20);
    EXPECT_EQ(s.width, 30);
    EXPECT_EQ(s.transparency, 1);
    EXPECT_EQ(s.param[0], 4);
    EXPECT_EQ(s.param[7], 11);
}

TEST_F(WorldTest, MissingDefinitionFileChangesNothing)
{
    EXPECT_EQ(Load_Level("absent.def", nullptr, 1), WORLD_NO_FILE);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(world_tiles, nullptr);
}

TEST_F(WorldTest, OnlyCarriageReturnEndsALine)
{
    // The line feed vanishes, so "@b 20" is swallowed by the @a line.
    std::string text = "@a 30\n@b 20\r\n@c 6\r\n";
    file_write("t.def", text);
    ASSERT_EQ(Load_Level("t.def", nullptr, 1), WORLD_LOADED);
    EXPECT_EQ(world_param.width, 30);
    EXPECT_EQ(world_param.depth, 100);
    EXPECT_EQ(world_param.cell, 6);
    // Parameters keep their values into the next world.
    file_write("t.def", "; nothing set\r\n");
    ASSERT_EQ(Load_Level("t.def", nullptr, 1), WORLD_LOADED);
    EXPECT_EQ(world_param.width, 30);
}

TEST_F(WorldTest, SequenceLineExpandsIntoNumberedSpriteBitmaps)
{
    ASSERT_EQ(load({"@d 32", "@e 32", "@f 64", "] walk = walk, 3, 5", "] *Run = walk, 2, 7"}), WORLD_LOADED)
        << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(world_count.sprite_bitmaps, 7);
    const char *names[] = {"walk00", "walk01", "walk02", "walk", "run00", "run01", "run"};
    for (int i = 0; i < 7; i++) EXPECT_STREQ(world_sprite_bitmaps[i].name, names[i]);
    EXPECT_EQ(search_sprite_bitmap("WALK01"), 1);
    ASSERT_EQ(world_count.animations, 2);
    const WORLD_ANIMATION &walk = world_animations[0];
    EXPECT_EQ(walk.frame_count, 3);
    EXPECT_EQ(walk.kind, WORLD_ANIM_SPRITE_BITMAPS);
    EXPECT_EQ(walk.target, 3);
    EXPECT_EQ(walk.ping_pong, 0);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(walk.frames[i], i);
        EXPECT_EQ(walk.delays[i], 5);
    }
    EXPECT_EQ(walk.timer, 5.0);
    EXPECT_EQ(sprite_bitmap_animation("walk"), 0);
    EXPECT_EQ(sprite_bitmap_animation("walk00"), -1);
    EXPECT_EQ(sprite_bitmap_animation("nothing"), -1);
    EXPECT_EQ(world_animations[1].ping_pong, 1);
    EXPECT_EQ(world_animations[1].delays[1], 7);
    // The animation's entry shows its first frame.
    EXPECT_EQ(world_sprite_bitmaps[3].texture, world_sprite_bitmaps[0].texture);
    EXPECT_EQ(world_sprite_bitmaps[3].width, 8);
}

TEST_F(WorldTest, FacesNullNamesCaseAndWallProperties)
{
    ASSERT_EQ(load(with_base({"%3 = GRASS, Stone, STONE!, null, Stone!, NuLL"})), WORLD_LOADED)
        << (errors.empty() ? "" : errors[0]);
    const WORLD_TILE &t = world_tiles[3];
    // Stored in the order of names 1, 2, 6, 4, 3, 5.
    EXPECT_EQ(t.face[WORLD_FACE_UP], 1);
    EXPECT_EQ(t.face[WORLD_FACE_DOWN], 0);
    EXPECT_EQ(t.face[WORLD_FACE_LEFT], 0);
    EXPECT_EQ(t.face[WORLD_FACE_NEAR], -1);
    EXPECT_EQ(t.face[WORLD_FACE_RIGHT], 0);
    EXPECT_EQ(t.face[WORLD_FACE_BACK], -1);
    EXPECT_EQ(t.property[0], 1);   // name 3
    EXPECT_EQ(t.property[1], 0);
    EXPECT_EQ(t.property[2], 1);   // name 5
    EXPECT_EQ(t.property[3], 0);
    EXPECT_EQ(search_bitmap("sTONE"), 0);
    EXPECT_EQ(search_bitmap("NULL"), -1);
    EXPECT_EQ(search_bitmap("marble"), -10);
    EXPECT_EQ(search_sprite_bitmap("null"), -1);
}

TEST_F(WorldTest, AnimatedBitmapLinesMakeNamedEntries)
{
    ASSERT_EQ(load(with_base({">*flicker = stone, 3, GRASS, 4", "<pulse = ball, 2", "%5 = flicker, flicker, null, null, null, null",
                              "&2 = pulse, -50, -200, 0, 0, 0, 0, 0, 0, 0, 0, 0"})),
              WORLD_LOADED)
        << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(world_count.animations, 2);
    const WORLD_ANIMATION &f = world_animations[0];
    EXPECT_EQ(f.kind, WORLD_ANIM_BITMAPS);
    EXPECT_EQ(f.ping_pong, 1);
    EXPECT_EQ(f.target, 2);
    EXPECT_STREQ(world_bitmaps[2].name, "flicker");
    EXPECT_EQ(world_tiles[5].face[WORLD_FACE_UP], 2);
    EXPECT_EQ(world_sprite_bitmaps[1].animation, 1);
    // Negative sizes are percentages of the image (16 x 24).
    EXPECT_EQ(world_sprites[2].height, 12);
    EXPECT_EQ(world_sprites[2].width, 32);
}

TEST_F(WorldTest, DefinitionErrorsAreFatalWithTheirExactMessages)
{
    struct CASE {
        std::vector<std::string> lines;
        const char *message;
    };
    const std::vector<CASE> cases = {
        {{"@d 32", "@e 32", "#a = stone.png"}, "ERROR FATAL in Load_Level(t.def, (null))"},
        {{"@d 32", "@e 32", "^a = ball.png"}, "ERROR FATAL in Load_Level(t.def, (null))"},
        {with_base({"#STONE = grass.png"}), "Bitmap name stone already exist in Load_Level(t.def, (null))"},
        {with_base({"^Ball = ball.png"}), "Sprite Bitmap name ball already exist in Load_Level(t.def, (null))"},
        {with_base({">stone = grass, 1"}), "Bitmap name stone already exist  in Load_Level(t.def, (null))"},
        {with_base({"<ball = ball, 1"}), "Sprite Bitmap name ball already exist in Load_Level(t.def, (null))"},
        {with_base({">anim = marble, 1"}), "Bitmap marble doesn't exist in Load_Level(t.def, (null))"},
        {with_base({"<anim = marble, 1"}), "Sprite Bitmap marble doesn't exist in Load_Level(t.def, (null))"},
        {with_base({">anim = stone"}), "Delay Parameter missing in animated bitmap anim in Load_Level(t.def, (null))"},
        {with_base({">anim ="}), "Animated bitmap anim should have at least 1 frame in Load_Level(t.def, (null))"},
        {with_base({"] walk = walk, 3"}), "Parameters missing in super animated bitmap in Load_Level(t.def, (null))"},
        {with_base({"] walk = walk, 45, 1"}), "Can't load bitmap walk04.png in Load_Level(t.def, (null))"},
        {with_base({"%0 = stone, stone, stone, stone, stone, stone"}), "Wrong tile number 0 in Load_Level(t.def, (null))"},
        {with_base({"%300 = stone, stone, stone, stone, stone, stone"}),
         "Wrong tile number 300 in Load_Level(t.def, (null))"},
        {with_base({"%1 = stone, stone, stone, stone, stone, stone"}),
         "Tile number 1 already defined in Load_Level(t.def, (null))"},
        {with_base({"%7 = stone, stone, stone, stone, stone"}),
         "Very Few parameters in tile number 7 in Load_Level(t.def, (null))"},
        {with_base({"%7 = stone, marble, stone, stone, stone, stone"}),
         "Bitmap name marble doesn't exist in Load_Level(t.def, (null))"},
        {with_base({"%7 = stone, stone!, stone, stone, stone, stone"}),
         "ERROR: You can't use the property '!' for floors - Tile 7 in Load_Level(t.def, (null))"},
        {with_base({"&299 = ball, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0"}), "Wrong sprite number 299 in Load_Level(t.def, (null))"},
        {with_base({"&1 = ball, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0"}),
         "Sprite number 1 already defined in Load_Level(t.def, (null))"},
        {with_base({"&3 = ball, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0"}),
         "Very Few parameters in sprite number 3 in Load_Level(t.def, (null))"},
        {with_base({"&3 = stone, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0"}),
         "Sprite Bitmap name stone doesn't exist in Load_Level(t.def, (null))"},
        {with_base({"*2, 3 = 9, 10, 0, 0, 20, 1, 1, 10, 1, 1"}),
         "Tile number 9 used by an animated cell (z:2, x:3) is NOT defined in Load_Level(t.def, (null))"},
        {with_base({"*2, 3 = 1, 10, 20, 0, 20, 1, 1, 10, 1, 1"}),
         "The down face altitude cant be higher than the up face in moving cell (z:2, x:3) in Load_Level(t.def, (null))"},
        {with_base({"*2, 3 = 1, 10, 0"}), "Parameters missing in moving cell (z:2, x:3) in Load_Level(t.def, (null))"},
        {with_base({"*2, 3 = 1, 10, 0, 0, 20"}), "Speed parameter missing in moving cell (z:2, x:3) in Load_Level(t.def, (null))"},
        {with_base({"*2, 3 = 1, 10, 0, 0, 20, 1"}), "Delay parameter missing in moving cell (z:2, x:3) in Load_Level(t.def, (null))"},
        {with_base({"*2, 3 = 1, 10, 0, 0, 20, 1, 1"}),
         "Moving cell (z:2, x:3) should have at least 2 frames in Load_Level(t.def, (null))"},
        {with_base({"*12, 3 = 1, 10, 0, 0, 20, 1, 1, 10, 1, 1"}),
         "Moving cell (z:12, x:3) is outside the world in Load_Level(t.def, (null))"},
        {with_base({"+7 = 1, 2, 3, 4, 5"}), "Sprite number 7 used by an animated object, is NOT defined in Load_Level(t.def, (null))"},
        {with_base({"+1 = 1"}), "'Y' parameter missing in animated object 1 in Load_Level (t.def, (null))"},
        {with_base({"+1 = 1, 2"}), "'Z' parameter missing in animated object 1 in Load_Level (t.def, (null))"},
        {with_base({"+1 = 1, 2, 3"}), "Speed parameter missing in animated object 1 in Load_Level (t.def, (null))"},
        {with_base({"+1 = 1, 2, 3, 4"}), "Delay parameter missing in animated object 1 in Load_Level (t.def, (null))"},
        {with_base({"+1 ="}), "Animated object 1 should have at least 1 frame in Load_Level (t.def, (null))"},
        {with_base({"@j back.png, 100"}), "Parameter missing in Background (ver) in Load_Level(t.def, (null))"},
        {with_base({"@j back.png"}), "Parameter missing in Background (hor) in Load_Level(t.def, (null))"},
        {with_base({"@j back.png, 99, 100"}), "*Scale 99 for background should be at least 100 in Load_Level(t.def, (null))"},
        {with_base({"@j back.png, 100, 50"}), "Scale 50 for background should be at least 100 in Load_Level(t.def, (null))"},
        {with_base({"#missing = nowhere.png"}), "Can't load bitmap nowhere.png in Load_Level(t.def, (null))"},
        {with_base({"#" + std::string(40, 'n') + " = stone.png"}),
         "Name nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn is too long (maximum 39 characters) in Load_Level(t.def, (null))"},
        {{"@a -5"}, "Wrong value -5 for @a in Load_Level(t.def, (null))"},
        {{"@c 0"}, "Wrong value 0 for @c in Load_Level(t.def, (null))"},
        {{"@d 300"}, "Wrong value 300 for @d in Load_Level(t.def, (null))"},
        {{std::string(10000, 'x')}, "ERROR : Line is too long! ( maximun 9999 )"},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.lines.back().substr(0, 60));
        errors.clear();
        world_params_reset();
        EXPECT_EQ(load(c.lines), WORLD_FAILED);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], c.message);
        EXPECT_STREQ(world_error_message(), c.message);
        // Nothing of the failed world is left.
        EXPECT_EQ(world_tiles, nullptr);
        EXPECT_EQ(world_cells, nullptr);
        EXPECT_EQ(world_count.bitmaps, 0);
    }
}

TEST_F(WorldTest, AnimationAndObjectFrameLimits)
{
    std::string frames = ">many = ";
    for (int i = 0; i < 41; i++) frames += "stone, 1, ";
    EXPECT_EQ(load(with_base({frames})), WORLD_FAILED);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "You cant have more than 40 frames in animated bitmap many in Load_Level(t.def, (null))");

    errors.clear();
    std::string path = "*1, 1 = 1, 10, 0, 0";
    for (int i = 0; i < 31; i++) path += ", 10, 1, 1";
    EXPECT_EQ(load(with_base({path})), WORLD_FAILED);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "You can't have more than 30 frames per moving cell (z:1, x:1) in Load_Level(t.def, (null))");

    errors.clear();
    std::string route = "+1 = ";
    for (int i = 0; i < 31; i++) route += "1, 2, 3, 4, 5, ";
    EXPECT_EQ(load(with_base({route})), WORLD_FAILED);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Animated object 1 can't have more than 30 frames 31 in Load_Level (t.def, (null))");

    // Exactly 40 frames is fine.
    errors.clear();
    frames = ">many = ";
    for (int i = 0; i < 40; i++) frames += "stone, 1, ";
    EXPECT_EQ(load(with_base({frames})), WORLD_LOADED);
}

TEST_F(WorldTest, BackgroundIsLoadedOnceAndAMissingOneIsOnlyReported)
{
    png_write("back.png", 40, 30, 0x000080);
    ASSERT_EQ(load(with_base({"@j back.png, 120, 150", "@j stone.png, 200, 300"})), WORLD_LOADED);
    EXPECT_EQ(world_background_loaded, 1);
    EXPECT_EQ(world_background.width, 40) << "the first background stays";
    EXPECT_EQ(world_param.background_hor, 200);
    EXPECT_EQ(world_param.background_ver, 300);
    free_level();
    ASSERT_EQ(load(with_base({"@j nowhere.png, 100, 100"})), WORLD_LOADED);
    EXPECT_EQ(world_background_loaded, 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "nowhere.png|Can't load background bitmap!");
}

TEST_F(WorldTest, MapUnitRescalesObjectPositions)
{
    file_write("u.map", map_bytes(24, {object_bytes(1, 48.0, 7.5, 96.0)}, 10, 20, no_tile));
    ASSERT_EQ(load(base_lines(), "u.map"), WORLD_LOADED) << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(world_max_object, 1);
    EXPECT_EQ(world_objects[1].x, 24.0);
    EXPECT_EQ(world_objects[1].y, 7.5);
    EXPECT_EQ(world_objects[1].z, 48.0);
    // The sprite's fields were copied in.
    EXPECT_EQ(world_objects[1].width, 30);
    EXPECT_EQ(world_objects[1].param[7], 11);
    // The OLD format keeps coordinates as stored and says so.
    file_write("o.map", map_bytes(-1, {object_bytes(1, 48.0, 7.5, 96.0)}, 10, 20, no_tile));
    testing::internal::CaptureStdout();
    ASSERT_EQ(load(base_lines(), "o.map"), WORLD_LOADED);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Reading a map saved in the OLD format...\n");
    EXPECT_EQ(world_objects[1].x, 48.0);
    EXPECT_EQ(world_objects[1].z, 96.0);
}

TEST_F(WorldTest, WiderMapKeepsTheFirstColumnsAfterAWarning)
{
    // 120 columns x 100 rows into 100 x 100: tile 1 in the first 100 columns, 2 beyond.
    auto tile = [](int, int x) { return x < 100 ? 1 : 2; };
    file_write("w.map", map_bytes(12, {}, 100, 120, tile));
    std::vector<std::string> lines = base_lines();
    lines[0] = "@a 100";
    lines[1] = "@b 100";
    testing::internal::CaptureStdout();
    ASSERT_EQ(load(lines, "w.map"), WORLD_LOADED) << (errors.empty() ? "" : errors[0]);
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
    EXPECT_EQ(world_cell_at(4, 4)->tint, 0);
    EXPECT_EQ(world_cell_at(4, 4)->light, 15);
    file_write("c.map", map_bytes(12, {}, 10, 20, [](int, int) { return 5; }, 7, 3));
    EXPECT_EQ(load(base_lines(), "c.map"), WORLD_FAILED);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Tile number 5 used in the map file c.map is not defined in the def file t.def!");
}

TEST_F(WorldTest, HostileMapsAreRefused)
{
    std::string good = map_bytes(12, {object_bytes(1, 30, 0, 30), object_bytes(1, 60, 0, 60)}, 10, 20, no_tile);
    struct CASE {
        std::string bytes;
        const char *message;
    };
    std::string huge;
    le16(huge, -1100);
    le32(huge, 12);
    le16(huge, 998);
    std::string negative;
    le16(negative, -1100);
    le32(negative, 12);
    le16(negative, -3);
    std::string unit0 = good;
    unit0[2] = unit0[3] = unit0[4] = unit0[5] = 0;
    std::string sizes = map_bytes(12, {}, 0, 0, no_tile);
    sizes.resize(sizes.size() - 4);
    le16(sizes, -2);
    le16(sizes, 20);
    const std::vector<CASE> cases = {
        {huge + good.substr(8), "Wrong number of objects (998) in the map file h.map in Load_Level(t.def, h.map)"},
        {negative, "Wrong number of objects (-3) in the map file h.map in Load_Level(t.def, h.map)"},
        {unit0, "Wrong unit 0 in the map file h.map in Load_Level(t.def, h.map)"},
        {sizes, "The map file h.map has a wrong size (-2 x 20) in Load_Level(t.def, h.map)"},
        {map_bytes(12, {object_bytes(5, 1, 1, 1)}, 10, 20, no_tile),
         "Sprite 5 is NOT defined! Add a line starting with &5= in the level's .def file"},
        {map_bytes(12, {object_bytes(-7, 1, 1, 1)}, 10, 20, no_tile),
         "Sprite -7 is NOT defined! Add a line starting with &-7= in the level's .def file"},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.message);
        errors.clear();
        file_write("h.map", c.bytes);
        EXPECT_EQ(load(base_lines(), "h.map"), WORLD_FAILED);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], c.message);
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
    ASSERT_EQ(save_map("saved.map", world_cells, static_cast<int16_t>(world_param.depth),
                       static_cast<int16_t>(world_param.width), world_objects, world_max_object),
              1);
    std::vector<WORLD_CELL> cells(world_cells, world_cells + 200);
    std::vector<WORLD_OBJECT> objects(world_objects, world_objects + world_max_object + 1);
    int16_t highest = world_max_object;
    ASSERT_EQ(load(with_base({"+1 = 10, 0, 10, 5, 0, 40, 0, 40, 5, 0"}), "saved.map", 0), WORLD_LOADED);
    ASSERT_EQ(world_max_object, highest);
    EXPECT_EQ(std::memcmp(cells.data(), world_cells, 200 * sizeof(WORLD_CELL)), 0);
    for (int i = 0; i <= highest; i++) {
        EXPECT_EQ(world_objects[i].x, objects[i].x);
        EXPECT_EQ(world_objects[i].z, objects[i].z);
        EXPECT_EQ(world_objects[i].mirror_x, objects[i].mirror_x);
        EXPECT_EQ(world_objects[i].tint, objects[i].tint);
        EXPECT_EQ(world_objects[i].link_x, objects[i].link_x);
    }
    // Saving the reloaded world writes the same bytes.
    ASSERT_EQ(save_map("again.map", world_cells, 10, 20, world_objects, world_max_object), 1);
    EXPECT_EQ(file_read("saved.map"), file_read("again.map"));
    EXPECT_EQ(file_read("saved.map").size(), 8u + 3 * 59 + 4 + 200 * 22);
    EXPECT_EQ(save_map("/nonexistent_dir/x.map", world_cells, 10, 20, world_objects, 0), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Cant create map file!");
}
