// The game's text store: lookups never return null, the limits hold, freeing empties it.
#include "game/game_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(GameText, LookupsOutsideTheLoadedTextsAreEmpty)
{
    Game_Text_Free(GAME_TEXT_MESSAGES);
    ASSERT_EQ(Game_Text_Add(GAME_TEXT_MESSAGES, "NEW GAMExx", 8), 1);
    ASSERT_EQ(Game_Text_Add(GAME_TEXT_MESSAGES, "", 0), 1);
    struct {
        int n;
        const char *text;
    } cases[] = {{0, "NEW GAME"}, {1, ""}, {2, ""}, {-1, ""}, {68, ""}, {69, ""}, {1 << 30, ""}};
    for (auto &c : cases) {
        const char *t = Game_Message(c.n);
        ASSERT_NE(t, nullptr) << c.n;
        EXPECT_STREQ(t, c.text) << c.n;
    }
    EXPECT_STREQ(Game_Credit_Line(0), "");
    Game_Text_Free(GAME_TEXT_MESSAGES);
    EXPECT_EQ(Game_Messages_Count(), 0);
    EXPECT_STREQ(Game_Message(0), "");
}

TEST(GameText, EachKindStopsAtItsLimit)
{
    struct {
        GAME_TEXT_KIND kind;
        int max;
    } cases[] = {{GAME_TEXT_MESSAGES, GAME_MESSAGES_MAX}, {GAME_TEXT_CREDITS, GAME_CREDITS_MAX}};
    for (auto &c : cases) {
        Game_Text_Free(c.kind);
        for (int i = 0; i < c.max; i++) {
            std::string s = std::to_string(i);
            ASSERT_EQ(Game_Text_Add(c.kind, s.c_str(), s.size()), 1);
        }
        EXPECT_EQ(Game_Text_Add(c.kind, "X", 1), 0);
        const char *last = c.kind == GAME_TEXT_MESSAGES ? Game_Message(c.max - 1) : Game_Credit_Line(c.max - 1);
        EXPECT_EQ(std::string(last), std::to_string(c.max - 1));
        Game_Text_Free(c.kind);
    }
    EXPECT_EQ(Game_Credits_Count(), 0);
}
