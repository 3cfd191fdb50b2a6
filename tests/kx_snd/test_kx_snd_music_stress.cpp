// The main thread changes music 10,000 times (load, play, pause, music off and on, quality, stop,
// unload, the list growing) while a tick thread refills the stream and a device thread plays it.
// Under the ThreadSanitizer build (see the README) any unguarded access is reported; in every
// build the stream must hold silence after each stop and pause, however the refill was timed.
#include "tests/kx_snd/snd_test_util.h"
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include "kx/kx_snd/kx_snd_local.h"

#include <thread>

using namespace snd_test;

namespace {

std::string tiny_song(int note)
{
    S3mSong s;
    s.orders = {0};
    s.samples = {s3m_tone(32, 1)};
    s.patterns.resize(1);
    for (int row = 0; row < 64; row += 4) s.patterns[0].push_back({row, row % 8 ? 1 : 0, note + row % 12, 1, 50});
    std::vector<uint8_t> bytes = s3m_build(s);
    return {bytes.begin(), bytes.end()};
}

// The whole stream buffer holds 8-bit silence.
bool stream_silent()
{
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!plat_audio_buffer_lock(kx_snd.stream, 0, kx_snd.mix_bytes, &p1, &n1, &p2, &n2)) return false;
    const auto *b = static_cast<const uint8_t *>(p1);
    bool quiet = std::all_of(b, b + n1, [](uint8_t v) { return v == 128; });
    plat_audio_buffer_unlock(kx_snd.stream, p1, n1, p2, n2);
    return quiet;
}

using SoundMusicStress = SoundTest;

TEST_F(SoundMusicStress, ChangingMusicWhileTheTickThreadRefills)
{
    // 11025 Hz, 8-bit mono: every start renders a whole second, so the output is kept small.
    static const int rates[] = {11025};
    device = {11025, 1, 8, 1, rates, 1, PLAT_AUDIO_FAIL_NONE};
    ASSERT_EQ(start(), 1);
    ASSERT_EQ(kx_snd.mix_bytes, 11025u);
    const std::string names[] = {effect_file("a.s3m", tiny_song(48)), effect_file("b.s3m", tiny_song(55))};

    std::atomic<bool> done{false};
    std::atomic<long> refills{0};
    std::thread tick([&] {
        while (!done.load()) {
            kx_snd_music_refill();
            refills++;
            std::this_thread::yield();
        }
    });
    std::thread device_thread([&] {
        std::vector<int16_t> out(110);
        while (!done.load()) {
            plat_audio_render(out.data(), 110);
            std::this_thread::yield();
        }
    });

    std::vector<int> kept;   // pieces left loaded for a while, so that the list grows under the refill
    int failures = 0;
    for (int i = 0; i < 10000 && failures < 5; i++) {
        int n = kx_snd_load_music(names[i % 2].c_str());
        failures += n == 0;
        failures += kx_snd_play_music(n) != 1;
        if (i % 3 == 0) {
            kx_snd_pause_music(n, 1);
            failures += !stream_silent();
            kx_snd_pause_music(n, 0);
        }
        if (i % 5 == 0) {
            kx_snd_toggle_music();
            failures += !stream_silent();
            kx_snd_toggle_music();
        }
        if (i % 7 == 0) kx_snd_set_quality((i / 7) % 3 * 4);
        if (i % 11 == 0) kx_snd_set_music_volume(i % 101);
        std::this_thread::yield();
        if (i % 2) {
            kx_snd_stop_music(n);
            failures += !stream_silent();
        }
        if (i % 13 == 0 && kept.size() < 25) {
            kx_snd_stop_music(n);
            kept.push_back(n);
        } else {
            kx_snd_unload_music(n);
            failures += !stream_silent();
        }
        if (kept.size() == 25) {
            for (int k : kept) kx_snd_unload_music(k);
            kept.clear();
        }
    }
    done = true;
    tick.join();
    device_thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(refills.load(), 0);
    for (int k : kept) kx_snd_unload_music(k);
    EXPECT_EQ(kx_snd_music_current(), 0);
    EXPECT_GE(kx_snd.music_capacity, 30);
    for (int i = 0; i < kx_snd.music_capacity; i++) EXPECT_EQ(kx_snd.music[i].type, KX_SND_MUSIC_FREE) << i;
}

} // namespace
