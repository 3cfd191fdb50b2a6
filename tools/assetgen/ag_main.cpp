// assetgen entry point: `assetgen ASSETS_DIR OUT_DIR [GENERATOR...]` runs every registered
// generator of game data (or the named ones, on-request generators included) in name order.
#include "tools/assetgen/ag.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

struct ag_entry {
    const char *name;
    ag_fn run;
    bool on_request;
};

std::vector<ag_entry> &ag_generators()
{
    static std::vector<ag_entry> list;
    return list;
}

} // namespace

int ag_register(const char *name, ag_fn run)
{
    ag_generators().push_back({name, run, false});
    return 1;
}

int ag_register_on_request(const char *name, ag_fn run)
{
    ag_generators().push_back({name, run, true});
    return 1;
}

int ag_write_file(const std::string &out, const std::string &game_name, const std::vector<uint8_t> &bytes)
{
    std::string rel = game_name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    std::filesystem::path path = std::filesystem::path(out) / rel;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (f) f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: assetgen ASSETS_DIR OUT_DIR [GENERATOR...]\n");
        return 2;
    }
    std::vector<ag_entry> list = ag_generators();
    std::sort(list.begin(), list.end(), [](const ag_entry &a, const ag_entry &b) { return std::strcmp(a.name, b.name) < 0; });
    int failed = 0;
    for (const ag_entry &g : list) {
        bool wanted = argc == 3 && !g.on_request;
        for (int i = 3; i < argc; i++) wanted = wanted || std::strcmp(argv[i], g.name) == 0;
        if (!wanted) continue;
        if (g.run(argv[1], argv[2]) != 0) {
            std::fprintf(stderr, "assetgen: generator %s failed\n", g.name);
            failed = 1;
        }
    }
    return failed;
}
