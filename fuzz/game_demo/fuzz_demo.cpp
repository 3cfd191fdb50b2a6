// Fuzz target: the first byte chooses the parser and the list position, the rest is a demo list
// or a demo file. Either the parser fails with a message, or what it gives is in range: an entry
// of the list, counts the tables hold.
#include "game/game_demo_file.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdlib>
#include <cstring>

namespace {

int fuzz_failed;
uint8_t moves[DEMO_STEPS_MAX];
int32_t rands[DEMO_RANDS_MAX];

void fuzz_fail(int, const char *message)
{
    if (!message || !message[0]) std::abort();
    fuzz_failed = 1;
}

void require(bool ok)
{
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    void *copy = kx_mem_malloc(size);
    if (!copy) return 0;
    std::memcpy(copy, data + 1, size - 1);
    KX_IO *file = kx_io_mem_open("demo", copy, static_cast<uint32_t>(size - 1));
    if (!file) return 0;
    fuzz_failed = 0;
    if (data[0] & 1) {
        DEMO_HEAD head{};
        int ok = Demo_File_Read(file, "demo", 50, &head, moves, rands, fuzz_fail);
        require(ok == !fuzz_failed);
        if (ok) require(head.level >= 0 && head.level < 50 && head.steps >= 0 && head.steps <= DEMO_STEPS_MAX &&
                        head.randoms >= 0 && head.randoms <= DEMO_RANDS_MAX);
    } else {
        DEMO_LIST list{};
        int ok = Demo_List_Read(file, data[0] >> 1, &list, fuzz_fail);
        require(ok == !fuzz_failed);
        if (ok) {
            int k = list.entry.kind;
            require(list.count >= 1 && (k == DEMO_ENTRY_REPLAY || k == DEMO_ENTRY_SCENERY || k == DEMO_ENTRY_SKIP));
            require(list.entry.show_time >= 0 && list.entry.show_time <= 99999);
            require(std::strlen(list.entry.name) < DEMO_LINE_SIZE);
        }
    }
    kx_io_fclose(file);
    return 0;
}
