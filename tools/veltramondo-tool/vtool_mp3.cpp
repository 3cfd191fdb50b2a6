// veltramondo-tool mp3: decodes an MPEG-1 Layer III file once, without looping, into a 16-bit
// WAVE file at the file's own rate and channel count.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_snd/kx_snd_mp3.h"

#include <cstdio>

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
    unsigned channels = static_cast<unsigned>(info.channels);
    if (!vtool_wave_write(args[1], static_cast<unsigned>(info.rate), channels, pcm)) return 1;
    std::printf("%s: %d Hz, %d channel(s), %zu samples\n", args[1].c_str(), info.rate, info.channels,
                pcm.size() / 2 / channels);
    return 0;
}

VTOOL_COMMAND("mp3", "mp3 IN.mp3 OUT.wav: decodes an MP3 file to a 16-bit WAVE at its own rate and channels", vtool_mp3);
