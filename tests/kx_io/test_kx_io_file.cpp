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
    return {{"DATA\\TEXTS.TXT", "TEXTS", "[Application]\r\nTitle=Veltramondo\r\n", 0x5C},
            {"DATA\\LINES.TXT", "", LINES, 0xE1},
            {"NUMBERS.BIN", "", "0123456789abcdefghij", 0x33},
            {"NEXT.BIN", "", std::string(64, 'Z'), 0x77}};
}

class FileTest : public IoTest {
protected:
    void SetUp() override
    {
        IoTest::SetUp();
        write_file(dir / "resource.dat", build_inside_pack(sample_entries(), 0x9B));
    }
};

// The word table step, written out from the format: state = (state >> 8) ^ T[(state ^ b) & 255].
void scramble_words(std::string &table, const std::vector<uint32_t> &t)
{
    uint32_t state = 0;
    for (size_t i = 0; i + 4 <= table.size(); i += 4) {
        uint32_t w = 0;
        for (int b = 0; b < 4; b++) w |= uint32_t(uint8_t(table[i + b])) << (8 * b);
        uint32_t stored = w ^ state;
        for (int b = 0; b < 4; b++) {
            state = (state >> 8) ^ t[(state ^ (w >> (8 * b))) & 255];
            table[i + b] = char(stored >> (8 * b));
        }
    }
}

} // namespace

TEST_F(FileTest, PackLookupIgnoresCaseAndFindsAlternateNames)
{
    ASSERT_EQ(start("resource.dat"), 1);
    for (const char *name : {"Data\\Texts.txt", "data\\texts.txt", "DATA\\TEXTS.TXT", "texts"})
        EXPECT_EQ(kx_read_all(name), "[Application]\r\nTitle=Veltramondo\r\n") << name;
    EXPECT_EQ(kx_io_open_count(), 0);
    // Forward slashes raise 27 and never match the pack: the disk file opens.
    write_file(dir / "Data" / "Texts.txt", "from disk\n");
    EXPECT_EQ(kx_read_all("Data/Texts.txt"), "from disk\n");
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_SLASH);
}

TEST_F(FileTest, LineEndingsReadTheSameFromPackDiskAndMemory)
{
    ASSERT_EQ(start("resource.dat"), 1);
    write_file(dir / "lines.txt", LINES);
    void *copy = kx_mem_malloc(LINES.size());
    std::memcpy(copy, LINES.data(), LINES.size());
    for (KX_IO *f : {kx_io_fopen("data\\lines.txt", "rb"), kx_io_fopen("lines.txt", "rb"),
                     kx_io_mem_open("mem", copy, uint32_t(LINES.size()))}) {
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
    EXPECT_EQ((std::vector<int>{kx_io_fgetc(f), kx_io_fgetc(f), kx_io_fgetc(f)}), (std::vector<int>{'i', 'j', -1}));
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

    // A memory file clamps its position to its size instead.
    char *data = static_cast<char *>(kx_mem_malloc(8));
    std::memcpy(data, "abcdefgh", 8);
    f = kx_io_mem_open("mem", data, 8);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(kx_io_fseek(f, 8 + 10, 0), 0);
    EXPECT_EQ(kx_io_ftell(f), 8);
    EXPECT_EQ(kx_io_fgetc(f), -1);
    EXPECT_EQ(kx_io_fseek(f, -20, 1), 0);
    EXPECT_EQ(kx_io_ftell(f), 0);
    EXPECT_EQ(kx_io_fseek(f, -2, 2), 0);
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
        SCOPED_TRACE(mode);
        KX_IO *f = kx_io_fopen("numbers.bin", mode);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->entry, 3u);
        kx_io_error_clear();
        // Reported although the report flag is clear.
        std::string shown = stderr_of([&] { EXPECT_EQ(kx_io_fwrite("abc", 1, 3, f), -1); });
        EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK_WRITE);
        EXPECT_NE(shown.find("Attempting to write into the resource. This is not allowed."), std::string::npos);
        EXPECT_NE(shown.find("numbers.bin"), std::string::npos);
        EXPECT_EQ(kx_io_fputc('a', f), -1);
        EXPECT_EQ(kx_io_fputs("abc", f), -1);
        EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK_WRITE);
        kx_io_fclose(f);
    }
    EXPECT_EQ(read_file(dir / "resource.dat"), before);
}

TEST_F(FileTest, AccessBitsFollowTheModeAndFailedOpensLeaveNothingOpen)
{
    ASSERT_EQ(start("resource.dat"), 1);
    KX_IO *f = kx_io_fopen("out.txt", "w");
    ASSERT_NE(f, nullptr);
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
    EXPECT_EQ(kx_io_fputc('x', f), -1);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_READ_ONLY);
    EXPECT_EQ(kx_io_flush(f), -1);
    kx_io_fclose(f);
    f = kx_io_fopen("out.txt", "r+");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->access, uint32_t(KX_IO_READ | KX_IO_WRITE));
    kx_io_fclose(f);

    for (const char *name : {static_cast<const char *>(nullptr), "", "missing.txt"}) {
        kx_io_error_clear();
        EXPECT_EQ(kx_io_fopen(name, "rb"), nullptr);
        EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_OPEN);
    }
    EXPECT_EQ(kx_io_open_count(), 0);
    EXPECT_EQ(kx_io_fclose(nullptr), -1);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_NULL_HANDLE);
}

TEST_F(FileTest, BareNameInPackAndUserFolderIsReadFromThePack)
{
    ASSERT_EQ(start("resource.dat"), 1);
    ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
    write_file(user_dir() / "NUMBERS.BIN", "user copy");
    EXPECT_EQ(kx_read_all("numbers.bin"), "0123456789abcdefghij");
    // Not in the pack: the per-user copy wins over one in the current directory.
    write_file(user_dir() / "solo.txt", "user");
    write_file(dir / "solo.txt", "here");
    EXPECT_EQ(kx_read_all("solo.txt"), "user");
}

TEST_F(FileTest, HandlesLeftOpenAreReportedAndClosedAtShutDown)
{
    ASSERT_EQ(start("resource.dat", 1), 1);
    write_file(dir / "a.txt", "a");
    ASSERT_NE(kx_io_fopen("a.txt", "rb"), nullptr);
    ASSERT_NE(kx_io_fopen("data\\texts.txt", "rb"), nullptr);
    ASSERT_EQ(kx_io_ini_set_mode("a.txt", KX_IO_INI_KEEP_OPEN), 1);
    EXPECT_EQ(kx_io_open_count(), 3);
    std::string shown = stderr_of([] { EXPECT_EQ(kx_io_deinit(), 1); });
    started = false;
    EXPECT_NE(shown.find("One or more files were not closed"), std::string::npos);
    EXPECT_NE(shown.find("File I/O Info: Name: 'a.txt' File not closed."), std::string::npos);
    EXPECT_NE(shown.find("Name: 'data\\texts.txt' File not closed."), std::string::npos);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(FileTest, FgetdirAndCompanionNames)
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
    // The companions' names: a dot in a folder name is no extension.
    char name[32];
    ASSERT_TRUE(kx_io_pack_companion_name("data.v2\\resource", "TOM", name, sizeof name));
    EXPECT_STREQ(name, "data.v2\\resource.TOM");
}

TEST_F(FileTest, MissingPackGivesCode1AndDamagedPacksCode9Or10)
{
    std::string shown = stderr_of([&] { EXPECT_EQ(start("nothere.dat"), 0); });
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_OPEN);
    EXPECT_NE(shown.find("nothere.dat"), std::string::npos);   // shown whatever the report flag
    stop();

    const std::string good = build_inside_pack(sample_entries(), 0x9B);
    auto trailer = [&](size_t at, uint32_t v) {
        std::string p = good;
        for (int i = 0; i < 4; i++) p[p.size() - 13 + at + i] = char(v >> (8 * i));
        return p;
    };
    std::string wrong_key = good;
    wrong_key.back() = 0;   // names run together, counts no longer fit
    // An entry whose size field (after "A\0\0" and the offset) says 1000 bytes instead of 3.
    std::string past = build_inside_pack({{"A", "", "xyz", 1}}, 0);
    past.replace(3 + 3 + 4, 4, std::string("\xE8\x03\0\0", 4));
    const std::pair<const char *, std::string> cases[] = {
        {"empty", ""},
        {"eight bytes", good.substr(0, 8)},
        {"cut short", good.substr(0, good.size() - 5)},
        {"bad magic", trailer(0, 0x12345678)},
        {"table offset past the end", trailer(4, uint32_t(good.size()))},
        {"table offset at the trailer", trailer(4, uint32_t(good.size() - 13))},
        {"huge count", trailer(8, 0xFFFFFFFF)},
        {"one entry too many", trailer(8, 5)},
        {"wrong table key", wrong_key},
        {"entry past the data", past},
    };
    for (const auto &[what, bytes] : cases) {
        write_file(dir / "bad.dat", bytes);
        kx_io_error_clear();
        EXPECT_EQ(start("bad.dat"), 0) << what;
        EXPECT_TRUE(kx_io_error_get() == KX_IO_ERR_PACK || kx_io_error_get() == KX_IO_ERR_PACK_MEMORY) << what;
        stop();
    }
}

TEST_F(FileTest, OutsideTableFormReadsThroughItsCompanions)
{
    // An odd-sized table: its last two bytes (ending with the last entry's key) stay out of the word steps.
    std::vector<raw_entry> entries = sample_entries();
    entries.push_back({"ODD", "", "odd", 0x15});
    std::string data, table = pack_table(entries, data, 7);
    ASSERT_EQ(table.size() % 4, 2u);
    const uint8_t key = 0x4D;
    for (char &c : table) c = char(c ^ key);
    std::vector<uint32_t> t(256);
    uint32_t x = 12345;
    for (uint32_t &w : t) w = x = x * 1103515245u + 12345u;
    scramble_words(table, t);

    std::string pack = data, tom(2044, '\x5A'), rom(2044, '\x33');
    put32(pack, 0xCDCEDECD);
    put32(pack, 0);
    put32(pack, uint32_t(entries.size()));
    pack += char(key);
    put32(tom, 3000);
    tom.resize(3000, '\0');
    for (uint32_t w : t) put32(tom, w);
    put32(rom, 2100);
    rom.resize(2100, '\0');
    put32(rom, uint32_t(table.size()));
    rom += table;
    write_file(dir / "game.pak", pack);
    write_file(dir / "game.TOM", tom);

    EXPECT_EQ(start("game.pak"), 0);   // no "ROM" companion yet
    stop();
    write_file(dir / "game.ROM", rom);
    ASSERT_EQ(start("game.pak"), 1);
    EXPECT_EQ(kx_read_all("texts"), "[Application]\r\nTitle=Veltramondo\r\n");
    EXPECT_EQ(kx_read_all("data\\lines.txt"), LINES);
    EXPECT_EQ(kx_read_all("Next.bin"), std::string(64, 'Z'));
    EXPECT_EQ(kx_read_all("odd"), "odd");
    stop();

    // A length in the "ROM" companion that runs past its end is not trusted.
    rom[2100] = rom[2101] = '\xFF';
    write_file(dir / "game.ROM", rom);
    EXPECT_EQ(start("game.pak"), 0);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK);
}
