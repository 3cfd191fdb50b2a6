// The player's key choice: what an assignment does to the whole mapping (set, swapped, refused),
// the names the menu shows, and the mouse speed's scaling.
#include "app/app_keymap.h"
#include "platform/plat_keys.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using Codes = std::array<int, APP_ACTIONS>;

Codes codes_of(const APP_KEYMAP &m)
{
    Codes c{};
    for (int i = 0; i < APP_ACTIONS; i++) c[i] = m.codes[i];
    return c;
}

} // namespace

TEST(Keymap, AssignSetsSwapsOrRefusesAndNeverDoublesAKey)
{
    const Codes d = codes_of(App_Keymap_Default());
    ASSERT_EQ(d, (Codes{203, 205, 57, 25, 1, 508, 514}));
    struct Case {
        int action, code;
        APP_KEYMAP_RESULT result;
        Codes after;
    } cases[] = {
        {APP_ACTION_FIRE, PLAT_KEY_F, APP_KEYMAP_SET, {203, 205, 33, 25, 1, 508, 514}},
        {APP_ACTION_FIRE, PLAT_KEY_LEFT, APP_KEYMAP_SWAPPED, {57, 205, 203, 25, 1, 508, 514}},
        {APP_ACTION_PAUSE, PLAT_KEY_SPACE, APP_KEYMAP_SWAPPED, {203, 205, 25, 57, 1, 508, 514}},
        {APP_ACTION_PAUSE, PLAT_KEY_ESCAPE, APP_KEYMAP_REFUSED, d},
        // The menu's Esc may not go to fire, so the swap is refused as a whole.
        {APP_ACTION_MENU, PLAT_KEY_SPACE, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_MENU, PLAT_KEY_ESCAPE, APP_KEYMAP_SET, d},
        {APP_ACTION_FIRE, PLAT_KEY_ESCAPE, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_LEFT, PLAT_KEY_RETURN, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_LEFT, PLAT_KEY_UP, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_RIGHT, PLAT_KEY_F1, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_RIGHT, PLAT_KEY_F9, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAUSE, PLAT_KEY_F3, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_FIRE, PLAT_KEY_B, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAUSE, 0, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAUSE, 256, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_FIRE, 508, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAD_FIRE, PLAT_KEY_F, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAD_FIRE, 514, APP_KEYMAP_SWAPPED, {203, 205, 57, 25, 1, 514, 508}},
        {APP_ACTION_PAD_FIRE, 511, APP_KEYMAP_SET, {203, 205, 57, 25, 1, 511, 514}},
        {APP_ACTION_PAD_PAUSE, 509, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAD_PAUSE, 515, APP_KEYMAP_REFUSED, d},
        {APP_ACTION_PAD_PAUSE, 519, APP_KEYMAP_REFUSED, d},
        {APP_ACTIONS, PLAT_KEY_F, APP_KEYMAP_REFUSED, d},
    };
    for (const Case &c : cases) {
        APP_KEYMAP m = App_Keymap_Default();
        EXPECT_EQ(App_Keymap_Assign(&m, c.action, c.code), c.result) << c.action << " " << c.code;
        EXPECT_EQ(codes_of(m), c.after) << c.action << " " << c.code;
    }
}

TEST(Keymap, NamesUseTheSpriteAlphabet)
{
    struct Case {
        int code;
        const char *name;
    } cases[] = {
        {PLAT_KEY_SPACE, "SPACE"}, {PLAT_KEY_A, "A"},     {PLAT_KEY_1, "1"},    {PLAT_KEY_0, "0"},
        {PLAT_KEY_PAD_0, "PAD 0"}, {PLAT_KEY_F12, "F12"}, {PLAT_KEY_LEFT_BRACKET, "BRACKET ("},
        {508, "PAD A"},            {514, "PAD BACK"},     {250, "KEY 250"},     {539, "BUTTON 539"},
    };
    char out[40];
    for (const Case &c : cases) EXPECT_STREQ(App_Keymap_Code_Name(c.code, out, sizeof out), c.name);
    EXPECT_TRUE(App_Keymap_Types(PLAT_KEY_Q));
    EXPECT_TRUE(App_Keymap_Types(PLAT_KEY_9));
    EXPECT_FALSE(App_Keymap_Types(PLAT_KEY_SPACE));
    EXPECT_FALSE(App_Keymap_Types(PLAT_KEY_PAD_1));
}

TEST(Keymap, MouseSpeedScalesTheAmountWithinTheAnalogRange)
{
    struct Case {
        int speed, amount, expected;
    } cases[] = {
        {3, 1, 1}, {3, 64, 64}, {3, 127, 127}, {1, 64, 32}, {1, 1, 1}, {5, 20, 40}, {5, 64, 127}, {0, 50, 50},
    };
    const APP_KEYMAP saved = app_keymap;
    for (const Case &c : cases) {
        app_keymap.mouse_speed = c.speed;
        EXPECT_EQ(App_Keymap_Mouse_Amount(static_cast<uint8_t>(c.amount)), c.expected) << c.speed << " " << c.amount;
    }
    app_keymap = saved;
}
