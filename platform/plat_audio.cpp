// plat_audio: the DirectSound-like device on SDL audio. Every buffer lives in a fixed slot
// table; the SDL callback (or plat_audio_render on the virtual test device) mixes all playing
// buffers into 16-bit output under a spin lock that the caller's side only takes to change a
// few fields or to copy freshly unlocked bytes in.
#include "platform/plat_audio.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct PLAT_AUDIO_BUFFER {
    PLAT_AUDIO_FORMAT format;
    uint32_t bytes;
    uint32_t frames;
    uint32_t block;                 // bytes per frame
    std::vector<uint8_t> data;      // what the mixer reads
    std::vector<uint8_t> staging;   // what lock hands out; copied into `data` on unlock
    uint64_t position;              // 32.32 fixed point, in frames
    bool playing;
    bool looping;
    std::atomic<bool> locked;       // a caller holds the staging range (any thread)
    uint32_t lock_offset, lock_bytes;
    int volume;
    float gain;
};

constexpr int PLAT_AUDIO_SLOTS = 256;
constexpr int PLAT_AUDIO_BLOCK = 256;   // output frames mixed per pass of the buffer loop

struct PLAT_AUDIO {
    bool open;
    bool primary;
    bool is_virtual;
    SDL_AudioDeviceID device;
    int out_rate, out_channels;
    int caps_bits, caps_channels;
    PLAT_AUDIO_FORMAT primary_format;
    PLAT_AUDIO_TEST_DEVICE test;
    bool use_test;
    std::vector<int> test_rates;
    PLAT_AUDIO_BUFFER *slots[PLAT_AUDIO_SLOTS];
    std::atomic_flag lock = ATOMIC_FLAG_INIT;
};

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

PLAT_AUDIO plat_audio;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void spin_lock()
{
    for (int spins = 0; plat_audio.lock.test_and_set(std::memory_order_acquire); spins++)
        if (spins > 64) std::this_thread::yield();
}

void spin_unlock()
{
    plat_audio.lock.clear(std::memory_order_release);
}

bool format_valid(const PLAT_AUDIO_FORMAT *f)
{
    return f && (f->bits == 8 || f->bits == 16) && (f->channels == 1 || f->channels == 2) && f->rate >= 100 &&
           f->rate <= 200000;
}

bool failing(int step)
{
    return plat_audio.is_virtual && plat_audio.test.fail == step;
}

PLAT_AUDIO_BUFFER *slot(int handle)
{
    if (!plat_audio.open || handle < 1 || handle > PLAT_AUDIO_SLOTS) return nullptr;
    return plat_audio.slots[handle - 1];
}

float gain_of(int volume)
{
    return volume <= PLAT_AUDIO_VOLUME_MIN ? 0.0f : std::pow(10.0f, static_cast<float>(volume) / 2000.0f);
}

inline void frame_at(const PLAT_AUDIO_BUFFER *b, uint32_t i, float *l, float *r)
{
    const uint8_t *p = b->data.data() + static_cast<size_t>(i) * b->block;
    if (b->format.bits == 16) {
        *l = static_cast<int16_t>(p[0] | p[1] << 8);
        *r = b->format.channels == 2 ? static_cast<int16_t>(p[2] | p[3] << 8) : *l;
    } else {
        *l = (p[0] - 128) * 256.0f;
        *r = b->format.channels == 2 ? (p[1] - 128) * 256.0f : *l;
    }
}

// Adds `frames` output frames of one buffer into acc (stereo pairs), advancing it.
void mix_buffer(PLAT_AUDIO_BUFFER *b, float *acc, int frames, int out_rate)
{
    const uint64_t step = (static_cast<uint64_t>(b->format.rate) << 32) / static_cast<uint64_t>(out_rate);
    const uint64_t end = static_cast<uint64_t>(b->frames) << 32;
    const float g = b->gain;
    for (int n = 0; n < frames; n++) {
        uint32_t i = static_cast<uint32_t>(b->position >> 32);
        uint32_t next = i + 1 < b->frames ? i + 1 : (b->looping ? 0 : i);
        float frac = static_cast<float>(b->position & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        float l0, r0, l1, r1;
        frame_at(b, i, &l0, &r0);
        frame_at(b, next, &l1, &r1);
        acc[2 * n] += (l0 + (l1 - l0) * frac) * g;
        acc[2 * n + 1] += (r0 + (r1 - r0) * frac) * g;
        b->position += step;
        if (b->position >= end) {
            if (b->looping) {
                b->position %= end;
            } else {
                b->playing = false;
                b->position = 0;
                return;
            }
        }
    }
}

inline int16_t clip(float v)
{
    if (v >= 32767.0f) return 32767;
    if (v <= -32768.0f) return -32768;
    return static_cast<int16_t>(std::lrintf(v));
}

// The whole mix: every playing buffer, attenuated, summed and clipped to 16 bits.
void mix(int16_t *out, int frames)
{
    const int ch = plat_audio.out_channels;
    float acc[2 * PLAT_AUDIO_BLOCK];
    spin_lock();
    for (int done = 0; done < frames; done += PLAT_AUDIO_BLOCK) {
        int n = std::min(PLAT_AUDIO_BLOCK, frames - done);
        std::fill(acc, acc + 2 * n, 0.0f);
        if (plat_audio.primary) {
            for (PLAT_AUDIO_BUFFER *b : plat_audio.slots)
                if (b && b->playing) mix_buffer(b, acc, n, plat_audio.out_rate);
        }
        int16_t *o = out + static_cast<size_t>(done) * ch;
        for (int k = 0; k < n; k++) {
            if (ch == 1) {
                o[k] = clip((acc[2 * k] + acc[2 * k + 1]) * 0.5f);
            } else {
                o[k * ch] = clip(acc[2 * k]);
                o[k * ch + 1] = clip(acc[2 * k + 1]);
                for (int c = 2; c < ch; c++) o[k * ch + c] = 0;
            }
        }
    }
    spin_unlock();
}

void sdl_callback(void *, Uint8 *stream, int len)
{
    int frames = len / (2 * plat_audio.out_channels);
    mix(reinterpret_cast<int16_t *>(stream), frames);
}

} // namespace

void plat_audio_test_device(const PLAT_AUDIO_TEST_DEVICE *device)
{
    plat_audio.use_test = device != nullptr;
    plat_audio.test_rates.clear();
    if (!device) return;
    plat_audio.test = *device;
    if (device->rates) plat_audio.test_rates.assign(device->rates, device->rates + device->rate_count);
}

int plat_audio_open()
{
    if (plat_audio.open) return 1;
    plat_audio.is_virtual = plat_audio.use_test;
    plat_audio.primary = false;
    std::fill(std::begin(plat_audio.slots), std::end(plat_audio.slots), nullptr);
    if (plat_audio.is_virtual) {
        const PLAT_AUDIO_TEST_DEVICE &t = plat_audio.test;
        if (t.fail == PLAT_AUDIO_FAIL_OPEN || t.rate <= 0 || (t.channels != 1 && t.channels != 2)) return 0;
        plat_audio.out_rate = t.rate;
        plat_audio.out_channels = t.channels;
        plat_audio.caps_bits = t.caps_bits == 8 ? 8 : 16;
        plat_audio.caps_channels = t.caps_channels == 1 ? 1 : 2;
        plat_audio.open = true;
        return 1;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = sdl_callback;
    plat_audio.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (plat_audio.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    plat_audio.out_rate = have.freq;
    plat_audio.out_channels = have.channels;
    plat_audio.caps_bits = 16;
    plat_audio.caps_channels = have.channels >= 2 ? 2 : 1;
    plat_audio.open = true;
    return 1;
}

void plat_audio_close()
{
    if (!plat_audio.open) return;
    if (!plat_audio.is_virtual) {
        SDL_CloseAudioDevice(plat_audio.device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    for (PLAT_AUDIO_BUFFER *&b : plat_audio.slots) {
        delete b;
        b = nullptr;
    }
    plat_audio.primary = false;
    plat_audio.open = false;
}

int plat_audio_is_open()
{
    return plat_audio.open;
}

int plat_audio_cooperative_set()
{
    return plat_audio.open && !failing(PLAT_AUDIO_FAIL_COOPERATIVE);
}

int plat_audio_caps(int *bits, int *channels)
{
    if (!plat_audio.open || failing(PLAT_AUDIO_FAIL_CAPS)) return 0;
    if (bits) *bits = plat_audio.caps_bits;
    if (channels) *channels = plat_audio.caps_channels;
    return 1;
}

int plat_audio_primary_create()
{
    if (!plat_audio.open || failing(PLAT_AUDIO_FAIL_PRIMARY)) return 0;
    plat_audio.primary_format = PLAT_AUDIO_FORMAT{plat_audio.out_rate, plat_audio.caps_bits, plat_audio.caps_channels};
    return 1;
}

int plat_audio_primary_format_set(const PLAT_AUDIO_FORMAT *format)
{
    if (!plat_audio.open || !format_valid(format)) return 0;
    if (format->bits > plat_audio.caps_bits || format->channels > plat_audio.caps_channels) return 0;
    if (plat_audio.is_virtual && !plat_audio.test_rates.empty() &&
        std::find(plat_audio.test_rates.begin(), plat_audio.test_rates.end(), format->rate) == plat_audio.test_rates.end())
        return 0;
    plat_audio.primary_format = *format;
    return 1;
}

int plat_audio_primary_format_get(PLAT_AUDIO_FORMAT *format)
{
    if (!plat_audio.open || !format) return 0;
    *format = plat_audio.primary_format;
    return 1;
}

int plat_audio_primary_play()
{
    if (!plat_audio.open) return 0;
    spin_lock();
    plat_audio.primary = true;
    spin_unlock();
    if (!plat_audio.is_virtual) SDL_PauseAudioDevice(plat_audio.device, 0);
    return 1;
}

void plat_audio_primary_release()
{
    if (!plat_audio.open) return;
    if (!plat_audio.is_virtual) SDL_PauseAudioDevice(plat_audio.device, 1);
    spin_lock();
    plat_audio.primary = false;
    spin_unlock();
}

int plat_audio_buffer_create(const PLAT_AUDIO_FORMAT *format, uint32_t bytes)
{
    if (!plat_audio.open || failing(PLAT_AUDIO_FAIL_BUFFER) || !format_valid(format)) return 0;
    uint32_t block = static_cast<uint32_t>(format->bits / 8 * format->channels);
    if (bytes / block == 0) return 0;
    int free_slot = -1;
    for (int i = 0; i < PLAT_AUDIO_SLOTS && free_slot < 0; i++)
        if (!plat_audio.slots[i]) free_slot = i;
    if (free_slot < 0) return 0;
    auto *b = new PLAT_AUDIO_BUFFER{};
    b->format = *format;
    b->bytes = bytes;
    b->block = block;
    b->frames = bytes / block;
    uint8_t silence = format->bits == 8 ? 128 : 0;
    b->data.assign(bytes, silence);
    b->staging.assign(bytes, silence);
    b->volume = 0;
    b->gain = 1.0f;
    spin_lock();
    plat_audio.slots[free_slot] = b;
    spin_unlock();
    return free_slot + 1;
}

int plat_audio_buffer_release(int buffer)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b) return 0;
    spin_lock();
    plat_audio.slots[buffer - 1] = nullptr;
    spin_unlock();
    delete b;
    return 1;
}

int plat_audio_buffer_play(int buffer, int loop)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b) return 0;
    spin_lock();
    b->playing = true;
    b->looping = loop != 0;
    spin_unlock();
    return 1;
}

int plat_audio_buffer_stop(int buffer)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b) return 0;
    spin_lock();
    b->playing = false;
    spin_unlock();
    return 1;
}

int plat_audio_buffer_position_set(int buffer, uint32_t position)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || position >= b->bytes) return 0;
    spin_lock();
    b->position = static_cast<uint64_t>(position / b->block) << 32;
    spin_unlock();
    return 1;
}

int plat_audio_buffer_position_get(int buffer, uint32_t *position)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || !position) return 0;
    spin_lock();
    *position = static_cast<uint32_t>(b->position >> 32) * b->block;
    spin_unlock();
    return 1;
}

int plat_audio_buffer_status(int buffer, unsigned *status)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || !status) return 0;
    spin_lock();
    *status = (b->playing ? PLAT_AUDIO_PLAYING : 0u) | (b->playing && b->looping ? PLAT_AUDIO_LOOPING : 0u);
    spin_unlock();
    return 1;
}

int plat_audio_buffer_volume_set(int buffer, int volume)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || volume < PLAT_AUDIO_VOLUME_MIN || volume > PLAT_AUDIO_VOLUME_MAX) return 0;
    float g = gain_of(volume);
    spin_lock();
    b->volume = volume;
    b->gain = g;
    spin_unlock();
    return 1;
}

int plat_audio_buffer_volume_get(int buffer, int *volume)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || !volume) return 0;
    spin_lock();
    *volume = b->volume;
    spin_unlock();
    return 1;
}

int plat_audio_buffer_lock(int buffer, uint32_t offset, uint32_t bytes, void **part1, uint32_t *size1, void **part2,
                           uint32_t *size2)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || !part1 || !size1 || offset >= b->bytes || bytes == 0 || bytes > b->bytes) return 0;
    uint32_t first = std::min(bytes, b->bytes - offset);
    uint32_t second = bytes - first;
    if (second && (!part2 || !size2)) return 0;
    bool unlocked = false;
    if (!b->locked.compare_exchange_strong(unlocked, true)) return 0;
    // Only unlock writes `data`, and only on this side, so reading it here needs no lock.
    std::memcpy(b->staging.data() + offset, b->data.data() + offset, first);
    if (second) std::memcpy(b->staging.data(), b->data.data(), second);
    *part1 = b->staging.data() + offset;
    *size1 = first;
    if (part2) *part2 = second ? b->staging.data() : nullptr;
    if (size2) *size2 = second;
    b->lock_offset = offset;
    b->lock_bytes = bytes;
    return 1;
}

int plat_audio_buffer_unlock(int buffer, void *part1, uint32_t size1, void *part2, uint32_t size2)
{
    PLAT_AUDIO_BUFFER *b = slot(buffer);
    if (!b || !b->locked || part1 != b->staging.data() + b->lock_offset) return 0;
    uint32_t first = std::min(b->lock_bytes, b->bytes - b->lock_offset);
    uint32_t second = b->lock_bytes - first;
    if (size1 > first || size2 > second || (size2 && part2 != b->staging.data())) return 0;
    spin_lock();
    std::memcpy(b->data.data() + b->lock_offset, part1, size1);
    if (size2) std::memcpy(b->data.data(), part2, size2);
    spin_unlock();
    b->locked = false;
    return 1;
}

int plat_audio_render(int16_t *out, int frames)
{
    if (!plat_audio.open || !plat_audio.is_virtual || !out || frames <= 0) return 0;
    mix(out, frames);
    return frames;
}
