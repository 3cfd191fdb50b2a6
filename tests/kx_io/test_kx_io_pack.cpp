// The pack writer: repeatable output with a key per entry, the stored names kept as given, and
// the inputs it must refuse. (Round trips through the reader in both forms are run through
// veltramondo-tool in test_vtool_pack.cpp.)
#include "kx_io_test_util.h"

#include <set>

using namespace kxio_test;

namespace {

class PackTest : public IoTest {
protected:
    const std::vector<std::pair<std::string, std::string>> tree = {
        {"Data\\Texts.txt", "[Application]\r\nTitle=Veltramondo\r\n"},
        {"data\\Levels\\Deep\\Level01.TXT", "level one\n"},
        {"empty.bin", ""},
        {"snd\\bytes.bin", std::string("\0\1\2\3\xFE\xFF", 6)},
        {"README", "no extension"},
    };
    std::vector<std::string> disk;
    std::vector<KX_IO_PACK_SOURCE> s;
    char error[256] = "";

    void SetUp() override
    {
        IoTest::SetUp();
        for (size_t i = 0; i < tree.size(); i++) {
            disk.push_back((dir / "src" / std::to_string(i)).string());
            write_file(disk.back(), tree[i].second);
        }
        for (size_t i = 0; i < tree.size(); i++) s.push_back({tree[i].first.c_str(), "", disk[i].c_str()});
    }

    int write(const char *name, uint32_t form, std::vector<KX_IO_PACK_SOURCE> sources)
    {
        return kx_io_pack_write(name, form, sources.data(), uint32_t(sources.size()), error);
    }
};

} // namespace

TEST_F(PackTest, OutputIsRepeatableAndKeysDiffer)
{
    ASSERT_EQ(write("a.dat", KX_IO_PACK_OUTSIDE, s), 1);
    ASSERT_EQ(write("b.dat", KX_IO_PACK_OUTSIDE, s), 1);
    for (const char *ext : {".dat", ".ROM", ".TOM"})
        EXPECT_EQ(read_file(dir / ("a" + std::string(ext))), read_file(dir / ("b" + std::string(ext)))) << ext;

    KX_IO_PACK_TOC toc;
    ASSERT_EQ(kx_io_pack_toc_read("a.dat", 0, &toc), 1);
    ASSERT_EQ(toc.count, tree.size());
    std::set<uint8_t> keys;
    for (uint32_t i = 0; i < toc.count; i++) {
        EXPECT_EQ(std::string(toc.entries[i].name), tree[i].first);   // stored case kept
        EXPECT_EQ(toc.entries[i].size, tree[i].second.size());
        EXPECT_NE(toc.entries[i].key, 0);
        keys.insert(toc.entries[i].key);
    }
    EXPECT_GT(keys.size(), 1u);
    // The entry bytes on disk are scrambled: the plain text is nowhere in the pack.
    EXPECT_EQ(read_file(dir / "a.dat").find("Title=Veltramondo"), std::string::npos);
    kx_io_pack_toc_free(&toc);
}

TEST_F(PackTest, WriterRefusesWhatTheReaderCouldNotServe)
{
    std::vector<KX_IO_PACK_SOURCE> twins = {s[0], s[0]}, slash = {s[0]}, missing = {s[0]};
    twins[1].name = "DATA\\TEXTS.TXT";
    EXPECT_EQ(write("x.dat", KX_IO_PACK_INSIDE, twins), 0);
    EXPECT_NE(std::string(error).find("differ only in case"), std::string::npos);
    slash[0].name = "data/texts.txt";
    EXPECT_EQ(write("x.dat", KX_IO_PACK_INSIDE, slash), 0);
    missing[0].disk_path = "no/such/file";
    EXPECT_EQ(write("x.dat", KX_IO_PACK_INSIDE, missing), 0);
    EXPECT_EQ(kx_io_pack_write("x.dat", KX_IO_PACK_INSIDE, nullptr, 0, error), 0);
    EXPECT_FALSE(fs::exists(dir / "x.dat"));
    EXPECT_FALSE(fs::exists(dir / "x.dat.tmp"));

    // A failed rewrite leaves the old pack as it was.
    ASSERT_EQ(write("p.dat", KX_IO_PACK_INSIDE, {s[0], s[1]}), 1);
    std::string before = read_file(dir / "p.dat");
    EXPECT_EQ(write("p.dat", KX_IO_PACK_INSIDE, {s[0], missing[0]}), 0);
    EXPECT_EQ(read_file(dir / "p.dat"), before);
}
