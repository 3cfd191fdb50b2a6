// The line reader: what ends a line, what is dropped, the end of the file, the size limit and
// its fatal message.
#include "world/world.h"
#include "world/world_line.h"

#include "kx/kx_mem/kx_mem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>


namespace {

KX_IO *memory_file(const std::string &bytes)
{
    void *data = kx_mem_malloc(bytes.size() + 1);
    std::memcpy(data, bytes.data(), bytes.size());
    return kx_io_mem_open("lines", data, static_cast<uint32_t>(bytes.size()));
}

// Every line up to the end marker, as the readers of the data files loop.
std::vector<std::string> read_all(const std::string &bytes, int size)
{
    KX_IO *f = memory_file(bytes);
    std::vector<char> line(static_cast<size_t>(size));
    std::vector<std::string> out;
    for (int r = 0; out.size() < 1000 && (r = def_line_read(f, line.data(), size)) != 1;) {
        out.push_back(r == DEF_LINE_TOO_LONG ? "<too long>" : line.data());
        if (r == DEF_LINE_TOO_LONG) break;
    }
    kx_io_fclose(f);
    return out;
}

using L = std::vector<std::string>;

TEST(DefLine, LineEndsDroppedBytesEndOfFileAndSizeLimit)
{
    const std::string q9(9, 'q');
    struct {
        const char *what;
        std::string bytes;
        int size;
        L lines;
    } cases[] = {
        {"CR LF ends a line", "one\r\ntwo\r\n", DEF_LINE_SIZE, {"one", "two"}},
        {"the byte after CR goes whatever it is", "ab\rXcd", DEF_LINE_SIZE, {"ab", "cd"}},
        {"lone LF and control bytes vanish", "a\nb\tc\x01\r\n", DEF_LINE_SIZE, {"abc"}},
        {"empty lines are not the end", "a\r\n\r\n\r\nb", DEF_LINE_SIZE, {"a", "", "", "b"}},
        {"empty file", "", DEF_LINE_SIZE, {}},
        {"last line without an end", "last", DEF_LINE_SIZE, {"last"}},
        {"255 ends the line", "ab\xff" "cd\r\n", DEF_LINE_SIZE, {"ab", "cd"}},
        {"255 is not the end of the file", "\xff\xff" "x", DEF_LINE_SIZE, {"", "", "x"}},
        {"a line that fits", q9 + "\r\n", 10, {q9}},
        {"a line one too long", std::string(10, 'q') + "\r\n", 10, {"<too long>"}},
        {"dropped bytes do not count", q9 + "\n\t\r\n", 10, {q9}},
    };
    for (const auto &c : cases) EXPECT_EQ(read_all(c.bytes, c.size), c.lines) << c.what;
}

TEST(DefLine, FilesWithLineFeedsAndNoCarriageReturnAreTold)
{
    const std::string far(5000, 'x');   // beyond the first block the check reads
    struct {
        std::string bytes;
        int lf_only;
    } cases[] = {{"a\nb\n", 1},       {"a\r\nb\r\n", 0}, {"a\nb\r\n", 0}, {"a\rb", 0},
                 {"plain", 0},         {"", 0},            {far + "\n", 1},   {"\n" + far + "\r", 0}};
    for (const auto &c : cases) {
        KX_IO *f = memory_file(c.bytes);
        char first[8];
        def_line_read(f, first, sizeof first);
        long at = kx_io_ftell(f);
        EXPECT_EQ(def_line_ends_lf(f), c.lf_only) << c.bytes.substr(0, 12);
        EXPECT_EQ(kx_io_ftell(f), at);
        kx_io_fclose(f);
    }
    EXPECT_EQ(def_line_ends_lf(nullptr), 0);
}

TEST(DefLine, NullHandleEndsAtOnce)
{
    char line[8];
    EXPECT_EQ(def_line_read(nullptr, line, 8), 1);
    EXPECT_STREQ(line, "");
}

TEST(DefLine, ReadDefLineAllowsNineThousandNineHundredNinetyNine)
{
    std::vector<char> line(DEF_LINE_SIZE);
    KX_IO *f = memory_file(std::string(9999, 'w') + "\r\n" + std::string(10000, 'w'));
    // The world's fatal errors go to the hook the game installs.
    static std::vector<std::string> fatal;
    fatal.clear();
    world_error_hook_set([](const char *message) { fatal.emplace_back(message); });
    EXPECT_EQ(read_def_line(f, line.data()), 0);
    EXPECT_EQ(std::strlen(line.data()), 9999u);
    EXPECT_TRUE(fatal.empty());
    EXPECT_EQ(read_def_line(f, line.data()), DEF_LINE_TOO_LONG);
    EXPECT_EQ(fatal, std::vector<std::string>{"ERROR : Line is too long! ( maximun 9999 )"});
    world_error_hook_set(nullptr);
    kx_io_fclose(f);
}

} // namespace
