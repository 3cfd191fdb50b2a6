// The shipped texts of all six languages: the language file, every message and credit line drawn
// by the sprite text without a blank where a letter should be, the help files and About boxes.
#include "tests/app_texts/app_texts_fixture.h"

#include "app/app.h"
#include "app/app_help.h"
#include "app/app_language.h"
#include "app/app_texts.h"
#include "game/game_text.h"
#include "world/world_render.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace {

constexpr int BLANK_SPRITE = WORLD_SPRITE_TEXT_BASE + 66;

class ShippedTexts : public TextsTest {
protected:
    void SetUp() override
    {
        TextsTest::SetUp();
        std::filesystem::current_path(std::string(VM_SOURCE_DIR) + "/assets");
        ASSERT_EQ(Languages_Load("data\\language.txt"), 1);
    }

    void TearDown() override
    {
        Texts_Free();
        Languages_Free();
        TextsTest::TearDown();
    }
};

// Sprite numbers the brick world defines ("&N = ..." lines).
std::set<int> defined_sprites()
{
    std::ifstream f("level/brick.def", std::ios::binary);
    std::set<int> s;
    std::string line;
    while (std::getline(f, line))
        if (line.size() > 1 && line[0] == '&') s.insert(std::atoi(line.c_str() + 1));
    return s;
}

// The first character of `text` that the sprite text would draw blank or with a missing sprite.
int undrawable(const char *text, const std::set<int> &sprites)
{
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
        if (*p == ' ') continue;
        int sprite = world_sprite_font[*p];
        if (sprite == BLANK_SPRITE || !sprites.count(sprite)) return *p;
    }
    return 0;
}

} // namespace

TEST_F(ShippedTexts, EveryLanguageLoadsAndDrawsEveryLetter)
{
    ASSERT_EQ(init_3d_engine(), 1);
    std::set<int> sprites = defined_sprites();
    // The word that calls for a key, which only the prompt's second line (drawn alone over a
    // scenery world) may hold: that line is the whole call.
    const struct {
        const char *code, *key;
    } languages[] = {{"EN", "KEY"}, {"DE", "TASTE"}, {"ES", "TECLA"}, {"FR", "TOUCHE"}, {"IT", "TASTO"}, {"PT", "TECLA"}};
    int english = 0;
    for (int number = 1; number <= 6; number++) {
        ASSERT_EQ(Language_Select(number), 1);
        const char *code = Language_Abbreviation();
        EXPECT_STREQ(code, languages[number - 1].code);
        ASSERT_EQ(load_texts(), 1) << code << ": " << game_error_last();
        EXPECT_EQ(game_language, number);
        // Every language numbers its messages as English does: one missing would shift the rest.
        if (number == 1) english = Game_Messages_Count();
        EXPECT_EQ(Game_Messages_Count(), english) << code;
        EXPECT_GT(english, MSG_RECORDING_LOST);
        EXPECT_NE(std::string(Game_Message(MSG_PROMPT)).find(languages[number - 1].key), std::string::npos) << code;
        EXPECT_EQ(std::string(Game_Message(MSG_PROMPT_LEAD)).find(languages[number - 1].key), std::string::npos) << code;
        for (int n : {24, 26}) {
            std::string bar = Game_Message(n);
            EXPECT_EQ(std::count(bar.begin(), bar.end(), '-'), 10) << code << " " << n;
            EXPECT_NE(bar.find("----------"), std::string::npos) << code << " " << n;
        }
        for (int n = 0; n < Game_Messages_Count(); n++) {
            EXPECT_NE(Game_Message(n)[0], 0) << code << " message " << n;
            EXPECT_EQ(undrawable(Game_Message(n), sprites), 0) << code << " message " << n << ": " << Game_Message(n);
        }
        EXPECT_GE(Game_Credits_Count(), 40) << code;
        for (int i = 0; i < Game_Credits_Count(); i++)
            EXPECT_EQ(undrawable(Game_Credit_Line(i), sprites), 0) << code << " credit " << i << ": " << Game_Credit_Line(i);

        HELP_FILE help;
        ASSERT_EQ(Help_File_Read(Texts_Help_File(), &help), 1) << code;
        EXPECT_EQ(help.count, help.declared) << code;
        EXPECT_GT(help.count, 15) << code;
        EXPECT_LE(help.count, 22) << code << ": more lines than the screen holds";
        EXPECT_STREQ(help.font, "font\\helpfont.fnt");
        std::string lower = code;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        EXPECT_EQ(help.background, "gfx\\help\\help_" + lower + ".png");
        // F8 is named, and the end marker of name entry; the secret Ctrl + left Shift keys are not.
        std::string all;
        for (int i = 0; i < help.count; i++) all += std::string(help.lines[i]) + "\n";
        EXPECT_NE(all.find("F8"), std::string::npos) << code;
        EXPECT_NE(all.find(std::string(" ") + Game_Message(MSG_END_MARK)), std::string::npos) << code;
        EXPECT_EQ(all.find("Shift"), std::string::npos) << code;
        Help_File_Free(&help);

        std::string section = std::string("AboutBox_") + code;
        for (const char *key : {"Title", "Memory", "Copyright1", "Copyright2", "Reserved", "License"}) {
            char value[200] = "";
            int n = kx_io_ini_get_string(section.c_str(), key, value, sizeof value - 1, "data\\texts.txt");
            EXPECT_TRUE(n > 0 && n <= 80) << section << " " << key;
        }
    }
    deinit_3d_engine();
}

TEST_F(ShippedTexts, TheWindowMenuSwitchesLanguageAtOnce)
{
    ASSERT_EQ(Language_Select(1), 1);
    ASSERT_EQ(load_texts(), 1);
    EXPECT_STREQ(Game_Message(0), "NEW GAME");
    // Entry 1 of the Language submenu is the second language of the file: German.
    Window_Proc(PLAT_WM_COMMAND, KX_DSP_CMD_LANGUAGE + 1, 0);
    EXPECT_EQ(Language_Number(), 2);
    EXPECT_STREQ(Game_Message(0), "NEUES SPIEL");
    EXPECT_STREQ(Texts_Help_File(), "data\\help_de.txt");
    PLAT_MSG m;
    while (plat_message_peek(&m, 1)) {
    }
}
