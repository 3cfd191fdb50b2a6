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

// Words are listed as music on, effects on, music volume, effects volume, quality.
TEST_F(SoundSettings, MissingKeysTakeTheDefaultsAndAreWrittenAtShutdown)
{
    w.music_volume = 60;
    w.quality = 8;
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(words_now(), (std::vector<int>{1, 1, 60, 75, 8}));
    EXPECT_EQ(w.audible.load(), 1);
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 0, 0, 1}));
    EXPECT_TRUE(all_enabled(1));
    EXPECT_TRUE(alerts.empty());
    stop();
    EXPECT_EQ(ini_keys(), (std::vector<int>{1, 1, 60, 75, 8}));
}

TEST_F(SoundSettings, ValuesOutOfRangeAreClampedOrMadeLow)
{
    ini("DigitalMusic=7\nSoundEffects=1\nMusicVolume=150\nSoundVolume=-20\nInterpolation=5\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(words_now(), (std::vector<int>{1, 1, 100, 0, 0}));
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 1, 0, 0}));
    stop();
    EXPECT_EQ(ini_keys(), (std::vector<int>{1, 1, 100, 0, 0}));
    ini("MusicVolume=-20\nSoundVolume=150\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(w.music_volume, 0);
    EXPECT_EQ(w.effects_volume, 100);
}

TEST_F(SoundSettings, SwitchedOffChannelsShowMinusTwoAndComeBackWithTheirVolume)
{
    ini("DigitalMusic=0\nSoundEffects=0\nMusicVolume=40\nSoundVolume=30\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(words_now(), (std::vector<int>{0, 0, KX_SND_VOLUME_OFF, KX_SND_VOLUME_OFF, 4}));
    EXPECT_EQ(kx_snd_effects_enabled(), 0);
    EXPECT_EQ(checks(), (std::vector<int>{0, 0, 0, 1, 0}));
    EXPECT_EQ(kx_snd_toggle_music(), 1);
    EXPECT_EQ(kx_snd_set_effects_volume(55), 1);   // setting a volume switches the channel on
    EXPECT_EQ(words_now(), (std::vector<int>{1, 1, 40, 55, 4}));
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 0, 1, 0}));
    EXPECT_EQ(kx_snd_toggle_music(), 0);
    EXPECT_EQ(w.music_volume, KX_SND_VOLUME_OFF);
    stop();
    EXPECT_EQ(ini_keys(), (std::vector<int>{0, 1, 40, 55, 4}));
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
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 1, 0);
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 2, 0);
    EXPECT_EQ(words_now(), (std::vector<int>{0, 0, KX_SND_VOLUME_OFF, KX_SND_VOLUME_OFF, 4}));
    EXPECT_EQ(checks(), (std::vector<int>{0, 0, 0, 1, 0}));
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_MUSIC, 0);
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_EFFECTS, 0);
    EXPECT_EQ(words_now(), (std::vector<int>{1, 1, 75, 75, 4}));
    EXPECT_EQ(checks(), (std::vector<int>{1, 1, 0, 1, 0}));
    // Other keys and commands are left alone.
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 3, 0);
    kx_snd_window_message(PLAT_WM_COMMAND, 50001, 0);
    EXPECT_EQ(words_now(), (std::vector<int>{1, 1, 75, 75, 4}));
}

// An 8-bit mono device gets mixer mode 4; a device taking only 22050 Hz gets that mix rate.
TEST_F(SoundSettings, OutputFormatFollowsTheDevice)
{
    const int rates[] = {22050};
    struct { int bits, channels, rate_count, rate, mode; } cases[] = {{8, 1, 0, 44100, 4}, {16, 2, 1, 22050, 2 + 16 + 1 + 4}};
    for (const auto &c : cases) {
        device.caps_bits = c.bits;
        device.caps_channels = c.channels;
        device.rates = c.rate_count ? rates : nullptr;
        device.rate_count = c.rate_count;
        ASSERT_EQ(start(), 1);
        int format[3];
        kx_snd_output_format(&format[0], &format[1], &format[2]);
        EXPECT_EQ(std::vector<int>(format, format + 3), (std::vector<int>{c.rate, c.bits, c.channels}));
        EXPECT_EQ(kx_snd_mixer_mode(), c.mode);
        stop();
    }
}

TEST_F(SoundSettings, WindowHookStopsAndRestartsTheStreamAndFollowsActivation)
{
    ASSERT_EQ(start(), 1);
    // After each message: whether the game hears sound, and the stream (the device's first buffer) with it.
    auto expect_audible = [&](int audible) {
        unsigned status = 99;
        ASSERT_EQ(plat_audio_buffer_status(1, &status), 1);
        EXPECT_EQ(status, audible ? PLAT_AUDIO_PLAYING | PLAT_AUDIO_LOOPING : 0u);
        EXPECT_EQ(w.audible.load(), audible);
    };
    expect_audible(1);
    const unsigned messages[][3] = {{PLAT_WM_ACTIVATE, 0, 0}, {PLAT_WM_ACTIVATE, 1, 1}, {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0},
                                    {PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 1}, {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0},
                                    {PLAT_WM_SYSCOMMAND, 0xF030, 1}};
    for (const auto &m : messages) {
        SCOPED_TRACE(testing::Message() << m[0] << " " << m[1]);
        kx_snd_window_message(m[0], m[1], 0);
        expect_audible(static_cast<int>(m[2]));
    }
}

TEST_F(SoundSettings, NoDeviceRunsSilentWithAGreyMenu)
{
    device.fail = PLAT_AUDIO_FAIL_OPEN;
    EXPECT_EQ(start(), 0);
    EXPECT_TRUE(alerts.empty());
    EXPECT_TRUE(all_enabled(0));
    std::vector<int> before = checks();
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 1, 0);
    kx_snd_window_message(PLAT_WM_KEYDOWN, PLAT_VK_F1 + 2, 0);
    kx_snd_window_message(PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_HIGH, 0);
    EXPECT_EQ(checks(), before);
    EXPECT_EQ(words_now(), (std::vector<int>{1, 1, KX_SND_VOLUME_NONE, KX_SND_VOLUME_NONE, 4}));
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
