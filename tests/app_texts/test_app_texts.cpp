// Message, credit, language and help file readers: the limits with their exact messages, lines
// that are skipped, long lines, the language list's fallbacks, and the About box's formats.
#include "tests/app_texts/app_texts_fixture.h"

#include "app/app_help.h"
#include "app/app_language.h"
#include "app/app_texts.h"
#include "game/game_text.h"

#include <cstdio>

std::vector<std::string> alerts;


namespace {

std::string hash_lines(int n, const char *prefix = "#M")
{
    std::string s;
    for (int i = 0; i < n; i++) s += prefix + std::to_string(i) + "\r\n";
    return s;
}

} // namespace

TEST_F(TextsTest, MessageAndCreditFilesLoadUpToTheirLimitsOrStopTheGame)
{
    struct {
        int (*load)(const char *);
        int lines;   // -1: no file
        int ok;
        const char *error;
    } cases[] = {
        {Load_Game_Messages, -1, 0, "Cant open messages.txt file"},
        {Load_Credits, -1, 0, "Cant open credits.txt file"},
        {Load_Game_Messages, GAME_MESSAGES_MAX + 1, 0, "Too many game messages !!"},
        {Load_Game_Messages, GAME_MESSAGES_MAX, 1, ""},
        {Load_Credits, 149, 1, ""},
        {Load_Credits, 150, 0, "Too many credits messages !!"},
    };
    for (auto &c : cases) {
        game_errors_capture();
        std::string f = c.lines < 0 ? (dir / "none.txt").string() : write("t.txt", hash_lines(c.lines));
        EXPECT_EQ(c.load(f.c_str()), c.ok) << c.lines;
        EXPECT_EQ(game_error_last(), c.error) << c.lines;
    }
    // A refused file leaves nothing half loaded.
    EXPECT_EQ(Game_Credits_Count(), 0);
    EXPECT_EQ(std::string(Game_Message(GAME_MESSAGES_MAX - 1)), "M" + std::to_string(GAME_MESSAGES_MAX - 1));
    Texts_Free();
}

TEST_F(TextsTest, OnlyHashLinesAreTextsWhateverTheLineEnds)
{
    std::string longer(1500, 'x');
    struct {
        std::string file;
        std::vector<std::string> texts;
    } cases[] = {
        {"; comment\r\n\r\n#NEW GAME\r\n # not one\r\n#\r\n#END", {"NEW GAME", "", "END"}},
        {"#A\n#B\r#C\n\r#D", {"A", "B", "C", "D"}},
        // The tail of an overlong line never becomes a text, even when it holds a '#'.
        {"#" + longer + "#tail\r\n#next\r\n", {std::string(998, 'x'), "next"}},
        {"#" + std::string(998, 'y') + "\r\n#after\r\n", {std::string(998, 'y'), "after"}},
        {"", {}},
    };
    for (auto &c : cases) {
        std::string f = write("m.txt", c.file);
        ASSERT_EQ(Load_Game_Messages(f.c_str()), 1);
        ASSERT_EQ(Game_Messages_Count(), static_cast<int>(c.texts.size())) << c.file.substr(0, 40);
        for (size_t i = 0; i < c.texts.size(); i++) EXPECT_EQ(Game_Message(static_cast<int>(i)), c.texts[i]) << i;
    }
    Texts_Free();
}

TEST_F(TextsTest, LanguageListFallbacks)
{
    const std::string head = "[Languages]\r\n";
    const std::string entries = "Language_01=One\r\nLanguage_02=Two\r\nLanguage_03=Three\r\n"
                                "[One]\r\nName=Uno\r\nAbbreviation=U1\r\nNumber=11\r\n"
                                "[Two]\r\nAbbreviation=U2\r\nNumber=22\r\nCharacters=2\r\n"
                                "[Three]\r\nName=Tres\r\nAbbreviation=U3\r\nNumber=33\r\n";
    struct {
        std::string keys;
        int count;      // -1: no list
        int current;    // number of the current language
        int alerts;
    } cases[] = {
        {"Included_01=1\r\n", -1, 0, 0},
        {"NumLanguages=0\r\nIncluded_01=1\r\n", -1, 0, 0},
        {"NumLanguages=100\r\nIncluded_01=1\r\n", -1, 0, 0},
        {"NbLanguages=3\r\nIncluded_02=1\r\nIncluded_03=1\r\n", 3, 22, 0},
        // "Default" names an entry that is not included: the first included one is current.
        {"NumLanguages=3\r\nDefault=1\r\nIncluded_02=1\r\nIncluded_03=1\r\n", 3, 22, 0},
        {"NumLanguages=3\r\nDefault=3\r\nIncluded_01=1\r\nIncluded_03=1\r\n", 3, 33, 0},
        // An included entry without its name is reported and left empty.
        {"NumLanguages=4\r\nIncluded_04=1\r\nIncluded_01=1\r\n", 4, 11, 1},
    };
    for (auto &c : cases) {
        alerts.clear();
        std::string f = write("lang.txt", head + c.keys + entries);
        KX_LANG_LIST *list = kx_lang_load(f.c_str());
        EXPECT_EQ(list ? list->count : -1, c.count) << c.keys;
        EXPECT_EQ(static_cast<int>(alerts.size()), c.alerts) << c.keys;
        if (!list) continue;
        EXPECT_EQ(list->languages[list->current]->number, c.current) << c.keys;
        if (c.alerts) {
            EXPECT_EQ(alerts[0], "Sorry, I can't find language Language_04 in " + f);
        }
        kx_lang_free(list);
    }
    std::string f = write("lang.txt", head + "NumLanguages=2\r\nIncluded_01=1\r\nIncluded_02=1\r\n" + entries);
    KX_LANG_LIST *list = kx_lang_load(f.c_str());
    ASSERT_NE(list, nullptr);
    // Name replaces the section name; Characters defaults to 1.
    EXPECT_STREQ(list->languages[0]->name, "Uno");
    EXPECT_STREQ(list->languages[1]->name, "Two");
    EXPECT_EQ(list->languages[0]->characters, 1);
    EXPECT_EQ(list->languages[1]->characters, 2);
    EXPECT_EQ(kx_lang_select(list, 22), 1);
    EXPECT_EQ(list->current, 1);
    EXPECT_EQ(kx_lang_select(list, 33), 0);
    EXPECT_EQ(list->current, 1);
    kx_lang_free(list);
}

TEST_F(TextsTest, HelpFileLinesInOrderAndNoMoreThanItHolds)
{
    std::string help = "[Help]\r\nBackground=gfx\\b.png\r\nFont=font\\h.fnt\r\nText_X=12\r\nText_Y=34\r\nTimeout=700\r\n"
                       "[Text]\r\nNumberOfLines=%d\r\nText=first\r\nText=\r\nText=third line\r\n[Other]\r\nText=not this\r\n";
    struct {
        int declared;
        std::vector<std::string> lines;
    } cases[] = {
        {2, {"first", ""}},
        {3, {"first", "", "third line"}},
        // Fewer lines than declared: the ones there are, never the first one again.
        {5, {"first", "", "third line"}},
        {-4, {}},
    };
    for (auto &c : cases) {
        char text[400];
        std::snprintf(text, sizeof text, help.c_str(), c.declared);
        std::string f = write("help.txt", text);
        HELP_FILE h;
        ASSERT_EQ(Help_File_Read(f.c_str(), &h), 1);
        EXPECT_EQ(h.declared, c.declared);
        ASSERT_EQ(h.count, static_cast<int>(c.lines.size())) << c.declared;
        for (int i = 0; i < h.count; i++) EXPECT_EQ(h.lines[i], c.lines[i]) << i;
        EXPECT_EQ(std::string(h.background) + " " + h.font, "gfx\\b.png font\\h.fnt");
        EXPECT_EQ((std::vector<int>{h.x, h.y, h.timeout}), (std::vector<int>{12, 34, 700}));
        Help_File_Free(&h);
    }
    HELP_FILE h;
    EXPECT_EQ(Help_File_Read((dir / "none.txt").c_str(), &h), 0);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(TextsTest, AboutFormatsTakeOneValue)
{
    struct {
        const char *format;
        const char *out;
    } cases[] = {
        {"About %s", "About Veltramondo"},
        {"%d KB", "Veltramondo KB"},
        {"%s and %s", "Veltramondo and %s"},
        {"100%% %lu", "100% Veltramondo"},
        {"%n%n%s", "Veltramondo%n%s"},
        {"ends in %", "ends in %"},
        {"", ""},
    };
    for (auto &c : cases) {
        char out[64];
        About_Format(out, sizeof out, c.format, "Veltramondo");
        EXPECT_STREQ(out, c.out) << c.format;
    }
    char small[8];
    About_Format(small, sizeof small, "About %s", "Veltramondo");
    EXPECT_STREQ(small, "About V");
}
