// Fuzz target: the wave reader of the sound effects, fed through a memory file. Whatever the
// bytes, it returns a code and never reads past them; a returned data chunk lies inside them.
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "kx/kx_snd/kx_snd.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size > (1u << 20)) return 0;
    auto *copy = static_cast<uint8_t *>(kx_mem_malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, bytes, size);
    KX_IO *file = kx_io_mem_open("fuzz.wav", copy, static_cast<uint32_t>(size));
    if (!file) {
        kx_mem_free(copy);
        return 0;
    }
    KX_SND_WAVE_FORMAT format;
    uint8_t *data = nullptr;
    uint32_t data_size = 0;
    int rc = kx_snd_wave_read_file(file, &format, &data, &data_size);
    kx_io_fclose(file);
    if (rc == 0) {
        if (format.format_tag != 1 || data_size > size) std::abort();
        kx_mem_free(data);
    } else if (data || (rc != -1 && (rc < KX_SND_ERR_WAVE_OPEN || rc > KX_SND_ERR_WAVE_DATA))) {
        std::abort();
    }
    return 0;
}
