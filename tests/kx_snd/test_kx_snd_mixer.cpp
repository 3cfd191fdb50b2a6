// The mixed output: a scripted sequence of effects rendered pass by pass on the virtual device,
// each effect found at its time and level; clipping; and the music stream's refill in tenths.
#include "tests/kx_snd/snd_test_util.h"

#include "kx/kx_snd/kx_snd_local.h"

#include <map>

using namespace snd_test;

namespace {

constexpr int RATE = 44100;
constexpr int PASS = RATE / 100;   // frames per 10 ms pass

struct span_stats {
    double rms_left = 0, rms_right = 0;
    int crossings_left = 0, peak = 0;
};

span_stats stats(const std::vector<int16_t> &out, int from, int to)
{
    span_stats s;
    for (int i = from; i < to; i++) {
        int16_t l = out[2 * i], r = out[2 * i + 1];
        s.rms_left += double(l) * l;
        s.rms_right += double(r) * r;
        s.peak = std::max({s.peak, std::abs(int(l)), std::abs(int(r))});
        if (i > from && (out[2 * (i - 1)] < 0) != (l < 0)) s.crossings_left++;
    }
    s.rms_left = std::sqrt(s.rms_left / (to - from));
    s.rms_right = std::sqrt(s.rms_right / (to - from));
    return s;
}

using SoundMixer = SoundTest;

TEST_F(SoundMixer, ScriptedEffectsSoundAtTheirTimeAndLevel)
{
    ini("SoundVolume=100\n");
    ASSERT_EQ(start(), 1);
    // A: 1000 Hz at 22050 Hz mono, 0.1 s. B: 500 Hz on the left only, 44100 Hz stereo, 0.05 s.
    // C: 300 Hz at 11025 Hz, 8-bit, 0.1 s, played at effect volume 50 (-6.02 dB).
    KX_SND_EFFECT *a = kx_snd_load(effect_file("a.wav", wave(pcm16(sine(2205, 1000, 22050, 8000)))).c_str());
    std::vector<int16_t> stereo;
    for (int16_t v : sine(2205, 500, RATE, 12000)) stereo.insert(stereo.end(), {v, 0});
    KX_SND_EFFECT *b = kx_snd_load(effect_file("b.wav", wave(pcm16(stereo), {.channels = 2, .rate = RATE})).c_str());
    std::string c_bytes;
    for (int16_t v : sine(1103, 300, 11025, 100)) c_bytes += static_cast<char>(128 + v);
    KX_SND_EFFECT *c = kx_snd_load(effect_file("c.wav", wave(c_bytes, {.rate = 11025, .bits = 8})).c_str());
    ASSERT_TRUE(a && b && c);
    kx_snd_set_volume(c, 50);

    const std::map<int, KX_SND_EFFECT *> script = {{0, a}, {20, b}, {40, c}};
    std::vector<int16_t> out(2 * PASS * 70);
    for (int pass = 0; pass < 70; pass++) {
        if (script.count(pass)) kx_snd_play(script.at(pass), 0);
        ASSERT_EQ(plat_audio_render(out.data() + 2 * PASS * pass, PASS), PASS);
    }
    // Per effect: first pass, frames measured, left level, right level (-1: as left), crossings
    // and their tolerance, relative level tolerance, first silent frame after it, next pass.
    const double c_level = 100 * 256 * std::pow(10.0, -602 / 2000.0);
    struct { int pass, frames; double level, right; int crossings, slack; double tolerance; int silent_from, until; } expected[] = {
        {0, 4400, 8000, -1, 200, 4, 0.02, 4412, 20},
        {20, 2200, 12000, 0, 50, 2, 0.02, 2206, 40},
        {40, 4400, c_level, -1, 60, 3, 0.03, 4416, 70},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.pass);
        span_stats s = stats(out, e.pass * PASS, e.pass * PASS + e.frames);
        EXPECT_NEAR(s.rms_left, e.level / std::sqrt(2.0), e.level * e.tolerance);
        if (e.right < 0) EXPECT_NEAR(s.rms_right, s.rms_left, 1.0);
        else EXPECT_EQ(s.rms_right, 0.0);
        EXPECT_NEAR(s.crossings_left, e.crossings, e.slack);
        EXPECT_EQ(stats(out, e.pass * PASS + e.silent_from, e.until * PASS).peak, 0);
    }

    // Effects switched off: the same effect plays, silently.
    kx_snd_toggle_effects();
    kx_snd_play(a, 0);
    plat_audio_render(out.data(), PASS * 5);
    EXPECT_EQ(stats(out, 0, PASS * 5).peak, 0);
    EXPECT_EQ(kx_snd_is_playing(a), 1);
    for (KX_SND_EFFECT *e : {a, b, c}) kx_snd_free(e);
}

TEST_F(SoundMixer, LoudEffectsTogetherClipInsteadOfWrapping)
{
    ini("SoundVolume=100\n");
    ASSERT_EQ(start(), 1);
    std::vector<int16_t> square(2205);
    for (int i = 0; i < 2205; i++) square[i] = (i / 50) % 2 ? -30000 : 30000;
    std::string file = effect_file("sq.wav", wave(pcm16(square)));
    KX_SND_EFFECT *x = kx_snd_load(file.c_str()), *y = kx_snd_load(file.c_str());
    ASSERT_TRUE(x && y);
    kx_snd_play(x, 0);
    kx_snd_play(y, 0);
    std::vector<int16_t> out(2 * 4000);
    plat_audio_render(out.data(), 4000);
    int high = 0, low = 0;
    for (int i = 0; i < 4000; i++) {
        if ((i / 2) % 50 == 0 || (i / 2) % 50 == 49) continue;   // interpolated edges
        ASSERT_EQ(out[2 * i] > 0, square[i / 2] > 0) << "frame " << i;
        high += out[2 * i] == 32767;
        low += out[2 * i] == -32768;
    }
    EXPECT_GT(high, 1000);
    EXPECT_GT(low, 1000);
    kx_snd_free(x);
    kx_snd_free(y);
}

// Test music: 16-bit stereo frames counting up from where the last render stopped.
struct counter_music {
    int next = 0;
    std::vector<std::pair<long, uint32_t>> calls;   // (offset in the mix buffer, bytes)
};

void counter_render(void *handle, uint8_t *out, uint32_t bytes)
{
    auto *m = static_cast<counter_music *>(handle);
    m->calls.emplace_back(out - kx_snd.mix_buffer, bytes);
    for (uint32_t i = 0; i + 4 <= bytes; i += 4, m->next++) {
        auto v = static_cast<uint16_t>(m->next & 0x3FFF);
        out[i] = out[i + 2] = static_cast<uint8_t>(v);
        out[i + 1] = out[i + 3] = static_cast<uint8_t>(v >> 8);
    }
}

TEST_F(SoundMixer, TheStreamIsRefilledInTenthsBehindThePlayCursor)
{
    using Calls = std::vector<std::pair<long, uint32_t>>;
    const uint32_t CHUNK = 17640;
    ASSERT_EQ(start(), 1);
    counter_music music;
    // A type of its own: unloading then leaves the handle alone.
    int n = kx_snd_music_add(9, &music, counter_render);
    ASSERT_EQ(n, 1);
    ASSERT_EQ(kx_snd_play_music(n), 1);
    EXPECT_EQ(kx_snd_play_music(n), 0);   // one piece at a time
    EXPECT_EQ(music.calls, (Calls{{0, 176400}}));
    EXPECT_EQ(kx_snd.chunk_size, CHUNK);

    std::vector<int16_t> out(2 * RATE);
    plat_audio_render(out.data(), 4410 + 10);
    for (int i = 0; i < 4420; i++) ASSERT_EQ(out[2 * i], i) << i;
    kx_snd_music_refill();
    kx_snd_music_refill();   // nothing new is due the second time
    // The cursor wraps from chunk 8 to chunk 1: chunks 8 and 9 first, chunk 0 at the next tick.
    kx_snd.last_chunk = 8;
    plat_audio_buffer_position_set(kx_snd.stream, CHUNK + 4);
    kx_snd_music_refill();
    kx_snd_music_refill();
    EXPECT_EQ(music.calls, (Calls{{0, 176400}, {0, CHUNK}, {8 * CHUNK, 2 * CHUNK}, {0, CHUNK}}));

    // While the window is away nothing is refilled; switching music off plays silence.
    kx_snd_window_message(PLAT_WM_ACTIVATE, 0, 0);
    plat_audio_buffer_position_set(kx_snd.stream, 5 * CHUNK);
    kx_snd_music_refill();
    EXPECT_EQ(music.calls.size(), 4u);
    kx_snd_window_message(PLAT_WM_ACTIVATE, 1, 0);
    kx_snd_toggle_music();
    plat_audio_render(out.data(), RATE);
    EXPECT_EQ(stats(out, 0, RATE).peak, 0);
    kx_snd_toggle_music();   // resumes the same piece with one whole second
    ASSERT_EQ(music.calls.size(), 5u);
    EXPECT_EQ(music.calls[4], (std::pair<long, uint32_t>{0, 176400}));
    plat_audio_render(out.data(), 2);
    EXPECT_EQ(out[0], static_cast<int16_t>(music.next - RATE) & 0x3FFF);

    kx_snd_music_stop();
    EXPECT_EQ(kx_snd.current.load(), 0);
    EXPECT_EQ(audible.load(), 0);
    kx_snd.music[0] = KX_SND_MUSIC_ENTRY{};
}

} // namespace
