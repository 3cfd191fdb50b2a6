// The configuration start-up: the per-user folder named after the title, the first start from
// "Default.ini" or the set-up tools, unusable per-user folders, and the saved language.
#include "app/app_config.h"

#include "kx/kx_io/kx_io.h"
#include "tests/kx_io/kx_io_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kxio_test;

namespace {

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
    const fs::path folder = dir / "xdg" / "Pellovar" / "Velt_ Again_";
    EXPECT_EQ(Config_Start("game.ini", "Velt: Again?"), 1);
    EXPECT_EQ(read_file(folder / "game.ini"), "[Display]\nFullscreen=0\n");
    EXPECT_FALSE(fs::exists(dir / "ScreenChooser.exe.ran"));
    // The next start finds the file and leaves it alone.
    kx_io_ini_set_int("Display", "Fullscreen", 1, "game.ini");
    EXPECT_EQ(Config_Start("game.ini", "Velt: Again?"), 1);
    EXPECT_EQ(read_file(folder / "game.ini"), "[Display]\nFullscreen=1\n");
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

TEST_F(ConfigTest, UnusablePerUserFolderSendsFilesToTheCurrentDirectory)
{
    const char *home = std::getenv("HOME");
    const std::string saved_home = home ? home : "";
    for (bool no_home : {false, true}) {
        SCOPED_TRACE(no_home ? "no data home at all" : "a plain file where the folder goes");
        if (no_home) {
            setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
            unsetenv("HOME");
        } else {
            write_file(dir / "xdg" / "Pellovar", "not a folder");
        }
        fs::remove(dir / "game.ini");
        write_file(dir / "Default.ini", "[Application]\nLanguage=2\n");
        EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 1);
        if (!saved_home.empty()) setenv("HOME", saved_home.c_str(), 1);
        EXPECT_EQ(kx_io_user_folder_get(), nullptr);
        EXPECT_STREQ(kx_io_settings_path_get(), "game.ini");
        EXPECT_EQ(read_file(dir / "game.ini"), "[Application]\nLanguage=2\n");
        int language = 0;
        EXPECT_EQ(Config_Language_Get(&language), 1);
        EXPECT_EQ(language, 2);
        ASSERT_EQ(kx_io_ini_set_int("Application", "Language", 4, kx_io_settings_path_get()), 1);
        EXPECT_EQ(read_file(dir / "game.ini"), "[Application]\nLanguage=4\n");
    }
}

TEST_F(ConfigTest, LanguageIsFoundOnlyWhenTheKeyExists)
{
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 0);   // nothing to start from
    int language = -1;
    EXPECT_EQ(Config_Language_Get(&language), 0);
    EXPECT_EQ(language, -1);
    ASSERT_EQ(kx_io_ini_set_int("Display", "Fullscreen", 0, "game.ini"), 1);
    EXPECT_EQ(Config_Language_Get(&language), 0);
    ASSERT_EQ(kx_io_ini_set_int("Application", "Language", 0, "game.ini"), 1);
    EXPECT_EQ(Config_Language_Get(&language), 1);
    EXPECT_EQ(language, 0);
}
