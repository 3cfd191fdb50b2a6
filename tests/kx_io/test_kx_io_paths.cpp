// Folders and whole files: where writes go (pack, override, per-user folder, current
// directory), the settings path, exists/copy/load/save/remove and running other programs.
#include "kx_io_test_util.h"

#include "kx/kx_mem/kx_mem.h"

using namespace kxio_test;

namespace {

// A folder as the game writes it: backslashes and a trailing one.
std::string game_folder(const fs::path &p)
{
    std::string s = p.string() + "\\";
    for (char &c : s) c = c == '/' ? '\\' : c;
    return s;
}

// The whole file through kx_io_load, "<null>" when it fails.
std::string load(const char *name)
{
    uint32_t size = 0;
    char *data = static_cast<char *>(kx_io_load(name, &size));
    if (!data) return "<null>";
    std::string s(data, size);
    kx_mem_free(data);
    return s;
}

} // namespace

TEST_F(IoTest, WriteFolderFollowsPackOverrideUserFolderAndCurrentDirectory)
{
    write_file(dir / "resource.dat", build_inside_pack({{"HIGHSCOR.ORI", "", "x", 1}}, 2));
    ASSERT_EQ(start("resource.dat"), 1);
    char out[KX_IO_PATH_MAX];
    EXPECT_EQ(kx_io_write_folder_get("data\\x.txt", out), 0);
    EXPECT_STREQ(out, "data\\x.txt");
    EXPECT_EQ(kx_io_write_folder_get("Warning.txt", out), 1);
    EXPECT_STREQ(out, "");                               // nothing set yet: current directory
    EXPECT_EQ(kx_io_write_folder_get("highscor.ori", out), 1);
    EXPECT_EQ(std::string(out), game_folder(dir));      // in the pack: the start-up directory

    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    EXPECT_EQ(kx_io_write_folder_get("Warning.txt", out), 1);
    EXPECT_EQ(std::string(out), game_folder(user_dir()));
    // The settings file alone goes where Linux keeps settings.
    EXPECT_EQ(std::string(kx_io_settings_path_get()), game_folder(settings_dir()) + "game.ini");
    stop();

    // The override takes the place of the per-user folder, also after shut-down.
    setenv("U3_APP_DATA_PATH", (dir / "override").c_str(), 1);
    fs::create_directories(dir / "override");
    ASSERT_EQ(start("resource.dat"), 1);
    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    const std::string over = game_folder(dir / "override");
    EXPECT_EQ(kx_io_write_folder_get("error.txt", out), 1);
    EXPECT_EQ(std::string(out), over);
    EXPECT_EQ(std::string(kx_io_settings_path_get()), over + "game.ini");
    ASSERT_EQ(kx_io_ini_set_int("System", "UsedHeap", 5, "game.ini"), 1);
    stop();
    EXPECT_EQ(std::string(kx_io_settings_path_get()), over + "game.ini");
    // Late writers (the memory statistics) still reach the same file.
    ASSERT_EQ(kx_io_ini_set_int("System", "FreeRAM", 6, kx_io_settings_path_get()), 1);
    EXPECT_EQ(read_file(dir / "override" / "game.ini"), "[System]\nUsedHeap=5\nFreeRAM=6\n");
}

TEST_F(IoTest, ExistsTellsPackFromDisk)
{
    write_file(dir / "resource.dat", build_inside_pack({{"BOTH.TXT", "", "p", 1}, {"PACK.TXT", "", "p", 1}}, 2));
    write_file(dir / "both.txt", "d");
    write_file(dir / "disk.txt", "d");
    ASSERT_EQ(start("resource.dat"), 1);
    EXPECT_EQ(kx_io_exists("pack.txt", KX_IO_WHERE_KX), 1);
    EXPECT_EQ(kx_io_exists("disk.txt", KX_IO_WHERE_KX), 2);
    EXPECT_EQ(kx_io_exists("both.txt", KX_IO_WHERE_KX), 1);
    EXPECT_EQ(kx_io_exists("both.txt", KX_IO_WHERE_KX | KX_IO_WHERE_DISK), 3);
    EXPECT_EQ(kx_io_exists("pack.txt", KX_IO_WHERE_DISK), 0);
    EXPECT_EQ(kx_io_exists("none.txt", 3), 0);
    EXPECT_EQ(kx_io_exists(nullptr, 3), 0);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(IoTest, LoadSaveCopyAndRemove)
{
    write_file(dir / "resource.dat", build_inside_pack({{"DATA\\HIGHSCOR.ORI", "", "table", 9}}, 2));
    ASSERT_EQ(start("resource.dat"), 1);
    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    // From the pack into the per-user folder.
    ASSERT_EQ(kx_io_copy("highscor.dat", "data\\highscor.ori", KX_IO_WHERE_KX), 1);
    EXPECT_EQ(read_file(user_dir() / "highscor.dat"), "table");
    EXPECT_EQ(kx_io_copy("x.dat", "data\\highscor.ori", KX_IO_WHERE_DISK), 0);
    EXPECT_EQ(load("highscor.dat"), "table");
    EXPECT_EQ(load("data\\highscor.ori"), "table");
    EXPECT_EQ(load("missing"), "<null>");
    ASSERT_EQ(kx_io_save("snap.bin", "\0\1\2", 3), 1);
    EXPECT_EQ(read_file(user_dir() / "snap.bin"), std::string("\0\1\2", 3));
    write_file(dir / "empty.bin", "");
    EXPECT_EQ(load("empty.bin"), "");

    EXPECT_EQ(kx_io_remove("snap.bin"), 0);
    EXPECT_FALSE(fs::exists(user_dir() / "snap.bin"));
    EXPECT_EQ(kx_io_remove("data\\highscor.ori"), 0);   // a pack entry stays
    EXPECT_EQ(kx_io_exists("data\\highscor.ori", KX_IO_WHERE_KX), 1);
    EXPECT_NE(kx_io_remove("snap.bin"), 0);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(IoTest, RunWaitReturnsTheExitStatusAndRunsInTheProgramsFolder)
{
    ASSERT_EQ(start(), 1);
    write_file(dir / "tools" / "setup.exe", "#!/bin/sh\npwd > ran.txt\necho \"$#\" >> ran.txt\nexit 7\n");
    write_file(dir / "quick.exe", "#!/bin/sh\nexit 0\n");
    fs::permissions(dir / "tools" / "setup.exe", fs::perms::owner_all);
    fs::permissions(dir / "quick.exe", fs::perms::owner_all);
    EXPECT_EQ(kx_io_run_wait("tools\\setup.exe"), 7);
    // Run in its own folder, with no arguments beyond its own name.
    EXPECT_EQ(read_file(dir / "tools" / "ran.txt"), (dir / "tools").string() + "\n0\n");
    EXPECT_EQ(fs::current_path(), dir);
    EXPECT_EQ(kx_io_run_wait("tools\\missing.exe"), -1);
    EXPECT_EQ(kx_io_run("quick.exe"), 0);
}

TEST(IoTitle, ForbiddenCharactersBecomeUnderscores)
{
    char out[64];
    for (auto [title, folder] : {std::pair{"Velt: What?", "Velt_ What_"}, {"a\"b&c'd*e\\f`g/h", "a_b_c_d_e_f_g_h"}}) {
        kx_io_title_to_folder(title, out, sizeof out);
        EXPECT_STREQ(out, folder);
    }
    kx_io_title_to_folder("long title", out, 5);
    EXPECT_STREQ(out, "long");
}
