// The window menu on a real X server (run under xvfb-run): the bar is drawn above the picture
// in a screenshot, and clicks on "&Display" then "&Fullscreen" switch to fullscreen; F4 comes
// back.
#include "dsp_test_util.h"

#include "platform/plat_display.h"
#include "platform/plat_gl.h"
#include "platform/plat_menu.h"

#include <cstdio>
#include <cstdlib>

using namespace dsp_test;

namespace {

std::vector<uintptr_t> commands;

intptr_t recording_proc(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    if (message == PLAT_WM_COMMAND) commands.push_back(wparam);
    return kx_dsp_window_proc(message, wparam, lparam);
}

class X11Test : public DspTest {
protected:
    void SetUp() override
    {
        const char *display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display (run under xvfb-run)";
        unsetenv("SDL_VIDEODRIVER");
        headless = 0;
        DspTest::SetUp();
        setup.window_proc = recording_proc;
        commands.clear();
    }

    // Runs frames: messages to the window procedure, then the present.
    void frames(int n)
    {
        for (int i = 0; i < n; i++) {
            PLAT_MSG m;
            while (plat_message_peek(&m, 1)) plat_message_dispatch(&m);
            kx_dsp_present();
            plat_sleep_ms(15);
        }
    }

    // Clicks on the menu entry `text` once it is drawn.
    bool click(const char *text)
    {
        int x = 0, y = 0;
        for (int i = 0; i < 20 && !plat_menu_item_center(text, &x, &y); i++) frames(1);
        if (!plat_menu_item_center(text, &x, &y)) return false;
        plat_mouse_click_inject(x, y);
        frames(4);
        return true;
    }
};

void save_ppm(const char *path, const std::vector<uint8_t> &rgb, int w, int h)
{
    if (!path) return;
    FILE *f = std::fopen(path, "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    std::fclose(f);
}

} // namespace

TEST_F(X11Test, MenuBarIsDrawnAboveThePicture)
{
    ASSERT_EQ(start(), 1);
    kx_dsp_show();
    frames(10);
    int bar = kx_dsp_menu_bar_height();
    ASSERT_GT(bar, 8);
    int w, h;
    plat_gl_drawable_size(&w, &h);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480 + bar);
    // The frame as it goes to the screen: cleared picture, then the bar drawn over it.
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    plat_gl_clear();
    plat_menu_draw();
    ASSERT_EQ(plat_gl_pixels_read(rgb.data(), w, h, 0), 1);
    save_ppm(std::getenv("VM_SCREENSHOT"), rgb, w, h);
    auto lit = [&](int y0, int y1) {
        long n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = 0; x < w; x++) {
                const uint8_t *p = &rgb[(size_t(y) * w + x) * 3];
                n += p[0] + p[1] + p[2] > 30;
            }
        return n;
    };
    // The bar is coloured across its width; the picture below it is black (nothing draws yet).
    EXPECT_GT(lit(0, bar), long(w) * bar * 9 / 10);
    EXPECT_EQ(lit(bar + 1, h), 0);
    // The texts show as pixels that differ from the bar's own colour.
    const uint8_t *bg = &rgb[(size_t(bar / 2) * w + w - 2) * 3];
    long text = 0;
    for (int y = 0; y < bar; y++)
        for (int x = 0; x < 200; x++) {
            const uint8_t *p = &rgb[(size_t(y) * w + x) * 3];
            text += std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) > 120;
        }
    EXPECT_GT(text, 40);
}

TEST_F(X11Test, ClickingDisplayFullscreenSwitchesModeAndF4ComesBack)
{
    ASSERT_EQ(start(), 1);
    kx_dsp_show();
    frames(10);
    ASSERT_TRUE(click("&Display"));
    ASSERT_TRUE(click("&Fullscreen\tF4"));
    frames(4);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], KX_DSP_CMD_FULLSCREEN);
    EXPECT_EQ(kx_dsp_fullscreen(), 1);
    EXPECT_EQ(plat_display_is_fullscreen(), 1);
    EXPECT_EQ(plat_menu_shown(), 0);
    frames(5);

    plat_message_post(PLAT_WM_KEYDOWN, 0x73, 0);
    frames(10);
    EXPECT_EQ(kx_dsp_fullscreen(), 0);
    EXPECT_EQ(plat_display_is_fullscreen(), 0);
    EXPECT_EQ(plat_menu_shown(), 1);
    int w, h;
    plat_window_client_size(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480 + kx_dsp_menu_bar_height());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(X11Test, MenuTellsTheWindowWhenItTakesTheKeyboardAndGivesItBack)
{
    ASSERT_EQ(start(), 1);
    kx_dsp_show();
    std::vector<uint32_t> seen;
    auto record = [&](int n) {
        for (int i = 0; i < n; i++) {
            PLAT_MSG m;
            while (plat_message_peek(&m, 1)) {
                if (m.message == PLAT_WM_ENTERMENULOOP || m.message == PLAT_WM_EXITMENULOOP) seen.push_back(m.message);
                plat_message_dispatch(&m);
            }
            kx_dsp_present();
            plat_sleep_ms(15);
        }
    };
    record(10);
    EXPECT_TRUE(seen.empty());
    // An open popup has the keyboard; a click on the picture closes it and gives it back.
    int x = 0, y = 0;
    ASSERT_TRUE(plat_menu_item_center("&Display", &x, &y));
    plat_mouse_click_inject(x, y);
    record(6);
    plat_mouse_click_inject(320, 400);
    record(6);
    EXPECT_EQ(seen, (std::vector<uint32_t>{PLAT_WM_ENTERMENULOOP, PLAT_WM_EXITMENULOOP}));
    // Hiding the bar with a popup open gives it back at once.
    seen.clear();
    ASSERT_TRUE(plat_menu_item_center("&Display", &x, &y));
    plat_mouse_click_inject(x, y);
    record(6);
    plat_menu_show(0);
    record(2);
    EXPECT_EQ(seen, (std::vector<uint32_t>{PLAT_WM_ENTERMENULOOP, PLAT_WM_EXITMENULOOP}));
    plat_menu_show(1);
}

TEST_F(X11Test, AnIdleBarIsBuiltAgainOnlyWhenSomethingChanges)
{
    ASSERT_EQ(start(), 1);
    kx_dsp_show();
    const struct {
        const char *name;
        void (*stir)();
    } cases[] = {
        {"a check mark", [] { plat_menu_check(51002, !plat_menu_checked(51002)); }},
        {"an entry's text", [] { plat_menu_text_set(41001, "&Topics\tF1"); }},
        {"a click on the picture", [] { plat_mouse_click_inject(300, 300); }},
    };
    frames(10);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const long idle = plat_menu_builds();
        frames(4);
        EXPECT_EQ(plat_menu_builds(), idle);
        c.stir();
        frames(1);
        EXPECT_GT(plat_menu_builds(), idle);
        frames(4);
    }
}
