// veltramondo-tool pack, list, unpack, cat and ini, run as a modder runs them: round trips on a
// generated tree, any case of a name, damaged packs and string-file keys.
#include "kx_io_test_util.h"

#include <cctype>
#include <map>
#include <random>
#include <sys/wait.h>

using namespace kxio_test;

namespace {

struct run_result {
    int status;   // exit status, or -1 when the tool did not exit normally
    std::string out, err;
};

class ToolTest : public IoTest {
protected:
    run_result tool(const std::string &args)
    {
        std::string cmd = std::string("'") + VTOOL_PATH + "' " + args + " >'" + (dir / "out.txt").string() + "' 2>'" +
                          (dir / "err.txt").string() + "'";
        int rc = std::system(cmd.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, read_file(dir / "out.txt"), read_file(dir / "err.txt")};
    }

    // Nested folders, mixed case, an empty file and a 10 MB one.
    std::map<std::string, std::string> make_tree(const fs::path &root)
    {
        std::mt19937 rng(11);
        std::string big(10 * 1024 * 1024, '\0');
        for (char &c : big) c = char(rng());
        std::map<std::string, std::string> files = {
            {"Data/Texts.txt", "[Application]\r\nTitle=Veltramondo\r\nINIFile=game.ini\r\n"},
            {"data/levels/Deep/Er/LEVEL01.txt", "level\n"},
            {"Empty.BIN", ""},
            {"snd/music/Big.raw", big},
            {"MiXeD.CaSe", "mixed"},
        };
        for (const auto &[name, data] : files) write_file(root / name, data);
        return files;
    }
};

} // namespace

TEST_F(ToolTest, PackUnpackAndCatRoundTripInBothForms)
{
    auto files = make_tree(dir / "tree");
    for (std::string form : {"babe", "cdce"}) {
        SCOPED_TRACE(form);
        run_result r = tool("pack tree game.dat --form " + form);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string first = read_file(dir / "game.dat");
        ASSERT_EQ(tool("pack tree game.dat --form " + form).status, 0);
        EXPECT_EQ(read_file(dir / "game.dat"), first);   // repeatable byte for byte

        r = tool("list game.dat");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("Data\\Texts.txt\t\t" + std::to_string(files["Data/Texts.txt"].size()) + "\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("snd\\music\\Big.raw\t\t10485760\n"), std::string::npos);

        fs::remove_all(dir / "back");
        r = tool("unpack game.dat back");
        ASSERT_EQ(r.status, 0) << r.err;
        size_t count = 0;
        for (const auto &e : fs::recursive_directory_iterator(dir / "back")) count += e.is_regular_file();
        EXPECT_EQ(count, files.size());
        for (const auto &[name, data] : files) {
            EXPECT_EQ(read_file(dir / "back" / name), data) << name;
            std::string asked = name, flipped;
            for (char &c : asked) c = c == '/' ? '\\' : c;
            for (char c : asked) flipped += char(std::isupper(uint8_t(c)) ? std::tolower(c) : std::toupper(c));
            for (const std::string &n : {asked, flipped}) {
                r = tool("cat game.dat '" + n + "'");
                EXPECT_EQ(r.status, 0) << n << r.err;
                EXPECT_TRUE(r.out == data) << n;
            }
        }
        r = tool("cat game.dat 'data\\none.txt'");
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find("not found"), std::string::npos);
    }
}

TEST_F(ToolTest, PackJoinsFoldersAndRefusesANameInTwo)
{
    write_file(dir / "a" / "data" / "one.txt", "1");
    write_file(dir / "b" / "level" / "two.dem", "2");
    run_result r = tool("pack a b game.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tool("cat game.dat 'level\\two.dem'").out, "2");
    EXPECT_EQ(tool("cat game.dat 'data\\one.txt'").out, "1");
    write_file(dir / "b" / "DATA" / "One.txt", "other");
    r = tool("pack a b game.dat");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is in two of the folders"), std::string::npos) << r.err;
}

TEST_F(ToolTest, DamagedPacksAndUnsafeNamesGiveAMessageNotACrash)
{
    make_tree(dir / "tree");
    ASSERT_EQ(tool("pack tree game.dat").status, 0);
    const std::string good = read_file(dir / "game.dat");
    for (size_t cut : {good.size() - 1, good.size() - 13, size_t{8}, size_t{0}}) {
        write_file(dir / "bad.dat", good.substr(0, cut));
        for (const char *cmd : {"list bad.dat", "unpack bad.dat out", "cat bad.dat x"}) {
            run_result r = tool(cmd);
            EXPECT_GT(r.status, 0) << cmd << " cut " << cut;
            EXPECT_NE(r.err.find("damaged pack"), std::string::npos) << cmd << r.err;
        }
    }
    run_result r = tool("list nothere.dat");
    EXPECT_GT(r.status, 0);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos);
    EXPECT_EQ(tool("pack nothere x.dat").status, 1);
    EXPECT_EQ(tool("pack").status, 2);

    write_file(dir / "evil.dat", build_inside_pack({{"..\\escape.txt", "", "x", 3}, {"ok\\fine.txt", "", "y", 4}}, 5));
    r = tool("unpack evil.dat out");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unsafe entry name"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "escape.txt"));
    EXPECT_EQ(read_file(dir / "out" / "ok" / "fine.txt"), "y");
}

TEST_F(ToolTest, IniGetAndSet)
{
    write_file(dir / "conf" / "game.ini", "[Display]\nFullscreen=0\n\n[Sound]\nVolume=50\n");
    EXPECT_EQ(tool("ini set conf/game.ini Display Fullscreen 1").status, 0);
    EXPECT_EQ(tool("ini set conf/game.ini Display Resolution 640x480x16").status, 0);
    EXPECT_EQ(read_file(dir / "conf" / "game.ini"),
              "[Display]\nFullscreen=1\nResolution=640x480x16\n\n[Sound]\nVolume=50\n");
    run_result r = tool("ini get conf/game.ini Sound Volume");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "50\n");
    r = tool("ini get conf/game.ini Sound Missing");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't find the key in the string file"), std::string::npos);
    write_file(dir / "plain.ini", "[A]\nB=c d\n");
    EXPECT_EQ(tool("ini get plain.ini A B").out, "c d\n");
}
