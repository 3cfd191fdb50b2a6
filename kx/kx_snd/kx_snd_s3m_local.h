// kx_snd_s3m_local: the S3M player's records and the functions its files share. Included only
// inside kx/kx_snd/.
#pragma once

#include "kx/kx_snd/kx_snd_s3m.h"

#include <atomic>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int KX_SND_S3M_CHANNELS = 32;
constexpr int KX_SND_S3M_ROWS = 64;
constexpr int KX_SND_S3M_MAX_ORDERS = 256;
constexpr int KX_SND_S3M_PAD_FRONT = 1;      // samples kept before a sample's data
constexpr int KX_SND_S3M_PAD_BACK = 4;       // samples kept after its end (loop start copies)
constexpr int KX_SND_S3M_BLOCK = KX_SND_S3M_WORK_BYTES / 4;   // frames mixed per block

constexpr uint8_t KX_SND_S3M_NOTE_NONE = 255;
constexpr uint8_t KX_SND_S3M_NOTE_OFF = 254;
constexpr uint8_t KX_SND_S3M_VOL_NONE = 255;

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// One sample, converted to signed 16-bit with padding on both sides for interpolation. A stereo
// sample has its right channel apart. A looping sample ends at its loop end.
struct KX_SND_S3M_SAMPLE {
    int16_t *data;          // first sample; data[-1] and data[length..length+3] are padding
    int16_t *right;         // right channel of a stereo sample, padded alike; null for mono
    int16_t *block;         // the allocation
    uint32_t length;        // frames (0: empty or Adlib slot, plays nothing)
    uint32_t loop_start;
    int32_t loop;           // 1 when the sample loops from loop_start to length
    int32_t volume;         // 0..64
    uint32_t c2spd;         // playback rate of C-4
};

// One unpacked pattern cell.
struct KX_SND_S3M_CELL {
    uint8_t note, instrument, volume, command, param;
};

struct KX_SND_S3M_MODULE {
    char name[29];
    int32_t order_count;
    uint8_t orders[KX_SND_S3M_MAX_ORDERS];
    int32_t sample_count;
    KX_SND_S3M_SAMPLE *samples;
    int32_t pattern_count;
    KX_SND_S3M_CELL *cells;     // pattern_count x 64 rows x channels; missing patterns are empty
    int32_t channels;           // columns stored per row
    int32_t channel_pan[KX_SND_S3M_CHANNELS];     // 0..256
    uint8_t channel_on[KX_SND_S3M_CHANNELS];      // 1 unless the channel is disabled
    uint8_t channel_sound[KX_SND_S3M_CHANNELS];   // 1 when the channel plays samples
    int32_t speed, tempo, global_volume;
    int32_t fast_slides;        // volume slides also run on the first tick of a row
    int32_t stereo;
    int32_t mix_volume;         // the header's amplification, 16..127 (halved for a mono module)
};

struct KX_SND_S3M_CHANNEL {
    const KX_SND_S3M_SAMPLE *sample;   // null: silent
    uint64_t pos;                      // 32.32 position in the sample
    uint64_t step;                     // 32.32 advance per output frame
    int32_t gain_left, gain_right;     // 0..1024 each, set per tick
    int32_t instrument;                // last instrument number (1-based, 0 none)
    int32_t volume;                    // 0..64
    int32_t volume_out;                // after tremolo, tremor and note cut
    int32_t period, period_out, porta_target;
    int32_t c2spd;
    int32_t pan;                       // 0..256
    uint8_t memory;                    // last nonzero parameter of any command
    uint8_t porta_memory, offset_memory, tempo_memory, vib_speed, vib_depth, trem_speed, trem_depth;
    int32_t vib_pos, vib_wave, vib_fine, trem_pos, trem_wave;
    int32_t tremor_count, retrig_count;
    // the row being played
    KX_SND_S3M_CELL cell;
    uint8_t command, param;
    int32_t delay_tick, cut_tick;
};

// Controls waiting for the next render; each holds -1 when nothing is pending.
struct KX_SND_S3M_PENDING {
    std::atomic<int64_t> master_volume{-1}, mix_rate{-1}, mode{-1}, play_state{-1};
    std::atomic<int64_t> position{-1}, separation{-1}, pan{-1};
    std::atomic<int32_t> start{0};
};

struct KX_SND_S3M_PLAYER {
    const KX_SND_S3M_MODULE *module;
    int32_t play_state;
    uint32_t master_volume, mix_rate;
    uint8_t mode;
    int32_t separation, pan;
    // song position
    int32_t order, row, tick, speed, tempo, global_volume;
    int32_t pattern_delay, loop_row, loop_count;
    int32_t row_done;                          // the row is over; the next tick moves on
    int32_t jump_order, jump_row, loop_jump;   // -1 when no jump is pending
    int32_t song_ends;
    uint32_t random;                           // state of the random vibrato waveform
    uint64_t visited[KX_SND_S3M_MAX_ORDERS];   // one bit per row played in this pass
    // timing
    int32_t tick_frames_left;                  // frames left in the current tick
    uint32_t tick_remainder;
    int64_t frames, end_frame;
    KX_SND_S3M_CHANNEL channels[KX_SND_S3M_CHANNELS];
    // work buffers: left and right accumulators of one block
    int32_t work_left[KX_SND_S3M_BLOCK], work_right[KX_SND_S3M_BLOCK];
};

// ---------------------------------------------------------------------------------------------
// Functions shared between the player's files
// ---------------------------------------------------------------------------------------------

// Loader (kx_snd_s3m_load.cpp).
KX_SND_S3M_MODULE *kx_snd_s3m_module_parse(const uint8_t *data, size_t size, int *error);
void kx_snd_s3m_module_free(KX_SND_S3M_MODULE *module);

// Sequencer (kx_snd_s3m_play.cpp).
void kx_snd_s3m_song_reset(KX_SND_S3M_PLAYER *player, const KX_SND_S3M_MODULE *module);
void kx_snd_s3m_position_set(KX_SND_S3M_PLAYER *player, int order, int row);
void kx_snd_s3m_tick(KX_SND_S3M_PLAYER *player);
void kx_snd_s3m_channels_update(KX_SND_S3M_PLAYER *player);
uint32_t kx_snd_s3m_tick_frames(KX_SND_S3M_PLAYER *player);

// Mixer (kx_snd_s3m_mix.cpp): mixes frames (at most one block) and writes them in the player's
// output format; returns the bytes written.
size_t kx_snd_s3m_mix(KX_SND_S3M_PLAYER *player, uint8_t *out, int frames);
size_t kx_snd_s3m_silence(const KX_SND_S3M_PLAYER *player, uint8_t *out, size_t frames);
int kx_snd_s3m_frame_bytes(uint8_t mode);
