// kx_snd music stream: the music list, the looping one-second stream buffer and its refill in
// tenths from the tick thread. A listed piece brings its own render function (the S3M player or
// an MP3 stream); the stream only knows how many bytes are due and where they go.
#include "kx/kx_snd/kx_snd_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_snd/kx_snd_mp3.h"
#include "kx/kx_snd/kx_snd_s3m.h"
#include "platform/plat_audio.h"
#include "platform/plat_core.h"

#include <chrono>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// The music lock, when start-up created it. Refills give up after a while; the main thread waits.
bool lock_music(bool timed)
{
    if (!kx_snd.mutex_ready) return true;
    if (!timed) {
        kx_snd_music_mutex.lock();
        return true;
    }
    return kx_snd_music_mutex.try_lock_for(std::chrono::milliseconds(KX_SND_MUTEX_WAIT_MS));
}

void unlock_music()
{
    if (kx_snd.mutex_ready) kx_snd_music_mutex.unlock();
}

KX_SND_MUSIC_ENTRY *entry(int number)
{
    if (!kx_snd.music || number < 1 || number > kx_snd.music_capacity) return nullptr;
    KX_SND_MUSIC_ENTRY *e = &kx_snd.music[number - 1];
    return e->type == KX_SND_MUSIC_FREE ? nullptr : e;
}

void audible_set(int value)
{
    if (kx_snd.settings && kx_snd.settings->audible) kx_snd.settings->audible->store(value);
}

uint8_t silence_byte()
{
    return kx_snd.bits == 8 ? 128 : 0;
}

// Renders one second of the piece and restarts the stream with it from offset 0.
void stream_restart(KX_SND_MUSIC_ENTRY *e)
{
    e->render(e->handle, kx_snd.mix_buffer, kx_snd.mix_bytes);
    plat_audio_buffer_stop(kx_snd.stream);
    kx_snd_stream_write(0, kx_snd.mix_bytes);
    kx_snd.last_chunk = 0;
    plat_audio_buffer_position_set(kx_snd.stream, 0);
    if (kx_snd.window_active) plat_audio_buffer_play(kx_snd.stream, 1);
}

// Stops the current piece; the caller holds the music lock.
void stop_locked()
{
    KX_SND_MUSIC_ENTRY *e = entry(kx_snd.current);
    kx_snd.current = 0;
    audible_set(0);
    kx_snd_stream_silence();
    if (e && e->type == KX_SND_MUSIC_S3M) kx_snd_s3m_stop();
}

void unload_locked(int number)
{
    KX_SND_MUSIC_ENTRY *e = entry(number);
    if (!e) return;
    if (kx_snd.current == number) stop_locked();
    if (e->type == KX_SND_MUSIC_S3M) kx_snd_s3m_free(static_cast<KX_SND_S3M_MODULE *>(e->handle));
    else if (e->type == KX_SND_MUSIC_MP3) kx_snd_mp3_close(static_cast<KX_SND_MP3 *>(e->handle));
    *e = KX_SND_MUSIC_ENTRY{};
}

} // namespace

int kx_snd_stream_write(uint32_t offset, uint32_t bytes)
{
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!plat_audio_buffer_lock(kx_snd.stream, offset, bytes, &p1, &n1, &p2, &n2)) {
        kx_snd_raise(KX_SND_ERR_LOCK);
        return 0;
    }
    std::memcpy(p1, kx_snd.mix_buffer + offset, n1);
    if (n2) std::memcpy(p2, kx_snd.mix_buffer, n2);
    if (!plat_audio_buffer_unlock(kx_snd.stream, p1, n1, p2, n2)) {
        kx_snd_raise(KX_SND_ERR_UNLOCK);
        return 0;
    }
    return 1;
}

void kx_snd_stream_silence()
{
    if (!kx_snd.stream || !kx_snd.mix_buffer) return;
    plat_audio_buffer_stop(kx_snd.stream);
    std::memset(kx_snd.mix_buffer, silence_byte(), kx_snd.mix_bytes);
    kx_snd_stream_write(0, kx_snd.mix_bytes);
    kx_snd.last_chunk = 0;
    plat_audio_buffer_position_set(kx_snd.stream, 0);
    if (kx_snd.window_active) plat_audio_buffer_play(kx_snd.stream, 1);
}

int kx_snd_music_add(int type, void *handle, KX_SND_RENDER_FN render)
{
    if (!kx_snd.initialized || !kx_snd.music || !render || type == KX_SND_MUSIC_FREE) return 0;
    int i = 0;
    while (i < kx_snd.music_capacity && kx_snd.music[i].type != KX_SND_MUSIC_FREE) i++;
    if (i == kx_snd.music_capacity) return 0;
    kx_snd.music[i] = KX_SND_MUSIC_ENTRY{type, handle, render};
    if (i == kx_snd.music_capacity - 1) {
        int capacity = kx_snd.music_capacity + KX_SND_GROW;
        auto *grown = static_cast<KX_SND_MUSIC_ENTRY *>(kx_mem_realloc(kx_snd.music, capacity * sizeof(KX_SND_MUSIC_ENTRY)));
        if (!grown) {
            kx_snd_alert("Modules buffer reallocation error", "Music Disabled");
        } else {
            std::memset(grown + kx_snd.music_capacity, 0, KX_SND_GROW * sizeof(KX_SND_MUSIC_ENTRY));
            kx_snd.music = grown;
            kx_snd.music_capacity = capacity;
        }
    }
    return i + 1;
}

int kx_snd_music_start(int number)
{
    kx_snd.last_request = number;
    if (!kx_snd.initialized || !kx_snd.music_on || number == 0 || kx_snd.current) return 0;
    KX_SND_MUSIC_ENTRY *e = entry(number);
    if (!e) return 0;
    lock_music(false);
    stream_restart(e);
    kx_snd.current = number;
    audible_set(kx_snd.window_active);
    unlock_music();
    return 1;
}

void kx_snd_music_resume()
{
    KX_SND_MUSIC_ENTRY *e = entry(kx_snd.current);
    if (!e) return;
    lock_music(false);
    if (e->type == KX_SND_MUSIC_S3M) {
        KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
        c.play_state = KX_SND_S3M_PLAY;
        kx_snd_s3m_control_set(&c);
    }
    stream_restart(e);
    unlock_music();
}

int kx_snd_update_music(int number)
{
    if (!kx_snd.initialized || !entry(number) || !kx_snd.current) return 0;
    if (!lock_music(true)) return 0;
    KX_SND_MUSIC_ENTRY *e = entry(kx_snd.current);
    if (!e) {
        unlock_music();
        return 0;
    }
    kx_snd.busy = 1;
    uint32_t position = 0;
    plat_audio_buffer_position_get(kx_snd.stream, &position);
    int chunk = static_cast<int>(position / kx_snd.chunk_size);
    if (chunk >= KX_SND_CHUNKS) chunk = KX_SND_CHUNKS - 1;
    if (chunk != kx_snd.last_chunk) {
        int n = chunk - kx_snd.last_chunk;
        if (n < 0) n = KX_SND_CHUNKS - kx_snd.last_chunk;
        uint32_t offset = static_cast<uint32_t>(kx_snd.last_chunk) * kx_snd.chunk_size;
        uint32_t bytes = kx_snd.last_chunk + n == KX_SND_CHUNKS ? kx_snd.mix_bytes - offset : n * kx_snd.chunk_size;
        e->render(e->handle, kx_snd.mix_buffer + offset, bytes);
        kx_snd_stream_write(offset, bytes);
        kx_snd.last_chunk += n;
        if (kx_snd.last_chunk >= KX_SND_CHUNKS) kx_snd.last_chunk = 0;
    }
    kx_snd.busy = 0;
    unlock_music();
    return 1;
}

void kx_snd_music_refill()
{
    const KX_SND_SETTINGS *s = kx_snd.settings;
    if (!kx_snd.initialized || !kx_snd.music_on || !s) return;
    if (s->audible && !s->audible->load()) return;
    int current = kx_snd.current;
    if (current) kx_snd_update_music(current);
}

void kx_snd_music_stop()
{
    if (!kx_snd.initialized || !kx_snd.current) return;
    lock_music(false);
    stop_locked();
    unlock_music();
}

void kx_snd_music_free()
{
    if (!kx_snd.initialized || !kx_snd.music) return;
    lock_music(false);
    for (int i = 1; i <= kx_snd.music_capacity; i++) unload_locked(i);
    unlock_music();
}
