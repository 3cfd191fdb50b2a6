// Helpers of the S3M player tests: a writer that builds small modules in memory, a renderer of our
// player, and the envelope measures the tests compare with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One event of a pattern. note: -1 none, 0..119 octave x 12 + semitone, 254 note off.
struct S3mEvent {
    int row, channel;
    int note = -1, instrument = 0, volume = -1;
    char command = 0;
    int param = 0;
};

struct S3mSampleDef {
    std::vector<int16_t> data;      // written as 8 or 16 bits as asked
    bool bits16 = false, loop = false, adlib = false;
    uint32_t loop_start = 0, loop_end = 0;
    uint32_t header_length = 0;     // nonzero: the length the header claims instead of data.size()
    int volume = 64;
    uint32_t c2spd = 8363;
};

struct S3mSong {
    int speed = 6, tempo = 125, global_volume = 64;
    int master = 0x80 | 48;         // stereo, amplification 48
    uint16_t flags = 0;
    bool signed_samples = false;
    int channels = 4;               // channel i gets setting i (< 8 left, else right)
    std::vector<int> channel_settings;   // overrides the default settings when not empty
    std::vector<uint8_t> orders;
    std::vector<S3mSampleDef> samples;
    std::vector<std::vector<S3mEvent>> patterns;
};

std::vector<uint8_t> s3m_build(const S3mSong &song);

// A looped tone: `cycles` periods of a sine (or a square) over `length` samples.
S3mSampleDef s3m_tone(int length, int cycles, bool square = false, bool bits16 = false);
// A one-shot decaying noise burst.
S3mSampleDef s3m_burst(int length);

// Renders with our player at 44100 Hz, 16-bit stereo: until the first song end (seconds <= 0) or
// for `seconds`. end_frame receives the frame of the first song end (-1 if none).
std::vector<int16_t> s3m_render_ours(const std::vector<uint8_t> &file, int quality, double seconds, int64_t *end_frame);

// Measures over interleaved stereo at 44100 Hz, in windows of 20 ms of the mono mix.
std::vector<double> s3m_rms_windows(const std::vector<int16_t> &stereo, size_t frames);
std::vector<double> s3m_crossing_windows(const std::vector<int16_t> &stereo, size_t frames);
double s3m_correlation(const std::vector<double> &a, const std::vector<double> &b);
double s3m_level_db(const std::vector<double> &ours, const std::vector<double> &ref);
double s3m_rms(const std::vector<int16_t> &stereo, size_t from_frame, size_t frames);

// Envelope match of two renders over their common frames: RMS per 20 ms window of the mono mix.
// Ours is cut into 5-second segments, each lined up with the reference at the lag (within
// +-200 ms) that correlates best, which absorbs a peer whose ticks last whole samples and so
// drifts slowly; the lined-up windows of all segments are then correlated as one series.
struct S3mMatch {
    double correlation = 1;            // RMS envelopes (Pearson)
    double crossing_correlation = 1;   // zero crossings per window, same alignment
    double level_db = 0;               // overall level of ours against the reference
    double ours_rms = 0, ref_rms = 0;
};
S3mMatch s3m_match(const std::vector<int16_t> &ours, const std::vector<int16_t> &ref);

std::vector<uint8_t> s3m_read_file(const std::string &path);
