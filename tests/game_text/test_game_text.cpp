// The game's text store: lookups never return null and freeing empties it. Its limits are
// checked through the message and credit file readers (tests/app_texts).
#include "game/game_text.h"

#include <gtest/gtest.h>

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
