// The high-score table: where it comes from on a first start and after damage, the file bytes,
// who qualifies, name entry with its key delays and wrapping, and the drawn layout.
#include "menu_test_util.h"

#include "game/game_hiscore.h"
#include "world/world.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace menu_test;

namespace {

using Table = std::vector<std::pair<int32_t, std::string>>;

const Table PRISTINE = {{5000, "VEL"}, {4000, "ZOE"}, {3000, "MAX"}, {2000, "KIT"}, {1000, "ACE"}};
const Table SAVED = {{900, "BOB"}, {800, "ANN"}, {700, "JIM"}, {600, "SUE"}, {500, "TOM"}};

Table loaded_table()
{
    Table t;
    for (int i = 0; i < HISCORE_ENTRIES; i++) t.push_back({hiscore.score[i], hiscore.name[i]});
    return t;
}

class HiscoreTest : public GameFolderTest {
protected:
    void TearDown() override
    {
        Hiscore_Free();
        GameFolderTest::TearDown();
    }

    // One pass of name entry with the key delay counting down as the frame loop does.
    void pass(float t)
    {
        Hiscore_Entry(t);
        game_flags.key_delay = game_flags.key_delay > t ? game_flags.key_delay - t : 0.0f;
    }
};

TEST(HiscoreLetters, StepThroughTheAlphabetAndWrap)
{
    struct Case {
        char from;
        int step;
        char to;
    } cases[] = {{' ', 1, 'A'}, {'A', -1, ' '}, {'Z', 1, '.'}, {'=', 1, ' '}, {' ', -1, '='},
                 {'-', 1, '='}, {'a', 1, ' '}, {'~', -1, ' '}, {'\0', 1, ' '}};
    for (const Case &c : cases) EXPECT_EQ(Hiscore_Letter_Step(c.from, c.step), c.to) << c.from << c.step;
    // Typed characters: letters in capitals, signs of the alphabet as they are, nothing else.
    const char typed[][2] = {{'x', 'X'}, {'Q', 'Q'}, {'=', '='}, {' ', 0}, {'7', 0}, {'~', 0}, {'\xe9', 0}, {'_', 0}};
    for (const auto &t : typed) EXPECT_EQ(Hiscore_Typed_Letter(t[0]), t[1]) << t[0];
}

TEST_F(HiscoreTest, LoadFindsTheTableOrKeepsTheDefaults)
{
    const Table defaults(5, {100, "AAA"});
    std::string damaged = table_bytes(SAVED);
    damaged[8 + 7] = 'X';   // the second name has no zero
    struct Case {
        const char *what;
        std::string pristine, saved;   // "-": no file
        Table expected;
        std::string saved_after;
    } cases[] = {
        {"first start copies the pristine table", table_bytes(PRISTINE), "-", PRISTINE, table_bytes(PRISTINE)},
        {"a saved table wins", table_bytes(PRISTINE), table_bytes(SAVED), SAVED, table_bytes(SAVED)},
        {"no file at all", "-", "-", defaults, "-"},
        {"short file fills whole records only", "-", table_bytes(SAVED).substr(0, 20),
         {SAVED[0], SAVED[1], {100, "AAA"}, {100, "AAA"}, {100, "AAA"}}, table_bytes(SAVED).substr(0, 20)},
        {"unterminated name keeps its entry's defaults", "-", damaged,
         {SAVED[0], {100, "AAA"}, SAVED[2], SAVED[3], SAVED[4]}, damaged},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "data");
        fs::remove(user_dir() / "highscor.dat");
        if (c.pristine != "-") write_file(dir / "data" / "highscor.ori", c.pristine);
        if (c.saved != "-") write_file(user_dir() / "highscor.dat", c.saved);
        Hiscore_Load();
        EXPECT_EQ(loaded_table(), c.expected);
        EXPECT_EQ(fs::exists(user_dir() / "highscor.dat") ? read_file(user_dir() / "highscor.dat") : "-", c.saved_after);
    }
    EXPECT_TRUE(game_errors().empty());
}

TEST_F(HiscoreTest, SaveWritesFortyBytesWithThreeLettersAndAZero)
{
    Hiscore_Defaults();
    for (int i = 0; i < HISCORE_ENTRIES; i++) {
        hiscore.score[i] = SAVED[size_t(i)].first;
        std::memset(hiscore.name[i], 'Q', HISCORE_NAME_SIZE - 1);   // a long name is cut to 3
        std::memcpy(hiscore.name[i], SAVED[size_t(i)].second.data(), 3);
    }
    hiscore.score[4] = -7;
    Hiscore_Save();
    Table expected = SAVED;
    expected[4].first = -7;
    EXPECT_EQ(read_file(user_dir() / "highscor.dat"), table_bytes(expected));
    EXPECT_FALSE(fs::exists(user_dir() / "highscor.dat.tmp"));
    Hiscore_Free();
    Hiscore_Save();   // nothing loaded: nothing to write, the file stays
    EXPECT_EQ(read_file(user_dir() / "highscor.dat"), table_bytes(expected));
}

TEST_F(HiscoreTest, QualificationPlacesTheScoreBelowEqualOnes)
{
    struct Case {
        int32_t score;
        int attract;
        int row;   // -1: does not qualify
    } cases[] = {{1000, 0, -1}, {1001, 0, 4}, {999999, 0, 0}, {4000, 0, 2}, {4001, 0, 1}, {999999, 1, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.score);
        write_file(user_dir() / "highscor.dat", table_bytes(PRISTINE));
        game_flags.attract_mode = c.attract;
        game_flags.game_over_timer = 0.0f;
        music_played.clear();
        game_flags.name_entry = 0;
        EXPECT_EQ(Hiscore_Place(c.score), c.row >= 0);
        EXPECT_EQ(game_flags.name_entry, c.row >= 0);
        if (c.row >= 0) {
            EXPECT_EQ(hiscore.entry_row, c.row);
        }
        Table expected = PRISTINE;
        if (c.row >= 0) {
            expected.insert(expected.begin() + c.row, {c.score, "AAA"});
            expected.pop_back();
            EXPECT_EQ(music_played, std::vector<std::string>{"snd\\hiscore.s3m"});
            EXPECT_EQ(game_flags.game_over_timer, 1.0f);
            EXPECT_EQ(hiscore.cursor, 0);
        }
        EXPECT_EQ(loaded_table(), expected);
    }
}

TEST_F(HiscoreTest, HoldingUpStepsEveryTwentyFiveTicksAndWraps)
{
    write_file(user_dir() / "highscor.dat", table_bytes(PRISTINE));
    ASSERT_EQ(Hiscore_Place(99999), 1);
    hiscore.name[0][0] = '-';
    commands[72] = 12;
    std::string seen;
    for (int tick = 0; tick < 100; tick++) {
        char before = hiscore.name[0][0];
        pass(1.0f);
        if (hiscore.name[0][0] != before) seen += hiscore.name[0][0];
    }
    EXPECT_EQ(seen, "= AB");
    EXPECT_EQ(effects_played, std::vector<int>(4, 8));
}

TEST_F(HiscoreTest, NameEntryMovesTheCursorAndSavesPastTheEnd)
{
    write_file(user_dir() / "highscor.dat", table_bytes(PRISTINE));
    game.score = 4500;
    ASSERT_EQ(Hiscore_Qualify(), 1);
    // Each key is held for one pass and then released for long enough to clear its delay.
    struct Key {
        int command;
        int cursor;       // after the key
        const char *name;
        int effect;       // 0: none
    } keys[] = {
        {75, 0, "AAA", 0},   {72, 0, "BAA", 8},  {77, 1, "BAA", 9}, {80, 1, "B A", 8}, {57, 2, "B A", 9},
        {77, 3, "B A", 9},   {77, 3, "B A", 0},  {72, 3, "B A", 0}, {75, 2, "B A", 9}, {72, 2, "B B", 8},
        {28, 3, "B B", 9},
    };
    for (const Key &k : keys) {
        SCOPED_TRACE(k.command);
        effects_played.clear();
        commands[k.command] = 1;
        pass(1.0f);
        EXPECT_EQ(game_flags.name_entry, 1);
        commands[k.command] = 0;
        for (int i = 0; i < 80; i++) pass(1.0f);
        EXPECT_EQ(hiscore.cursor, k.cursor);
        EXPECT_STREQ(hiscore.name[1], k.name);
        EXPECT_EQ(effects_played, k.effect ? std::vector<int>{k.effect} : std::vector<int>{});
    }
    EXPECT_FALSE(fs::exists(user_dir() / "highscor.dat") && read_file(user_dir() / "highscor.dat") != table_bytes(PRISTINE));
    commands[57] = 1;
    pass(1.0f);
    EXPECT_EQ(game_flags.name_entry, 0);
    EXPECT_EQ(read_file(user_dir() / "highscor.dat"),
              table_bytes({PRISTINE[0], {4500, "B B"}, PRISTINE[1], PRISTINE[2], PRISTINE[3]}));

    // Typed letters go in at the cursor without waiting for a key delay; past the third they
    // are passed over, and Enter on the end marker stores the name.
    commands[57] = 0;
    ASSERT_EQ(Hiscore_Place(4600), 1);
    hiscore.cursor = 1;
    game_flags.key_delay = 50.0f;
    for (const char *typed : {"x", "y1", "zw", ""}) {
        std::snprintf(typed_text, sizeof typed_text, "%s", typed);
        pass(1.0f);
    }
    typed_text[0] = 0;
    EXPECT_STREQ(hiscore.name[1], "AXY");
    EXPECT_EQ(hiscore.cursor, 3);
    for (int i = 0; i < 80; i++) pass(1.0f);
    commands[28] = 1;
    pass(1.0f);
    EXPECT_EQ(game_flags.name_entry, 0);
    EXPECT_EQ(read_file(user_dir() / "highscor.dat").substr(8, 8), table_bytes({{4600, "AXY"}}));
}

TEST_F(HiscoreTest, DrawLaysOutTheTableAndBlinksTheEndMarker)
{
    write_file(user_dir() / "highscor.dat",
               table_bytes({{50000, "VEL"}, {4000, "ZOE"}, {300, "MAX"}, {20, "KIT"}, {10, "ACE"}}));
    Hiscore_Load();
    Hiscore_Draw();
    // The 11-letter title is too wide at 12 points a letter and is narrowed to fit 125.
    ASSERT_EQ(drawn_text("HIGH SCORES").size(), 1u);
    DRAWN title = drawn_text("HIGH SCORES")[0];
    EXPECT_EQ(title.width, 13);
    EXPECT_EQ(title.advance, 11);
    EXPECT_EQ(title.x, 21);
    EXPECT_EQ(title.y, 2);
    // Places at 10, names at 38, scores ending at 151; only the first row bright.
    struct Row {
        const char *place, *score, *name;
        double score_x, y;
        int tint;
    } rows[] = {{"1", "50000", "VEL", 106, 23, 0}, {"2", "4000", "ZOE", 115, 42, 7}, {"3", "300", "MAX", 124, 61, 7},
                {"4", "20", "KIT", 133, 80, 7},    {"5", "10", "ACE", 133, 99, 7}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.place);
        for (const char *t : {r.place, r.score, r.name}) {
            ASSERT_EQ(drawn_text(t).size(), 1u) << t;
            EXPECT_EQ(drawn_text(t)[0].y, r.y);
            EXPECT_EQ(drawn_text(t)[0].tint, r.tint);
        }
        EXPECT_EQ(drawn_text(r.place)[0].x, 10);
        EXPECT_EQ(drawn_text(r.score)[0].x, r.score_x);
        EXPECT_EQ(drawn_text(r.name)[0].x, 38);
    }
    EXPECT_TRUE(drawn_text("END").empty());

    // Entering on row 2: that row is bright, the first dim; the end marker blinks at the end.
    Hiscore_Place(3500);
    hiscore.cursor = HISCORE_CURSOR_END;
    std::string blinks;   // '#' for a pass that shows the marker
    for (int i = 0; i < 40; i++) {
        drawn.clear();
        Hiscore_Entry(1.0f);
        Hiscore_Entry_Draw();
        std::vector<DRAWN> marker = drawn_text("END");
        blinks += marker.empty() ? '.' : '#';
        if (marker.empty()) continue;
        EXPECT_EQ(marker[0].x, 66);
        EXPECT_EQ(marker[0].y, 65);
        EXPECT_EQ(marker[0].tint, 4);   // yellow, where the cursor stands
        EXPECT_EQ(drawn_text("-").size(), 1u);   // under the cursor only: above lies the hint
        EXPECT_EQ(drawn_text("3500")[0].tint, 0);
        EXPECT_EQ(drawn_text("50000")[0].tint, 7);
    }
    EXPECT_EQ(blinks, ".........##########..........##########.");
    hiscore.cursor = 1;
    drawn.clear();
    std::array<WORLD_SPRITE, WORLD_SPRITES> sprites{};
    sprites[100].defined = sprites[101].defined = 1;
    world_sprites = sprites.data();
    Hiscore_Entry_Draw();
    world_sprites = nullptr;
    ASSERT_EQ(drawn_text("END").size(), 1u);
    EXPECT_EQ(drawn_text("END")[0].tint, 7);
    // Over the panel: how entry works, under the title and under the table, and the highlight
    // behind the cursor's letter, before the letters.
    EXPECT_EQ(drawn.front().text, "#101");
    EXPECT_EQ(drawn_text("M46").at(0).y, 14.5);
    EXPECT_EQ(drawn_text("M47").at(0).y, 110.5);
    ASSERT_EQ(drawn_text("#100").size(), 1u);
    EXPECT_EQ(drawn_text("#100")[0].x, 38 + 9 - 2);
    auto at = [](const char *text) {
        return std::find_if(drawn.begin(), drawn.end(), [&](const DRAWN &d) { return d.text == text; });
    };
    EXPECT_LT(at("#100"), at("AAA"));
    hiscore.cursor = HISCORE_CURSOR_END;   // on the end marker the hint says what Enter does
    drawn.clear();
    Hiscore_Draw();
    EXPECT_EQ(drawn_text("M57").at(0).y, 14.5);
    EXPECT_TRUE(drawn_text("M46").empty());
}

} // namespace
