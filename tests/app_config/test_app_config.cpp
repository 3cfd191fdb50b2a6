// The configuration start-up: the per-user folder named after the title, the first start from
// "Default.ini" or the set-up tools, unusable per-user folders, and the saved language.
#include "app/app_config.h"

#include "kx/kx_io/kx_io.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

void write_file(const fs::path &p, const std::string &bytes)
{
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string read_file(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A set-up tool: a script that leaves a mark and ends with `status`.
void write_tool(const fs::path &p, int status)
{
    write_file(p, "#!/bin/sh\necho ran > " + p.filename().string() + ".ran\nexit " + std::to_string(status) + "\n");
    fs::permissions(p, fs::perms::owner_all);
}

class ConfigTest : public ::testing::Test {
protected:
    fs::path dir, old_cwd;
    KX_IO_SETTINGS settings{0, 0, nullptr, nullptr};

    void SetUp() override
    {
        old_cwd = fs::current_path();
        std::string tmpl = (fs::temp_directory_path() / "appcfg_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        fs::current_path(dir);
        unsetenv("U3_APP_DATA_PATH");
        setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        ASSERT_EQ(kx_io_init(&settings), 1);
    }

    void TearDown() override
    {
        kx_io_deinit();
        fs::current_path(old_cwd);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    fs::path user(const char *folder = "Veltramondo") { return dir / "xdg" / "Pellovar" / folder; }
};

} // namespace

TEST_F(ConfigTest, SystemCheckPasses)
{
    EXPECT_EQ(Config_System_Check(), 1);
}

TEST_F(ConfigTest, TitleWithColonAndQuestionMarkNamesTheFolder)
{
    EXPECT_EQ(Config_Start("game.ini", "Velt: Again?"), 0);   // nothing to start from
    EXPECT_TRUE(fs::is_directory(user("Velt_ Again_")));
    std::string expected = (dir / "xdg" / "Pellovar" / "Velt_ Again_" / "game.ini").string();
    for (char &c : expected)
        if (c == '/') c = '\\';
    EXPECT_EQ(std::string(kx_io_settings_path_get()), expected);
}

TEST_F(ConfigTest, FirstStartCopiesDefaultIniAndStartsNoTool)
{
    write_file(dir / "Default.ini", "[Display]\nFullscreen=0\n");
    write_file(dir / "KXSetup.ini", "");
    write_tool(dir / "ScreenChooser.exe", 0);
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 1);
    EXPECT_EQ(read_file(user() / "game.ini"), "[Display]\nFullscreen=0\n");
    EXPECT_FALSE(fs::exists(dir / "ScreenChooser.exe.ran"));
    // The next start finds the file and leaves it alone.
    kx_io_ini_set_int("Display", "Fullscreen", 1, "game.ini");
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 1);
    EXPECT_EQ(read_file(user() / "game.ini"), "[Display]\nFullscreen=1\n");
}

TEST_F(ConfigTest, WithoutDefaultTheSetUpToolsRunInOrder)
{
    write_file(dir / "KXConfig.ini", "");
    write_tool(dir / "OptPanel.exe", 4);
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 4);
    EXPECT_TRUE(fs::exists(dir / "OptPanel.exe.ran"));
    write_tool(dir / "OptionsPanel.exe", 5);
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 5);

    write_file(dir / "KXSetup.ini", "");
    write_tool(dir / "ScrChoos.exe", 6);
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 6);
    write_tool(dir / "ScreenChooser.exe", 7);
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 7);
    EXPECT_TRUE(fs::exists(dir / "ScreenChooser.exe.ran"));
}

TEST_F(ConfigTest, UnusablePerUserFolderSendsFilesToTheCurrentDirectory)
{
    // "Pellovar" is taken by a plain file, so the folder cannot be made.
    write_file(dir / "xdg" / "Pellovar", "not a folder");
    write_file(dir / "Default.ini", "[Application]\nLanguage=2\n");
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 1);
    EXPECT_EQ(kx_io_user_folder_get(), nullptr);
    EXPECT_STREQ(kx_io_settings_path_get(), "game.ini");
    EXPECT_EQ(read_file(dir / "game.ini"), "[Application]\nLanguage=2\n");
    int language = 0;
    EXPECT_EQ(Config_Language_Get(&language), 1);
    EXPECT_EQ(language, 2);
    ASSERT_EQ(kx_io_ini_set_int("Application", "Language", 4, kx_io_settings_path_get()), 1);
    EXPECT_EQ(read_file(dir / "game.ini"), "[Application]\nLanguage=4\n");
}

TEST_F(ConfigTest, NoDataHomeAtAll)
{
    setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    const char *home = std::getenv("HOME");
    std::string saved = home ? home : "";
    unsetenv("HOME");
    EXPECT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 0);
    if (!saved.empty()) setenv("HOME", saved.c_str(), 1);
    EXPECT_EQ(kx_io_user_folder_get(), nullptr);
    EXPECT_STREQ(kx_io_settings_path_get(), "game.ini");
}

TEST_F(ConfigTest, LanguageIsFoundOnlyWhenTheKeyExists)
{
    EXPECT_EQ(Config_Start("game.ini", "Veltramondo"), 0);
    int language = -1;
    EXPECT_EQ(Config_Language_Get(&language), 0);
    EXPECT_EQ(language, -1);
    ASSERT_EQ(kx_io_ini_set_int("Display", "Fullscreen", 0, "game.ini"), 1);
    EXPECT_EQ(Config_Language_Get(&language), 0);
    ASSERT_EQ(kx_io_ini_set_int("Application", "Language", 0, "game.ini"), 1);
    EXPECT_EQ(Config_Language_Get(&language), 1);
    EXPECT_EQ(language, 0);
}
