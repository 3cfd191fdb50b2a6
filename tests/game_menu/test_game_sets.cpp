// Level sets: names, the list the menu offers, a refused set leaving the tables as they were, a
// set saved and read back by name, each set's own high-score table, and the set choice's pages.
#include "menu_test_util.h"

#include "game/game_difficulty.h"
#include "game/game_hiscore.h"
#include "game/game_sets.h"

#include <cstring>

using namespace menu_test;

namespace {

std::string failure;

void capture(int, const char *message)
{
    failure = message;
}

class SetsTest : public GameFolderTest {
protected:
    void SetUp() override
    {
        GameFolderTest::SetUp();
        sets = SETS{};
        failure.clear();
        write_file(dir / "data" / "levels.txt", "!SHIPPED\r\n@6500\r\n}1\r\n");
    }

    void TearDown() override
    {
        Hiscore_Free();
        Levels_Free();
        GameFolderTest::TearDown();
    }

    void user_set(const std::string &name, const std::string &text)
    {
        write_file(user_dir() / "levels" / (name + ".txt"), text);
    }
};

TEST(SetNames, LettersDigitsAndFewMarksWithinThirtyTwo)
{
    const char *letters = "A level set name holds only letters, digits, '-', '_' and '.'";
    const char *dots = "A level set name may not start with '.' or hold \"..\"";
    struct Case {
        std::string name;
        const char *why;   // null: accepted
    } cases[] = {
        {"demo", nullptr},
        {"Castle-2_final.v3", nullptr},
        {std::string(32, 'x'), nullptr},
        {std::string(33, 'x'), "A level set name holds at most 32 characters"},
        {"", "A level set needs a name"},
        {"a/b", letters},
        {"a\\b", letters},
        {"my set", letters},
        {"caf\xc3\xa9", letters},
        {"..", dots},
        {".hidden", dots},
        {"a..b", dots},
    };
    for (const Case &c : cases) {
        const char *why = Sets_Name_Check(c.name.c_str());
        EXPECT_EQ(why ? std::string(why) : "", c.why ? std::string(c.why) : "") << c.name;
    }
}

TEST_F(SetsTest, ListUseAndRefusal)
{
    user_set("b", "!BBB\r\n@6500\r\n}1\r\n");
    user_set("A", "!AAA\r\n@6500\r\n}1\r\n!X\r\n@1\r\n}1\r\n");
    user_set("bad", "!12\r\n@1\r\n}60\r\n");
    user_set("not a set", "");
    write_file(user_dir() / "levels" / "notes.dat", "");
    fs::create_directories(user_dir() / "levels" / "folder.txt");
    const std::string long_name = "long" + std::string(36, 'x');
    user_set(long_name, "");
    // Files whose names the game cannot use are listed as written, so that choosing one says why.
    ASSERT_EQ(Sets_List(), 5);
    EXPECT_EQ(std::vector<std::string>(sets.names, sets.names + 5),
              (std::vector<std::string>{"A", "b", "bad", long_name, "not a set"}));

    ASSERT_EQ(Sets_Use("A"), 1);
    EXPECT_STREQ(sets.current, "A");
    EXPECT_EQ(game_levels.count, 3);
    EXPECT_STREQ(game_levels.level[2].rows[0], "X             ");
    // A refused set leaves the tables as they were and says why.
    struct Case {
        const char *name, *message;
    } refused[] = {
        {"bad", "Wrong enemy maximum 60 in level 1 (line 3)"},
        {"missing", "There is no level set missing"},
        {"../A", "A level set name holds only letters, digits, '-', '_' and '.'"},
        {sets.names[4], "A level set name holds only letters, digits, '-', '_' and '.'"},
        {sets.names[3], "A level set name holds at most 32 characters"},
    };
    for (const Case &c : refused) {
        EXPECT_EQ(Sets_Use(c.name), 0);
        EXPECT_EQ(std::string(sets.message), c.message);
        EXPECT_STREQ(sets.current, "A");
        EXPECT_STREQ(game_levels.level[2].rows[0], "X             ");
    }
    ASSERT_EQ(Sets_Use(""), 1);
    EXPECT_STREQ(sets.current, "");
    EXPECT_STREQ(game_levels.level[1].rows[0], "SHIPPED       ");
    // So does a shipped file that cannot be read.
    ASSERT_EQ(Sets_Use("A"), 1);
    write_file(dir / "data" / "levels.txt", "!SHIPPED\r\n@6500\r\n}60\r\n");
    EXPECT_EQ(Sets_Use(""), 0);
    EXPECT_STREQ(sets.current, "A");
    EXPECT_STREQ(game_levels.level[2].rows[0], "X             ");
}

TEST_F(SetsTest, SavedByNameAndReadBack)
{
    LEVEL_SET set{}, back{};
    set.count = 1;
    Level_Def_Empty(&set.level[1]);
    std::memcpy(set.level[1].rows[0], "123", 3);
    ASSERT_EQ(Sets_Save(&set, "demo", capture), 1) << failure;
    EXPECT_EQ(read_file(user_dir() / "levels" / "demo.txt").substr(0, 17), "!123           \r\n");
    ASSERT_EQ(Sets_Load(&back, "demo", capture), 1) << failure;
    EXPECT_STREQ(back.level[1].rows[0], "123           ");
    EXPECT_EQ(Sets_Save(&set, "../demo", capture), 0);
    EXPECT_EQ(failure, "A level set name holds only letters, digits, '-', '_' and '.'");
    Level_Set_Free(&set);
    Level_Set_Free(&back);
}

// The shipped set keeps "highscor.dat"; a user set's table is "highscores\NAME.dat" and starts
// from the defaults, whatever the shipped table holds; Hard has its own of each.
TEST_F(SetsTest, EachSetKeepsItsOwnHighScores)
{
    const std::string shipped = table_bytes({{900, "BOB"}, {800, "ANN"}, {700, "JIM"}, {600, "SUE"}, {500, "TOM"}});
    write_file(user_dir() / "highscor.dat", shipped);
    std::snprintf(sets.chosen, sizeof sets.chosen, "demo");
    Hiscore_Load();
    EXPECT_EQ(hiscore.score[0], 100);
    hiscore.score[0] = 4321;
    Hiscore_Save();
    EXPECT_EQ(read_file(user_dir() / "highscores" / "demo.dat").substr(0, 4), std::string("\xe1\x10\0\0", 4));
    EXPECT_EQ(read_file(user_dir() / "highscor.dat"), shipped);
    sets.chosen[0] = 0;
    Hiscore_Load();
    EXPECT_EQ(hiscore.score[0], 900);
    std::snprintf(sets.chosen, sizeof sets.chosen, "demo");
    Hiscore_Load();
    EXPECT_EQ(hiscore.score[0], 4321);
    drawn.clear();
    Hiscore_Draw();
    EXPECT_EQ(drawn_text("demo - M" + std::to_string(MSG_NORMAL)).size(), 1u);   // the name as written
    // Hard keeps tables of its own, for a user set and for the shipped one.
    difficulty.chosen = DIFFICULTY_HARD;
    for (const char *name : {"demo", ""}) {
        std::snprintf(sets.chosen, sizeof sets.chosen, "%s", name);
        Hiscore_Load();
        EXPECT_EQ(hiscore.score[0], 100) << name;
        hiscore.score[0] = 777;
        Hiscore_Save();
    }
    difficulty.chosen = DIFFICULTY_NORMAL;
    EXPECT_EQ(read_file(user_dir() / "highscores" / "hard" / "demo.dat").substr(0, 4), std::string("\x09\x03\0\0", 4));
    EXPECT_EQ(read_file(user_dir() / "highscor_hard.dat").substr(0, 4), std::string("\x09\x03\0\0", 4));
    EXPECT_EQ(read_file(user_dir() / "highscor.dat"), shipped);
    EXPECT_EQ(read_file(user_dir() / "highscores" / "demo.dat").substr(0, 4), std::string("\xe1\x10\0\0", 4));
    EXPECT_TRUE(game_errors().empty());
}

// New game in attract mode opens the choice on the set chosen last; the difficulty choice follows
// (Esc goes back to the set); a refused set shows the reader's message under its title, and Back
// returns to the choice.
TEST_F(SetsTest, ChoiceOpensOnTheLastSetAndARefusalSaysWhy)
{
    user_set("bad", "!12\r\n@1\r\n}60\r\n");
    user_set("mine", "!ABC\r\n@6500\r\n}1\r\n");
    std::snprintf(sets.chosen, sizeof sets.chosen, "mine");
    game_flags.attract_mode = 1;
    Main_Menu_Open();
    menu.item = 0;
    struct Step {
        int command, page, item;
    } steps[] = {
        {28, MENU_PAGE_SETS, 3}, {72, MENU_PAGE_SETS, 2}, {28, MENU_PAGE_DIFFICULTY, 3}, {1, MENU_PAGE_SETS, 2},
        {28, MENU_PAGE_DIFFICULTY, 3}, {28, MENU_PAGE_SET_REFUSED, 5}, {28, MENU_PAGE_SETS, 1}, {1, MENU_PAGE_MAIN, 0},
    };
    for (const Step &s : steps) {
        drawn.clear();
        commands[s.command] = 1;
        Main_Menu(1.0f);
        commands[s.command] = 0;
        game_flags.key_delay = 0.0f;
        Main_Menu(1.0f);
        EXPECT_EQ(menu.page, s.page) << s.command;
        EXPECT_EQ(menu.item, s.item) << s.command;
    }
    EXPECT_EQ(game_flags.menu_shown, 1);
    EXPECT_EQ(game_flags.attract_mode, 1);
    EXPECT_STREQ(sets.chosen, "mine");
    menu.page = MENU_PAGE_SET_REFUSED;
    drawn.clear();
    Main_Menu_Draw();
    EXPECT_EQ(drawn_text("WRONG ENEMY MAXIMUM 60 IN").size(), 1u);
    EXPECT_EQ(drawn_text("LEVEL 1 (M56 3)").size(), 1u);   // "line" in the current language
    menu.page = MENU_PAGE_SETS;
    drawn.clear();
    Main_Menu_Draw();
    EXPECT_EQ(drawn_text("mine").size(), 1u);
}

TEST(SetChoice, StepsScrollUnderTheTitleAndWrap)
{
    struct Case {
        int total, top, item, step, top_after, item_after;
    } cases[] = {
        {3, 0, 1, 1, 0, 2},  {3, 0, 3, 1, 0, 1},  {3, 0, 1, -1, 0, 3},  {8, 0, 5, 1, 1, 5},
        {8, 3, 5, 1, 0, 1},  {8, 0, 1, -1, 3, 5}, {8, 2, 1, -1, 1, 1},  {1, 0, 1, 1, 0, 1},
    };
    for (const Case &c : cases) {
        int top = c.top;
        EXPECT_EQ(Menu_Set_Step(c.total, &top, c.item, c.step), c.item_after) << c.total << " " << c.top << " " << c.item;
        EXPECT_EQ(top, c.top_after);
    }
}

TEST(SetChoice, RefusalsWrapAtSpacesInCapitals)
{
    char lines[4][MENU_WRAP_WIDTH + 1];
    struct Case {
        const char *text;
        int max;
        std::vector<std::string> expected;
    } cases[] = {
        {"Wrong enemy maximum 60 in level 1 (line 3)", 4, {"WRONG ENEMY MAXIMUM 60 IN", "LEVEL 1 (LINE 3)"}},
        {"", 4, {}},
        {"abcdefghijklmnopqrstuvwxyz0123", 4, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123"}},
        {"one two three four five six seven eight nine ten eleven twelve", 2, {"ONE TWO THREE FOUR FIVE", "SIX SEVEN EIGHT NINE TE..."}},
    };
    for (const Case &c : cases) {
        int n = Menu_Wrap(c.text, MENU_WRAP_WIDTH, lines, c.max);
        EXPECT_EQ(std::vector<std::string>(lines, lines + n), c.expected) << c.text;
    }
}

} // namespace
