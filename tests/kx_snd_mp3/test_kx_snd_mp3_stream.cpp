// Tests of the MP3 stream: refusal of data without frames, damaged and cut files, a bit reservoir
// reaching before the data, ID3 tags, looping and rewinding, silence at the end, volume, pan and
// conversion to other output formats.
#include "tests/kx_snd_mp3/mp3_test_util.h"

#include <gtest/gtest.h>

using namespace mp3_test;

namespace {

// One encode shared by the tests: 2 s of stereo tones at 44.1 kHz, VBR so the reservoir is used.
const std::vector<uint8_t> &song()
{
    static const std::vector<uint8_t> mp3 =
        encode(make_signal(signal_kind::tones, 44100, 2, 2.0, 11), 44100, 2, "-m j -V 3 --resample 44.1");
    return mp3;
}

template <class It> bool all_are(It from, It to, int value)
{
    return std::all_of(from, to, [value](auto v) { return v == value; });
}

// Samples [from, to) of interleaved stereo, in frames.
std::vector<int16_t> span(const std::vector<int16_t> &v, long from, long to)
{
    return std::vector<int16_t>(v.begin() + from * 2, v.begin() + to * 2);
}

TEST(Mp3Stream, RefusesDataWithoutFramesAndBadFormats)
{
    std::vector<uint8_t> garbage(65536);
    uint32_t x = 12345;
    for (uint8_t &b : garbage) x = x * 1103515245u + 12345u, b = static_cast<uint8_t>(x >> 24);
    EXPECT_EQ(kx_snd_mp3_probe(garbage.data(), garbage.size(), nullptr), 0);
    EXPECT_EQ(kx_snd_mp3_open(garbage.data(), garbage.size(), 1, 44100, 16, 2), nullptr);
    EXPECT_EQ(kx_snd_mp3_open(garbage.data(), 0, 1, 44100, 16, 2), nullptr);
    EXPECT_EQ(kx_snd_mp3_open(nullptr, 100, 1, 44100, 16, 2), nullptr);
    // A lone header followed by noise is not believed.
    std::vector<uint8_t> lone = garbage;
    lone[0] = 0xFF, lone[1] = 0xFB, lone[2] = 0x90, lone[3] = 0x44, lone[417] = 0x00;
    EXPECT_EQ(kx_snd_mp3_probe(lone.data(), lone.size(), nullptr), 0);
    // Free-format frames (bitrate index 0) are refused cleanly.
    const std::vector<uint8_t> &mp3 = song();
    ASSERT_FALSE(mp3.empty());
    std::vector<uint8_t> free_format(mp3);
    for (const frame_walk &f : walk_frames(free_format)) free_format[f.at + 2] &= 0x0F;
    EXPECT_EQ(kx_snd_mp3_open(free_format.data(), free_format.size(), 1, 44100, 16, 2), nullptr);
    EXPECT_EQ(kx_snd_mp3_open(mp3.data(), mp3.size(), 1, 44100, 12, 2), nullptr);
    EXPECT_EQ(kx_snd_mp3_open(mp3.data(), mp3.size(), 1, 44100, 16, 3), nullptr);
    EXPECT_EQ(kx_snd_mp3_open(mp3.data(), mp3.size(), 1, 100, 16, 2), nullptr);
}

TEST(Mp3Stream, TagsAreSkippedAndId3v1Read)
{
    const std::vector<uint8_t> &mp3 = song();
    ASSERT_FALSE(mp3.empty());
    // An ID3v2 tag whose body looks like frame headers, and an ID3v1 tag at the end.
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0}, v1(128, 0);
    for (int i = 0; i < 128; i++) tagged.insert(tagged.end(), {0xFF, 0xFB});
    tagged.insert(tagged.end(), mp3.begin(), mp3.end());
    for (auto [at, text] : {std::pair<size_t, std::string>{0, "TAG"}, {3, "Level Seven   "}, {33, "Veltramondo"}, {93, "2024"}})
        std::copy(text.begin(), text.end(), v1.begin() + static_cast<long>(at));
    tagged.insert(tagged.end(), v1.begin(), v1.end());
    KX_SND_MP3_INFO info, bare;
    ASSERT_EQ(kx_snd_mp3_probe(tagged.data(), tagged.size(), &info), 1);
    EXPECT_EQ(info.has_id3v1, 1);
    EXPECT_STREQ(info.title, "Level Seven");
    EXPECT_STREQ(info.artist, "Veltramondo");
    EXPECT_STREQ(info.year, "2024");
    ASSERT_EQ(kx_snd_mp3_probe(mp3.data(), mp3.size(), &bare), 1);
    EXPECT_EQ(bare.has_id3v1, 0);
    EXPECT_EQ(info.frames, bare.frames);
    EXPECT_EQ(decode_ours(tagged), decode_ours(mp3));
}

// A frame that cannot be decoded is silent and the next ones decode as before: data that starts
// at a frame whose main data begins in the frames before it, and a frame with a bad field.
TEST(Mp3Stream, DamagedFramesAreSilencedAndDecodingRecovers)
{
    const std::vector<uint8_t> &mp3 = song();
    std::vector<frame_walk> frames = walk_frames(mp3);
    ASSERT_GT(frames.size(), 40u);
    size_t borrower = 0;
    for (size_t i = 2; i + 10 < frames.size() && !borrower; i++) borrower = frames[i].main_data_begin > 0 ? frames[i].at : 0;
    ASSERT_NE(borrower, 0u) << "lame wrote no frame that uses the reservoir";
    std::vector<int16_t> out = decode_ours(std::vector<uint8_t>(mp3.begin() + static_cast<long>(borrower), mp3.end()));
    ASSERT_GT(out.size(), 4u * 2304);
    EXPECT_TRUE(all_are(out.begin(), out.begin() + 2304, 0));
    EXPECT_TRUE(std::any_of(out.begin() + 2304, out.end(), [](int16_t v) { return std::abs(v) > 1000; }));

    // big_values of granule 0, channel 0 set past its limit of 288.
    std::vector<int16_t> clean = decode_ours(mp3);
    std::vector<uint8_t> damaged = mp3;
    const size_t k = 30;
    damaged[frames[k].at + 4 + 4] = 0xFF;
    out = decode_ours(damaged);
    ASSERT_EQ(out.size(), clean.size());
    // Audio frame n (counting after the information frame) starts at n * 1152 - 1105 samples.
    const long start = static_cast<long>(k - 1) * 1152 - 1105, after = start + 2 * 1152, end = static_cast<long>(out.size() / 2);
    std::vector<int16_t> silent = span(out, start, start + 1152);
    EXPECT_TRUE(all_are(silent.begin(), silent.end(), 0));
    EXPECT_EQ(span(out, 0, start), span(clean, 0, start));
    EXPECT_EQ(span(out, after, end), span(clean, after, end));
    // Random damage everywhere: no crash, and the output keeps its length.
    std::vector<uint8_t> noisy = mp3;
    for (uint32_t i = 0, x = 99; i < 300; i++) x = x * 1103515245u + 12345u, noisy[(x >> 8) % noisy.size()] ^= static_cast<uint8_t>(x >> 3);
    EXPECT_GT(decode_ours(noisy).size(), clean.size() / 2);
}

TEST(Mp3Stream, LoopRepeatsTheSongAndRewindRestarts)
{
    const std::vector<uint8_t> &mp3 = song();
    std::vector<uint8_t> once = decode_ours_raw(mp3, 44100, 16, 2), looped(once.size() * 5 / 2), again(40000);
    ASSERT_FALSE(once.empty());
    KX_SND_MP3 *s = kx_snd_mp3_open(mp3.data(), mp3.size(), 1, 44100, 16, 2);
    ASSERT_NE(s, nullptr);
    // Odd-sized reads cross frame and loop boundaries at odd places.
    for (size_t done = 0, n = 0; done < looped.size(); done += n) {
        n = std::min<size_t>(777, looped.size() - done);
        ASSERT_EQ(kx_snd_mp3_read(s, looped.data() + done, static_cast<int>(n)), static_cast<int>(n));
    }
    EXPECT_TRUE(std::equal(once.begin(), once.end(), looped.begin()));
    EXPECT_TRUE(std::equal(once.begin(), once.end(), looped.begin() + static_cast<long>(once.size())));
    EXPECT_TRUE(std::equal(looped.begin() + static_cast<long>(2 * once.size()), looped.end(), once.begin()));
    EXPECT_EQ(s->ended, 0);
    kx_snd_mp3_rewind(s);
    ASSERT_EQ(kx_snd_mp3_read(s, again.data(), static_cast<int>(again.size())), static_cast<int>(again.size()));
    EXPECT_TRUE(std::equal(again.begin(), again.end(), once.begin()));
    kx_snd_mp3_close(s);
}

// Without loop the stream ends in silence (0 for 16-bit, 128 for 8-bit output); a cut file ends
// early, after the start of the song.
TEST(Mp3Stream, EndWithoutLoopFillsSilence)
{
    const std::vector<uint8_t> &mp3 = song();
    const std::vector<uint8_t> cut(mp3.begin(), mp3.begin() + static_cast<long>(mp3.size() * 6 / 10 + 77));
    for (int bits : {8, 16})
        for (const std::vector<uint8_t> *file : {&mp3, &cut}) {
            SCOPED_TRACE(testing::Message() << bits << (file == &cut ? " bits, cut" : " bits"));
            const std::vector<uint8_t> full = decode_ours_raw(mp3, 44100, bits, 1);
            const int length = 2 * 44100 * bits / 8;
            ASSERT_EQ(full.size(), static_cast<size_t>(length));
            KX_SND_MP3 *s = kx_snd_mp3_open(file->data(), file->size(), 0, 44100, bits, 1);
            ASSERT_NE(s, nullptr);
            std::vector<uint8_t> buf(static_cast<size_t>(length) + 5000, 0x55);
            int got = kx_snd_mp3_read(s, buf.data(), static_cast<int>(buf.size()));
            EXPECT_TRUE(file == &cut ? got > length / 3 && got < length * 7 / 10 : got == length) << got;
            EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + got, full.begin()));
            EXPECT_TRUE(all_are(buf.begin() + got, buf.end(), bits == 8 ? 128 : 0));
            EXPECT_EQ(s->ended, 1);
            EXPECT_EQ(kx_snd_mp3_read(s, buf.data(), 1000), 0);   // further reads give only silence
            kx_snd_mp3_close(s);
        }
}

TEST(Mp3Stream, VolumeAndPanScaleTheChannels)
{
    const std::vector<uint8_t> &mp3 = song();
    std::vector<int16_t> full = samples_of(decode_ours_raw(mp3, 44100, 16, 2));
    auto decode_with = [&](int volume, int pan) {
        KX_SND_MP3 *s = kx_snd_mp3_open(mp3.data(), mp3.size(), 0, 44100, 16, 2);
        kx_snd_mp3_set_volume(s, volume);
        kx_snd_mp3_set_pan(s, pan);
        std::vector<uint8_t> raw(full.size() * 2);
        kx_snd_mp3_read(s, raw.data(), static_cast<int>(raw.size()));
        kx_snd_mp3_close(s);
        return samples_of(raw);
    };
    std::vector<int16_t> half = decode_with(50, 0), right = decode_with(100, 100), left = decode_with(100, -250), mute = decode_with(0, 0);
    for (size_t i = 0; i < full.size(); i += 97) EXPECT_NEAR(half[i], full[i] / 2.0, 1.01) << i;
    for (size_t i = 0; i < full.size(); i += 2) {   // the pan of -250 is clamped to -100
        ASSERT_EQ(right[i], 0);
        ASSERT_EQ(right[i + 1], full[i + 1]);
        ASSERT_EQ(left[i], full[i]);
        ASSERT_EQ(left[i + 1], 0);
    }
    EXPECT_TRUE(all_are(mute.begin(), mute.end(), 0));
}

// One second of a 1 kHz tone, decoded to 8-bit mono at 22050 Hz and to 16-bit stereo at 48 kHz.
TEST(Mp3Stream, ConvertsToAnotherRateWidthAndChannelCount)
{
    std::vector<int16_t> tone(44100 * 2);
    for (size_t i = 0; i < 44100; i++)
        tone[2 * i] = tone[2 * i + 1] = static_cast<int16_t>(std::lrint(20000.0 * std::sin(2 * M_PI * 1000.0 * i / 44100.0)));
    std::vector<uint8_t> mp3 = encode(tone, 44100, 2, "-m j -b 128 --resample 44.1");
    ASSERT_FALSE(mp3.empty());
    std::vector<uint8_t> out = decode_ours_raw(mp3, 22050, 8, 1);
    EXPECT_NEAR(static_cast<double>(out.size()), 22050.0, 2.0);
    int crossings = 0, peak = 0;
    for (size_t i = 2000; i + 2000 < out.size(); i++)
        crossings += (out[i - 1] < 128) != (out[i] < 128), peak = std::max(peak, std::abs(out[i] - 128));
    // 1000 cycles a second: two crossings per cycle over the 0.82 s measured.
    EXPECT_NEAR(crossings, 2 * 1000 * (out.size() - 4000) / 22050.0, 8.0);
    EXPECT_NEAR(peak, 20000 / 256, 6);
    EXPECT_NEAR(static_cast<double>(decode_ours_raw(mp3, 48000, 16, 2).size()) / 4, 48000.0, 3.0);
}

}  // namespace
