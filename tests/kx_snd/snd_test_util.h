// Shared set-up of the sound tests: wave files built byte by byte, a scratch folder that is
// both the current directory and the per-user folder, captured alerts, and the sound module
// started on the virtual audio device.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_snd/kx_snd.h"
#include "platform/plat_audio.h"
#include "platform/plat_core.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace snd_test {

namespace fs = std::filesystem;
using V = std::vector<int>;

inline void put(std::string &s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) s += static_cast<char>(v >> (8 * i));
}

// 16-bit signed little-endian PCM.
inline std::string pcm16(const std::vector<int16_t> &samples)
{
    std::string s;
    for (int16_t v : samples) put(s, static_cast<uint16_t>(v), 2);
    return s;
}

inline std::vector<int16_t> sine(int frames, double hz, int rate, double amplitude)
{
    std::vector<int16_t> out(frames);
    for (int i = 0; i < frames; i++) out[i] = static_cast<int16_t>(std::lrint(amplitude * std::sin(2 * M_PI * hz * i / rate)));
    return out;
}

struct wave_layout {
    uint16_t tag = 1, channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint32_t fmt_size = 16;        // 18 adds the extra-size word
    std::string between{};         // raw chunk(s) placed between "fmt " and "data"
    int32_t data_size_delta = 0;   // added to the true data size in the header
};

inline std::string wave(const std::string &data, const wave_layout &w = {})
{
    std::string fmt;
    const uint32_t fields[][2] = {{w.tag, 2}, {w.channels, 2}, {w.rate, 4}, {w.rate * w.channels * w.bits / 8u, 4},
                                  {w.channels * w.bits / 8u, 2}, {w.bits, 2}};
    for (const auto &f : fields) put(fmt, f[0], static_cast<int>(f[1]));
    fmt.resize(std::max<size_t>(fmt.size(), w.fmt_size), '\0');
    std::string body = "WAVEfmt ";
    put(body, w.fmt_size, 4);
    body += fmt + w.between + "data";
    put(body, static_cast<uint32_t>(static_cast<int64_t>(data.size()) + w.data_size_delta), 4);
    std::string out = "RIFF";
    put(out, static_cast<uint32_t>(body.size() + data.size()), 4);
    return out + body + data;
}

// A chunk of `size` zero bytes with the given id.
inline std::string chunk(const char *id, uint32_t size)
{
    std::string c = id;
    put(c, size, 4);
    return c + std::string(size, '\0');
}

inline void write_file(const fs::path &p, const std::string &bytes)
{
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

inline std::vector<std::pair<std::string, std::string>> alerts;

inline int capture(const char *text, const char *title, unsigned)
{
    alerts.emplace_back(text ? text : "", title ? title : "");
    return 1;
}

class SoundTest : public ::testing::Test {
protected:
    fs::path dir, old_cwd;
    KX_IO_SETTINGS io{0, 0, "", "sound.ini"};
    // The game's settings words with its defaults: music on, effects on, volumes, quality.
    std::atomic<int32_t> audible{0};
    int32_t music_on = 1, effects_on = 1, music_volume = 75, effects_volume = 75, quality = 4;
    KX_SND_SETTINGS settings{0, &audible, &music_on, &effects_on, &music_volume, &effects_volume, &quality, 2, 3};
    PLAT_AUDIO_TEST_DEVICE device{44100, 2, 16, 2, nullptr, 0, PLAT_AUDIO_FAIL_NONE};
    bool started = false;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vm_snd_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        old_cwd = fs::current_path();
        fs::current_path(dir);
        setenv("U3_APP_DATA_PATH", dir.c_str(), 1);
        plat_alert_capture(capture);
        alerts.clear();
        ASSERT_EQ(kx_io_init(&io), 1);
        kx_io_app_folder_init("sound.ini", "Veltramondo");
    }

    void TearDown() override
    {
        if (started) kx_snd_done();
        plat_audio_test_device(nullptr);
        kx_io_deinit();
        plat_alert_capture(nullptr);
        unsetenv("U3_APP_DATA_PATH");
        fs::current_path(old_cwd);
        fs::remove_all(dir);
    }

    int start()
    {
        plat_audio_test_device(&device);
        started = true;
        return kx_snd_init(&settings);
    }

    void stop()
    {
        kx_snd_done();
        started = false;
    }

    void ini(const std::string &text) { write_file(dir / "sound.ini", "[Sound]\n" + text); }

    // A file "snd\<name>" on disk, as the game names its effects.
    std::string effect_file(const std::string &name, const std::string &bytes)
    {
        write_file(dir / "snd" / name, bytes);
        return "snd\\" + name;
    }

    // The "Sound" keys written in the settings file, in the order of words().
    V ini_keys()
    {
        V v;
        for (const char *k : {"DigitalMusic", "SoundEffects", "MusicVolume", "SoundVolume", "Interpolation"})
            kx_io_ini_get_int("Sound", k, &v.emplace_back(-999), kx_io_settings_path_get());
        return v;
    }

    V words() const { return {music_on, effects_on, music_volume, effects_volume, quality}; }
};

} // namespace snd_test
