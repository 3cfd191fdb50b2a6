// Differential tests of the MP3 decoder: files made by lame from generated signals are decoded
// by us and by libmpg123; the 16-bit outputs must have the same length and match to >= 90 dB.
// Mixed blocks and intensity stereo, which lame never writes, are reached by switching them on in
// the side information and header of lame's frames: the frames stay well formed (same bit
// counts) and both decoders must still agree.
#include "tests/kx_snd_mp3/mp3_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace mp3_test;

namespace {

constexpr double MIN_SNR_DB = 90.0;

void expect_agree(const std::vector<int16_t> &ref, const std::vector<int16_t> &ours, const std::string &what)
{
    EXPECT_EQ(ours.size(), ref.size());
    double snr = snr_db(ref, ours);
    std::printf("[ snr      ] %s: %.1f dB over %zu samples\n", what.c_str(), snr, ref.size());
    EXPECT_GE(snr, MIN_SNR_DB);
}

struct diff_case {
    const char *name;
    signal_kind kind;
    int rate, channels;
    const char *options;
};

const diff_case cases[] = {
    {"mono_44k_cbr", signal_kind::tones, 44100, 1, "-m m -b 128 --resample 44.1"},
    {"stereo_48k_cbr", signal_kind::tones, 48000, 2, "-m s -b 192 --resample 48"},
    {"joint_32k_cbr", signal_kind::tones, 32000, 2, "-m j -b 96 --resample 32"},
    {"joint_44k_vbr", signal_kind::tones, 44100, 2, "-m j -V 2 --resample 44.1"},
    {"joint_48k_vbr_low", signal_kind::tones, 48000, 2, "-m j -V 7 --resample 48"},
    {"transients_44k_cbr", signal_kind::transients, 44100, 2, "-m j -b 160 --resample 44.1"},
    {"transients_mono_32k_vbr", signal_kind::transients, 32000, 1, "-m m -V 4 --resample 32"},
    {"transients_stereo_48k_320", signal_kind::transients, 48000, 2, "-m s -b 320 --resample 48"},
    {"crc_joint_44k", signal_kind::tones, 44100, 2, "-p -m j -b 128 --resample 44.1"},
};

class Mp3Diff : public ::testing::TestWithParam<diff_case> {};

TEST_P(Mp3Diff, MatchesReferenceDecoder)
{
    const diff_case &c = GetParam();
    std::vector<int16_t> pcm = make_signal(c.kind, c.rate, c.channels, 3.0, 7);
    std::vector<uint8_t> mp3 = encode(pcm, c.rate, c.channels, c.options);
    ASSERT_FALSE(mp3.empty()) << "lame failed";
    int ref_rate = 0, ref_channels = 0;
    std::vector<int16_t> ref = decode_reference(mp3, &ref_rate, &ref_channels);
    ASSERT_FALSE(ref.empty());
    KX_SND_MP3_INFO info;
    ASSERT_EQ(kx_snd_mp3_probe(mp3.data(), mp3.size(), &info), 1);
    EXPECT_EQ((std::pair{info.rate, info.channels}), (std::pair{ref_rate, ref_channels}));
    std::vector<int16_t> ours = decode_ours(mp3);
    EXPECT_EQ(ours.size(), pcm.size());   // gapless trimming gives back exactly what was encoded
    expect_agree(ref, ours, c.name);
    if (c.kind != signal_kind::transients) return;
    int short_granules = 0;
    for (const frame_walk &f : walk_frames(mp3))
        for (int i = 0; i < 4; i++) short_granules += f.gr[i / 2][i % 2].window_switching && f.gr[i / 2][i % 2].block_type == 2;
    EXPECT_GT(short_granules, 10) << "the transients did not bring short blocks";
}

INSTANTIATE_TEST_SUITE_P(Lame, Mp3Diff, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<diff_case> &i) { return std::string(i.param.name); });

// Few short granules of lame's have slen1 = 0, so gather them over several encodes and measure only
// around the switched granules.
TEST(Mp3DiffCoding, MixedBlocksMatchReference)
{
    int switched = 0;
    std::vector<int16_t> ref_parts, our_parts;
    for (uint32_t seed = 1; seed <= 4; seed++) {
        std::vector<uint8_t> mp3 =
            encode(make_signal(signal_kind::transients, 44100, 2, 4.0, seed), 44100, 2, "-m s -b 320 --resample 44.1");
        ASSERT_FALSE(mp3.empty());
        std::vector<long> granules;
        std::vector<frame_walk> frames = walk_frames(mp3);
        for (size_t i = 1; i < frames.size(); i++)
            for (int k = 0; k < 4; k++) {
                const granule_bits &g = frames[i].gr[k / 2][k % 2];
                // Only where the first scale factor group takes no bits (slen1 = 0), so that the
                // mixed layout reads as many scale factor bits and the data stays aligned.
                if (!g.window_switching || g.block_type != 2 || g.scalefac_compress > 3) continue;
                size_t bit = frames[i].at * 8 + g.mixed_bit;
                mp3[bit >> 3] |= static_cast<uint8_t>(0x80 >> (bit & 7));
                granules.push_back(static_cast<long>(i - 1) * 2 + k / 2);
                switched++;
            }
        std::vector<int16_t> ref = decode_reference(mp3), ours = decode_ours(mp3);
        ASSERT_EQ(ours.size(), ref.size());
        // Output sample of decoded sample n is n - 1105 (encoder and decoder delay).
        for (long g : granules)
            for (long i = 2 * std::max(0L, g * 576 - 1105); i < 2 * std::min(static_cast<long>(ref.size() / 2), g * 576 - 1105 + 1152); i++)
                ref_parts.push_back(ref[static_cast<size_t>(i)]), our_parts.push_back(ours[static_cast<size_t>(i)]);
    }
    ASSERT_GE(switched, 4);
    expect_agree(ref_parts, our_parts, "mixed blocks around " + std::to_string(switched) + " switched granules");
}

TEST(Mp3DiffCoding, IntensityStereoMatchesReference)
{
    std::vector<uint8_t> mp3 = encode(make_signal(signal_kind::tones, 44100, 2, 3.0, 5), 44100, 2, "-m j -b 128 --resample 44.1");
    ASSERT_FALSE(mp3.empty());
    int switched = 0;
    for (const frame_walk &f : walk_frames(mp3))
        if (f.header.mode == 1) mp3[f.at + 3] |= 0x10, switched++;   // mode extension: intensity stereo on
    ASSERT_GT(switched, 10);
    expect_agree(decode_reference(mp3), decode_ours(mp3), "intensity stereo, " + std::to_string(switched) + " frames switched");
}

}  // namespace
