// veltramondo-tool unpack: writes every entry of a data pack below a folder, each read through
// kx_io as the game reads it. Entry names that would leave the folder are refused.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_io/kx_io.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The entry's name as a path below the output folder; empty when it is not a safe one.
fs::path safe_path(const std::string &name)
{
    fs::path rel;
    size_t pos = 0;
    while (pos <= name.size()) {
        size_t sep = name.find_first_of("\\/", pos);
        if (sep == std::string::npos) sep = name.size();
        std::string part = name.substr(pos, sep - pos);
        if (part.empty() || part == "." || part == "..") return fs::path();
        rel /= part;
        pos = sep + 1;
    }
    return rel;
}

bool extract(const KX_IO_PACK_ENTRY &e, uint32_t index, const fs::path &target)
{
    KX_IO *f = kx_io_fopen(e.name, "rb");
    if (!f || f->entry != index) {
        std::fprintf(stderr, "veltramondo-tool: %s: %s\n", e.name,
                     f ? "hidden by an earlier entry of the same name" : "cannot open");
        if (f) kx_io_fclose(f);
        return false;
    }
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    static char buffer[65536];
    size_t got, total = 0;
    while (out && (got = kx_io_fread(buffer, 1, sizeof buffer, f)) > 0) {
        out.write(buffer, static_cast<std::streamsize>(got));
        total += got;
    }
    kx_io_fclose(f);
    out.close();
    if (!out || total != e.size) {
        std::fprintf(stderr, "veltramondo-tool: %s: cannot write\n", target.c_str());
        return false;
    }
    return true;
}

int unpack_run(const std::vector<std::string> &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool unpack PACK DIR\n");
        return 2;
    }
    if (!vtool_engine_start(args[0].c_str())) return 1;
    KX_IO_PACK_TOC toc;
    int rc = 1;
    if (kx_io_pack_toc_read(args[0].c_str(), 0, &toc)) {
        rc = 0;
        for (uint32_t i = 0; i < toc.count; i++) {
            const KX_IO_PACK_ENTRY &e = toc.entries[i];
            fs::path rel = safe_path(e.name);
            if (rel.empty()) {
                std::fprintf(stderr, "veltramondo-tool: '%s': unsafe entry name, skipped\n", e.name);
                rc = 1;
                continue;
            }
            if (!extract(e, i + 1, fs::path(args[1]) / rel)) rc = 1;
        }
        kx_io_pack_toc_free(&toc);
    }
    vtool_engine_stop();
    return rc;
}

} // namespace

VTOOL_COMMAND("unpack", "unpack PACK DIR: writes every entry of PACK below DIR", unpack_run);
