// kx_snd: the sound module: the device and its output format, the "Sound" settings with the
// window's Sound menu and F2/F3, the sound effects (one static buffer each) and the music
// stream buffer that the music players refill from the tick thread.
#pragma once

#include <atomic>
#include <cstdint>

struct KX_IO;

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

// What the caller hands to kx_snd_init; kept by pointer for the whole run. The words receive
// the current state: volumes 0-100, KX_SND_VOLUME_OFF while that channel is switched off,
// KX_SND_VOLUME_NONE while sound is unavailable.
struct KX_SND_SETTINGS {
    int32_t report;                  // nonzero: module errors are shown
    std::atomic<int32_t> *audible;   // 1 while music may sound (window active, a piece started)
    int32_t *music_enabled;          // default of "DigitalMusic", then the current switch
    int32_t *effects_enabled;        // default of "SoundEffects", then the current switch
    int32_t *music_volume;           // default of "MusicVolume", then the current volume
    int32_t *effects_volume;         // default of "SoundVolume", then the current volume
    int32_t *quality;                // default of "Interpolation" (0, 4, 8), then the current one
    int32_t menu_position;           // position of the Sound popup in the menu bar, 0 = no menu
    int32_t quality_position;        // position of the quality popup in it, 0 = none
};

constexpr int32_t KX_SND_VOLUME_NONE = -1;
constexpr int32_t KX_SND_VOLUME_OFF = -2;

// Window menu commands of the sound module.
enum : uintptr_t {
    KX_SND_CMD_MUSIC = 51001,
    KX_SND_CMD_EFFECTS = 51002,
    KX_SND_CMD_QUALITY_LOW = 51003,
    KX_SND_CMD_QUALITY_MEDIUM = 51004,
    KX_SND_CMD_QUALITY_HIGH = 51005,
};

// Error codes of module "Sound".
enum {
    KX_SND_ERR_CREATE = 0,
    KX_SND_ERR_COOPERATIVE = 1,
    KX_SND_ERR_RELEASE_OBJECT = 2,
    KX_SND_ERR_NULL_SOUND = 3,
    KX_SND_ERR_POSITION = 4,
    KX_SND_ERR_PLAY = 5,
    KX_SND_ERR_STOP = 6,
    KX_SND_ERR_NO_BUFFER = 7,
    KX_SND_ERR_RELEASE_BUFFER = 8,
    KX_SND_ERR_VOLUME = 9,
    KX_SND_ERR_ALLOC = 10,
    KX_SND_ERR_LOAD = 11,
    KX_SND_ERR_UNLOCK = 12,
    KX_SND_ERR_LOCK = 13,
    KX_SND_ERR_SECONDARY = 14,
    KX_SND_ERR_STREAM = 15,
    KX_SND_ERR_NO_OBJECT = 16,
    KX_SND_ERR_STACK_OVER = 17,
    KX_SND_ERR_STACK_UNDER = 18,
    KX_SND_ERR_WAVE_OPEN = 19,
    KX_SND_ERR_WAVE_RIFF = 20,
    KX_SND_ERR_WAVE_WAVE = 21,
    KX_SND_ERR_WAVE_PCM = 22,
    KX_SND_ERR_WAVE_DATA = 23,
    KX_SND_ERR_STATUS = 24,
};

// PCM wave format as a wave file carries it.
struct KX_SND_WAVE_FORMAT {
    uint16_t format_tag;
    uint16_t channels;
    uint32_t samples_per_sec;
    uint32_t avg_bytes_per_sec;
    uint16_t block_align;
    uint16_t bits_per_sample;
    uint16_t extra_size;
};

// How an effect's buffer was asked for.
struct KX_SND_BUFFER_DESC {
    uint32_t size;                   // 20, as the device's description record
    uint32_t flags;                  // KX_SND_BUFFER_*
    uint32_t bytes;
    KX_SND_WAVE_FORMAT *format;
};
enum : uint32_t {
    KX_SND_BUFFER_STATIC = 0x02,
    KX_SND_BUFFER_VOLUME = 0x80,
    KX_SND_BUFFER_PAN = 0x40,
};

// One loaded effect; the game keeps the pointer.
struct KX_SND_EFFECT {
    char *file_name;
    KX_SND_BUFFER_DESC desc;
    int buffer;                      // the device buffer, 0 = none
    KX_SND_WAVE_FORMAT format;
    uint8_t *data;                   // the data chunk until it is in the buffer
    uint32_t data_size;
};

// ---------------------------------------------------------------------------------------------
// Module, settings and menu
// ---------------------------------------------------------------------------------------------

// 1 when sound runs (effects or music may still be disabled), 0 when no device is usable.
int kx_snd_init(KX_SND_SETTINGS *settings);
void kx_snd_done();
// Window hook: called after the input hook and before the display's window procedure.
int kx_snd_window_message(uint32_t message, uintptr_t wparam, intptr_t lparam);
int kx_snd_toggle_music();
int kx_snd_toggle_effects();
int kx_snd_set_quality(int quality);
int kx_snd_set_music_volume(int volume);
int kx_snd_set_effects_volume(int volume);
// 1 while sound runs and effects are switched on.
int kx_snd_effects_enabled();
// Mode byte of the music mixer: 2 stereo, 16 + 1 for 16-bit output, plus the quality.
int kx_snd_mixer_mode();
// The output format chosen at start-up (0 before it).
void kx_snd_output_format(int *rate, int *bits, int *channels);

// ---------------------------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------------------------

KX_SND_EFFECT *kx_snd_load(const char *file_name);
int kx_snd_play(KX_SND_EFFECT *effect, int loop);
int kx_snd_stop(KX_SND_EFFECT *effect);
int kx_snd_set_volume(KX_SND_EFFECT *effect, int volume);
int kx_snd_is_playing(KX_SND_EFFECT *effect);
int kx_snd_free(KX_SND_EFFECT *effect);
// Buffer attenuation (hundredths of a dB) for an effect volume under the current settings.
int kx_snd_attenuation(int effect_volume);
// Slots of the effect array and the count in it (tests and tools).
int kx_snd_effect_capacity();
int kx_snd_effect_count();
int kx_snd_effect_volume(const KX_SND_EFFECT *effect);

// Reads a RIFF WAVE file: 0 on success with the format and the data chunk (a kx_mem block the
// caller frees); else a "Sound" error code 19-23, or -1 when memory ran out.
int kx_snd_wave_read(const char *file_name, KX_SND_WAVE_FORMAT *format, uint8_t **data, uint32_t *size);
// The same on an open file (the file stays open).
int kx_snd_wave_read_file(KX_IO *file, KX_SND_WAVE_FORMAT *format, uint8_t **data, uint32_t *size);
const char *kx_snd_error_text(int code);

// ---------------------------------------------------------------------------------------------
// Music stream
// ---------------------------------------------------------------------------------------------

// The game's sequence to change music: stop the current number, unload it, load the next file,
// play the number it returned. Module numbers are 1-based; every call returns 0 (and does nothing)
// before sound start-up.

// Loads "*.s3m" or "*.mp3" (the extension test ignores case) through the file layer; the module
// number, or 0 with the alert "File not found %s" or "Could not load %s".
int kx_snd_load_music(const char *file_name);
// Starts a loaded piece from its beginning. Refused with music switched off (the number is kept
// and starts when music is switched on), for an unknown number and while another piece is current.
int kx_snd_play_music(int number);
// Stops the current piece; the stream plays silence.
int kx_snd_stop_music(int number);
// Pause: the stream plays silence and the piece keeps its place. Resume: it goes on from there.
int kx_snd_pause_music(int number, int pause);
// Frees a piece and its list entry; waits for a running refill.
int kx_snd_unload_music(int number);
// One refill step of the stream for the current piece (tick thread). 0 when refused or when the
// music lock stays taken for 5000 ms.
int kx_snd_update_music(int number);
// The current piece (0 = none) and whether a number names a loaded piece.
int kx_snd_music_current();
int kx_snd_music_loaded(int number);

// Stops the current piece: the stream plays silence.
void kx_snd_music_stop();
// Unloads every loaded piece (waits for a running refill).
void kx_snd_music_free();
// Tick-thread entry: refills the played part of the stream while music is switched on and a
// piece is current and audible.
void kx_snd_music_refill();
