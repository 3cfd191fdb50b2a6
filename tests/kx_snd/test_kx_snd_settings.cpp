// Start-up, the "Sound" settings, the switches and volumes with their words, the Sound menu,
// the window hook, and every way the device can fail.
#include "tests/kx_snd/snd_test_util.h"

#include "tests/kx_snd_s3m/s3m_test_util.h"

#include "platform/plat_menu.h"

using namespace snd_test;

namespace {

constexpr uint32_t MENU[] = {KX_SND_CMD_MUSIC, KX_SND_CMD_EFFECTS, KX_SND_CMD_QUALITY_LOW, KX_SND_CMD_QUALITY_MEDIUM,
                             KX_SND_CMD_QUALITY_HIGH};

// Check marks of the Sound menu in MENU order, or with `enabled` the grey state instead.
V menu(bool enabled = false)
{
    V c;
    for (uint32_t m : MENU) c.push_back(enabled ? plat_menu_enabled(m) : plat_menu_checked(m));
    return c;
}

using SoundSettings = SoundTest;

// Words, check marks and written keys; the fields' defaults are music volume 60 and quality 8. A
// settings file without the section is not reported missing, even with reporting on.
TEST_F(SoundSettings, KeysAreReadClampedAndWrittenBack)
{
    const int OFF = KX_SND_VOLUME_OFF;
    struct { const char *file; V words, checks, written; } cases[] = {
        {nullptr, {1, 1, 60, 75, 8}, {1, 1, 0, 0, 1}, {1, 1, 60, 75, 8}},
        {"[Display]\nFullscreen=0\n", {1, 1, 60, 75, 8}, {1, 1, 0, 0, 1}, {1, 1, 60, 75, 8}},
        {"[Sound]\nDigitalMusic=7\nSoundEffects=1\nMusicVolume=150\nSoundVolume=-20\nInterpolation=5\n", {1, 1, 100, 0, 0},
         {1, 1, 1, 0, 0}, {1, 1, 100, 0, 0}},
        {"[Sound]\nMusicVolume=-20\nSoundVolume=150\n", {1, 1, 0, 100, 8}, {1, 1, 0, 0, 1}, {1, 1, 0, 100, 8}},
        {"[Sound]\nDigitalMusic=0\nSoundEffects=0\nMusicVolume=40\nSoundVolume=30\n", {0, 0, OFF, OFF, 8}, {0, 0, 0, 0, 1},
         {0, 0, 40, 30, 8}},
        // Channels that start switched off keep their volumes clamped too.
        {"[Sound]\nDigitalMusic=0\nSoundEffects=0\nMusicVolume=250\nSoundVolume=-7\n", {0, 0, OFF, OFF, 8}, {0, 0, 0, 0, 1},
         {0, 0, 100, 0, 8}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        alerts.clear();
        io.report = c.file && c.file[1] == 'D';   // reporting on for the file without the section
        if (c.file) write_file(dir / "sound.ini", c.file);
        music_volume = 60;
        quality = 8;
        ASSERT_EQ(start(), 1);
        EXPECT_EQ(words(), c.words);
        EXPECT_EQ(menu(), c.checks);
        EXPECT_EQ(menu(true), V(5, 1));
        EXPECT_TRUE(!c.words[0] || audible.load() == 1);
        EXPECT_EQ(kx_snd_effects_enabled(), c.words[1]);
        stop();
        EXPECT_EQ(ini_keys(), c.written);
        for (const auto &a : alerts) EXPECT_TRUE(io.report && a.first.find("Can't find the") == std::string::npos) << a.first;
    }
}

TEST_F(SoundSettings, SwitchedOffChannelsComeBackWithTheirVolume)
{
    ini("DigitalMusic=0\nSoundEffects=0\nMusicVolume=40\nSoundVolume=30\n");
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(kx_snd_toggle_music(), 1);
    EXPECT_EQ(kx_snd_set_effects_volume(55), 1);   // setting a volume switches the channel on
    EXPECT_EQ(words(), (V{1, 1, 40, 55, 4}));
    EXPECT_EQ(menu(), (V{1, 1, 0, 1, 0}));
    EXPECT_EQ(kx_snd_toggle_music(), 0);
    EXPECT_EQ(music_volume, KX_SND_VOLUME_OFF);
    stop();
    EXPECT_EQ(ini_keys(), (V{0, 1, 40, 55, 4}));
}

TEST_F(SoundSettings, MenuCommandsAndFunctionKeysDriveTheSwitchesAndQuality)
{
    ASSERT_EQ(start(), 1);
    // Message, its parameter, then the words, the check marks and the mixer mode after it.
    struct { uint32_t message; uintptr_t param; V words, checks; int mode; } steps[] = {
        {PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_HIGH, {1, 1, 75, 75, 8}, {1, 1, 0, 0, 1}, 2 + 16 + 1 + 8},
        {PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_LOW, {1, 1, 75, 75, 0}, {1, 1, 1, 0, 0}, 19},
        {PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_MEDIUM, {1, 1, 75, 75, 4}, {1, 1, 0, 1, 0}, 23},
        {PLAT_WM_KEYDOWN, PLAT_VK_F1 + 1, {0, 1, KX_SND_VOLUME_OFF, 75, 4}, {0, 1, 0, 1, 0}, 23},
        {PLAT_WM_KEYDOWN, PLAT_VK_F1 + 2, {0, 0, KX_SND_VOLUME_OFF, KX_SND_VOLUME_OFF, 4}, {0, 0, 0, 1, 0}, 23},
        {PLAT_WM_COMMAND, KX_SND_CMD_MUSIC, {1, 0, 75, KX_SND_VOLUME_OFF, 4}, {1, 0, 0, 1, 0}, 23},
        {PLAT_WM_COMMAND, KX_SND_CMD_EFFECTS, {1, 1, 75, 75, 4}, {1, 1, 0, 1, 0}, 23},
        {PLAT_WM_KEYDOWN, PLAT_VK_F1 + 3, {1, 1, 75, 75, 4}, {1, 1, 0, 1, 0}, 23},   // other keys and commands: nothing
        {PLAT_WM_COMMAND, 50001, {1, 1, 75, 75, 4}, {1, 1, 0, 1, 0}, 23},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << s.message << " " << s.param);
        kx_snd_window_message(s.message, s.param, 0);
        EXPECT_EQ(words(), s.words);
        EXPECT_EQ(menu(), s.checks);
        EXPECT_EQ(kx_snd_mixer_mode(), s.mode);
    }
}

// An 8-bit mono device gets mixer mode 4; a device taking only 22050 Hz gets that mix rate.
TEST_F(SoundSettings, OutputFormatFollowsTheDevice)
{
    const int rates[] = {22050};
    struct { int bits, channels, rate_count, rate, mode; } cases[] = {{8, 1, 0, 44100, 4}, {16, 2, 1, 22050, 2 + 16 + 1 + 4}};
    for (const auto &c : cases) {
        device = {44100, 2, c.bits, c.channels, c.rate_count ? rates : nullptr, c.rate_count, PLAT_AUDIO_FAIL_NONE};
        ASSERT_EQ(start(), 1);
        V format(3);
        kx_snd_output_format(&format[0], &format[1], &format[2]);
        EXPECT_EQ(format, (V{c.rate, c.bits, c.channels}));
        EXPECT_EQ(kx_snd_mixer_mode(), c.mode);
        stop();
    }
}

// After each message: whether the game hears sound, and the stream (the device's first buffer) with it.
TEST_F(SoundSettings, WindowHookStopsAndRestartsTheStreamAndFollowsActivation)
{
    ASSERT_EQ(start(), 1);
    const unsigned messages[][3] = {{0, 0, 1}, {PLAT_WM_ACTIVATE, 0, 0}, {PLAT_WM_ACTIVATE, 1, 1}, {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0},
                                    {PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 1}, {PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0},
                                    {PLAT_WM_SYSCOMMAND, 0xF030, 1}};
    for (const auto &m : messages) {
        SCOPED_TRACE(testing::Message() << m[0] << " " << m[1]);
        if (m[0]) kx_snd_window_message(m[0], m[1], 0);
        unsigned status = 99;
        ASSERT_EQ(plat_audio_buffer_status(1, &status), 1);
        EXPECT_EQ(status, m[2] ? PLAT_AUDIO_PLAYING | PLAT_AUDIO_LOOPING : 0u);
        EXPECT_EQ(audible.load(), static_cast<int>(m[2]));
    }
}

// No device at all runs silent without a word; a later failing step alerts with its text. Either
// way the menu is grey, the keys do nothing, nothing loads, music refuses every operation and
// nothing is written back.
TEST_F(SoundSettings, FailingDeviceRunsSilentWithAGreyMenu)
{
    const std::pair<int, const char *> cases[] = {{PLAT_AUDIO_FAIL_OPEN, nullptr},
                                                  {PLAT_AUDIO_FAIL_COOPERATIVE, "SetCooperativeLevel failed"},
                                                  {PLAT_AUDIO_FAIL_CAPS, "Get Sound Device description failed"},
                                                  {PLAT_AUDIO_FAIL_PRIMARY, "CreatePrimarySoundBuffer failed"},
                                                  {PLAT_AUDIO_FAIL_BUFFER, "CreateSoundBuffer failed"}};
    const std::vector<uint8_t> module = s3m_build({6, 125, 4, {0}, {s3m_tone(64, 1)}, {{{0, 0, 48, 1}}}});
    for (auto [step, text] : cases) {
        SCOPED_TRACE(step);
        device.fail = step;
        alerts.clear();
        music_volume = effects_volume = 75;
        EXPECT_EQ(start(), 0);
        EXPECT_EQ(menu(true), V(5, 0));
        EXPECT_EQ(plat_audio_is_open(), 0);
        V checks = menu();
        for (auto [message, param] : {std::pair<uint32_t, uintptr_t>{PLAT_WM_KEYDOWN, PLAT_VK_F1 + 1},
                                      {PLAT_WM_KEYDOWN, PLAT_VK_F1 + 2}, {PLAT_WM_COMMAND, KX_SND_CMD_QUALITY_HIGH}})
            kx_snd_window_message(message, param, 0);
        EXPECT_EQ(menu(), checks);
        EXPECT_EQ(kx_snd_toggle_music(), 0);
        EXPECT_EQ(kx_snd_set_music_volume(50), 0);
        EXPECT_EQ(words(), (V{1, 1, KX_SND_VOLUME_NONE, KX_SND_VOLUME_NONE, 4}));
        EXPECT_EQ(kx_snd_effects_enabled(), 0);
        EXPECT_EQ(kx_snd_load(effect_file("a.wav", wave(pcm16({1, 2}))).c_str()), nullptr);
        EXPECT_EQ(kx_snd_load_music(effect_file("a.s3m", {module.begin(), module.end()}).c_str()), 0);
        EXPECT_EQ(kx_snd_play_music(1) + kx_snd_stop_music(1) + kx_snd_pause_music(1, 1) + kx_snd_unload_music(1) + kx_snd_update_music(1), 0);
        EXPECT_EQ(kx_snd_mixer_mode(), 0);
        EXPECT_EQ(alerts, (text ? decltype(alerts){{text, "Terminating"}} : decltype(alerts){}));
        kx_snd_music_refill();
        stop();
        EXPECT_FALSE(fs::exists(dir / "sound.ini"));
    }
}

} // namespace
