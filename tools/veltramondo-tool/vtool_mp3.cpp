// veltramondo-tool mp3: decodes an MPEG-1 Layer III file once, without looping, into a 16-bit
// WAVE file at the file's own rate and channel count.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_snd/kx_snd_mp3.h"

#include <cstdio>
#include <fstream>

static void vtool_mp3_put(std::vector<uint8_t> &out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

static void vtool_mp3_tag(std::vector<uint8_t> &out, const char *four)
{
    for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(four[i]));
}

static int vtool_mp3(const std::vector<std::string> &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool mp3 IN.mp3 OUT.wav\n");
        return 2;
    }
    std::vector<uint8_t> file;
    if (!vtool_file_read(args[0], file)) return 1;
    KX_SND_MP3_INFO info;
    if (!kx_snd_mp3_probe(file.data(), file.size(), &info)) {
        std::fprintf(stderr, "mp3: %s: no MPEG-1 Layer III frame found\n", args[0].c_str());
        return 1;
    }
    KX_SND_MP3 *stream = kx_snd_mp3_open(file.data(), file.size(), 0, info.rate, 16, info.channels);
    if (!stream) {
        std::fprintf(stderr, "mp3: %s: cannot open the stream\n", args[0].c_str());
        return 1;
    }
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> chunk(65536);
    for (;;) {
        int got = kx_snd_mp3_read(stream, chunk.data(), static_cast<int>(chunk.size()));
        pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + got);
        if (got < static_cast<int>(chunk.size())) break;
    }
    kx_snd_mp3_close(stream);
    if (pcm.size() > 0xFFFFFFFFu - 36) {
        std::fprintf(stderr, "mp3: %s: too long for a WAVE file\n", args[0].c_str());
        return 1;
    }

    uint32_t rate = static_cast<uint32_t>(info.rate), channels = static_cast<uint32_t>(info.channels);
    std::vector<uint8_t> wave;
    vtool_mp3_tag(wave, "RIFF");
    vtool_mp3_put(wave, static_cast<uint32_t>(36 + pcm.size()), 4);
    vtool_mp3_tag(wave, "WAVE");
    vtool_mp3_tag(wave, "fmt ");
    vtool_mp3_put(wave, 16, 4);
    vtool_mp3_put(wave, 1, 2);   // PCM
    vtool_mp3_put(wave, channels, 2);
    vtool_mp3_put(wave, rate, 4);
    vtool_mp3_put(wave, rate * channels * 2, 4);
    vtool_mp3_put(wave, channels * 2, 2);
    vtool_mp3_put(wave, 16, 2);
    vtool_mp3_tag(wave, "data");
    vtool_mp3_put(wave, static_cast<uint32_t>(pcm.size()), 4);

    std::ofstream out(args[1], std::ios::binary);
    out.write(reinterpret_cast<const char *>(wave.data()), static_cast<std::streamsize>(wave.size()));
    out.write(reinterpret_cast<const char *>(pcm.data()), static_cast<std::streamsize>(pcm.size()));
    if (!out) {
        std::fprintf(stderr, "mp3: cannot write %s\n", args[1].c_str());
        return 1;
    }
    std::printf("%s: %d Hz, %d channel(s), %zu samples\n", args[1].c_str(), info.rate, info.channels,
                pcm.size() / 2 / channels);
    return 0;
}

VTOOL_COMMAND("mp3", "mp3 IN.mp3 OUT.wav: decodes an MP3 file to a 16-bit WAVE at its own rate and channels", vtool_mp3);
