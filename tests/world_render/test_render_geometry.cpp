// The renderer's geometry without a driver: the row width table, the near plane, colour codes,
// floor altitudes, point projection, face culling and neighbour hiding, drawing order, objects
// and their clipping, screen sprites and the editor marks, all captured from the sink.
#include "tests/world_render/render_fixture.h"

#include "game/game_error.h"
#include "platform/plat_core.h"

#include <algorithm>
#include <cmath>

using namespace render_test;

namespace {

std::vector<std::string> alerts;

int capture_alert(const char *text, const char *, unsigned)
{
    alerts.emplace_back(text ? text : "");
    return 1;
}

// The first view of the engine: W 319, H 199, fx 200, fy 166.
void first_view()
{
    world_view = WORLD_VIEW{319, 199, 160, 100, 200, 166, 15, 0, 8, 1.0, 0, 0, 1, 1, {15, 15}};
}

class RenderGeometry : public ::testing::Test {
protected:
    void SetUp() override
    {
        first_view();
        ASSERT_EQ(init_3d_engine(), 1);
        capture_start();
    }
    void TearDown() override
    {
        world_sink_set(nullptr);
        deinit_3d_engine();
    }
};

// Bitmap i shows "texture" 1000 + i, so that captured faces tell which face they are.
void name_bitmaps(TestWorld &w)
{
    for (int i = 0; i < 64; i++) w.bitmaps[i].texture = 1000u + i;
}

int count_texture(uint32_t texture)
{
    return static_cast<int>(std::count_if(captured.begin(), captured.end(), [&](const Polygon &p) { return p.texture == texture; }));
}

} // namespace

TEST_F(RenderGeometry, RowWidthTable)
{
    // 2 + the largest n with n*12*200/(d*12+10) + 159 < 319, or 2 when there is none.
    EXPECT_EQ(world_row_width[0], 2);    // 240 + 159 is already too wide
    EXPECT_EQ(world_row_width[1], 3);    // n = 1: 109 + 159 = 268; n = 2: 218 + 159 too wide
    EXPECT_EQ(world_row_width[10], 10);  // n = 8: 147 + 159 = 306; n = 9: 166 + 159 too wide
    EXPECT_EQ(world_row_width[50], 42);  // n = 40: 157 + 159 = 316; n = 41: 161 + 159 too wide
    // A wider viewport widens the far rows.
    set_world_viewport(479, 639);
    EXPECT_EQ(world_view.focal_x, 398);
    EXPECT_EQ(world_view.center_x, 320);
    EXPECT_EQ(world_view.horizon, 240);
    EXPECT_EQ(world_view.focal_y, 239 * 166 / 100);
    EXPECT_EQ(world_row_width[50], 42);
    // Small cells let more columns fit: d = 0: n * 2 * 398 / 10 + 319 < 639 up to n = 4.
    world_param.cell = 2;
    world_row_width_build();
    EXPECT_EQ(world_row_width[0], 6);
    EXPECT_EQ(world_row_width[50], 46);   // n * 796 / 110 < 320 up to n = 44
    world_param.cell = 12;
}

TEST_F(RenderGeometry, CameraRowNeedsFiveUnitsBeyondItsFarEdge)
{
    TestWorld w(10, 10, 12);
    name_bitmaps(w);
    w.tile(1, 1, -1, -1, -1, -1, -1);
    w.block(5, 5, 1, 0, -4);   // row 5 spans z 60..72
    render_world(66.0, 10.0, 64.9, 0);
    EXPECT_EQ(count_texture(1001), 0);
    capture_start();
    render_world(66.0, 10.0, 65.5, 0);
    ASSERT_EQ(count_texture(1001), 1);
    const Polygon &p = captured[0];
    EXPECT_TRUE(p.flags & WORLD_FACE_CUT);
    // The near edge lies on the plane at 5.0, the far edge at the camera's distance to z 60.
    float nearest = 1e9f, farthest = 0;
    for (const WORLD_VERTEX &v : p.v) nearest = std::min(nearest, v.dist), farthest = std::max(farthest, v.dist);
    EXPECT_FLOAT_EQ(nearest, 5.0f);
    EXPECT_FLOAT_EQ(farthest, 5.5f);
    // One row farther back is a whole cell: uncut, 5 to 17 units away.
    w.block(4, 5, 1, 0, -4);
    capture_start();
    render_world(66.0, 10.0, 70.0, 0);
    ASSERT_EQ(count_texture(1001), 2);
    EXPECT_FALSE(captured[0].flags & WORLD_FACE_CUT);
    EXPECT_TRUE(captured[1].flags & WORLD_FACE_CUT);
}

TEST_F(RenderGeometry, SlopedCellCutAtTheNearPlaneKeepsItsSlope)
{
    TestWorld w(10, 10, 12);
    name_bitmaps(w);
    w.tile(1, 1, -1, -1, -1, -1, -1);
    WORLD_CELL &c = w.at(5, 5);
    c.tile = 1;
    c.up[0] = c.up[2] = 12;   // +z edge
    c.up[1] = c.up[3] = 0;    // -z edge
    capture_start();
    // Camera 9 units beyond the -z edge: the plane at 5.0 cuts 4 units into the cell.
    render_world(66.0, 30.0, 69.0, 0);
    ASSERT_EQ(count_texture(1001), 1);
    const Polygon &p = captured[0];
    // Near vertices (u = 0..1, v = 4/12) sit at altitude 4; the projection shows it on screen.
    for (const WORLD_VERTEX &v : p.v)
        if (v.dist == 5.0f) {
            EXPECT_NEAR(v.v, 4.0f / 12.0f, 1e-5);
            EXPECT_NEAR(v.y, world_view.horizon - (4.0 - 30.0) * world_view.focal_y / 5.0, 1e-3);
        }
}

TEST_F(RenderGeometry, ObjectAtTheNearPlane)
{
    TestWorld w(10, 10, 12);
    WORLD_OBJECT o{};
    o.width = 10, o.height = 10, o.x = 0, o.y = 0, o.z = 95.1, o.sprite_bitmap = 0;
    EXPECT_EQ(draw_object(&o, 0, 0, 100.0, -1e6, 1e6, -1e6, 1e6, WORLD_CODE_WHITE), 0);
    o.z = 95.0;
    EXPECT_EQ(draw_object(&o, 0, 0, 100.0, -1e6, 1e6, -1e6, 1e6, WORLD_CODE_WHITE), 1);
    EXPECT_EQ(captured.size(), 1u);
}

TEST(RenderColors, CodesAndColours)
{
    float rgb[3];
    EXPECT_EQ(world_color_code(0, 15), WORLD_CODE_WHITE);
    world_code_color(world_color_code(0, 15), rgb);
    EXPECT_EQ(rgb[0], 1.0f);
    EXPECT_EQ(rgb[1], 1.0f);
    EXPECT_EQ(rgb[2], 1.0f);
    world_code_color(world_color_code(0, 14), rgb);
    for (float c : rgb) EXPECT_NEAR(c, 3584 * 0.0002441, 1e-6);
    EXPECT_NEAR(rgb[0], 0.8749, 1e-4);
    const float L = static_cast<float>(15 * 256 * 0.0002441);
    world_code_color(world_color_code(1, 15), rgb);
    EXPECT_NEAR(rgb[0], L, 1e-6);
    EXPECT_EQ(rgb[1], 0.0f);
    world_code_color(world_color_code(8, 15), rgb);
    EXPECT_NEAR(rgb[0], L, 1e-6);
    EXPECT_NEAR(rgb[1], L / 2, 1e-6);
    EXPECT_NEAR(rgb[2], L / 2, 1e-6);
    world_code_color(world_color_code(13, 15), rgb);
    EXPECT_NEAR(rgb[0], L / 2, 1e-6);
    EXPECT_NEAR(rgb[1], L, 1e-6);
    for (int tint : {14, 15}) {
        world_code_color(world_color_code(tint, 15), rgb);
        EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0f) << tint;
    }
    world_code_color(WORLD_TABLE_BYTES + 5, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0f);
    // Out-of-range tints and lights are clamped.
    EXPECT_EQ(world_color_code(20, -3), world_color_code(15, 0));
    EXPECT_EQ(world_color_code(0, 99), WORLD_CODE_WHITE);
}

TEST_F(RenderGeometry, LightFallsOffWithDistance)
{
    TestWorld w(10, 20, 12);
    name_bitmaps(w);
    w.tile(1, 1, -1, -1, -1, -1, -1);
    w.block(10, 5, 1, 0, -4);
    w.at(10, 5).tint = 2;
    world_view.cell_shading = 1;
    world_view.falloff_start = 2;
    world_view.falloff_rate = 1.5;
    // The cell lies 5 rows in front: 15 - trunc(3 * 1.5) = 11.
    render_world(66.0, 10.0, 15 * 12 + 6.0, 0);
    ASSERT_EQ(count_texture(1001), 1);
    EXPECT_EQ(captured[0].code, world_color_code(2, 11));
    world_view.cell_shading = 0;
    capture_start();
    render_world(66.0, 10.0, 15 * 12 + 6.0, 0);
    ASSERT_EQ(count_texture(1001), 1);
    EXPECT_EQ(captured[0].code, WORLD_CODE_WHITE);
    EXPECT_EQ(world_light_falloff(3, 40), 0);
}

TEST(RenderAltitude, FloorAltitudeSlopesAndOutside)
{
    TestWorld w(4, 4, 12);
    w.tile(1, 0, 0, 0, 0, 0, 0);
    WORLD_CELL &z_slope = w.at(2, 1);   // x 12..24, z 24..36
    z_slope.tile = 1;
    z_slope.up[0] = z_slope.up[2] = 12;   // +z edge
    z_slope.down[0] = z_slope.down[2] = -6;
    z_slope.down[1] = z_slope.down[3] = -12;
    EXPECT_DOUBLE_EQ(floor_altitude(15.0, 24.0), 0.0);
    EXPECT_DOUBLE_EQ(floor_altitude(15.0, 30.5), 6.0);
    EXPECT_DOUBLE_EQ(floor_altitude(15.0, 35.9), 11.0);
    EXPECT_DOUBLE_EQ(floor_down_altitude(15.0, 30.0), -9.0);
    WORLD_CELL &x_slope = w.at(1, 2);     // x 24..36, z 12..24
    x_slope.tile = 1;
    x_slope.up[2] = x_slope.up[3] = 6;    // +x edge
    EXPECT_DOUBLE_EQ(floor_altitude(28.0, 15.0), 2.0);
    EXPECT_DOUBLE_EQ(floor_altitude(34.0, 20.0), 5.0);
    w.block(0, 0, 1, 7, 3);
    EXPECT_DOUBLE_EQ(floor_altitude(5.0, 5.0), 7.0);
    EXPECT_DOUBLE_EQ(floor_down_altitude(5.0, 5.0), 3.0);
    // Empty cells, outside the grid, and negative coordinates (which truncate into row 0).
    EXPECT_DOUBLE_EQ(floor_altitude(40.0, 40.0), -9999.0);
    EXPECT_DOUBLE_EQ(floor_altitude(48.0, 5.0), -9999.0);
    EXPECT_DOUBLE_EQ(floor_altitude(5.0, 48.0), -9999.0);
    EXPECT_DOUBLE_EQ(floor_altitude(-3.0, 5.0), -9999.0);
    EXPECT_DOUBLE_EQ(floor_altitude(5.0, -0.5), -9999.0);
    EXPECT_DOUBLE_EQ(floor_down_altitude(-1.0, -1.0), -9999.0);
}

TEST(RenderProjection, ProjectPoint)
{
    first_view();
    float x = 0, y = 0;
    ASSERT_EQ(project_point(10, 5, 0, 0, 0, 100, &x, &y), 1);
    // 160 + 20 = 180 and 100 - trunc(8.3) = 92 in pixels.
    EXPECT_NEAR(x, 2.0 * 180 / 319 - 1, 1e-6);
    EXPECT_NEAR(y, -(2.0 * 92 / 199 - 1), 1e-6);
    ASSERT_EQ(project_point(0, 0, 50, 0, 0, 100, &x, &y), 1);
    EXPECT_NEAR(x, 2.0 * 160 / 319 - 1, 1e-6);
    EXPECT_NEAR(y, -(2.0 * 100 / 199 - 1), 1e-6);
    x = y = 7;
    EXPECT_EQ(project_point(0, 0, 100, 0, 0, 100, &x, &y), 0);
    EXPECT_EQ(project_point(0, 0, 120, 0, 0, 100, &x, &y), 0);
    EXPECT_EQ(x, 7);
}

TEST_F(RenderGeometry, HalfRowsFromTheirOuterEndsInward)
{
    TestWorld w(40, 20, 12);
    name_bitmaps(w);
    for (int col = 0; col < 40; col++) {
        w.tile(1 + col, col, -1, -1, -1, -1, -1);
        w.block(10, col, 1 + col, 0, -4);
    }
    world_view.depth = 5;
    // Camera in column 20, row 15: row 10 is 5 rows ahead.
    render_world(20 * 12 + 6.0, 10.0, 15 * 12 + 6.0, 0);
    int n = world_row_width[5];
    std::vector<int> order;
    for (const Polygon &p : captured) order.push_back(static_cast<int>(p.texture) - 1000);
    std::vector<int> expected;
    for (int col = 20 - n; col < 20; col++) expected.push_back(col);
    for (int col = 20 + n; col >= 20; col--) expected.push_back(col);
    expected.erase(std::remove_if(expected.begin(), expected.end(), [](int c) { return c < 0 || c >= 40; }), expected.end());
    EXPECT_EQ(order, expected);
}

TEST_F(RenderGeometry, RowsFarToNear)
{
    TestWorld w(10, 20, 12);
    name_bitmaps(w);
    for (int row = 0; row < 20; row++) {
        w.tile(1 + row, row, -1, -1, -1, -1, -1);
        w.block(row, 5, 1 + row, 0, -4);
    }
    world_view.depth = 6;
    render_world(66.0, 10.0, 15 * 12 + 9.0, 0);
    std::vector<int> rows;
    for (const Polygon &p : captured) rows.push_back(static_cast<int>(p.texture) - 1000);
    EXPECT_EQ(rows, (std::vector<int>{9, 10, 11, 12, 13, 14, 15}));
}

TEST_F(RenderGeometry, WallsFaceTheCameraAndHideBehindNeighbours)
{
    TestWorld w(20, 20, 12);
    name_bitmaps(w);
    // Tile 1: up 1, down 2, near 3, left (-x) 4, right (+x) 5, back 6.
    w.tile(1, 1, 2, 3, 4, 5, 6);
    w.tile(2, 11, 12, 13, 14, 15, 16);
    w.block(10, 8, 1, 6, 0);
    w.block(10, 9, 2, 6, 0);   // same height: hides the -x wall of this one
    // Camera left of both (column 6), above them, 4 rows back.
    render_world(6 * 12 + 6.0, 20.0, 14 * 12 + 6.0, 0);
    EXPECT_EQ(count_texture(1004), 1);   // -x wall of the first block
    EXPECT_EQ(count_texture(1014), 0);   // hidden by the first block
    EXPECT_EQ(count_texture(1005), 0);   // +x walls face away
    EXPECT_EQ(count_texture(1015), 0);
    EXPECT_EQ(count_texture(1003), 1);   // +z walls face the camera
    EXPECT_EQ(count_texture(1013), 1);
    EXPECT_EQ(count_texture(1001), 1);   // seen from above: up faces, no down faces
    EXPECT_EQ(count_texture(1002), 0);
    EXPECT_EQ(count_texture(1006), 1);   // the back wall is always handed over
    // A taller second block shows its -x wall above the first (two texture bands of 6 units).
    w.block(10, 9, 2, 9, 0);
    capture_start();
    render_world(6 * 12 + 6.0, 20.0, 14 * 12 + 6.0, 0);
    EXPECT_EQ(count_texture(1014), 2);
    // A block in the next row hides the +z wall; seen from below, the down face shows.
    w.block(11, 8, 2, 6, 0);
    capture_start();
    render_world(6 * 12 + 6.0, -20.0, 14 * 12 + 6.0, 0);
    EXPECT_EQ(count_texture(1003), 0);
    EXPECT_EQ(count_texture(1002), 1);
    EXPECT_EQ(count_texture(1001), 0);
    // With "!" on the -x wall the hidden wall is drawn anyway, marked see-through.
    w.block(10, 9, 2, 6, 0);
    w.block(11, 8, 0, 0, 0);
    w.tiles[2].property[0] = 1;
    capture_start();
    render_world(6 * 12 + 6.0, 20.0, 14 * 12 + 6.0, 0);
    ASSERT_EQ(count_texture(1014), 1);
    for (const Polygon &p : captured)
        if (p.texture == 1014) {
            EXPECT_TRUE(p.flags & WORLD_FACE_SEE_THROUGH);
        }
    // Switches: no walls, no floors.
    world_view.draw_walls = 0;
    capture_start();
    render_world(6 * 12 + 6.0, 20.0, 14 * 12 + 6.0, 0);
    EXPECT_EQ(count_texture(1004), 0);
    EXPECT_EQ(count_texture(1001), 1);
    world_view.draw_floors = 0;
    capture_start();
    render_world(6 * 12 + 6.0, 20.0, 14 * 12 + 6.0, 0);
    EXPECT_TRUE(captured.empty());
}

TEST_F(RenderGeometry, TallWallsRepeatTheirTextureInBands)
{
    TestWorld w(20, 20, 12);
    name_bitmaps(w);
    w.tile(1, 1, -1, 3, -1, -1, -1);
    // The band is 12 * 32 / (2 * 32) = 6 units: a 15-unit wall takes three bands.
    w.block(10, 8, 1, 15, 0);
    render_world(8 * 12 + 6.0, 20.0, 14 * 12 + 6.0, 0);
    ASSERT_EQ(count_texture(1003), 3);
    std::vector<float> bottoms;
    for (const Polygon &p : captured)
        if (p.texture == 1003) bottoms.push_back(p.v[2].v);
    EXPECT_EQ(bottoms, (std::vector<float>{1.0f, 1.0f, 0.5f}));
}

TEST_F(RenderGeometry, FarFacesAreFlagged)
{
    TestWorld w(10, 20, 12);
    name_bitmaps(w);
    w.tile(1, 1, -1, -1, -1, -1, -1);
    w.block(5, 5, 1, 0, -4);
    w.block(13, 5, 1, 0, -4);
    world_param.distance = 60;
    render_world(66.0, 10.0, 15 * 12 + 6.0, 0);
    ASSERT_EQ(captured.size(), 2u);
    EXPECT_TRUE(captured[0].flags & WORLD_FACE_FAR);    // 114 units away
    EXPECT_FALSE(captured[1].flags & WORLD_FACE_FAR);   // 18 units away
}

TEST_F(RenderGeometry, CellObjectsFarToNearAndClippedToTheCell)
{
    TestWorld w(10, 20, 12);
    w.sprite_bitmaps[1].texture = 501;
    w.sprite_bitmaps[2].texture = 502;
    // Listed near first; drawn far first.
    int near = w.object(1, 66.0, 0.0, 131.0, 4, 6);
    int far = w.object(2, 66.0, 0.0, 125.0, 4, 6);
    ASSERT_NE(near, far);
    render_world(66.0, 10.0, 15 * 12 + 6.0, 0);
    ASSERT_EQ(captured.size(), 2u);
    EXPECT_EQ(captured[0].texture, 502u);
    EXPECT_EQ(captured[1].texture, 501u);
    // A 30-unit object spans three cells: three slices that meet at the cell edges.
    TestWorld wide(10, 20, 12);
    wide.sprite_bitmaps[1].texture = 600;
    wide.object(1, 66.0, 0.0, 130.0, 30, 6);
    capture_start();
    render_world(66.0, 10.0, 15 * 12 + 6.0, 0);
    ASSERT_EQ(captured.size(), 3u);
    float total_u = 0;
    for (const Polygon &p : captured) total_u += p.v[1].u - p.v[0].u;
    EXPECT_NEAR(total_u, 0.99f, 0.01f);
}

TEST_F(RenderGeometry, MirroredAndTransparentObjects)
{
    TestWorld w(10, 10, 12);
    WORLD_OBJECT o{};
    o.width = 20, o.height = 10, o.z = 0, o.sprite_bitmap = 3, o.transparency = 2;
    ASSERT_EQ(draw_object(&o, 0, 0, 100.0, -1e6, 1e6, -1e6, 1e6, WORLD_CODE_WHITE), 1);
    const Polygon plain = captured.back();
    EXPECT_FLOAT_EQ(plain.v[0].u, 0.0f);
    EXPECT_FLOAT_EQ(plain.v[1].u, 0.99f);
    EXPECT_FLOAT_EQ(plain.v[0].v, 0.0f);
    EXPECT_FLOAT_EQ(plain.v[3].v, 0.99f);
    EXPECT_FLOAT_EQ(plain.alpha, 0.5f);
    // Sizes: 20 * 200 / 100 = 40 pixels wide, centred; 10 * 166 / 100 high, standing on y = 0.
    EXPECT_FLOAT_EQ(plain.v[1].x - plain.v[0].x, 40.0f);
    EXPECT_FLOAT_EQ(plain.v[0].x, 160.0f - 20.0f);
    EXPECT_FLOAT_EQ(plain.v[3].y, 100.0f);
    EXPECT_NEAR(plain.v[3].y - plain.v[0].y, 16.6f, 1e-4);
    o.mirror_x = 1;
    o.mirror_y = 1;
    o.transparency = 0;
    draw_object(&o, 0, 0, 100.0, -1e6, 1e6, -1e6, 1e6, WORLD_CODE_WHITE);
    const Polygon mirrored = captured.back();
    EXPECT_FLOAT_EQ(mirrored.v[0].u, 0.99f);
    EXPECT_FLOAT_EQ(mirrored.v[1].u, 0.0f);
    EXPECT_FLOAT_EQ(mirrored.v[0].v, 0.99f);
    EXPECT_FLOAT_EQ(mirrored.alpha, 1.0f);
    // Clipped to x 0..5 world units: the right half, texture cut to match.
    o.mirror_x = o.mirror_y = 0;
    draw_object(&o, 0, 0, 100.0, 0.0, 5.0, -1e6, 1e6, WORLD_CODE_WHITE);
    const Polygon cut = captured.back();
    EXPECT_FLOAT_EQ(cut.v[0].x, 160.0f);
    EXPECT_FLOAT_EQ(cut.v[1].x, 170.0f);
    EXPECT_NEAR(cut.v[0].u, 0.495f, 1e-5);
    EXPECT_NEAR(cut.v[1].u, 0.7425f, 1e-5);
    // Wholly outside its window: nothing.
    EXPECT_EQ(draw_object(&o, 0, 0, 100.0, 30.0, 40.0, -1e6, 1e6, WORLD_CODE_WHITE), 0);
}

TEST_F(RenderGeometry, SpriteFontTable)
{
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('A')], 200);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('z')], 225);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('0')], 226);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>(' ')], 236);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('-')], 237);
    EXPECT_EQ(world_sprite_font[255], 238);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('!')], 239);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('.')], 258);
    EXPECT_EQ(world_sprite_font[199], 259);
    EXPECT_EQ(world_sprite_font[193], 265);
    EXPECT_EQ(world_sprite_font[static_cast<unsigned char>('~')], 236);
}

TEST_F(RenderGeometry, ScreenSpritesAndSpriteText)
{
    TestWorld w(4, 4, 12);
    for (int s : {200, 201, 202}) {
        w.sprites[s].defined = 1;
        w.sprites[s].sprite_bitmap = static_cast<int16_t>(s - 190);
        w.sprite_bitmaps[s - 190].texture = static_cast<uint32_t>(s);
    }
    // Top-left corner at (x * fx / 100, y * fy / 100): (40, 33.2) pixels, 8 x 10 units.
    draw_screen_sprite(200, 20.0, 20.0, 0, 15, 0, 10.0, 8.0, 0, 0);
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_NEAR(captured[0].v[0].x, 40.0, 1.0);
    EXPECT_NEAR(captured[0].v[0].y, 33.2, 1.0);
    EXPECT_NEAR(captured[0].v[1].x - captured[0].v[0].x, 16.0, 1.0);
    EXPECT_NEAR(captured[0].v[3].y - captured[0].v[0].y, 16.6, 1.0);
    EXPECT_EQ(captured[0].code, WORLD_CODE_WHITE);
    // Text: a space draws nothing, lower case uses the capitals, undefined sprites are skipped.
    capture_start();
    draw_sprite_text("a B!c", 10.0, 10.0, 3, 12, 0, 8.0, 8.0, 9.0);
    ASSERT_EQ(captured.size(), 3u);
    EXPECT_EQ(captured[0].texture, 200u);
    EXPECT_EQ(captured[1].texture, 201u);
    EXPECT_EQ(captured[2].texture, 202u);
    EXPECT_NEAR(captured[1].v[0].x - captured[0].v[0].x, 2 * 9.0 * 200 / 100, 1.0);
    EXPECT_EQ(captured[0].code, world_color_code(3, 12));
    // Undefined sprites and no world: nothing, and no crash.
    capture_start();
    draw_screen_sprite(298, 0, 0, 0, 15, 0, 8, 8, 0, 0);
    EXPECT_TRUE(captured.empty());
}

TEST_F(RenderGeometry, EditorMarks)
{
    TestWorld w(10, 20, 12);
    w.tile(1, 0, -1, -1, -1, -1, -1);
    w.block(11, 5, 1, 3, 0);
    std::vector<uint8_t> font(WORLD_FONT_GLYPHS * 7, 0x1F);   // every glyph a full 5 x 7 block
    world_editor_font = font.data();
    render_world(66.0, 10.0, 15 * 12 + 6.0, 0);
    EXPECT_EQ(captured_lines, 0);
    EXPECT_EQ(captured_points, 0);
    render_world(66.0, 10.0, 15 * 12 + 6.0, 1);
    EXPECT_EQ(captured_lines, 4);
    EXPECT_EQ(captured_points, 4 * 35);   // "3" at each of the four corners
    world_editor_font = nullptr;
}

TEST(RenderFont, GlyphMap)
{
    EXPECT_EQ(world_font_glyph('a'), 0);
    EXPECT_EQ(world_font_glyph('Z'), 51);
    EXPECT_EQ(world_font_glyph('9'), 61);
    EXPECT_EQ(world_font_glyph(' '), 62);
    EXPECT_EQ(world_font_glyph('-'), 75);
    EXPECT_EQ(world_font_glyph('@'), 82);
    EXPECT_EQ(world_font_glyph('~'), -1);
    EXPECT_EQ(world_font_glyph(0), -1);
}

TEST(RenderFiles, TransparencyTablesAndFontAreChecked)
{
    plat_alert_capture(capture_alert);
    char dir[] = "/tmp/vm_render_files_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string tab = std::string(dir) + "/transp.tab", font = std::string(dir) + "/font.dat";
    std::vector<uint8_t> bytes(1 + 2 * WORLD_TABLE_BYTES, 7);
    bytes[0] = 2;
    FILE *f = std::fopen(tab.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    EXPECT_EQ(load_transparency_tables(tab.c_str()), 1);
    EXPECT_EQ(world_table_count, 2);
    EXPECT_EQ(world_tables[WORLD_TABLE_BYTES + 5], 7);
    free_transparency_tables();
    EXPECT_EQ(world_tables, nullptr);
    // One table short: an error naming the missing table, nothing kept.
    f = std::fopen(tab.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size() - 1, f);
    std::fclose(f);
    alerts.clear();
    EXPECT_EQ(load_transparency_tables(tab.c_str()), 0);
    EXPECT_EQ(world_tables, nullptr);
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().find("Cant open transparency table 1\n"), std::string::npos);
    EXPECT_EQ(load_transparency_tables((std::string(dir) + "/none.tab").c_str()), 0);

    std::vector<uint8_t> glyphs(WORLD_FONT_GLYPHS * 7, 0);
    glyphs[7 * 52] = 0x10;   // "0": one point at its top left
    f = std::fopen(font.c_str(), "wb");
    std::fwrite(glyphs.data(), 1, glyphs.size(), f);
    std::fclose(f);
    ASSERT_EQ(load_editor_font(font.c_str()), 1);
    capture_start();
    world_font_text("00a", 10, 20);
    EXPECT_EQ(captured_points, 2);
    world_sink_set(nullptr);
    free_editor_font();
    f = std::fopen(font.c_str(), "wb");
    std::fwrite(glyphs.data(), 1, 100, f);
    std::fclose(f);
    alerts.clear();
    EXPECT_EQ(load_editor_font(font.c_str()), 0);
    EXPECT_EQ(world_editor_font, nullptr);
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().find("Cant open the file"), std::string::npos);
    plat_alert_capture(nullptr);
}
