// Effects: loading into the arrays and their growth, the attenuation rule and its re-application,
// play/stop/status, freeing, and the errors of a failed load.
#include "tests/kx_snd/snd_test_util.h"

using namespace snd_test;

namespace {

class SoundEffects : public SoundTest {
protected:
    std::string tone;

    void SetUp() override
    {
        SoundTest::SetUp();
        tone = effect_file("tone.wav", wave(pcm16(sine(2205, 440, 22050, 8000))));
    }

    int buffer_volume(const KX_SND_EFFECT *e)
    {
        int v = 1;
        EXPECT_EQ(plat_audio_buffer_volume_get(e->buffer, &v), 1);
        return v;
    }
};

TEST_F(SoundEffects, AttenuationFollowsTheLogRule)
{
    ini("SoundVolume=100\n");
    ASSERT_EQ(start(), 1);
    for (auto [volume, hundredths_db] : {std::pair{100, 0}, {75, -249}, {50, -602}, {10, -2000}, {1, -4000}, {0, -10000}})
        EXPECT_EQ(kx_snd_attenuation(volume), hundredths_db) << volume;
    kx_snd_set_effects_volume(50);
    // 50 x 1 / 100 is level 0.
    EXPECT_EQ(kx_snd_attenuation(1), -10000);
    EXPECT_EQ(kx_snd_attenuation(20), -2000);
}

TEST_F(SoundEffects, SwitchAndVolumeReachEveryLoadedEffect)
{
    ASSERT_EQ(start(), 1);
    KX_SND_EFFECT *a = kx_snd_load(tone.c_str());
    KX_SND_EFFECT *b = kx_snd_load(tone.c_str());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(a->file_name, "snd\\tone.wav");
    EXPECT_EQ(a->data, nullptr);
    EXPECT_EQ((std::vector<uint32_t>{a->data_size, a->desc.size, a->desc.bytes}), (std::vector<uint32_t>{4410, 20, 4410}));
    ASSERT_EQ(kx_snd_set_volume(b, 50), 1);
    EXPECT_EQ(kx_snd_effect_volume(b), 50);
    auto volumes = [&] { return std::pair{buffer_volume(a), buffer_volume(b)}; };
    EXPECT_EQ(volumes(), std::pair(-249, -863));   // b: level 75 x 50 / 100 = 37
    kx_snd_toggle_effects();
    EXPECT_EQ(volumes(), std::pair(-10000, -10000));
    kx_snd_toggle_effects();
    EXPECT_EQ(volumes(), std::pair(-249, -863));
    kx_snd_set_effects_volume(100);
    EXPECT_EQ(volumes(), std::pair(0, -602));
    EXPECT_EQ(kx_snd_set_volume(a, 250), 1);
    EXPECT_EQ(kx_snd_effect_volume(a), 100);
    // Switching off mutes a playing effect without stopping it.
    ASSERT_EQ(kx_snd_play(a, 1), 1);
    kx_snd_toggle_effects();
    EXPECT_EQ(kx_snd_is_playing(a), 1);
    EXPECT_EQ(kx_snd_free(a), 1);
    EXPECT_EQ(kx_snd_free(b), 1);
    EXPECT_EQ(kx_snd_effect_count(), 0);
}

TEST_F(SoundEffects, TheArraysGrowByTenAndKeepTheirVolumes)
{
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_snd_effect_capacity(), 10);
    std::vector<KX_SND_EFFECT *> loaded;
    for (int i = 0; i < 9; i++) {
        loaded.push_back(kx_snd_load(tone.c_str()));
        ASSERT_NE(loaded.back(), nullptr);
        kx_snd_set_volume(loaded.back(), 10 + i);
    }
    EXPECT_EQ(kx_snd_effect_capacity(), 10);
    loaded.push_back(kx_snd_load(tone.c_str()));
    loaded.push_back(kx_snd_load(tone.c_str()));
    ASSERT_NE(loaded[10], nullptr);
    EXPECT_EQ(kx_snd_effect_capacity(), 20);
    EXPECT_EQ(kx_snd_effect_count(), 11);
    for (int i = 0; i < 9; i++) EXPECT_EQ(kx_snd_effect_volume(loaded[i]), 10 + i);
    EXPECT_EQ(kx_snd_effect_volume(loaded[9]), 100);
    EXPECT_EQ(kx_snd_effect_volume(loaded[10]), 100);

    // A freed slot is the next one taken, at volume 100.
    ASSERT_EQ(kx_snd_free(loaded[3]), 1);
    EXPECT_EQ(kx_snd_effect_count(), 10);
    KX_SND_EFFECT *again = kx_snd_load(tone.c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(kx_snd_effect_volume(again), 100);
    loaded[3] = again;
    kx_snd_set_effects_volume(100);
    EXPECT_EQ(buffer_volume(loaded[4]), kx_snd_attenuation(14));
    for (KX_SND_EFFECT *e : loaded) EXPECT_EQ(kx_snd_free(e), 1);
    EXPECT_EQ(kx_snd_effect_count(), 0);
}

TEST_F(SoundEffects, PlayRestartsStopEndsAndOnceOnlyRunsOut)
{
    ASSERT_EQ(start(), 1);
    KX_SND_EFFECT *e = kx_snd_load(tone.c_str());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(kx_snd_is_playing(e), 0);
    ASSERT_EQ(kx_snd_play(e, 0), 1);
    EXPECT_EQ(kx_snd_is_playing(e), 1);
    std::vector<int16_t> out(2 * 2000);
    plat_audio_render(out.data(), 2000);
    uint32_t position = 0;
    plat_audio_buffer_position_get(e->buffer, &position);
    EXPECT_EQ(position, 2000u);   // 1000 frames of 22050 Hz in 2000 frames of 44100 Hz
    ASSERT_EQ(kx_snd_play(e, 0), 1);
    plat_audio_buffer_position_get(e->buffer, &position);
    EXPECT_EQ(position, 0u);
    plat_audio_render(out.data(), 2000);
    ASSERT_EQ(kx_snd_stop(e), 1);
    EXPECT_EQ(kx_snd_is_playing(e), 0);
    ASSERT_EQ(kx_snd_play(e, 0), 1);
    std::vector<int16_t> rest(2 * 5000);
    plat_audio_render(rest.data(), 5000);
    EXPECT_EQ(kx_snd_is_playing(e), 0);
    ASSERT_EQ(kx_snd_play(e, 1), 1);
    plat_audio_render(rest.data(), 5000);
    EXPECT_EQ(kx_snd_is_playing(e), 1);
    EXPECT_EQ(kx_snd_free(e), 1);
}

TEST_F(SoundEffects, NullAndFailedEffectsRaiseTheirErrors)
{
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_snd_play(nullptr, 0), 0);
    EXPECT_EQ(kx_error_pending.code, KX_SND_ERR_NULL_SOUND);
    EXPECT_EQ(kx_snd_set_volume(nullptr, 10), 0);
    EXPECT_EQ(kx_snd_free(nullptr), 0);
    EXPECT_STREQ(kx_error_module_name(kx_error_pending.module), "Sound");

    std::string list = "LIST";
    put(list, 0, 4);
    std::string bad = effect_file("bad.wav", wave(pcm16({1, 2}), {.between = list}));
    EXPECT_EQ(kx_snd_load(bad.c_str()), nullptr);
    EXPECT_EQ(kx_error_pending.code, KX_SND_ERR_LOAD);
    EXPECT_STREQ(kx_error_pending.detail, "snd\\bad.wav");
    EXPECT_EQ(kx_snd_load("snd\\none.wav"), nullptr);
    EXPECT_EQ(kx_error_pending.code, KX_SND_ERR_LOAD);

    // A format the device cannot make a buffer for.
    std::string unplayable = effect_file("odd.wav", wave(std::string(12, '\0'), {.bits = 24}));
    EXPECT_EQ(kx_snd_load(unplayable.c_str()), nullptr);
    EXPECT_EQ(kx_error_pending.code, KX_SND_ERR_SECONDARY);
    EXPECT_EQ(kx_snd_effect_count(), 0);
}

TEST_F(SoundEffects, ReportedRefusalsShowTheReaderCodeThenTheLoadError)
{
    settings.report = 1;
    ASSERT_EQ(start(), 1);
    std::string bad = effect_file("adpcm.wav", wave(pcm16({1, 2}), {.tag = 2}));
    alerts.clear();
    EXPECT_EQ(kx_snd_load(bad.c_str()), nullptr);
    std::vector<std::string> boxes;
    for (auto &a : alerts)
        if (a.second == "Alert") boxes.push_back(a.first);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "In module Sound \n\n This file is not in MicroSoft PCM format\n\nsnd\\adpcm.wav");
    EXPECT_EQ(boxes[1], "In module Sound \n\n Unable to load wave\n\nsnd\\adpcm.wav");
}

TEST_F(SoundEffects, NothingLoadsBeforeStartUp)
{
    EXPECT_EQ(kx_snd_load(tone.c_str()), nullptr);
    EXPECT_EQ(kx_snd_play(nullptr, 0), 0);
    EXPECT_EQ(kx_snd_effects_enabled(), 0);
}

} // namespace
