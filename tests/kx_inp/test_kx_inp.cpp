// Keyboard and mouse rules of the input module: movement threshold and saturation, the single
// direction rule, first pressed with left Shift, releases, focus changes and the window hook.
#include "kx_inp_test_util.h"

#include "platform/plat_core.h"

#include <vector>

using namespace inp_test;

namespace {

TEST_F(InputTest, MouseMovesOverTheThresholdOnly)
{
    start();
    struct Case {
        int dx, dy, code, value;
    } cases[] = {
        {8, 0, 403, 0},    {9, 0, 403, 9},    {200, 0, 403, 128}, {-8, 0, 402, 0},  {-9, 0, 402, 9},
        {-129, 0, 402, 128}, {0, 8, 401, 0},  {0, 9, 401, 9},     {0, -40, 400, 40}, {0, 300, 401, 128},
    };
    for (const Case &c : cases) {
        poll_with_mouse(c.dx, c.dy);
        EXPECT_EQ(down(400, 40), one_hot(40, c.code - 400, c.value)) << c.dx << "," << c.dy;
    }
    // The block only holds this poll's movement.
    poll_with_mouse(0, 0);
    EXPECT_EQ(kx_inp_key_down(401), 0);
}

TEST_F(InputTest, MouseShowsOneDirectionUnlessDiagonalsAreAllowed)
{
    start();
    // Up, down, left, right after each move: equal moves keep the vertical, left and down may
    // show together.
    struct {
        int dx, dy;
        std::vector<int> shown;
    } cases[] = {{-20, -20, {20, 0, 0, 0}}, {-30, -20, {0, 0, 30, 0}}, {20, 20, {0, 20, 0, 0}},
                 {30, 20, {0, 0, 0, 30}},   {-30, 20, {0, 20, 30, 0}}};
    for (const auto &c : cases) {
        poll_with_mouse(c.dx, c.dy);
        EXPECT_EQ(down(400, 4), c.shown) << c.dx << "," << c.dy;
    }
    kx_inp_done();
    start(1);
    poll_with_mouse(-20, -20);
    EXPECT_EQ(down(400, 4), (std::vector<int>{20, 0, 20, 0}));
}

TEST_F(InputTest, KeysAndMouseButtonsReleaseForOnePoll)
{
    start();
    hold({30});
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_down(30), 0x80);
    EXPECT_EQ(kx_inp_key_released(30), 0);
    hold({});
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_released(30), 1);
    buttons[0] = buttons[3] = 1;
    poll_with_mouse(0, 0);
    EXPECT_EQ(down(408, 4), (std::vector<int>{0x80, 0, 0, 0x80}));
    buttons[0] = 0;
    poll_with_mouse(0, 0);
    EXPECT_EQ(kx_inp_key_released(408), 1);
    EXPECT_EQ(kx_inp_key_released(411), 0);
    poll_with_mouse(0, 0);
    EXPECT_EQ(kx_inp_key_released(408), 0);
    EXPECT_EQ(kx_inp_key_released(30), 0);
}

TEST_F(InputTest, FirstPressedPrefersTheKeyHeldWithLeftShift)
{
    start();
    struct {
        std::vector<int> held;
        int first;
    } cases[] = {{{}, 0}, {{42, 30}, 30}, {{42}, 42}, {{54}, 54}, {{42, 200}, 200}, {{28, 57}, 28}};
    for (const auto &c : cases) {
        hold(c.held);
        kx_inp_update();
        EXPECT_EQ(kx_inp_first_pressed(), c.first) << c.first;
    }
    // The mouse comes before the keyboard.
    poll_with_mouse(0, 50);
    EXPECT_EQ(kx_inp_first_pressed(), 401);
}

TEST_F(InputTest, CodesThatNameNothingReadAsUp)
{
    start();
    std::memset(keys, 0x80, sizeof keys);
    plat_input_inject_keyboard(keys);
    kx_inp_update();
    for (int code : {-1, 256, 300, 399, 440, 499, 540, 9999}) {
        EXPECT_EQ(kx_inp_key_down(code), 0) << code;
        EXPECT_EQ(kx_inp_key_released(code), 0) << code;
    }
    // Scan code 0 is no key at all.
    EXPECT_EQ(kx_inp_key_down(0), 0);
    EXPECT_EQ(kx_inp_key_down(255), 0x80);
}

TEST_F(InputTest, FocusLossClearsHeldKeysWithoutReleasingThem)
{
    PLAT_INJECT_JOYSTICK j = stick();
    j.buttons[0] = 1;
    plat_input_inject_joystick_plug(&j, 0);
    start();
    hold({30, 203});
    kx_inp_update();
    kx_inp_update();
    ASSERT_EQ(kx_inp_key_down(508), 0x80);
    EXPECT_EQ(kx_inp_window_message(PLAT_WM_KILLFOCUS, 0, 0), 1);
    EXPECT_EQ(kx_inp_inactive(), 1);
    for (int code : {30, 508}) {
        EXPECT_EQ(kx_inp_key_down(code), 0) << code;
        EXPECT_EQ(kx_inp_key_released(code), 0) << code;
    }
    // A dropped read while away keeps nothing down either.
    plat_input_inject_keyboard_lost();
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_down(30), 0);
    EXPECT_EQ(kx_inp_key_released(30), 0);
    // A was let go while away, Left is still held.
    hold({203});
    kx_inp_window_message(PLAT_WM_ACTIVATE, 1, 0);
    EXPECT_EQ(kx_inp_inactive(), 0);
    EXPECT_EQ(kx_inp_key_down(203), 0);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_released(30), 0);
    EXPECT_EQ(kx_inp_key_down(203), 0x80);
}

TEST_F(InputTest, LostDevicesAreAcquiredAgainWhileActive)
{
    start();
    hold({57});
    plat_input_inject_keyboard_lost();
    plat_input_inject_mouse_lost();
    poll_with_mouse(50, 0);
    EXPECT_EQ(kx_inp_key_down(57), 0x80);
    EXPECT_EQ(kx_inp_key_down(403), 50);
    // While inactive the mouse is not taken back.
    kx_inp_activate(0);
    poll_with_mouse(50, 0);
    EXPECT_EQ(kx_inp_key_down(403), 0);
}

TEST_F(InputTest, WindowHookSwitchesInputAndPostsTheWakeUp)
{
    start();
    PLAT_MSG m;
    while (plat_message_peek(&m, 1)) {
    }
    kx_inp_window_message(PLAT_WM_SETFOCUS, 0, 0);
    ASSERT_EQ(plat_message_peek(&m, 1), 1);
    EXPECT_EQ(m.message, 1093u);
    // A click only wakes input that is switched off.
    kx_inp_window_message(PLAT_WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(plat_message_peek(&m, 1), 0);
    struct Step {
        uint32_t message;
        uintptr_t wparam;
        int inactive;
    } steps[] = {
        {PLAT_WM_ACTIVATE, 0, 1},           {1093, 0, 0},
        {KX_INP_WM_ENTERMENULOOP, 0, 1},    {PLAT_WM_ACTIVATE, 2, 0},
        {KX_INP_WM_ENTERSIZEMOVE, 0, 1},    {PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 0},
        {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 1}, {PLAT_WM_SYSCOMMAND, 0xF060, 1},
    };
    for (const Step &s : steps) {
        EXPECT_EQ(kx_inp_window_message(s.message, s.wparam, 0), 1);
        EXPECT_EQ(kx_inp_inactive(), s.inactive) << s.message;
    }
    kx_inp_window_message(PLAT_WM_LBUTTONDOWN, 0, 0);
    ASSERT_EQ(plat_message_peek(&m, 1), 1);
    EXPECT_EQ(m.message, 1093u);
}

TEST_F(InputTest, ButtonSwapIsReadAtStartAndOnActivation)
{
    plat_input_inject_mouse_swapped(1);
    start();
    EXPECT_EQ(kx_inp_mouse_swapped(), 1);
    plat_input_inject_mouse_swapped(0);
    kx_inp_activate(0);
    EXPECT_EQ(kx_inp_mouse_swapped(), 1);
    kx_inp_activate(1);
    EXPECT_EQ(kx_inp_mouse_swapped(), 0);
}

} // namespace
