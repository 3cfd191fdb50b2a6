// The game's music as assetgen writes it: every piece loads, has the band it needs (six channels
// or more), lasts 60 to 150 seconds, returns to its start without a gap, is mixed to about
// -18 dBFS without clipping, and sounds the same in our player as in libopenmpt (envelope
// correlation 0.95 or better over the whole piece). Each piece's figures are printed.
#include "tests/content/content_files.h"
#include "tests/kx_snd_s3m/s3m_compare.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char *const PIECES[] = {"snd\\1.s3m", "snd\\2.s3m", "snd\\3.s3m", "snd\\4.s3m", "snd\\5.s3m",
                              "snd\\6.s3m", "snd\\7.s3m", "snd\\demos.s3m", "snd\\hiscore.s3m"};
constexpr double MIN_SECONDS = 60, MAX_SECONDS = 150;
constexpr double RMS_LOW_DB = -20, RMS_HIGH_DB = -16, PEAK_LIMIT = 32000;   // 32000: -0.2 dBFS
constexpr double SEAM_SECONDS = 2, MIN_SEAM_DB = -40;

std::vector<uint8_t> piece_bytes(const char *name)
{
    std::string bytes;
    content_read(content_path(content_generated_dir(), name), bytes);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

double db(double rms)
{
    return 20 * std::log10(std::max(rms, 1e-3) / 32768.0);
}

// RMS over both channels (as sox reports it) and the peak, of frames [from, to).
void level(const std::vector<int16_t> &stereo, size_t from, size_t to, double *rms, double *peak)
{
    double sum = 0, top = 0;
    for (size_t i = 2 * from; i < 2 * to && i < stereo.size(); i++) {
        sum += static_cast<double>(stereo[i]) * stereo[i];
        top = std::max(top, std::fabs(static_cast<double>(stereo[i])));
    }
    *rms = std::sqrt(sum / std::max<double>(1, 2.0 * static_cast<double>(to - from)));
    *peak = top;
}

std::vector<int16_t> frames(const std::vector<int16_t> &stereo, size_t from, size_t to)
{
    return std::vector<int16_t>(stereo.begin() + static_cast<long>(2 * from), stereo.begin() + static_cast<long>(2 * to));
}

class Music : public ::testing::TestWithParam<const char *> {};

TEST_P(Music, PlaysLoopsAndMatchesReference)
{
    std::vector<uint8_t> file = piece_bytes(GetParam());
    ASSERT_FALSE(file.empty()) << "missing " << GetParam();
    int error = 0;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), &error);
    ASSERT_NE(m, nullptr) << kx_snd_s3m_error_text(error);
    KX_SND_S3M_INFO info{};
    kx_snd_s3m_info_get(m, &info);
    KX_SND_S3M_LENGTH length{};
    kx_snd_s3m_length_get(m, 7200, &length);
    kx_snd_s3m_free(m);
    EXPECT_GE(info.channels, 6);
    EXPECT_GE(info.instruments, 6);
    EXPECT_GE(length.seconds, MIN_SECONDS);
    EXPECT_LE(length.seconds, MAX_SECONDS);

    // One pass and a little of the next: the song wraps to its start and goes on sounding.
    const size_t pass = static_cast<size_t>(length.seconds * 44100), seam = static_cast<size_t>(SEAM_SECONDS * 44100);
    std::vector<int16_t> ours = s3m_render_ours(file, KX_SND_S3M_QUALITY_HIGH, length.seconds + SEAM_SECONDS);
    ASSERT_EQ(ours.size(), 2 * (pass + seam));
    double rms = 0, peak = 0, before = 0, after = 0, unused = 0;
    level(ours, 0, pass, &rms, &peak);
    level(ours, pass - seam, pass, &before, &unused);
    level(ours, pass, pass + seam, &after, &unused);
    EXPECT_GE(db(rms), RMS_LOW_DB);
    EXPECT_LE(db(rms), RMS_HIGH_DB);
    EXPECT_LE(peak, PEAK_LIMIT);
    EXPECT_GE(db(before), MIN_SEAM_DB);
    EXPECT_GE(db(after), MIN_SEAM_DB);
    Match again = match(frames(ours, pass, pass + seam), frames(ours, 0, seam));
    EXPECT_GE(again.correlation, 0.9) << "the second pass does not start as the first";

    double ref_seconds = 0;
    std::vector<int16_t> ref = render_reference(file, KX_SND_S3M_QUALITY_HIGH, length.seconds, &ref_seconds);
    Match c = match(frames(ours, 0, pass), ref);
    std::printf("  %-16s %6.2f s (openmpt %6.2f s)  rms %6.2f dBFS  peak %6.2f dBFS  envelope r=%.4f  level %+.2f dB\n",
                GetParam(), length.seconds, ref_seconds, db(rms), db(peak), c.correlation, c.level_db);
    // libopenmpt counts each tick in whole samples at 48 kHz, cut short.
    EXPECT_NEAR(ref_seconds, length.seconds, length.tick_seconds + static_cast<double>(length.ticks) / 48000.0);
    EXPECT_GE(c.correlation, 0.95);
}

INSTANTIATE_TEST_SUITE_P(Pieces, Music, ::testing::ValuesIn(PIECES), [](const ::testing::TestParamInfo<const char *> &i) {
    std::string n = i.param + 4;
    return n.substr(0, n.size() - 4);
});

// The levels get faster as they go, and no two pieces share a tempo: beats a minute from the
// header's speed and tempo, four rows a beat.
TEST(Music, TemposRiseThroughTheLevels)
{
    std::vector<double> tempos;
    for (const char *name : PIECES) {
        std::vector<uint8_t> file = piece_bytes(name);
        ASSERT_GT(file.size(), 0x33u) << name;
        ASSERT_GT(file[0x31], 0) << name;
        tempos.push_back(6.0 * file[0x32] / file[0x31]);
    }
    for (size_t i = 1; i < 7; i++) EXPECT_GT(tempos[i], tempos[i - 1]) << PIECES[i];
    std::sort(tempos.begin(), tempos.end());
    EXPECT_EQ(std::adjacent_find(tempos.begin(), tempos.end()), tempos.end());
}

} // namespace
