// The renderer's geometry captured from the sink: row widths, the near plane, colour codes,
// altitudes, projection, culling and hiding, drawing order, objects, sprites and editor marks.
#include "tests/world_render/render_fixture.h"

#include "platform/plat_core.h"

#include <algorithm>
#include <tuple>

using namespace render_test;

namespace {

std::vector<std::string> alerts;

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

// A world of 12-unit cells whose bitmap i shows "texture" 1000 + i, so that captured faces tell
// which face they are; tile 1 has only an up face (bitmap 1).
struct NamedWorld : TestWorld {
    NamedWorld(int a, int b) : TestWorld(a, b, 12)
    {
        for (int i = 0; i < 64; i++) bitmaps[i].texture = 1000u + i;
        tile(1, 1, -1, -1, -1, -1, -1);
    }
};

// Renders afresh from the camera at x, y, z.
void render(double x, double y, double z, int marks = 0)
{
    capture_start();
    render_world(x, y, z, marks);
}

int count_texture(uint32_t texture)
{
    return std::count_if(captured.begin(), captured.end(), [&](const Polygon &p) { return p.texture == texture; });
}

// The captured textures in drawing order, less 1000.
std::vector<int> drawn()
{
    std::vector<int> order;
    for (const Polygon &p : captured) order.push_back(int(p.texture) - 1000);
    return order;
}

int draw(WORLD_OBJECT &o, double x0 = -1e6, double x1 = 1e6)
{
    return draw_object(&o, 0, 0, 100.0, x0, x1, -1e6, 1e6, WORLD_CODE_WHITE);
}

void write_file(const std::string &path, const std::vector<uint8_t> &bytes, size_t size)
{
    std::ofstream(path, std::ios::binary).write((const char *)bytes.data(), size);
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
    NamedWorld w(10, 10);
    w.block(5, 5, 1, 0, -4);   // row 5 spans z 60..72
    render(66.0, 10.0, 64.9);
    EXPECT_EQ(count_texture(1001), 0);
    render(66.0, 10.0, 65.5);
    ASSERT_EQ(count_texture(1001), 1);
    EXPECT_TRUE(captured[0].flags & WORLD_FACE_CUT);
    // The near edge lies on the plane at 5.0, the far edge at the camera's distance to z 60.
    auto [nearest, farthest] = std::minmax_element(captured[0].v.begin(), captured[0].v.end(),
                                                   [](const WORLD_VERTEX &a, const WORLD_VERTEX &b) { return a.dist < b.dist; });
    EXPECT_FLOAT_EQ(nearest->dist, 5.0f);
    EXPECT_FLOAT_EQ(farthest->dist, 5.5f);
    // One row farther back is a whole cell: uncut, 5 to 17 units away.
    w.block(4, 5, 1, 0, -4);
    render(66.0, 10.0, 70.0);
    ASSERT_EQ(count_texture(1001), 2);
    EXPECT_FALSE(captured[0].flags & WORLD_FACE_CUT);
    EXPECT_TRUE(captured[1].flags & WORLD_FACE_CUT);
}

TEST_F(RenderGeometry, SlopedCellCutAtTheNearPlaneKeepsItsSlope)
{
    NamedWorld w(10, 10);
    WORLD_CELL &c = w.at(5, 5);
    c.tile = 1;
    c.up[0] = c.up[2] = 12;   // +z edge; the -z edge stays at 0
    // Camera 9 units beyond the -z edge: the plane at 5.0 cuts 4 units into the cell.
    render(66.0, 30.0, 69.0);
    ASSERT_EQ(count_texture(1001), 1);
    // Near vertices (u = 0..1, v = 4/12) sit at altitude 4; the projection shows it on screen.
    for (const WORLD_VERTEX &v : captured[0].v)
        if (v.dist == 5.0f) {
            EXPECT_NEAR(v.v, 4.0f / 12.0f, 1e-5);
            EXPECT_NEAR(v.y, world_view.horizon - (4.0 - 30.0) * world_view.focal_y / 5.0, 1e-3);
        }
}

TEST(RenderColors, CodesAndColours)
{
    const float L = 15 * 256 * 0.0002441f, G = 3584 * 0.0002441f;
    struct CASE {
        int tint, light;
        float r, g, b;   // -1: not checked
    } cases[] = {{0, 15, 1, 1, 1},        {0, 14, G, G, G},  {1, 15, L, 0, -1}, {8, 15, L, L / 2, L / 2},
                 {13, 15, L / 2, L, -1}, {14, 15, 0, 0, 0}, {15, 15, 0, 0, 0}};
    float rgb[3];
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.tint * 100 + c.light);
        world_code_color(world_color_code(c.tint, c.light), rgb);
        const float want[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(rgb[k], want[k] < 0 ? rgb[k] : want[k], want[k] == 0 || want[k] == 1 ? 0.0 : 1e-6) << k;
    }
    EXPECT_EQ(world_color_code(0, 15), WORLD_CODE_WHITE);
    EXPECT_NEAR(G, 0.8749, 1e-4);
    world_code_color(WORLD_TABLE_BYTES + 5, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0.0f);
    // Out-of-range tints and lights are clamped.
    EXPECT_EQ(world_color_code(20, -3), world_color_code(15, 0));
    EXPECT_EQ(world_color_code(0, 99), WORLD_CODE_WHITE);
}

TEST_F(RenderGeometry, LightFallsOffWithDistance)
{
    NamedWorld w(10, 20);
    w.block(10, 5, 1, 0, -4);
    w.at(10, 5).tint = 2;
    world_view.cell_shading = 1;
    world_view.falloff_start = 2;
    world_view.falloff_rate = 1.5;
    // The cell lies 5 rows in front: 15 - trunc(3 * 1.5) = 11.
    render(66.0, 10.0, 15 * 12 + 6.0);
    ASSERT_EQ(count_texture(1001), 1);
    EXPECT_EQ(captured[0].code, world_color_code(2, 11));
    world_view.cell_shading = 0;
    render(66.0, 10.0, 15 * 12 + 6.0);
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
    WORLD_CELL &x_slope = w.at(1, 2);     // x 24..36, z 12..24
    x_slope.tile = 1;
    x_slope.up[2] = x_slope.up[3] = 6;    // +x edge
    w.block(0, 0, 1, 7, 3);
    const double up[][3] = {{15, 24, 0}, {15, 30.5, 6}, {15, 35.9, 11}, {28, 15, 2}, {34, 20, 5}, {5, 5, 7},
                            // empty cells, outside the grid, negative coordinates (truncating into row 0)
                            {40, 40, -9999}, {48, 5, -9999}, {5, 48, -9999}, {-3, 5, -9999}, {5, -0.5, -9999}};
    for (auto &c : up) EXPECT_DOUBLE_EQ(floor_altitude(c[0], c[1]), c[2]) << c[0] << "," << c[1];
    EXPECT_DOUBLE_EQ(floor_down_altitude(15.0, 30.0), -9.0);
    EXPECT_DOUBLE_EQ(floor_down_altitude(5.0, 5.0), 3.0);
    EXPECT_DOUBLE_EQ(floor_down_altitude(-1.0, -1.0), -9999.0);
}

TEST(RenderProjection, ProjectPoint)
{
    first_view();
    float x = 0, y = 0;
    // Pixels (160 + 20, 100 - trunc(8.3)) and the centre, as -1..1 device coordinates.
    for (auto [wx, wy, wz, px, py] : {std::tuple{10, 5, 0, 180, 92}, {0, 0, 50, 160, 100}}) {
        ASSERT_EQ(project_point(wx, wy, wz, 0, 0, 100, &x, &y), 1);
        EXPECT_NEAR(x, 2.0 * px / 319 - 1, 1e-6);
        EXPECT_NEAR(y, -(2.0 * py / 199 - 1), 1e-6);
    }
    // The horizon shift of render_world (40 % of 199 up: 79 pixels) moves projected points too.
    world_view.horizon_shift = -40;
    ASSERT_EQ(project_point(0, 0, 50, 0, 0, 100, &x, &y), 1);
    EXPECT_NEAR(y, -(2.0 * (100 - 79) / 199 - 1), 1e-6);
    world_view.horizon_shift = 0;
    x = y = 7;
    EXPECT_EQ(project_point(0, 0, 100, 0, 0, 100, &x, &y), 0);
    EXPECT_EQ(project_point(0, 0, 120, 0, 0, 100, &x, &y), 0);
    EXPECT_EQ(x, 7);
}

TEST_F(RenderGeometry, DrawingOrderRowsFarToNearHalfRowsFromTheirOuterEnds)
{
    NamedWorld w(40, 20);
    for (int col = 0; col < 40; col++) {
        w.tile(1 + col, col, -1, -1, -1, -1, -1);
        w.block(10, col, 1 + col, 0, -4);
    }
    world_view.depth = 5;
    // Camera in column 20, row 15: row 10 is 5 rows ahead.
    render(20 * 12 + 6.0, 10.0, 15 * 12 + 6.0);
    int n = world_row_width[5];
    std::vector<int> expected;
    for (int col = std::max(20 - n, 0); col < 20; col++) expected.push_back(col);
    for (int col = std::min(20 + n, 39); col >= 20; col--) expected.push_back(col);
    EXPECT_EQ(drawn(), expected);

    NamedWorld rows(10, 20);
    for (int row = 0; row < 20; row++) {
        rows.tile(1 + row, row, -1, -1, -1, -1, -1);
        rows.block(row, 5, 1 + row, 0, -4);
    }
    world_view.depth = 6;
    render(66.0, 10.0, 15 * 12 + 9.0);
    EXPECT_EQ(drawn(), (std::vector<int>{9, 10, 11, 12, 13, 14, 15}));
}

TEST_F(RenderGeometry, WallsFaceTheCameraAndHideBehindNeighbours)
{
    NamedWorld w(20, 20);
    // Tile 1: up 1, down 2, near 3, left (-x) 4, right (+x) 5, back 6.
    w.tile(1, 1, 2, 3, 4, 5, 6);
    w.tile(2, 11, 12, 13, 14, 15, 16);
    w.block(10, 8, 1, 6, 0);
    w.block(10, 9, 2, 6, 0);   // same height: hides the -x wall of this one
    // Camera left of both (column 6), above them, 4 rows back.
    const double X = 6 * 12 + 6.0, Z = 14 * 12 + 6.0;
    render(X, 20.0, Z);
    // -x wall of the first block only; +x walls face away; +z walls face the camera; up faces
    // but no down faces from above; the back wall is always handed over.
    const std::pair<int, int> counts[] = {{1004, 1}, {1014, 0}, {1005, 0}, {1015, 0}, {1003, 1},
                                          {1013, 1}, {1001, 1}, {1002, 0}, {1006, 1}};
    for (auto [texture, count] : counts) EXPECT_EQ(count_texture(texture), count) << texture;
    // A taller second block shows its -x wall above the first (two texture bands of 6 units).
    w.block(10, 9, 2, 9, 0);
    render(X, 20.0, Z);
    EXPECT_EQ(count_texture(1014), 2);
    // A block in the next row hides the +z wall; seen from below, the down face shows.
    w.block(11, 8, 2, 6, 0);
    render(X, -20.0, Z);
    EXPECT_EQ(count_texture(1003), 0);
    EXPECT_EQ(count_texture(1002), 1);
    EXPECT_EQ(count_texture(1001), 0);
    // With "!" on the -x wall the hidden wall is drawn anyway, marked see-through.
    w.block(10, 9, 2, 6, 0);
    w.block(11, 8, 0, 0, 0);
    w.tiles[2].property[0] = 1;
    render(X, 20.0, Z);
    ASSERT_EQ(count_texture(1014), 1);
    for (const Polygon &p : captured)
        EXPECT_TRUE(p.texture != 1014 || (p.flags & WORLD_FACE_SEE_THROUGH));
    // Switches: no walls, no floors.
    world_view.draw_walls = 0;
    render(X, 20.0, Z);
    EXPECT_EQ(count_texture(1004), 0);
    EXPECT_EQ(count_texture(1001), 1);
    world_view.draw_floors = 0;
    render(X, 20.0, Z);
    EXPECT_TRUE(captured.empty());
}

TEST_F(RenderGeometry, TallWallsRepeatTheirTextureInBandsAndFarFacesAreFlagged)
{
    NamedWorld w(20, 20);
    w.tile(2, 1, -1, 3, -1, -1, -1);
    // The band is 12 * 32 / (2 * 32) = 6 units: a 15-unit wall takes three bands.
    w.block(10, 8, 2, 15, 0);
    render(8 * 12 + 6.0, 20.0, 14 * 12 + 6.0);
    std::vector<float> bottoms;
    for (const Polygon &p : captured)
        if (p.texture == 1003) bottoms.push_back(p.v[2].v);
    EXPECT_EQ(bottoms, (std::vector<float>{1.0f, 1.0f, 0.5f}));

    NamedWorld far(10, 20);
    far.block(5, 5, 1, 0, -4);
    far.block(13, 5, 1, 0, -4);
    world_param.distance = 60;
    render(66.0, 10.0, 15 * 12 + 6.0);
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
    w.object(1, 66.0, 0.0, 131.0, 4, 6);
    w.object(2, 66.0, 0.0, 125.0, 4, 6);
    render(66.0, 10.0, 15 * 12 + 6.0);
    ASSERT_EQ(captured.size(), 2u);
    EXPECT_EQ(captured[0].texture, 502u);
    EXPECT_EQ(captured[1].texture, 501u);
    // A 30-unit object spans three cells: three slices that meet at the cell edges.
    TestWorld wide(10, 20, 12);
    wide.sprite_bitmaps[1].texture = 600;
    wide.object(1, 66.0, 0.0, 130.0, 30, 6);
    render(66.0, 10.0, 15 * 12 + 6.0);
    ASSERT_EQ(captured.size(), 3u);
    float total_u = 0;
    for (const Polygon &p : captured) total_u += p.v[1].u - p.v[0].u;
    EXPECT_NEAR(total_u, 0.99f, 0.01f);
}

TEST_F(RenderGeometry, ObjectsAtTheNearPlaneMirroredAndTransparent)
{
    TestWorld w(10, 10, 12);
    WORLD_OBJECT o{};
    o.width = 20, o.height = 10, o.sprite_bitmap = 3, o.transparency = 2, o.z = 95.1;
    EXPECT_EQ(draw(o), 0);   // 4.9 from the camera
    o.z = 95.0;
    EXPECT_EQ(draw(o), 1);
    EXPECT_EQ(captured.size(), 1u);
    o.z = 0;
    auto corners = [](const Polygon &p) { return std::vector<float>{p.v[0].u, p.v[1].u, p.v[0].v, p.v[3].v, p.alpha}; };
    ASSERT_EQ(draw(o), 1);
    const Polygon plain = captured.back();
    EXPECT_EQ(corners(plain), (std::vector<float>{0.0f, 0.99f, 0.0f, 0.99f, 0.5f}));
    // Sizes: 20 * 200 / 100 = 40 pixels wide, centred; 10 * 166 / 100 high, standing on y = 0.
    EXPECT_FLOAT_EQ(plain.v[1].x - plain.v[0].x, 40.0f);
    EXPECT_FLOAT_EQ(plain.v[0].x, 160.0f - 20.0f);
    EXPECT_FLOAT_EQ(plain.v[3].y, 100.0f);
    EXPECT_NEAR(plain.v[3].y - plain.v[0].y, 16.6f, 1e-4);
    o.mirror_x = o.mirror_y = 1;
    o.transparency = 0;
    draw(o);
    EXPECT_EQ(corners(captured.back()), (std::vector<float>{0.99f, 0.0f, 0.99f, 0.0f, 1.0f}));
    // Clipped to x 0..5 world units: the right half, texture cut to match.
    o.mirror_x = o.mirror_y = 0;
    draw(o, 0.0, 5.0);
    const Polygon cut = captured.back();
    EXPECT_FLOAT_EQ(cut.v[0].x, 160.0f);
    EXPECT_FLOAT_EQ(cut.v[1].x, 170.0f);
    EXPECT_NEAR(cut.v[0].u, 0.495f, 1e-5);
    EXPECT_NEAR(cut.v[1].u, 0.7425f, 1e-5);
    // Wholly outside its window: nothing.
    EXPECT_EQ(draw(o, 30.0, 40.0), 0);
}

TEST_F(RenderGeometry, SpriteFontTableAndEditorGlyphs)
{
    const std::pair<int, int> sprites[] = {{'A', 200}, {'z', 225}, {'0', 226}, {' ', 236}, {'-', 237}, {255, 238},
                                           {'!', 239}, {'.', 258}, {199, 259}, {193, 265}, {'~', 236}, {220, 282},
                                           {252, 282}, {231, 259}, {191, 285}, {186, 287}, {247, 236}};
    for (auto [c, sprite] : sprites) EXPECT_EQ(world_sprite_font[c], sprite) << c;
    const std::pair<int, int> glyphs[] = {{'a', 0}, {'Z', 51}, {'9', 61}, {' ', 62}, {'-', 75}, {'@', 82}, {'~', -1}, {0, -1}};
    for (auto [c, glyph] : glyphs) EXPECT_EQ(world_font_glyph(c), glyph) << c;
}

TEST_F(RenderGeometry, ScreenSpritesAndSpriteText)
{
    TestWorld w(4, 4, 12);
    for (int s : {200, 201, 202}) {
        w.sprites[s].defined = 1;
        w.sprites[s].sprite_bitmap = s - 190;
        w.sprite_bitmaps[s - 190].texture = s;
    }
    // Top-left corner at (x * fx / 100, y * fy / 100): (40, 33.2) pixels, 8 x 10 units.
    draw_screen_sprite(200, 20.0, 20.0, 0, 15, 0, 10.0, 8.0, 0, 0);
    ASSERT_EQ(captured.size(), 1u);
    const std::vector<WORLD_VERTEX> &v = captured[0].v;
    EXPECT_NEAR(v[0].x, 40.0, 1.0);
    EXPECT_NEAR(v[0].y, 33.2, 1.0);
    EXPECT_NEAR(v[1].x - v[0].x, 16.0, 1.0);
    EXPECT_NEAR(v[3].y - v[0].y, 16.6, 1.0);
    EXPECT_EQ(captured[0].code, WORLD_CODE_WHITE);
    // Text: a space draws nothing, lower case uses the capitals, undefined sprites are skipped.
    capture_start();
    draw_sprite_text("a B!c", 10.0, 10.0, 3, 12, 0, 8.0, 8.0, 9.0);
    EXPECT_EQ(drawn(), (std::vector<int>{-800, -799, -798}));
    ASSERT_EQ(captured.size(), 3u);
    EXPECT_NEAR(captured[1].v[0].x - captured[0].v[0].x, 2 * 9.0 * 200 / 100, 1.0);
    EXPECT_EQ(captured[0].code, world_color_code(3, 12));
    // An undefined sprite: nothing, and no crash.
    capture_start();
    draw_screen_sprite(298, 0, 0, 0, 15, 0, 8, 8, 0, 0);
    EXPECT_TRUE(captured.empty());
}

TEST_F(RenderGeometry, EditorMarks)
{
    NamedWorld w(10, 20);
    w.block(11, 5, 1, 3, 0);
    std::vector<uint8_t> font(WORLD_FONT_GLYPHS * 7, 0x1F);   // every glyph a full 5 x 7 block
    world_editor_font = font.data();
    render(66.0, 10.0, 15 * 12 + 6.0);
    EXPECT_EQ(std::pair(captured_lines, captured_points), std::pair(0, 0));
    render(66.0, 10.0, 15 * 12 + 6.0, 1);
    EXPECT_EQ(std::pair(captured_lines, captured_points), std::pair(4, 4 * 35));   // "3" at each of the four corners
    world_editor_font = nullptr;
}

TEST(RenderFiles, TransparencyTablesAndFontAreChecked)
{
    world_error_hook_set([](const char *message) { alerts.emplace_back(message); });
    char dir[] = "/tmp/vm_render_files_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string tab = std::string(dir) + "/transp.tab", font = std::string(dir) + "/font.dat";
    std::vector<uint8_t> bytes(1 + 2 * WORLD_TABLE_BYTES, 7);
    bytes[0] = 2;
    write_file(tab, bytes, bytes.size());
    EXPECT_EQ(load_transparency_tables(tab.c_str()), 1);
    EXPECT_EQ(world_table_count, 2);
    EXPECT_EQ(world_tables[WORLD_TABLE_BYTES + 5], 7);
    free_transparency_tables();
    EXPECT_EQ(world_tables, nullptr);
    // One table short: an error naming the missing table, nothing kept.
    write_file(tab, bytes, bytes.size() - 1);
    alerts.clear();
    EXPECT_EQ(load_transparency_tables(tab.c_str()), 0);
    EXPECT_EQ(world_tables, nullptr);
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().find("Cant open transparency table 1\n"), std::string::npos);
    EXPECT_EQ(load_transparency_tables((std::string(dir) + "/none.tab").c_str()), 0);

    std::vector<uint8_t> glyphs(WORLD_FONT_GLYPHS * 7, 0);
    glyphs[7 * 52] = 0x10;   // "0": one point at its top left
    write_file(font, glyphs, glyphs.size());
    ASSERT_EQ(load_editor_font(font.c_str()), 1);
    capture_start();
    world_font_text("00a", 10, 20);
    EXPECT_EQ(captured_points, 2);
    world_sink_set(nullptr);
    free_editor_font();
    write_file(font, glyphs, 100);
    alerts.clear();
    EXPECT_EQ(load_editor_font(font.c_str()), 0);
    EXPECT_EQ(world_editor_font, nullptr);
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().find("Cant open the file"), std::string::npos);
    world_error_hook_set(nullptr);
}
