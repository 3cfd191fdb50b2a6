// The frame queue on a real (offscreen) context: which primitives share a draw call, when
// blending can go, frames drawn only where they changed (and then the same as drawn whole), and
// textures that share an atlas page drawing as on a texture of their own.
#include "gen/gen_bit.h"
#include "gen/gen_queue.h"
#include "gen/gen_wrap.h"
#include "kx/kx_dsp/kx_dsp.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int W = 320, H = 200;

class GenQueue : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ready = gen_wrap_headless_start(W, H, 0); }
    static void TearDownTestSuite() { gen_wrap_headless_stop(); }
    void SetUp() override
    {
        if (!ready) GTEST_SKIP() << "no OpenGL context";
        gen_wrap_resize(0, 0, W, H);
        gen_wrap_screen_clear();
    }
    static bool ready;
};
bool GenQueue::ready = false;

// A quad in picture pixels, texture coordinates from s0, t0 to s1, t1.
void quad(uint32_t mode, uint32_t texture, GEN_COLOR c, float x, float y, float w, float h, float s0 = 0.0f,
          float t0 = 0.0f, float s1 = 1.0f, float t1 = 1.0f)
{
    GEN_VERTEX *v = gen_queue_add(mode, texture, c, GEN_BLEND_ALPHA, GEN_SPACE_PICTURE, 4);
    ASSERT_NE(v, nullptr);
    if (mode == GL_TRIANGLE_STRIP) {
        v[0] = {x, y, 0, 1, s0, t0}, v[1] = {x + w, y, 0, 1, s1, t0};
        v[2] = {x, y + h, 0, 1, s0, t1}, v[3] = {x + w, y + h, 0, 1, s1, t1};
    } else {
        v[0] = {x, y, 0, 1, s0, t0}, v[1] = {x + w, y, 0, 1, s1, t0};
        v[2] = {x + w, y + h, 0, 1, s1, t1}, v[3] = {x, y + h, 0, 1, s0, t1};
    }
}

// An 8 x 8 texture: a coloured square on a transparent frame, so that filtering at its edges
// shows what lies beyond them.
uint32_t texture(int filter, uint32_t rgb = 0x40C0E0)
{
    std::vector<uint8_t> p(8 * 8 * 4, 0);
    for (int y = 1; y < 7; y++)
        for (int x = 1; x < 7; x++) {
            uint8_t *q = &p[(y * 8 + x) * 4];
            q[0] = uint8_t(rgb >> 16), q[1] = uint8_t(rgb >> 8), q[2] = uint8_t(rgb), q[3] = uint8_t(120 + x * 20);
        }
    uint32_t name = 0;
    EXPECT_EQ(gen_texture_create(p.data(), 8, 8, filter, &name), 1);
    return name;
}

std::vector<uint8_t> picture()
{
    std::vector<uint8_t> rgb(size_t(W) * H * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

constexpr GEN_COLOR WHITE = {1, 1, 1, 1}, GREY = {0.5f, 0.5f, 0.5f, 1};

// Bytes of two pictures more than a level apart: the software renderer rounds a colour half-way
// between two levels either way, depending on how much of its tiles a drawing covers.
size_t levels_apart(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    size_t bad = 0;
    for (size_t i = 0; i < a.size(); i++) bad += std::abs(a[i] - b[i]) > 1;
    return bad;
}

// Queues a scene twice on a cleared picture: drawn at a frame's end, then flushed in the order
// queued; checks the calls the frame's end made and that the two pictures agree.
template <typename SCENE>
void frame_end_matches_queued(SCENE scene, long draws)
{
    gen_wrap_screen_clear();
    scene();
    const long before = gen_queue_draw_count();
    ASSERT_EQ(gen_queue_frame_end(0, H), GEN_FRAME_FULL);
    EXPECT_EQ(gen_queue_draw_count() - before, draws);
    const std::vector<uint8_t> ended = picture();
    gen_queue_swapped();
    gen_wrap_screen_clear();
    scene();
    gen_queue_flush();
    const std::vector<uint8_t> queued = picture();
    gen_queue_discard();
    EXPECT_EQ(levels_apart(ended, queued), 0u);
}

} // namespace

TEST_F(GenQueue, QuadsShareACallOnlyWithTheirTexture)
{
    const uint32_t a = texture(GEN_FILTER_LINEAR), b = texture(GEN_FILTER_LINEAR), s1 = texture(GEN_FILTER_LINEAR_SHARED),
                   s2 = texture(GEN_FILTER_LINEAR_SHARED);
    struct PRIM {
        uint32_t mode, texture;
        GEN_COLOR color;
    };
    const struct {
        const char *name;
        std::vector<PRIM> prims;
        long draws;
    } cases[] = {
        {"one texture and colour", {{GL_QUADS, a, WHITE}, {GL_QUADS, a, WHITE}, {GL_QUADS, a, WHITE}}, 1},
        {"another colour between", {{GL_QUADS, a, WHITE}, {GL_QUADS, a, GREY}, {GL_QUADS, a, WHITE}}, 1},
        {"another texture between", {{GL_QUADS, a, WHITE}, {GL_QUADS, b, WHITE}, {GL_QUADS, a, WHITE}}, 3},
        {"strips each alone", {{GL_TRIANGLE_STRIP, a, WHITE}, {GL_TRIANGLE_STRIP, a, WHITE}}, 2},
        {"textures of one page", {{GL_QUADS, s1, WHITE}, {GL_QUADS, s2, WHITE}, {GL_QUADS, s1, WHITE}}, 1},
    };
    for (const auto &c : cases) {
        gen_wrap_screen_clear();
        const long before = gen_queue_draw_count();
        float x = 0;
        for (const PRIM &p : c.prims) quad(p.mode, p.texture, p.color, x += 20, 20, 16, 16);
        gen_queue_flush();
        EXPECT_EQ(gen_queue_draw_count() - before, c.draws) << c.name;
        // Each quad in its own colour, also where one call draws several: the green at its
        // centre (picture rows count from the bottom) in proportion to its colour's.
        const std::vector<uint8_t> p = picture();
        auto green = [&](size_t k) { return p[(size_t(H - 28) * W + 28 + 20 * k) * 3 + 1]; };
        for (size_t k = 1; k < c.prims.size(); k++)
            EXPECT_NEAR(green(k), green(0) * c.prims[k].color.g / c.prims[0].color.g, 2) << c.name << ", quad " << k;
        EXPECT_GT(green(0), 100) << c.name;
    }
    EXPECT_EQ(gen_atlas_page_count(), 1);
    for (uint32_t t : {a, b, s1, s2}) gen_texture_delete(t);
    EXPECT_EQ(gen_atlas_page_count(), 0) << "the page goes with its last texture";
}

TEST_F(GenQueue, TextureBoundsHoldEverySampleThatShows)
{
    // 16 x 8 texels; a visible block from texel x0, y0 to x1, y1 (inclusive), or none.
    const struct {
        int x0, y0, x1, y1;
        float part[4];
    } cases[] = {
        {4, 2, 9, 5, {3 / 16.0f, 1 / 8.0f, 11 / 16.0f, 7 / 8.0f}},
        {0, 0, 15, 7, {0, 0, 1, 1}},
        {15, 7, 15, 7, {14 / 16.0f, 6 / 8.0f, 1, 1}},
        {-1, 0, 0, 0, {0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        std::vector<uint8_t> p(16 * 8 * 4, 0);
        for (int y = c.y0; c.x0 >= 0 && y <= c.y1; y++)
            for (int x = c.x0; x <= c.x1; x++) p[(y * 16 + x) * 4 + 3] = 1;
        for (int filter : {GEN_FILTER_LINEAR, GEN_FILTER_LINEAR_SHARED}) {
            uint32_t t = 0;
            ASSERT_EQ(gen_texture_create(p.data(), 16, 8, filter, &t), 1);
            float part[4];
            ASSERT_EQ(gen_texture_bounds(t, part), 1);
            for (int i = 0; i < 4; i++) EXPECT_FLOAT_EQ(part[i], c.part[i]) << c.x0 << "," << c.y0 << " side " << i;
            gen_texture_delete(t);
            EXPECT_EQ(gen_texture_bounds(t, part), 0) << "a deleted texture has none";
        }
    }
}

TEST_F(GenQueue, TextureCoreIsWhereTheFilterReadsOneColour)
{
    // 16 x 16 texels: a frame `frame` texels wide round a middle of one colour, the middle's
    // alpha, and the core expected (in texels; none where x0 < 0).
    const struct {
        int frame;
        uint8_t alpha;
        bool checker;
        float x0, y0, x1, y1;
    } cases[] = {
        {0, 255, false, 0.5f, 0.5f, 15.5f, 15.5f},   // one colour all over
        {3, 200, false, 3.5f, 3.5f, 12.5f, 12.5f},   // a faded edge round a translucent middle
        {3, 0, false, 3.5f, 3.5f, 12.5f, 12.5f},     // a see-through middle
        {7, 255, false, -1, 0, 0, 0},                // a middle of 2 x 2 texels: too small
        {0, 255, true, -1, 0, 0, 0},                 // no two neighbours alike
    };
    for (const auto &c : cases) {
        std::vector<uint8_t> p(16 * 16 * 4);
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++) {
                const bool edge = std::min({x, y, 15 - x, 15 - y}) < c.frame;
                const bool odd = c.checker && (x + y) % 2;
                uint8_t *t = &p[(y * 16 + x) * 4];
                t[0] = edge ? 200 : odd ? 10 : 20, t[1] = 40, t[2] = 60, t[3] = edge ? 90 : c.alpha;
            }
        uint32_t t = 0;
        ASSERT_EQ(gen_texture_create(p.data(), 16, 16, GEN_FILTER_LINEAR_SHARED, &t), 1);
        float part[4], rgba[4];
        const int found = gen_texture_core(t, part, rgba);
        EXPECT_EQ(found, c.x0 >= 0) << c.frame << "/" << c.checker;
        if (found && c.x0 >= 0) {
            const float want[4] = {c.x0 / 16, c.y0 / 16, c.x1 / 16, c.y1 / 16};
            for (int i = 0; i < 4; i++) EXPECT_FLOAT_EQ(part[i], want[i]) << c.frame << " side " << i;
            EXPECT_FLOAT_EQ(rgba[0], 20 / 255.0f);
            EXPECT_FLOAT_EQ(rgba[3], c.alpha / 255.0f);
        }
        gen_texture_delete(t);
        EXPECT_EQ(gen_texture_core(t, part, rgba), 0) << "a deleted texture has none";
    }
}

TEST_F(GenQueue, BlendingGoesOnlyWhereNothingCanShowThrough)
{
    std::vector<uint8_t> solid(4 * 4 * 4, 255), holed = solid;
    holed[3] = 0;
    uint32_t opaque = 0, holes = 0, linear = 0, faded = 0, edged = 0;
    ASSERT_EQ(gen_texture_create(solid.data(), 4, 4, GEN_FILTER_NEAREST, &opaque), 1);
    ASSERT_EQ(gen_texture_create(holed.data(), 4, 4, GEN_FILTER_NEAREST, &holes), 1);
    ASSERT_EQ(gen_texture_create(solid.data(), 4, 4, GEN_FILTER_LINEAR, &linear), 1);
    ASSERT_EQ(gen_texture_create(solid.data(), 4, 4, GEN_FILTER_LINEAR_SHARED, &faded), 1);
    ASSERT_EQ(gen_texture_create(solid.data(), 4, 4, GEN_FILTER_LINEAR_SHARED_EDGE, &edged), 1);
    const struct {
        uint32_t texture;
        float alpha;
        uint32_t wanted, got;
    } cases[] = {
        {0, 1.0f, GEN_BLEND_ALPHA, GEN_BLEND_OPAQUE},
        {0, 0.5f, GEN_BLEND_ALPHA, GEN_BLEND_ALPHA},
        {opaque, 1.0f, GEN_BLEND_KEYED, GEN_BLEND_OPAQUE},
        {opaque, 0.99f, GEN_BLEND_ALPHA, GEN_BLEND_ALPHA},
        {holes, 1.0f, GEN_BLEND_ALPHA, GEN_BLEND_ALPHA},
        // Clamped to its edge texels, or ringed by them in a page, a filtered texture stays
        // opaque; ringed by transparent texels, its edges fade.
        {linear, 1.0f, GEN_BLEND_CUT, GEN_BLEND_OPAQUE},
        {edged, 1.0f, GEN_BLEND_ALPHA, GEN_BLEND_OPAQUE},
        {faded, 1.0f, GEN_BLEND_CUT, GEN_BLEND_CUT},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gen_queue_blend(c.texture, c.alpha, c.wanted), c.got) << c.texture << " at " << c.alpha;
    for (uint32_t t : {opaque, holes, linear, faded, edged}) gen_texture_delete(t);
}

TEST_F(GenQueue, OnlyChangedPartsAreDrawnAndMatchTheWholeFrame)
{
    const uint32_t tex = texture(GEN_FILTER_LINEAR_SHARED);
    // A picture of many primitives; each variant changes a little of it.
    // back: the ground as a plain quad (0), as a backdrop over the whole picture (1) or over its top
    // (2, the sprites beside it: what a patch does not draw over must be cleared).
    auto scene = [&](int variant, int back) {
        if (back) {
            gen_queue_backdrop(1);
            GEN_VERTEX *v = gen_queue_add(GL_TRIANGLE_STRIP, 0, {0.1f, 0.2f, 0.3f, 1},
                                          gen_queue_blend(0, 1, GEN_BLEND_ALPHA), GEN_SPACE_PICTURE, 4);
            ASSERT_NE(v, nullptr);
            const float h = back == 1 ? H : 100;
            v[0] = {0, 0, 0, 1, 0, 0}, v[1] = {W, 0, 0, 1, 0, 0}, v[2] = {0, h, 0, 1, 0, 0}, v[3] = {W, h, 0, 1, 0, 0};
            gen_queue_backdrop(0);
        } else {
            quad(GL_QUADS, 0, {0.1f, 0.2f, 0.3f, 1}, 0, 0, W, H);
        }
        for (int i = 0; i < 12; i++) {
            float x = 10.0f + 25 * i + (variant == 1 && i == 3 ? 6 : 0);
            GEN_COLOR c = variant == 2 && i == 5 ? GEN_COLOR{1, 0, 0, 1} : GEN_COLOR{0.9f, 0.8f, 0.2f, 0.7f};
            if (variant == 3 && i == 7) continue;
            quad(GL_QUADS, tex, c, x, 120, 20, 20);
        }
        if (variant == 5) quad(GL_QUADS, 0, {0.3f, 0.3f, 0.1f, 1}, 0, 40, W, H - 40);
        if (variant == 6) quad(GL_QUADS, 0, {0.3f, 0.3f, 0.1f, 1}, 0, 0, W, H);
        auto red = [] { quad(GL_TRIANGLE_STRIP, 0, {1, 0.2f, 0.2f, 0.6f}, 200, 20, 40, 30); };
        auto blue = [] { quad(GL_TRIANGLE_STRIP, 0, {0.2f, 0.2f, 1, 0.6f}, 220, 35, 40, 30); };
        if (variant == 4) blue(), red();
        else red(), blue();
    };
    // menu_floor: the lowest row the window menu draws, as OpenGL counts rows (H: none).
    const struct {
        const char *name;
        int variant, menu_floor, menu_changed, drawn, back = 0;
    } cases[] = {
        {"nothing changed", 0, H, 0, GEN_FRAME_NONE},
        {"a sprite moved", 1, H, 0, GEN_FRAME_PATCHED},
        {"a colour changed", 2, H, 0, GEN_FRAME_PATCHED},
        {"a sprite gone", 3, H, 0, GEN_FRAME_PATCHED},
        {"two overlapping shapes swapped", 4, H, 0, GEN_FRAME_PATCHED},
        {"all but a band at the top changed", 5, H, 0, GEN_FRAME_PATCHED},
        {"everything changed", 6, H, 0, GEN_FRAME_FULL},
        {"a change under the menu", 4, 150, 0, GEN_FRAME_FULL},
        {"the menu changed", 0, H, 1, GEN_FRAME_FULL},
        {"a sprite moved over a backdrop", 1, H, 0, GEN_FRAME_PATCHED, 1},
        {"a sprite moved beside a backdrop", 1, H, 0, GEN_FRAME_PATCHED, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // The base picture shown until the queue knows it is kept (a test frame, then a whole one).
        for (int i = 0; i < 3; i++) {
            scene(0, c.back);
            gen_wrap_display_update();
        }
        ASSERT_EQ(gen_queue_last_frame(), GEN_FRAME_NONE);
        if (gen_queue_kept() != 1) GTEST_SKIP() << "the driver does not keep the back buffer";
        scene(c.variant, c.back);
        EXPECT_EQ(gen_queue_frame_end(c.menu_changed, c.menu_floor), c.drawn);
        std::vector<uint8_t> shown = picture();
        gen_queue_swapped();
        // The same frame drawn whole on a cleared picture.
        gen_wrap_screen_clear();
        scene(c.variant, c.back);
        gen_queue_flush();
        std::vector<uint8_t> whole = picture();
        gen_queue_discard();
        gen_queue_invalidate();
        EXPECT_EQ(levels_apart(shown, whole), 0u);
    }
    gen_texture_delete(tex);
}

TEST_F(GenQueue, AWhiteRunShowsItsTextureAndATintedOneItsTint)
{
    std::vector<uint8_t> solid(4 * 4 * 4);
    for (size_t i = 0; i < solid.size(); i += 4) solid[i] = 64, solid[i + 1] = 192, solid[i + 2] = 224, solid[i + 3] = 255;
    uint32_t tex[2] = {};
    for (uint32_t &t : tex) ASSERT_EQ(gen_texture_create(solid.data(), 4, 4, GEN_FILTER_NEAREST, &t), 1);
    const GEN_COLOR TINT = {0.5f, 1, 1, 1};
    // Three quads in a row; those of one texture share a call whatever their colours.
    const struct {
        const char *name;
        int textures[3];
        GEN_COLOR colours[3];
    } cases[] = {
        {"white, tinted, white, each a call", {0, 1, 0}, {WHITE, TINT, WHITE}},
        {"a tinted one in a call with white ones", {0, 0, 0}, {WHITE, TINT, WHITE}},
        {"a tinted call, then a white one", {0, 1, 1}, {TINT, WHITE, WHITE}},
        {"all tinted", {0, 1, 0}, {TINT, TINT, TINT}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        gen_wrap_screen_clear();
        for (int i = 0; i < 3; i++) quad(GL_QUADS, tex[c.textures[i]], c.colours[i], 10.0f + 60 * i, 80, 40, 40);
        gen_queue_flush();
        const std::vector<uint8_t> p = picture();
        for (int i = 0; i < 3; i++) {
            const uint8_t *px = &p[(size_t(H - 1 - 100) * W + 30 + 60 * i) * 3];
            EXPECT_NEAR(px[0], 64 * c.colours[i].r, 1) << "quad " << i;
            EXPECT_EQ(px[1], 192) << "quad " << i;
            EXPECT_EQ(px[2], 224) << "quad " << i;
        }
        // What draws after the queue (the window menu) finds textures multiplied by its colours.
        GLint mode = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_EQ(mode, GL_MODULATE);
    }
    for (uint32_t t : tex) gen_texture_delete(t);
}

TEST_F(GenQueue, SharedTexturesDrawAsTextureOfTheirOwn)
{
    const uint32_t own = texture(GEN_FILTER_LINEAR), shared = texture(GEN_FILTER_LINEAR_SHARED);
    ASSERT_FALSE(own & GEN_TEXTURE_PACKED);
    ASSERT_TRUE(shared & GEN_TEXTURE_PACKED);
    // Magnified, with coordinates beyond the texture on every side: both clamp to a transparent
    // border.
    quad(GL_QUADS, own, WHITE, 10, 10, 90, 70, -0.2f, -0.3f, 1.2f, 1.1f);
    quad(GL_QUADS, shared, WHITE, 160, 10, 90, 70, -0.2f, -0.3f, 1.2f, 1.1f);
    gen_queue_flush();
    std::vector<uint8_t> p = picture();
    int worst = 0;
    for (int y = 0; y < 90; y++)
        for (int x = 0; x < 110; x++)
            for (int k = 0; k < 3; k++)
                worst = std::max(worst, std::abs(p[(size_t(y) * W + x) * 3 + k] - p[(size_t(y) * W + x + 150) * 3 + k]));
    EXPECT_LE(worst, 1);
    // Ringed by its edge texels in a page, an opaque texture filters at its edges as one of its
    // own clamped to them does.
    std::vector<uint8_t> ramp(8 * 8 * 4, 255);
    for (size_t i = 0; i < ramp.size(); i += 4) ramp[i] = uint8_t(i * 3), ramp[i + 1] = uint8_t(255 - i / 2);
    uint32_t clamped = 0, edged = 0;
    ASSERT_EQ(gen_texture_create(ramp.data(), 8, 8, GEN_FILTER_LINEAR, &clamped), 1);
    ASSERT_EQ(gen_texture_create(ramp.data(), 8, 8, GEN_FILTER_LINEAR_SHARED_EDGE, &edged), 1);
    ASSERT_TRUE(edged & GEN_TEXTURE_PACKED);
    gen_wrap_screen_clear();
    quad(GL_QUADS, clamped, WHITE, 10, 10, 90, 70);
    quad(GL_QUADS, edged, WHITE, 160, 10, 90, 70);
    gen_queue_flush();
    p = picture();
    worst = 0;
    for (int y = 0; y < 90; y++)
        for (int x = 0; x < 110; x++)
            for (int k = 0; k < 3; k++)
                worst = std::max(worst, std::abs(p[(size_t(y) * W + x) * 3 + k] - p[(size_t(y) * W + x + 150) * 3 + k]));
    EXPECT_LE(worst, 1);
    gen_texture_delete(clamped);
    gen_texture_delete(edged);
    // Too large for a page: a texture of its own.
    std::vector<uint8_t> big(size_t(512) * 512 * 4, 255);
    uint32_t large = 0;
    ASSERT_EQ(gen_texture_create(big.data(), 512, 512, GEN_FILTER_LINEAR_SHARED, &large), 1);
    EXPECT_FALSE(large & GEN_TEXTURE_PACKED);
    for (uint32_t t : {own, shared, large}) gen_texture_delete(t);
}

TEST_F(GenQueue, AQuadOffPlaneLooksAlikeInEveryBatch)
{
    const uint32_t tex = texture(GEN_FILTER_LINEAR);
    // A quad whose corners do not lie in one plane (its far corner is nearer the eye), drawn alone
    // and then in one call after a quad that reaches beyond the picture.
    auto draw = [&](bool beyond) {
        gen_wrap_screen_clear();
        if (beyond) {
            GEN_VERTEX *b = gen_queue_add(GL_QUADS, tex, WHITE, GEN_BLEND_ALPHA, GEN_SPACE_CLIP, 4);
            ASSERT_NE(b, nullptr);
            b[0] = {-1.6f, 0.9f, 0, 1, 0, 0}, b[1] = {-0.8f, 0.9f, 0, 1, 1, 0};
            b[2] = {-0.8f, 0.4f, 0, 1, 1, 1}, b[3] = {-1.6f, 0.4f, 0, 1, 0, 1};
        }
        GEN_VERTEX *v = gen_queue_add(GL_QUADS, tex, WHITE, GEN_BLEND_ALPHA, GEN_SPACE_CLIP, 4);
        ASSERT_NE(v, nullptr);
        v[0] = {-0.5f, 0.2f, 0, 1, 0, 0}, v[1] = {0.5f * 0.5f, 0.3f * 0.5f, 0, 0.5f, 1, 0};
        v[2] = {0.6f, -0.8f, 0, 1, 1, 1}, v[3] = {-0.7f, -0.6f, 0, 1, 0, 1};
        gen_queue_flush();
    };
    draw(false);
    const std::vector<uint8_t> alone = picture();
    draw(true);
    const std::vector<uint8_t> batched = picture();
    size_t bad = 0;
    for (int y = 0; y < H; y++)
        for (int x = 40; x < W; x++)   // right of the quad beyond the picture
            for (int k = 0; k < 3; k++) bad += alone[(size_t(y) * W + x) * 3 + k] != batched[(size_t(y) * W + x) * 3 + k];
    EXPECT_EQ(bad, 0u);
    gen_texture_delete(tex);
}

TEST_F(GenQueue, BackdropLeavesOutOnlyRowsThatSolidFacesHideFromSideToSide)
{
    // 8 x 8 texels, rows of other colours (so that a cut moving the backdrop's texels shows).
    auto texture8 = [](int filter, uint8_t green, uint8_t corner_alpha = 255) {
        std::vector<uint8_t> p(8 * 8 * 4, 255);
        for (size_t i = 0; i < p.size(); i += 4) p[i] = uint8_t(i / 32 * 30), p[i + 1] = green, p[i + 2] = 0;
        p[3] = corner_alpha;
        uint32_t name = 0;
        EXPECT_EQ(gen_texture_create(p.data(), 8, 8, filter, &name), 1);
        return name;
    };
    const uint32_t back = texture8(GEN_FILTER_NEAREST, 0), solid = texture8(GEN_FILTER_LINEAR, 255),
                   holed = texture8(GEN_FILTER_LINEAR, 255, 254), faded = texture8(GEN_FILTER_LINEAR_SHARED, 255);
    const struct {
        const char *name;
        uint32_t texture;
        float alpha, x1, top;   // the face, in clip coordinates, from x -1.5 to x1, y -1.5 to top
        bool backdrop_last;
        long draws;             // 1: the backdrop left out altogether
    } cases[] = {
        {"a solid face over the whole picture", solid, 1, 1.5f, 1.5f, false, 1},
        {"a solid face over the lower half", solid, 1, 1.5f, 0.0f, false, 2},
        {"a solid face over a slanted part", solid, 1, 1.5f, -0.3f, false, 2},
        {"the last column open", solid, 1, 1 - 1.5f / W, 1.5f, false, 2},
        {"a translucent face", solid, 0.99f, 1.5f, 1.5f, false, 2},
        {"a texel not opaque", holed, 1, 1.5f, 1.5f, false, 2},
        {"edges that fade out", faded, 1, 1.5f, 1.5f, false, 2},
        {"the backdrop after the face", solid, 1, 1.5f, 1.5f, true, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto scene = [&] {
            auto backdrop = [&] {
                gen_queue_backdrop(1);
                quad(GL_TRIANGLE_STRIP, back, WHITE, 0, 0, W, H);
                gen_queue_backdrop(0);
            };
            if (!c.backdrop_last) backdrop();
            GEN_VERTEX *v = gen_queue_add(GL_QUADS, c.texture, {1, 1, 1, c.alpha}, GEN_BLEND_ALPHA, GEN_SPACE_CLIP, 4);
            ASSERT_NE(v, nullptr);
            const float slant = c.top < 0 ? 0.2f : 0.0f;
            v[0] = {-1.5f, c.top, 0, 1, 0, 0}, v[1] = {c.x1, c.top + slant, 0, 1, 1, 0};
            v[2] = {c.x1, -1.5f, 0, 1, 1, 1}, v[3] = {-1.5f, -1.5f, 0, 1, 0, 1};
            if (c.backdrop_last) backdrop();
        };
        // The same drawn whole: a frame drawn in parts leaves its backdrop as it is.
        frame_end_matches_queued(scene, c.draws);
    }
    for (uint32_t t : {back, solid, holed, faded}) gen_texture_delete(t);
}

TEST_F(GenQueue, RunsThatReachNoCommonBlockShareACallAtTheFrameEnd)
{
    const uint32_t a = texture(GEN_FILTER_LINEAR), b = texture(GEN_FILTER_LINEAR, 0xE04020);
    struct PRIM {
        uint32_t mode, texture;
        float x, y, w, h;
    };
    const struct {
        const char *name;
        std::vector<PRIM> prims;
        long draws;
    } cases[] = {
        {"apart", {{GL_QUADS, a, 20, 20, 16, 16}, {GL_QUADS, b, 60, 20, 16, 16}, {GL_QUADS, a, 100, 20, 16, 16}}, 2},
        {"the later one over the other",
         {{GL_QUADS, a, 20, 20, 16, 16}, {GL_QUADS, b, 60, 20, 16, 16}, {GL_QUADS, a, 66, 26, 16, 16}}, 3},
        {"in the same block", {{GL_QUADS, a, 20, 20, 4, 4}, {GL_QUADS, b, 26, 20, 4, 4}, {GL_QUADS, a, 30, 24, 4, 4}}, 3},
        {"past the picture", {{GL_QUADS, a, 20, 20, 16, 16}, {GL_QUADS, b, 400, 20, 16, 16}, {GL_QUADS, a, 20, 60, 16, 16}}, 2},
        {"a strip keeps its place",
         {{GL_QUADS, a, 20, 20, 16, 16}, {GL_TRIANGLE_STRIP, b, 60, 20, 16, 16}, {GL_QUADS, a, 100, 20, 16, 16}}, 3},
        {"over two groups",
         {{GL_QUADS, a, 20, 20, 16, 16}, {GL_QUADS, b, 60, 20, 16, 16}, {GL_QUADS, a, 100, 20, 16, 16},
          {GL_QUADS, b, 96, 24, 16, 16}, {GL_QUADS, a, 140, 20, 16, 16}},
         2},
        {"after what it lies over",
         {{GL_QUADS, a, 20, 20, 16, 16}, {GL_QUADS, b, 60, 20, 16, 16}, {GL_QUADS, a, 100, 20, 16, 16},
          {GL_QUADS, b, 96, 24, 16, 16}, {GL_QUADS, a, 104, 30, 16, 16}},
         3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto scene = [&] {
            for (const PRIM &p : c.prims) quad(p.mode, p.texture, {0.9f, 0.8f, 0.7f, 0.8f}, p.x, p.y, p.w, p.h);
        };
        frame_end_matches_queued(scene, c.draws);
    }
    for (uint32_t t : {a, b}) gen_texture_delete(t);
}
