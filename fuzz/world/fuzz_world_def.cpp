// Fuzz target: a world definition file of arbitrary bytes, loaded as the game loads it.
#include "fuzz_world_common.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_world::setup();
    fuzz_world::file_write("fz.def", data, size);
    fuzz_world::run("fz.def", nullptr);
    return 0;
}
