// Fuzz target: the data pack's table of contents in both forms, then every entry read through
// the handles. Byte 0 picks the form; for the outside form bytes 1-4 give the lengths of the
// pack and of its "TOM" companion, and the rest is the "ROM" companion.
#include "fuzz_kx_io_common.h"

#include "kx/kx_io/kx_io.h"

#include <algorithm>
#include <cstring>

namespace {

size_t le16(const uint8_t *p)
{
    return static_cast<size_t>(p[0]) | static_cast<size_t>(p[1]) << 8;
}

void read_every_entry(const KX_IO_PACK_TOC &toc)
{
    for (uint32_t i = 0; i < toc.count; i++) {
        KX_IO *f = kx_io_fopen(toc.entries[i].name, "rb");
        if (!f) continue;
        char line[64];
        size_t total = 0;
        while (kx_io_fgets(line, sizeof line, f)) total += std::strlen(line);
        kx_io_rewind(f);
        uint8_t block[256];
        size_t got, bytes = 0;
        while ((got = kx_io_fread(block, 1, sizeof block, f)) > 0) bytes += got;
        // Whichever entry the name found, nothing beyond its end is ever handed out.
        if (bytes != f->size || total > f->size) std::abort();
        kx_io_fclose(f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_io_enter_folder();
    if (size < 1) return 0;
    std::remove("f.TOM");
    std::remove("f.ROM");
    if (!(data[0] & 1)) {
        fuzz_io_write("f.dat", data + 1, size - 1);
    } else {
        if (size < 5) return 0;
        size_t rest = size - 5;
        size_t pack = std::min(le16(data + 1), rest);
        size_t tom = std::min(le16(data + 3), rest - pack);
        fuzz_io_write("f.dat", data + 5, pack);
        fuzz_io_write("f.TOM", data + 5 + pack, tom);
        fuzz_io_write("f.ROM", data + 5 + pack + tom, rest - pack - tom);
    }

    KX_IO_PACK_TOC toc;
    if (kx_io_pack_toc_read("f.dat", 0, &toc)) {
        KX_IO_SETTINGS settings{0, 0, "f.dat", nullptr};
        if (!kx_io_init(&settings)) std::abort();   // the same bytes must load the same way
        read_every_entry(toc);
        kx_io_deinit();
        kx_io_pack_toc_free(&toc);
    } else {
        int code = kx_io_error_get();
        if (code != KX_IO_ERR_PACK && code != KX_IO_ERR_PACK_MEMORY) std::abort();
    }
    return 0;
}
