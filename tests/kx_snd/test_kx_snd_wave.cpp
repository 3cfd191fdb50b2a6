// The wave reader: accepted layouts, each refusal with its error code, and sizes that disagree
// with the file.
#include "tests/kx_snd/snd_test_util.h"

#include "kx/kx_mem/kx_mem.h"

using namespace snd_test;

namespace {

class WaveTest : public SoundTest {
protected:
    KX_SND_WAVE_FORMAT format{};
    uint8_t *data = nullptr;
    uint32_t size = 0;

    int read(const std::string &bytes, const char *name = "t.wav")
    {
        write_file(dir / name, bytes);
        if (data) kx_mem_free(data);
        data = nullptr;
        return kx_snd_wave_read(name, &format, &data, &size);
    }

    void TearDown() override
    {
        if (data) kx_mem_free(data);
        SoundTest::TearDown();
    }
};

TEST_F(WaveTest, PlainAndExtendedFormatChunksLoad)
{
    std::string samples = pcm16({1, -2, 300, -32768, 32767});
    ASSERT_EQ(read(wave(samples)), 0);
    EXPECT_EQ(format.format_tag, 1);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samples_per_sec, 22050u);
    EXPECT_EQ(format.avg_bytes_per_sec, 44100u);
    EXPECT_EQ(format.block_align, 2);
    EXPECT_EQ(format.bits_per_sample, 16);
    ASSERT_EQ(size, samples.size());
    EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size), samples);

    // 18 bytes: the extra-size word is skipped, whatever it holds.
    wave_layout w;
    w.fmt_size = 18;
    w.channels = 2;
    w.rate = 44100;
    std::string with_extra = wave(samples.substr(0, 8), w);
    with_extra[36] = 0x7F;
    ASSERT_EQ(read(with_extra), 0);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samples_per_sec, 44100u);
    EXPECT_EQ(format.extra_size, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size), samples.substr(0, 8));
}

TEST_F(WaveTest, ChunksBetweenFormatAndDataAreRefused)
{
    std::string list = "LIST";
    put(list, 4, 4);
    list += "INFO";
    EXPECT_EQ(read(wave(pcm16({1, 2}), {1, 1, 22050, 16, 16, list})), KX_SND_ERR_WAVE_DATA);
    std::string fact = "fact";
    put(fact, 4, 4);
    put(fact, 2, 4);
    EXPECT_EQ(read(wave(pcm16({1, 2}), {1, 1, 22050, 16, 16, fact})), KX_SND_ERR_WAVE_DATA);
    EXPECT_EQ(data, nullptr);
}

TEST_F(WaveTest, HeaderRefusalsCarryTheirCodes)
{
    std::string good = wave(pcm16({5, 6}));
    EXPECT_EQ(kx_snd_wave_read("missing.wav", &format, &data, &size), KX_SND_ERR_WAVE_OPEN);

    std::string s = good;
    s[0] = 'X';
    EXPECT_EQ(read(s), KX_SND_ERR_WAVE_RIFF);
    EXPECT_EQ(read(good.substr(0, 19)), KX_SND_ERR_WAVE_RIFF);

    s = good;
    s[8] = 'A';
    EXPECT_EQ(read(s), KX_SND_ERR_WAVE_WAVE);
    s = good;
    std::memcpy(&s[12], "LIST", 4);
    EXPECT_EQ(read(s), KX_SND_ERR_WAVE_WAVE);

    wave_layout adpcm;
    adpcm.tag = 2;
    EXPECT_EQ(read(wave(pcm16({5, 6}), adpcm)), KX_SND_ERR_WAVE_PCM);
    wave_layout floats;
    floats.tag = 3;
    floats.bits = 32;
    EXPECT_EQ(read(wave(pcm16({5, 6}), floats)), KX_SND_ERR_WAVE_PCM);
}

TEST_F(WaveTest, SizesBeyondTheFileAreRefusedWithoutReadingPastIt)
{
    // Data size one byte more than the file holds.
    wave_layout longer;
    longer.data_size_delta = 1;
    EXPECT_EQ(read(wave(pcm16({1, 2, 3}), longer)), KX_SND_ERR_WAVE_DATA);
    // A huge data size must not be allocated.
    std::string huge = wave(pcm16({1}));
    huge[40] = huge[41] = huge[42] = huge[43] = '\xFF';
    EXPECT_EQ(read(huge), KX_SND_ERR_WAVE_DATA);
    // A format chunk that claims to run past the end of the file, or is too short for its fields.
    std::string s = wave(pcm16({1}));
    s[16] = '\x00';
    s[17] = '\x10';
    EXPECT_EQ(read(s), KX_SND_ERR_WAVE_PCM);
    s = wave(pcm16({1}));
    s[16] = 14;
    EXPECT_EQ(read(s), KX_SND_ERR_WAVE_PCM);
    // Cut right after the format chunk: no data chunk id.
    EXPECT_EQ(read(wave(pcm16({1})).substr(0, 36)), KX_SND_ERR_WAVE_DATA);
    // A shorter data size than the bytes present is fine: only the chunk is taken.
    wave_layout shorter;
    shorter.data_size_delta = -2;
    ASSERT_EQ(read(wave(pcm16({7, 8}), shorter)), 0);
    EXPECT_EQ(size, 2u);
}

TEST_F(WaveTest, EveryReaderCodeHasItsText)
{
    EXPECT_STREQ(kx_snd_error_text(KX_SND_ERR_WAVE_OPEN), "Could not open wave file");
    EXPECT_STREQ(kx_snd_error_text(KX_SND_ERR_WAVE_RIFF), "This file is not in RIFF format");
    EXPECT_STREQ(kx_snd_error_text(KX_SND_ERR_WAVE_WAVE), "This file is not on WAVE format");
    EXPECT_STREQ(kx_snd_error_text(KX_SND_ERR_WAVE_PCM), "This file is not in MicroSoft PCM format");
    EXPECT_STREQ(kx_snd_error_text(KX_SND_ERR_WAVE_DATA), "This file contains an invalid data chunk");
    EXPECT_STREQ(kx_snd_error_text(KX_SND_ERR_STATUS), "Could not get channel status");
    EXPECT_STREQ(kx_snd_error_text(25), "");
}

} // namespace
