// Helpers of the MP3 tests and benchmark: generated test signals, encodes with lame, reference
// decodes with libmpg123, decodes with our stream, a walk over a file's frames and the
// signal-to-noise measure.
#pragma once

#include "kx/kx_snd/kx_snd_mp3.h"
#include "kx/kx_snd/kx_snd_mp3_local.h"

#include <mpg123.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mp3_test {

enum class signal_kind { tones, transients };

// A few seconds of 16-bit PCM: either tones under a slow swell with a little noise, or quiet
// tones broken by sharp noise bursts that drive the encoder into short blocks.
inline std::vector<int16_t> make_signal(signal_kind kind, int rate, int channels, double seconds, uint32_t seed = 1)
{
    const double pi = 3.14159265358979323846;
    size_t n = static_cast<size_t>(rate * seconds);
    std::vector<int16_t> pcm(n * static_cast<size_t>(channels));
    uint32_t state = seed * 2654435761u + 1;
    auto noise = [&state] {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    };
    double burst = 0.0;
    for (size_t i = 0; i < n; i++, burst *= 0.9985) {
        double t = static_cast<double>(i) / rate;
        if (kind == signal_kind::transients && i % static_cast<size_t>(rate / 4) == static_cast<size_t>(rate / 8)) burst = 1.0;
        for (int c = 0; c < channels; c++) {
            double swell = 0.55 + 0.45 * std::sin(2 * pi * 0.7 * t + c);
            double v = kind == signal_kind::tones
                           ? swell * (0.35 * std::sin(2 * pi * (220.0 * (c + 1)) * t) + 0.2 * std::sin(2 * pi * 1375.0 * t + c) +
                                      0.1 * std::sin(2 * pi * 5210.0 * t)) + 0.02 * noise()
                           : 0.1 * std::sin(2 * pi * 330.0 * t + c) + 0.85 * burst * noise();
            pcm[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<int16_t>(std::lrint(v * 32000.0));
        }
    }
    return pcm;
}

inline void write_file(const std::filesystem::path &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> read_file(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A 16-bit PCM wave file.
inline std::vector<uint8_t> wav_bytes(const std::vector<int16_t> &pcm, uint32_t rate, uint32_t channels)
{
    std::vector<uint8_t> w;
    auto put = [&w](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) w.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint32_t data = static_cast<uint32_t>(pcm.size() * 2);
    for (auto [v, bytes] : {std::pair<uint32_t, int>{0x46464952, 4}, {36 + data, 4}, {0x45564157, 4}, {0x20746D66, 4}, {16, 4}, {1, 2},
                            {channels, 2}, {rate, 4}, {rate * channels * 2, 4}, {channels * 2, 2}, {16, 2}, {0x61746164, 4}, {data, 4}})
        put(v, bytes);   // "RIFF", size, "WAVE", "fmt " and its fields, "data", size
    for (int16_t v : pcm) put(static_cast<uint16_t>(v), 2);
    return w;
}

// A scratch folder of this process, removed by its owner.
struct scratch_dir {
    std::filesystem::path path;
    scratch_dir()
    {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() / ("kx_snd_mp3_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~scratch_dir() { std::filesystem::remove_all(path); }
};

// Encodes PCM with lame and the given options; empty on failure.
inline std::vector<uint8_t> encode(const std::vector<int16_t> &pcm, int rate, int channels, const std::string &options)
{
    scratch_dir dir;
    write_file(dir.path / "in.wav", wav_bytes(pcm, static_cast<uint32_t>(rate), static_cast<uint32_t>(channels)));
    std::string cmd = std::string(VM_LAME) + " --quiet " + options + " " + (dir.path / "in.wav").string() + " " +
                      (dir.path / "out.mp3").string();
    return std::system(cmd.c_str()) == 0 ? read_file(dir.path / "out.mp3") : std::vector<uint8_t>{};
}

// libmpg123's 16-bit decode of the whole file (gapless, as it does by default).
inline std::vector<int16_t> decode_reference(const std::vector<uint8_t> &mp3, int *rate = nullptr, int *channels = nullptr)
{
    scratch_dir dir;
    write_file(dir.path / "in.mp3", mp3);
    std::vector<int16_t> out;
    mpg123_handle *mh = mpg123_new(nullptr, nullptr);
    if (!mh) return out;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    long r = 0;
    int ch = 0, enc = 0, rc = MPG123_OK;
    if (mpg123_open(mh, (dir.path / "in.mp3").c_str()) == MPG123_OK && mpg123_getformat(mh, &r, &ch, &enc) == MPG123_OK) {
        mpg123_format_none(mh);
        mpg123_format(mh, r, ch, MPG123_ENC_SIGNED_16);
        if (rate) *rate = static_cast<int>(r);
        if (channels) *channels = ch;
        unsigned char buf[16384];
        for (size_t done = 0; rc == MPG123_OK || rc == MPG123_NEW_FORMAT;) {
            rc = mpg123_read(mh, buf, sizeof buf, &done);
            out.insert(out.end(), reinterpret_cast<const int16_t *>(buf), reinterpret_cast<const int16_t *>(buf) + done / 2);
        }
    }
    mpg123_delete(mh);
    return out;
}

// Our decode of the whole file in the given output format, without loop.
inline std::vector<uint8_t> decode_ours_raw(const std::vector<uint8_t> &mp3, int rate, int bits, int channels)
{
    std::vector<uint8_t> out;
    KX_SND_MP3 *s = kx_snd_mp3_open(mp3.data(), mp3.size(), 0, rate, bits, channels);
    uint8_t buf[8192];
    for (int got = sizeof buf; s && got == static_cast<int>(sizeof buf);) {
        got = kx_snd_mp3_read(s, buf, sizeof buf);
        out.insert(out.end(), buf, buf + got);
    }
    kx_snd_mp3_close(s);
    return out;
}

// Little-endian 16-bit samples of raw output.
inline std::vector<int16_t> samples_of(const std::vector<uint8_t> &raw)
{
    std::vector<int16_t> s(raw.size() / 2);
    for (size_t i = 0; i < s.size(); i++) s[i] = static_cast<int16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    return s;
}

inline std::vector<int16_t> decode_ours(const std::vector<uint8_t> &mp3)
{
    KX_SND_MP3_INFO info;
    if (!kx_snd_mp3_probe(mp3.data(), mp3.size(), &info)) return {};
    return samples_of(decode_ours_raw(mp3, info.rate, 16, info.channels));
}

// Where the fields of one granule sit in a frame's side information, found by walking it.
struct granule_bits {
    int scalefac_compress, window_switching, block_type;
    size_t mixed_bit;   // bit offset of mixed_block_flag from the frame start
};

struct frame_walk {
    size_t at;   // byte offset of the frame in the file
    int main_data_begin;
    KX_SND_MP3_HEADER header;
    granule_bits gr[2][2];   // [granule][channel]; zero for the missing channel of mono
};

// Walks every frame of an untagged lame file (the first, its information frame, included).
inline std::vector<frame_walk> walk_frames(const std::vector<uint8_t> &mp3)
{
    std::vector<frame_walk> frames;
    for (size_t at = 0; at + 4 <= mp3.size(); at += static_cast<size_t>(frames.back().header.bytes)) {
        frame_walk f{at, 0, {}, {}};
        if (!kx_snd_mp3_header_parse(mp3.data() + at, &f.header) || at + static_cast<size_t>(f.header.bytes) > mp3.size()) break;
        size_t pos = (4 + (f.header.crc ? 2 : 0)) * 8;
        auto take = [&](int n) {
            int v = 0;
            for (int i = 0; i < n; i++, pos++) v = v << 1 | ((mp3[at + (pos >> 3)] >> (7 - (pos & 7))) & 1);
            return v;
        };
        const int nch = f.header.channels;
        f.main_data_begin = take(9);
        take((nch == 1 ? 5 : 3) + 4 * nch);   // private bits, scfsi
        for (int gr = 0; gr < 2; gr++)
            for (int ch = 0; ch < nch; ch++) {
                granule_bits &g = f.gr[gr][ch];
                take(12 + 9 + 8);
                g.scalefac_compress = take(4);
                if ((g.window_switching = take(1))) g.block_type = take(2), g.mixed_bit = pos, take(1 + 10 + 9);
                else take(15 + 7);
                take(3);
            }
        frames.push_back(f);
    }
    return frames;
}

// Signal-to-noise ratio of `test` against `ref` in dB over their common length; 200 when equal.
inline double snr_db(const std::vector<int16_t> &ref, const std::vector<int16_t> &test)
{
    double signal = 0.0, noise = 0.0;
    for (size_t i = 0; i < std::min(ref.size(), test.size()); i++)
        signal += double(ref[i]) * ref[i], noise += double(ref[i] - test[i]) * (ref[i] - test[i]);
    return noise == 0.0 ? 200.0 : 10.0 * std::log10(signal / noise);
}

}  // namespace mp3_test
