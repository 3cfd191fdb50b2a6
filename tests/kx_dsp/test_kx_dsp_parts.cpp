// Parts of the display that need no window: the 3D interface defaults, the card table, the
// menu texts of the six languages and the resize lists.
#include "dsp_test_util.h"

#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp_local.h"
#include "platform/plat_menu.h"

#include <functional>
#include <map>
#include <set>

using namespace dsp_test;

namespace {

struct CaptureAlerts : ::testing::Test {
    void SetUp() override
    {
        plat_alert_capture(capture);
        alerts.clear();
    }
    void TearDown() override
    {
        plat_alert_capture(nullptr);
        kx_dsp_3d_interface_set(nullptr);
    }
};

std::string expect_one_report()
{
    EXPECT_EQ(alerts.size(), 1u);
    std::string text = alerts.empty() ? "" : alerts[0].first;
    if (!alerts.empty()) {
        EXPECT_EQ(alerts[0].second, "");   // no title
    }
    alerts.clear();
    return text;
}

std::string suffix(const char *name)
{
    return std::string(name) + " called before calling kx_dsp_3d_interface_set ()";
}

int my_flush()
{
    return 7;
}

} // namespace

TEST_F(CaptureAlerts, EveryDefaultSlotReportsItsOwnTextOncePerCallAndReturnsZero)
{
    kx_dsp_3d_interface_set(nullptr);
    const KX_DSP_3D *t = kx_dsp_3d();
    KX_BITMAP bitmap{};
    KX_RECT rect{0, 0, 1, 1};
    char a[KX_DSP_3D_NAME_MAX], b[KX_DSP_3D_NAME_MAX];
    const std::pair<const char *, std::function<long()>> slots[] = {
        {"kx_dsp_3d_init_default", [&] { return t->init(nullptr, &rect, a, b); }},
        {"kx_dsp_3d_deinit_default", [&] { return t->deinit(); }},
        {"kx_dsp_3d_video_mode_set_default", [&] { return t->video_mode_set(nullptr, 0); }},
        {"kx_dsp_3d_resize_default", [&] { return t->resize(0, 0, 1, 1); }},
        {"kx_dsp_3d_flush_default", [&] { return t->flush(); }},
        {"kx_bit_3d_put", [&] { return t->put(&bitmap, &rect, &rect, 0); }},
        {"kx_bit_3d_save", [&] { return t->save("x.tga", &rect); }},
        {"kx_bit_3d_free_default", [&] { return t->free(&bitmap); }},
        {"kx_dsp_3d_screen_clear_default", [&] { return t->screen_clear(); }},
        {"kx_dsp_3d_display_update_default", [&] { return t->display_update(); }},
        {"kx_bit_3d_draw_pixel_default", [&] { return t->draw_pixel(&bitmap, 0, 0, 0); }},
        {"kx_bit_3d__draw_line_default", [&] { return t->draw_line(&bitmap, 0, 0, 1, 1, 0); }},
        {"kx_bit_3d__draw_rectangle_default", [&] { return t->draw_rectangle(&bitmap, &rect, 0, 1); }},
        {"kx_bit_3d__draw_circle_default", [&] { return t->draw_circle(&bitmap, 0, 0, 3, 0, 0); }},
        {"kx_bit_3d_get_pixel_default", [&] { return static_cast<long>(t->get_pixel(&bitmap, 0, 0)); }},
    };
    for (int round = 0; round < 2; round++)
        for (const auto &[name, call] : slots) {
            EXPECT_EQ(call(), 0) << name;
            EXPECT_EQ(expect_one_report(), suffix(name));
        }
}

TEST_F(CaptureAlerts, EmptySlotsOfAnInstalledTableKeepTheirDefaults)
{
    KX_DSP_3D table{};
    table.flush = my_flush;
    kx_dsp_3d_interface_set(&table);
    EXPECT_EQ(kx_dsp_3d()->flush(), 7);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(kx_dsp_3d()->screen_clear(), 0);
    EXPECT_EQ(expect_one_report(), suffix("kx_dsp_3d_screen_clear_default"));
    // Without a window the back end cannot start.
    EXPECT_EQ(kx_dsp_3d_start(), 0);
}

TEST(KxDspCard, RendererNamesPickTheFirstWordInTableOrder)
{
    auto kind = [](const char *name) { return kx_dsp_card_identify(name).kind; };
    EXPECT_EQ(kind("3Dfx Voodoo3 (tm)"), 4);
    EXPECT_EQ(kx_dsp_card_identify("voodoo5 6000").best_depth, 32);
    EXPECT_EQ(kx_dsp_card_identify("Voodoo2").texture_mb, 4);
    EXPECT_EQ(kind("Banshee"), 1);
    EXPECT_EQ(kind("RIVA TNT2/AGP"), 32);
    EXPECT_EQ(kind("GeForce 256/AGP"), 33);
    // "TNT" comes before "NVIDIA" and "GEFORCE 256" in the table.
    EXPECT_EQ(kind("NVIDIA GeForce 256 TNT"), 32);
    EXPECT_EQ(kind("NVIDIA GeForce RTX"), 32);
    EXPECT_EQ(kind("Rage 128 Pro"), 61);
    KX_DSP_CARD none = kx_dsp_card_identify("llvmpipe (LLVM 15.0.6, 256 bits)");
    EXPECT_EQ(none.kind, 0);
    EXPECT_EQ(none.texture_mb, 0);
    EXPECT_EQ(kx_dsp_card_identify(nullptr).kind, 0);
    std::string long_name(1000, 'x');
    EXPECT_EQ(kx_dsp_card_identify(long_name.c_str()).kind, 0);
}

TEST(KxDspMenuTexts, SixLanguagesWithTheSameCommandsAndTheirOwnTexts)
{
    const std::set<int> ids = {1031, 1033, 1034, 1036, 1040, 2070};
    std::set<int> seen;
    const KX_DSP_MENU_LANG &english = kx_dsp_menu_langs[1];
    ASSERT_EQ(english.langid, 1033);
    std::map<uint32_t, std::string> english_texts;
    for (int i = 0; i < english.count; i++)
        if (english.items[i].command) english_texts[english.items[i].command] = english.items[i].text;
    EXPECT_EQ(english_texts[40005], "E&xit\tAlt+F4");
    EXPECT_EQ(english_texts[50003], "&Fullscreen\tF4");
    EXPECT_EQ(english_texts[50004], "256 &Colors (Faster)");
    EXPECT_EQ(english_texts[51005], "&High (slower)");
    EXPECT_EQ(english_texts[41001], "&Help Topics\tF1");
    for (const KX_DSP_MENU_LANG &l : kx_dsp_menu_langs) {
        SCOPED_TRACE(l.langid);
        seen.insert(l.langid);
        ASSERT_EQ(l.count, english.count);
        int differing = 0;
        for (int i = 0; i < l.count; i++) {
            EXPECT_EQ(l.items[i].command, english.items[i].command);
            EXPECT_EQ(l.items[i].level, english.items[i].level);
            EXPECT_EQ(l.items[i].kind, english.items[i].kind);
            if (l.items[i].kind == PLAT_MENU_SEPARATOR) continue;
            ASSERT_NE(l.items[i].text, nullptr);
            EXPECT_NE(l.items[i].text[0], 0);
            std::string text = l.items[i].text, eng = english.items[i].text;
            differing += text != eng;
            // Shortcuts stay the same in every language.
            size_t tab = eng.find('\t');
            if (tab != std::string::npos) {
                EXPECT_EQ(text.substr(text.find('\t')), eng.substr(tab));
            }
        }
        if (l.langid != 1033) {
            EXPECT_GT(differing, english.count / 2);
        }
        EXPECT_NE(l.fullscreen[0], 0);
        EXPECT_NE(l.window[0], 0);
    }
    EXPECT_EQ(seen, ids);
}

TEST_F(DspTest, RegisteredRectanglesAndPointsFollowTheDisplaySize)
{
    ASSERT_EQ(start(), 1);   // 640 x 480, the design size: registrations keep their values
    KX_RECT r{100, 50, 200, 100};
    float p[2] = {320.0f, 240.0f};
    ASSERT_EQ(kx_dsp_rect_add(&r), 1);
    ASSERT_EQ(kx_dsp_point_float_add(p), 1);
    EXPECT_EQ(kx_dsp_rect_add(&r), 0);
    kx_dsp_resize_lists_apply(1280, 960);
    EXPECT_EQ(r.x, 200);
    EXPECT_EQ(r.width, 400);
    EXPECT_FLOAT_EQ(p[0], 640.0f);
    EXPECT_FLOAT_EQ(p[1], 480.0f);
    kx_dsp_resize_lists_apply(333, 333);   // truncated, from the design values each time
    EXPECT_EQ(r.x, 52);        // 100 * 333 / 640 = 52.03
    EXPECT_EQ(r.height, 69);   // 100 * 333 / 480 = 69.375
    kx_dsp_resize_lists_apply(640, 480);
    EXPECT_EQ(r.x, 100);
    EXPECT_EQ(r.height, 100);

    alerts.clear();
    EXPECT_EQ(kx_dsp_rect_add_at("game.cpp", 12, &r), 0);
    KX_RECT other{};
    EXPECT_EQ(kx_dsp_rect_modify_at("game.cpp", 13, &other), 0);
    EXPECT_EQ(kx_dsp_point_float_add_at("game.cpp", 14, p), 0);
    float q[2] = {0, 0};
    EXPECT_EQ(kx_dsp_point_float_modify_at("game.cpp", 15, q), 0);
    ASSERT_EQ(alerts.size(), 4u);
    EXPECT_EQ(alerts[0].first, "Warning: Rectangle already added to the resize list. file game.cpp, line 12");
    EXPECT_EQ(alerts[1].first, "Warning: Rectangle not in the resize list. file game.cpp, line 13");
    EXPECT_EQ(alerts[2].first, "Warning: Point_float already added to the resize list. file game.cpp, line 14");
    EXPECT_EQ(alerts[3].first, "Warning: Point_float not in the resize list. file game.cpp, line 15");

    // Modify takes new design values; removal stops the following.
    r = KX_RECT{10, 10, 10, 10};
    ASSERT_EQ(kx_dsp_rect_modify(&r), 1);
    ASSERT_EQ(kx_dsp_rect_remove(&r), 1);
    EXPECT_EQ(kx_dsp_rect_remove(&r), 0);
    kx_dsp_resize_lists_apply(1280, 960);
    EXPECT_EQ(r.x, 10);
    EXPECT_FLOAT_EQ(p[0], 640.0f);
    kx_dsp_resize_lists_clear();
    kx_dsp_resize_lists_apply(640, 480);
    EXPECT_FLOAT_EQ(p[0], 640.0f);
}

TEST(KxDspPictureFit, LargestCentredRectangleOfTheProportions)
{
    struct Case {
        int area_w, area_h, aspect_w, aspect_h;
        KX_RECT want;
    };
    const Case cases[] = {
        {640, 480, 640, 480, {0, 0, 640, 480}},         // exact
        {1280, 960, 640, 480, {0, 0, 1280, 960}},       // twice
        {700, 500, 640, 480, {17, 0, 666, 500}},        // wider: bars left and right
        {640, 600, 640, 480, {0, 60, 640, 480}},        // taller: bars above and below
        {1920, 1080, 640, 480, {240, 0, 1440, 1080}},
        {321, 1, 640, 480, {160, 0, 1, 1}},             // a sliver keeps one pixel
        {32767, 32767, 640, 480, {0, 4096, 32767, 24575}},
        {0, 480, 640, 480, {0, 0, 0, 0}},               // nothing to fit into
        {640, 480, 0, 480, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        KX_RECT r{-1, -1, -1, -1};
        kx_dsp_picture_fit(c.area_w, c.area_h, c.aspect_w, c.aspect_h, &r);
        EXPECT_EQ((std::vector<int>{r.x, r.y, r.width, r.height}),
                  (std::vector<int>{c.want.x, c.want.y, c.want.width, c.want.height}))
            << c.area_w << " x " << c.area_h;
    }
}

namespace {

KX_RECT resized;
int record_init(void *, KX_RECT *picture, char *, char *)
{
    resized = *picture;
    return 1;
}
int record_resize(int16_t x, int16_t y, int16_t w, int16_t h)
{
    resized = KX_RECT{x, y, w, h};
    return 1;
}

} // namespace

TEST_F(DspTest, ADraggedWindowShowsThePictureCentredAndKeepsItsSize)
{
    KX_DSP_3D table{};
    table.init = record_init;
    table.resize = record_resize;
    kx_dsp_3d_interface_set(&table);
    ASSERT_EQ(start(), 1);
    ASSERT_EQ(kx_dsp_3d_start(), 1);
    EXPECT_EQ((std::vector<int>{resized.x, resized.y, resized.width, resized.height}), (std::vector<int>{0, 0, 640, 480}));
    KX_RECT r{320, 240, 64, 48};
    ASSERT_EQ(kx_dsp_rect_add(&r), 1);

    const int bar = kx_dsp_menu_bar_height();
    struct Drag {
        int w, h;              // client area below the menu bar
        KX_RECT picture;       // where the back end draws, inside that area
    };
    const Drag drags[] = {{1000, 600, {100, 0, 800, 600}}, {640, 800, {0, 160, 640, 480}}, {1280, 960, {0, 0, 1280, 960}}};
    for (const Drag &d : drags) {
        kx_dsp_window_proc(PLAT_WM_SIZE, 0, intptr_t((d.h + bar) << 16 | d.w));
        EXPECT_EQ((std::vector<int>{resized.x, resized.y, resized.width, resized.height, kx_dsp_width(), kx_dsp_height()}),
                  (std::vector<int>{d.picture.x, d.picture.y, d.picture.width, d.picture.height, d.picture.width,
                                    d.picture.height}))
            << d.w << " x " << d.h;
        // The game's registered rectangles scale by the same factor both ways.
        EXPECT_EQ(r.x * 480, r.y * 640);
        EXPECT_EQ(r.width * 480, r.height * 640);
    }
    kx_dsp_rect_remove(&r);
    // The window's size, not the picture's, is what the next start gets back.
    kx_dsp_window_proc(PLAT_WM_SIZE, 0, intptr_t((600 + bar) << 16 | 1000));
    stop();
    EXPECT_NE(read_file(settings()).find(",1000,600"), std::string::npos) << read_file(settings());
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_dsp_width(), 800);
    EXPECT_EQ(kx_dsp_height(), 600);
    kx_dsp_3d_interface_set(nullptr);
}
