// kx_snd music stream: the music list, loading S3M modules and MP3 streams by name, starting,
// stopping, pausing and unloading them, and the looping one-second stream buffer refilled in
// tenths from the tick thread. A listed piece brings its own render function (the S3M player or
// an MP3 stream); the stream only knows how many bytes are due and where they go.
//
// Threads: the refill runs on the tick thread. Everything it reads or writes (the list, the
// current piece, the chunk position, the pause flag, the stream buffer) changes only under the
// music lock, so a refill never renders a freed piece, never reads a list that grew under it and
// never writes music after the silence of a stop or a pause.
#include "kx/kx_snd/kx_snd_local.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_snd/kx_snd_mp3.h"
#include "kx/kx_snd/kx_snd_s3m.h"
#include "platform/plat_audio.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

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

void alert_name(const char *format, const char *name)
{
    char text[KX_IO_PATH_MAX + 32];
    std::snprintf(text, sizeof text, format, name);
    kx_snd_alert(text, "Error");
}

void s3m_render(void *, uint8_t *out, uint32_t bytes)
{
    kx_snd_s3m_render(out, bytes);
}

void mp3_render(void *handle, uint8_t *out, uint32_t bytes)
{
    kx_snd_mp3_read(static_cast<KX_SND_MP3 *>(handle), out, static_cast<int>(bytes));
}

// Renders one second of the piece and restarts the stream with it from offset 0.
void stream_restart(KX_SND_MUSIC_ENTRY *e)
{
    e->render(e->handle, kx_snd.mix_buffer, kx_snd.mix_bytes);
    plat_audio_buffer_stop(kx_snd.stream);
    if (!kx_snd_stream_write(0, kx_snd.mix_bytes)) kx_snd_raise(KX_SND_ERR_LOCK);
    kx_snd.last_chunk = 0;
    plat_audio_buffer_position_set(kx_snd.stream, 0);
    if (kx_snd.window_active) plat_audio_buffer_play(kx_snd.stream, 1);
}

// The S3M player's controls for a start from the top of the song.
void s3m_controls_start()
{
    const KX_SND_S3M_CONTROLS c =
        kx_snd_s3m_controls_from_top(static_cast<uint32_t>(kx_snd.music_volume) * KX_SND_S3M_MASTER_MAX / 100,
                                     static_cast<uint32_t>(kx_snd.mix_rate), static_cast<uint8_t>(kx_snd_mixer_mode()));
    kx_snd_s3m_control_set(&c);
}

void s3m_play_state(int state)
{
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.play_state = static_cast<uint8_t>(state);
    kx_snd_s3m_control_set(&c);
}

// Stops the current piece; the caller holds the music lock.
void stop_locked()
{
    KX_SND_MUSIC_ENTRY *e = entry(kx_snd.current);
    kx_snd.current = 0;
    kx_snd.paused = 0;
    audible_set(0);
    kx_snd_stream_silence();
    if (e && e->type == KX_SND_MUSIC_S3M) kx_snd_s3m_stop();
}

int unload_locked(int number)
{
    KX_SND_MUSIC_ENTRY *e = entry(number);
    if (!e) return 0;
    if (kx_snd.current == number) stop_locked();
    if (e->type == KX_SND_MUSIC_S3M) kx_snd_s3m_free(static_cast<KX_SND_S3M_MODULE *>(e->handle));
    else if (e->type == KX_SND_MUSIC_MP3) kx_snd_mp3_close(static_cast<KX_SND_MP3 *>(e->handle));
    *e = KX_SND_MUSIC_ENTRY{};
    return 1;
}

// Reads a music file and makes a list entry of it; 0 when it is not a module or stream we read.
int load_file(const char *file_name, int type)
{
    uint32_t size = 0;
    auto *data = static_cast<uint8_t *>(kx_io_load(file_name, &size));
    if (!data) return 0;
    kx_mem_name(data, "Music file");
    int number = 0;
    if (type == KX_SND_MUSIC_S3M) {
        // Parsed and installed under the lock: a refill may be rendering the player's module.
        kx_snd_music_lock(false);
        KX_SND_S3M_MODULE *m = kx_snd_s3m_load(data, size, nullptr);
        kx_snd_music_unlock();
        if (m) {
            number = kx_snd_music_add(type, m, s3m_render);
            if (!number) {
                kx_snd_music_lock(false);
                kx_snd_s3m_free(m);
                kx_snd_music_unlock();
            }
        }
    } else {
        KX_SND_MP3 *s = kx_snd_mp3_open(data, size, 1, kx_snd.mix_rate, kx_snd.bits, kx_snd.channels);
        if (s) {
            number = kx_snd_music_add(type, s, mp3_render);
            if (!number) kx_snd_mp3_close(s);
        }
    }
    kx_mem_free(data);
    return number;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Lock and stream
// ---------------------------------------------------------------------------------------------

bool kx_snd_music_lock(bool timed)
{
    if (!kx_snd.mutex_ready) return true;
    if (!timed) {
        kx_snd_music_mutex.lock();
        return true;
    }
    // Polled rather than a timed lock: the timed lock's clock wait is invisible to the thread
    // checker, and a refill that waits a millisecond more costs nothing.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(KX_SND_MUTEX_WAIT_MS);
    while (!kx_snd_music_mutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void kx_snd_music_unlock()
{
    if (kx_snd.mutex_ready) kx_snd_music_mutex.unlock();
}

int kx_snd_stream_write(uint32_t offset, uint32_t bytes)
{
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (!plat_audio_buffer_lock(kx_snd.stream, offset, bytes, &p1, &n1, &p2, &n2)) return 0;
    std::memcpy(p1, kx_snd.mix_buffer + offset, n1);
    if (n2) std::memcpy(p2, kx_snd.mix_buffer, n2);
    return plat_audio_buffer_unlock(kx_snd.stream, p1, n1, p2, n2);
}

void kx_snd_stream_silence()
{
    if (!kx_snd.stream || !kx_snd.mix_buffer) return;
    plat_audio_buffer_stop(kx_snd.stream);
    std::memset(kx_snd.mix_buffer, silence_byte(), kx_snd.mix_bytes);
    if (!kx_snd_stream_write(0, kx_snd.mix_bytes)) kx_snd_raise(KX_SND_ERR_LOCK);
    kx_snd.last_chunk = 0;
    plat_audio_buffer_position_set(kx_snd.stream, 0);
    if (kx_snd.window_active) plat_audio_buffer_play(kx_snd.stream, 1);
}

// ---------------------------------------------------------------------------------------------
// Music list
// ---------------------------------------------------------------------------------------------

int kx_snd_music_add(int type, void *handle, KX_SND_RENDER_FN render)
{
    if (!kx_snd.initialized || !kx_snd.music || !render || type == KX_SND_MUSIC_FREE) return 0;
    kx_snd_music_lock(false);
    int i = 0;
    while (i < kx_snd.music_capacity && kx_snd.music[i].type != KX_SND_MUSIC_FREE) i++;
    if (i == kx_snd.music_capacity) {
        kx_snd_music_unlock();
        return 0;
    }
    kx_snd.music[i] = KX_SND_MUSIC_ENTRY{type, handle, render};
    bool grow_failed = false;
    if (i == kx_snd.music_capacity - 1) {
        int capacity = kx_snd.music_capacity + KX_SND_GROW;
        auto *grown = static_cast<KX_SND_MUSIC_ENTRY *>(kx_mem_realloc(kx_snd.music, capacity * sizeof(KX_SND_MUSIC_ENTRY)));
        if (!grown) {
            grow_failed = true;
        } else {
            std::memset(grown + kx_snd.music_capacity, 0, KX_SND_GROW * sizeof(KX_SND_MUSIC_ENTRY));
            kx_snd.music = grown;
            kx_snd.music_capacity = capacity;
        }
    }
    kx_snd_music_unlock();
    // The alert waits for the player, so it comes after the lock is released.
    if (grow_failed) kx_snd_alert("Modules buffer reallocation error", "Music Disabled");
    return i + 1;
}

int kx_snd_music_current()
{
    return kx_snd.initialized ? kx_snd.current.load() : 0;
}

int kx_snd_music_loaded(int number)
{
    return kx_snd.initialized && entry(number) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------------------------

int kx_snd_load_music(const char *file_name)
{
    if (!kx_snd.initialized || !kx_snd.music || !file_name) return 0;
    if (!kx_io_exists(file_name, KX_IO_WHERE_KX)) {
        alert_name("File not found %s", file_name);
        return 0;
    }
    char upper[KX_IO_PATH_MAX];
    std::snprintf(upper, sizeof upper, "%s", file_name);
    for (char *c = upper; *c; c++) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    int type = std::strstr(upper, ".S3M") ? KX_SND_MUSIC_S3M : std::strstr(upper, ".MP3") ? KX_SND_MUSIC_MP3 : 0;
    if (!type) return 0;
    int number = load_file(file_name, type);
    if (!number) alert_name("Could not load %s", file_name);
    return number;
}

int kx_snd_play_music(int number)
{
    kx_snd.last_request = number;
    if (!kx_snd.initialized || !kx_snd.music_on || number == 0 || kx_snd.current) return 0;
    kx_snd_music_lock(false);
    KX_SND_MUSIC_ENTRY *e = entry(number);
    if (!e) {
        kx_snd_music_unlock();
        return 0;
    }
    if (e->type == KX_SND_MUSIC_S3M) {
        // The slot holds the module loaded last; this piece may be an earlier one.
        kx_snd_s3m_install(static_cast<KX_SND_S3M_MODULE *>(e->handle));
        kx_snd_s3m_start();
        s3m_controls_start();
    } else if (e->type == KX_SND_MUSIC_MP3) {
        auto *s = static_cast<KX_SND_MP3 *>(e->handle);
        kx_snd_mp3_rewind(s);
        kx_snd_mp3_set_volume(s, kx_snd.music_volume);
    }
    stream_restart(e);
    kx_snd.paused = 0;
    kx_snd.current = number;
    audible_set(kx_snd.window_active);
    kx_snd_music_unlock();
    return 1;
}

int kx_snd_stop_music(int number)
{
    if (!kx_snd.initialized || number == 0 || !kx_snd.current) return 0;
    kx_snd_music_lock(false);
    stop_locked();
    kx_snd_music_unlock();
    return 1;
}

int kx_snd_pause_music(int number, int pause)
{
    if (!kx_snd.initialized || number == 0 || kx_snd.current != number) return 0;
    if (!pause && !kx_snd.music_on) return 0;
    kx_snd_music_lock(false);
    KX_SND_MUSIC_ENTRY *e = entry(number);
    if (!e || kx_snd.current != number) {
        kx_snd_music_unlock();
        return 0;
    }
    if (e->type == KX_SND_MUSIC_S3M) s3m_play_state(pause ? KX_SND_S3M_PAUSE : KX_SND_S3M_PLAY);
    kx_snd.paused = pause ? 1 : 0;
    if (pause) kx_snd_stream_silence();
    else stream_restart(e);
    kx_snd_music_unlock();
    return 1;
}

int kx_snd_unload_music(int number)
{
    if (!kx_snd.initialized) return 0;
    kx_snd_music_lock(false);
    int done = unload_locked(number);
    kx_snd_music_unlock();
    return done;
}

int kx_snd_update_music(int number)
{
    if (!kx_snd.initialized || number == 0) return 0;
    if (!kx_snd_music_lock(true)) return 0;
    KX_SND_MUSIC_ENTRY *e = entry(kx_snd.current);
    if (!e || !entry(number) || kx_snd.paused) {
        kx_snd_music_unlock();
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
        // The last tenth also takes what is left of the second after ten whole-frame chunks.
        uint32_t bytes = kx_snd.last_chunk + n == KX_SND_CHUNKS ? kx_snd.mix_bytes - offset : n * kx_snd.chunk_size;
        e->render(e->handle, kx_snd.mix_buffer + offset, bytes);
        kx_snd_stream_write(offset, bytes);
        kx_snd.last_chunk += n;
        if (kx_snd.last_chunk >= KX_SND_CHUNKS) kx_snd.last_chunk = 0;
    }
    kx_snd.busy = 0;
    kx_snd_music_unlock();
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
    kx_snd_stop_music(kx_snd.current);
}

void kx_snd_music_free()
{
    if (!kx_snd.initialized || !kx_snd.music) return;
    kx_snd_music_lock(false);
    for (int i = 1; i <= kx_snd.music_capacity; i++) unload_locked(i);
    kx_snd_music_unlock();
}
