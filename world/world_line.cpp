// The line reader of the text data files.
#include "world/world_line.h"

#include "world/world.h"

#include <cstdint>

// A handle that cannot be read counts as ended, so a caller looping until 1 always stops.
int def_line_read(KX_IO *file, char *line, int size)
{
    int n = 0;
    int ended = 0;
    line[0] = 0;
    for (;;) {
        uint8_t c;
        if (!file || kx_io_fread(&c, 1, 1, file) != 1) {
            ended = 1;
            break;
        }
        if (c == 255) break;
        if (c == 13) {
            kx_io_fread(&c, 1, 1, file);
            break;
        }
        if (c < 32) continue;
        if (n >= size - 1) return DEF_LINE_TOO_LONG;
        line[n++] = static_cast<char>(c);
        line[n] = 0;
    }
    return n == 0 && ended ? 1 : 0;
}

int def_line_ends_lf(KX_IO *file)
{
    if (!file) return 0;
    long at = kx_io_ftell(file);
    kx_io_fseek(file, 0, 0);
    int lf = 0, cr = 0;
    uint8_t block[4096];
    size_t n;
    while (!cr && (n = kx_io_fread(block, 1, sizeof block, file)) > 0) {
        for (size_t i = 0; i < n; i++) {
            lf |= block[i] == 10;
            cr |= block[i] == 13;
        }
    }
    kx_io_fseek(file, at, 0);
    return lf && !cr;
}

int read_def_line(KX_IO *file, char *line)
{
    int result = def_line_read(file, line, DEF_LINE_SIZE);
    if (result == DEF_LINE_TOO_LONG) world_fatal("ERROR : Line is too long! ( maximun %d )", DEF_LINE_SIZE - 1);
    return result;
}
