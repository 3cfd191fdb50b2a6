// kx_snd_s3m: the S3M (Scream Tracker 3) module player. Loads a module from memory, plays it by
// ticks at the module's speed and tempo and mixes it into 8/16-bit mono/stereo output. There is
// one player with one module slot: loading installs the module there, the controls and the render
// act on it.
//
// End of the order list: the song wraps to order 0 with the module's initial speed, tempo and
// global volume, so music repeats without end. Each time the song finishes a pass (the end of the
// order list, or a jump back to a row already played) the status counts a song end; the frame at
// which the first one happened is kept so that tools can cut the output after one pass.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

struct KX_SND_S3M_MODULE;

// Loader results.
enum {
    KX_SND_S3M_OK = 0,
    KX_SND_S3M_ERR_ARGS = 1,        // null data
    KX_SND_S3M_ERR_SHORT = 2,       // shorter than the header and its tables
    KX_SND_S3M_ERR_SIGNATURE = 3,   // no "SCRM" signature
    KX_SND_S3M_ERR_MEMORY = 4,      // an allocation failed
    KX_SND_S3M_ERR_COUNT = 5,
};

// Play states of the player.
enum {
    KX_SND_S3M_STOPPED = 0,   // silence; the song is not started
    KX_SND_S3M_PAUSE = 2,     // silence; the song keeps its place
    KX_SND_S3M_PLAY = 3,
};

// Mode byte: 2 stereo, 16 (and 1) for 16-bit output, plus the interpolation quality.
enum {
    KX_SND_S3M_MODE_STEREO = 2,
    KX_SND_S3M_MODE_16BIT = 16 | 1,
    KX_SND_S3M_QUALITY_LOW = 0,      // nearest sample
    KX_SND_S3M_QUALITY_MEDIUM = 4,   // linear
    KX_SND_S3M_QUALITY_HIGH = 8,     // 4-point cubic
};

constexpr uint32_t KX_SND_S3M_MASTER_MAX = 131072;
constexpr int KX_SND_S3M_WORK_BYTES = 2048;

// One call sets any of the controls; a field holding its all-ones value stays unchanged.
struct KX_SND_S3M_CONTROLS {
    uint32_t master_volume;   // 0..131072
    uint32_t mix_rate;        // Hz, 4000..192000
    uint8_t mode;             // mode byte (above)
    uint8_t play_state;       // 3 play, 2 pause
    uint16_t order;           // order position; with row, where the song goes on
    uint16_t row;             // 0..63
    uint16_t separation;      // 0..256, 256 full
    uint16_t pan;             // 0..256, 128 centre
};

// Where the player stands.
struct KX_SND_S3M_STATUS {
    int play_state;
    int order, row, pattern, tick;
    int speed, tempo, global_volume;
    int song_ends;            // passes completed since the start
    int64_t frames;           // frames rendered since the start
    int64_t end_frame;        // frame of the first song end, -1 before it
    uint32_t mix_rate;
    uint8_t mode;
};

// One pass through the song.
struct KX_SND_S3M_LENGTH {
    double seconds;
    int64_t ticks;
    double tick_seconds;      // length of the last tick of the pass
};

// What the header says, for tools and tests.
struct KX_SND_S3M_INFO {
    char name[29];
    int orders, instruments, patterns, channels;
    int speed, tempo, global_volume, stereo;
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Parses a module (the bytes are copied; the caller keeps its buffer) and installs it in the
// player's slot. Null on failure, with the reason in *error when error is not null.
KX_SND_S3M_MODULE *kx_snd_s3m_load(const uint8_t *data, size_t size, int *error);
// Frees a module; when it is the installed one the player stops and the slot empties.
void kx_snd_s3m_free(KX_SND_S3M_MODULE *module);
// Installs an already loaded module in the player's slot again (the next start plays it).
void kx_snd_s3m_install(KX_SND_S3M_MODULE *module);
const char *kx_snd_s3m_error_text(int error);
int kx_snd_s3m_info_get(const KX_SND_S3M_MODULE *module, KX_SND_S3M_INFO *info);

// Starts the installed module from order 0, row 0 (play state 3). 0 when no module is installed.
int kx_snd_s3m_start();
// Stops the player: silence until the next start.
void kx_snd_s3m_stop();

// Controls with every field unchanged, to fill in before kx_snd_s3m_control_set.
KX_SND_S3M_CONTROLS kx_snd_s3m_controls_unchanged();
// Controls that play the loaded song from its top: the given volume, rate and mode, play state
// on, order 0 row 0, separation 256, pan 128.
KX_SND_S3M_CONTROLS kx_snd_s3m_controls_from_top(uint32_t master_volume, uint32_t mix_rate, uint8_t mode);
// Hands new controls to the player; they take effect at the start of the next render, so a call
// from another thread never races the render. Out-of-range fields are clamped (volume, separation,
// pan, row) or ignored (rate, play state); the result is 0 when one was ignored.
int kx_snd_s3m_control_set(const KX_SND_S3M_CONTROLS *controls);

// Renders bytes of output in the current format (whole frames; a trailing part frame is left
// untouched). Silence while stopped or paused. Returns the bytes written.
size_t kx_snd_s3m_render(void *out, size_t bytes);
void kx_snd_s3m_status_get(KX_SND_S3M_STATUS *status);

// Length of one pass through the song (at most max_seconds), found by running the sequencer
// without mixing. Returns the seconds; length (may be null) receives the details.
double kx_snd_s3m_length_get(const KX_SND_S3M_MODULE *module, double max_seconds, KX_SND_S3M_LENGTH *length);
