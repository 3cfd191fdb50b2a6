// The platform side on real devices: the scan-code table, and a headless start, poll and stop
// with scripted keys standing in for the keyboard.
#include "kx_inp_test_util.h"

#include "platform/plat_core.h"

#include <set>

namespace {

TEST(PlatInput, ScanCodesFollowDirectInput)
{
    // SDL scancodes are USB usage numbers: A 4, F1 58, F11 68, F12 69, keypad Enter 88, keypad 8
    // 96, Up 82, left/right Ctrl 224/228, left/right Shift 225/229, left/right Alt 226/230.
    struct Pair {
        int sdl, dik;
    } pairs[] = {{4, 30},   {58, 59},  {68, 87},  {69, 88},  {88, 156}, {96, 72},  {82, 200},
                 {224, 29}, {228, 157}, {225, 42}, {229, 54}, {226, 56}, {230, 184}, {40, 28},
                 {41, 1},   {44, 57},  {80, 203}, {79, 205}, {81, 208}, {92, 75},  {94, 77}};
    for (const Pair &p : pairs) EXPECT_EQ(plat_input_scan_code(p.sdl), p.dik) << p.sdl;
    EXPECT_EQ(plat_input_scan_code(-1), 0);
    EXPECT_EQ(plat_input_scan_code(100000), 0);
    // No two keys share a scan code.
    std::set<int> seen;
    for (int s = 0; s < 512; s++) {
        int d = plat_input_scan_code(s);
        if (!d) continue;
        EXPECT_TRUE(seen.insert(d).second) << "scan code " << d << " twice";
    }
}

class RealInputTest : public inp_test::InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        plat_input_inject_mode(0);
    }
};

TEST_F(RealInputTest, StartsPollsAndStopsHeadless)
{
    start();
    plat_script_add(1, 28, 1);
    plat_script_add(2, 28, 0);
    plat_script_pass(1);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_down(28), 0x80);
    kx_inp_window_message(PLAT_WM_KILLFOCUS, 0, 0);
    kx_inp_window_message(PLAT_WM_ACTIVATE, 1, 0);
    kx_inp_window_message(KX_INP_WM_SETCURSOR, 0, 0);
    plat_script_pass(2);
    kx_inp_update();
    EXPECT_EQ(kx_inp_key_down(28), 0);
    kx_inp_done();
    // A second start after the stop works the same.
    start();
    kx_inp_update();
}

} // namespace
