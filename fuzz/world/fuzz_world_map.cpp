// Fuzz target: a map file of arbitrary bytes under a fixed world definition.
#include "fuzz_world_common.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

const char world_def[] =
    "@a 20\r\n@b 10\r\n@c 12\r\n@d 32\r\n@e 32\r\n@f 64\r\n"
    "#a = a.png\r\n$b = b.png\r\n] walk = walk, 4, 2\r\n"
    "%1 = a, a, b, b, b, b\r\n%2 = a, NULL, NULL, b!, NULL, b\r\n"
    "&1 = walk, 20, 30, 1, 4, 5, 6, 7, 8, 9, 10, 11\r\n&2 = walk00, -50, -50, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "*2, 3 = 1, 10, 0, 0, 20, 10, 3, 10, 20, 1\r\n+2 = 0, 0, 30, 2, 3, 24, 0, 30, 2, 3\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool written = false;
    fuzz_world::setup();
    if (!written) {
        fuzz_world::file_write("fz.def", world_def, std::strlen(world_def));
        written = true;
    }
    fuzz_world::file_write("fz.map", data, size);
    fuzz_world::run("fz.def", "fz.map");
    return 0;
}
