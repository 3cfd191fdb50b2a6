// Unit tests of the S3M player: hostile files, song timing with its flow commands, the effects
// that silence or restart notes, the end of the order list and the player controls.
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include <gtest/gtest.h>

namespace {

constexpr int TICK = 882;   // frames of one tick at tempo 125, 44100 Hz
constexpr double SILENT = 0, QUIET = -1;   // levels for expect_ticks

S3mSong one_pattern(std::vector<S3mEvent> events, int speed = 6, int tempo = 125)
{
    return S3mSong{speed, tempo, 4, {0}, {s3m_tone(64, 4), s3m_burst(20000)}, {std::move(events)}};
}

// A module loaded (and so installed in the player) for the length of a test.
struct Loaded {
    std::vector<uint8_t> file;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(file.data(), file.size(), nullptr);
    ~Loaded() { kx_snd_s3m_free(m); }
    KX_SND_S3M_LENGTH length() const
    {
        KX_SND_S3M_LENGTH len{};
        EXPECT_NE(m, nullptr);
        kx_snd_s3m_length_get(m, 3600, &len);
        return len;
    }
};

std::vector<int16_t> render16(size_t frames)
{
    std::vector<int16_t> out(frames * 2);
    EXPECT_EQ(kx_snd_s3m_render(out.data(), frames * 4), frames * 4);
    return out;
}

KX_SND_S3M_STATUS status()
{
    KX_SND_S3M_STATUS st{};
    kx_snd_s3m_status_get(&st);
    return st;
}

// Mono-mix RMS of each tick (tempo 125) in [from, to): exactly 0 (SILENT), below 1 (QUIET) or
// above `level`.
void expect_ticks(const std::vector<int16_t> &audio, int from, int to, double level)
{
    for (int t = from; t < to; t++) {
        double rms = s3m_rms(audio, static_cast<size_t>(t) * TICK, TICK);
        if (level == SILENT) EXPECT_EQ(rms, 0) << "tick " << t;
        else if (level == QUIET) EXPECT_LT(rms, 1) << "tick " << t;
        else EXPECT_GT(rms, level) << "tick " << t;
    }
}

std::vector<int16_t> render_song(const S3mSong &song, double seconds, int quality = KX_SND_S3M_QUALITY_MEDIUM)
{
    return s3m_render_ours(s3m_build(song), quality, seconds);
}

TEST(S3mLoad, RefusesWhatIsNotAModule)
{
    std::vector<uint8_t> file = s3m_build(one_pattern({})), signature = file, counts = file;
    signature[0x2C] = 'X';
    counts[0x21] = 0xFF;   // order, instrument and pattern tables run past the end of the file
    struct { const uint8_t *data; size_t size; int error; } cases[] = {
        {nullptr, 100, KX_SND_S3M_ERR_ARGS}, {file.data(), 0x5F, KX_SND_S3M_ERR_SHORT},
        {signature.data(), signature.size(), KX_SND_S3M_ERR_SIGNATURE}, {counts.data(), counts.size(), KX_SND_S3M_ERR_SHORT}};
    for (const auto &c : cases) {
        int error = -1;
        EXPECT_EQ(kx_snd_s3m_load(c.data, c.size, &error), nullptr);
        EXPECT_EQ(error, c.error);
    }
    EXPECT_STREQ(kx_snd_s3m_error_text(KX_SND_S3M_ERR_SIGNATURE), "Not an S3M module");
}

// Instrument and pattern pointers past the end leave empty parts; pattern data that stops in the
// middle of an event ends the pattern there; a sample whose header claims more data than the file
// holds plays only what is there.
TEST(S3mLoad, OffsetsAndLengthsPastTheEnd)
{
    std::vector<uint8_t> file = s3m_build(one_pattern({{0, 0, 48, 1}, {0, 1, 48, 2}})), broken = file;
    const size_t ins_ptr = 0x60 + 2;   // two orders (0 and the padding 255)
    s3m_put(file, ins_ptr, 0xFFFF, 2);
    s3m_put(file, ins_ptr + 4, 0xFFF0, 2);
    {
        Loaded song{file};
        ASSERT_NE(song.m, nullptr);
        EXPECT_EQ(song.length().ticks, 64 * 6);   // the missing pattern plays as 64 empty rows
        s3m_play(KX_SND_S3M_QUALITY_MEDIUM);
        EXPECT_EQ(s3m_rms(render16(44100), 0, 44100), 0);
    }
    size_t at = s3m_paragraph(broken);
    broken.insert(broken.end(), {0x40, 0x00, 0x20 | 0x80, 48, 1, 'A' - 'A' + 1, 3, 0x00, 0xA0, 50});
    s3m_put(broken, ins_ptr + 4, static_cast<uint32_t>(at / 16), 2);
    EXPECT_EQ(Loaded{broken}.length().ticks, 64 * 3);   // row 0's speed 3 was read; the broken row 1 was not

    S3mSong song = one_pattern({{0, 0, 48, 1}});
    song.samples = {s3m_burst(2000)};
    song.samples[0].header_length = 200000;
    std::vector<int16_t> audio = render_song(song, 1.0);
    // 2000 frames at 8363 Hz last about 0.24 s of output.
    EXPECT_GT(s3m_rms(audio, 0, 4410), 1000);
    EXPECT_EQ(s3m_rms(audio, 13000, 20000), 0);
}

// Speed and tempo (A, T), pattern loops (SBx), pattern delays (SEx), breaks and jumps, by the
// song length they give.
TEST(S3mTiming, SongLength)
{
    S3mSong jumps = one_pattern({{3, 0, -1, 0, -1, 'C', 0x62}}, 1);   // break to row 62 of the next order
    jumps.patterns.push_back({{63, 0, -1, 0, -1, 'B', 0x01}});         // back to row 0 of that order
    jumps.orders = {0, 1, 254, 1};
    S3mSong past_end = jumps, empty = jumps;
    past_end.patterns[1] = {{63, 0, -1, 0, -1, 'B', 0x40}};
    empty.orders = {254, 255};
    struct { const char *name; S3mSong song; int64_t ticks; double seconds; } cases[] = {
        {"speed 3 tempo 150", one_pattern({}, 3, 150), 64 * 3, 64 * 3 * 2.5 / 150},
        {"speed 2 from row 16, tempo 250 from row 32", one_pattern({{16, 0, -1, 0, -1, 'A', 2}, {32, 0, -1, 0, -1, 'T', 250}}),
         16 * 6 + 48 * 2, 16 * 6 * 0.02 + 16 * 2 * 0.02 + 32 * 2 * 0.01},
        // Rows 4-7 three times; then a second loop without SB0 starts after the first one's end.
        {"loops", one_pattern({{4, 0, -1, 0, -1, 'S', 0xB0}, {7, 0, -1, 0, -1, 'S', 0xB2}, {9, 1, -1, 0, -1, 'S', 0xB1}}, 1),
         64 + 2 * 4 + 1 * 2, 0},
        {"delay", one_pattern({{10, 0, -1, 0, -1, 'S', 0xE3}}, 2), (64 + 3) * 2, 0},
        // Several delays on one row: the first nonzero one counts.
        {"delays on one row",
         one_pattern({{10, 0, -1, 0, -1, 'S', 0xE0}, {10, 1, -1, 0, -1, 'S', 0xE2}, {10, 2, -1, 0, -1, 'S', 0xE5}}, 2), (64 + 2) * 2, 0},
        {"break and jump back to a played row", jumps, 4 + 2 + 62, 0},
        {"jump past the order list", past_end, 4 + 2, 0},
        {"no pattern in the order list", empty, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        KX_SND_S3M_LENGTH len = Loaded{s3m_build(c.song)}.length();
        EXPECT_EQ(len.ticks, c.ticks);
        // At tempo 125 a tick lasts 20 ms.
        EXPECT_NEAR(len.seconds, c.seconds ? c.seconds : static_cast<double>(c.ticks) * 0.02, 1e-9);
    }
    EXPECT_NEAR(Loaded{s3m_build(cases[1].song)}.length().tick_seconds, 0.01, 1e-12);
}

// Tick by tick, where a note delay (SD), cut (SC), sample offset (O) or retrigger (Q) makes a note
// sound (above the level), stay quiet or silent: spans of ticks from tick 0, repeated.
TEST(S3mEffects, NotesStartStopAndRestartOnTheirTicks)
{
    struct { const char *name; std::vector<S3mEvent> events; int quality, repeat; std::vector<std::pair<int, double>> spans; } cases[] = {
        // Cut at tick 2 of row 1; a delay of 9 >= speed never plays.
        {"delay and cut", {{0, 0, 48, 1, -1, 'S', 0xD3}, {1, 0, -1, 0, -1, 'S', 0xC2}, {2, 0, 48, 1, -1, 'S', 0xD9}},
         KX_SND_S3M_QUALITY_MEDIUM, 1, {{3, SILENT}, {5, 1000}, {10, QUIET}}},
        // An offset past the end: a one-shot sample has nothing left, a looped one lands in the loop.
        {"offset past the end", {{0, 0, 48, 2, -1, 'O', 0x80}, {2, 0, 48, 1, -1, 'O', 0x80}}, KX_SND_S3M_QUALITY_HIGH, 1,
         {{12, SILENT}, {8, 1000}}},
        // A 300-frame burst at C-6 (33452 Hz) lasts 9 ms, less than a tick; restarted every 3 ticks.
        {"retrigger", {{0, 0, 72, 3, -1, 'Q', 0x03}, {1, 0, -1, 0, -1, 'Q', 0x03}, {2, 0, -1, 0, -1, 'Q', 0x00}},
         KX_SND_S3M_QUALITY_MEDIUM, 6, {{1, 300}, {2, QUIET}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        S3mSong song = one_pattern(c.events);
        song.samples.push_back(s3m_burst(300));
        std::vector<int16_t> audio = render_song(song, 0.5, c.quality);
        for (int r = 0, t = 0; r < c.repeat; r++)
            for (auto [ticks, level] : c.spans) expect_ticks(audio, t, t + ticks, level), t += ticks;
    }
}

TEST(S3mEffects, GlobalVolumeScalesEverything)
{
    auto level = [](int global) { return s3m_rms(render_song(one_pattern({{0, 0, 48, 1, -1, 'V', global}}), 0.2), TICK, 4 * TICK); };
    double full = level(0x40);
    EXPECT_GT(full, 1000);
    EXPECT_NEAR(level(0x20) / full, 0.5, 0.01);
    EXPECT_EQ(level(0x00), 0);
    EXPECT_NEAR(level(0x41) / full, 1.0, 0.001);   // out of range: ignored
}

// The song wraps to order 0 with its first speed and tempo; the first song end lies where the
// length scan says, and the second pass sounds like the first.
TEST(S3mEnd, SongWrapsAndCountsEachPass)
{
    Loaded song{s3m_build(one_pattern({{0, 0, 48, 1, -1, 'A', 0x02}, {1, 0, 55, 2, -1, 'T', 0xFA}, {60, 0, 254}}, 3, 125))};
    ASSERT_NE(song.m, nullptr);
    double seconds = song.length().seconds;
    s3m_play(KX_SND_S3M_QUALITY_MEDIUM);
    std::vector<int16_t> audio = render16(2 * static_cast<size_t>(std::ceil(seconds * 44100)) + 4410);
    EXPECT_EQ(status().song_ends, 2);
    EXPECT_NEAR(static_cast<double>(status().end_frame), seconds * 44100, 1);
    size_t end = static_cast<size_t>(status().end_frame);
    for (size_t i = 0; i < 2 * end; i++) ASSERT_EQ(audio[i], audio[2 * end + i]) << i;
    EXPECT_GT(s3m_rms(audio, 2 * end, 2000), 1000);   // still playing after the second end
}

class S3mControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(song.m, nullptr);
        s3m_play(KX_SND_S3M_QUALITY_MEDIUM);
    }
    // Applies the fields `edit` sets, leaving the rest unchanged.
    template <class F> int set(F edit)
    {
        KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
        edit(c);
        return kx_snd_s3m_control_set(&c);
    }
    static double level(size_t frames) { return s3m_rms(render16(frames), 0, frames); }
    Loaded song{s3m_build(one_pattern({{0, 0, 48, 1}, {32, 0, 55, 1}}))};
};

TEST_F(S3mControls, PauseKeepsThePlace)
{
    render16(4410);
    set([](auto &c) { c.play_state = KX_SND_S3M_PAUSE; });
    EXPECT_EQ(level(4410), 0);
    EXPECT_EQ(status().frames, 4410);
    EXPECT_EQ(status().play_state, KX_SND_S3M_PAUSE);
    set([](auto &c) { c.play_state = KX_SND_S3M_PLAY; });
    EXPECT_GT(level(4410), 1000);
    kx_snd_s3m_stop();
    EXPECT_EQ(level(4410), 0);
}

TEST_F(S3mControls, VolumeBalanceAndSeparation)
{
    render16(TICK);
    double full = level(4 * TICK);
    set([](auto &c) { c.master_volume = KX_SND_S3M_MASTER_MAX / 2; });
    EXPECT_NEAR(level(4 * TICK) / full, 0.5, 0.01);
    set([](auto &c) { c.master_volume = 0; });
    EXPECT_EQ(level(TICK), 0);
    set([](auto &c) { c.master_volume = 999999, c.separation = 0; });   // clamped to full; every channel centred
    std::vector<int16_t> mid = render16(TICK);
    for (size_t i = 0; i < mid.size(); i += 2) ASSERT_EQ(mid[i], mid[i + 1]);
    set([](auto &c) { c.pan = 0; });   // balance fully left
    std::vector<int16_t> left = render16(TICK);
    for (size_t i = 1; i < left.size(); i += 2) ASSERT_EQ(left[i], 0);
}

TEST_F(S3mControls, OutputFormats)
{
    set([](auto &c) { c.mode = KX_SND_S3M_QUALITY_LOW; });   // 8-bit mono
    std::vector<uint8_t> out(TICK + 1, 0x55);
    EXPECT_EQ(kx_snd_s3m_render(out.data(), out.size() - 1), static_cast<size_t>(TICK));
    EXPECT_EQ(out[TICK], 0x55);   // nothing written past the request
    EXPECT_GT(std::count_if(out.begin(), out.end() - 1, [](uint8_t b) { return b != 128; }), TICK / 2);
    EXPECT_EQ(status().mode, KX_SND_S3M_QUALITY_LOW);
    kx_snd_s3m_stop();
    std::vector<uint8_t> silent(100, 0);
    EXPECT_EQ(kx_snd_s3m_render(silent.data(), silent.size()), 100u);
    EXPECT_EQ(silent, std::vector<uint8_t>(100, 128));
    // 16-bit stereo: a request that is not whole frames is cut to whole frames.
    set([](auto &c) { c.mode = KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT; });
    EXPECT_EQ(kx_snd_s3m_render(silent.data(), 99), 96u);
}

TEST_F(S3mControls, PositionRateAndRefusals)
{
    set([](auto &c) { c.order = 0, c.row = 32; });
    render16(10);
    EXPECT_EQ(status().row, 32);
    // A refused mix rate and play state leave the rest to apply; the row is clamped to 63.
    EXPECT_EQ(set([](auto &c) { c.mix_rate = 100, c.play_state = 7, c.row = 200; }), 0);
    render16(10);
    EXPECT_EQ(status().mix_rate, 44100u);
    EXPECT_EQ(status().play_state, KX_SND_S3M_PLAY);
    EXPECT_EQ(status().row, 63);
    // At 22050 Hz a tick at tempo 125 lasts 441 frames.
    set([](auto &c) { c.mix_rate = 22050, c.order = 0, c.row = 0; });
    render16(441 * 6 + 1);
    EXPECT_EQ(status().row, 1);
    EXPECT_EQ(status().tick, 1);
}

TEST_F(S3mControls, QualitiesShareTheEnvelope)
{
    std::vector<int16_t> q[3];
    for (int i = 0; i < 3; i++) q[i] = s3m_render_ours(song.file, 4 * i, 1.0);   // low, medium, high
    EXPECT_NE(q[0], q[1]);
    EXPECT_NE(q[1], q[2]);
    for (int i = 1; i < 3; i++) EXPECT_NEAR(s3m_rms(q[i], 0, 44100) / s3m_rms(q[0], 0, 44100), 1.0, 0.05);
}

}  // namespace
