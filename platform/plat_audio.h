// plat_audio: our stand-in for a DirectSound device on SDL audio. A primary format that the
// caller probes, static buffers (effects) and a looping stream buffer, all mixed in the SDL
// audio callback with resampling to the device rate, attenuation and clipping. The callback
// never waits for the caller beyond a pointer-swap-sized spin lock: buffer bytes written by the
// caller go through a staging copy that is swapped in on unlock.
//
// Implements: device open/close, capabilities, primary format, buffer create/release, play
// (once or looping), stop, status, position, attenuation, lock/unlock by byte range.
// A virtual device (plat_audio_test_device) replaces SDL for tests: it never opens hardware,
// can fail at a chosen step and is advanced on demand by plat_audio_render.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct PLAT_AUDIO_FORMAT {
    int rate;       // frames per second
    int bits;       // 8 (unsigned) or 16 (signed)
    int channels;   // 1 or 2
};

// Status bits of plat_audio_buffer_status.
enum : unsigned {
    PLAT_AUDIO_PLAYING = 1,
    PLAT_AUDIO_LOOPING = 4,
};

constexpr int PLAT_AUDIO_VOLUME_MIN = -10000;   // hundredths of a decibel: silent
constexpr int PLAT_AUDIO_VOLUME_MAX = 0;        // full level

// Steps at which a virtual device can be told to fail.
enum {
    PLAT_AUDIO_FAIL_NONE = 0,
    PLAT_AUDIO_FAIL_OPEN,          // no device
    PLAT_AUDIO_FAIL_COOPERATIVE,   // the device refuses our window
    PLAT_AUDIO_FAIL_CAPS,          // capabilities cannot be read
    PLAT_AUDIO_FAIL_PRIMARY,       // no primary buffer
    PLAT_AUDIO_FAIL_BUFFER,        // no buffer can be created
};

// A virtual device for tests.
struct PLAT_AUDIO_TEST_DEVICE {
    int rate;              // output frames per second of the virtual device
    int channels;          // output channels (1 or 2)
    int caps_bits;         // what the capabilities report: 8 or 16
    int caps_channels;     // 1 or 2
    const int *rates;      // primary rates the device accepts; null: any
    int rate_count;
    int fail;              // PLAT_AUDIO_FAIL_*
};

// ---------------------------------------------------------------------------------------------
// Device
// ---------------------------------------------------------------------------------------------

// Opens the audio subsystem and the default output device (paused). 0 when none is usable.
int plat_audio_open();
// Stops the device and releases every buffer.
void plat_audio_close();
int plat_audio_is_open();
// Lets the device play for our window (always granted by a real device).
int plat_audio_cooperative_set();
// What the device can take as a primary format: 8 or 16 bits, 1 or 2 channels.
int plat_audio_caps(int *bits, int *channels);
int plat_audio_primary_create();
// 1 when the device accepts this PCM format for its primary buffer.
int plat_audio_primary_format_set(const PLAT_AUDIO_FORMAT *format);
int plat_audio_primary_format_get(PLAT_AUDIO_FORMAT *format);
// Starts the device output (mixing whatever plays).
int plat_audio_primary_play();
void plat_audio_primary_release();

// ---------------------------------------------------------------------------------------------
// Buffers (handles > 0)
// ---------------------------------------------------------------------------------------------

// A silent buffer of `bytes` bytes in `format`, stopped at position 0, at full level.
int plat_audio_buffer_create(const PLAT_AUDIO_FORMAT *format, uint32_t bytes);
int plat_audio_buffer_release(int buffer);
// Plays from the current position, once or looping.
int plat_audio_buffer_play(int buffer, int loop);
int plat_audio_buffer_stop(int buffer);
// Play position in bytes (whole frames).
int plat_audio_buffer_position_set(int buffer, uint32_t position);
int plat_audio_buffer_position_get(int buffer, uint32_t *position);
int plat_audio_buffer_status(int buffer, unsigned *status);
// Attenuation in hundredths of a decibel, PLAT_AUDIO_VOLUME_MIN ... PLAT_AUDIO_VOLUME_MAX.
int plat_audio_buffer_volume_set(int buffer, int volume);
int plat_audio_buffer_volume_get(int buffer, int *volume);
// Locks `bytes` bytes from `offset` (wrapping at the end): one or two parts that hold the
// buffer's current bytes and may be written until the unlock, which makes them sound.
int plat_audio_buffer_lock(int buffer, uint32_t offset, uint32_t bytes, void **part1, uint32_t *size1, void **part2,
                           uint32_t *size2);
int plat_audio_buffer_unlock(int buffer, void *part1, uint32_t size1, void *part2, uint32_t size2);

// ---------------------------------------------------------------------------------------------
// Tests
// ---------------------------------------------------------------------------------------------

// Null restores the real SDL device. Takes effect at the next plat_audio_open.
void plat_audio_test_device(const PLAT_AUDIO_TEST_DEVICE *device);
// Virtual device only: mixes `frames` frames of 16-bit output (interleaved, the device's
// channels) exactly as the SDL callback would. Returns the frames written, 0 otherwise.
int plat_audio_render(int16_t *out, int frames);
