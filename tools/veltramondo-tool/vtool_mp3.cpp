// veltramondo-tool mp3: decodes an MPEG-1 Layer III file once, without looping, into a 16-bit
// WAVE file at the file's own rate and channel count, writing as it decodes.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_snd/kx_snd_mp3.h"

#include <cstdio>

static int vtool_mp3(const std::vector<std::string> &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool mp3 IN.mp3 OUT.wav\n");
        return 2;
    }
    VTOOL_BYTES file;
    if (!vtool_disk_read(args[0], file)) {
        std::fprintf(stderr, "cannot read %s\n", args[0].c_str());
        return 1;
    }
    KX_SND_MP3_INFO info;
    if (!kx_snd_mp3_probe(file.data, file.size, &info)) {
        std::fprintf(stderr, "mp3: %s: no MPEG-1 Layer III frame found\n", args[0].c_str());
        return 1;
    }
    if (!vtool_engine_start(nullptr)) return 1;
    KX_SND_MP3 *stream = kx_snd_mp3_open_in_place(file.data, file.size, 0, info.rate, 16, info.channels);
    if (!stream) {
        std::fprintf(stderr, "mp3: %s: cannot open the stream\n", args[0].c_str());
        vtool_engine_stop();
        return 1;
    }
    unsigned channels = static_cast<unsigned>(info.channels);
    VTOOL_WAVE wave;
    vtool_wave_open(wave, args[1], static_cast<unsigned>(info.rate), channels);
    static uint8_t chunk[65536];
    for (;;) {
        int got = kx_snd_mp3_read(stream, chunk, static_cast<int>(sizeof chunk));
        if (!vtool_wave_put(wave, chunk, static_cast<size_t>(got)) || got < static_cast<int>(sizeof chunk)) break;
    }
    kx_snd_mp3_close(stream);
    vtool_engine_stop();
    if (!vtool_wave_close(wave)) {
        std::remove(args[1].c_str());
        return 1;
    }
    std::printf("%s: %d Hz, %d channel(s), %llu samples\n", args[1].c_str(), info.rate, info.channels,
                static_cast<unsigned long long>(wave.bytes / 2 / channels));
    return 0;
}

VTOOL_COMMAND("mp3", "mp3 IN.mp3 OUT.wav: decodes an MP3 file to a 16-bit WAVE at its own rate and channels", vtool_mp3);
