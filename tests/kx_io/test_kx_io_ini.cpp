// String files: reading sections and keys (cached and not), numbers, the quiet switches,
// writing new and existing keys, and replacing in place.
#include "kx_io_test_util.h"

#include <array>
#include <cstring>
#include <tuple>

using namespace kxio_test;

namespace {

const std::string SAMPLE = "; settings\n[Display]\nFullscreen=1\nResolution=640x480x16\n\nLate=after the blank line\n"
                           "[Sound]\r\nVolume=  12 \r\nFullscreen=0\r\nLevels=7\r\nRatio=0.25\r\nName=Two words \r\n"
                           "[Order]\nA=1\nB=2\nC=3\n";

class IniTest : public IoTest {
protected:
    void SetUp() override
    {
        IoTest::SetUp();
        write_file(dir / "test.ini", SAMPLE);
        ASSERT_EQ(start(), 1);
    }

    std::string get(const char *section, const char *key)
    {
        std::vector<char> buf(256, 'x');
        kx_io_ini_get_string(section, key, buf.data(), 255, "test.ini");
        return buf.data();
    }

    void expect_values(std::initializer_list<std::array<const char *, 3>> cases)
    {
        for (const auto &[section, key, value] : cases) EXPECT_EQ(get(section, key), value) << section << "/" << key;
    }

    // SAMPLE with `from` replaced by `to`.
    static std::string sample_with(const std::string &from, const std::string &to)
    {
        std::string s = SAMPLE;
        return s.replace(s.find(from), from.size(), to);
    }
};

} // namespace

TEST_F(IniTest, ValuesComeFromTheRequestedSectionOnly)
{
    expect_values({{"Display", "Fullscreen", "1"}, {"Sound", "Fullscreen", "0"}, {"Display", "Resolution", "640x480x16"},
                   {"Display", "Late", "after the blank line"}});
    EXPECT_EQ(kx_io_ini_failed(1), 0);
    EXPECT_EQ(kx_io_ini_failed(0), 0);
    // Names are exact: no prefix matches, no case folding.
    EXPECT_EQ(get("Sound", "Level"), "");
    EXPECT_EQ(kx_io_ini_failed(1), 1);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_INI_KEY);
    EXPECT_EQ(get("sound", "Levels"), "");
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_INI_SECTION);
    EXPECT_EQ(get("Sound", "Levels"), "7");
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(IniTest, NumbersTrimSpacesMissingKeysGiveZeroLongValuesAreCut)
{
    char text[32];
    EXPECT_EQ(kx_io_ini_get_string("Sound", "Volume", text, 31, "test.ini"), 5);
    EXPECT_STREQ(text, "  12 ");
    int value = 99;
    EXPECT_GT(kx_io_ini_get_int("Sound", "Volume", &value, "test.ini"), 0);
    EXPECT_EQ(value, 12);
    value = 99;
    EXPECT_EQ(kx_io_ini_get_int("Sound", "Missing", &value, "test.ini"), 0);
    EXPECT_EQ(value, 0);
    float f = 5.0f;
    EXPECT_GT(kx_io_ini_get_float("Sound", "Ratio", &f, "test.ini"), 0);
    EXPECT_FLOAT_EQ(f, 0.25f);
    for (const char *unreadable : {"Name", "Missing"}) {   // the float is left as it was
        f = 5.0f;
        kx_io_ini_get_float("Sound", unreadable, &f, "test.ini");
        EXPECT_FLOAT_EQ(f, 5.0f) << unreadable;
    }
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(kx_io_ini_get_string("Display", "Resolution", text, 4, "test.ini"), 4);
    EXPECT_STREQ(text, "640x");
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_INI_SIZE);
    EXPECT_EQ(kx_io_ini_failed(1), 0);
    // The 1,024th character of an overlong line starts what looks like a section header.
    write_file(dir / "long.ini", "[Real]\nLong=" + std::string(1018, 'v') + "[Fake]\nKey=1\n[Fake]\nKey=2\n");
    char big[2048];
    EXPECT_EQ(kx_io_ini_get_string("Real", "Long", big, 2000, "long.ini"), 1018);
    EXPECT_EQ(kx_io_ini_get_string("Fake", "Key", big, 10, "long.ini"), 1);
    EXPECT_STREQ(big, "2");
}

TEST_F(IniTest, KeepOpenFindsKeysOutOfOrderAndAcrossSections)
{
    ASSERT_EQ(kx_io_ini_set_mode("test.ini", KX_IO_INI_KEEP_OPEN), 1);
    EXPECT_EQ(kx_io_ini_set_mode("test.ini", KX_IO_INI_KEEP_OPEN), 0);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_INI_OPEN);
    EXPECT_EQ(kx_io_open_count(), 1);
    // Out of order, back to earlier in the file (wrapping to the start), misses, then on again. A
    // miss never moves the next lookup of its section into the following one ([Sound] has its
    // own Fullscreen and the only Volume).
    expect_values({{"Order", "C", "3"}, {"Order", "A", "1"}, {"Order", "B", "2"}, {"Display", "Fullscreen", "1"},
                   {"Display", "Nope", ""}, {"Display", "Fullscreen", "1"}, {"Display", "Nope", ""}, {"Display", "Volume", ""},
                   {"Display", "Late", "after the blank line"}, {"Order", "Z", ""}, {"Nowhere", "A", ""}, {"Order", "A", "1"}, {"Sound", "Levels", "7"},
                   {"Sound", "Volume", "  12 "}});
    EXPECT_EQ(kx_io_open_count(), 1);
    EXPECT_EQ(kx_io_ini_set_mode("test.ini", KX_IO_INI_KEEP_CLOSE), 1);
    EXPECT_EQ(kx_io_open_count(), 0);
    EXPECT_EQ(kx_io_ini_set_mode("test.ini", KX_IO_INI_KEEP_CLOSE), 0);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_INI_NOT_OPEN);
    EXPECT_EQ(kx_io_ini_set_mode(nullptr, KX_IO_INI_KEEP_OPEN), 0);
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_INI_NULL);
    EXPECT_EQ(kx_io_ini_set_mode("test.ini", 64), 0);
    EXPECT_EQ(kx_io_ini_set_mode("missing.ini", KX_IO_INI_KEEP_OPEN), 0);
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(IniTest, QuietSwitchesSilenceOnlyTheirOwnReport)
{
    stop();
    ASSERT_EQ(start(nullptr, 1), 1);
    auto shown = [&](const char *section, const char *key) { return stderr_of([&] { get(section, key); }); };
    EXPECT_NE(shown("Display", "Nope").find("Can't find the key in the string file"), std::string::npos);
    EXPECT_NE(shown("Nope", "Key").find("Can't find the section in the string file"), std::string::npos);
    EXPECT_NE(shown("Nope", "Key").find("test.ini,[Nope]Key"), std::string::npos);
    ASSERT_EQ(kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON), 1);
    EXPECT_EQ(shown("Display", "Nope"), "");
    EXPECT_NE(shown("Nope", "Key"), "");
    ASSERT_EQ(kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON), 1);
    EXPECT_EQ(shown("Nope", "Key"), "");
    EXPECT_EQ(kx_io_ini_failed(1), 1);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_OFF);
    EXPECT_NE(shown("Display", "Nope"), "");
}

TEST_F(IniTest, WritingNewFilesAndLineEnds)
{
    ASSERT_EQ(kx_io_ini_set_string("Display", "Fullscreen", "1", "new.ini"), 1);
    EXPECT_EQ(read_file(dir / "new.ini"), "[Display]\nFullscreen=1\n");
    ASSERT_EQ(kx_io_ini_set_int("Display", "Depth", -16, "new.ini"), 1);
    ASSERT_EQ(kx_io_ini_set_float("Sound", "Ratio", 0.5f, "new.ini"), 1);
    EXPECT_EQ(read_file(dir / "new.ini"), "[Display]\nFullscreen=1\nDepth=-16\n\n[Sound]\nRatio=0.500000\n");
    EXPECT_FALSE(fs::exists(dir / "new.ini.tmp"));
    EXPECT_FALSE(fs::exists(dir / "new.ini.bak"));
    // New lines follow the file's own line ends.
    write_file(dir / "dos.ini", "[A]\r\nX=1\r\n\r\n[B]\r\nY=2");
    ASSERT_EQ(kx_io_ini_set_string("A", "Z", "3", "dos.ini"), 1);
    ASSERT_EQ(kx_io_ini_set_string("B", "W", "4", "dos.ini"), 1);
    EXPECT_EQ(read_file(dir / "dos.ini"), "[A]\r\nX=1\r\nZ=3\r\n\r\n[B]\r\nY=2\r\nW=4\r\n");
}

TEST_F(IniTest, ExistingKeysKeepTheirPlaceAndNewKeysEndTheFirstBlock)
{
    ASSERT_EQ(kx_io_ini_set_string("Display", "Resolution", "800x600x32", "test.ini"), 1);
    std::string expected = sample_with("640x480x16", "800x600x32");
    EXPECT_EQ(read_file(dir / "test.ini"), expected);
    ASSERT_EQ(kx_io_ini_set_string("Display", "WindowPosition", "1,2,3,4", "test.ini"), 1);
    expected.insert(expected.find("\n\nLate=") + 1, "WindowPosition=1,2,3,4\n");
    EXPECT_EQ(read_file(dir / "test.ini"), expected);
    // A key in the section's second block is replaced where it stands, not duplicated.
    ASSERT_EQ(kx_io_ini_set_string("Display", "Late", "moved", "test.ini"), 1);
    expected.replace(expected.find("after the blank line"), 20, "moved");
    EXPECT_EQ(read_file(dir / "test.ini"), expected);
    // A new key in the last section lands at the end of the file.
    ASSERT_EQ(kx_io_ini_set_string("Order", "D", "4", "test.ini"), 1);
    EXPECT_EQ(read_file(dir / "test.ini"), expected + "D=4\n");
    expect_values({{"Order", "D", "4"}, {"Display", "Late", "moved"}});
}

// Held writes stay beside the file until the outermost hold ends; other files are written at once.
TEST_F(IniTest, HeldWritesReachTheFileTogetherAtTheOutermostEnd)
{
    ASSERT_EQ(kx_io_ini_hold("test.ini"), 1);
    EXPECT_EQ(kx_io_ini_hold("other.ini"), 0);
    ASSERT_EQ(kx_io_ini_set_string("Display", "Resolution", "800x600x32", "test.ini"), 1);
    ASSERT_EQ(kx_io_ini_set_string("Order", "D", "4", "other.ini"), 1);
    ASSERT_EQ(kx_io_ini_hold("test.ini"), 1);
    ASSERT_EQ(kx_io_ini_set_string("Order", "D", "4", "test.ini"), 1);
    ASSERT_EQ(kx_io_ini_hold_end(), 1);
    EXPECT_EQ(read_file(dir / "test.ini"), SAMPLE);
    EXPECT_EQ(get("Display", "Resolution"), "640x480x16");
    EXPECT_EQ(read_file(dir / "other.ini"), "[Order]\nD=4\n");
    ASSERT_EQ(kx_io_ini_hold_end(), 1);
    EXPECT_EQ(read_file(dir / "test.ini"), sample_with("640x480x16", "800x600x32") + "D=4\n");
    EXPECT_FALSE(fs::exists(dir / "test.ini.new"));
    // A hold with no write leaves the file alone; the next hold may be of another file.
    ASSERT_EQ(kx_io_ini_hold("other.ini"), 1);
    ASSERT_EQ(kx_io_ini_hold_end(), 1);
    EXPECT_EQ(read_file(dir / "other.ini"), "[Order]\nD=4\n");
}

TEST_F(IniTest, ReplaceOnlyOverwritesAValueOfTheSameLength)
{
    EXPECT_EQ(kx_io_ini_replace("Display", "Resolution", "320x200x08", "test.ini"), 1);
    EXPECT_EQ(get("Display", "Resolution"), "320x200x08");
    // A shorter value; a key past the blank line; a missing section.
    for (auto [section, key, value, error] : {std::tuple{"Display", "Resolution", "320x200x8", KX_IO_ERR_INI_SIZE},
                                              {"Display", "Late", "x", KX_IO_ERR_INI_KEY},
                                              {"Nowhere", "Late", "x", KX_IO_ERR_INI_SECTION}}) {
        EXPECT_EQ(kx_io_ini_replace(section, key, value, "test.ini"), 0) << key;
        EXPECT_EQ(kx_io_error_get(), error) << key;
    }
    EXPECT_EQ(read_file(dir / "test.ini"), sample_with("640x480x16", "320x200x08"));
    EXPECT_EQ(kx_io_open_count(), 0);
}

TEST_F(IniTest, StringFilesInThePackReadButNeverWrite)
{
    stop();
    write_file(dir / "resource.dat",
               build_inside_pack({{"DATA\\TEXTS.TXT", "", "[Application]\r\nTitle=Veltramondo\r\n", 0x42}}, 0x24));
    ASSERT_EQ(start("resource.dat"), 1);
    const std::string before = read_file(dir / "resource.dat");
    char text[64];
    EXPECT_EQ(kx_io_ini_get_string("Application", "Title", text, 63, "Data\\Texts.txt"), 11);
    EXPECT_STREQ(text, "Veltramondo");
    stderr_of([] { EXPECT_EQ(kx_io_ini_set_string("Application", "Title", "Xeltramondo", "data\\texts.txt"), 0); });
    EXPECT_EQ(kx_io_error_get(), KX_IO_ERR_PACK_WRITE);
    EXPECT_EQ(read_file(dir / "resource.dat"), before);
    EXPECT_FALSE(fs::exists(dir / "data"));
}
