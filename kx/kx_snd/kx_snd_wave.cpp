// kx_snd wave reader: a RIFF WAVE file in its fixed layout: "RIFF", "WAVE", the "fmt " chunk
// (PCM only, any extra format bytes skipped), then at once the "data" chunk. Every size is
// checked against the file's own length before anything is read or allocated.
#include "kx/kx_snd/kx_snd.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int WAVE_PCM = 1;
constexpr uint32_t WAVE_FORMAT_BYTES = 16;   // tag, channels, rate, bytes/s, block, bits

uint16_t le16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool read_exact(KX_IO *file, void *buffer, size_t bytes)
{
    return kx_io_fread(buffer, 1, bytes, file) == bytes;
}

} // namespace

int kx_snd_wave_read_file(KX_IO *file, KX_SND_WAVE_FORMAT *format, uint8_t **data, uint32_t *size)
{
    if (!file || !format || !data || !size) return KX_SND_ERR_WAVE_OPEN;
    *data = nullptr;
    *size = 0;
    long start = kx_io_ftell(file);
    if (start < 0 || kx_io_fseek(file, 0, SEEK_END) != 0) return KX_SND_ERR_WAVE_OPEN;
    long end = kx_io_ftell(file);
    if (end < start || kx_io_fseek(file, start, SEEK_SET) != 0) return KX_SND_ERR_WAVE_OPEN;
    const long long length = end - start;

    uint8_t head[20];
    if (!read_exact(file, head, sizeof head) || std::memcmp(head, "RIFF", 4) != 0) return KX_SND_ERR_WAVE_RIFF;
    if (std::memcmp(head + 8, "WAVE", 4) != 0 || std::memcmp(head + 12, "fmt ", 4) != 0) return KX_SND_ERR_WAVE_WAVE;
    const uint32_t format_size = le32(head + 16);
    const long long format_start = 20;
    // The format fields must lie inside the chunk, and the chunk inside the file.
    if (format_size < WAVE_FORMAT_BYTES || format_start + format_size > length) return KX_SND_ERR_WAVE_PCM;

    uint8_t f[WAVE_FORMAT_BYTES];
    if (!read_exact(file, f, sizeof f)) return KX_SND_ERR_WAVE_PCM;
    KX_SND_WAVE_FORMAT w{};
    w.format_tag = le16(f);
    w.channels = le16(f + 2);
    w.samples_per_sec = le32(f + 4);
    w.avg_bytes_per_sec = le32(f + 8);
    w.block_align = le16(f + 12);
    w.bits_per_sample = le16(f + 14);
    w.extra_size = 0;
    if (w.format_tag != WAVE_PCM) return KX_SND_ERR_WAVE_PCM;

    if (kx_io_fseek(file, static_cast<long>(start + format_start + format_size), SEEK_SET) != 0)
        return KX_SND_ERR_WAVE_DATA;
    uint8_t chunk[8];
    if (!read_exact(file, chunk, sizeof chunk) || std::memcmp(chunk, "data", 4) != 0) return KX_SND_ERR_WAVE_DATA;
    const uint32_t data_size = le32(chunk + 4);
    const long long data_start = format_start + format_size + 8;
    if (data_start + data_size > length) return KX_SND_ERR_WAVE_DATA;

    uint8_t *bytes = static_cast<uint8_t *>(kx_mem_malloc(data_size ? data_size : 1));
    if (!bytes) return -1;
    if (!read_exact(file, bytes, data_size)) {
        kx_mem_free(bytes);
        return KX_SND_ERR_WAVE_DATA;
    }
    *format = w;
    *data = bytes;
    *size = data_size;
    return 0;
}

int kx_snd_wave_read(const char *file_name, KX_SND_WAVE_FORMAT *format, uint8_t **data, uint32_t *size)
{
    if (!file_name) return KX_SND_ERR_WAVE_OPEN;
    KX_IO *file = kx_io_fopen(file_name, "rb");
    if (!file) return KX_SND_ERR_WAVE_OPEN;
    int rc = kx_snd_wave_read_file(file, format, data, size);
    kx_io_fclose(file);
    return rc;
}
