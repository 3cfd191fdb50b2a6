// The line reader: what ends a line, what is dropped, the end of the file, the size limit and
// its fatal message.
#include "world/world_line.h"

#include "kx/kx_mem/kx_mem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

extern int game_error_calls_for_lines();
extern std::string game_error_text_for_lines();

namespace {

KX_IO *memory_file(const std::string &bytes)
{
    void *data = kx_mem_malloc(bytes.size() + 1);
    std::memcpy(data, bytes.data(), bytes.size());
    return kx_io_mem_open("lines", data, static_cast<uint32_t>(bytes.size()));
}

// Every line up to the end marker, as the readers of the data files loop.
std::vector<std::string> read_all(const std::string &bytes, int size = DEF_LINE_SIZE)
{
    KX_IO *f = memory_file(bytes);
    std::vector<char> line(static_cast<size_t>(size));
    std::vector<std::string> out;
    for (int guard = 0; guard < 1000; guard++) {
        int r = def_line_read(f, line.data(), size);
        if (r == 1) break;
        out.push_back(r == DEF_LINE_TOO_LONG ? std::string("<too long>") : std::string(line.data()));
        if (r == DEF_LINE_TOO_LONG) break;
    }
    kx_io_fclose(f);
    return out;
}

using L = std::vector<std::string>;

TEST(DefLine, CarriageReturnEndsALineAndTakesTheNextByte)
{
    EXPECT_EQ(read_all("one\r\ntwo\r\n"), (L{"one", "two"}));
    // The byte after the carriage return goes whatever it is.
    EXPECT_EQ(read_all("ab\rXcd"), (L{"ab", "cd"}));
    // Lone line feeds and other control bytes vanish.
    EXPECT_EQ(read_all("a\nb\tc\x01\r\n"), (L{"abc"}));
}

TEST(DefLine, EmptyLinesInsideTheFileAreNotTheEnd)
{
    EXPECT_EQ(read_all("a\r\n\r\n\r\nb"), (L{"a", "", "", "b"}));
    EXPECT_EQ(read_all(""), L{});
    EXPECT_EQ(read_all("last"), (L{"last"}));
}

TEST(DefLine, ByteTwoFiftyFiveEndsTheLineButNotTheFile)
{
    EXPECT_EQ(read_all(std::string("ab\xff" "cd\r\n")), (L{"ab", "cd"}));
    EXPECT_EQ(read_all(std::string("\xff\xff" "x")), (L{"", "", "x"}));
}

TEST(DefLine, LongLinesStopAtTheBufferSize)
{
    EXPECT_EQ(read_all(std::string(9, 'q') + "\r\n", 10), (L{std::string(9, 'q')}));
    EXPECT_EQ(read_all(std::string(10, 'q') + "\r\n", 10), (L{"<too long>"}));
    // Dropped bytes do not count.
    EXPECT_EQ(read_all(std::string(9, 'q') + "\n\t\r\n", 10), (L{std::string(9, 'q')}));
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
    int before = game_error_calls_for_lines();
    EXPECT_EQ(read_def_line(f, line.data()), 0);
    EXPECT_EQ(std::strlen(line.data()), 9999u);
    EXPECT_EQ(game_error_calls_for_lines(), before);
    EXPECT_EQ(read_def_line(f, line.data()), DEF_LINE_TOO_LONG);
    EXPECT_EQ(game_error_calls_for_lines(), before + 1);
    EXPECT_EQ(game_error_text_for_lines(), "ERROR : Line is too long! ( maximun 9999 )");
    kx_io_fclose(f);
}

} // namespace
