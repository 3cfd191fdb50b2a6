// Differential tests of the MP3 decoder: files made by lame from generated signals are decoded
// by us and by libmpg123; the 16-bit outputs must have the same length and match to >= 90 dB.
// Mixed blocks and intensity stereo, which lame never writes, are reached by switching them on in
// the side information and header of lame's frames: the frames stay well formed (same bit
// counts) and both decoders must still agree.
#include "tests/kx_snd_mp3/mp3_test_util.h"

#include "kx/kx_snd/kx_snd_mp3_local.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mp3_test;

namespace {

struct diff_case {
    const char *name;
    signal_kind kind;
    int rate;
    int channels;
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

// Where the fields of one granule sit in a frame's side information, found by walking it.
struct granule_bits {
    int scalefac_compress;
    int window_switching;
    int block_type;
    size_t mixed_bit;   // bit offset of mixed_block_flag from the frame start
};

struct frame_walk {
    KX_SND_MP3_HEADER header;
    granule_bits gr[2][2];
};

uint32_t take(const uint8_t *p, size_t *pos, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; i++, (*pos)++) v = v << 1 | ((p[*pos >> 3] >> (7 - (*pos & 7))) & 1);
    return v;
}

// Walks every frame of a lame file (the first, its information frame, included).
std::vector<std::pair<size_t, frame_walk>> walk_frames(const std::vector<uint8_t> &mp3)
{
    std::vector<std::pair<size_t, frame_walk>> frames;
    size_t at = 0;
    if (mp3.size() > 10 && mp3[0] == 'I' && mp3[1] == 'D' && mp3[2] == '3')
        at = 10 + (static_cast<size_t>(mp3[6]) << 21 | static_cast<size_t>(mp3[7]) << 14 | static_cast<size_t>(mp3[8]) << 7 | mp3[9]);
    while (at + 4 <= mp3.size()) {
        frame_walk f{};
        if (!kx_snd_mp3_header_parse(mp3.data() + at, &f.header) || at + static_cast<size_t>(f.header.bytes) > mp3.size()) break;
        const uint8_t *p = mp3.data() + at;
        size_t pos = (4 + (f.header.crc ? 2 : 0)) * 8;
        int nch = f.header.channels;
        take(p, &pos, 9);
        take(p, &pos, nch == 1 ? 5 : 3);
        take(p, &pos, 4 * nch);
        for (int gr = 0; gr < 2; gr++)
            for (int ch = 0; ch < nch; ch++) {
                granule_bits &g = f.gr[gr][ch];
                take(p, &pos, 12 + 9 + 8);
                g.scalefac_compress = static_cast<int>(take(p, &pos, 4));
                g.window_switching = static_cast<int>(take(p, &pos, 1));
                if (g.window_switching) {
                    g.block_type = static_cast<int>(take(p, &pos, 2));
                    g.mixed_bit = pos;
                    take(p, &pos, 1 + 10 + 9);
                } else {
                    take(p, &pos, 15 + 7);
                }
                take(p, &pos, 3);
            }
        frames.push_back({at, f});
        at += static_cast<size_t>(f.header.bytes);
    }
    return frames;
}

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
    EXPECT_EQ(info.rate, ref_rate);
    EXPECT_EQ(info.channels, ref_channels);
    EXPECT_EQ(info.rate, c.rate);

    std::vector<int16_t> ours = decode_ours(mp3);
    EXPECT_EQ(ours.size(), ref.size());
    // Gapless trimming gives back exactly what was encoded.
    EXPECT_EQ(ours.size(), pcm.size());
    double snr = snr_db(ref, ours);
    std::printf("[ snr      ] %s: %.1f dB over %zu samples\n", c.name, snr, ref.size());
    EXPECT_GE(snr, 90.0);

    if (c.kind == signal_kind::transients) {
        int short_granules = 0;
        for (const auto &f : walk_frames(mp3))
            for (int gr = 0; gr < 2; gr++)
                for (int ch = 0; ch < f.second.header.channels; ch++)
                    short_granules += f.second.gr[gr][ch].window_switching && f.second.gr[gr][ch].block_type == 2;
        EXPECT_GT(short_granules, 10) << "the transients did not bring short blocks";
    }
}

INSTANTIATE_TEST_SUITE_P(Lame, Mp3Diff, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<diff_case> &i) { return std::string(i.param.name); });

TEST(Mp3DiffCoding, MixedBlocksMatchReference)
{
    // Few short granules of lame's have slen1 = 0, so gather them over several encodes and
    // measure only around the switched granules.
    int switched = 0;
    std::vector<int16_t> ref_parts, our_parts;
    for (uint32_t seed = 1; seed <= 4; seed++) {
        std::vector<int16_t> pcm = make_signal(signal_kind::transients, 44100, 2, 4.0, seed);
        std::vector<uint8_t> mp3 = encode(pcm, 44100, 2, "-m s -b 320 --resample 44.1");
        ASSERT_FALSE(mp3.empty());
        std::vector<long> granules;
        std::vector<std::pair<size_t, frame_walk>> frames = walk_frames(mp3);
        for (size_t i = 1; i < frames.size(); i++)
            for (int gr = 0; gr < 2; gr++)
                for (int ch = 0; ch < 2; ch++) {
                    const granule_bits &g = frames[i].second.gr[gr][ch];
                    // Only where the first scale factor group takes no bits (slen1 = 0), so that
                    // the mixed layout reads as many scale factor bits and the data stays aligned.
                    if (!g.window_switching || g.block_type != 2 || g.scalefac_compress > 3) continue;
                    size_t bit = frames[i].first * 8 + g.mixed_bit;
                    mp3[bit >> 3] |= static_cast<uint8_t>(0x80 >> (bit & 7));
                    granules.push_back(static_cast<long>(i - 1) * 2 + gr);
                    switched++;
                }
        std::vector<int16_t> ref = decode_reference(mp3);
        std::vector<int16_t> ours = decode_ours(mp3);
        ASSERT_EQ(ours.size(), ref.size());
        // Output sample of decoded sample n is n - 1105 (encoder and decoder delay).
        for (long g : granules) {
            long from = std::max(0L, g * 576 - 1105), to = std::min(static_cast<long>(ref.size() / 2), g * 576 - 1105 + 1152);
            for (long i = from * 2; i < to * 2; i++) {
                ref_parts.push_back(ref[static_cast<size_t>(i)]);
                our_parts.push_back(ours[static_cast<size_t>(i)]);
            }
        }
    }
    ASSERT_GE(switched, 4);
    double snr = snr_db(ref_parts, our_parts);
    std::printf("[ snr      ] mixed blocks: %.1f dB around %d switched granules\n", snr, switched);
    EXPECT_GE(snr, 90.0);
}

TEST(Mp3DiffCoding, IntensityStereoMatchesReference)
{
    std::vector<int16_t> pcm = make_signal(signal_kind::tones, 44100, 2, 3.0, 5);
    std::vector<uint8_t> mp3 = encode(pcm, 44100, 2, "-m j -b 128 --resample 44.1");
    ASSERT_FALSE(mp3.empty());
    int switched = 0;
    for (const auto &f : walk_frames(mp3)) {
        if (f.second.header.mode != 1) continue;
        mp3[f.first + 3] |= 0x10;   // mode extension: intensity stereo on
        switched++;
    }
    ASSERT_GT(switched, 10);
    std::vector<int16_t> ref = decode_reference(mp3);
    std::vector<int16_t> ours = decode_ours(mp3);
    EXPECT_EQ(ours.size(), ref.size());
    double snr = snr_db(ref, ours);
    std::printf("[ snr      ] intensity stereo: %.1f dB, %d frames switched\n", snr, switched);
    EXPECT_GE(snr, 90.0);
}

}  // namespace
