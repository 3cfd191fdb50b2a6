// Unit tests of the S3M player: hostile files, song timing with its flow commands, the effects
// that silence or restart notes, the end of the order list and the player controls.
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include "kx/kx_snd/kx_snd_s3m.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int TICK = 882;   // frames of one tick at tempo 125, 44100 Hz

S3mSong one_pattern(std::vector<S3mEvent> events, int speed = 6, int tempo = 125)
{
    S3mSong song;
    song.speed = speed;
    song.tempo = tempo;
    song.samples.push_back(s3m_tone(64, 4));
    song.samples.push_back(s3m_burst(20000));
    song.orders = {0};
    song.patterns.push_back(std::move(events));
    return song;
}

KX_SND_S3M_LENGTH length_of(const S3mSong &song)
{
    std::vector<uint8_t> file = s3m_build(song);
    KX_SND_S3M_LENGTH len{};
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    EXPECT_NE(m, nullptr);
    kx_snd_s3m_length_get(m, 3600, &len);
    kx_snd_s3m_free(m);
    return len;
}

// Mono-mix RMS of tick `t` (tempo 125) of a render.
double tick_rms(const std::vector<int16_t> &audio, int t)
{
    return s3m_rms(audio, static_cast<size_t>(t) * TICK, TICK);
}

// Starts the installed module with the usual controls: 44.1 kHz, 16-bit stereo, medium quality.
void start_default()
{
    kx_snd_s3m_start();
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.master_volume = KX_SND_S3M_MASTER_MAX;
    c.mix_rate = 44100;
    c.mode = KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | KX_SND_S3M_QUALITY_MEDIUM;
    c.play_state = KX_SND_S3M_PLAY;
    c.separation = 256;
    c.pan = 128;
    kx_snd_s3m_control_set(&c);
}

std::vector<int16_t> render16(size_t frames)
{
    std::vector<int16_t> out(frames * 2);
    EXPECT_EQ(kx_snd_s3m_render(out.data(), frames * 4), frames * 4);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Hostile files
// ---------------------------------------------------------------------------------------------

TEST(S3mLoad, RefusesWhatIsNotAModule)
{
    int error = -1;
    EXPECT_EQ(kx_snd_s3m_load(nullptr, 100, &error), nullptr);
    EXPECT_EQ(error, KX_SND_S3M_ERR_ARGS);
    std::vector<uint8_t> file = s3m_build(one_pattern({}));
    EXPECT_EQ(kx_snd_s3m_load(file.data(), 0x5F, &error), nullptr);
    EXPECT_EQ(error, KX_SND_S3M_ERR_SHORT);
    std::vector<uint8_t> bad = file;
    bad[0x2C] = 'X';
    EXPECT_EQ(kx_snd_s3m_load(bad.data(), bad.size(), &error), nullptr);
    EXPECT_EQ(error, KX_SND_S3M_ERR_SIGNATURE);
    // Order, instrument and pattern counts whose tables run past the end of the file.
    bad = file;
    bad[0x21] = 0xFF;
    EXPECT_EQ(kx_snd_s3m_load(bad.data(), bad.size(), &error), nullptr);
    EXPECT_EQ(error, KX_SND_S3M_ERR_SHORT);
    EXPECT_STREQ(kx_snd_s3m_error_text(KX_SND_S3M_ERR_SIGNATURE), "Not an S3M module");
}

TEST(S3mLoad, PointersPastTheEndLeaveEmptyParts)
{
    S3mSong song = one_pattern({{0, 0, 48, 1}, {0, 1, 48, 2}});
    std::vector<uint8_t> file = s3m_build(song);
    size_t ins_ptr = 0x60 + 2;   // two orders (0 and the padding 255)
    file[ins_ptr] = 0xFF;        // instrument 1 far past the end
    file[ins_ptr + 1] = 0xFF;
    file[ins_ptr + 4] = 0xF0;    // pattern 0 far past the end
    file[ins_ptr + 5] = 0xFF;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    ASSERT_NE(m, nullptr);
    KX_SND_S3M_LENGTH len{};
    kx_snd_s3m_length_get(m, 60, &len);
    EXPECT_EQ(len.ticks, 64 * 6);   // the missing pattern plays as 64 empty rows
    start_default();
    std::vector<int16_t> audio = render16(44100);
    EXPECT_EQ(s3m_rms(audio, 0, 44100), 0);
    kx_snd_s3m_free(m);
}

// A sample whose header claims more data than the file holds plays only what is there.
TEST(S3mLoad, SampleLengthPastTheEndIsClipped)
{
    S3mSong song = one_pattern({{0, 0, 48, 1}});
    song.samples[0] = s3m_burst(2000);
    song.samples[0].header_length = 200000;
    song.samples.pop_back();
    std::vector<uint8_t> file = s3m_build(song);
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    ASSERT_NE(m, nullptr);
    start_default();
    std::vector<int16_t> audio = render16(44100);
    // 2000 frames at 8363 Hz last about 0.24 s of output.
    EXPECT_GT(s3m_rms(audio, 0, 4410), 1000);
    EXPECT_EQ(s3m_rms(audio, 13000, 20000), 0);
    kx_snd_s3m_free(m);
}

// Pattern data that stops in the middle of an event ends the pattern there; the rows before it play.
TEST(S3mLoad, PatternDataPastTheEndStopsThePattern)
{
    std::vector<uint8_t> file = s3m_build(one_pattern({}));
    while (file.size() % 16) file.push_back(0);
    size_t at = file.size();
    file.insert(file.end(), {0x40, 0x00, 0x20 | 0x80, 48, 1, 'A' - 'A' + 1, 3, 0x00, 0xA0, 50});
    size_t pat_ptr = 0x60 + 2 + 2 * 2;
    file[pat_ptr] = static_cast<uint8_t>(at / 16);
    file[pat_ptr + 1] = static_cast<uint8_t>(at / 16 >> 8);
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    ASSERT_NE(m, nullptr);
    KX_SND_S3M_LENGTH len{};
    kx_snd_s3m_length_get(m, 60, &len);
    EXPECT_EQ(len.ticks, 64 * 3);   // row 0's speed 3 was read; the broken row 1 was not
    kx_snd_s3m_free(m);
}

// ---------------------------------------------------------------------------------------------
// Timing and flow
// ---------------------------------------------------------------------------------------------

TEST(S3mTiming, SpeedAndTempoGiveTheLength)
{
    KX_SND_S3M_LENGTH len = length_of(one_pattern({}, 3, 150));
    EXPECT_EQ(len.ticks, 64 * 3);
    EXPECT_NEAR(len.seconds, 64 * 3 * 2.5 / 150, 1e-9);

    // Speed 2 from row 16, tempo 250 from row 32.
    len = length_of(one_pattern({{16, 0, -1, 0, -1, 'A', 2}, {32, 0, -1, 0, -1, 'T', 250}}, 6, 125));
    EXPECT_EQ(len.ticks, 16 * 6 + 48 * 2);
    EXPECT_NEAR(len.seconds, 16 * 6 * 0.02 + 16 * 2 * 0.02 + 32 * 2 * 0.01, 1e-9);
    EXPECT_NEAR(len.tick_seconds, 0.01, 1e-12);
}

TEST(S3mTiming, PatternLoopRepeatsItsRows)
{
    // Rows 4-7 three times; then a second loop without SB0 starts after the first one's end.
    KX_SND_S3M_LENGTH len = length_of(one_pattern({{4, 0, -1, 0, -1, 'S', 0xB0}, {7, 0, -1, 0, -1, 'S', 0xB2},
                                                   {9, 1, -1, 0, -1, 'S', 0xB1}}, 1));
    EXPECT_EQ(len.ticks, 64 + 2 * 4 + 1 * 2);
}

TEST(S3mTiming, PatternDelayStretchesTheRow)
{
    KX_SND_S3M_LENGTH len = length_of(one_pattern({{10, 0, -1, 0, -1, 'S', 0xE3}}, 2));
    EXPECT_EQ(len.ticks, (64 + 3) * 2);
    // Several delays on one row: the first nonzero one counts.
    len = length_of(one_pattern({{10, 0, -1, 0, -1, 'S', 0xE0}, {10, 1, -1, 0, -1, 'S', 0xE2}, {10, 2, -1, 0, -1, 'S', 0xE5}}, 2));
    EXPECT_EQ(len.ticks, (64 + 2) * 2);
}

TEST(S3mTiming, JumpsAndBreaks)
{
    S3mSong song = one_pattern({{3, 0, -1, 0, -1, 'C', 0x62}}, 1);   // break to row 62 of the next order
    song.patterns.push_back({{63, 0, -1, 0, -1, 'B', 0x01}});         // back to row 0 of that order
    song.orders = {0, 1, 254, 1};
    KX_SND_S3M_LENGTH len = length_of(song);
    EXPECT_EQ(len.ticks, 4 + 2 + 62);   // rows 0-61 are new; row 62 was played: the song ends
    // A jump past the order list ends the song.
    song.patterns[1] = {{63, 0, -1, 0, -1, 'B', 0x40}};
    EXPECT_EQ(length_of(song).ticks, 4 + 2);
    // An order list with no pattern in it is an empty song.
    song.orders = {254, 255};
    EXPECT_EQ(length_of(song).ticks, 0);
}

// ---------------------------------------------------------------------------------------------
// Effects that start, stop or scale notes
// ---------------------------------------------------------------------------------------------

TEST(S3mEffects, NoteDelayAndNoteCut)
{
    std::vector<uint8_t> file = s3m_build(one_pattern({{0, 0, 48, 1, -1, 'S', 0xD3}, {1, 0, -1, 0, -1, 'S', 0xC2},
                                                       {2, 0, 48, 1, -1, 'S', 0xD9}}));
    std::vector<int16_t> audio = s3m_render_ours(file, KX_SND_S3M_QUALITY_MEDIUM, 0.5, nullptr);
    for (int t = 0; t < 3; t++) EXPECT_EQ(tick_rms(audio, t), 0) << t;
    for (int t = 3; t < 8; t++) EXPECT_GT(tick_rms(audio, t), 1000) << t;
    for (int t = 8; t < 18; t++) EXPECT_LT(tick_rms(audio, t), 1) << t;   // cut at tick 2 of row 1; delay 9 >= speed never plays
}

TEST(S3mEffects, SampleOffsetPastTheEnd)
{
    S3mSong song = one_pattern({{0, 0, 48, 2, -1, 'O', 0x80}, {2, 0, 48, 1, -1, 'O', 0x80}});
    std::vector<int16_t> audio = s3m_render_ours(s3m_build(song), KX_SND_S3M_QUALITY_HIGH, 0.5, nullptr);
    for (int t = 0; t < 12; t++) EXPECT_EQ(tick_rms(audio, t), 0) << t;   // one-shot: nothing left to play
    for (int t = 12; t < 20; t++) EXPECT_GT(tick_rms(audio, t), 1000) << t;   // looped: lands inside the loop
}

TEST(S3mEffects, RetriggerRestartsTheSample)
{
    S3mSong song = one_pattern({{0, 0, 72, 2, -1, 'Q', 0x03}, {1, 0, -1, 0, -1, 'Q', 0x03}, {2, 0, -1, 0, -1, 'Q', 0x00}});
    song.samples[1] = s3m_burst(300);
    std::vector<int16_t> audio = s3m_render_ours(s3m_build(song), KX_SND_S3M_QUALITY_MEDIUM, 0.5, nullptr);
    // The 300-frame burst at C-6 (33452 Hz) lasts 9 ms, less than a tick; restarted every 3 ticks.
    for (int t = 0; t < 18; t++) {
        if (t % 3 == 0) EXPECT_GT(tick_rms(audio, t), 300) << t;
        else EXPECT_LT(tick_rms(audio, t), 1) << t;
    }
}

TEST(S3mEffects, GlobalVolumeScalesEverything)
{
    auto level = [](int global) {
        std::vector<int16_t> audio =
            s3m_render_ours(s3m_build(one_pattern({{0, 0, 48, 1, -1, 'V', global}})), KX_SND_S3M_QUALITY_MEDIUM, 0.2, nullptr);
        return s3m_rms(audio, TICK, 4 * TICK);
    };
    double full = level(0x40);
    EXPECT_GT(full, 1000);
    EXPECT_NEAR(level(0x20) / full, 0.5, 0.01);
    EXPECT_EQ(level(0x00), 0);
    EXPECT_NEAR(level(0x41) / full, 1.0, 0.001);   // out of range: ignored
}

// ---------------------------------------------------------------------------------------------
// End of the order list
// ---------------------------------------------------------------------------------------------

// The song wraps to order 0 with its first speed and tempo; the first song end lies where the
// length scan says, and the second pass sounds like the first.
TEST(S3mEnd, SongWrapsAndCountsEachPass)
{
    S3mSong song = one_pattern({{0, 0, 48, 1, -1, 'A', 0x02}, {1, 0, 55, 2, -1, 'T', 0xFA}, {60, 0, 254}}, 3, 125);
    std::vector<uint8_t> file = s3m_build(song);
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    ASSERT_NE(m, nullptr);
    double seconds = kx_snd_s3m_length_get(m, 60, nullptr);
    start_default();
    size_t pass = static_cast<size_t>(std::ceil(seconds * 44100));
    std::vector<int16_t> audio = render16(2 * pass + 4410);
    KX_SND_S3M_STATUS st{};
    kx_snd_s3m_status_get(&st);
    EXPECT_EQ(st.song_ends, 2);
    EXPECT_NEAR(static_cast<double>(st.end_frame), seconds * 44100, 1);
    size_t end = static_cast<size_t>(st.end_frame);
    for (size_t i = 0; i < 2 * end; i++) ASSERT_EQ(audio[i], audio[2 * end + i]) << i;
    EXPECT_GT(s3m_rms(audio, 2 * end, 2000), 1000);   // still playing after the second end
    kx_snd_s3m_free(m);
}

// ---------------------------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------------------------

class S3mControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = s3m_build(one_pattern({{0, 0, 48, 1}, {32, 0, 55, 1}}));
        module = kx_snd_s3m_load(file.data(), file.size(), nullptr);
        ASSERT_NE(module, nullptr);
        start_default();
    }
    void TearDown() override { kx_snd_s3m_free(module); }
    void set(KX_SND_S3M_CONTROLS c) { kx_snd_s3m_control_set(&c); }
    std::vector<uint8_t> file;
    KX_SND_S3M_MODULE *module = nullptr;
};

TEST_F(S3mControls, PauseKeepsThePlace)
{
    render16(4410);
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.play_state = KX_SND_S3M_PAUSE;
    set(c);
    KX_SND_S3M_STATUS before{}, after{};
    std::vector<int16_t> silent = render16(4410);
    kx_snd_s3m_status_get(&before);
    render16(4410);
    kx_snd_s3m_status_get(&after);
    EXPECT_EQ(s3m_rms(silent, 0, 4410), 0);
    EXPECT_EQ(before.frames, 4410);
    EXPECT_EQ(after.frames, 4410);
    EXPECT_EQ(after.play_state, KX_SND_S3M_PAUSE);
    c.play_state = KX_SND_S3M_PLAY;
    set(c);
    EXPECT_GT(s3m_rms(render16(4410), 0, 4410), 1000);
    kx_snd_s3m_stop();
    EXPECT_EQ(s3m_rms(render16(4410), 0, 4410), 0);
}

TEST_F(S3mControls, VolumeBalanceAndSeparation)
{
    render16(TICK);
    double full = s3m_rms(render16(4 * TICK), 0, 4 * TICK);
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.master_volume = KX_SND_S3M_MASTER_MAX / 2;
    set(c);
    EXPECT_NEAR(s3m_rms(render16(4 * TICK), 0, 4 * TICK) / full, 0.5, 0.01);
    c.master_volume = 0;
    set(c);
    EXPECT_EQ(s3m_rms(render16(TICK), 0, TICK), 0);
    c = kx_snd_s3m_controls_unchanged();
    c.master_volume = 999999;   // clamped to full
    c.separation = 0;           // every channel in the centre
    set(c);
    std::vector<int16_t> mid = render16(TICK);
    for (size_t i = 0; i < mid.size(); i += 2) ASSERT_EQ(mid[i], mid[i + 1]);
    c = kx_snd_s3m_controls_unchanged();
    c.pan = 0;   // balance fully left
    set(c);
    std::vector<int16_t> left = render16(TICK);
    for (size_t i = 1; i < left.size(); i += 2) ASSERT_EQ(left[i], 0);
}

TEST_F(S3mControls, OutputFormats)
{
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.mode = KX_SND_S3M_QUALITY_LOW;   // 8-bit mono
    set(c);
    std::vector<uint8_t> out(TICK + 1, 0x55);
    EXPECT_EQ(kx_snd_s3m_render(out.data(), out.size() - 1), static_cast<size_t>(TICK));
    EXPECT_EQ(out[TICK], 0x55);   // nothing written past the request
    int loud = 0;
    for (int i = 0; i < TICK; i++) loud += out[static_cast<size_t>(i)] != 128;
    EXPECT_GT(loud, TICK / 2);
    KX_SND_S3M_STATUS st{};
    kx_snd_s3m_status_get(&st);
    EXPECT_EQ(st.mode, KX_SND_S3M_QUALITY_LOW);
    kx_snd_s3m_stop();
    std::vector<uint8_t> silent(100, 0);
    EXPECT_EQ(kx_snd_s3m_render(silent.data(), silent.size()), 100u);
    for (uint8_t b : silent) ASSERT_EQ(b, 128);
    // 16-bit stereo: a request that is not whole frames is cut to whole frames.
    c.mode = KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT;
    set(c);
    std::vector<uint8_t> odd(103, 0);
    EXPECT_EQ(kx_snd_s3m_render(odd.data(), odd.size()), 100u);
}

TEST_F(S3mControls, PositionRateAndRefusals)
{
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.order = 0;
    c.row = 32;
    set(c);
    render16(10);
    KX_SND_S3M_STATUS st{};
    kx_snd_s3m_status_get(&st);
    EXPECT_EQ(st.row, 32);
    c = kx_snd_s3m_controls_unchanged();
    c.mix_rate = 100;   // refused, the rest still applies
    c.play_state = 7;
    c.row = 200;        // clamped to 63
    EXPECT_EQ(kx_snd_s3m_control_set(&c), 0);
    render16(10);
    kx_snd_s3m_status_get(&st);
    EXPECT_EQ(st.mix_rate, 44100u);
    EXPECT_EQ(st.play_state, KX_SND_S3M_PLAY);
    EXPECT_EQ(st.row, 63);
    // At 22050 Hz a tick at tempo 125 lasts 441 frames.
    c = kx_snd_s3m_controls_unchanged();
    c.mix_rate = 22050;
    c.order = 0;
    c.row = 0;
    set(c);
    render16(441 * 6 + 1);
    kx_snd_s3m_status_get(&st);
    EXPECT_EQ(st.row, 1);
    EXPECT_EQ(st.tick, 1);
}

TEST_F(S3mControls, QualitiesShareTheEnvelope)
{
    std::vector<int16_t> q[3];
    int qualities[3] = {KX_SND_S3M_QUALITY_LOW, KX_SND_S3M_QUALITY_MEDIUM, KX_SND_S3M_QUALITY_HIGH};
    for (int i = 0; i < 3; i++) q[i] = s3m_render_ours(file, qualities[i], 1.0, nullptr);
    EXPECT_NE(q[0], q[1]);
    EXPECT_NE(q[1], q[2]);
    for (int i = 1; i < 3; i++) EXPECT_NEAR(s3m_rms(q[i], 0, 44100) / s3m_rms(q[0], 0, 44100), 1.0, 0.05);
}

}  // namespace
