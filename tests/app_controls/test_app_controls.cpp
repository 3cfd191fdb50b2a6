// The player's pad and mouse configurations end to end, from the device to the game commands: a
// virtual pad of SDL's joystick layer (the same game-controller path and event queue as a real
// pad, plugged in while the game runs) and injected mouse movement.
#include "app/app.h"
#include "app/app_controls.h"
#include "game/game.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_play/kx_play.h"
#include "platform/plat_core.h"
#include "platform/plat_input.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const int16_t keyboard_controls[10] = {200, 208, 203, 205, 23, 24, 57, 48, 49, 1};
const int watched[] = {CMD_LEFT, CMD_RIGHT, CMD_UP, CMD_DOWN, CMD_SPACE, CMD_ENTER, CMD_ESC};

class Controls : public ::testing::Test {
protected:
    int32_t input_settings[2] = {0, 0};
    int32_t play_settings = 0;
    uint8_t commands[256] = {};

    void SetUp() override
    {
        static int32_t quiet = 0;
        static KX_MEM_SETTINGS memory{0, 0};
        static int started = kx_error_init(&quiet) && kx_mem_init(&memory);
        ASSERT_TRUE(started);
        ASSERT_EQ(plat_init(1), 1);
        mapa_teclado = commands;
        game_flags.menu_shown = game_flags.attract_mode = 0;
        app.steps_last_pass = 1;   // a digital press then reads 4 * 1 + 12 = 16
    }

    void TearDown() override
    {
        kx_play_done();
        kx_inp_done();
        plat_input_inject_mode(0);
        plat_shutdown();
        mapa_teclado = nullptr;
    }

    void start()
    {
        ASSERT_EQ(kx_inp_init(input_settings), 1);
        ASSERT_EQ(kx_play_init(&play_settings), 1);
        ASSERT_EQ(kx_play_add(&app.player), 1);
        ASSERT_EQ(kx_play_setup(&app.player, 1, keyboard_controls), 1);
        ASSERT_EQ(App_Controls_Setup(&app.player), 1);
    }

    // One pass from cleared commands: the window's events, poll, controls, commands. Returns the
    // watched commands.
    std::vector<int> pass()
    {
        std::memset(commands, 0, sizeof commands);
        PLAT_MSG m;
        while (plat_message_peek(&m, 1)) {
        }
        kx_inp_update();
        kx_play_update();
        app_commands_build();
        std::vector<int> v;
        for (int c : watched) v.push_back(commands[c]);
        return v;
    }
};

std::vector<int> only(int command, int value)
{
    std::vector<int> v;
    for (int c : watched) v.push_back(c == command ? value : 0);
    return v;
}

TEST_F(Controls, APadPluggedInWhileRunningSteersFiresAndOpensTheMenu)
{
    start();
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Test pad";
    for (int plug = 0; plug < 2; plug++) {
        int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        ASSERT_TRUE(SDL_IsGameController(index));
        SDL_Joystick *pad = SDL_JoystickOpen(index);
        ASSERT_NE(pad, nullptr);
        pass();
        pass();   // the first poll of a new pad acquires it
        ASSERT_EQ(kx_inp_joystick_count(), 1) << "plug " << plug;

        struct Case {
            const char *what;
            int button, axis, value;   // button -1: set the axis
            std::vector<int> want;
        };
        const Case cases[] = {
            {"D-pad left", SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0, 0, only(CMD_LEFT, 16)},
            {"D-pad right", SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0, 0, only(CMD_RIGHT, 16)},
            {"D-pad up", SDL_CONTROLLER_BUTTON_DPAD_UP, 0, 0, only(CMD_UP, 16)},
            {"D-pad down", SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0, 0, only(CMD_DOWN, 16)},
            {"stick full left", -1, SDL_CONTROLLER_AXIS_LEFTX, -32768, only(CMD_LEFT, 16)},
            {"stick three quarters right", -1, SDL_CONTROLLER_AXIS_LEFTX, 24576, only(CMD_RIGHT, 64)},
            {"stick inside the dead zone", -1, SDL_CONTROLLER_AXIS_LEFTX, 12000, only(CMD_RIGHT, 0)},
            {"stick down", -1, SDL_CONTROLLER_AXIS_LEFTY, 32767, only(CMD_DOWN, 16)},
            {"south fires", SDL_CONTROLLER_BUTTON_A, 0, 0, only(CMD_SPACE, 1)},
            {"east is the second fire", SDL_CONTROLLER_BUTTON_B, 0, 0, only(CMD_ENTER, 1)},
            {"Start opens the menu", SDL_CONTROLLER_BUTTON_START, 0, 0, only(CMD_ESC, 1)},
            {"west does nothing", SDL_CONTROLLER_BUTTON_X, 0, 0, only(CMD_ESC, 0)},
        };
        for (const Case &c : cases) {
            if (c.button >= 0) SDL_JoystickSetVirtualButton(pad, c.button, 1);
            else SDL_JoystickSetVirtualAxis(pad, c.axis, static_cast<Sint16>(c.value));
            EXPECT_EQ(pass(), c.want) << c.what << ", plug " << plug;
            if (c.button >= 0) SDL_JoystickSetVirtualButton(pad, c.button, 0);
            else SDL_JoystickSetVirtualAxis(pad, c.axis, 0);
            pass();
        }

        // In the menu the face buttons and Start confirm when they are let go.
        game_flags.menu_shown = 1;
        for (int button : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_START}) {
            SDL_JoystickSetVirtualButton(pad, button, 1);
            pass();
            EXPECT_EQ(commands[CMD_ENTER], 0) << button;
            EXPECT_EQ(commands[CMD_SPACE], 0) << button;
            SDL_JoystickSetVirtualButton(pad, button, 0);
            pass();
            EXPECT_EQ(commands[CMD_ENTER], 1) << button;
        }
        game_flags.menu_shown = 0;

        // Pulled out: nothing reads as held; the next plug finds the same binding.
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
        EXPECT_EQ(pass(), only(CMD_LEFT, 16));
        SDL_JoystickClose(pad);
        ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
        EXPECT_EQ(pass(), only(CMD_LEFT, 0));
        EXPECT_EQ(kx_inp_joystick_count(), 0);
    }
}

TEST_F(Controls, TheMouseSteersLeftAndRightAndItsPrimaryButtonFires)
{
    plat_input_inject_mode(1);
    start();
    kx_inp_activate(1);
    const uint8_t up[4] = {0, 0, 0, 0}, left_button[4] = {1, 0, 0, 0};
    struct Case {
        const char *what;
        int dx;
        const uint8_t *buttons;
        std::vector<int> want;
    } cases[] = {
        {"8 counts are below the threshold", 8, up, only(CMD_RIGHT, 0)},
        {"40 counts right", 40, up, only(CMD_RIGHT, 40)},
        {"90 counts left", -90, up, only(CMD_LEFT, 90)},
        {"a fling reads as a full press", 300, up, only(CMD_RIGHT, 16)},
        {"primary button", 0, left_button, only(CMD_SPACE, 1)},
    };
    for (const Case &c : cases) {
        plat_input_inject_mouse(c.dx, 0, c.buttons);
        EXPECT_EQ(pass(), c.want) << c.what;
        plat_input_inject_mouse(0, 0, up);
        pass();
    }
}

} // namespace
