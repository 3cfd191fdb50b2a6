// veltramondo-tool list: prints the table of contents of a data pack, one entry a line:
// name, alternate name and size, separated by tabs.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_io/kx_io.h"

#include <cstdio>

namespace {

int list_run(const std::vector<std::string> &args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: veltramondo-tool list PACK\n");
        return 2;
    }
    if (!vtool_engine_start(args[0].c_str())) return 1;
    KX_IO_PACK_TOC toc;
    int rc = 1;
    if (kx_io_pack_toc_read(args[0].c_str(), 0, &toc)) {
        for (uint32_t i = 0; i < toc.count; i++)
            std::printf("%s\t%s\t%u\n", toc.entries[i].name, toc.entries[i].alt_name, toc.entries[i].size);
        kx_io_pack_toc_free(&toc);
        rc = 0;
    }
    vtool_engine_stop();
    return rc;
}

} // namespace

VTOOL_COMMAND("list", "list PACK: prints each entry's name, alternate name and size", list_run);
