// veltramondo-tool wav: reads a wave file exactly as the game reads an effect and prints its
// format, or the reader's error message.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_snd/kx_snd.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

static int vtool_wav(const std::vector<std::string> &args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: veltramondo-tool wav IN.wav\n");
        return 2;
    }
    const char *name = args[0].c_str();
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "wav: %s: %s\n", name, kx_snd_error_text(KX_SND_ERR_WAVE_OPEN));
        return 1;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() > 0xFFFFFFFFu) {
        std::fprintf(stderr, "wav: %s: %s\n", name, kx_snd_error_text(KX_SND_ERR_WAVE_DATA));
        return 1;
    }
    if (!vtool_engine_start(nullptr)) return 1;
    int rc = -1;
    KX_SND_WAVE_FORMAT format{};
    uint8_t *data = nullptr;
    uint32_t size = 0;
    auto *copy = static_cast<uint8_t *>(kx_mem_malloc(bytes.empty() ? 1 : bytes.size()));
    KX_IO *file = nullptr;
    if (copy) {
        if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
        file = kx_io_mem_open("wave", copy, static_cast<uint32_t>(bytes.size()));
        if (!file) kx_mem_free(copy);
    }
    if (file) {
        rc = kx_snd_wave_read_file(file, &format, &data, &size);
        kx_io_fclose(file);
    }
    if (data) kx_mem_free(data);
    vtool_engine_stop();

    if (rc != 0) {
        std::fprintf(stderr, "wav: %s: %s\n", name, rc > 0 ? kx_snd_error_text(rc) : "out of memory");
        return 1;
    }
    unsigned frame = format.block_align ? format.block_align : 1u;
    double seconds = format.samples_per_sec ? static_cast<double>(size / frame) / format.samples_per_sec : 0.0;
    std::printf("%s: PCM, %u Hz, %u bits, %u channel%s, %u bytes of samples (%.3f s)\n", name,
                static_cast<unsigned>(format.samples_per_sec), static_cast<unsigned>(format.bits_per_sample),
                static_cast<unsigned>(format.channels), format.channels == 1 ? "" : "s", static_cast<unsigned>(size),
                seconds);
    return 0;
}

VTOOL_COMMAND("wav", "wav IN.wav: reads a wave file as the game reads an effect and prints its format or the error", vtool_wav);
