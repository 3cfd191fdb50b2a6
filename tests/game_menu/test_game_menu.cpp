// The main menu: moving the selection, every page's commands in their order, the idle timer,
// the volume rows with the sound module running on a test device, and the drawn layout.
#include "menu_test_util.h"

#include "game/game_hiscore.h"
#include "game/game_view.h"
#include "kx/kx_snd/kx_snd.h"
#include "platform/plat_audio.h"
#include "world/world.h"

#include <algorithm>
#include <array>

using namespace menu_test;

namespace {

enum { ESC = 1, ENTER = 28, SPACE = 57, UP = 72, LEFT = 75, RIGHT = 77, DOWN = 80 };

int help_calls;

class MenuTest : public GameFolderTest {
protected:
    std::array<WORLD_SPRITE, WORLD_SPRITES> sprites{};

    void SetUp() override
    {
        GameFolderTest::SetUp();
        help_calls = 0;
        menu_help_fn = [] { help_calls++; };
        sprites[100].defined = 1;
        sprites[100].transparency = 1;
        sprites[100].param[0] = -1;
        sprites[100].param[2] = 2;
        sprites[101].defined = 1;
        world_sprites = sprites.data();
        pref_floor = pref_background = 1;
        menu = MENU{};
        Main_Menu_Open();
    }

    void TearDown() override
    {
        Hiscore_Free();
        world_sprites = nullptr;
        menu_help_fn = nullptr;
        GameFolderTest::TearDown();
    }

    // One pass with `cmd` on, then enough quiet passes to clear the key delay.
    // A pass with `cmd` pressed over the page as it was drawn.
    void press(int cmd)
    {
        Main_Menu_Draw();
        commands[cmd] = 1;
        Main_Menu(1.0f);
        commands[cmd] = 0;
        game_flags.key_delay = 0.0f;
    }
};

TEST(MenuItems, DownAndUpSkipEmptyItemsAndWrap)
{
    struct Case {
        int page, item, step, expected;
    } cases[] = {
        {MENU_PAGE_MAIN, 5, 1, 0},  {MENU_PAGE_MAIN, 0, -1, 5},    {MENU_PAGE_MAIN, 2, 1, 3},
        {MENU_PAGE_VOLUMES, 1, 1, 5}, {MENU_PAGE_VOLUMES, 5, -1, 1}, {MENU_PAGE_VOLUMES, 5, 1, 0},
        {MENU_PAGE_LEAVE, 5, 1, 4}, {MENU_PAGE_QUIT_GAME, 4, -1, 5}, {MENU_PAGE_OPTIONS, 1, -1, 5},
        {MENU_PAGE_OPTIONS, 5, 1, 1}, {MENU_PAGE_SCORES, 0, 1, 0},  {MENU_PAGE_VIEW, 3, 1, 1},
        {MENU_PAGE_PAD_MOUSE, 2, 1, 4}, {MENU_PAGE_PAD_MOUSE, 4, -1, 2}, {MENU_PAGE_CONTROLS, 5, 1, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Menu_Item_Step(Menu_Page(c.page), c.item, c.step), c.expected) << c.page << " " << c.item;
}

TEST_F(MenuTest, VolumeTextsMarkTheBarWithinTheText)
{
    struct Case {
        int volume, music;
        const char *text;
    } cases[] = {
        {-1, 1, "M43"}, {-2, 1, "M44"}, {0, 1, "M25"}, {-1, 0, "M41"}, {-2, 0, "M42"}, {0, 0, "M27"},
        {10, 1, "MUSIC *---------"}, {5, 1, "MUSIC *---------"}, {50, 1, "MUSIC ----*-----"},
        {100, 0, "SOUND ---------*"},
    };
    for (const Case &c : cases) {
        char out[64];
        const char *text = Menu_Volume_Text(c.volume, c.music, out, sizeof out);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.text) << c.volume;
    }
    EXPECT_TRUE(game_errors().empty());

    // A bar text without a dash is fatal; a short one takes the mark on its last place.
    messages({{24, "NO BAR"}, {26, "S--"}});
    char out[64];
    EXPECT_EQ(Menu_Volume_Text(40, 1, out, sizeof out), nullptr);
    EXPECT_EQ(game_errors(), std::vector<std::string>{"Cant find volume bar for music!"});
    EXPECT_STREQ(Menu_Volume_Text(100, 0, out, sizeof out), "S-*");
}

TEST_F(MenuTest, ClosesByItselfAThousandTicksAfterTheLastCommandInAttractMode)
{
    auto passes = [](int n) {
        for (int i = 0; i < n; i++) Main_Menu(10.0f);
    };
    game_flags.attract_mode = 1;
    passes(60);
    commands[15] = 1;   // Tab counts as a command and restarts the timer
    passes(1);
    commands[15] = 0;
    passes(99);
    EXPECT_EQ(game_flags.menu_shown, 1);
    passes(1);
    EXPECT_EQ(game_flags.menu_shown, 0);
    EXPECT_EQ(effects_played.back(), 4);

    // Outside attract mode the menu stays.
    Main_Menu_Open();
    game_flags.attract_mode = 0;
    game_flags.key_delay = 0.0f;
    passes(200);
    EXPECT_EQ(game_flags.menu_shown, 1);
}

// Esc anywhere and any key on the high-score page go back; Enter (Space as well) acts by page and
// item; Down and Up move the selection. Leaving the options by either way saves the preferences.
TEST_F(MenuTest, CommandsActByPageAndItem)
{
    struct Case {
        int page, item, command, attract;
        int page_after, item_after, shown_after, effect;
    } cases[] = {
        {MENU_PAGE_MAIN, 5, ESC, 0, MENU_PAGE_MAIN, 5, 0, 4},        {MENU_PAGE_LEAVE, 5, ESC, 0, MENU_PAGE_MAIN, 0, 1, 4},
        {MENU_PAGE_SCORES, 5, ESC, 0, MENU_PAGE_MAIN, 2, 1, 4},      {MENU_PAGE_SCORES, 5, LEFT, 0, MENU_PAGE_MAIN, 2, 1, 4},
        {MENU_PAGE_QUIT_GAME, 5, ESC, 0, MENU_PAGE_MAIN, 0, 1, 4},   {MENU_PAGE_OPTIONS, 5, ESC, 0, MENU_PAGE_MAIN, 1, 1, 4},
        {MENU_PAGE_VOLUMES, 5, ESC, 0, MENU_PAGE_MAIN, 0, 1, 4},     {MENU_PAGE_MAIN, 0, ENTER, 0, MENU_PAGE_QUIT_GAME, 5, 1, 5},
        {MENU_PAGE_MAIN, 1, ENTER, 0, MENU_PAGE_OPTIONS, 1, 1, 5},   {MENU_PAGE_MAIN, 2, ENTER, 1, MENU_PAGE_SCORES, 0, 1, 5},
        {MENU_PAGE_MAIN, 3, ENTER, 1, MENU_PAGE_MAIN, 3, 1, 5},      {MENU_PAGE_MAIN, 4, ENTER, 1, MENU_PAGE_VOLUMES, 0, 1, 5},
        {MENU_PAGE_MAIN, 5, ENTER, 1, MENU_PAGE_LEAVE, 5, 1, 5},     {MENU_PAGE_LEAVE, 5, ENTER, 1, MENU_PAGE_MAIN, 5, 1, 5},
        {MENU_PAGE_QUIT_GAME, 5, ENTER, 0, MENU_PAGE_MAIN, 0, 1, 5}, {MENU_PAGE_OPTIONS, 5, SPACE, 1, MENU_PAGE_MAIN, 1, 1, 5},
        {MENU_PAGE_VOLUMES, 5, ENTER, 1, MENU_PAGE_MAIN, 4, 1, 5},   {MENU_PAGE_MAIN, 5, DOWN, 0, MENU_PAGE_MAIN, 0, 1, 6},
        {MENU_PAGE_VOLUMES, 5, UP, 0, MENU_PAGE_VOLUMES, 1, 1, 6},
        {MENU_PAGE_OPTIONS, 3, ENTER, 0, MENU_PAGE_CONTROLS, 0, 1, 5}, {MENU_PAGE_OPTIONS, 4, ENTER, 0, MENU_PAGE_VIEW, 1, 1, 5},
        {MENU_PAGE_CONTROLS, 5, ENTER, 0, MENU_PAGE_PAD_MOUSE, 0, 1, 5}, {MENU_PAGE_CONTROLS, 2, ESC, 0, MENU_PAGE_OPTIONS, 3, 1, 4},
        {MENU_PAGE_PAD_MOUSE, 5, ENTER, 0, MENU_PAGE_CONTROLS, 5, 1, 5}, {MENU_PAGE_PAD_MOUSE, 0, ESC, 0, MENU_PAGE_CONTROLS, 5, 1, 4},
        {MENU_PAGE_VIEW, 3, ENTER, 0, MENU_PAGE_OPTIONS, 4, 1, 5},   {MENU_PAGE_VIEW, 1, ESC, 0, MENU_PAGE_OPTIONS, 4, 1, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.page) + "/" + std::to_string(c.item) + " " + std::to_string(c.command));
        Main_Menu_Open();
        game_flags.attract_mode = c.attract;
        game_flags.paused = 1;
        menu.page = c.page;
        menu.item = c.item;
        if (c.page == MENU_PAGE_SCORES) Hiscore_Load();
        pref_floor = 0;
        kx_io_ini_set_int("Preferences", "Floor", 7, kx_io_settings_path_get());
        effects_played.clear();
        help_calls = 0;
        drawn.clear();
        press(c.command);
        EXPECT_EQ(drawn_text("HIGH SCORES").size(), c.page == MENU_PAGE_SCORES ? 1u : 0u);
        Main_Menu(1.0f);   // drawing limits the selection to the page's range
        EXPECT_EQ(menu.page, c.page_after);
        if (c.shown_after) {
            EXPECT_EQ(menu.item, c.item_after);
        }
        EXPECT_EQ(game_flags.menu_shown, c.shown_after);
        EXPECT_EQ(game_flags.paused, c.shown_after);
        EXPECT_EQ(commands[ESC], 0);
        EXPECT_EQ(effects_played, std::vector<int>{c.effect});
        EXPECT_EQ(help_calls, c.page == MENU_PAGE_MAIN && c.item == 3 && c.command == ENTER);
        EXPECT_EQ(hiscore.loaded, c.page_after == MENU_PAGE_SCORES);
        int floor = -1;
        kx_io_ini_get_int("Preferences", "Floor", &floor, kx_io_settings_path_get());
        const bool saved = (c.page == MENU_PAGE_OPTIONS && c.page_after == MENU_PAGE_MAIN) ||
                           (c.page == MENU_PAGE_VIEW && c.page_after == MENU_PAGE_OPTIONS);
        EXPECT_EQ(floor, saved ? 0 : 7);
        Hiscore_Free();
    }
}

TEST_F(MenuTest, OptionsToggleThePreferences)
{
    menu.page = MENU_PAGE_OPTIONS;
    menu.item = 1;
    press(ENTER);
    EXPECT_EQ(pref_floor, 0);
    EXPECT_EQ(game.rebuild, REBUILD_FLOOR);
    menu.item = 2;
    press(ENTER);
    EXPECT_EQ(pref_background, 0);
    drawn.clear();
    Main_Menu_Draw();
    EXPECT_EQ(drawn_text("M35").size(), 1u);
    EXPECT_EQ(drawn_text("M37").size(), 1u);

    menu.page = MENU_PAGE_VIEW;
    for (int item : {1, 2}) {
        menu.item = item;
        press(ENTER);
    }
    EXPECT_EQ(view_high_camera, 1);
    EXPECT_EQ(view_ball_shadows, 1);
    drawn.clear();
    Main_Menu_Draw();
    EXPECT_EQ(drawn_text("M74").size(), 1u);
    EXPECT_EQ(drawn_text("M76").size(), 1u);
    view_high_camera = view_ball_shadows = 0;
}

// The controls pages hand their rows to the application's hooks: texts, Enter, Left and Right on
// the mouse speed; while a key is awaited the menu of the attract sequence does not close.
TEST_F(MenuTest, ControlsPagesUseTheHooks)
{
    static std::vector<std::string> calls;
    static int waiting_now;
    static const MENU_CONTROLS hooks = {
        [](int row, char *out, size_t size) -> const char * {
            std::snprintf(out, size, "ROW %d", row);
            return out;
        },
        [](int row) { calls.push_back("enter " + std::to_string(row)); },
        [](int row, int step) { calls.push_back("step " + std::to_string(row) + " " + std::to_string(step)); },
        [] { return waiting_now; },
    };
    menu_controls = &hooks;
    calls.clear();
    struct Case {
        int page, item, command;
        const char *call;
    } cases[] = {
        {MENU_PAGE_CONTROLS, 2, ENTER, "enter 2"},     {MENU_PAGE_CONTROLS, 4, SPACE, "enter 4"},
        {MENU_PAGE_PAD_MOUSE, 1, ENTER, "enter 6"},    {MENU_PAGE_PAD_MOUSE, 4, ENTER, "enter 8"},
        {MENU_PAGE_PAD_MOUSE, 2, RIGHT, "step 7 1"},   {MENU_PAGE_PAD_MOUSE, 2, LEFT, "step 7 -1"},
        {MENU_PAGE_PAD_MOUSE, 2, ENTER, "enter 7"},    {MENU_PAGE_CONTROLS, 1, RIGHT, nullptr},
    };
    for (const Case &c : cases) {
        menu.page = c.page;
        menu.item = c.item;
        press(c.command);
        EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}) << c.page << " " << c.item;
        calls.clear();
    }
    menu.page = MENU_PAGE_PAD_MOUSE;
    drawn.clear();
    Main_Menu_Draw();
    EXPECT_EQ(drawn_text("ROW 5").size(), 1u);
    EXPECT_EQ(drawn_text("ROW 8").size(), 1u);

    menu.page = MENU_PAGE_MAIN;
    game_flags.attract_mode = 1;
    for (int wait : {1, 0}) {
        waiting_now = wait;
        for (int i = 0; i < 200; i++) Main_Menu(10.0f);
        EXPECT_EQ(game_flags.menu_shown, wait);
    }
    menu_controls = nullptr;
}

TEST_F(MenuTest, DrawsRowsCentredOverAPanelWithTheHighlightBehindTheSelection)
{
    messages({{6, "A VERY LONG EXIT TEXT"}});
    // Rows that are not selected are dimmer (light 11) but as solid as the others.
    struct Row {
        int page, item;
        const char *text;
        double x, y, height, width, advance;
        int light;
    } rows[] = {
        {MENU_PAGE_MAIN, 4, "M1", 67, 14, 14, 14, 12, 11},
        {MENU_PAGE_MAIN, 4, "M23", 61, 78, 14, 14, 12, 15},
        // The highlight sprite reaches from 14 left of the selected text to 14 right of it.
        {MENU_PAGE_MAIN, 4, "#100", 47, 77, 16, 66, 0, 15},
        // Too long for the row: narrowed to fit 115 points.
        {MENU_PAGE_MAIN, 4, "A VERY LONG EXIT TEXT", 27, 94, 14, 7, 5, 11},
        // Options at width 10; the empty first row cannot hold the selection.
        {MENU_PAGE_OPTIONS, 0, "M34", 67, 30, 14, 10, 8, 15},
        // The volume bars at width 8, the row below them at the usual 14.
        {MENU_PAGE_VOLUMES, 0, "MUSIC ----*-----", 31, 14, 14, 8, 6, 15},
        {MENU_PAGE_VOLUMES, 0, "SOUND ----*-----", 31, 30, 14, 8, 6, 11},
        {MENU_PAGE_VOLUMES, 0, "M32", 61, 94, 14, 14, 12, 11},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text);
        menu.page = r.page;
        menu.item = r.item;
        drawn.clear();
        Main_Menu_Draw();
        std::vector<DRAWN> d = drawn_text(r.text);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ((std::vector<double>{d[0].x, d[0].y, d[0].height, d[0].width, d[0].advance}),
                  (std::vector<double>{r.x, r.y, r.height, r.width, r.advance}));
        EXPECT_EQ(d[0].light, r.light);
        EXPECT_EQ(d[0].tint, 0);
        EXPECT_EQ(d[0].transparency, r.text[0] == '#' ? 1 : 0);
        // The panel, drawn first, lies behind every text and the highlight.
        ASSERT_EQ(drawn[0].text, "#101");
        const DRAWN &p = drawn[0];
        for (const DRAWN &t : drawn)
            EXPECT_TRUE(t.x >= p.x && t.y >= p.y && t.x + t.width + t.advance * (t.text.size() - 1) <= p.x + p.width &&
                        t.y + t.height <= p.y + p.height)
                << t.text;
    }
    // The highlight goes behind its text.
    auto at = [](const char *text) {
        return std::find_if(drawn.begin(), drawn.end(), [&](const DRAWN &d) { return d.text == text; });
    };
    menu.page = MENU_PAGE_MAIN;
    menu.item = 4;
    drawn.clear();
    Main_Menu_Draw();
    EXPECT_LT(at("#100"), at("M23"));
}

// The volume rows through the sound module on a test device.
class MenuSoundTest : public MenuTest {
protected:
    std::atomic<int32_t> audible{0};
    int32_t music_on = 1, effects_on = 1, quality = 4;
    KX_SND_SETTINGS settings{0, &audible, &music_on, &effects_on, &music_volume, &effects_volume, &quality, 0, 0};
    PLAT_AUDIO_TEST_DEVICE device{44100, 2, 16, 2, nullptr, 0, PLAT_AUDIO_FAIL_NONE};

    void SetUp() override
    {
        MenuTest::SetUp();
        plat_audio_test_device(&device);
        ASSERT_EQ(kx_snd_init(&settings), 1);
        menu.page = MENU_PAGE_VOLUMES;
    }

    void TearDown() override
    {
        kx_snd_done();
        plat_audio_test_device(nullptr);
        MenuTest::TearDown();
    }
};

TEST_F(MenuSoundTest, VolumeRowsStepSwitchOnAndWrap)
{
    struct Case {
        int item, start, command, music_after, effects_after;
    } cases[] = {
        {0, 100, ENTER, 0, 50}, {0, 40, RIGHT, 50, 50}, {0, 0, LEFT, 0, 50},   {1, 100, RIGHT, 50, 100},
        {1, 70, LEFT, 50, 60},  {0, 90, ENTER, 100, 50}, {0, 0, ENTER, 10, 50},  {0, -2, RIGHT, 30, 50},
        {0, -2, ENTER, 40, 50}, {1, -2, LEFT, 50, 30},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.item) + ": " + std::to_string(c.start) + " " + std::to_string(c.command));
        int before = c.start == -2 ? 30 : c.start;
        kx_snd_set_music_volume(c.item == 0 ? before : 50);
        kx_snd_set_effects_volume(c.item == 1 ? before : 50);
        if (c.start == -2 && c.item == 0) kx_snd_toggle_music();
        if (c.start == -2 && c.item == 1) kx_snd_toggle_effects();
        ASSERT_EQ(c.item == 0 ? music_volume : effects_volume, c.start);
        menu.item = c.item;
        press(c.command);
        EXPECT_EQ(music_volume, c.music_after);
        EXPECT_EQ(effects_volume, c.effects_after);
    }
}

} // namespace
