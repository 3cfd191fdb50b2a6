// kx_snd settings: the music and effects switches, the two volumes, the music quality and the
// window hook (Sound menu commands, F2/F3, activation, minimise and restore).
#include "kx/kx_snd/kx_snd_local.h"

#include "kx/kx_snd/kx_snd_mp3.h"
#include "kx/kx_snd/kx_snd_s3m.h"
#include "platform/plat_audio.h"
#include "platform/plat_core.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr uintptr_t KX_SND_VK_F2 = PLAT_VK_F1 + 1;
constexpr uintptr_t KX_SND_VK_F3 = PLAT_VK_F1 + 2;
constexpr uintptr_t KX_SND_SC_MAXIMIZE = 0xF030;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int clamp_volume(int volume)
{
    return volume < 0 ? 0 : volume > 100 ? 100 : volume;
}

void store(int32_t *word, int32_t value)
{
    if (word) *word = value;
}

const KX_SND_MUSIC_ENTRY *current_entry()
{
    int n = kx_snd.current;
    if (n < 1 || n > kx_snd.music_capacity || !kx_snd.music) return nullptr;
    return &kx_snd.music[n - 1];
}

void audible_set(int value)
{
    if (kx_snd.settings && kx_snd.settings->audible) kx_snd.settings->audible->store(value);
}

void window_activated(int active)
{
    kx_snd.window_active = active;
    audible_set(active);
    if (!kx_snd.initialized) return;
    if (active) {
        plat_audio_buffer_play(kx_snd.stream, 1);
        kx_snd_effects_reapply();
    } else {
        plat_audio_buffer_stop(kx_snd.stream);
    }
}

} // namespace

int kx_snd_set_music_volume(int volume)
{
    if (!kx_snd.initialized) {
        if (kx_snd.settings) store(kx_snd.settings->music_volume, KX_SND_VOLUME_NONE);
        return 0;
    }
    if (!kx_snd.music_on) kx_snd_toggle_music();
    kx_snd.music_volume = clamp_volume(volume);
    store(kx_snd.settings->music_volume, kx_snd.music_volume);
    if (const KX_SND_MUSIC_ENTRY *e = current_entry()) {
        if (e->type == KX_SND_MUSIC_S3M) {
            KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
            c.master_volume = static_cast<uint32_t>(kx_snd.music_volume) * KX_SND_S3M_MASTER_MAX / 100;
            kx_snd_s3m_control_set(&c);
        } else if (e->type == KX_SND_MUSIC_MP3) {
            // The refill reads the stream's volume while it decodes.
            kx_snd_music_lock(false);
            kx_snd_mp3_set_volume(static_cast<KX_SND_MP3 *>(e->handle), kx_snd.music_volume);
            kx_snd_music_unlock();
        }
    }
    return 1;
}

int kx_snd_set_effects_volume(int volume)
{
    if (!kx_snd.initialized) {
        if (kx_snd.settings) store(kx_snd.settings->effects_volume, KX_SND_VOLUME_NONE);
        return 0;
    }
    if (!kx_snd.effects_on) kx_snd_toggle_effects();
    kx_snd.effects_volume = clamp_volume(volume);
    store(kx_snd.settings->effects_volume, kx_snd.effects_volume);
    kx_snd_effects_reapply();
    return 1;
}

int kx_snd_set_quality(int quality)
{
    if (!kx_snd.initialized) return 0;
    kx_snd.quality = quality == 4 || quality == 8 ? quality : 0;
    store(kx_snd.settings->quality, kx_snd.quality);
    const KX_SND_MUSIC_ENTRY *e = current_entry();
    if (kx_snd.music_on && e && e->type == KX_SND_MUSIC_S3M) {
        KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
        c.mode = static_cast<uint8_t>(kx_snd_mixer_mode());
        kx_snd_s3m_control_set(&c);
    }
    kx_snd_menu_update();
    return 1;
}

int kx_snd_toggle_music()
{
    if (!kx_snd.initialized) return 0;
    kx_snd.music_on = !kx_snd.music_on;
    if (kx_snd.music_on) {
        if (kx_snd.current) kx_snd_pause_music(kx_snd.current, 0);
        else if (kx_snd.last_request) kx_snd_play_music(kx_snd.last_request);
        kx_snd_set_music_volume(kx_snd.music_volume);
    } else {
        if (kx_snd.current) kx_snd_pause_music(kx_snd.current, 1);
        store(kx_snd.settings->music_volume, KX_SND_VOLUME_OFF);
    }
    kx_snd_menu_update();
    store(kx_snd.settings->music_enabled, kx_snd.music_on);
    return kx_snd.music_on;
}

int kx_snd_toggle_effects()
{
    if (!kx_snd.initialized) return 0;
    kx_snd.effects_on = !kx_snd.effects_on;
    if (kx_snd.effects_on) kx_snd_set_effects_volume(kx_snd.effects_volume);
    else store(kx_snd.settings->effects_volume, KX_SND_VOLUME_OFF);
    kx_snd_effects_reapply();
    kx_snd_menu_update();
    store(kx_snd.settings->effects_enabled, kx_snd.effects_on);
    return kx_snd.effects_on;
}

int kx_snd_effects_enabled()
{
    return kx_snd.initialized && kx_snd.effects_on;
}

int kx_snd_window_message(uint32_t message, uintptr_t wparam, intptr_t)
{
    switch (message) {
    case PLAT_WM_COMMAND:
        switch (wparam & 0xFFFF) {
        case KX_SND_CMD_MUSIC: kx_snd_toggle_music(); return 1;
        case KX_SND_CMD_EFFECTS: kx_snd_toggle_effects(); return 1;
        case KX_SND_CMD_QUALITY_LOW: kx_snd_set_quality(0); return 1;
        case KX_SND_CMD_QUALITY_MEDIUM: kx_snd_set_quality(4); return 1;
        case KX_SND_CMD_QUALITY_HIGH: kx_snd_set_quality(8); return 1;
        default: return 0;
        }
    case PLAT_WM_KEYDOWN:
        if (!kx_snd.initialized) return 0;
        if (wparam == KX_SND_VK_F2) kx_snd_toggle_music();
        else if (wparam == KX_SND_VK_F3) kx_snd_toggle_effects();
        else return 0;
        return 1;
    case PLAT_WM_ACTIVATE:
        window_activated((wparam & 0xFFFF) != 0);
        return 1;
    case PLAT_WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == PLAT_SC_MINIMIZE) {
            if (kx_snd.window_active) window_activated(0);
            return 1;
        }
        if ((wparam & 0xFFF0) == KX_SND_SC_MAXIMIZE || (wparam & 0xFFF0) == PLAT_SC_RESTORE) {
            if (!kx_snd.window_active) window_activated(1);
            return 1;
        }
        return 0;
    default: return 0;
    }
}
