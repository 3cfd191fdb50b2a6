// Demo list and demo files: the list parser, the checked demo file reader and the encoder.
#include "game/game_demo_file.h"

#include "game/game_difficulty.h"
#include "game/game_error.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int DEMO_HEAD_BYTES = 12;
constexpr char DEMO_MARK[4] = {'D', 'I', 'F', 'F'};

// One list line as an entry; 0 when the line is no entry. "$" lines: the show time is the run
// of digits from the second character (three in the usual form, at most DEMO_SHOW_DIGITS), one
// separator character follows, then the world name.
int demo_entry_parse(const char *line, DEMO_ENTRY *e)
{
    e->kind = static_cast<unsigned char>(line[0]);
    e->show_time = 0;
    e->name[0] = 0;
    switch (e->kind) {
    case DEMO_ENTRY_REPLAY:
        std::snprintf(e->name, sizeof e->name, "%s", line + 1);
        return 1;
    case DEMO_ENTRY_SCENERY: {
        int i = 1;
        while (i <= DEMO_SHOW_DIGITS && line[i] >= '0' && line[i] <= '9') e->show_time = e->show_time * 10 + (line[i++] - '0');
        if (line[i]) i++;
        std::snprintf(e->name, sizeof e->name, "%s", line + i);
        return 1;
    }
    case DEMO_ENTRY_SKIP:
        e->show_time = 1;
        return 1;
    default:
        return 0;
    }
}

uint32_t demo_get32(const uint8_t *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void demo_put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

int Demo_List_Read(KX_IO *file, int position, DEMO_LIST *list, DEMO_FAIL_FN fail)
{
    char *line = static_cast<char *>(kx_mem_malloc(DEMO_LINE_SIZE));
    if (!line) {
        Game_Fail(fail, 0, "Not enough memory for buffer in Demo_Init()");
        return 0;
    }
    kx_mem_name(line, "buffer for demo init");
    DEMO_ENTRY entry;
    int shows = 0, found = 0, line_number = 0, ok = 1;
    list->count = 0;
    list->wrapped = 0;
    for (;;) {
        line_number++;
        int got = def_line_read(file, line, DEMO_LINE_SIZE);
        if (got == DEF_LINE_TOO_LONG) {
            Game_Fail(fail, 0, "Line %d is too long in demos.txt, maximum is %d characters", line_number, DEMO_LINE_SIZE - 1);
            ok = 0;
            break;
        }
        if (got == 1) break;
        if (!demo_entry_parse(line, &entry)) continue;
        if (entry.kind != DEMO_ENTRY_SKIP) shows++;
        // Entry 0 is the fall-back; the asked entry replaces it.
        if (list->count == 0 || list->count == position) {
            list->entry = entry;
            found = list->count == position;
        }
        list->count++;
    }
    kx_mem_free(line);
    if (!ok) return 0;
    if (list->count == 0) {
        Game_Fail(fail, 0, "There should be at least 1 demo is demos.txt!");
        return 0;
    }
    if (shows == 0) {
        Game_Fail(fail, 0, "demos.txt holds only skip entries (@): it needs at least 1 demo (#) or scenery world ($)!");
        return 0;
    }
    list->wrapped = !found;
    return 1;
}

int Demo_File_Read(KX_IO *file, const char *name, int level_limit, DEMO_HEAD *head, uint8_t *moves, int32_t *rands,
                   DEMO_FAIL_FN fail)
{
    uint8_t bytes[DEMO_HEAD_BYTES];
    long start = kx_io_ftell(file);
    long end = kx_io_fseek(file, 0, SEEK_END) == 0 ? kx_io_ftell(file) : -1;
    if (start < 0 || end < 0 || kx_io_fseek(file, start, SEEK_SET) != 0) {
        Game_Fail(fail, 0, "Cant read demo file %s", name);
        return 0;
    }
    if (end - start < DEMO_HEAD_BYTES || kx_io_fread(bytes, 1, DEMO_HEAD_BYTES, file) != DEMO_HEAD_BYTES) {
        Game_Fail(fail, 0, "Demo file %s is shorter than its counts say", name);
        return 0;
    }
    head->level = static_cast<int32_t>(demo_get32(bytes));
    head->steps = static_cast<int32_t>(demo_get32(bytes + 4));
    head->randoms = static_cast<int32_t>(demo_get32(bytes + 8));
    if (head->steps < 0 || head->steps > DEMO_STEPS_MAX) {
        Game_Fail(fail, 0, "Demo file %s holds %d steps; at most %d can be replayed", name, head->steps, DEMO_STEPS_MAX);
        return 0;
    }
    if (head->randoms < 0 || head->randoms > DEMO_RANDS_MAX) {
        Game_Fail(fail, 0, "Demo file %s holds %d random values; at most %d can be replayed", name, head->randoms, DEMO_RANDS_MAX);
        return 0;
    }
    if (head->level < 0 || head->level >= level_limit) {
        Game_Fail(fail, 0, "Demo file %s names level %d, which is not in the level table", name, head->level);
        return 0;
    }
    if (end - start - DEMO_HEAD_BYTES < head->steps + 4L * head->randoms) {
        Game_Fail(fail, 0, "Demo file %s is shorter than its counts say", name);
        return 0;
    }
    if (kx_io_fread(moves, 1, static_cast<size_t>(head->steps), file) != static_cast<size_t>(head->steps)) {
        Game_Fail(fail, 0, "Demo file %s is shorter than its counts say", name);
        return 0;
    }
    for (int i = 0; i < head->randoms; i++) {
        uint8_t v[4];
        if (kx_io_fread(v, 1, 4, file) != 4) {
            Game_Fail(fail, 0, "Demo file %s is shorter than its counts say", name);
            return 0;
        }
        rands[i] = static_cast<int32_t>(demo_get32(v));
    }
    // What follows the tables is the difficulty mark, or nothing the game reads.
    head->difficulty = DIFFICULTY_NORMAL;
    uint8_t mark[DEMO_MARK_BYTES];
    if (end - kx_io_ftell(file) >= static_cast<long>(DEMO_MARK_BYTES) &&
        kx_io_fread(mark, 1, DEMO_MARK_BYTES, file) == DEMO_MARK_BYTES && !std::memcmp(mark, DEMO_MARK, 4)) {
        const int32_t d = static_cast<int32_t>(demo_get32(mark + 4));
        if (d < 0 || d >= DIFFICULTY_COUNT) {
            Game_Fail(fail, 0, "Demo file %s names difficulty %d, which the game does not know", name, d);
            return 0;
        }
        head->difficulty = d;
    }
    return 1;
}

size_t Demo_File_Encode(const DEMO_HEAD *head, const uint8_t *moves, const int32_t *rands, uint8_t *out, size_t size)
{
    if (head->steps < 0 || head->steps > DEMO_STEPS_MAX || head->randoms < 0 || head->randoms > DEMO_RANDS_MAX ||
        head->difficulty < 0 || head->difficulty >= DIFFICULTY_COUNT)
        return 0;
    const bool marked = head->difficulty != DIFFICULTY_NORMAL;
    size_t length = DEMO_HEAD_BYTES + static_cast<size_t>(head->steps) + 4 * static_cast<size_t>(head->randoms) +
                    (marked ? DEMO_MARK_BYTES : 0);
    if (length > size) return 0;
    demo_put32(out, static_cast<uint32_t>(head->level));
    demo_put32(out + 4, static_cast<uint32_t>(head->steps));
    demo_put32(out + 8, static_cast<uint32_t>(head->randoms));
    if (head->steps) std::memcpy(out + DEMO_HEAD_BYTES, moves, static_cast<size_t>(head->steps));
    uint8_t *p = out + DEMO_HEAD_BYTES + head->steps;
    for (int i = 0; i < head->randoms; i++, p += 4) demo_put32(p, static_cast<uint32_t>(rands[i]));
    if (marked) {
        std::memcpy(p, DEMO_MARK, 4);
        demo_put32(p + 4, static_cast<uint32_t>(head->difficulty));
    }
    return length;
}

void Demo_Save_Name(int level, char *out, size_t size)
{
    std::snprintf(out, size, "level\\level%2d.dem", level);
}
