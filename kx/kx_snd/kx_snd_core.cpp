// kx_snd core: start-up in its fixed order (settings, menu, device, output format, stream,
// mix buffer, arrays, music lock), the error table, alerts, and the orderly shut-down.
#include "kx/kx_snd/kx_snd_local.h"

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_snd/kx_snd_ledger.h"
#include "kx/kx_snd/kx_snd_s3m.h"
#include "platform/plat_audio.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_SND_STATE kx_snd;
std::timed_mutex kx_snd_music_mutex;

namespace {

const char *const kx_snd_error_texts[] = {
    "Could not create DirectSound Object",
    "Could not set cooperate level",
    "Could not release DirectSound Object",
    "Null sound",
    "Unable to set current position",
    "Play error",
    "Stop error",
    "No sound buffer",
    "Could not release sound buffer",
    "Could not set volume",
    "Unable to allocate sound",
    "Unable to load wave",
    "Could not unlock sound buffer",
    "Sound not lock sound buffer",
    "Could not create secondary buffer",
    "Could not create stream buffer",
    "Null pointer to DirectSoundObj",
    "Sound stack overflow",
    "Sound stack underflow",
    "Could not open wave file",
    "This file is not in RIFF format",
    "This file is not on WAVE format",
    "This file is not in MicroSoft PCM format",
    "This file contains an invalid data chunk",
    "Could not get channel status",
    nullptr,
};
constexpr int KX_SND_ERROR_COUNT = static_cast<int>(sizeof kx_snd_error_texts / sizeof kx_snd_error_texts[0]) - 1;

const char *const SECTION = "Sound";
constexpr uint32_t KX_SND_MENU_FIRST = KX_SND_CMD_MUSIC;
constexpr uint32_t KX_SND_MENU_LAST = KX_SND_CMD_QUALITY_HIGH;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void store(int32_t *word, int32_t value)
{
    if (word) *word = value;
}

int read_key(const char *key, const int32_t *fallback, const char *file)
{
    int value = 0;
    if (file && kx_io_ini_get_int(SECTION, key, &value, file)) return value;
    return fallback ? *fallback : 0;
}

void settings_read()
{
    const KX_SND_SETTINGS *s = kx_snd.settings;
    const char *file = kx_io_settings_path_get();
    if (file) {
        kx_io_ini_set_mode(file, KX_IO_INI_QUIET_KEY_ON);
        kx_io_ini_set_mode(file, KX_IO_INI_QUIET_SECTION_ON);
    }
    kx_snd.music_on = read_key("DigitalMusic", s->music_enabled, file) != 0;
    kx_snd.effects_on = read_key("SoundEffects", s->effects_enabled, file) != 0;
    // Clamped here, not only by the setters: a channel that starts switched off never meets them,
    // and its volume is written back at exit.
    kx_snd.music_volume = std::clamp(read_key("MusicVolume", s->music_volume, file), 0, 100);
    kx_snd.effects_volume = std::clamp(read_key("SoundVolume", s->effects_volume, file), 0, 100);
    kx_snd.quality = read_key("Interpolation", s->quality, file);
    if (file) {
        kx_io_ini_set_mode(file, KX_IO_INI_QUIET_KEY_OFF);
        kx_io_ini_set_mode(file, KX_IO_INI_QUIET_SECTION_OFF);
    }
}

void settings_write()
{
    const char *file = kx_io_settings_path_get();
    if (!file) return;
    kx_io_ini_set_int(SECTION, "DigitalMusic", kx_snd.music_on ? 1 : 0, file);
    kx_io_ini_set_int(SECTION, "SoundEffects", kx_snd.effects_on ? 1 : 0, file);
    kx_io_ini_set_int(SECTION, "MusicVolume", kx_snd.music_volume, file);
    kx_io_ini_set_int(SECTION, "SoundVolume", kx_snd.effects_volume, file);
    kx_io_ini_set_int(SECTION, "Interpolation", kx_snd.quality, file);
}

// Applies the settings just read; the setters run as if the module were started.
void settings_apply()
{
    KX_SND_SETTINGS *s = kx_snd.settings;
    kx_snd.initialized = 1;
    if (kx_snd.music_on) kx_snd_set_music_volume(kx_snd.music_volume);
    else store(s->music_volume, KX_SND_VOLUME_OFF);
    if (kx_snd.effects_on) kx_snd_set_effects_volume(kx_snd.effects_volume);
    else store(s->effects_volume, KX_SND_VOLUME_OFF);
    kx_snd_set_quality(kx_snd.quality);
    store(s->music_enabled, kx_snd.music_on);
    store(s->effects_enabled, kx_snd.effects_on);
    kx_snd.initialized = 0;
}

// Steps 4-9 failed: sound stays unavailable and the game runs silent.
int unavailable()
{
    store(kx_snd.settings->music_volume, KX_SND_VOLUME_NONE);
    store(kx_snd.settings->effects_volume, KX_SND_VOLUME_NONE);
    kx_snd.stream = 0;
    kx_snd.primary = 0;
    kx_snd.device = 0;
    plat_audio_close();
    return 0;
}

// Steps 4 to 9: device, output format, primary buffer and the music stream buffer.
int device_open()
{
    if (!plat_audio_open()) return unavailable();
    kx_snd.device = 1;
    if (!plat_audio_cooperative_set()) {
        kx_snd_alert("SetCooperativeLevel failed", "Terminating");
        return unavailable();
    }
    int bits = 8, channels = 1;
    if (!plat_audio_caps(&bits, &channels)) {
        kx_snd_alert("Get Sound Device description failed", "Terminating");
        return unavailable();
    }
    kx_snd.bits = bits == 16 ? 16 : 8;
    kx_snd.channels = channels == 2 ? 2 : 1;
    if (!plat_audio_primary_create()) {
        kx_snd_alert("CreatePrimarySoundBuffer failed", "Terminating");
        return unavailable();
    }
    kx_snd.primary = 1;
    kx_snd.mix_rate = 0;
    for (int rate = 44100; rate >= 11025 && !kx_snd.mix_rate; rate /= 2) {
        PLAT_AUDIO_FORMAT f{rate, kx_snd.bits, kx_snd.channels};
        if (plat_audio_primary_format_set(&f)) kx_snd.mix_rate = rate;
    }
    if (!kx_snd.mix_rate) {
        // Nothing the device takes: it keeps its own rate, which the mixer converts to.
        PLAT_AUDIO_FORMAT f{};
        plat_audio_primary_format_get(&f);
        kx_snd.mix_rate = f.rate;
    }
    PLAT_AUDIO_FORMAT output{kx_snd.mix_rate, kx_snd.bits, kx_snd.channels};
    plat_audio_primary_format_set(&output);
    plat_audio_primary_play();
    kx_snd.mix_bytes = static_cast<uint32_t>(kx_snd.bits / 8 * kx_snd.channels * kx_snd.mix_rate);
    kx_snd.stream = plat_audio_buffer_create(&output, kx_snd.mix_bytes);
    if (!kx_snd.stream) {
        kx_snd_alert("CreateSoundBuffer failed", "Terminating");
        return unavailable();
    }
    return 1;
}

} // namespace

void kx_snd_raise(int code, const char *detail)
{
    int report = kx_snd.settings ? kx_snd.settings->report : 0;
    kx_error_raise(report, kx_snd.error_module, code, "%s", detail ? detail : "");
}

int kx_snd_alert(const char *text, const char *caption)
{
    return kx_dsp_alert(text, caption, KX_DSP_ALERT_WARNING);
}

const char *kx_snd_error_text(int code)
{
    return code >= 0 && code < KX_SND_ERROR_COUNT ? kx_snd_error_texts[code] : "";
}

void kx_snd_menu_update()
{
    if (!kx_snd.settings || !kx_snd.settings->menu_position) return;
    kx_dsp_menu_check(KX_SND_CMD_MUSIC, kx_snd.music_on);
    kx_dsp_menu_check(KX_SND_CMD_EFFECTS, kx_snd.effects_on);
    if (!kx_snd.settings->quality_position) return;
    kx_dsp_menu_check(KX_SND_CMD_QUALITY_LOW, kx_snd.quality <= 0);
    kx_dsp_menu_check(KX_SND_CMD_QUALITY_MEDIUM, kx_snd.quality == 4);
    kx_dsp_menu_check(KX_SND_CMD_QUALITY_HIGH, kx_snd.quality == 8);
}

// The menu cannot grey a popup itself, so every item of the Sound popup is greyed.
void kx_snd_menu_grey(int grey)
{
    if (!kx_snd.settings || !kx_snd.settings->menu_position) return;
    for (uint32_t c = KX_SND_MENU_FIRST; c <= KX_SND_MENU_LAST; c++) kx_dsp_menu_enable(c, !grey);
}

int kx_snd_init(KX_SND_SETTINGS *settings)
{
    if (!settings) return 0;
    kx_snd.error_module = kx_error_register("Sound", kx_snd_error_texts);
    kx_snd.settings = settings;
    kx_snd.initialized = 0;
    // The window exists and is shown before sound starts.
    kx_snd.window_active = 1;
    if (settings->audible) settings->audible->store(kx_snd.window_active);
    kx_snd.current = 0;
    kx_snd.last_request = 0;
    kx_snd.busy = 0;
    kx_snd.paused = 0;
    kx_snd.mutex_ready = 0;
    kx_snd.ledger_start = kx_snd_ledger_count();

    settings_read();
    settings_apply();

    kx_snd_menu_update();
    kx_snd_menu_grey(1);

    if (!device_open()) return 0;

    kx_snd.mix_buffer = static_cast<uint8_t *>(kx_mem_malloc(kx_snd.mix_bytes));
    if (!kx_snd.mix_buffer) return unavailable();
    if (settings->report) kx_mem_name(kx_snd.mix_buffer, "DAM output buffer");
    std::memset(kx_snd.mix_buffer, 0, kx_snd.mix_bytes);
    // A tenth of the buffer, in whole frames; the last chunk also takes the remainder.
    const uint32_t block = static_cast<uint32_t>(kx_snd.bits / 8 * kx_snd.channels);
    kx_snd.chunk_size = kx_snd.mix_bytes / KX_SND_CHUNKS / block * block;
    kx_snd_stream_silence();
    kx_snd.initialized = 1;
    // The lock cannot fail to exist here, so music never runs without it, even when an array
    // below cannot be allocated.
    kx_snd.mutex_ready = 1;
    kx_snd_menu_grey(0);

    kx_snd.effect_count = 0;
    kx_snd.effect_capacity = 0;
    kx_snd.effects = static_cast<KX_SND_EFFECT **>(kx_mem_calloc(KX_SND_GROW, sizeof(KX_SND_EFFECT *)));
    if (!kx_snd.effects) {
        kx_snd_alert("Sound effect buffer allocation error", "Sound Effects Disabled");
        store(settings->effects_volume, KX_SND_VOLUME_NONE);
        return 1;
    }
    if (settings->report) kx_mem_name(kx_snd.effects, "Sound Effect Array");
    kx_snd.volumes = static_cast<int32_t *>(kx_mem_calloc(KX_SND_GROW, sizeof(int32_t)));
    if (!kx_snd.volumes) {
        kx_snd_alert("Sound effect volume buffer allocation error", "Sound Effects Disabled");
        store(settings->effects_volume, KX_SND_VOLUME_NONE);
        kx_mem_free(kx_snd.effects);
        kx_snd.effects = nullptr;
        return 1;
    }
    if (settings->report) kx_mem_name(kx_snd.volumes, "Sound Effect Volume Array");
    kx_snd.effect_capacity = KX_SND_GROW;

    kx_snd.music_capacity = 0;
    kx_snd.music = static_cast<KX_SND_MUSIC_ENTRY *>(kx_mem_calloc(KX_SND_GROW, sizeof(KX_SND_MUSIC_ENTRY)));
    if (!kx_snd.music) {
        kx_snd_alert("Module list array allocation error", "Music Disabled");
        store(settings->music_volume, KX_SND_VOLUME_NONE);
        return 1;
    }
    if (settings->report) kx_mem_name(kx_snd.music, "Module Type Array");
    kx_snd.music_capacity = KX_SND_GROW;
    return 1;
}

void kx_snd_done()
{
    if (!kx_snd.initialized) {
        kx_snd.settings = nullptr;
        return;
    }
    kx_snd.current = 0;
    settings_write();
    kx_snd_s3m_stop();
    kx_mem_free(kx_snd.mix_buffer);
    kx_snd.mix_buffer = nullptr;
    if (kx_snd.effects) kx_mem_free(kx_snd.effects);
    if (kx_snd.volumes) kx_mem_free(kx_snd.volumes);
    kx_snd.effects = nullptr;
    kx_snd.volumes = nullptr;
    kx_snd.effect_capacity = kx_snd.effect_count = 0;
    kx_snd_music_free();
    if (kx_snd.music) kx_mem_free(kx_snd.music);
    kx_snd.music = nullptr;
    kx_snd.music_capacity = 0;
    // Every piece is unloaded now, so the player and the decoders hold what they held before
    // sound started; anything more was lost by a path that forgot to free it.
    if (kx_snd_ledger_count() != kx_snd.ledger_start) kx_snd_alert("Not all memory was freed.", "ERROR");
    kx_snd.mutex_ready = 0;
    kx_snd.initialized = 0;
    plat_audio_buffer_stop(kx_snd.stream);
    plat_audio_buffer_release(kx_snd.stream);
    kx_snd.stream = 0;
    plat_audio_primary_release();
    kx_snd.primary = 0;
    plat_audio_close();
    kx_snd.device = 0;
    kx_snd.settings = nullptr;
}

int kx_snd_mixer_mode()
{
    if (!kx_snd.initialized) return 0;
    return (kx_snd.channels == 2 ? 2 : 0) + (kx_snd.bits == 16 ? 16 + 1 : 0) + kx_snd.quality;
}

void kx_snd_output_format(int *rate, int *bits, int *channels)
{
    bool on = kx_snd.initialized != 0;
    if (rate) *rate = on ? kx_snd.mix_rate : 0;
    if (bits) *bits = on ? kx_snd.bits : 0;
    if (channels) *channels = on ? kx_snd.channels : 0;
}
