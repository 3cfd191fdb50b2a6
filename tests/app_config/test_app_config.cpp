// The configuration start-up: the per-user and settings folders named after the title, the
// settings file moved from where older versions kept it, the first start from "Default.ini" or
// the set-up tools, unusable folders, and the saved language.
#include "app/app_config.h"

#include "kx/kx_io/kx_io.h"
#include "tests/kx_io/kx_io_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kxio_test;

namespace {

// A path as the game names it: backslashes.
std::string game_path(const fs::path &p)
{
    std::string s = p.string();
    for (char &c : s) c = c == '/' ? '\\' : c;
    return s;
}

// A set-up tool: a script that leaves a mark and ends with `status`.
void write_tool(const fs::path &p, int status)
{
    write_file(p, "#!/bin/sh\necho ran > " + p.filename().string() + ".ran\nexit " + std::to_string(status) + "\n");
    fs::permissions(p, fs::perms::owner_all);
}

class ConfigTest : public IoTest {
protected:
    void SetUp() override
    {
        IoTest::SetUp();
        ASSERT_EQ(start(), 1);
    }
};

} // namespace

TEST_F(ConfigTest, FirstStartCopiesDefaultIniIntoTheTitlesFolderAndStartsNoTool)
{
    write_file(dir / "Default.ini", "[Display]\nFullscreen=0\n");
    write_file(dir / "KXSetup.ini", "");
    write_tool(dir / "ScreenChooser.exe", 0);
    const fs::path folder = dir / "cfg" / "velt_ again_";
    EXPECT_EQ(Config_Start("game.ini", "Velt: Again?"), 1);
    EXPECT_EQ(read_file(folder / "game.ini"), "[Display]\nFullscreen=0\n");
    EXPECT_TRUE(fs::is_directory(dir / "xdg" / "Pellovar" / "Velt_ Again_"));
    EXPECT_FALSE(fs::exists(dir / "ScreenChooser.exe.ran"));
    // The next start finds the file and leaves it alone.
    kx_io_ini_set_int("Display", "Fullscreen", 1, kx_io_settings_path_get());
    EXPECT_EQ(Config_Start("game.ini", "Velt: Again?"), 1);
    EXPECT_EQ(read_file(folder / "game.ini"), "[Display]\nFullscreen=1\n");
}

TEST_F(ConfigTest, ASettingsFileOfAnOlderVersionMovesOnceAndIsNeverLost)
{
    const fs::path old_file = user_dir() / "game.ini", new_file = settings_dir() / "game.ini";
    struct Case {
        const char *what;
        const char *old_text, *new_text;   // null: no such file
        bool settings_folder_usable;
        const char *old_after, *new_after, *used;
    } cases[] = {
        {"moved", "[A]\nx=1\n", nullptr, true, nullptr, "[A]\nx=1\n", "new"},
        {"moved before: the old one stays as it is", "[A]\nx=1\n", "[A]\nx=2\n", true, "[A]\nx=1\n", "[A]\nx=2\n", "new"},
        {"no settings folder: used where it is", "[A]\nx=1\n", nullptr, false, "[A]\nx=1\n", nullptr, "old"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "cfg");
        fs::remove_all(dir / "xdg");
        fs::create_directories(user_dir());
        write_file(old_file, c.old_text);
        if (c.new_text) {
            fs::create_directories(settings_dir());
            write_file(new_file, c.new_text);
        }
        if (!c.settings_folder_usable) write_file(dir / "cfg", "not a folder");
        EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 1);
        EXPECT_EQ(fs::exists(old_file) ? read_file(old_file) : "<none>", c.old_after ? c.old_after : "<none>");
        EXPECT_EQ(fs::exists(new_file) ? read_file(new_file) : "<none>", c.new_after ? c.new_after : "<none>");
        EXPECT_EQ(kx_io_settings_path_get(), game_path(std::string(c.used) == "new" ? new_file : old_file));
    }
}

TEST_F(ConfigTest, WithoutDefaultTheSetUpToolsRunInOrder)
{
    // Each step adds a file; the tool it names wins over the ones before, with its exit status.
    struct {
        const char *file;
        int status;
    } steps[] = {{"KXConfig.ini", -1}, {"OptPanel.exe", 4}, {"OptionsPanel.exe", 5},
                 {"KXSetup.ini", -1},  {"ScrChoos.exe", 6}, {"ScreenChooser.exe", 7}};
    for (auto &s : steps) {
        if (s.status < 0) {
            write_file(dir / s.file, "");
            continue;
        }
        write_tool(dir / s.file, s.status);
        EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), s.status) << s.file;
        EXPECT_TRUE(fs::exists(dir / (std::string(s.file) + ".ran"))) << s.file;
    }
}

TEST_F(ConfigTest, UnusableFoldersSendFilesToTheCurrentDirectory)
{
    const char *home = std::getenv("HOME");
    const std::string saved_home = home ? home : "";
    for (bool no_home : {false, true}) {
        SCOPED_TRACE(no_home ? "no data or settings home at all" : "a plain file where the data folder goes");
        if (no_home) {
            setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
            setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
            unsetenv("HOME");
        } else {
            write_file(dir / "xdg" / "Pellovar", "not a folder");
        }
        const fs::path settings = no_home ? dir / "game.ini" : settings_dir() / "game.ini";
        fs::remove(settings);
        write_file(dir / "Default.ini", "[Application]\nLanguage=2\n");
        EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 1);
        if (!saved_home.empty()) setenv("HOME", saved_home.c_str(), 1);
        EXPECT_EQ(kx_io_user_folder_get(), nullptr);
        EXPECT_EQ(kx_io_settings_path_get(), no_home ? "game.ini" : game_path(settings));
        EXPECT_EQ(read_file(settings), "[Application]\nLanguage=2\n");
        int language = 0;
        EXPECT_EQ(Config_Language_Get(&language), 1);
        EXPECT_EQ(language, 2);
        ASSERT_EQ(kx_io_ini_set_int("Application", "Language", 4, kx_io_settings_path_get()), 1);
        EXPECT_EQ(read_file(settings), "[Application]\nLanguage=4\n");
    }
}

TEST_F(ConfigTest, LanguageIsFoundOnlyWhenTheKeyExists)
{
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 0);   // nothing to start from
    int language = -1;
    EXPECT_EQ(Config_Language_Get(&language), 0);
    EXPECT_EQ(language, -1);
    ASSERT_EQ(kx_io_ini_set_int("Display", "Fullscreen", 0, kx_io_settings_path_get()), 1);
    EXPECT_EQ(Config_Language_Get(&language), 0);
    ASSERT_EQ(kx_io_ini_set_int("Application", "Language", 0, kx_io_settings_path_get()), 1);
    EXPECT_EQ(Config_Language_Get(&language), 1);
    EXPECT_EQ(language, 0);
}
