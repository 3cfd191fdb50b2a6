// veltramondo-tool mp3: the WAVE file it streams out holds exactly what the decoder gives, with
// the sizes filled in at the end; a file without music is refused without an output file.
#include "tests/kx_snd_mp3/mp3_test_util.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace mp3_test;

namespace {

int run_tool(const std::string &arguments)
{
    int status = std::system((std::string(VTOOL_PATH) + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

uint32_t le32(const std::vector<uint8_t> &b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }

TEST(VtoolMp3, StreamsTheWholeDecodeIntoAWaveFile)
{
    scratch_dir dir;
    std::vector<uint8_t> mp3 = encode(make_signal(signal_kind::tones, 44100, 2, 3.0, 4), 44100, 2, "-m j -b 128 --resample 44.1");
    ASSERT_FALSE(mp3.empty());
    write_file(dir.path / "in.mp3", mp3);
    ASSERT_EQ(run_tool("mp3 " + (dir.path / "in.mp3").string() + " " + (dir.path / "out.wav").string()), 0);
    std::vector<uint8_t> wav = read_file(dir.path / "out.wav");
    std::vector<uint8_t> pcm = decode_ours_raw(mp3, 44100, 16, 2);
    ASSERT_EQ(wav.size(), 44 + pcm.size());
    EXPECT_EQ(le32(wav, 4), 36 + pcm.size());
    EXPECT_EQ(le32(wav, 40), pcm.size());
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), wav.begin() + 44));

    write_file(dir.path / "noise.mp3", std::vector<uint8_t>(5000, 0x55));
    EXPECT_EQ(run_tool("mp3 " + (dir.path / "noise.mp3").string() + " " + (dir.path / "no.wav").string()), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path / "no.wav"));
}

}  // namespace
