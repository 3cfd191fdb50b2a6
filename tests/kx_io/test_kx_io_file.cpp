// File handles: lookups in the pack, reading pack entries, disk and memory files alike, bounds
// of an entry, refused writes, damaged packs and the report of handles left open.
#include "kx_io_test_util.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>

using namespace kxio_test;

namespace {

const std::string LINES = "one\r\ntwo\rthree\n\rfour\n\nlast";

std::vector<raw_entry> sample_entries()
{
    return {
        {"DATA\\TEXTS.TXT", "TEXTS", "[Application]\r\nTitle=Veltramondo\r\n", 0x5C},
        {"DATA\\LINES.TXT", "", LINES, 0xE1},
        {"NUMBERS.BIN", "", std::string("0123456789abcdefghij"), 0x33},
        {"NEXT.BIN", "", std::string(64, 'Z'), 0x77},
    };
}

class FileTest : public IoTest {
protected:
    void SetUp() override
    {
        IoTest::SetUp();
        write_file(dir / "resource.dat", build_inside_pack(sample_entries(), 0x9B));
    }
};

} // namespace

TEST_F(FileTest, PackLookupIgnoresCaseAndFindsAlternateNames)
{
    ASSERT_EQ(start("resource.dat"), 1);
    for (const char *name : {"Data\\Texts.txt", "data\\texts.txt", "DATA\\TEXTS.TXT", "texts"}) {
        KX_IO *f = kx_io_fopen(name, "rb");
        ASSERT_NE(f, nullptr) << name;
        EXPECT_EQ(f->entry, 1u);
        char line[64];
        ASSERT_NE(kx_io_fgets(line, sizeof line, f), nullptr);
        EXPECT_STREQ(line, "[Application]");
        ASSERT_NE(kx_io_fgets(line, sizeof line, f), nullptr);
        EXPECT_STREQ(line, "Title=Veltramondo");
        EXPECT_EQ(kx_io_fgets(line, sizeof line, f), nullptr);
        EXPECT_EQ(kx_io_fclose(f), 0);
    }
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(FileTest, ForwardSlashesRaise27AndDoNotMatchThePack)
{
    ASSERT_EQ(start("resource.dat"), 1);
    write_file(dir / "Data" / "Texts.txt", "from disk\n");
    KX_IO *f = kx_io_fopen("Data/Texts.txt", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_SLASH);
    EXPECT_EQ(f->entry, 0u);
    char line[64];
    EXPECT_STREQ(kx_io_fgets(line, sizeof line, f), "from disk");
    kx_io_fclose(f);
}

TEST_F(FileTest, LineEndingsReadTheSameFromPackDiskAndMemory)
{
    ASSERT_EQ(start("resource.dat"), 1);
    write_file(dir / "lines.txt", LINES);
    void *copy = kx_mem_malloc(LINES.size());
    std::memcpy(copy, LINES.data(), LINES.size());
    KX_IO *files[] = {kx_io_fopen("data\\lines.txt", "rb"), kx_io_fopen("lines.txt", "rb"),
                      kx_io_mem_open("mem", copy, static_cast<uint32_t>(LINES.size()))};
    for (KX_IO *f : files) {
        ASSERT_NE(f, nullptr);
        std::vector<std::string> got;
        char line[64];
        while (kx_io_fgets(line, sizeof line, f)) got.push_back(line);
        EXPECT_EQ(got, (std::vector<std::string>{"one", "two", "three", "four", "", "last"}));
        EXPECT_TRUE(kx_io_feof(f));
        kx_io_fclose(f);
    }
}

TEST_F(FileTest, ReadsStopAtTheEntryEndAndShortBuffersSplitLines)
{
    ASSERT_EQ(start("resource.dat"), 1);
    KX_IO *f = kx_io_fopen("numbers.bin", "rb");
    ASSERT_NE(f, nullptr);
    char buf[40];
    std::memset(buf, 'x', sizeof buf);
    ASSERT_NE(kx_io_fgets(buf, 5, f), nullptr);   // cut at the buffer, still terminated
    EXPECT_STREQ(buf, "0123");
    EXPECT_EQ(kx_io_ftell(f), 4);
    ASSERT_EQ(kx_io_fseek(f, 20 - 6, 0), 0);
    EXPECT_EQ(kx_io_fread(buf, 4, 10, f), 1u);
    EXPECT_EQ(std::string(buf, 4), "efgh");
    EXPECT_EQ(kx_io_fread(buf, 4, 10, f), 0u);
    EXPECT_EQ(kx_io_fgetc(f), 'i');
    EXPECT_EQ(kx_io_fgetc(f), 'j');
    EXPECT_EQ(kx_io_fgetc(f), -1);
    EXPECT_TRUE(kx_io_feof(f));
    // The next entry's bytes are never handed out, however the position is moved.
    EXPECT_NE(kx_io_fseek(f, 1, 2), 0);
    EXPECT_NE(kx_io_fseek(f, -1, 0), 0);
    EXPECT_EQ(kx_io_fseek(f, -3, 2), 0);
    EXPECT_EQ(kx_io_ftell(f), 17);
    EXPECT_EQ(kx_io_fread(buf, 1, 40, f), 3u);
    EXPECT_EQ(std::string(buf, 3), "hij");
    kx_io_rewind(f);
    EXPECT_EQ(kx_io_fgetc(f), '0');
    kx_io_fclose(f);
}

TEST_F(FileTest, MemoryFileSeeksClampToItsSize)
{
    ASSERT_EQ(start(), 1);
    char *data = static_cast<char *>(kx_mem_malloc(8));
    std::memcpy(data, "abcdefgh", 8);
    KX_IO *f = kx_io_mem_open("mem", data, 8);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(kx_io_fseek(f, 8 + 10, 0), 0);
    EXPECT_EQ(kx_io_ftell(f), 8);
    EXPECT_EQ(kx_io_fgetc(f), -1);
    EXPECT_EQ(kx_io_fseek(f, -20, 1), 0);
    EXPECT_EQ(kx_io_ftell(f), 0);
    EXPECT_EQ(kx_io_fseek(f, -2, 2), 0);
    char buf[8];
    EXPECT_EQ(kx_io_fread(buf, 1, 8, f), 2u);
    EXPECT_EQ(std::string(buf, 2), "gh");
    EXPECT_EQ(kx_io_fputs("x", f), -1);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_READ_ONLY);
    EXPECT_EQ(kx_io_fclose(f), 0);
}

TEST_F(FileTest, WritesIntoThePackAreRefusedAndLeaveItUntouched)
{
    ASSERT_EQ(start("resource.dat"), 1);
    const std::string before = read_file(dir / "resource.dat");
    for (const char *mode : {"w", "wb", "r+b", "w+b", "a"}) {
        KX_IO *f = kx_io_fopen("numbers.bin", mode);
        ASSERT_NE(f, nullptr) << mode;
        EXPECT_EQ(f->entry, 3u);
        kx_io_error_clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(kx_io_fwrite("abc", 1, 3, f), -1);
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK_WRITE);
        // Reported although the report flag is clear.
        EXPECT_NE(shown.find("Attempting to write into the resource. This is not allowed."), std::string::npos);
        EXPECT_NE(shown.find("numbers.bin"), std::string::npos);
        EXPECT_EQ(kx_io_fputc('a', f), -1);
        EXPECT_EQ(kx_io_fputs("abc", f), -1);
        EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK_WRITE);
        kx_io_fclose(f);
    }
    EXPECT_EQ(read_file(dir / "resource.dat"), before);
}

TEST_F(FileTest, AccessBitsFollowTheMode)
{
    ASSERT_EQ(start(), 1);
    KX_IO *f = kx_io_fopen("out.txt", "w");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->access, static_cast<uint32_t>(KX_IO_WRITE));
    char buf[8];
    EXPECT_EQ(kx_io_fread(buf, 1, 8, f), 0u);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_WRITE_ONLY);
    EXPECT_EQ(kx_io_fgets(buf, 8, f), nullptr);
    EXPECT_EQ(kx_io_fputs("hello\n", f), 0);
    EXPECT_EQ(kx_io_fputc('!', f), '!');
    kx_io_fclose(f);
    EXPECT_EQ(read_file(dir / "out.txt"), "hello\n!");

    f = kx_io_fopen("out.txt", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->access, static_cast<uint32_t>(KX_IO_READ));
    EXPECT_EQ(kx_io_fputc('x', f), -1);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_READ_ONLY);
    EXPECT_EQ(kx_io_flush(f), -1);
    kx_io_fclose(f);

    f = kx_io_fopen("out.txt", "r+");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->access, static_cast<uint32_t>(KX_IO_READ | KX_IO_WRITE));
    kx_io_fclose(f);
}

TEST_F(FileTest, FailedOpensReturnNullAndLeaveNothingOpen)
{
    ASSERT_EQ(start("resource.dat"), 1);
    EXPECT_EQ(kx_io_fopen(nullptr, "rb"), nullptr);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_OPEN);
    EXPECT_EQ(kx_io_fopen("", "rb"), nullptr);
    EXPECT_EQ(kx_io_fopen("missing.txt", "rb"), nullptr);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_OPEN);
    EXPECT_EQ(kx_io_open_count(), 0);
    EXPECT_EQ(kx_io_fclose(nullptr), -1);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_NULL_HANDLE);
}

TEST_F(FileTest, BareNameInPackAndUserFolderIsReadFromThePack)
{
    ASSERT_EQ(start("resource.dat"), 1);
    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    write_file(fs::path(dir / "xdg" / "Pellovar" / "Veltramondo" / "NUMBERS.BIN"), "user copy");
    KX_IO *f = kx_io_fopen("numbers.bin", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_NE(f->entry, 0u);
    EXPECT_EQ(kx_io_fgetc(f), '0');
    kx_io_fclose(f);
    // Not in the pack: the per-user copy wins over one in the current directory.
    write_file(fs::path(dir / "xdg" / "Pellovar" / "Veltramondo" / "solo.txt"), "user");
    write_file(dir / "solo.txt", "here");
    f = kx_io_fopen("solo.txt", "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->full_path, nullptr);
    char line[16];
    EXPECT_STREQ(kx_io_fgets(line, sizeof line, f), "user");
    kx_io_fclose(f);
}

TEST_F(FileTest, HandlesLeftOpenAreReportedAndClosedAtShutDown)
{
    ASSERT_EQ(start("resource.dat", 1), 1);
    write_file(dir / "a.txt", "a");
    ASSERT_NE(kx_io_fopen("a.txt", "rb"), nullptr);
    ASSERT_NE(kx_io_fopen("data\\texts.txt", "rb"), nullptr);
    ASSERT_EQ(kx_io_ini_set_mode("a.txt", KX_IO_INI_KEEP_OPEN), 1);
    EXPECT_EQ(kx_io_open_count(), 3);
    testing::internal::CaptureStderr();
    EXPECT_EQ(kx_io_deinit(), 1);
    std::string shown = testing::internal::GetCapturedStderr();
    started = false;
    EXPECT_NE(shown.find("One or more files were not closed"), std::string::npos);
    EXPECT_NE(shown.find("File I/O Info: Name: 'a.txt' File not closed."), std::string::npos);
    EXPECT_NE(shown.find("Name: 'data\\texts.txt' File not closed."), std::string::npos);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(FileTest, FgetdirSplitsAtTheLastSeparator)
{
    char out[16];
    struct {
        const char *path, *folder;
        int length;
    } cases[] = {{"data\\snd\\x.wav", "data\\snd\\", 9}, {"c:x.wav", "c:", 2}, {"x.wav", "", 0},
                 {"a\\very\\long\\folder\\x", "", -1}};
    for (const auto &c : cases) {
        EXPECT_EQ(kx_io_fgetdir(c.path, out, sizeof out), c.length) << c.path;
        EXPECT_STREQ(out, c.folder);
    }
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_BUFFER);
    EXPECT_EQ(kx_io_fgetdir(nullptr, out, sizeof out), 0);
}

TEST_F(FileTest, MissingPackFailsWithCode1WhateverTheReportFlag)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(start("nothere.dat"), 0);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_OPEN);
    EXPECT_NE(shown.find("nothere.dat"), std::string::npos);
}

TEST_F(FileTest, DamagedPacksAreRefusedWithCode9)
{
    const std::string good = build_inside_pack(sample_entries(), 0x9B);
    auto trailer = [&](std::string p, size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) p[p.size() - 13 + at + i] = static_cast<char>(v >> (8 * i));
        return p;
    };
    std::string table_key_zero = good;
    table_key_zero.back() = 0;   // wrong key: names run together, counts no longer fit
    std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"eight bytes", good.substr(0, 8)},
        {"cut short", good.substr(0, good.size() - 5)},
        {"bad magic", trailer(good, 0, 0x12345678)},
        {"table offset past the end", trailer(good, 4, static_cast<uint32_t>(good.size()))},
        {"table offset at the trailer", trailer(good, 4, static_cast<uint32_t>(good.size() - 13))},
        {"huge count", trailer(good, 8, 0xFFFFFFFF)},
        {"one entry too many", trailer(good, 8, 5)},
        {"wrong table key", table_key_zero},
    };
    // An entry whose bytes would lie beyond the entry data: its size field (after "A\0\0" and
    // the offset) patched from 3 to 1000.
    std::string past = build_inside_pack({{"A", "", "xyz", 1}}, 0);
    past.replace(3 + 3 + 4, 4, std::string("\xE8\x03\0\0", 4));
    cases.push_back({"entry past the data", past});
    for (const auto &[what, bytes] : cases) {
        write_file(dir / "bad.dat", bytes);
        kx_io_error_clear();
        EXPECT_EQ(start("bad.dat"), 0) << what;
        EXPECT_TRUE(kx_io_error_get() == KX_IO_ERR_PACK || kx_io_error_get() == KX_IO_ERR_PACK_MEMORY) << what;
        kx_io_deinit();
        started = false;
    }
}

namespace {

// The word table step, written out from the format: state = (state >> 8) ^ T[(state ^ b) & 255].
void scramble_words(std::string &table, const std::vector<uint32_t> &t)
{
    uint32_t state = 0;
    for (size_t i = 0; i + 4 <= table.size(); i += 4) {
        uint32_t w = 0;
        for (int b = 0; b < 4; b++) w |= static_cast<uint32_t>(static_cast<uint8_t>(table[i + b])) << (8 * b);
        uint32_t stored = w ^ state;
        for (int b = 0; b < 4; b++) {
            state = (state >> 8) ^ t[(state ^ (w >> (8 * b))) & 255];
            table[i + b] = static_cast<char>(stored >> (8 * b));
        }
    }
}

} // namespace

TEST_F(FileTest, OutsideTableFormReadsThroughItsCompanions)
{
    std::vector<raw_entry> entries = sample_entries();
    std::string data, table = pack_table(entries, data, 7);
    const uint8_t key = 0x4D;
    for (char &c : table) c = static_cast<char>(c ^ key);
    std::vector<uint32_t> t(256);
    uint32_t x = 12345;
    for (uint32_t &w : t) w = x = x * 1103515245u + 12345u;
    scramble_words(table, t);

    std::string pack = data;
    put32(pack, 0xCDCEDECD);
    put32(pack, 0);
    put32(pack, static_cast<uint32_t>(entries.size()));
    pack += static_cast<char>(key);
    std::string tom(2044, '\x5A'), rom(2044, '\x33');
    put32(tom, 3000);
    tom.resize(3000, '\0');
    for (uint32_t w : t) put32(tom, w);
    put32(rom, 2100);
    rom.resize(2100, '\0');
    put32(rom, static_cast<uint32_t>(table.size()));
    rom += table;
    write_file(dir / "game.pak", pack);
    write_file(dir / "game.TOM", tom);

    // Without the "ROM" companion the pack cannot load.
    EXPECT_EQ(start("game.pak"), 0);
    kx_io_deinit();
    write_file(dir / "game.ROM", rom);
    ASSERT_EQ(start("game.pak"), 1);
    KX_IO *f = kx_io_fopen("data\\lines.txt", "rb");
    ASSERT_NE(f, nullptr);
    char line[32];
    EXPECT_STREQ(kx_io_fgets(line, sizeof line, f), "one");
    kx_io_fclose(f);
    f = kx_io_fopen("Next.bin", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(kx_io_fgetc(f), 'Z');
    kx_io_fclose(f);

    // A length in the "ROM" companion that runs past its end is not trusted.
    kx_io_deinit();
    std::string long_rom = rom;
    long_rom[2100] = '\xFF';
    long_rom[2101] = '\xFF';
    write_file(dir / "game.ROM", long_rom);
    EXPECT_EQ(start("game.pak"), 0);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK);
}

TEST(PackNames, CompanionNamesReplaceOrAddTheExtension)
{
    char out[64];
    ASSERT_TRUE(kx_io_pack_companion_name("resource.dat", "ROM", out, sizeof out));
    EXPECT_STREQ(out, "resource.ROM");
    ASSERT_TRUE(kx_io_pack_companion_name("data.v2\\resource", "TOM", out, sizeof out));
    EXPECT_STREQ(out, "data.v2\\resource.TOM");
    EXPECT_FALSE(kx_io_pack_companion_name("resource.dat", "ROM", out, 8));
}
