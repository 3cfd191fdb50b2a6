// kx_snd_mp3: MPEG-1 Layer III music streams. A stream holds the whole file in memory, decodes
// it one frame at a time and hands out samples in the music mixer's output format (rate, 8 or 16
// bits, mono or stereo), with a volume, a pan and an optional endless loop.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// What the file itself says; filled from its first frame and its tags.
struct KX_SND_MP3_INFO {
    int32_t rate;          // sampling rate of the file: 32000, 44100 or 48000
    int32_t channels;      // 1 or 2
    int32_t bitrate;       // kbit/s of the first audio frame
    int32_t frames;        // audio frames found in the file
    int32_t has_id3v1;     // the last 128 bytes are an ID3 version 1 tag
    char title[31];        // ID3v1 fields, zero-terminated, trailing blanks removed
    char artist[31];
    char album[31];
    char year[5];
};

struct KX_SND_MP3_DECODER;

// One music stream. The decoder's state stays private to the module.
struct KX_SND_MP3 {
    KX_SND_MP3_DECODER *decoder;
    const uint8_t *file;   // the whole file
    uint8_t *file_copy;    // the stream's own copy of it, or null when it reads the caller's bytes
    size_t file_size;
    uint8_t *out;          // one decoded frame in the output format
    int32_t out_size;      // capacity of `out` in bytes
    int32_t out_fill;      // bytes decoded into `out`
    int32_t out_pos;       // bytes of `out` already handed out
    int32_t loop;          // 1: rewind at the end of the data and go on
    int32_t volume;        // 0-100
    int32_t pan;           // -100 (left) ... 100 (right)
    int32_t rate;          // output format
    int32_t bits;
    int32_t channels;
    int32_t ended;         // a stream without loop has run out of data
    KX_SND_MP3_INFO info;
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Looks at a file in memory: 1 and `info` filled when it holds at least one valid frame, else 0.
int kx_snd_mp3_probe(const void *data, size_t size, KX_SND_MP3_INFO *info);

// Opens a stream on a copy of `data`. The output format is `rate` Hz (8000-192000), `bits` 8 or 16
// and `channels` 1 or 2. Null when the format is refused, memory runs out or the data holds no
// valid frame.
KX_SND_MP3 *kx_snd_mp3_open(const void *data, size_t size, int loop, int rate, int bits, int channels);
// The same without the copy: the stream reads `data` where it lies, and the caller keeps it
// unchanged until the stream is closed.
KX_SND_MP3 *kx_snd_mp3_open_in_place(const void *data, size_t size, int loop, int rate, int bits, int channels);
void kx_snd_mp3_close(KX_SND_MP3 *stream);

// Writes `bytes` bytes of output. Returns how many of them are music; the rest is silence (0 for
// 16-bit, 128 for 8-bit output), which only happens once a stream without loop has ended.
int kx_snd_mp3_read(KX_SND_MP3 *stream, void *out, int bytes);

// Back to the first frame with cleared decoder state (overlap, filter bank, bit reservoir).
void kx_snd_mp3_rewind(KX_SND_MP3 *stream);

void kx_snd_mp3_set_volume(KX_SND_MP3 *stream, int volume);   // clamped to 0-100
void kx_snd_mp3_set_pan(KX_SND_MP3 *stream, int pan);         // clamped to -100...100
void kx_snd_mp3_set_loop(KX_SND_MP3 *stream, int loop);
