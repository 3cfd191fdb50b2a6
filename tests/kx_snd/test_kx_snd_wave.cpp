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
    auto fields = [&] {
        return std::vector<int>{format.format_tag, format.channels, static_cast<int>(format.samples_per_sec),
                                static_cast<int>(format.avg_bytes_per_sec), format.block_align, format.bits_per_sample, format.extra_size};
    };
    ASSERT_EQ(read(wave(samples)), 0);
    EXPECT_EQ(fields(), (std::vector<int>{1, 1, 22050, 44100, 2, 16, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size), samples);
    // 18 bytes: the extra-size word is skipped, whatever it holds.
    std::string with_extra = wave(samples.substr(0, 8), {.channels = 2, .rate = 44100, .fmt_size = 18});
    with_extra[36] = 0x7F;
    ASSERT_EQ(read(with_extra), 0);
    EXPECT_EQ(fields(), (std::vector<int>{1, 2, 44100, 176400, 4, 16, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size), samples.substr(0, 8));
}

// Each damaged or unsupported file is refused with its reader code, without reading past its end.
TEST_F(WaveTest, RefusalsCarryTheirCodes)
{
    EXPECT_EQ(kx_snd_wave_read("missing.wav", &format, &data, &size), KX_SND_ERR_WAVE_OPEN);
    std::string good = wave(pcm16({5, 6})), list = "LIST", fact = "fact";
    put(list, 4, 4);
    list += "INFO";
    put(fact, 4, 4);
    put(fact, 2, 4);
    auto patched = [&](size_t at, const std::string &bytes) { return good.substr(0, at) + bytes + good.substr(at + bytes.size()); };
    const std::pair<std::string, int> cases[] = {
        {patched(0, "X"), KX_SND_ERR_WAVE_RIFF},
        {good.substr(0, 19), KX_SND_ERR_WAVE_RIFF},
        {patched(8, "A"), KX_SND_ERR_WAVE_WAVE},
        {patched(12, "LIST"), KX_SND_ERR_WAVE_WAVE},
        {wave(pcm16({5, 6}), {.tag = 2}), KX_SND_ERR_WAVE_PCM},   // ADPCM
        {wave(pcm16({5, 6}), {.tag = 3, .bits = 32}), KX_SND_ERR_WAVE_PCM},   // floats
        {patched(16, std::string("\x00\x10", 2)), KX_SND_ERR_WAVE_PCM},   // format chunk past the end
        {patched(16, "\x0E"), KX_SND_ERR_WAVE_PCM},                      // format chunk too short
        {wave(pcm16({1, 2}), {.between = list}), KX_SND_ERR_WAVE_DATA},   // chunks between format and data
        {wave(pcm16({1, 2}), {.between = fact}), KX_SND_ERR_WAVE_DATA},
        {wave(pcm16({1, 2, 3}), {.data_size_delta = 1}), KX_SND_ERR_WAVE_DATA},   // data one byte longer than the file
        {patched(40, "\xFF\xFF\xFF\xFF"), KX_SND_ERR_WAVE_DATA},        // a huge data size is not allocated
        {good.substr(0, 36), KX_SND_ERR_WAVE_DATA},                       // no data chunk id
    };
    for (const auto &[bytes, code] : cases) {
        SCOPED_TRACE(&bytes - &cases[0].first);
        EXPECT_EQ(read(bytes), code);
        EXPECT_EQ(data, nullptr);
    }
    // A shorter data size than the bytes present is fine: only the chunk is taken.
    ASSERT_EQ(read(wave(pcm16({7, 8}), {.data_size_delta = -2})), 0);
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
