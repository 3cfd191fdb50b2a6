// Joysticks: set-up failures and their error codes, axis scaling with the dead zone, buttons,
// queries across joysticks, the limit of 16 and plugging in and out while running.
#include "kx_inp_test_util.h"

using namespace inp_test;

namespace {

TEST_F(InputTest, AxesAreScaledWithAHalfRangeDeadZone)
{
    PLAT_INJECT_JOYSTICK j = stick(4);
    int32_t id = plat_input_inject_joystick_plug(&j, 0);
    start();
    ASSERT_EQ(kx_inp_joystick_count(), 1);
    kx_inp_update();   // the first poll acquires the device
    struct Case {
        int axis;
        int32_t raw;
        int code, value;
    } cases[] = {
        {0, -32768, 502, 128}, {0, 32767, 503, 128}, {1, -32768, 500, 128}, {1, 32767, 501, 128},
        {0, -16384, 502, 0},   {0, 16000, 503, 0},   {0, 24576, 503, 64},   {1, -24576, 500, 64},
        {2, -32768, 504, 128}, {2, 32767, 505, 128}, {3, -32768, 506, 128}, {3, 32767, 507, 128},
    };
    for (const Case &c : cases) {
        PLAT_INJECT_JOYSTICK s = stick(4);
        s.axis[c.axis] = c.raw;
        plat_input_inject_joystick_state(id, &s);
        kx_inp_update();
        EXPECT_EQ(down(500, 8), one_hot(8, c.code - 500, c.value)) << c.axis << " " << c.raw;
    }
}

TEST_F(InputTest, ButtonsFillTheBlockAfterTheAxes)
{
    PLAT_INJECT_JOYSTICK j = stick();
    int32_t id = plat_input_inject_joystick_plug(&j, 0);
    start();
    j.buttons[0] = 1;
    j.buttons[31] = 1;
    plat_input_inject_joystick_state(id, &j);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_down(508), 0);   // not acquired before this poll
    kx_inp_update();
    std::vector<int> want = one_hot(32, 0, 0x80);
    want[31] = 0x80;
    EXPECT_EQ(down(508, 32), want);
    EXPECT_EQ(kx_inp_joystick_block(0)[8], 0x80);
    EXPECT_EQ(kx_inp_first_pressed(), 508);
    j.buttons[0] = 0;
    plat_input_inject_joystick_state(id, &j);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_released(508), 1);
}

TEST_F(InputTest, JoystickQueriesLookAtEveryJoystick)
{
    PLAT_INJECT_JOYSTICK a = stick(), b = stick();
    plat_input_inject_joystick_plug(&a, 0);
    int32_t second = plat_input_inject_joystick_plug(&b, 0);
    start();
    ASSERT_EQ(kx_inp_joystick_count(), 2);
    b.axis[0] = 32767;
    b.buttons[1] = 1;
    set_stick(second, b);
    EXPECT_EQ(kx_inp_key_down(503), 128);
    EXPECT_EQ(kx_inp_key_down(509), 0x80);
    EXPECT_EQ(kx_inp_joystick_block(0)[3], 0);
    EXPECT_EQ(kx_inp_joystick_block(1)[3], 128);
    // Only joystick 0 counts for first pressed.
    EXPECT_EQ(kx_inp_first_pressed(), 0);
    plat_input_inject_joystick_state(second, &a);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_released(509), 1);
    EXPECT_EQ(kx_inp_key_released(503), 1);
}

TEST_F(InputTest, SetUpFailuresReleaseTheDevice)
{
    struct Case {
        int axes;
        uint32_t fail;
        int counted, code;
    } cases[] = {
        {2, PLAT_INJECT_FAIL_RANGE_Z, 1, -1},                            // no Z on two axes
        {4, PLAT_INJECT_FAIL_CAPS | PLAT_INJECT_FAIL_RANGE_Z, 1, -1},    // unknown axes: two
        {4, PLAT_INJECT_FAIL_RANGE_Z, 0, KX_INP_ERR_JOY_RANGE_Z},
        {4, PLAT_INJECT_FAIL_RANGE_X, 0, KX_INP_ERR_JOY_RANGE_X},
        {4, PLAT_INJECT_FAIL_RANGE_Y, 0, KX_INP_ERR_JOY_RANGE_Y},
        {4, PLAT_INJECT_FAIL_DEAD_ZONE_X, 0, KX_INP_ERR_JOY_DEAD_X},
        {4, PLAT_INJECT_FAIL_DEAD_ZONE_Y, 0, KX_INP_ERR_JOY_DEAD_Y},
        {4, PLAT_INJECT_FAIL_DEAD_ZONE_Z, 0, KX_INP_ERR_JOY_DEAD_Z},
        {2, PLAT_INJECT_FAIL_OPEN, 0, KX_INP_ERR_JOY_CREATE},
    };
    for (const Case &c : cases) {
        plat_input_inject_mode(1);
        PLAT_INJECT_JOYSTICK j = stick(c.axes, c.fail);
        plat_input_inject_joystick_plug(&j, 0);
        kx_error_pending.code = -1;
        start();
        SCOPED_TRACE(c.fail);
        EXPECT_EQ(kx_inp_joystick_count(), c.counted);
        EXPECT_EQ(plat_input_inject_open_joysticks(), c.counted);
        EXPECT_EQ(kx_error_pending.code, c.code);
        EXPECT_TRUE(c.code < 0 || kx_error_pending.module == kx_inp_module());
        kx_inp_done();
    }
}

TEST_F(InputTest, FailedCreationGoesOnButFailedSetUpStopsTheSearch)
{
    PLAT_INJECT_JOYSTICK bad = stick(2, PLAT_INJECT_FAIL_OPEN), good = stick();
    plat_input_inject_joystick_plug(&bad, 0);
    plat_input_inject_joystick_plug(&good, 0);
    start();
    EXPECT_EQ(kx_inp_joystick_count(), 1);
    kx_inp_done();

    plat_input_inject_mode(1);
    PLAT_INJECT_JOYSTICK broken = stick(2, PLAT_INJECT_FAIL_DEAD_ZONE_Y);
    plat_input_inject_joystick_plug(&broken, 0);
    plat_input_inject_joystick_plug(&good, 0);
    start();
    EXPECT_EQ(kx_inp_joystick_count(), 0);
}

TEST_F(InputTest, NoJoystickReadsZero)
{
    start();
    kx_inp_update();
    EXPECT_EQ(down(500, 40), std::vector<int>(40, 0));
    const uint8_t *block = kx_inp_joystick_block(0);
    EXPECT_EQ(std::vector<uint8_t>(block, block + KX_INP_BLOCK_SIZE), std::vector<uint8_t>(KX_INP_BLOCK_SIZE, 0));
}

TEST_F(InputTest, SixteenJoysticksAtMost)
{
    PLAT_INJECT_JOYSTICK j = stick();
    for (int i = 0; i < 17; i++) plat_input_inject_joystick_plug(&j, 0);
    start();
    EXPECT_EQ(kx_inp_joystick_count(), 16);
    EXPECT_EQ(plat_input_inject_open_joysticks(), 16);
    // One more plugged in while running is refused as well.
    plat_input_inject_joystick_plug(&j, 1);
    kx_inp_update();
    EXPECT_EQ(kx_inp_joystick_count(), 16);
}

TEST_F(InputTest, PadsComeAndGoWhileRunning)
{
    start();
    EXPECT_EQ(kx_inp_joystick_count(), 0);
    PLAT_INJECT_JOYSTICK j = stick();
    j.buttons[1] = 1;
    int32_t first = plat_input_inject_joystick_plug(&j, 1);
    int32_t second = plat_input_inject_joystick_plug(&j, 1);
    kx_inp_update();
    EXPECT_EQ(kx_inp_joystick_count(), 2);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_down(509), 0x80);
    plat_input_inject_joystick_unplug(first);
    kx_inp_update();
    EXPECT_EQ(kx_inp_joystick_count(), 1);
    EXPECT_EQ(plat_input_inject_open_joysticks(), 1);
    // The second pad keeps its slot; the free slot reads nothing.
    EXPECT_EQ(kx_inp_joystick_block(0)[9], 0);
    EXPECT_EQ(kx_inp_joystick_block(1)[9], 0x80);
    // A new pad takes the free slot.
    int32_t third = plat_input_inject_joystick_plug(&j, 1);
    set_stick(third, j);
    EXPECT_EQ(kx_inp_joystick_count(), 2);
    EXPECT_EQ(kx_inp_joystick_block(0)[9], 0x80);
    plat_input_inject_joystick_unplug(second);
    plat_input_inject_joystick_unplug(third);
    kx_inp_update();
    EXPECT_EQ(kx_inp_joystick_count(), 0);
    EXPECT_EQ(kx_inp_key_down(509), 0);
    EXPECT_EQ(plat_input_inject_open_joysticks(), 0);
}

} // namespace
