// Start-up, the "Sound" settings, the switches and volumes with their words, the Sound menu,
// the window hook, and every way the device can fail.
#include "tests/kx_snd/snd_test_util.h"

#include "platform/plat_menu.h"

using namespace snd_test;

namespace {

constexpr uint32_t MENU[] = {KX_SND_CMD_MUSIC, KX_SND_CMD_EFFECTS, KX_SND_CMD_QUALITY_LOW, KX_SND_CMD_QUALITY_MEDIUM,
                             KX_SND_CMD_QUALITY_HIGH};

std::vector<int> checks()
{
    std::vector<int> c;
    for (uint32_t m : MENU) c.push_back(plat_menu_checked(m));
    return c;
}

bool all_enabled(int enabled)
{
    for (uint32_t m : MENU)
        if (plat_menu_enabled(m) != enabled) return false;
    return true;
}

using SoundSettings = SoundTest;

TEST_F(SoundSettings, MissingKeysTakeTheDefaultsAndAreWrittenAtShutdown)
{
    w.music_volume = 60;
    w.quality = 8;
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(w.music_volume, 60);
    EXPECT_EQ(w.effects_volume, 75);
    EXPECT_EQ(w.quality, 8);
    EXPECT_EQ(w.audible.load(), 1);
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 0, 0, 1}));
    EXPECT_TRUE(all_enabled(1));
    EXPECT_TRUE(alerts.empty());
    stop();
    EXPECT_EQ(ini_int("DigitalMusic"), 1);
    EXPECT_EQ(ini_int("SoundEffects"), 1);
    EXPECT_EQ(ini_int("MusicVolume"), 60);
    EXPECT_EQ(ini_int("SoundVolume"), 75);
    EXPECT_EQ(ini_int("Interpolation"), 8);
}

TEST_F(SoundSettings, ValuesOutOfRangeAreClampedOrMadeLow)
{
    ini("DigitalMusic=7\nSoundEffects=1\nMusicVolume=150\nSoundVolume=-20\nInterpolation=5\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(w.music_enabled, 1);
    EXPECT_EQ(w.music_volume, 100);
    EXPECT_EQ(w.effects_volume, 0);
    EXPECT_EQ(w.quality, 0);
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 1, 0, 0}));
    stop();
    EXPECT_EQ(ini_int("DigitalMusic"), 1);
    EXPECT_EQ(ini_int("MusicVolume"), 100);
    EXPECT_EQ(ini_int("SoundVolume"), 0);
    EXPECT_EQ(ini_int("Interpolation"), 0);

    ini("MusicVolume=-20\nSoundVolume=150\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(w.music_volume, 0);
    EXPECT_EQ(w.effects_volume, 100);
}

TEST_F(SoundSettings, SwitchedOffChannelsShowMinusTwoAndComeBackWithTheirVolume)
{
    ini("DigitalMusic=0\nSoundEffects=0\nMusicVolume=40\nSoundVolume=30\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(w.music_enabled, 0);
    EXPECT_EQ(w.effects_enabled, 0);
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_OFF);
    EXPECT_EQ(w.effects_volume, KX_SND_VOLUME_OFF);
    EXPECT_EQ(kx_snd_effects_enabled(), 0);
    EXPECT_EQ(checks()[0], 0);
    EXPECT_EQ(checks()[1], 0);

    EXPECT_EQ(kx_snd_toggle_music(), 1);
    EXPECT_EQ(w.music_volume, 40);
    EXPECT_EQ(w.music_enabled, 1);
    EXPECT_EQ(checks()[0], 1);
    // Setting a volume switches the channel on.
    EXPECT_EQ(kx_snd_set_effects_volume(55), 1);
    EXPECT_EQ(w.effects_enabled, 1);
    EXPECT_EQ(w.effects_volume, 55);
    EXPECT_EQ(checks()[1], 1);
    EXPECT_EQ(kx_snd_toggle_music(), 0);
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_OFF);
    stop();
    EXPECT_EQ(ini_int("DigitalMusic"), 0);
    EXPECT_EQ(ini_int("MusicVolume"), 40);
    EXPECT_EQ(ini_int("SoundEffects"), 1);
    EXPECT_EQ(ini_int("SoundVolume"), 55);
}

TEST_F(SoundSettings, MenuCommandsAndFunctionKeysDriveTheSwitchesAndQuality)
{
    ASSERT_EQ(start(), 1);
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_HIGH, 0);
    EXPECT_EQ(w.quality, 8);
    EXPECT_EQ(kx_snd_mixer_mode(), 2 + 16 + 1 + 8);
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 0, 0, 1}));
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_LOW, 0);
    EXPECT_EQ(kx_snd_mixer_mode(), 19);
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 1, 0, 0}));
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_MEDIUM, 0);
    EXPECT_EQ(w.quality, 4);

    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 1, 0);
    EXPECT_EQ(w.music_enabled, 0);
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_OFF);
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 2, 0);
    EXPECT_EQ(w.effects_enabled, 0);
    EXPECT_EQ(checks(), (std::vector<int>{0, 0, 0, 1, 0}));
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_MUSIC, 0);
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_EFFECTS, 0);
    EXPECT_EQ(w.music_volume, 75);
    EXPECT_EQ(w.effects_volume, 75);
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 0, 1, 0}));
    // Other keys and commands are left alone.
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 3, 0);
    kx_snd_window_message(PLAT_WM_COMMAND, 50001, 0);
    EXPECT_EQ(w.music_enabled, 1);
    EXPECT_EQ(w.effects_enabled, 1);
}

TEST_F(SoundSettings, MixerModeFollowsTheOutputFormat)
{
    device.caps_bits = 8;
    device.caps_channels = 1;
    ASSERT_EQ(start(), 1);
    int rate, bits, channels;
    kx_snd_output_format(&rate, &bits, &channels);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(kx_snd_mixer_mode(), 4);
}

TEST_F(SoundSettings, ADeviceTakingOnly22050HzGetsThatMixRate)
{
    const int rates[] = {22050};
    device.rates = rates;
    device.rate_count = 1;
    ASSERT_EQ(start(), 1);
    int rate, bits, channels;
    kx_snd_output_format(&rate, &bits, &channels);
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 2);
}

TEST_F(SoundSettings, WindowHookStopsAndRestartsTheStreamAndFollowsActivation)
{
    ASSERT_EQ(start(), 1);
    const int stream = 1;   // the first buffer the device hands out
    unsigned status = 0;
    ASSERT_EQ(plat_audio_buffer_status(stream, &status), 1);
    EXPECT_EQ(status, PLAT_AUDIO_PLAYING | PLAT_AUDIO_LOOPING);

    kx_snd_window_message(PLAT_WM_ACTIVATE, 0, 0);
    EXPECT_EQ(w.audible.load(), 0);
    plat_audio_buffer_status(stream, &status);
    EXPECT_EQ(status, 0u);
    kx_snd_window_message(PLAT_WM_ACTIVATE, 1, 0);
    EXPECT_EQ(w.audible.load(), 1);
    plat_audio_buffer_status(stream, &status);
    EXPECT_EQ(status, PLAT_AUDIO_PLAYING | PLAT_AUDIO_LOOPING);

    kx_snd_window_message(PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0);
    EXPECT_EQ(w.audible.load(), 0);
    plat_audio_buffer_status(stream, &status);
    EXPECT_EQ(status, 0u);
    kx_snd_window_message(PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 0);
    EXPECT_EQ(w.audible.load(), 1);
    plat_audio_buffer_status(stream, &status);
    EXPECT_EQ(status, PLAT_AUDIO_PLAYING | PLAT_AUDIO_LOOPING);
    kx_snd_window_message(PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0);
    kx_snd_window_message(PLAT_WM_SYSCOMMAND, 0xF030, 0);
    EXPECT_EQ(w.audible.load(), 1);
}

TEST_F(SoundSettings, NoDeviceRunsSilentWithAGreyMenu)
{
    device.fail = PLAT_AUDIO_FAIL_OPEN;
    EXPECT_EQ(start(), 0);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_NONE);
    EXPECT_EQ(w.effects_volume, KX_SND_VOLUME_NONE);
    EXPECT_TRUE(all_enabled(0));
    std::vector<int> before = checks();
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 1, 0);
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 2, 0);
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_HIGH, 0);
    EXPECT_EQ(checks(), before);
    EXPECT_EQ(w.music_enabled, 1);
    EXPECT_EQ(w.effects_enabled, 1);
    EXPECT_EQ(w.quality, 4);
    EXPECT_EQ(kx_snd_toggle_music(), 0);
    EXPECT_EQ(kx_snd_set_music_volume(50), 0);
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_NONE);
    EXPECT_EQ(kx_snd_effects_enabled(), 0);
    EXPECT_EQ(kx_snd_load(effect_file("a.wav", wave(pcm16({1, 2}))).c_str()), nullptr);
    EXPECT_EQ(kx_snd_mixer_mode(), 0);
    kx_snd_music_refill();
    stop();
    // Nothing started, so nothing is written back.
    EXPECT_FALSE(fs::exists(dir / "sound.ini"));
}

struct failure_case {
    int step;
    const char *text;
};

class SoundDeviceFailure : public SoundTest, public ::testing::WithParamInterface<failure_case> {};

TEST_P(SoundDeviceFailure, EachStepAlertsWithItsTextAndLeavesSoundOff)
{
    device.fail = GetParam().step;
    EXPECT_EQ(start(), 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].first, GetParam().text);
    EXPECT_EQ(alerts[0].second, "Terminating");
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_NONE);
    EXPECT_EQ(w.effects_volume, KX_SND_VOLUME_NONE);
    EXPECT_TRUE(all_enabled(0));
    EXPECT_EQ(plat_audio_is_open(), 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, SoundDeviceFailure,
                         ::testing::Values(failure_case{PLAT_AUDIO_FAIL_COOPERATIVE, "SetCooperativeLevel failed"},
                                           failure_case{PLAT_AUDIO_FAIL_CAPS, "Get Sound Device description failed"},
                                           failure_case{PLAT_AUDIO_FAIL_PRIMARY, "CreatePrimarySoundBuffer failed"},
                                           failure_case{PLAT_AUDIO_FAIL_BUFFER, "CreateSoundBuffer failed"}));

} // namespace
