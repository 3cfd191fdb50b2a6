// Game_Music_Play and Game_Music_Stop over the sound module on the virtual device.
#include "game/game_music.h"
#include "tests/kx_snd/snd_test_util.h"
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include "kx/kx_snd/kx_snd_s3m.h"

using namespace snd_test;

namespace {

std::string song(int note)
{
    S3mSong s;
    s.orders = {0};
    s.samples = {s3m_tone(64, 1)};
    s.patterns = {{{0, 0, note, 1, 40}}};
    std::vector<uint8_t> bytes = s3m_build(s);
    return {bytes.begin(), bytes.end()};
}

using GameMusic = SoundTest;

TEST_F(GameMusic, OnePieceAtATimeChangedByName)
{
    ASSERT_EQ(start(), 1);
    effect_file("1.s3m", song(48));
    effect_file("demos.s3m", song(55));
    // Each call: the name asked for, then the piece current after it (0: none, -1: as before)
    // and whether that piece started again from its beginning.
    struct { const char *name; int current; bool restarted; } calls[] = {
        {"snd\\1.s3m", 1, true},
        {"SND\\1.S3M", -1, false},
        {"snd\\demos.s3m", 1, true},   // the first entry was unloaded, so its number is free again
        {"snd\\demos.s3m", -1, false},
        {"snd\\missing.s3m", 0, false},
        {"snd\\1.s3m", 1, true},
        {nullptr, 0, false},
    };
    int before = 0;
    for (const auto &c : calls) {
        SCOPED_TRACE(c.name ? c.name : "stop");
        std::vector<int16_t> out(2 * 4410);
        plat_audio_render(out.data(), 4410);
        kx_snd_music_refill();
        KX_SND_S3M_STATUS st{};
        kx_snd_s3m_status_get(&st);
        const int64_t frames = st.frames;
        if (c.name) Game_Music_Play(c.name);
        else Game_Music_Stop();
        EXPECT_EQ(kx_snd_music_current(), c.current < 0 ? before : c.current);
        kx_snd_s3m_status_get(&st);
        // A start renders one second afresh; a piece left playing keeps its place.
        if (kx_snd_music_current()) {
            EXPECT_EQ(st.frames, c.restarted ? 44100 : frames);
        }
        before = kx_snd_music_current();
    }
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(kx_snd_music_loaded(1) + kx_snd_music_loaded(2), 0);
}

TEST_F(GameMusic, SilentWithoutSound)
{
    effect_file("1.s3m", song(48));
    device.fail = PLAT_AUDIO_FAIL_OPEN;
    ASSERT_EQ(start(), 0);
    Game_Music_Play("snd\\1.s3m");
    Game_Music_Play("snd\\missing.s3m");
    Game_Music_Stop();
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(kx_snd_music_current(), 0);
}

} // namespace
