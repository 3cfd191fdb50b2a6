// The wave reader: accepted layouts, each refusal with its error code, and sizes that disagree
// with the file.
#include "tests/kx_snd/snd_test_util.h"

#include "kx/kx_mem/kx_mem.h"

using namespace snd_test;

namespace {

class WaveTest : public SoundTest {
protected:
    KX_SND_WAVE_FORMAT format{};
    uint32_t size = 0;
    std::string samples;   // the data chunk read, empty when refused

    int read(const std::string &bytes)
    {
        write_file(dir / "t.wav", bytes);
        uint8_t *data = nullptr;
        int code = kx_snd_wave_read("t.wav", &format, &data, &size);
        EXPECT_EQ(data == nullptr, code != 0);
        samples = data ? std::string(reinterpret_cast<char *>(data), size) : "";
        kx_mem_free(data);
        return code;
    }

    V fields() const
    {
        return {format.format_tag, format.channels, static_cast<int>(format.samples_per_sec),
                static_cast<int>(format.avg_bytes_per_sec), format.block_align, format.bits_per_sample, format.extra_size};
    }
};

TEST_F(WaveTest, PlainAndExtendedFormatChunksLoad)
{
    std::string pcm = pcm16({1, -2, 300, -32768, 32767});
    ASSERT_EQ(read(wave(pcm)), 0);
    EXPECT_EQ(fields(), (V{1, 1, 22050, 44100, 2, 16, 0}));
    EXPECT_EQ(samples, pcm);
    // 18 bytes: the extra-size word is skipped, whatever it holds.
    std::string with_extra = wave(pcm.substr(0, 8), {.channels = 2, .rate = 44100, .fmt_size = 18});
    with_extra[36] = 0x7F;
    ASSERT_EQ(read(with_extra), 0);
    EXPECT_EQ(fields(), (V{1, 2, 44100, 176400, 4, 16, 0}));
    EXPECT_EQ(samples, pcm.substr(0, 8));
    // A shorter data size than the bytes present is fine: only the chunk is taken.
    ASSERT_EQ(read(wave(pcm16({7, 8}), {.data_size_delta = -2})), 0);
    EXPECT_EQ(samples, pcm16({7}));
}

// Each damaged or unsupported file is refused with its reader code, without reading past its end;
// every code has its text.
TEST_F(WaveTest, RefusalsCarryTheirCodesAndTexts)
{
    uint8_t *data = nullptr;
    EXPECT_EQ(kx_snd_wave_read("missing.wav", &format, &data, &size), KX_SND_ERR_WAVE_OPEN);
    std::string good = wave(pcm16({5, 6}));
    auto patched = [&](size_t at, const std::string &bytes) { return good.substr(0, at) + bytes + good.substr(at + bytes.size()); };
    const std::pair<std::string, int> cases[] = {
        {patched(0, "X"), KX_SND_ERR_WAVE_RIFF},
        {good.substr(0, 19), KX_SND_ERR_WAVE_RIFF},
        {patched(8, "A"), KX_SND_ERR_WAVE_WAVE},
        {patched(12, "LIST"), KX_SND_ERR_WAVE_WAVE},
        {wave(pcm16({5, 6}), {.tag = 2}), KX_SND_ERR_WAVE_PCM},               // ADPCM
        {wave(pcm16({5, 6}), {.tag = 3, .bits = 32}), KX_SND_ERR_WAVE_PCM},   // floats
        {patched(16, std::string("\x00\x10", 2)), KX_SND_ERR_WAVE_PCM},       // format chunk past the end
        {patched(16, "\x0E"), KX_SND_ERR_WAVE_PCM},                           // format chunk too short
        {wave(pcm16({1, 2}), {.between = chunk("LIST", 4)}), KX_SND_ERR_WAVE_DATA},   // chunks between format and data
        {wave(pcm16({1, 2}), {.between = chunk("fact", 4)}), KX_SND_ERR_WAVE_DATA},
        {wave(pcm16({1, 2, 3}), {.data_size_delta = 1}), KX_SND_ERR_WAVE_DATA},   // data one byte longer than the file
        {patched(40, "\xFF\xFF\xFF\xFF"), KX_SND_ERR_WAVE_DATA},                  // a huge data size is not allocated
        {good.substr(0, 36), KX_SND_ERR_WAVE_DATA},                               // no data chunk id
    };
    for (const auto &[bytes, code] : cases) {
        SCOPED_TRACE(&bytes - &cases[0].first);
        EXPECT_EQ(read(bytes), code);
    }
    const std::pair<int, const char *> texts[] = {
        {KX_SND_ERR_WAVE_OPEN, "Could not open wave file"}, {KX_SND_ERR_WAVE_RIFF, "This file is not in RIFF format"},
        {KX_SND_ERR_WAVE_WAVE, "This file is not on WAVE format"}, {KX_SND_ERR_WAVE_PCM, "This file is not in MicroSoft PCM format"},
        {KX_SND_ERR_WAVE_DATA, "This file contains an invalid data chunk"}, {KX_SND_ERR_STATUS, "Could not get channel status"},
        {25, ""}};
    for (auto [code, text] : texts) EXPECT_STREQ(kx_snd_error_text(code), text);
}

} // namespace
