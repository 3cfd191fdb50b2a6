// The pack writer: repeatable output with a key per entry, the stored names kept as given, the
// inputs it must refuse, and the word scrambling of the outside table. (Round trips through the
// reader in both forms are run through veltramondo-tool in test_vtool_pack.cpp.)
#include "kx_io_test_util.h"

#include <algorithm>
#include <random>

using namespace kxio_test;

namespace {

struct tree_file {
    std::string name;   // pack name, with backslashes
    std::string data;
};

std::vector<tree_file> sample_tree()
{
    std::mt19937 rng(7);
    std::string big(300 * 1024, '\0');
    for (char &c : big) c = static_cast<char>(rng());
    std::string binary;
    for (int i = 0; i < 256; i++) binary += static_cast<char>(i);
    return {
        {"Data\\Texts.txt", "[Application]\r\nTitle=Veltramondo\r\n"},
        {"data\\Levels\\Deep\\Level01.TXT", "level one\n"},
        {"empty.bin", ""},
        {"snd\\Big.raw", big},
        {"snd\\bytes.bin", binary},
        {"README", "no extension"},
    };
}

class PackTest : public IoTest {
protected:
    std::vector<tree_file> tree = sample_tree();
    std::vector<std::string> disk;

    std::vector<KX_IO_PACK_SOURCE> sources()
    {
        disk.clear();
        for (size_t i = 0; i < tree.size(); i++) {
            disk.push_back((dir / "src" / std::to_string(i)).string());
            write_file(disk.back(), tree[i].data);
        }
        std::vector<KX_IO_PACK_SOURCE> s;
        for (size_t i = 0; i < tree.size(); i++) s.push_back({tree[i].name.c_str(), "", disk[i].c_str()});
        return s;
    }
};

} // namespace

TEST_F(PackTest, OutputIsRepeatableAndKeysDiffer)
{
    std::vector<KX_IO_PACK_SOURCE> s = sources();
    char error[256];
    ASSERT_EQ(kx_io_pack_write("a.dat", KX_IO_PACK_OUTSIDE, s.data(), static_cast<uint32_t>(s.size()), error), 1);
    ASSERT_EQ(kx_io_pack_write("b.dat", KX_IO_PACK_OUTSIDE, s.data(), static_cast<uint32_t>(s.size()), error), 1);
    EXPECT_EQ(read_file(dir / "a.dat"), read_file(dir / "b.dat"));
    EXPECT_EQ(read_file(dir / "a.ROM"), read_file(dir / "b.ROM"));
    EXPECT_EQ(read_file(dir / "a.TOM"), read_file(dir / "b.TOM"));

    KX_IO_PACK_TOC toc;
    ASSERT_EQ(kx_io_pack_toc_read("a.dat", 0, &toc), 1);
    ASSERT_EQ(toc.count, tree.size());
    std::vector<uint8_t> keys;
    for (uint32_t i = 0; i < toc.count; i++) {
        EXPECT_EQ(std::string(toc.entries[i].name), tree[i].name);   // stored case kept
        EXPECT_STREQ(toc.entries[i].alt_name, "");
        EXPECT_EQ(toc.entries[i].size, tree[i].data.size());
        EXPECT_NE(toc.entries[i].key, 0);
        keys.push_back(toc.entries[i].key);
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_GT(std::unique(keys.begin(), keys.end()) - keys.begin(), 1);
    // The entry bytes on disk are scrambled: the plain text is nowhere in the pack.
    EXPECT_EQ(read_file(dir / "a.dat").find("Title=Veltramondo"), std::string::npos);
    kx_io_pack_toc_free(&toc);
}

TEST_F(PackTest, WriterRefusesWhatTheReaderCouldNotServe)
{
    std::vector<KX_IO_PACK_SOURCE> s = sources();
    char error[256];
    std::vector<KX_IO_PACK_SOURCE> twins = {s[0], s[1]};
    std::string upper = "DATA\\TEXTS.TXT";
    twins[1].name = upper.c_str();
    EXPECT_EQ(kx_io_pack_write("x.dat", KX_IO_PACK_INSIDE, twins.data(), 2, error), 0);
    EXPECT_NE(std::string(error).find("differ only in case"), std::string::npos);

    std::vector<KX_IO_PACK_SOURCE> slash = {s[0]};
    slash[0].name = "data/texts.txt";
    EXPECT_EQ(kx_io_pack_write("x.dat", KX_IO_PACK_INSIDE, slash.data(), 1, error), 0);

    std::vector<KX_IO_PACK_SOURCE> missing = {s[0]};
    missing[0].disk_path = "no/such/file";
    EXPECT_EQ(kx_io_pack_write("x.dat", KX_IO_PACK_INSIDE, missing.data(), 1, error), 0);
    EXPECT_EQ(kx_io_pack_write("x.dat", KX_IO_PACK_INSIDE, nullptr, 0, error), 0);
    EXPECT_FALSE(fs::exists(dir / "x.dat"));
    EXPECT_FALSE(fs::exists(dir / "x.dat.tmp"));
}

TEST_F(PackTest, ReplacingAPackLeavesTheOldOneUntilTheNewIsComplete)
{
    std::vector<KX_IO_PACK_SOURCE> s = sources();
    char error[256];
    ASSERT_EQ(kx_io_pack_write("p.dat", KX_IO_PACK_INSIDE, s.data(), 2, error), 1);
    std::string before = read_file(dir / "p.dat");
    std::vector<KX_IO_PACK_SOURCE> bad = {s[0], s[1]};
    bad[1].disk_path = "no/such/file";
    EXPECT_EQ(kx_io_pack_write("p.dat", KX_IO_PACK_INSIDE, bad.data(), 2, error), 0);
    EXPECT_EQ(read_file(dir / "p.dat"), before);
}

TEST(PackScramble, WordStepsUndoEachOtherAndLeaveTrailingBytes)
{
    std::vector<uint32_t> t(256);
    for (uint32_t i = 0; i < 256; i++) t[i] = i * 0x9E3779B9u ^ (i << 7);
    std::vector<uint8_t> plain(23);
    for (size_t i = 0; i < plain.size(); i++) plain[i] = static_cast<uint8_t>(i * 31 + 5);
    std::vector<uint8_t> data = plain;
    kx_io_pack_words_scramble(data.data(), static_cast<uint32_t>(data.size()), t.data());
    EXPECT_NE(data, plain);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 4, plain.begin()));   // state starts at 0
    EXPECT_TRUE(std::equal(data.begin() + 20, data.end(), plain.begin() + 20));
    kx_io_pack_words_descramble(data.data(), static_cast<uint32_t>(data.size()), t.data());
    EXPECT_EQ(data, plain);
}
