// kx_snd effects: each effect is a wave file loaded whole into a static device buffer of its
// own, kept in the effect array with its own volume so that the effects volume and switch reach
// every buffer at once.
#include "kx/kx_snd/kx_snd_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_audio.h"

#include <cmath>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int slot_of(const KX_SND_EFFECT *effect)
{
    for (int i = 0; i < kx_snd.effect_capacity; i++)
        if (kx_snd.effects[i] == effect) return i;
    return -1;
}

void record_free(KX_SND_EFFECT *e)
{
    if (e->data) kx_mem_free(e->data);
    if (e->file_name) kx_mem_free(e->file_name);
    kx_mem_free(e);
}

// Grows both arrays by KX_SND_GROW zeroed slots; the capacity only moves when both grew.
void arrays_grow()
{
    const int capacity = kx_snd.effect_capacity + KX_SND_GROW;
    auto *effects = static_cast<KX_SND_EFFECT **>(kx_mem_realloc(kx_snd.effects, capacity * sizeof(KX_SND_EFFECT *)));
    if (!effects) {
        kx_snd_alert("Sound effect buffer reallocation error", "Sound Effects Disabled");
        return;
    }
    kx_snd.effects = effects;
    std::memset(effects + kx_snd.effect_capacity, 0, KX_SND_GROW * sizeof(KX_SND_EFFECT *));
    auto *volumes = static_cast<int32_t *>(kx_mem_realloc(kx_snd.volumes, capacity * sizeof(int32_t)));
    if (!volumes) {
        kx_snd_alert("Sound effect volume buffer reallocation error", "Sound Effects Disabled");
        return;
    }
    kx_snd.volumes = volumes;
    std::memset(volumes + kx_snd.effect_capacity, 0, KX_SND_GROW * sizeof(int32_t));
    kx_snd.effect_capacity = capacity;
}

// Creates the effect's device buffer and fills it with the samples. 0 with the error raised.
int buffer_fill(KX_SND_EFFECT *e)
{
    e->desc.size = 20;
    e->desc.flags = KX_SND_BUFFER_STATIC | KX_SND_BUFFER_PAN | KX_SND_BUFFER_VOLUME;
    e->desc.bytes = e->data_size;
    e->desc.format = &e->format;
    if (!plat_audio_is_open()) {
        kx_snd_raise(KX_SND_ERR_NO_OBJECT);
        return 0;
    }
    PLAT_AUDIO_FORMAT f{static_cast<int>(e->format.samples_per_sec), e->format.bits_per_sample, e->format.channels};
    if (e->format.samples_per_sec > 200000u) f.rate = 0;
    e->buffer = plat_audio_buffer_create(&f, e->data_size);
    if (!e->buffer) {
        kx_snd_raise(KX_SND_ERR_SECONDARY);
        return 0;
    }
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!plat_audio_buffer_lock(e->buffer, 0, e->data_size, &p1, &n1, &p2, &n2)) {
        kx_snd_raise(KX_SND_ERR_LOCK);
        return 0;
    }
    std::memcpy(p1, e->data, n1);
    if (n2) std::memcpy(p2, e->data + n1, n2);
    if (!plat_audio_buffer_unlock(e->buffer, p1, n1, p2, n2)) {
        kx_snd_raise(KX_SND_ERR_UNLOCK);
        return 0;
    }
    kx_mem_free(e->data);
    e->data = nullptr;
    return 1;
}

} // namespace

int kx_snd_attenuation(int effect_volume)
{
    if (!kx_snd.effects_on) return PLAT_AUDIO_VOLUME_MIN;
    int level = kx_snd.effects_volume * effect_volume / 100;
    if (level >= 100) return 0;
    if (level <= 0) return PLAT_AUDIO_VOLUME_MIN;
    // log10(level) - 2 keeps the round levels (10, 1) exact.
    int db = static_cast<int>(2000.0 * (std::log10(static_cast<double>(level)) - 2.0));
    return db < PLAT_AUDIO_VOLUME_MIN ? PLAT_AUDIO_VOLUME_MIN : db;
}

KX_SND_EFFECT *kx_snd_load(const char *file_name)
{
    if (!kx_snd.initialized || !kx_snd.effects || !file_name) return nullptr;
    auto *e = static_cast<KX_SND_EFFECT *>(kx_mem_calloc(1, sizeof(KX_SND_EFFECT)));
    if (!e) {
        kx_snd_raise(KX_SND_ERR_ALLOC);
        return nullptr;
    }
    size_t n = std::strlen(file_name) + 1;
    e->file_name = static_cast<char *>(kx_mem_malloc(n));
    if (!e->file_name) {
        kx_mem_free(e);
        kx_snd_raise(KX_SND_ERR_ALLOC);
        return nullptr;
    }
    std::memcpy(e->file_name, file_name, n);

    int rc = kx_snd_wave_read(file_name, &e->format, &e->data, &e->data_size);
    if (rc != 0) {
        if (rc > 0) kx_snd_raise(rc, file_name);
        record_free(e);
        kx_snd_raise(KX_SND_ERR_LOAD, file_name);
        return nullptr;
    }
    if (!buffer_fill(e)) {
        if (e->buffer) plat_audio_buffer_release(e->buffer);
        record_free(e);
        return nullptr;
    }
    plat_audio_buffer_volume_set(e->buffer, kx_snd_attenuation(100));

    int free_slot = slot_of(nullptr);
    if (free_slot < 0) {
        // The arrays could not grow earlier: there is no slot to keep the effect in.
        plat_audio_buffer_release(e->buffer);
        record_free(e);
        kx_snd_raise(KX_SND_ERR_ALLOC, file_name);
        return nullptr;
    }
    kx_snd.effects[free_slot] = e;
    kx_snd.volumes[free_slot] = 100;
    kx_snd.effect_count++;
    if (kx_snd.effect_count >= kx_snd.effect_capacity) arrays_grow();
    return e;
}

int kx_snd_play(KX_SND_EFFECT *effect, int loop)
{
    if (!kx_snd.initialized) return 0;
    if (!effect) return kx_snd_raise(KX_SND_ERR_NULL_SOUND), 0;
    if (!effect->buffer) return kx_snd_raise(KX_SND_ERR_NO_BUFFER), 0;
    if (!plat_audio_buffer_position_set(effect->buffer, 0)) return kx_snd_raise(KX_SND_ERR_POSITION), 0;
    if (!plat_audio_buffer_play(effect->buffer, loop)) return kx_snd_raise(KX_SND_ERR_PLAY), 0;
    return 1;
}

int kx_snd_stop(KX_SND_EFFECT *effect)
{
    if (!kx_snd.initialized) return 0;
    if (!effect) return kx_snd_raise(KX_SND_ERR_NULL_SOUND), 0;
    if (!effect->buffer) return kx_snd_raise(KX_SND_ERR_NO_BUFFER), 0;
    if (!plat_audio_buffer_stop(effect->buffer)) return kx_snd_raise(KX_SND_ERR_STOP), 0;
    return 1;
}

int kx_snd_is_playing(KX_SND_EFFECT *effect)
{
    if (!kx_snd.initialized) return 0;
    if (!effect) return kx_snd_raise(KX_SND_ERR_NULL_SOUND), 0;
    if (!effect->buffer) return kx_snd_raise(KX_SND_ERR_NO_BUFFER), 0;
    unsigned status = 0;
    if (!plat_audio_buffer_status(effect->buffer, &status)) return kx_snd_raise(KX_SND_ERR_STATUS), 0;
    return (status & PLAT_AUDIO_PLAYING) ? 1 : 0;
}

int kx_snd_set_volume(KX_SND_EFFECT *effect, int volume)
{
    if (!kx_snd.initialized) return 0;
    if (!effect) return kx_snd_raise(KX_SND_ERR_NULL_SOUND), 0;
    if (!effect->buffer) return kx_snd_raise(KX_SND_ERR_NO_BUFFER), 0;
    volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    int i = kx_snd.effects ? slot_of(effect) : -1;
    if (i >= 0) kx_snd.volumes[i] = volume;
    if (!plat_audio_buffer_volume_set(effect->buffer, kx_snd_attenuation(volume)))
        return kx_snd_raise(KX_SND_ERR_VOLUME), 0;
    return 1;
}

void kx_snd_effects_reapply()
{
    if (!kx_snd.effects) return;
    int visited = 0;
    for (int i = 0; i < kx_snd.effect_capacity && visited < kx_snd.effect_count; i++) {
        if (!kx_snd.effects[i]) continue;
        kx_snd_set_volume(kx_snd.effects[i], kx_snd.volumes[i]);
        visited++;
    }
}

int kx_snd_free(KX_SND_EFFECT *effect)
{
    if (!kx_snd.initialized) return 0;
    if (!effect) return kx_snd_raise(KX_SND_ERR_NULL_SOUND), 0;
    if (effect->buffer && kx_snd_is_playing(effect)) kx_snd_stop(effect);
    int buffer = effect->buffer;
    int i = kx_snd.effects ? slot_of(effect) : -1;
    if (i >= 0) {
        kx_snd.effects[i] = nullptr;
        kx_snd.volumes[i] = 0;
        kx_snd.effect_count--;
    }
    record_free(effect);
    if (buffer && !plat_audio_buffer_release(buffer)) return kx_snd_raise(KX_SND_ERR_RELEASE_BUFFER), 0;
    return 1;
}

int kx_snd_effect_capacity()
{
    return kx_snd.effect_capacity;
}

int kx_snd_effect_count()
{
    return kx_snd.effect_count;
}

int kx_snd_effect_volume(const KX_SND_EFFECT *effect)
{
    int i = effect && kx_snd.effects ? slot_of(effect) : -1;
    return i >= 0 ? kx_snd.volumes[i] : -1;
}
