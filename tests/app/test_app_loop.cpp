// The frame loop's step counting and command building, driven directly without a window.
#include "app/app.h"

#include "app/app_help.h"
#include "app/app_texts.h"
#include "game/game_local.h"
#include "game/game_play.h"
#include "platform/plat_core.h"
#include "platform/plat_owner.h"
#include "platform/plat_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

class AppLoop : public ::testing::Test {
protected:
    uint8_t commands[256];

    void SetUp() override
    {
        std::memset(commands, 0, sizeof commands);
        mapa_teclado = commands;
        game_flags.menu_shown = game_flags.attract_mode = game_flags.paused = game_flags.name_entry = 0;
        game_flags.language_chosen = 1;
        game_flags.game_over_timer = game_flags.world_show_timer = 0.0f;
        std::memset(&app.player, 0, sizeof app.player);
        app.ticks.store(0);
        app.steps_last_pass = 18;
        PLAT_MSG m;
        while (plat_message_peek(&m, 1)) {
        }
    }

    void TearDown() override { mapa_teclado = nullptr; }
};

TEST_F(AppLoop, StepsRunOneMoreThanTheTicksCountedAtMostTwentyOne)
{
    const struct {
        uint32_t ticks;
        int steps;
    } cases[] = {{0, 1}, {1, 2}, {5, 6}, {20, 21}, {30, 21}, {1000, 21}};
    for (const auto &c : cases) {
        app.ticks.store(c.ticks);
        app_steps_run();
        EXPECT_EQ(app.steps_last_pass, c.steps) << c.ticks << " ticks";
        // The count ends at zero, not below it, so the timer's next tick is one tick.
        EXPECT_EQ(app.ticks.load(), 0u) << c.ticks << " ticks";
    }
}

// A key held for a second, then let go: the paddle covers the same distance at 100, 50, 33 and 25
// passes a second (1 to 4 steps a pass), the steps of a pass reading the command the pass built.
TEST_F(AppLoop, AHeldKeyMovesThePaddleAlikeAtAnyFrameRate)
{
    std::vector<double> distances;
    for (int steps : {1, 2, 3, 4}) {
        paddle = GAME_PADDLE{};
        paddle.x = 120.0;
        paddle.x_min = 0.0;
        paddle.x_max = 1000.0;
        step_time = 0.3;
        std::memset(commands, 0, sizeof commands);
        app.steps_last_pass = steps;
        for (int step = 0; step < 200; step += steps) {
            app.player.controls[2] = step < 96 ? 0x80 : 0;   // left, digital, for the first second
            app_commands_build();
            for (int i = 0; i < steps; i++) {
                Paddle_Step(commands[CMD_LEFT] ? INPUT_LEFT : 0);
                Commands_Decay();
            }
        }
        distances.push_back(120.0 - paddle.x);
    }
    EXPECT_GT(distances[0], 60.0);   // near full speed for the second
    for (size_t i = 1; i < distances.size(); i++) EXPECT_NEAR(distances[i], distances[0], 0.5) << i + 1 << " steps a pass";
}

TEST_F(AppLoop, AnalogAmountsAreCopiedAndOneDirectionPerAxisWins)
{
    app.player.controls[2] = 50;    // left
    app.player.controls[3] = 90;    // right: left wins
    app.player.controls[1] = 127;   // down
    app_commands_build();
    EXPECT_EQ(commands[CMD_LEFT], 50);
    EXPECT_EQ(commands[CMD_RIGHT], 0);
    EXPECT_EQ(commands[CMD_DOWN], 127);
    EXPECT_EQ(commands[CMD_UP], 0);
}

TEST_F(AppLoop, ButtonsFireOnlyOutsideTheMenu)
{
    app.player.controls[6] = 0x80;
    app.player.controls[7] = 0x80;
    app_commands_build();
    EXPECT_EQ(commands[CMD_SPACE], 1);
    EXPECT_EQ(commands[CMD_ENTER], 1);
    // During name entry the second fire control's key (B) is a letter.
    game_flags.name_entry = 1;
    app_commands_build();
    EXPECT_EQ(commands[CMD_SPACE], 1);
    EXPECT_EQ(commands[CMD_ENTER], 0);
    game_flags.name_entry = 0;
    game_flags.menu_shown = 1;
    app_commands_build();
    EXPECT_EQ(commands[CMD_SPACE], 0);
    EXPECT_EQ(commands[CMD_ENTER], 0);
}

TEST_F(AppLoop, TypedCharactersReachTheGameAsLatin1ForOnePass)
{
    const struct {
        const char *typed, *game;
    } cases[] = {
        {"xyZ", "xyZ"},
        {"\xc3\xa9\xe2\x82\xac!", "\xe9!"},       // e-acute kept; the euro sign is not Latin-1
        {"\x80" "a\xed\xa0\x80" "b\xc3", "ab"},   // a stray byte, a surrogate, a cut sequence
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOP"},
    };
    for (const auto &c : cases) {
        plat_text_push(c.typed);
        app_commands_build();
        EXPECT_STREQ(typed_text, c.game) << c.typed;
        Commands_Clear();
        EXPECT_STREQ(typed_text, "");
        app_commands_build();
        EXPECT_STREQ(typed_text, "") << "the rest of the queue was dropped";
    }
}

TEST_F(AppLoop, ReleasingThePrimaryButtonConfirmsInTheMenu)
{
    app.player.controls[6] = 0x80;
    app_commands_build();   // a press begun outside the menu confirms on its release inside
    game_flags.menu_shown = 1;
    const struct {
        uint8_t primary;
        int enter;
    } polls[] = {{0, 1}, {0, 0}, {0x80, 0}, {0x80, 0}, {0, 1}, {0, 0}, {40, 0}, {0, 1}};
    for (const auto &p : polls) {
        app.player.controls[6] = p.primary;
        app_commands_build();
        EXPECT_EQ(commands[CMD_ENTER], p.enter) << int(p.primary);
        EXPECT_EQ(commands[CMD_SPACE], 0);
    }
}

TEST_F(AppLoop, ClearKeepsDirectionsUnlessTheMenuIsShown)
{
    const int one_pass[] = {CMD_SPACE, CMD_ESC, CMD_P, CMD_ENTER, CMD_TAB, CMD_ANY, CMD_NEXT_LEVEL, CMD_DEMO_RECORD};
    for (int c : one_pass) commands[c] = 1;
    commands[CMD_LEFT] = 40;
    commands[CMD_UP] = 12;
    Commands_Clear();
    for (int c : one_pass) EXPECT_EQ(commands[c], 0) << c;
    EXPECT_EQ(commands[CMD_LEFT], 40);
    EXPECT_EQ(commands[CMD_UP], 12);
    game_flags.menu_shown = 1;
    Commands_Clear();
    EXPECT_EQ(commands[CMD_LEFT], 0);
    EXPECT_EQ(commands[CMD_UP], 0);
}

TEST_F(AppLoop, NoTickNoFrameAndTheQuitMessageEndsTheLoop)
{
    app.game_initialised = 1;
    app.running = 1;
    app.window_active.store(1);
    app.display_ready.store(1);
    uint32_t passes = app.passes;
    int code = -1;
    EXPECT_EQ(app_loop_pass(&code), 0);
    EXPECT_EQ(app.passes, passes) << "no tick: nothing drawn, no step";

    // The tick that starts a pass is its extra step; the others, come while it waited for its
    // frame, run as steps (with any that come while it draws).
    app.ticks.store(3);
    EXPECT_EQ(app_loop_pass(&code), 0);
    EXPECT_EQ(app.passes, passes + 1);
    EXPECT_EQ(app.steps_last_pass, 3);

    plat_message_post_quit(7);
    EXPECT_EQ(app_loop_pass(&code), 1);
    EXPECT_EQ(code, 7);
    app.game_initialised = 0;
    app.running = 0;
}

TEST_F(AppLoop, FramesKeepToTheRateWithoutBursts)
{
    app.fps_option = 50;   // a frame every 20 ms
    app_pacing_start();
    const uint64_t t = plat_clock_us() + 1000000000u, ms = 1000;
    // Calls in order: a frame drawn at `at` (frame), or the wait asked at `at` (want).
    const struct {
        bool frame;
        uint64_t at;
        int want;
    } steps[] = {
        {true, t, 0},              // long after the start: the next frame half a period later
        {false, t, 10},
        {true, t + 10 * ms, 0},
        {false, t + 10 * ms, 20},
        {false, t + 25 * ms, 5},
        {false, t + 30 * ms, 0},
        {true, t + 31 * ms, 0},    // a millisecond late: the next one is not moved
        {false, t + 31 * ms, 19},
        {true, t + 200 * ms, 0},   // after a stall: half a period, not at once
        {false, t + 200 * ms, 10},
    };
    for (const auto &s : steps) {
        if (s.frame) app_pacing_frame(s.at);
        else EXPECT_EQ(app_pacing_wait_ms(s.at), s.want) << (s.at - t) / ms << " ms";
    }
    app.fps_option = 25;
    Window_Proc(PLAT_WM_DISPLAYCHANGE, 0, 0);
    app_pacing_frame(t + 300 * ms);
    app_pacing_frame(t + 320 * ms);
    EXPECT_EQ(app_pacing_wait_ms(t + 320 * ms), 40) << "a display change takes the new rate";
    app.fps_option = 0;
    app_pacing_start();
    app_pacing_frame(t);
    EXPECT_EQ(app_pacing_wait_ms(t), 0) << "no limit";
    app.fps_option = -1;
    EXPECT_EQ(app_pacing_rate(), 0) << "without a display nothing paces a run but --fps";
    app_pacing_start();

    app.ticks.store(0);
    app.fixed_ticks = 4;
    app_pacing_ticks_take();
    EXPECT_EQ(app.ticks.load(), 0u) << "a fixed clock adds its ticks after the drawing";
    app.fixed_ticks = 0;
}

TEST_F(AppLoop, MenuCommandsPostTheirMessages)
{
    Window_Proc(PLAT_WM_COMMAND, APP_MENU_EXIT, 0);
    PLAT_MSG m;
    ASSERT_TRUE(plat_message_peek(&m, 1));
    EXPECT_EQ(m.message, PLAT_WM_CLOSE);
    Window_Proc(PLAT_WM_COMMAND, APP_MENU_BACK_TO_GAME, 0);
    ASSERT_TRUE(plat_message_peek(&m, 1));
    EXPECT_EQ(m.message, PLAT_WM_LBUTTONDOWN);
    // Help opens the current language's help file; one that cannot be read is reported.
    static std::string alert;
    plat_alert_capture([](const char *text, const char *, unsigned) {
        alert = text;
        return 1;
    });
    Texts_Help_File_Set("data\\none.txt");
    Window_Proc(PLAT_WM_COMMAND, APP_MENU_HELP_TOPICS, 0);
    plat_alert_capture(nullptr);
    EXPECT_EQ(alert, "Cant read the help file data\\none.txt");
    EXPECT_FALSE(Help_Screen_Shown());
}

TEST_F(AppLoop, ScriptedMenuCommandsArriveAtTheirPass)
{
    char path[] = "/tmp/vm_script_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const char text[] = "3 menu 50301\n3 42 down\n4 menu 0\n";
    ASSERT_EQ(write(fd, text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
    close(fd);
    EXPECT_EQ(plat_script_load(path), 0);   // "menu 0" is refused, the rest still loads
    unlink(path);
    // The scripted keys go where the keyboard's would: here to an owner that hears them one by one.
    static int shift;
    plat_owner_keys_listen(PLAT_OWNER_EDITOR, [](int code, int down) { shift = code == 42 ? down : -1; });
    plat_owner_take(PLAT_OWNER_EDITOR);
    PLAT_MSG m;
    while (plat_message_peek(&m, 1)) {
    }
    plat_script_pass(2);
    EXPECT_FALSE(plat_message_peek(&m, 1));
    plat_script_pass(3);
    ASSERT_TRUE(plat_message_peek(&m, 1));
    EXPECT_EQ(m.message, PLAT_WM_COMMAND);
    EXPECT_EQ(m.wparam, 50301u);
    EXPECT_EQ(shift, 1);
    plat_script_add(5, 42, 0);
    plat_script_pass(5);
    EXPECT_EQ(shift, 0);
    plat_owner_give_back(PLAT_OWNER_EDITOR);
    plat_owner_keys_listen(PLAT_OWNER_EDITOR, nullptr);
}

} // namespace
