// Players: default bindings, binding per device and configuration, errors of the player
// module, the second player's joystick, and the values written into the records.
#include "kx_inp_test_util.h"

#include "kx/kx_play/kx_play.h"

using namespace inp_test;

namespace {

class PlayerTest : public InputTest {
protected:
    int32_t play_settings[1] = {0};
    KX_PLAYER_RECORD one{}, two{};

    void SetUp() override
    {
        InputTest::SetUp();
        ASSERT_EQ(kx_play_init(play_settings), 1);
    }

    void TearDown() override
    {
        kx_play_done();
        InputTest::TearDown();
    }

    void poll()
    {
        plat_input_inject_mouse(0, 0, buttons);
        kx_inp_update();
        kx_play_update();
    }

    // The ten controls of a record, to compare at once.
    static std::vector<int> controls(const KX_PLAYER_RECORD &r) { return {r.controls, r.controls + 10}; }

    static void expect_error(int code)
    {
        EXPECT_EQ(kx_error_pending.module, kx_play_module());
        EXPECT_EQ(kx_error_pending.code, code);
    }
};

using C = std::vector<int>;
constexpr int16_t GAME_CODES[10] = {200, 208, 203, 205, 23, 24, 57, 48, 49, 1};

TEST_F(PlayerTest, DefaultBindingsOfTheFirstPlayer)
{
    start();
    std::memset(&one, 0xAA, sizeof one);
    ASSERT_EQ(kx_play_add(&one), 1);
    EXPECT_EQ(controls(one), C(10, 0));
    const int keys_for[10] = {200, 208, 203, 205, 23, 24, 57, 28, 28, 1};
    for (int k = 0; k < 10; k++) {
        hold({keys_for[k]});
        poll();
        C want;
        for (int c = 0; c < 10; c++) want.push_back(keys_for[c] == keys_for[k] ? 0x80 : 0);
        EXPECT_EQ(controls(one), want) << k;
    }
    hold({});
    poll_with_mouse(0, -20);
    kx_play_update();
    EXPECT_EQ(one.controls[0], 20);
    // Devices are ORed together.
    hold({200});
    poll_with_mouse(0, -20);
    kx_play_update();
    EXPECT_EQ(one.controls[0], 0x80 | 20);
    hold({});
    buttons[0] = 1;
    poll();
    EXPECT_EQ(controls(one), (C{0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}));
}

TEST_F(PlayerTest, SwappedButtonsSwapTheFireControls)
{
    plat_input_inject_mouse_swapped(1);
    start();
    ASSERT_EQ(kx_play_add(&one), 1);
    buttons[0] = 1;
    poll();
    EXPECT_EQ(controls(one), (C{0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0}));
}

TEST_F(PlayerTest, SetupReplacesOnlyItsDevicesBinding)
{
    PLAT_INJECT_JOYSTICK j = stick();
    int32_t id = plat_input_inject_joystick_plug(&j, 0);
    start();
    ASSERT_EQ(kx_play_add(&one), 1);
    const int16_t codes[10] = {17, -1, -1, -1, -1, -1, -1, 48, -1, -1};
    ASSERT_EQ(kx_play_setup(&one, 1, codes), 1);
    hold({17});
    poll();
    EXPECT_EQ(one.controls[0], 0x80);
    hold({200});
    poll();
    EXPECT_EQ(one.controls[0], 0);
    // Mouse and joystick keep their bindings.
    hold({});
    poll_with_mouse(0, -30);
    kx_play_update();
    EXPECT_EQ(one.controls[0], 30);
    j.axis[1] = -32768;
    plat_input_inject_joystick_state(id, &j);
    poll();
    poll();
    EXPECT_EQ(one.controls[0], 128);
    // -1 kept the down arrow; B replaced Return on control 7 only (the stick still holds up).
    hold({208, 28});
    poll();
    EXPECT_EQ(controls(one), (C{128, 0x80, 0, 0, 0, 0, 0, 0, 0x80, 0}));
}

TEST_F(PlayerTest, ConfigurationsAreTriedInOrder)
{
    start();
    ASSERT_EQ(kx_play_add(&one), 1);
    ASSERT_EQ(kx_play_setup(&one, 1, GAME_CODES), 1);
    const int16_t second[10] = {17, 31, 30, 32, -1, -1, -1, -1, -1, -1};
    hold({17});
    poll();
    EXPECT_EQ(one.controls[0], 0);   // configuration 2 is not enabled yet
    ASSERT_EQ(kx_play_setup(&one, 2, second), 1);
    poll();
    EXPECT_EQ(one.controls[0], 0x80);
    hold({200, 30});
    poll();
    EXPECT_EQ(controls(one), (C{0x80, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}));
    // The game's binding: B and N on 7 and 8, Escape on 9.
    hold({48, 49, 1});
    poll();
    EXPECT_EQ(controls(one), (C{0, 0, 0, 0, 0, 0, 0, 0x80, 0x80, 0x80}));
}

TEST_F(PlayerTest, InitAndSetupErrors)
{
    EXPECT_EQ(kx_play_init(nullptr), 0);
    start();
    ASSERT_EQ(kx_play_add(&one), 1);
    const int16_t codes[10] = {17, 17, 17, 17, 17, 17, 17, 17, 17, 17};
    for (int bad : {0, 6, -1}) {
        EXPECT_EQ(kx_play_setup(&one, bad, codes), 0);
        expect_error(KX_PLAY_ERR_CONFIGURATION);
    }
    hold({17});
    poll();
    EXPECT_EQ(controls(one), C(10, 0));
    EXPECT_EQ(kx_play_setup(nullptr, 1, codes), 0);
    expect_error(KX_PLAY_ERR_NULL);
    EXPECT_EQ(kx_play_setup(&two, 1, codes), 0);
    expect_error(KX_PLAY_ERR_UNKNOWN);
    EXPECT_EQ(kx_play_add(nullptr), 0);
    expect_error(KX_PLAY_ERR_NULL);
    // Codes that name nothing leave their control as it was and the rest are still bound.
    const int16_t mixed[10] = {300, 17, 540, 399, 256, -2, -1, -1, -1, -1};
    EXPECT_EQ(kx_play_setup(&one, 1, mixed), 0);
    expect_error(KX_PLAY_ERR_CONTROL);
    hold({200, 17});
    poll();
    EXPECT_EQ(controls(one), (C{0x80, 0x80, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(PlayerTest, SecondPlayerHasNoMouseAndReadsJoystickOne)
{
    PLAT_INJECT_JOYSTICK a = stick(), b = stick();
    int32_t first = plat_input_inject_joystick_plug(&a, 0);
    int32_t second = plat_input_inject_joystick_plug(&b, 0);
    start();
    ASSERT_EQ(kx_play_add(&one), 1);
    ASSERT_EQ(kx_play_add(&two), 1);
    EXPECT_EQ(kx_play_count(), 2);
    poll_with_mouse(0, -50);
    kx_play_update();
    EXPECT_EQ(one.controls[0], 50);
    EXPECT_EQ(controls(two), C(10, 0));
    // The first player's stick keeps its default bindings: left, fire 1 and fire 2.
    a.axis[0] = -32768;
    a.buttons[0] = a.buttons[1] = 1;
    b.axis[0] = 32767;
    plat_input_inject_joystick_state(second, &b);
    plat_input_inject_joystick_state(first, &a);
    poll();
    poll();
    EXPECT_EQ(controls(one), (C{0, 0, 128, 0, 0, 0, 0x80, 0x80, 0, 0}));
    EXPECT_EQ(controls(two), (C{0, 0, 0, 128, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ((std::pair{one.joystick[2], one.joystick[8]}), (std::pair<uint8_t, uint8_t>{128, 0x80}));
    EXPECT_EQ(two.joystick[3], 128);
    // A joystick code given to the second player binds in its own block.
    const int16_t codes[10] = {-1, -1, -1, -1, -1, -1, 511, -1, -1, -1};
    ASSERT_EQ(kx_play_setup(&two, 1, codes), 1);
    b.buttons[3] = 1;
    plat_input_inject_joystick_state(second, &b);
    poll();
    EXPECT_EQ(two.controls[6], 0x80);
}

TEST_F(PlayerTest, RemovingAndFreeing)
{
    start();
    long before = kx_mem_used_get();
    ASSERT_EQ(kx_play_add(&one), 1);
    ASSERT_EQ(kx_play_add(&two), 1);
    EXPECT_EQ(kx_play_remove(&one), 1);
    EXPECT_EQ(kx_play_remove(&one), 0);
    expect_error(KX_PLAY_ERR_UNKNOWN);
    hold({200});
    poll();
    EXPECT_EQ(controls(one), C(10, 0));
    EXPECT_EQ(two.controls[0], 0x80);
    kx_play_done();
    EXPECT_EQ(kx_mem_used_get(), before);
}

} // namespace
