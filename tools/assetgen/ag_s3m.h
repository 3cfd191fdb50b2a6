// assetgen's S3M module writer: the records a piece of music is arranged into (16-bit samples,
// 64-row patterns, an order list, a pan per channel) and the function that lays them out as a
// module file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int AG_S3M_ROWS = 64;
constexpr int AG_S3M_MAX_CHANNELS = 16;   // 8 left and 8 right hardware channels
constexpr uint8_t AG_S3M_NO_NOTE = 255;
constexpr uint8_t AG_S3M_NOTE_CUT = 254;
constexpr uint8_t AG_S3M_NO_VOLUME = 255;

struct ag_s3m_sample {
    std::string name;
    std::vector<int16_t> data;
    uint32_t c2spd = 8363;      // playback rate of C-4
    bool loop = false;          // loops from loop_start to the end of data
    uint32_t loop_start = 0;
    int volume = 64;
};

// note: octave x 12 + semitone (C-4 = 48), AG_S3M_NO_NOTE or AG_S3M_NOTE_CUT; instrument 1-based,
// 0 for none; volume 0..64 or AG_S3M_NO_VOLUME; command 'A'..'Z' or 0.
struct ag_s3m_cell {
    uint8_t note = AG_S3M_NO_NOTE, instrument = 0, volume = AG_S3M_NO_VOLUME;
    char command = 0;
    uint8_t param = 0;
};

struct ag_s3m_song {
    std::string title;
    int speed = 6, tempo = 125, global_volume = 64;
    int mix_volume = 48;                       // the header's amplification, 16..127
    std::vector<int> pans;                     // one per channel, 0 (left) .. 15 (right)
    std::vector<uint8_t> orders;               // pattern numbers
    std::vector<ag_s3m_sample> samples;
    std::vector<std::vector<ag_s3m_cell>> patterns;   // AG_S3M_ROWS x channels cells each
};

// The module's bytes; an empty vector (with the reason on stderr) when the song does not fit the
// format (too many channels, a pattern of the wrong size, a value out of range).
std::vector<uint8_t> ag_s3m_write(const ag_s3m_song &song);
