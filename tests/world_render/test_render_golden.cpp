// Headless pictures of small test worlds compared with stored ones: flat floor, raised and sloped
// blocks, hidden walls, the near-plane cut, sprites (plain, mirrored, see-through) and text.
#include "tests/world_render/render_fixture.h"

#include "gen/gen_queue.h"
#include "platform/plat_core.h"

using namespace render_test;

namespace {

constexpr int PIC_W = 160, PIC_H = 120;
const std::string GOLDEN = std::string(VM_SOURCE_DIR) + "/tests/world_render/golden";

class RenderGolden : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ready = gen_wrap_headless_start(PIC_W, PIC_H, 0); }
    static void TearDownTestSuite() { gen_wrap_headless_stop(); }
    void SetUp() override
    {
        if (!ready) GTEST_SKIP() << "no OpenGL context";
        world_sink_set(nullptr);
        gen_wrap_resize(0, 0, PIC_W, PIC_H);
        set_world_viewport(PIC_H - 1, PIC_W - 1);
        ASSERT_EQ(init_3d_engine(), 1);
        world_view.depth = 17;
        world_view.horizon_shift = -40;   // look down on the field, as the game does
        gen_wrap_screen_clear();
    }
    void TearDown() override { deinit_3d_engine(); }
    static bool ready;
};
bool RenderGolden::ready = false;

// Bitmaps 0-5 from textures of clearly different colours (floors, side, under, near, sprite);
// tile 1 a floor, tile 2 a block with every face, tile 3 the floor in the other colour. With
// the world, a checkerboard floor of tiles 1 and 3 at altitude 0.
struct Scene : TestWorld {
    uint32_t t[6] = {test_texture(0x3060C0), test_texture(0x40A040), test_texture(0xC08030),
                     test_texture(0x808080), test_texture(0xC04040), test_texture(0xE0E020)};
    Scene() : TestWorld(16, 24, 12)
    {
        for (int i = 0; i < 6; i++) bitmaps[i].texture = t[i];
        sprite_bitmaps[0].texture = t[5];
        tile(1, 0, 3, 2, 2, 2, -1);
        tile(2, 1, 3, 4, 2, 2, 2);
        tiles[3] = tiles[1];
        tiles[3].face[WORLD_FACE_UP] = 1;
        for (int r = 0; r < world_param.depth; r++)
            for (int c = 0; c < world_param.width; c++) block(r, c, (r + c) % 2 ? 3 : 1, 0, -6);
    }
    ~Scene()
    {
        for (uint32_t name : t) gen_texture_delete(name);
    }
};

} // namespace

TEST_F(RenderGolden, FlatFloor)
{
    Scene w;
    render_world(8 * 12.0, 14.0, 22 * 12.0 + 6, 0);
    expect_golden(GOLDEN, "flat_floor", PIC_W, PIC_H, 8, 40);
}

TEST_F(RenderGolden, RaisedSlopedAndHiddenWalls)
{
    Scene w;
    // A row of equal blocks (inner walls hidden), a taller one, a ramp along z and one along x.
    for (int c = 3; c <= 6; c++) w.block(14, c, 2, 6, -6);
    w.block(12, 9, 2, 14, -6);
    w.block(16, 10, 2, 0, -6);
    w.at(16, 10).up[1] = w.at(16, 10).up[3] = 8;
    w.block(17, 5, 2, 0, -6);
    w.at(17, 5).up[2] = w.at(17, 5).up[3] = 6;
    render_world(8 * 12.0, 18.0, 22 * 12.0 + 6, 0);
    expect_golden(GOLDEN, "blocks", PIC_W, PIC_H, 8, 60);
}

TEST_F(RenderGolden, NearPlaneCut)
{
    Scene w;
    w.block(20, 7, 2, 4, -6);
    w.block(20, 8, 2, 4, -6);
    // The camera stands 7 units beyond the far edge of row 20: that row is cut at 5.0.
    render_world(8 * 12.0, 10.0, 20 * 12.0 + 7, 0);
    expect_golden(GOLDEN, "near_cut", PIC_W, PIC_H, 8, 60);
}

TEST_F(RenderGolden, SpritesMirroredAndText)
{
    Scene w;
    w.object(0, 6 * 12.0, 0.0, 16 * 12.0, 10, 14);
    w.objects[w.object(0, 10 * 12.0, 0.0, 16 * 12.0, 10, 14)].mirror_x = 1;
    w.objects[w.object(0, 8 * 12.0, 0.0, 18 * 12.0, 8, 8)].transparency = 2;
    render_world(8 * 12.0, 12.0, 22 * 12.0 + 6, 0);
    for (int s = 200; s < 266; s++) w.sprites[s].defined = 1;
    draw_sprite_text("AB 1", 5.0, 5.0, 0, 15, 0, 8.0, 6.0, 8.0);
    draw_sprite_text("TINT", 5.0, 20.0, 3, 15, 0, 8.0, 6.0, 8.0);
    draw_screen_sprite(200, 60.0, 5.0, 0, 15, 0, 12.0, 12.0, 1, 1);
    expect_golden(GOLDEN, "sprites", PIC_W, PIC_H, 8, 60);
}

TEST_F(RenderGolden, AStretchedSpritesOneColouredMiddleIsDrawnFlat)
{
    TestWorld w(4, 4, 12);
    // 16 x 16 texels: a frame 2 texels wide round a translucent middle of one colour.
    std::vector<uint8_t> px;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            const bool edge = std::min({x, y, 15 - x, 15 - y}) < 2;
            px.insert(px.end(), {uint8_t(edge ? 40 : 220), uint8_t(edge ? 30 : 160), 100, uint8_t(edge ? 255 : 200)});
        }
    uint32_t t = 0;
    ASSERT_EQ(gen_texture_create(px.data(), 16, 16, GEN_FILTER_LINEAR_SHARED, &t), 1);
    w.sprites[101].defined = 1;
    w.sprites[101].sprite_bitmap = 11;
    w.sprite_bitmaps[11].texture = t;
    // The picture, with and without flat polygons in the sink.
    auto picture = [&](const WORLD_SINK *sink, int mirror) {
        world_sink_set(sink);
        gen_wrap_screen_clear();
        draw_screen_sprite(101, 4.0, 4.0, 0, 15, 1, 55.0, 64.0, mirror, mirror);
        gen_queue_flush();
        std::vector<uint8_t> rgb(size_t(PIC_W) * PIC_H * 3);
        EXPECT_EQ(gen_wrap_pixels_read(0, 0, PIC_W, PIC_H, rgb.data()), 1);
        return rgb;
    };
    WORLD_SINK textured = *world_sink_gl();
    textured.flat = nullptr;
    for (int mirror : {0, 1}) {
        const std::vector<uint8_t> a = picture(&textured, mirror), b = picture(world_sink_gl(), mirror);
        int worst = 0;
        for (size_t i = 0; i < a.size(); i++) worst = std::max(worst, std::abs(a[i] - b[i]));
        EXPECT_LE(worst, 1) << "mirror " << mirror;
        EXPECT_NE(a[(size_t(PIC_H - 26) * PIC_W + 30) * 3 + 2], 0) << "the sprite is in the picture";
        // Five polygons tile the sprite, with texture coordinates on its one linear map; the
        // flat one lies half a texel inside the texels of one colour.
        capture_start();
        draw_screen_sprite(101, 4.0, 4.0, 0, 15, 1, 55.0, 64.0, mirror, mirror);
        ASSERT_EQ(captured.size(), 5u);
        float l = 1e9f, r = -1e9f, top = 1e9f, bottom = -1e9f, area = 0;
        for (const Polygon &p : captured) {
            l = std::min(l, p.v[0].x), r = std::max(r, p.v[2].x);
            top = std::min(top, p.v[0].y), bottom = std::max(bottom, p.v[2].y);
            area += (p.v[2].x - p.v[0].x) * (p.v[2].y - p.v[0].y);
        }
        EXPECT_NEAR(area, (r - l) * (bottom - top), 1e-2);
        for (const Polygon &p : captured)
            for (const WORLD_VERTEX &v : p.v) {
                const float u = (v.x - l) / (r - l) * 0.99f, vv = (v.y - top) / (bottom - top) * 0.99f;
                EXPECT_NEAR(v.u, mirror ? 0.99f - u : u, 1e-4);
                EXPECT_NEAR(v.v, mirror ? 0.99f - vv : vv, 1e-4);
                if (p.texture) continue;
                EXPECT_TRUE(v.u >= 2.5f / 16 - 1e-4 && v.u <= 13.5f / 16 + 1e-4) << v.u;
                EXPECT_TRUE(v.v >= 2.5f / 16 - 1e-4 && v.v <= 13.5f / 16 + 1e-4) << v.v;
            }
        ASSERT_EQ(captured_flat.size(), 1u);
    }
    // Drawn small, it is one textured quad.
    capture_start();
    draw_screen_sprite(101, 10.0, 10.0, 0, 15, 0, 10.0, 10.0, 0, 0);
    EXPECT_EQ(captured.size(), 1u);
    gen_texture_delete(t);
}

TEST_F(RenderGolden, ARunOfFlatFacesIsOneQuadAndLooksLikeTheFacesOneByOne)
{
    Scene w;
    // A floor whose picture repeats as it clamps (its edge columns alike), filtered as faces are,
    // with a raised block, a second floor and an object breaking some of its runs.
    std::vector<uint8_t> px;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            const bool line = x == 0 || x == 15 || y == 0;
            px.insert(px.end(), {uint8_t(line ? 60 : 40 + 12 * x), uint8_t(line ? 60 : 200 - 9 * y), 90, 255});
        }
    uint32_t face = 0, run = 0;
    ASSERT_EQ(gen_texture_create(px.data(), 16, 16, GEN_FILTER_LINEAR_SHARED_EDGE, &face), 1);
    ASSERT_EQ(gen_texture_create(px.data(), 16, 16, GEN_FILTER_LINEAR_WRAP_S, &run), 1);
    w.bitmaps[0].texture = face;
    for (int r = 0; r < world_param.depth; r++)
        for (int c = 0; c < world_param.width; c++) w.block(r, c, 1, 0, -6);
    w.block(17, 6, 2, 6, -6);
    w.block(15, 9, 3, 0, -6);
    w.object(0, 4 * 12.0 + 6, 0.0, 18 * 12.0 + 6, 10, 14);
    auto picture = [&](uint32_t texture_run, size_t *polygons) {
        w.bitmaps[0].texture_run = texture_run;
        capture_start();
        render_world(8 * 12.0, 14.0, 22 * 12.0 + 6, 0);
        *polygons = captured.size();
        world_sink_set(nullptr);
        gen_wrap_screen_clear();
        render_world(8 * 12.0, 14.0, 22 * 12.0 + 6, 0);
        gen_queue_flush();
        std::vector<uint8_t> rgb(size_t(PIC_W) * PIC_H * 3);
        EXPECT_EQ(gen_wrap_pixels_read(0, 0, PIC_W, PIC_H, rgb.data()), 1);
        return rgb;
    };
    size_t one_by_one = 0, in_runs = 0;
    const std::vector<uint8_t> a = picture(0, &one_by_one), b = picture(run, &in_runs);
    // Interpolated across a longer quad, a texel coordinate may round the other way.
    size_t off = 0;
    for (size_t i = 0; i < a.size(); i++) off += std::abs(a[i] - b[i]) > 1;
    EXPECT_EQ(off, 0u);
    EXPECT_LT(in_runs * 3, one_by_one);
    gen_texture_delete(face);
    gen_texture_delete(run);
}
