// kx_snd_local: the sound module's global record and the helpers its files share. Only files
// of kx/kx_snd/ (and its tests) include it.
#pragma once

#include "kx/kx_snd/kx_snd.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// Renders `bytes` bytes of music in the output format into `out`.
using KX_SND_RENDER_FN = void (*)(void *handle, uint8_t *out, uint32_t bytes);

// Music list entry: type 0 free, 1 S3M module, 2 MP3 stream.
struct KX_SND_MUSIC_ENTRY {
    int32_t type;
    void *handle;
    KX_SND_RENDER_FN render;
};
enum {
    KX_SND_MUSIC_FREE = 0,
    KX_SND_MUSIC_S3M = 1,
    KX_SND_MUSIC_MP3 = 2,
};

constexpr int KX_SND_GROW = 10;            // effect array and music list grow by this much
constexpr int KX_SND_CHUNKS = 10;          // the stream is refilled in tenths
constexpr int KX_SND_MUTEX_WAIT_MS = 5000;

struct KX_SND_STATE {
    KX_SND_SETTINGS *settings;
    int error_module;
    std::atomic<int> initialized;
    int window_active;
    std::atomic<int> music_on;
    int effects_on;
    int music_volume, effects_volume, quality;

    int device;                  // the device is open
    int primary;                 // the primary buffer exists
    int stream;                  // music stream buffer (device handle), 0 = none
    int bits, channels, mix_rate;

    uint8_t *mix_buffer;         // one second of output ("DAM output buffer")
    uint32_t mix_bytes, chunk_size;

    KX_SND_EFFECT **effects;
    int32_t *volumes;
    int effect_capacity, effect_count;

    KX_SND_MUSIC_ENTRY *music;
    int music_capacity;
    std::atomic<int> current;    // current piece (1-based), 0 = none
    int last_request;
    // Guarded by the music lock: the tick thread's refill reads and writes them.
    int last_chunk;
    int paused;                  // the current piece is paused: refills leave the silence alone
    std::atomic<int> busy;
    int mutex_ready;
    int ledger_start;            // music blocks alive when sound started
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

extern KX_SND_STATE kx_snd;
extern std::timed_mutex kx_snd_music_mutex;

// ---------------------------------------------------------------------------------------------
// Functions shared inside the module
// ---------------------------------------------------------------------------------------------

void kx_snd_raise(int code, const char *detail = nullptr);
int kx_snd_alert(const char *text, const char *caption);
void kx_snd_menu_update();
void kx_snd_menu_grey(int grey);
// Sets every effect's buffer volume again from the volume array.
void kx_snd_effects_reapply();
// The music lock, when start-up created it: refills give up after 5000 ms (timed), the main
// thread waits. Every path that reads the music list or writes the stream holds it.
bool kx_snd_music_lock(bool timed);
void kx_snd_music_unlock();
// Writes `bytes` bytes of the mix buffer from `offset` into the stream buffer at the same offset;
// 0 when the stream could not be locked (that range keeps what it held). Never reports, so the
// tick thread may call it. The caller holds the music lock.
int kx_snd_stream_write(uint32_t offset, uint32_t bytes);
// Zeroes the mix buffer, writes it whole into the stream and plays it looping from 0. The caller
// holds the music lock.
void kx_snd_stream_silence();
// Adds a piece to the music list (under the music lock); its module number, or 0. The render
// function is what the refill calls: tests hand in their own.
int kx_snd_music_add(int type, void *handle, KX_SND_RENDER_FN render);
