// Deterministic stand-in for libFuzzer: feeds every seed file (or every file of a seed folder)
// to LLVMFuzzerTestOneInput, then a fixed number of mutations of them (bit flips, byte
// overwrites with boundary values, truncations, duplicated and deleted runs). The same runs
// happen on every machine, so a crash found here can be replayed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

uint64_t rng_state = 0x9E3779B97F4A7C15ull;

uint32_t next_random()
{
    rng_state ^= rng_state << 13;
    rng_state ^= rng_state >> 7;
    rng_state ^= rng_state << 17;
    return static_cast<uint32_t>(rng_state >> 11);
}

std::vector<uint8_t> read_all(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void mutate(std::vector<uint8_t> &d)
{
    static const uint8_t interesting[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, 0x10, 0x40};
    int edits = 1 + static_cast<int>(next_random() % 4);
    for (int e = 0; e < edits; e++) {
        size_t n = d.size();
        switch (next_random() % 6) {
        case 0:
            if (n) d[next_random() % n] ^= static_cast<uint8_t>(1u << (next_random() % 8));
            break;
        case 1:
            if (n) d[next_random() % n] = interesting[next_random() % sizeof interesting];
            break;
        case 2:
            if (n) d.resize(next_random() % n);
            break;
        case 3:
            if (n > 4) {
                size_t at = next_random() % (n - 4);
                uint32_t v = next_random() % 3 == 0 ? 0xFFFFFFFFu : next_random();
                std::memcpy(&d[at], &v, 4);
            }
            break;
        case 4:
            if (n) {
                size_t at = next_random() % n, len = 1 + next_random() % 64;
                if (at + len > n) len = n - at;
                std::vector<uint8_t> run(d.begin() + at, d.begin() + at + len);
                d.insert(d.begin() + next_random() % (n + 1), run.begin(), run.end());
            }
            break;
        default:
            if (n) {
                size_t at = next_random() % n, len = 1 + next_random() % 64;
                if (at + len > n) len = n - at;
                d.erase(d.begin() + at, d.begin() + at + len);
            }
            break;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    long runs = 1000;
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
            continue;
        }
        std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            std::vector<std::filesystem::path> files;
            for (auto &e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path());
            std::sort(files.begin(), files.end());
            for (auto &f : files) seeds.push_back(read_all(f));
        } else if (std::filesystem::is_regular_file(p)) {
            seeds.push_back(read_all(p));
        }
    }
    if (seeds.empty()) seeds.emplace_back();
    for (auto &s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
    for (long r = 0; r < runs; r++) {
        std::vector<uint8_t> d = seeds[static_cast<size_t>(r) % seeds.size()];
        mutate(d);
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%zu seeds, %ld mutated runs, no crash\n", seeds.size(), runs);
    return 0;
}
