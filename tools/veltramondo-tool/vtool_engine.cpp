// veltramondo-tool: brings the engine modules up for a command and takes them down again.
// Everything is quiet: the tool prints its own messages to stderr.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_mem.h"
#include "world/world_line.h"

#include <array>
#include <cstdio>

namespace {

int32_t error_settings = 0;
int32_t list_settings = 0;
int32_t str_settings = 0;
KX_MEM_SETTINGS mem_settings = {0, 0};
KX_IO_SETTINGS io_settings = {0, 0, nullptr, nullptr};
bool started = false;

} // namespace

int vtool_engine_start(const char *pack)
{
    if (started) return 1;
    kx_error_init(&error_settings);
    kx_list_init(&list_settings);
    if (!kx_mem_init(&mem_settings)) {
        std::fprintf(stderr, "veltramondo-tool: the memory manager did not start\n");
        return 0;
    }
    kx_str_init(&str_settings);
    started = true;

    // Check the pack first, so that a missing or damaged one is a message here, not an alert.
    if (pack) {
        KX_IO_PACK_TOC toc;
        if (!kx_io_pack_toc_read(pack, 0, &toc)) {
            int code = kx_io_error_get();
            if (code == KX_IO_ERR_OPEN)
                std::fprintf(stderr, "veltramondo-tool: %s: cannot open the pack\n", pack);
            else
                std::fprintf(stderr, "veltramondo-tool: %s: damaged pack (%s, code %d)\n", pack,
                             kx_io_error_text(code), code);
            vtool_engine_stop();
            return 0;
        }
        kx_io_pack_toc_free(&toc);
    }
    io_settings.pack_name = pack;
    if (!kx_io_init(&io_settings)) {
        std::fprintf(stderr, "veltramondo-tool: %s: %s\n", pack ? pack : "(no pack)",
                     kx_io_error_text(kx_io_error_get()));
        vtool_engine_stop();
        return 0;
    }
    return 1;
}

void vtool_engine_stop()
{
    if (!started) return;
    kx_io_deinit();
    kx_str_deinit();
    kx_mem_deinit();
    kx_list_deinit();
    started = false;
}

bool vtool_file_read(const std::string &name, std::vector<unsigned char> &out)
{
    bool started_here = !started;
    if (!vtool_engine_start(nullptr)) return false;
    uint32_t size = 0;
    void *data = kx_io_load(name.c_str(), &size);
    if (data) {
        const unsigned char *bytes = static_cast<const unsigned char *>(data);
        out.assign(bytes, bytes + size);
        kx_mem_free(data);
    } else {
        std::fprintf(stderr, "cannot read %s\n", name.c_str());
    }
    if (started_here) vtool_engine_stop();
    return data != nullptr;
}

VTOOL_BYTES::~VTOOL_BYTES() { plat_mem_bulk_free(data, size); }

bool vtool_disk_read(const std::string &path, VTOOL_BYTES &out)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        plat_mem_bulk_free(out.data, out.size);
        out.size = size_t(size);
        out.data = static_cast<uint8_t *>(plat_mem_bulk_alloc(out.size));
        ok = out.data && std::fread(out.data, 1, out.size, f) == out.size;
    }
    std::fclose(f);
    return ok;
}

bool vtool_disk_exists(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

void vtool_line_ends_check(const char *name)
{
    KX_IO *file = kx_io_fopen(name, "rb");
    if (file && def_line_ends_lf(file)) std::fprintf(stderr, "%s: warning: %s\n", name, DEF_LINE_LF_HINT);
    if (file) kx_io_fclose(file);
}

// The 44-byte header of a 16-bit PCM WAVE file holding `bytes` bytes of samples.
static std::array<unsigned char, 44> vtool_wave_header(unsigned rate, unsigned channels, uint32_t bytes)
{
    std::array<unsigned char, 44> h{};
    size_t at = 0;
    auto put = [&h, &at](uint32_t v, int n) {
        for (int i = 0; i < n; i++) h[at++] = static_cast<unsigned char>(v >> (8 * i));
    };
    put(0x46464952, 4);   // "RIFF"
    put(bytes > 0xFFFFFFFFu - 36 ? 0xFFFFFFFFu : 36 + bytes, 4);
    put(0x45564157, 4);   // "WAVE"
    put(0x20746D66, 4);   // "fmt "
    put(16, 4);
    put(1, 2);   // PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    put(0x61746164, 4);   // "data"
    put(bytes, 4);
    return h;
}

bool vtool_wave_open(VTOOL_WAVE &w, const std::string &path, unsigned rate, unsigned channels)
{
    w = VTOOL_WAVE{std::fopen(path.c_str(), "wb"), path, rate, channels, 0, true};
    // Sizes unknown until the end: the largest, as a stream whose length is not told.
    std::array<unsigned char, 44> h = vtool_wave_header(rate, channels, 0xFFFFFFFFu);
    w.ok = w.file && std::fwrite(h.data(), 1, h.size(), w.file) == h.size();
    return w.ok;
}

bool vtool_wave_put(VTOOL_WAVE &w, const void *pcm, size_t bytes)
{
    if (w.ok && w.bytes + bytes > 0xFFFFFFFFu - 36) {
        std::fprintf(stderr, "%s: too long for a WAVE file\n", w.path.c_str());
        w.ok = false;
    }
    w.ok = w.ok && (bytes == 0 || std::fwrite(pcm, 1, bytes, w.file) == bytes);
    w.bytes += bytes;
    return w.ok;
}

bool vtool_wave_close(VTOOL_WAVE &w)
{
    // The real sizes go into the header when the output can be rewound (not a pipe).
    if (w.ok && std::fseek(w.file, 0, SEEK_SET) == 0) {
        std::array<unsigned char, 44> h = vtool_wave_header(w.rate, w.channels, static_cast<uint32_t>(w.bytes));
        w.ok = std::fwrite(h.data(), 1, h.size(), w.file) == h.size();
    }
    if (w.file && std::fclose(w.file) != 0) w.ok = false;
    w.file = nullptr;
    if (!w.ok) std::fprintf(stderr, "cannot write %s\n", w.path.c_str());
    return w.ok;
}

bool vtool_wave_write(const std::string &path, unsigned rate, unsigned channels, const std::vector<unsigned char> &pcm)
{
    VTOOL_WAVE w;
    vtool_wave_open(w, path, rate, channels);
    vtool_wave_put(w, pcm.data(), pcm.size());
    return vtool_wave_close(w);
}
