// veltramondo-tool pack: builds a data pack from one or more folders. Every file becomes an entry
// named by its path below its folder, with backslashes; the order is fixed so the output is
// repeatable. A name found in two folders is an error rather than a silent choice.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_io/kx_io.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

struct item {
    std::string name, disk;
};

// Adds every regular file below `dir` (but the pack being written) to `items`. 0 after an error.
bool folder_add(const fs::path &dir, const fs::path &out_abs, std::vector<item> *items)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "veltramondo-tool: %s: not a folder\n", dir.c_str());
        return false;
    }
    fs::recursive_directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        fs::path p = it->path();
        // Leave out the pack being written, should it lie inside the folder.
        fs::path abs = fs::weakly_canonical(p, ec);
        if (abs == out_abs || abs.string() == out_abs.string() + ".tmp") continue;
        std::string rel = p.lexically_relative(dir).generic_string();
        if (rel.find('\\') != std::string::npos) {
            std::fprintf(stderr, "veltramondo-tool: %s: a backslash in a file name cannot be packed\n", rel.c_str());
            return false;
        }
        std::replace(rel.begin(), rel.end(), '/', '\\');
        items->push_back({rel, p.string()});
    }
    if (ec) {
        std::fprintf(stderr, "veltramondo-tool: %s: %s\n", dir.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

int pack_run(const std::vector<std::string> &args)
{
    std::string form = "babe";
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--form" && i + 1 < args.size())
            form = args[++i];
        else
            positional.push_back(args[i]);
    }
    if (positional.size() < 2 || (form != "babe" && form != "cdce")) {
        std::fprintf(stderr, "usage: veltramondo-tool pack DIR... OUT.dat [--form babe|cdce]\n");
        return 2;
    }
    const std::string out = positional.back();
    positional.pop_back();
    std::error_code ec;
    const fs::path out_abs = fs::weakly_canonical(out, ec);
    std::vector<item> items;
    for (const std::string &folder : positional)
        if (!folder_add(folder, out_abs, &items)) return 1;
    std::sort(items.begin(), items.end(), [](const item &a, const item &b) {
        std::string ua = upper(a.name), ub = upper(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
    for (size_t i = 1; i < items.size(); i++)
        if (upper(items[i].name) == upper(items[i - 1].name)) {
            std::fprintf(stderr, "veltramondo-tool: %s is in two of the folders\n", items[i].name.c_str());
            return 1;
        }

    std::vector<KX_IO_PACK_SOURCE> sources;
    for (const item &i : items) sources.push_back({i.name.c_str(), "", i.disk.c_str()});
    if (!vtool_engine_start(nullptr)) return 1;
    char error[256];
    int ok = kx_io_pack_write(out.c_str(), form == "babe" ? KX_IO_PACK_INSIDE : KX_IO_PACK_OUTSIDE, sources.data(),
                              static_cast<uint32_t>(sources.size()), error);
    vtool_engine_stop();
    if (!ok) {
        std::fprintf(stderr, "veltramondo-tool: pack: %s\n", error);
        return 1;
    }
    std::printf("%zu entries written to %s\n", sources.size(), out.c_str());
    return 0;
}

} // namespace

VTOOL_COMMAND("pack", "pack DIR... OUT.dat [--form babe|cdce]: builds a data pack from every file under the folders", pack_run);
