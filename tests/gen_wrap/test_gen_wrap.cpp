// The OpenGL back end on a real (offscreen) context: texture bookkeeping, the binding cache, one
// texture versus tile sets, pictures drawn and read back, snapshots, mode-change messages and
// the pixel operations.
#include "gen/gen_bit.h"
#include "gen/gen_wrap.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "platform/plat_core.h"
#include "platform/plat_files.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int SCREEN_W = 320, SCREEN_H = 200;

std::vector<std::string> alerts;

int capture_alert(const char *text, const char *title, unsigned)
{
    alerts.push_back(std::string(title ? title : "") + "|" + (text ? text : ""));
    return 1;
}

class GenWrap : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char dir[] = "/tmp/vm_gen_wrap_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        ASSERT_EQ(plat_files_chdir(dir), 0);
        plat_alert_capture(capture_alert);
        ready = gen_wrap_headless_start(SCREEN_W, SCREEN_H, 1);
    }
    static void TearDownTestSuite()
    {
        gen_wrap_headless_stop();
        plat_alert_capture(nullptr);
    }
    void SetUp() override
    {
        if (!ready) GTEST_SKIP() << "no OpenGL context";
        alerts.clear();
        gen_bit_transparency_set(0);
        gen_wrap_resize(0, 0, SCREEN_W, SCREEN_H);
        gen_wrap_screen_clear();
    }
    static bool ready;
};
bool GenWrap::ready = false;

// A 32-bit picture whose pixel (x, y) is colour(x, y) as 0xRRGGBB, alpha 255.
template <typename F> KX_BITMAP picture(int w, int h, F colour, int depth = KX_BIT_BPP32)
{
    KX_BITMAP b{};
    KX_RECT r{0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)};
    EXPECT_EQ(kx_bit_alloc(&b, &r, depth), 1);
    int bytes = depth == KX_BIT_BPP32 ? 4 : 3;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t c = colour(x, y);
            uint8_t *p = b.pixels + (static_cast<size_t>(y) * w + x) * bytes;
            p[0] = static_cast<uint8_t>(c >> 16);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c);
            if (bytes == 4) p[3] = 255;
        }
    return b;
}

uint32_t checker(int x, int y)
{
    return static_cast<uint32_t>(x * 40) << 16 | static_cast<uint32_t>(y * 40) << 8 | 0x20;
}

uint32_t pixel(int x, int y)
{
    return gen_get_pixel(nullptr, x, y);
}

int channel_diff(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int s = 0; s < 24; s += 8) worst = std::max(worst, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
    return worst;
}

} // namespace

TEST_F(GenWrap, TextureMemoryFallsOnFreeButThePeakStays)
{
    std::vector<uint8_t> pixels(64 * 64 * 4, 255);
    long base = gen_texture_ram_current(), peak0 = gen_texture_ram_max();
    uint32_t a = 0, b = 0;
    ASSERT_EQ(gen_texture_create(pixels.data(), 64, 64, GEN_FILTER_NEAREST, &a), 1);
    ASSERT_EQ(gen_texture_create(pixels.data(), 32, 32, GEN_FILTER_NEAREST, &b), 1);
    EXPECT_EQ(gen_texture_ram_current(), base + 64 * 64 * 4 + 32 * 32 * 4);
    long peak = gen_texture_ram_max();
    EXPECT_GE(peak, std::max(peak0, gen_texture_ram_current()));
    EXPECT_EQ(gen_texture_delete(a), 1);
    EXPECT_EQ(gen_texture_ram_current(), base + 32 * 32 * 4);
    EXPECT_EQ(gen_texture_ram_max(), peak);
    EXPECT_EQ(gen_texture_delete(a), 0) << "a second delete is not counted again";
    EXPECT_EQ(gen_texture_ram_current(), base + 32 * 32 * 4);
    EXPECT_EQ(gen_texture_delete(b), 1);
    EXPECT_EQ(gen_texture_ram_current(), base);
    // Sides that are not powers of two are refused.
    EXPECT_EQ(gen_texture_create(pixels.data(), 48, 64, GEN_FILTER_NEAREST, &a), 0);
}

TEST_F(GenWrap, BindingTheSameTextureTwiceIssuesOneBind)
{
    std::vector<uint8_t> pixels(8 * 8 * 4, 255);
    uint32_t a = 0, b = 0;
    ASSERT_EQ(gen_texture_create(pixels.data(), 8, 8, GEN_FILTER_NEAREST, &a), 1);
    ASSERT_EQ(gen_texture_create(pixels.data(), 8, 8, GEN_FILTER_NEAREST, &b), 1);
    long binds = gen_texture_bind_count();
    EXPECT_EQ(bind_texture(GL_TEXTURE_2D, a), 1);
    EXPECT_EQ(bind_texture(GL_TEXTURE_2D, a), 0);
    EXPECT_EQ(gen_texture_bind_count(), binds + 1);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), a);
    EXPECT_EQ(bind_texture(GL_TEXTURE_2D, b), 1);
    reset_texture_binding();
    EXPECT_EQ(bind_texture(GL_TEXTURE_2D, b), 1) << "a reset forgets the cached pair";
    // Deleting the bound texture leaves 0 bound in OpenGL, so the cache must not skip a rebind.
    gen_texture_delete(b);
    EXPECT_EQ(bind_texture(GL_TEXTURE_2D, a), 1);
    gen_texture_delete(a);
}

TEST_F(GenWrap, PowerOfTwoUpTo256IsOneTextureOthersAreTileSets)
{
    struct CASE {
        int w, h;
        bool single;
        int tiles;
        long bytes;
    } cases[] = {
        {256, 256, true, 0, 256 * 256 * 4},
        {257, 256, false, 2, 2 * 256 * 256 * 4},
        {100, 100, false, 1, 128 * 128 * 4},
        {512, 16, false, 2, 2 * 256 * 16 * 4},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        KX_BITMAP b = picture(c.w, c.h, checker, KX_BIT_BPP24);
        long before = gen_texture_ram_current();
        ASSERT_EQ(gen_wrap_bitmap_put(&b, nullptr, nullptr, 0), 1);
        EXPECT_EQ(gen_bit_single_texture(&b), c.single);
        EXPECT_EQ(b.texture != 0, c.single);
        EXPECT_EQ(gen_bit_tile_count(&b), c.tiles);
        EXPECT_EQ(b.depth, KX_BIT_BPP32) << "drawn bitmaps become 32 bits";
        EXPECT_EQ(gen_texture_ram_current(), before + c.bytes);
        // Drawing again makes nothing new.
        ASSERT_EQ(gen_wrap_bitmap_put(&b, nullptr, nullptr, 0), 1);
        EXPECT_EQ(gen_texture_ram_current(), before + c.bytes);
        long peak = gen_texture_ram_max();
        gen_wrap_bitmap_free(&b);
        EXPECT_EQ(gen_texture_ram_current(), before);
        EXPECT_EQ(gen_texture_ram_max(), peak);
        EXPECT_EQ(b.tiles, nullptr);
        kx_bit_free(&b);
    }
}

TEST_F(GenWrap, PutDrawsTheSourceRectangleWithMirrors)
{
    KX_BITMAP b = picture(4, 4, checker);
    KX_RECT dest{10, 20, 4, 4};
    struct CASE {
        int flags;
        bool mirror_x, mirror_y;
    } cases[] = {{0, false, false}, {GEN_PUT_MIRROR_X, true, false}, {GEN_PUT_MIRROR_Y, false, true},
                 {GEN_PUT_MIRROR_X | GEN_PUT_MIRROR_Y, true, true}};
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.flags);
        gen_wrap_screen_clear();
        ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, c.flags), 1);
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 4; x++) {
                int sx = c.mirror_x ? 3 - x : x, sy = c.mirror_y ? 3 - y : y;
                EXPECT_EQ(pixel(10 + x, 20 + y), checker(sx, sy)) << x << "," << y;
            }
        EXPECT_EQ(pixel(9, 20), 0u);
        EXPECT_EQ(pixel(14, 23), 0u);
    }
    // A source rectangle stretched to twice its size.
    gen_wrap_screen_clear();
    KX_RECT src{1, 2, 2, 2}, big{40, 40, 4, 4};
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &big, &src, 0), 1);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) EXPECT_EQ(pixel(40 + x, 40 + y), checker(1 + x / 2, 2 + y / 2)) << x << "," << y;
    gen_wrap_bitmap_free(&b);
    kx_bit_free(&b);
}

TEST_F(GenWrap, TileSetsDrawAcrossTileEdgesAndStretchWithFlag2)
{
    auto ramp = [](int x, int y) { return static_cast<uint32_t>(x & 255) << 16 | static_cast<uint32_t>(x >> 8) << 8 | (y * 20); };
    KX_BITMAP b = picture(300, 10, ramp, KX_BIT_BPP24);
    KX_RECT dest{0, 5, 300, 10};
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, 0), 1);
    ASSERT_EQ(gen_bit_tile_count(&b), 2);
    for (int x : {0, 1, 254, 255, 256, 257, 299})
        for (int y : {0, 9}) EXPECT_EQ(pixel(x, 5 + y), ramp(x, y)) << x << "," << y;
    // Without flag 2 the destination size is ignored; with it a part of the picture is doubled.
    gen_wrap_screen_clear();
    KX_RECT part{250, 2, 20, 5}, twice{0, 0, 40, 10};
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &twice, &part, 0), 1);
    EXPECT_EQ(pixel(19, 4), ramp(269, 6));
    EXPECT_EQ(pixel(20, 4), 0u);
    gen_wrap_screen_clear();
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &twice, &part, GEN_PUT_STRETCH), 1);
    for (int x : {0, 1, 11, 12, 13, 39})
        for (int y : {0, 9}) EXPECT_EQ(pixel(x, y), ramp(250 + x / 2, 2 + y / 2)) << x << "," << y;
    EXPECT_EQ(pixel(40, 0), 0u);
    EXPECT_EQ(pixel(0, 10), 0u);
    // Mirrored, the right end of the picture comes first.
    gen_wrap_screen_clear();
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, GEN_PUT_MIRROR_X), 1);
    for (int x : {0, 43, 44, 45, 299}) EXPECT_EQ(pixel(x, 5), ramp(299 - x, 0)) << x;
    gen_wrap_bitmap_free(&b);
    kx_bit_free(&b);
}

TEST_F(GenWrap, TransparentPixelsAndFading)
{
    const uint32_t magenta = 0xFF00FF;
    auto spotted = [&](int x, int y) { return (x + y) % 2 ? magenta : 0x40C080u; };
    KX_BITMAP b = picture(8, 8, spotted, KX_BIT_BPP24);
    KX_RECT dest{0, 0, 8, 8};
    KX_RECT back{0, 0, 8, 8};
    gen_draw_rectangle(nullptr, &back, 0x102030, 1);
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, GEN_PUT_TRANSPARENT), 1);
    EXPECT_EQ(pixel(0, 0), 0x40C080u);
    EXPECT_EQ(pixel(1, 0), 0x102030u) << "a transparent pixel leaves the screen alone";
    // Fading with the global level: half of the colour over black.
    gen_wrap_screen_clear();
    gen_bit_transparency_set(50);
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, GEN_PUT_FADE), 1);
    EXPECT_LE(channel_diff(pixel(0, 0), 0x206040u), 2) << std::hex << pixel(0, 0);
    // Level 0 draws the picture as it is.
    gen_bit_transparency_set(0);
    gen_wrap_screen_clear();
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, GEN_PUT_FADE), 1);
    EXPECT_EQ(pixel(2, 0), 0x40C080u);
    gen_wrap_bitmap_free(&b);
    kx_bit_free(&b);
}

TEST_F(GenWrap, AModifiedBitmapIsLoadedAgainIntoTheSameTexture)
{
    KX_BITMAP b = picture(4, 4, checker);
    KX_RECT dest{0, 0, 4, 4};
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, 0), 1);
    uint32_t texture = b.texture;
    long ram = gen_texture_ram_current();
    b.pixels[0] = 0xAB;
    b.pixels[1] = 0xCD;
    b.pixels[2] = 0xEF;
    // Unmarked, the old texture is drawn.
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, 0), 1);
    EXPECT_EQ(pixel(0, 0), checker(0, 0));
    b.modified = 1;
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, 0), 1);
    EXPECT_EQ(pixel(0, 0), 0xABCDEFu);
    EXPECT_EQ(b.modified, 0u);
    EXPECT_EQ(b.texture, texture);
    EXPECT_EQ(gen_texture_ram_current(), ram);
    gen_wrap_bitmap_free(&b);
    kx_bit_free(&b);
}

TEST_F(GenWrap, ViewportOffsetsAndDisplayScale)
{
    KX_BITMAP b = picture(4, 4, checker);
    gen_wrap_resize(100, 50, 120, 100);
    gen_wrap_screen_clear();
    KX_RECT dest{0, 0, 4, 4};
    ASSERT_EQ(gen_wrap_bitmap_put(&b, &dest, nullptr, 0), 1);
    EXPECT_EQ(pixel(0, 0), checker(0, 0)) << "picture coordinates start at the viewport";
    gen_wrap_resize(0, 0, SCREEN_W, SCREEN_H);
    EXPECT_EQ(pixel(100, 50), checker(0, 0));
    EXPECT_EQ(pixel(3 + 100, 3 + 50), checker(3, 3));
    // Destinations are scaled by the display scale.
    gen_wrap_screen_clear();
    gen_bit_display_scale_set(2.0f, 2.0f);
    KX_RECT at{10, 10, 4, 4};
    gen_wrap_bitmap_put(&b, &at, nullptr, 0);
    gen_bit_display_scale_set(1.0f, 1.0f);
    EXPECT_EQ(pixel(20, 20), checker(0, 0));
    EXPECT_EQ(pixel(27, 27), checker(3, 3));
    gen_wrap_bitmap_free(&b);
    kx_bit_free(&b);
}

TEST_F(GenWrap, SnapshotIsTakenAtTheEndOfTheFrame)
{
    KX_BITMAP b = picture(4, 4, checker);
    KX_RECT dest{2, 3, 4, 4};
    gen_wrap_bitmap_put(&b, &dest, nullptr, 0);
    KX_RECT area{0, 0, 8, 8};
    ASSERT_EQ(gen_wrap_snapshot_request("snap_test.tga", &area), 1);
    EXPECT_EQ(gen_wrap_snapshot_pending(), 1);
    EXPECT_EQ(gen_wrap_snapshot_request("other.tga", &area), 0) << "one request at a time";
    EXPECT_FALSE(plat_files_exists("snap_test.tga")) << "nothing is written before the frame ends";
    ASSERT_EQ(gen_wrap_display_update(), 1);
    EXPECT_EQ(gen_wrap_snapshot_pending(), 0);
    KX_BITMAP shot{};
    ASSERT_EQ(kx_bit_load(&shot, "snap_test.tga", 0), 1);
    ASSERT_EQ(shot.width, 8);
    ASSERT_EQ(shot.height, 8);
    ASSERT_EQ(shot.depth, KX_BIT_BPP24);
    auto at = [&](int x, int y) {
        const uint8_t *p = shot.pixels + (y * 8 + x) * 3;
        return static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    };
    EXPECT_EQ(at(2, 3), checker(0, 0));
    EXPECT_EQ(at(5, 6), checker(3, 3));
    EXPECT_EQ(at(0, 0), 0u);
    EXPECT_FALSE(plat_files_exists("other.tga"));
    kx_bit_free(&shot);
    gen_wrap_bitmap_free(&b);
    kx_bit_free(&b);
}

TEST_F(GenWrap, ModeChangeResultsAndTheirMessages)
{
    EXPECT_EQ(gen_wrap_mode_result(GEN_MODE_SUCCESSFUL), 1);
    EXPECT_EQ(gen_wrap_mode_result(GEN_MODE_FAILED), 0);
    EXPECT_TRUE(alerts.empty()) << "a plain failure says nothing";
    struct CASE {
        int code;
        const char *text;
    } cases[] = {
        {GEN_MODE_BADMODE, "The graphics mode is not supported."},
        {GEN_MODE_BADPARAM, "The graphics mode is not supported."},
        {GEN_MODE_BADFLAGS, "An invalid set of flags was passed in."},
        {GEN_MODE_NOTUPDATED, "Unable to write settings to the registry."},
        {GEN_MODE_RESTART, "The computer must be restarted in order for the graphics mode to work."},
        {-77, "Unknown error:"},
    };
    for (const CASE &c : cases) {
        alerts.clear();
        EXPECT_EQ(gen_wrap_mode_result(c.code), 0);
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0], std::string("ChangeDisplaySettings Failed|") + c.text);
    }
    alerts.clear();
    KX_DSP_VIDEO_MODE bad{};
    bad.width = 0;
    bad.height = 480;
    bad.depth = 32;
    EXPECT_EQ(gen_wrap_video_mode_set(&bad, 1), 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "ChangeDisplaySettings Failed|The graphics mode is not supported.");
}

TEST_F(GenWrap, PixelLineRectangleAndCircle)
{
    ASSERT_EQ(gen_draw_pixel(nullptr, 5, 6, 0x123456), 1);
    EXPECT_EQ(pixel(5, 6), 0x123456u);
    EXPECT_EQ(pixel(6, 6), 0u);
    EXPECT_EQ(gen_draw_pixel(nullptr, SCREEN_W, 0, 0xFFFFFF), 0) << "outside the picture";
    EXPECT_EQ(gen_get_pixel(nullptr, -1, 0), 0u);

    KX_RECT r{20, 30, 10, 5};
    gen_draw_rectangle(nullptr, &r, 0x00FF00, 0);
    EXPECT_EQ(pixel(20, 30), 0x00FF00u);
    EXPECT_EQ(pixel(29, 34), 0x00FF00u);
    EXPECT_EQ(pixel(25, 32), 0u) << "an outline leaves the inside";
    gen_draw_rectangle(nullptr, &r, 0x0000FF, 1);
    EXPECT_EQ(pixel(25, 32), 0x0000FFu);
    EXPECT_EQ(pixel(30, 32), 0u);

    gen_draw_line(nullptr, 50, 10, 59, 10, 0xFF0000);
    EXPECT_EQ(pixel(50, 10), 0xFF0000u);
    EXPECT_EQ(pixel(59, 10), 0xFF0000u) << "both ends are drawn";
    EXPECT_EQ(pixel(60, 10), 0u);

    gen_draw_circle(nullptr, 100, 100, 10, 0xFFFFFF, 1);
    EXPECT_EQ(pixel(100, 100), 0xFFFFFFu);
    EXPECT_EQ(pixel(100, 115), 0u);

    // A 4-bit bitmap picks the variants that were never made.
    KX_BITMAP four{};
    four.depth = KX_BIT_BPP4;
    four.width = four.height = 8;
    EXPECT_EQ(gen_draw_pixel(&four, 1, 1, 0xFFFFFF), 0);
    EXPECT_EQ(gen_get_pixel(&four, 1, 1), 0u);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0], "|Function not created yet");
}

TEST_F(GenWrap, TheTableFillsEveryOperation)
{
    const KX_DSP_3D *t = gen_wrap_table();
    EXPECT_EQ(t->init, gen_wrap_init);
    EXPECT_EQ(t->put, gen_wrap_bitmap_put);
    EXPECT_EQ(t->save, gen_wrap_snapshot_request);
    EXPECT_EQ(t->free, gen_wrap_bitmap_free);
    EXPECT_NE(t->flush, nullptr);
    EXPECT_EQ(t->get_pixel, gen_get_pixel);
    gen_wrap_install();
    EXPECT_EQ(kx_dsp_3d()->display_update, gen_wrap_display_update);
}

TEST_F(GenWrap, TheDriverDescriptionGoesToTheHistory)
{
    FILE *f = std::fopen("history.txt", "rb");
    ASSERT_NE(f, nullptr);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    size_t gl = text.find("gl info:\n"), glu = text.find("glu info:\n");
    ASSERT_NE(gl, std::string::npos);
    ASSERT_NE(glu, std::string::npos);
    EXPECT_LT(gl, glu);
    // The driver's lines and nothing else: no debugging leftovers.
    EXPECT_EQ(text.find('!'), std::string::npos);
    EXPECT_NE(text.find("renderer: " + std::string(reinterpret_cast<const char *>(glGetString(GL_RENDERER))) + "\n"),
              std::string::npos);
}
