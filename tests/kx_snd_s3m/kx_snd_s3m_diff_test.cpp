// Differential tests of the S3M player against libopenmpt: the same song length (within one
// tick) and the same envelope. Envelope measure: RMS of the mono mix in 20 ms windows at 44100 Hz,
// lined up in 5-second segments within +-200 ms (see match); the envelopes must correlate
// (Pearson) at 0.95 or better and the overall levels must lie within 3 dB. Pitch effects
// are also held to the zero-crossing rate per window (correlation 0.9).
#include "tests/kx_snd_s3m/s3m_compare.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr double MIN_CORRELATION = 0.95, MAX_LEVEL_DB = 3.0, MIN_CROSSING_CORRELATION = 0.9;

// Our song length against the peer's. libopenmpt counts each tick of its song length in whole
// samples at 48 kHz, cut short, so its length may run up to 1/48000 s per tick below the exact
// one; the tolerance adds that to a tick. With `seconds` > 0 the renders of both (up to that
// length) must also match: a render whose RMS stays below `silence` (-50 dBFS unless told) in both
// players counts as silence in both and its envelope is not compared; `pitch` also holds the zero
// crossings.
void expect_match(const std::vector<uint8_t> &file, double seconds, bool pitch, int quality = KX_SND_S3M_QUALITY_MEDIUM,
                  double silence = 100)
{
    int error = 0;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), &error);
    ASSERT_NE(m, nullptr) << kx_snd_s3m_error_text(error);
    KX_SND_S3M_LENGTH ours{};
    kx_snd_s3m_length_get(m, 7200, &ours);
    kx_snd_s3m_free(m);
    seconds = std::min(seconds, ours.seconds);
    double ref_length = 0;
    std::vector<int16_t> ref = render_reference(file, quality, seconds, &ref_length);
    EXPECT_NEAR(ours.seconds, ref_length, ours.tick_seconds + static_cast<double>(ours.ticks) / 48000.0 + 1e-6);
    if (seconds <= 0) return;
    Match c = match(s3m_render_ours(file, quality, seconds), ref);
    std::printf("  length %.3f s (openmpt %.3f s, tick %.4f s), envelope r=%.4f, level %+.2f dB (rms %.0f / %.0f), crossings r=%.4f\n",
                ours.seconds, ref_length, ours.tick_seconds, c.correlation, c.level_db, c.ours_rms, c.ref_rms, c.crossing_correlation);
    if (c.ref_rms < silence && c.ours_rms < silence) return;
    EXPECT_GE(c.correlation, MIN_CORRELATION);
    EXPECT_LE(std::fabs(c.level_db), MAX_LEVEL_DB);
    if (pitch) { EXPECT_GE(c.crossing_correlation, MIN_CROSSING_CORRELATION); }
}

// Media modules. Length only: AdlibZeroVolumeNote has nothing but an Adlib instrument (we play no
// Adlib sound); in PatternDelaysRetrig the peer keeps a beat between two channels steady across
// rows with pattern delays and fine slides that our player lets drift.
struct MediaCase {
    const char *name;
    bool length_only;
    bool quiet = false;   // a quiet module compared down to -70 dBFS
};

class MediaModule : public ::testing::TestWithParam<MediaCase> {};

TEST_P(MediaModule, MatchesReference)
{
    std::string path = std::string(VM_MEDIA_DIR) + "/s3m/" + GetParam().name;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no media file " << path;
    std::ifstream in(path, std::ios::binary);
    expect_match(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), GetParam().length_only ? 0 : 60, false,
                 KX_SND_S3M_QUALITY_MEDIUM, GetParam().quiet ? 10 : 100);
}

const MediaCase media[] = {{"blah_blob.s3m", false},       {"openmpt_test.s3m", false},        {"ParamMemory.s3m", false, true},
                           {"OffsetPastSampleEnd.s3m", false}, {"VibratoTypeChange.s3m", false}, {"PortaAfterArp.s3m", false},
                           {"libxmp_stereo.s3m", false},   {"libxmp_pattern_loop_st321.s3m", false},
                           {"AdlibZeroVolumeNote.s3m", true}, {"PatternDelaysRetrig.s3m", true}};
INSTANTIATE_TEST_SUITE_P(Media, MediaModule, ::testing::ValuesIn(media), [](const ::testing::TestParamInfo<MediaCase> &i) {
    return std::string(i.param.name).substr(0, std::strlen(i.param.name) - 4);
});

// Small modules built here, one per effect family, each rendered at all three qualities. Two
// instruments: a looped tone (4 cycles in 64 samples, about 520 Hz at C-4) and a one-shot noise
// burst; one pattern of rows filled by the family, or several patterns for the flow commands.
struct FamilyCase {
    const char *name;
    bool pitch;
    std::vector<std::vector<S3mEvent>> patterns;
    std::vector<uint8_t> orders = {0};
};

class EffectFamily : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(EffectFamily, MatchesReference)
{
    const FamilyCase &c = GetParam();
    for (int quality : {KX_SND_S3M_QUALITY_LOW, KX_SND_S3M_QUALITY_MEDIUM, KX_SND_S3M_QUALITY_HIGH}) {
        SCOPED_TRACE(quality);
        expect_match(s3m_build(S3mSong{6, 125, 2, c.orders, {s3m_tone(64, 4), s3m_burst(6000)}, c.patterns}), 60, c.pitch, quality);
    }
}

// Noise bursts on every other row make the timing of the flow commands audible.
std::vector<S3mEvent> bursts(std::vector<S3mEvent> events)
{
    for (int row = 0; row < 64; row += 2) events.push_back({row, 1, 48 + row % 12, 2, 40});
    return events;
}

const FamilyCase families[] = {
    {"VolumeSlidesAndGlobalVolume", false,
     {{{0, 0, 48, 1, 64, 'D', 0x04}, {1, 0, -1, 0, -1, 'D', 0x00}, {4, 0, -1, 0, -1, 'D', 0x30}, {8, 0, -1, 0, -1, 'D', 0xF4},
       {9, 0, -1, 0, -1, 'D', 0x4F}, {10, 0, -1, 0, -1, 'D', 0x0F}, {12, 0, -1, 0, 40}, {14, 1, 55, 1, 48, 'V', 0x20},
       {18, 0, -1, 0, -1, 'V', 0x40}, {20, 0, -1, 0, -1, 'D', 0x08}, {24, 1, -1, 0, 0}, {28, 0, 254}, {31, 0, -1}}}},
    {"Portamento", true,
     {{{0, 0, 48, 1, -1, 'E', 0x08}, {4, 0, -1, 0, -1, 'F', 0x10}, {8, 0, -1, 0, -1, 'E', 0xF8}, {9, 0, -1, 0, -1, 'F', 0xE8},
       {10, 0, -1, 0, -1, 'E', 0xEF}, {12, 0, 60, 1, -1, 'G', 0x10}, {13, 0, -1, 0, -1, 'G', 0x00}, {16, 0, 43, 0, -1, 'L', 0x02},
       {18, 0, -1, 0, -1, 'G', 0x00}, {22, 0, 36, 1}, {23, 0, -1, 0, -1, 'F', 0x20}, {31, 0, 254}}}},
    {"VibratoAndTremolo", true,
     {{{0, 0, 48, 1, -1, 'H', 0x48}, {4, 0, -1, 0, -1, 'U', 0x8F}, {8, 0, -1, 0, -1, 'K', 0x02}, {12, 0, -1, 0, 64, 'R', 0x4C},
       {16, 0, -1, 0, -1, 'S', 0x42}, {17, 0, -1, 0, -1, 'R', 0x00}, {20, 0, -1, 0, -1, 'S', 0x31}, {21, 0, -1, 0, -1, 'H', 0x66},
       {26, 0, -1, 0, -1, 'R', 0x8F}, {31, 0, 254}}}},
    {"ArpeggioAndTremor", true,
     {{{0, 0, 48, 1, -1, 'J', 0x47}, {4, 0, -1, 0, -1, 'J', 0x00}, {8, 0, -1, 0, -1, 'J', 0x3C}, {12, 0, -1, 0, -1, 'I', 0x21},
       {16, 0, -1, 0, -1, 'I', 0x13}, {20, 0, -1, 0, -1, 'I', 0x00}, {24, 0, 254}}}},
    {"SampleOffsetAndRetrigger", false,
     {{{0, 0, 48, 2, -1, 'O', 0x08}, {4, 0, 48, 2, -1, 'O', 0x00}, {8, 0, 48, 2, -1, 'O', 0x40}, {10, 0, 48, 2, -1, 'Q', 0x03},
       {14, 0, -1, 0, -1, 'Q', 0x82}, {18, 0, -1, 0, -1, 'Q', 0xF4}, {20, 0, 48, 2, 32, 'Q', 0x71}, {24, 0, 48, 1, -1, 'O', 0x01},
       {28, 0, 254}}}},
    {"SpecialCommandsAndPanning", false,
     {{{0, 0, 48, 1, -1, 'S', 0x82}, {0, 1, 55, 2, -1, 'X', 0x70}, {2, 0, -1, 0, -1, 'S', 0xC3}, {4, 0, 50, 1, -1, 'S', 0xD2},
       {6, 0, 52, 1, -1, 'S', 0xE2}, {8, 1, -1, 0, -1, 'S', 0xB0}, {9, 0, 53, 2, -1, 'X', 0x00}, {11, 1, -1, 0, -1, 'S', 0xB2},
       {14, 0, 55, 1, -1, 'S', 0xD4}, {16, 0, -1, 0, -1, 'S', 0x2F}, {17, 0, 48, 1}, {20, 0, 48, 1, -1, 'S', 0xDF},
       {24, 1, 48, 1, -1, 'X', 0x80}, {30, 0, 254}}}},
    // One memory per channel, written by any command with a parameter and read by D E F I J K L
    // Q R S; G, H/U, O and T keep their own.
    {"EffectMemory", true,
     {{{0, 0, 48, 1, 48, 'D', 0x00}, {2, 0, -1, 0, -1, 'X', 0x04}, {4, 0, -1, 0, -1, 'D', 0x00},
       {6, 0, -1, 0, 48, 'H', 0x46}, {8, 0, -1, 0, -1, 'H', 0x00}, {10, 0, -1, 0, -1, 'T', 0x00},
       {12, 0, -1, 0, -1, 'G', 0x01}, {14, 0, -1, 0, -1, 'E', 0x00}, {16, 0, -1, 0, -1, 'R', 0x48},
       {18, 0, -1, 0, -1, 'R', 0x40}, {20, 0, -1, 0, -1, 'O', 0x02}, {22, 0, -1, 0, -1, 'J', 0x00},
       {24, 0, 55, 1, 40, 'K', 0x00}, {26, 0, -1, 0, 48, 'Q', 0x00}, {28, 0, -1, 0, -1, 'U', 0x00},
       {30, 0, -1, 0, -1, 'F', 0x00}, {32, 0, 254}}}},
    {"SpeedTempoAndJumps", false,
     {bursts({{0, 0, 48, 1, 20, 'A', 0x03}, {4, 0, -1, 0, -1, 'T', 0x60}, {8, 0, 55, 1, -1, 'T', 0xC8}, {12, 0, -1, 0, -1, 'A', 0x08},
              {14, 0, 50, 1, -1, 'C', 0x10}}),
      bursts({{0, 0, 60, 1, 20, 'A', 0x04}, {10, 0, 52, 1}, {16, 0, -1, 0, -1, 'B', 0x03}}),
      bursts({{0, 0, 43, 1, 20, 'T', 0x40}, {8, 0, -1, 0, -1, 'C', 0x00}})},
     {0, 1, 254, 2, 1}},
};
INSTANTIATE_TEST_SUITE_P(Built, EffectFamily, ::testing::ValuesIn(families),
                         [](const ::testing::TestParamInfo<FamilyCase> &i) { return std::string(i.param.name); });

}  // namespace
