// The display started on the offscreen driver: window size from the settings, the fall-back of a
// vanished resolution, the settings written at exit, fullscreen and back, the display keys.
#include "dsp_test_util.h"

#include "kx/kx_bit/kx_bit.h"
#include "platform/plat_display.h"
#include "platform/plat_menu.h"

using namespace dsp_test;

namespace {

int client_height()
{
    int w, h;
    plat_window_client_size(&w, &h);
    return h;
}

} // namespace

TEST_F(DspTest, WindowOpensAtDesignSizeWithTheMenuBarAbove)
{
    ASSERT_EQ(start(), 1);
    int w, h;
    plat_window_client_size(&w, &h);
    EXPECT_GT(kx_dsp_menu_bar_height(), 0);
    EXPECT_EQ((std::vector<int>{kx_dsp_width(), kx_dsp_height(), kx_dsp_fullscreen(), w, h, active.load(), ready.load()}),
              (std::vector<int>{640, 480, 0, 640, 480 + kx_dsp_menu_bar_height(), 1, 1}));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DspTest, WindowOpensAtSavedSizeAndSavedResolutionIsCurrent)
{
    // The saved resolution is one the screen offers: the desktop's own.
    ASSERT_EQ(start(), 1);
    const KX_DSP_VIDEO_MODE desktop = *kx_dsp_mode_get(kx_dsp_mode_desktop());
    stop();
    write_file(settings(), "[Display]\nResolution=" + std::to_string(desktop.width) + "x" + std::to_string(desktop.height) +
                               "x" + std::to_string(desktop.depth) + "\nWindowPosition=10,20,720,400\nFullscreen=0\n");
    ASSERT_EQ(start(), 1);
    // The window takes the saved size; the picture the 4:3 part of it.
    int client_w, client_h;
    plat_window_client_size(&client_w, &client_h);
    EXPECT_EQ(client_w, 720);
    EXPECT_EQ(client_h, 400 + kx_dsp_menu_bar_height());
    EXPECT_EQ(kx_dsp_width(), 533);
    EXPECT_EQ(kx_dsp_height(), 400);
    const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(kx_dsp_mode_current());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->width, desktop.width);
    EXPECT_EQ(m->height, desktop.height);
}

TEST_F(DspTest, VanishedResolutionFallsBackToTheDesktopMode)
{
    write_file(settings(), "[Display]\nResolution=1234x567x32\nFullscreen=0\n");
    ASSERT_EQ(start(), 1);
    EXPECT_GE(kx_dsp_mode_desktop(), 0);
    EXPECT_EQ(kx_dsp_mode_current(), kx_dsp_mode_desktop());
    EXPECT_EQ(find_video_mode(1234, 567, 32), -1);
    // Nonsense in the keys is ignored, not trusted.
    stop();
    write_file(settings(), "[Display]\nResolution=axbxc\nWindowPosition=1,2,-5,99999999999\nFullPosition=oops\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_dsp_mode_current(), kx_dsp_mode_desktop());
    EXPECT_EQ(kx_dsp_width(), 640);
    EXPECT_EQ(kx_dsp_height(), 480);
}

TEST_F(DspTest, OverlongSettingsAreCutToTheirBuffersAndMissingOnesReadQuietly)
{
    ASSERT_EQ(start(), 1);
    const KX_DSP_VIDEO_MODE desktop = *kx_dsp_mode_get(kx_dsp_mode_desktop());
    stop();
    std::string resolution = std::to_string(desktop.width) + "x" + std::to_string(desktop.height) + "x" + std::to_string(desktop.depth);
    // Values that fill the readers' buffers exactly, and far longer ones; what fits still parses.
    for (size_t length : {79u, 80u, 300u}) {
        SCOPED_TRACE(length);
        auto pad = [&](std::string v) { return v + std::string(length - v.size(), ' '); };
        write_file(settings(), "[Display]\nResolution=" + pad(resolution) + "\nWindowPosition=" + pad("10,20,720,540") +
                                   "\nFullPosition=" + pad("0,0,800,600") + "\n");
        ASSERT_EQ(start(), 1);
        EXPECT_EQ(kx_dsp_width(), 720);
        EXPECT_EQ(kx_dsp_mode_current(), kx_dsp_mode_desktop());
        stop();
    }
    // A settings file without the section reports nothing while the reader asks for quiet.
    write_file(settings(), "[Sound]\nMusicVolume=10\n");
    io.report = 1;
    alerts.clear();
    ASSERT_EQ(start(), 1);
    for (const auto &a : alerts) EXPECT_EQ(a.first.find("Can't find the"), std::string::npos) << a.first;
}

TEST_F(DspTest, SplashTextsLongerThanTheirBuffersAreCutAndMissingOnesReadQuietly)
{
    fs::create_directories(dir / "data");
    write_file(dir / "data" / "texts.txt", "[Splash]\nBitmap=" + std::string(127, 'b') + "\nText=" + std::string(400, 't') + "\n");
    ASSERT_EQ(start(), 1);
    fs::path was = fs::current_path();
    fs::current_path(dir);
    int shown = kx_dsp_splash_on("Splash");
    kx_dsp_splash_off();
    io.report = 1;
    int other = kx_dsp_splash_on("Other");
    fs::current_path(was);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(other, 0);
    EXPECT_TRUE(alerts.empty()) << alerts[0].first;
}

TEST_F(DspTest, SkippedMessageBoxesStillShowErrors)
{
    write_file(settings(), "[Display]\nSkipMessageBox=1\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_dsp_alert("just so you know", "Alert", KX_DSP_ALERT_WARNING), 1);
    EXPECT_TRUE(alerts.empty());
    kx_dsp_alert("Error: bad level", "Error", KX_DSP_ALERT_ERROR);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].second, "Error");
    EXPECT_EQ(read_file(dir / "Warning.txt"), "Alert: just so you know\r\n");
}

TEST_F(DspTest, DesktopChangeInAWindowKeepsTheFullscreenChoice)
{
    PLAT_DISPLAY_MODE modes[] = {{1024, 768, 32, 60, 0xFF0000, 0xFF00, 0xFF},
                                 {800, 600, 32, 60, 0xFF0000, 0xFF00, 0xFF},
                                 {1280, 1024, 32, 60, 0xFF0000, 0xFF00, 0xFF}};
    plat_display_inject_modes(modes, 2, 0);
    ASSERT_EQ(start(), 1);
    // 800 x 600 chosen while the game runs (the high resolution), then back to the window.
    kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_HIGH_RES, 0);
    ASSERT_EQ(kx_dsp_fullscreen(), 1);
    ASSERT_EQ(kx_dsp_fullscreen_toggle(), 1);
    // The desktop moves to 1280 x 1024: that mode becomes the current one.
    plat_display_inject_modes(modes, 3, 2);
    kx_dsp_window_proc(PLAT_WM_DISPLAYCHANGE, 0, 0);
    const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(kx_dsp_mode_current());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->width, 1280);
    EXPECT_EQ(kx_dsp_mode_current(), kx_dsp_mode_desktop());
    stop();
    EXPECT_NE(read_file(settings()).find("Resolution=800x600x32"), std::string::npos) << read_file(settings());
}

TEST_F(DspTest, SettingsWrittenAtExitReadBackTheSame)
{
    write_file(settings(), "[Display]\nWindowPosition=30,40,800,500\nFullPosition=0,0,600,420\nFullscreen=0\n");
    ASSERT_EQ(start(), 1);
    stop();
    const std::string first = read_file(settings());
    for (const char *part : {"WindowPosition=", ",800,500", "Fullscreen=0", "Resolution=", "FullPosition=", ",600,420"})
        EXPECT_NE(first.find(part), std::string::npos) << part;

    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_dsp_width(), 666);
    EXPECT_EQ(kx_dsp_height(), 500);
    int x, y, w, h;
    kx_dsp_full_position(&x, &y, &w, &h);
    EXPECT_EQ(w, 600);
    EXPECT_EQ(h, 420);
    stop();
    EXPECT_EQ(read_file(settings()), first);
}

TEST_F(DspTest, FullscreenToggleHidesTheMenuAndComesBack)
{
    ASSERT_EQ(start(), 1);
    kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_FULLSCREEN, 0);
    ASSERT_EQ(kx_dsp_fullscreen(), 1);
    EXPECT_EQ(plat_display_is_fullscreen(), 1);
    EXPECT_EQ(plat_menu_shown(), 0);
    EXPECT_EQ(kx_dsp_menu_bar_height(), 0);
    // In fullscreen the menu offers the window.
    EXPECT_STREQ(plat_menu_text(KX_DSP_CMD_FULLSCREEN), "&Window\tF4");

    // Keys 1-4 change the picture by 12 pixels and the resize lists follow.
    const int w = kx_dsp_width(), h = kx_dsp_height();
    KX_RECT r{64, 48, 320, 240};
    ASSERT_EQ(kx_dsp_rect_add(&r), 1);
    kx_dsp_window_proc(PLAT_WM_KEYDOWN, '1', 0);
    kx_dsp_window_proc(PLAT_WM_KEYDOWN, '3', 0);
    EXPECT_EQ(kx_dsp_width(), w - 12);
    EXPECT_EQ(kx_dsp_height(), h - 12);
    EXPECT_EQ(r.width, int16_t(320 * (w - 12) / 640));
    EXPECT_EQ(r.height, int16_t(240 * (h - 12) / 480));
    kx_dsp_window_proc(PLAT_WM_KEYDOWN, '2', 0);
    kx_dsp_window_proc(PLAT_WM_KEYDOWN, '4', 0);
    EXPECT_EQ(r.width, int16_t(320 * w / 640));
    EXPECT_EQ(r.height, int16_t(240 * h / 480));

    // Alt+Enter goes back to the window with the menu bar.
    kx_dsp_window_proc(PLAT_WM_SYSKEYDOWN, PLAT_VK_RETURN, 0);
    EXPECT_EQ(kx_dsp_fullscreen(), 0);
    EXPECT_EQ(plat_display_is_fullscreen(), 0);
    EXPECT_EQ(plat_menu_shown(), 1);
    EXPECT_EQ(client_height(), 480 + kx_dsp_menu_bar_height());
    EXPECT_STREQ(plat_menu_text(KX_DSP_CMD_FULLSCREEN), "&Fullscreen\tF4");
    kx_dsp_rect_remove(&r);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DspTest, FullscreenPictureFillsTheScreenBetweenBars)
{
    // The picture as large as the 4:3 proportions allow, centred; Default Size comes back to it.
    struct Case {
        int width, height;
        int x, y, w, h;
    } cases[] = {
        {1920, 1080, 240, 0, 1440, 1080},   // wide screen: bars beside
        {1280, 1024, 0, 32, 1280, 960},     // 5:4: bars above and below
        {640, 480, 0, 0, 640, 480},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width);
        PLAT_DISPLAY_MODE mode{c.width, c.height, 32, 60, 0xFF0000, 0xFF00, 0xFF};
        plat_display_inject_modes(&mode, 1, 0);
        write_file(settings(), "[Display]\nFullscreen=1\nFullPosition=320,272,640,480\n");
        ASSERT_EQ(start(), 1);
        int x, y, w, h;
        kx_dsp_full_position(&x, &y, &w, &h);
        EXPECT_EQ((std::vector<int>{x, y, w, h, kx_dsp_width(), kx_dsp_height()}),
                  (std::vector<int>{c.x, c.y, c.w, c.h, c.w, c.h}));
        kx_dsp_window_proc(PLAT_WM_KEYDOWN, '1', 0);
        kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_DEFAULT_SIZE, 0);
        EXPECT_EQ(kx_dsp_width(), c.w);
        stop();
    }
}

TEST_F(DspTest, StartsInFullscreenWhenSavedAndWritesItBack)
{
    write_file(settings(), "[Display]\nFullscreen=1\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_dsp_fullscreen(), 1);
    EXPECT_EQ(plat_display_is_fullscreen(), 1);
    stop();
    EXPECT_NE(read_file(settings()).find("Fullscreen=1"), std::string::npos);
}

TEST_F(DspTest, ResolutionsAreOfferedWhereTheScreenHasThemAndF9AsksForASnapshot)
{
    PLAT_DISPLAY_MODE modes[] = {{1024, 768, 32, 60, 0xFF0000, 0xFF00, 0xFF},
                                 {640, 480, 32, 60, 0xFF0000, 0xFF00, 0xFF},
                                 {320, 200, 32, 60, 0xFF0000, 0xFF00, 0xFF},
                                 {1024, 768, 8, 60, 0, 0, 0}};
    for (int with_8_bits : {0, 1}) {
        SCOPED_TRACE(with_8_bits);
        plat_display_inject_modes(modes, 3 + with_8_bits, 0);
        ASSERT_EQ(start(), 1);
        // {offered, enabled} in a window: 320 x 200 is there but grey, 800 x 600 (the high
        // resolution) is missing from the screen, so is its entry; 256 colours only with an 8-bit
        // mode of the current size.
        const uint32_t commands[] = {KX_DSP_CMD_RESOLUTION + 0, KX_DSP_CMD_RESOLUTION + 1, KX_DSP_CMD_RESOLUTION + 2,
                                     KX_DSP_CMD_LOW_RES, KX_DSP_CMD_HIGH_RES, KX_DSP_CMD_256_COLORS};
        std::vector<int> shown;
        for (uint32_t c : commands) shown.push_back(plat_menu_offered(c) * 2 + plat_menu_enabled(c));
        EXPECT_EQ(shown, (std::vector<int>{2, 3, 1, 3, 1, 3 - 2 * !with_8_bits}));
        stop();
    }
    plat_display_inject_modes(nullptr, 0, 0);
    ASSERT_EQ(start(), 1);
    // 320 x 200 is refused in a window whatever the screen offers.
    kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_RESOLUTION + 0, 0);
    EXPECT_EQ(kx_dsp_width(), 640);
    EXPECT_EQ(kx_dsp_fullscreen(), 0);
    // 640 x 480 matches the window: checked.
    EXPECT_EQ(plat_menu_checked(KX_DSP_CMD_RESOLUTION + 1), 1);

    EXPECT_EQ(kx_dsp_snapshot_requested(0), 0);
    kx_dsp_window_proc(PLAT_WM_KEYDOWN, 0x78, 0);
    EXPECT_EQ(kx_dsp_snapshot_requested(1), 1);
    EXPECT_EQ(kx_dsp_snapshot_requested(0), 0);

    // Default Size puts a resized window back to the design size.
    kx_dsp_window_proc(PLAT_WM_SIZE, 0, intptr_t((500 + kx_dsp_menu_bar_height()) << 16 | 700));
    EXPECT_EQ(kx_dsp_width(), 666);
    EXPECT_EQ(kx_dsp_height(), 500);
    kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_DEFAULT_SIZE, 0);
    EXPECT_EQ(kx_dsp_width(), 640);
    EXPECT_EQ(kx_dsp_height(), 480);
    // Dragged smaller than half the design size, the window is put back there, menu bar whole.
    kx_dsp_window_proc(PLAT_WM_SIZE, 0, intptr_t(60 << 16 | 100));
    int w, h;
    plat_window_client_size(&w, &h);
    EXPECT_EQ((std::vector<int>{w, h, kx_dsp_width(), kx_dsp_height()}),
              (std::vector<int>{320, 240 + kx_dsp_menu_bar_height(), 320, 240}));
    EXPECT_GE(w, plat_menu_bar_width());
}

TEST_F(DspTest, BelowTheMinimumModeIsRefusedWithBothMessages)
{
    setup.min_width = 100000;
    ASSERT_EQ(start(), 1);
    alerts.clear();
    EXPECT_EQ(set_video_mode(kx_dsp_mode_desktop()), 0);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].first.rfind("New video mode resolution must be at least equal to 100000x", 0), 0u);
    EXPECT_EQ(alerts[1].first.rfind("Requested video mode resolution was: ", 0), 0u);
    EXPECT_EQ(set_video_mode(-1), 0);
    EXPECT_EQ(set_video_mode(kx_dsp_mode_count()), 0);
}

TEST_F(DspTest, LanguageCommandReloadsTheMenuInThatLanguage)
{
    const KX_DSP_LANGUAGE languages[] = {
        {"English", "eng", nullptr, nullptr, 1033},
        {"Deutsch", "ger", "&Vollbildmodus", "&Fenstermodus", 0},
        {"Klingon", "tlh", nullptr, nullptr, 7},
    };
    setup.languages = languages;
    setup.language_count = 3;
    setup.language = 0;
    ASSERT_EQ(start(), 1);
    EXPECT_STREQ(plat_menu_text(40004), "&Back to Game");
    EXPECT_EQ(plat_menu_checked(KX_DSP_CMD_LANGUAGE + 0), 1);
    kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_LANGUAGE + 1, 0);
    EXPECT_STREQ(plat_menu_text(40004), "&Zurück zum Spiel");
    // The language list's own word for the other state wins over the built-in one.
    EXPECT_STREQ(plat_menu_text(KX_DSP_CMD_FULLSCREEN), "&Vollbildmodus\tF4");
    EXPECT_EQ(plat_menu_checked(KX_DSP_CMD_LANGUAGE + 1), 1);
    EXPECT_EQ(plat_menu_checked(KX_DSP_CMD_LANGUAGE + 0), 0);
    // A language without a menu of its own gets the English one.
    kx_dsp_window_proc(PLAT_WM_COMMAND, KX_DSP_CMD_LANGUAGE + 2, 0);
    EXPECT_STREQ(plat_menu_text(40004), "&Back to Game");
    EXPECT_STREQ(plat_menu_text(KX_DSP_CMD_LANGUAGE + 2), "Klingon");
}

TEST_F(DspTest, AlertsGoToWarningTxtWhileReporting)
{
    setup.report = 1;
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_dsp_alert("something odd", "Alert", KX_DSP_ALERT_WARNING), 1);
    EXPECT_EQ(kx_dsp_alert("no title", nullptr, 0), 1);
    EXPECT_EQ(read_file(dir / "Warning.txt"), "Alert: something odd\r\nError: no title\r\n");
    ASSERT_EQ(alerts.size(), 2u);   // a window is up: the boxes are shown as well
    kx_dsp_warning_file_remove();
    EXPECT_FALSE(fs::exists(dir / "Warning.txt"));
}
