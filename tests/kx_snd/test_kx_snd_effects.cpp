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

    static int buffer_volume(const KX_SND_EFFECT *e)
    {
        int v = 1;
        EXPECT_EQ(plat_audio_buffer_volume_get(e->buffer, &v), 1);
        return v;
    }
};

TEST_F(SoundEffects, SwitchAndVolumeReachEveryLoadedEffect)
{
    ASSERT_EQ(start(), 1);
    KX_SND_EFFECT *a = kx_snd_load(tone.c_str()), *b = kx_snd_load(tone.c_str());
    ASSERT_TRUE(a && b);
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
    // The rest of the log rule, then the effects volume scaling the level it is given.
    for (auto [volume, hundredths_db] : {std::pair{10, -2000}, {1, -4000}, {0, -10000}})
        EXPECT_EQ(kx_snd_attenuation(volume), hundredths_db) << volume;
    kx_snd_set_effects_volume(50);
    EXPECT_EQ(std::pair(kx_snd_attenuation(1), kx_snd_attenuation(20)), std::pair(-10000, -2000));   // 50 x 1 / 100 is level 0
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
    std::vector<KX_SND_EFFECT *> loaded;
    V volumes, capacity;
    for (int i = 0; i < 11; i++) {
        ASSERT_NE(loaded.emplace_back(kx_snd_load(tone.c_str())), nullptr);
        capacity.push_back(kx_snd_effect_capacity());
        if (i < 9) kx_snd_set_volume(loaded.back(), 10 + i);
    }
    EXPECT_EQ(capacity, (V{10, 10, 10, 10, 10, 10, 10, 10, 10, 20, 20}));   // grown when the count reaches it
    EXPECT_EQ(kx_snd_effect_count(), 11);
    for (KX_SND_EFFECT *e : loaded) volumes.push_back(kx_snd_effect_volume(e));
    EXPECT_EQ(volumes, (V{10, 11, 12, 13, 14, 15, 16, 17, 18, 100, 100}));
    // A freed slot is the next one taken, at volume 100.
    ASSERT_EQ(kx_snd_free(loaded[3]), 1);
    EXPECT_EQ(kx_snd_effect_count(), 10);
    ASSERT_NE(loaded[3] = kx_snd_load(tone.c_str()), nullptr);
    EXPECT_EQ(kx_snd_effect_volume(loaded[3]), 100);
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
    // Per step: the call, the frames rendered at 44100 Hz after it, then whether the effect plays
    // and the byte position in its 22050 Hz buffer (-1: not checked).
    enum { NONE, ONCE, LOOP, STOP };
    const int steps[][4] = {{NONE, 0, 0, -1}, {ONCE, 0, 1, 0},     {NONE, 2000, 1, 2000}, {ONCE, 0, 1, 0},
                            {NONE, 2000, 1, -1}, {STOP, 0, 0, -1}, {ONCE, 5000, 0, -1},   {LOOP, 5000, 1, -1}};
    std::vector<int16_t> out(2 * 5000);
    for (size_t i = 0; i < std::size(steps); i++) {
        const auto [call, frames, playing, position] = steps[i];
        SCOPED_TRACE(i);
        ASSERT_EQ(call == NONE ? 1 : call == STOP ? kx_snd_stop(e) : kx_snd_play(e, call == LOOP), 1);
        if (frames) plat_audio_render(out.data(), frames);
        EXPECT_EQ(kx_snd_is_playing(e), playing);
        uint32_t p = 99;
        plat_audio_buffer_position_get(e->buffer, &p);
        if (position >= 0) {
            EXPECT_EQ(p, static_cast<uint32_t>(position));
        }
    }
    EXPECT_EQ(kx_snd_free(e), 1);
}

TEST_F(SoundEffects, NullAndFailedEffectsRaiseTheirErrors)
{
    // Nothing loads before start-up.
    EXPECT_EQ(kx_snd_load(tone.c_str()), nullptr);
    EXPECT_EQ(kx_snd_effects_enabled(), 0);
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_snd_play(nullptr, 0), 0);
    EXPECT_EQ(kx_error_pending.code, KX_SND_ERR_NULL_SOUND);
    EXPECT_EQ(kx_snd_set_volume(nullptr, 10), 0);
    EXPECT_EQ(kx_snd_free(nullptr), 0);
    EXPECT_STREQ(kx_error_module_name(kx_error_pending.module), "Sound");
    // A refused file and a missing one name it; a format the device cannot make a buffer for.
    const std::string bad = effect_file("bad.wav", wave(pcm16({1, 2}), {.between = chunk("LIST", 0)}));
    const std::tuple<std::string, int, std::string> cases[] = {{bad, KX_SND_ERR_LOAD, bad},
                                                               {"snd\\none.wav", KX_SND_ERR_LOAD, "snd\\none.wav"},
                                                               {effect_file("odd.wav", wave(std::string(12, '\0'), {.bits = 24})), KX_SND_ERR_SECONDARY, ""}};
    for (const auto &[file, code, detail] : cases) {
        EXPECT_EQ(kx_snd_load(file.c_str()), nullptr);
        EXPECT_EQ(kx_error_pending.code, code);
        EXPECT_EQ(kx_error_pending.detail, detail);
    }
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
    EXPECT_EQ(boxes, (std::vector<std::string>{"In module Sound \n\n This file is not in MicroSoft PCM format\n\nsnd\\adpcm.wav",
                                               "In module Sound \n\n Unable to load wave\n\nsnd\\adpcm.wav"}));
}

} // namespace
