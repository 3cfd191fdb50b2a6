// Headless pictures of small test worlds compared with stored ones: flat floor, raised and sloped
// blocks, hidden walls, the near-plane cut, sprites (plain, mirrored, see-through) and text.
#include "tests/world_render/render_fixture.h"

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
