// veltramondo-tool s3m: renders an S3M module once through its order list (or for a number of
// seconds) into a 16-bit stereo WAVE file.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_snd/kx_snd_s3m.h"

#include <cstdio>
#include <cstdlib>

static int vtool_s3m_usage()
{
    std::fprintf(stderr, "usage: veltramondo-tool s3m IN.s3m OUT.wav [--rate HZ] [--quality 0|4|8] [--seconds N]\n");
    return 2;
}

static int vtool_s3m(const std::vector<std::string> &args)
{
    if (args.size() < 2) return vtool_s3m_usage();
    long rate = 44100, quality = KX_SND_S3M_QUALITY_HIGH;
    double seconds = 0;
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return vtool_s3m_usage();
        char *end = nullptr;
        const char *v = args[i + 1].c_str();
        if (args[i] == "--rate") rate = std::strtol(v, &end, 10);
        else if (args[i] == "--quality") quality = std::strtol(v, &end, 10);
        else if (args[i] == "--seconds") seconds = std::strtod(v, &end);
        else return vtool_s3m_usage();
        if (!end || *end) return vtool_s3m_usage();
    }
    if (rate < 4000 || rate > 192000 || (quality != 0 && quality != 4 && quality != 8) || seconds < 0 || seconds > 86400) {
        std::fprintf(stderr, "s3m: rate must be 4000..192000, quality 0, 4 or 8, seconds 0..86400\n");
        return 2;
    }

    std::vector<uint8_t> file;
    if (!vtool_file_read(args[0], file)) return 1;
    int error = 0;
    KX_SND_S3M_MODULE *module = kx_snd_s3m_load(file.data(), file.size(), &error);
    if (!module) {
        std::fprintf(stderr, "s3m: %s: %s\n", args[0].c_str(), kx_snd_s3m_error_text(error));
        return 1;
    }

    kx_snd_s3m_start();
    const KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_from_top(
        KX_SND_S3M_MASTER_MAX, static_cast<uint32_t>(rate),
        static_cast<uint8_t>(KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | quality));
    kx_snd_s3m_control_set(&c);

    // Without --seconds: render until the song has been through once (capped at two hours).
    uint64_t limit = static_cast<uint64_t>((seconds > 0 ? seconds : 7200) * static_cast<double>(rate));
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> chunk(static_cast<size_t>(rate / 10) * 4);
    KX_SND_S3M_STATUS status{};
    while (pcm.size() / 4 < limit) {
        size_t frames = std::min<uint64_t>(chunk.size() / 4, limit - pcm.size() / 4);
        size_t bytes = kx_snd_s3m_render(chunk.data(), frames * 4);
        pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + static_cast<long>(bytes));
        kx_snd_s3m_status_get(&status);
        if (seconds <= 0 && status.song_ends > 0) {
            pcm.resize(static_cast<size_t>(status.end_frame) * 4);
            break;
        }
    }
    kx_snd_s3m_free(module);

    if (!vtool_wave_write(args[1], static_cast<unsigned>(rate), 2, pcm)) return 1;
    std::printf("%s: %.3f s, %d Hz, quality %ld\n", args[1].c_str(), static_cast<double>(pcm.size() / 4) / static_cast<double>(rate),
                static_cast<int>(rate), quality);
    return 0;
}

VTOOL_COMMAND("s3m", "s3m IN.s3m OUT.wav [--rate HZ] [--quality 0|4|8] [--seconds N]: render a module to 16-bit stereo WAVE", vtool_s3m);
