// The platform side on real devices: the scan-code table, a headless start, poll and stop with
// scripted keys standing in for the keyboard, and events pushed through SDL's queue between two
// polls as the window system delivers them: taps shorter than a pass, keys that follow the owner
// of the keyboard and mouse, and fingers that tap the mouse's button.
#include "tests/kx_inp/kx_inp_test_util.h"

#include "platform/plat_core.h"
#include "platform/plat_owner.h"

#include <SDL.h>

#include <functional>
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

class EventInputTest : public inp_test::InputTest {
protected:
    std::vector<PLAT_MSG> messages;
    SDL_Joystick *pad = nullptr;
    int pad_index = -1;

    void SetUp() override
    {
        InputTest::SetUp();
        plat_input_inject_mode(0);
        ASSERT_EQ(plat_init(1), 1);
        start();
        kx_inp_activate(1);
        pump();
    }

    void TearDown() override
    {
        if (pad) SDL_JoystickClose(pad);
        if (pad_index >= 0) SDL_JoystickDetachVirtual(pad_index);
        InputTest::TearDown();
        plat_owner_reset();
        plat_shutdown();
    }

    // The window's messages go to the input hook, as the window procedure hands them on.
    void pump()
    {
        PLAT_MSG m;
        while (plat_message_peek(&m, 1)) {
            messages.push_back(m);
            kx_inp_window_message(m.message, m.wparam, m.lparam);
        }
    }

    static void key(SDL_Scancode code, bool down, Uint16 mod = KMOD_NONE)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = code;
        e.key.keysym.sym = SDL_GetKeyFromScancode(code);
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    static void left_button(bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&e);
    }

    static void finger(Uint32 type, SDL_FingerID id, float x, float dx = 0.0f)
    {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = 1;
        e.tfinger.fingerId = id;
        e.tfinger.x = x;
        e.tfinger.y = 0.5f;
        e.tfinger.dx = dx;
        SDL_PushEvent(&e);
    }

    // A pad of SDL's joystick layer; its buttons reach the queue when the events are pumped.
    void pad_plug()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        pad_index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(pad_index, 0) << SDL_GetError();
        pad = SDL_JoystickOpen(pad_index);
        ASSERT_NE(pad, nullptr);
        poll(0);
        poll(0);   // the first poll of a new pad acquires it
        ASSERT_EQ(kx_inp_joystick_count(), 1);
    }

    void pad_south(bool down)
    {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, down);
        pump();
    }

    // One pass of the loop: the window's events, then the poll. {down, released} of `code`.
    std::vector<int> poll(int code)
    {
        pump();
        kx_inp_update();
        return {kx_inp_key_down(code) != 0, kx_inp_key_released(code)};
    }
};

TEST_F(EventInputTest, TapsBetweenTwoPollsAreNotLost)
{
    pad_plug();
    struct Device {
        const char *what;
        int code;
        std::function<void(bool)> press;
    } devices[] = {
        {"key P", 25, [](bool down) { key(SDL_SCANCODE_P, down); }},
        {"primary mouse button", 408, [](bool down) { left_button(down); }},
        {"pad south button", 508, [this](bool down) { pad_south(down); }},
    };
    for (const Device &d : devices) {
        // Pressed and released between two polls: down in one pass, released in the next.
        d.press(true);
        d.press(false);
        EXPECT_EQ(poll(d.code), (std::vector<int>{1, 0})) << d.what;
        EXPECT_EQ(poll(d.code), (std::vector<int>{0, 1})) << d.what;
        EXPECT_EQ(poll(d.code), (std::vector<int>{0, 0})) << d.what;
        // Held, then let go and pressed again between two polls: released, then down again.
        d.press(true);
        EXPECT_EQ(poll(d.code), (std::vector<int>{1, 0})) << d.what;
        d.press(false);
        d.press(true);
        EXPECT_EQ(poll(d.code), (std::vector<int>{0, 1})) << d.what;
        EXPECT_EQ(poll(d.code), (std::vector<int>{1, 0})) << d.what;
        d.press(false);
        EXPECT_EQ(poll(d.code), (std::vector<int>{0, 1})) << d.what;
    }
}

TEST_F(EventInputTest, FingersTapThePrimaryButtonButDragWithoutIt)
{
    struct Touch {
        const char *what;
        std::function<void()> act;
        int tapped;
    } touches[] = {
        {"a short touch that stays put", [] { finger(SDL_FINGERDOWN, 1, 0.5f), finger(SDL_FINGERUP, 1, 0.51f); }, 1},
        {"a drag",
         [] { finger(SDL_FINGERDOWN, 1, 0.5f), finger(SDL_FINGERMOTION, 1, 0.6f, 0.1f), finger(SDL_FINGERUP, 1, 0.6f); }, 0},
        {"a second finger's tap while the first steers",
         [] {
             finger(SDL_FINGERDOWN, 1, 0.2f), finger(SDL_FINGERMOTION, 1, 0.4f, 0.2f);
             finger(SDL_FINGERDOWN, 2, 0.8f), finger(SDL_FINGERUP, 2, 0.8f), finger(SDL_FINGERUP, 1, 0.4f);
         },
         1},
        {"a touch held", [] { finger(SDL_FINGERDOWN, 1, 0.5f), SDL_Delay(350), finger(SDL_FINGERUP, 1, 0.5f); }, 0},
    };
    for (const Touch &t : touches) {
        t.act();
        EXPECT_EQ(poll(408), (std::vector<int>{t.tapped, 0})) << t.what;
        EXPECT_EQ(poll(408), (std::vector<int>{0, t.tapped})) << t.what;
    }
}

TEST_F(EventInputTest, KeysFollowTheOwnerTheyWerePressedFor)
{
    std::vector<std::pair<int, int>> heard;
    static std::vector<std::pair<int, int>> *editor;
    editor = &heard;
    plat_owner_keys_listen(PLAT_OWNER_EDITOR, [](int code, int down) { editor->emplace_back(code, down); });
    const std::vector<int> up{0, 0};
    struct Step {
        const char *what;
        std::function<void()> act;
        int code;
        std::vector<int> want;   // {down, released} at the poll after the step
    } steps[] = {
        {"Left held for the game", [] { key(SDL_SCANCODE_LEFT, true); }, 203, {1, 0}},
        {"the menu takes the keyboard", [] { plat_owner_take(PLAT_OWNER_MENU); }, 203, up},
        {"Left let go, Return pressed in the menu",
         [] {
             key(SDL_SCANCODE_LEFT, false);
             key(SDL_SCANCODE_RETURN, true);
         },
         28, up},
        {"the game back: Left does not stick", [] { plat_owner_give_back(PLAT_OWNER_MENU); }, 203, up},
        {"the menu's Return is no release of the game's", [] { key(SDL_SCANCODE_RETURN, false); }, 28, up},
        {"Alt+Return is the window's",
         [] {
             key(SDL_SCANCODE_LALT, true, KMOD_LALT);
             key(SDL_SCANCODE_RETURN, true, KMOD_LALT);
             key(SDL_SCANCODE_RETURN, false, KMOD_LALT);
             key(SDL_SCANCODE_LALT, false);
         },
         28, up},
        {"the editor hears its keys", [] {
             plat_owner_take(PLAT_OWNER_EDITOR);
             key(SDL_SCANCODE_A, true);
         },
         30, up},
        {"and the game gets none", [] {
             plat_owner_give_back(PLAT_OWNER_EDITOR);
             key(SDL_SCANCODE_A, false);
         },
         30, up},
    };
    for (const Step &s : steps) {
        s.act();
        EXPECT_EQ(poll(s.code), s.want) << s.what;
    }
    // A pad's buttons reach the editor too, as PLAT_OWNER_PAD plus their place, and not the game.
    pad_plug();
    plat_owner_take(PLAT_OWNER_EDITOR);
    pad_south(true);
    EXPECT_EQ(poll(508), up);
    pad_south(false);
    plat_owner_give_back(PLAT_OWNER_EDITOR);
    const int south = PLAT_OWNER_PAD + PLAT_PAD_BUTTON_SOUTH;
    EXPECT_EQ(heard, (std::vector<std::pair<int, int>>{{30, 1}, {30, 0}, {south, 1}, {south, 0}}));
    bool alt_return = false;
    for (const PLAT_MSG &m : messages) alt_return |= m.message == PLAT_WM_SYSKEYDOWN && m.wparam == PLAT_VK_RETURN;
    EXPECT_TRUE(alt_return);
    plat_owner_keys_listen(PLAT_OWNER_EDITOR, nullptr);
}

} // namespace
