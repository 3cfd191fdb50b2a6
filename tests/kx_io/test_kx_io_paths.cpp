// Folders and whole files: where writes go (pack, override, per-user folder, current
// directory), the settings path, exists/copy/load/save/remove and running other programs.
#include "kx_io_test_util.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>

using namespace kxio_test;

namespace {

std::string game_form(const fs::path &p)
{
    std::string s = p.string();
    for (char &c : s)
        if (c == '/') c = '\\';
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
    EXPECT_EQ(std::string(out), game_form(dir) + "\\");  // in the pack: the start-up directory

    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    const std::string user = game_form(dir / "xdg" / "Pellovar" / "Veltramondo") + "\\";
    EXPECT_EQ(kx_io_write_folder_get("Warning.txt", out), 1);
    EXPECT_EQ(std::string(out), user);
    EXPECT_EQ(std::string(kx_io_settings_path_get()), user + "game.ini");
    kx_io_deinit();
    started = false;

    // The override takes the place of the per-user folder, also after shut-down.
    setenv("U3_APP_DATA_PATH", (dir / "override").c_str(), 1);
    fs::create_directories(dir / "override");
    ASSERT_EQ(start("resource.dat"), 1);
    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    const std::string over = game_form(dir / "override") + "\\";
    EXPECT_EQ(kx_io_write_folder_get("error.txt", out), 1);
    EXPECT_EQ(std::string(out), over);
    EXPECT_EQ(std::string(kx_io_settings_path_get()), over + "game.ini");
    ASSERT_EQ(kx_io_ini_set_int("System", "UsedHeap", 5, "game.ini"), 1);
    EXPECT_TRUE(fs::exists(dir / "override" / "game.ini"));
    kx_io_deinit();
    started = false;
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
    const fs::path user = dir / "xdg" / "Pellovar" / "Veltramondo";

    // From the pack into the per-user folder.
    ASSERT_EQ(kx_io_copy("highscor.dat", "data\\highscor.ori", KX_IO_WHERE_KX), 1);
    EXPECT_EQ(read_file(user / "highscor.dat"), "table");
    EXPECT_EQ(kx_io_copy("x.dat", "data\\highscor.ori", KX_IO_WHERE_DISK), 0);

    uint32_t size = 0;
    char *data = static_cast<char *>(kx_io_load("highscor.dat", &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, size), "table");
    kx_mem_free(data);
    data = static_cast<char *>(kx_io_load("data\\highscor.ori", &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, size), "table");
    kx_mem_free(data);
    EXPECT_EQ(kx_io_load("missing", &size), nullptr);

    ASSERT_EQ(kx_io_save("snap.bin", "\0\1\2", 3), 1);
    EXPECT_EQ(read_file(user / "snap.bin"), std::string("\0\1\2", 3));
    write_file(dir / "empty.bin", "");
    data = static_cast<char *>(kx_io_load("empty.bin", &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 0u);
    kx_mem_free(data);

    EXPECT_EQ(kx_io_remove("snap.bin"), 0);
    EXPECT_FALSE(fs::exists(user / "snap.bin"));
    EXPECT_EQ(kx_io_remove("data\\highscor.ori"), 0);   // a pack entry stays
    EXPECT_EQ(kx_io_exists("data\\highscor.ori", KX_IO_WHERE_KX), 1);
    EXPECT_NE(kx_io_remove("snap.bin"), 0);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(IoTest, RunWaitReturnsTheExitStatusAndRunsInTheProgramsFolder)
{
    ASSERT_EQ(start(), 1);
    write_file(dir / "tools" / "setup.exe", "#!/bin/sh\npwd > ran.txt\necho \"$#\" >> ran.txt\nexit 7\n");
    fs::permissions(dir / "tools" / "setup.exe", fs::perms::owner_all);
    EXPECT_EQ(kx_io_run_wait("tools\\setup.exe"), 7);
    std::string ran = read_file(dir / "tools" / "ran.txt");
    EXPECT_EQ(ran, (dir / "tools").string() + "\n0\n");   // no arguments beyond its own name
    EXPECT_EQ(fs::current_path(), dir);
    EXPECT_EQ(kx_io_run_wait("tools\\missing.exe"), -1);

    write_file(dir / "quick.exe", "#!/bin/sh\nexit 0\n");
    fs::permissions(dir / "quick.exe", fs::perms::owner_all);
    EXPECT_EQ(kx_io_run("quick.exe"), 0);
}

TEST(IoTitle, ForbiddenCharactersBecomeUnderscores)
{
    char out[64];
    kx_io_title_to_folder("Velt: What?", out, sizeof out);
    EXPECT_STREQ(out, "Velt_ What_");
    kx_io_title_to_folder("a\"b&c'd*e\\f`g/h", out, sizeof out);
    EXPECT_STREQ(out, "a_b_c_d_e_f_g_h");
    kx_io_title_to_folder("long title", out, 5);
    EXPECT_STREQ(out, "long");
}
