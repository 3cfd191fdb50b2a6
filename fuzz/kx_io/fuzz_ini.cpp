// Fuzz target: string files. The input (after byte 0) is the file; lookups run uncached and
// kept open, then, when byte 0 is odd, a key is written and must read back.
#include "fuzz_kx_io_common.h"

#include "kx/kx_io/kx_io.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_io_enter_folder();
    if (size < 1) return 0;
    static KX_IO_SETTINGS settings{0, 0, nullptr, nullptr};
    static bool started = false;
    if (!started) {
        kx_io_init(&settings);
        kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
        kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON);
        started = true;
    }
    fuzz_io_write("f.ini", data + 1, size - 1);

    static const char *const sections[] = {"Display", "Sound", "Order", "A", ""};
    static const char *const keys[] = {"Fullscreen", "Volume", "A", "B", "C", ""};
    char value[64];
    int number;
    float real = 0;
    for (const char *s : sections)
        for (const char *k : keys) kx_io_ini_get_string(s, k, value, 16, "f.ini");
    if (kx_io_ini_set_mode("f.ini", KX_IO_INI_KEEP_OPEN)) {
        for (int round = 0; round < 2; round++)
            for (const char *s : sections)
                for (const char *k : keys) {
                    kx_io_ini_get_int(s, k, &number, "f.ini");
                    kx_io_ini_get_float(s, k, &real, "f.ini");
                }
        if (!kx_io_ini_set_mode("f.ini", KX_IO_INI_KEEP_CLOSE)) std::abort();
    }
    if (kx_io_open_count() != 0) std::abort();

    if (data[0] & 1) {
        const char *s = sections[data[0] % 4];
        const char *k = keys[(data[0] >> 2) % 5];
        if (!kx_io_ini_set_string(s, k, "written value", "f.ini")) std::abort();
        int n = kx_io_ini_get_string(s, k, value, sizeof value - 1, "f.ini");
        if (n != 13 || std::strcmp(value, "written value") != 0) std::abort();
    }
    return 0;
}
