// veltramondo-tool: brings the engine modules up for a command and takes them down again.
// Everything is quiet: the tool prints its own messages to stderr.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world_line.h"

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

void vtool_line_ends_check(const char *name)
{
    KX_IO *file = kx_io_fopen(name, "rb");
    if (file && def_line_ends_lf(file)) std::fprintf(stderr, "%s: warning: %s\n", name, DEF_LINE_LF_HINT);
    if (file) kx_io_fclose(file);
}

bool vtool_wave_write(const std::string &path, unsigned rate, unsigned channels, const std::vector<unsigned char> &pcm)
{
    if (pcm.size() > 0xFFFFFFFFu - 36) {
        std::fprintf(stderr, "%s: too long for a WAVE file\n", path.c_str());
        return false;
    }
    std::vector<unsigned char> h;
    auto tag = [&h](const char *four) { h.insert(h.end(), four, four + 4); };
    auto put = [&h](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) h.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    tag("RIFF");
    put(static_cast<uint32_t>(36 + pcm.size()), 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);   // PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    tag("data");
    put(static_cast<uint32_t>(pcm.size()), 4);
    FILE *f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(h.data(), 1, h.size(), f) == h.size() &&
              (pcm.empty() || std::fwrite(pcm.data(), 1, pcm.size(), f) == pcm.size());
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return ok;
}
