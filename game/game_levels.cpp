// The level table: defaults, reading and checking "data\levels.txt", the copies that fill the
// levels after the last one, and the clean-up.
#include "game/game_levels.h"

#include "game/game_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "world/world_line.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

int16_t level_floor_type[LEVELS_MAX];
int16_t level_border_type[LEVELS_MAX];
int16_t level_background_type[LEVELS_MAX];
int16_t level_enemy_type[LEVELS_MAX];
int16_t level_enemy_frequency[LEVELS_MAX];
int16_t level_speed_increase[LEVELS_MAX];
int16_t level_max_speed[LEVELS_MAX];
int16_t level_initial_speed[LEVELS_MAX];
int16_t level_bonus_percentage[LEVELS_MAX];
int16_t level_enemy_speed[LEVELS_MAX];
int16_t level_enemy_max[LEVELS_MAX];
char *level_rows[LEVELS_MAX][LEVEL_ROWS];
int level_count;

namespace {

char levels_shared_row[] = "AAAAAAAAAAAAAA";
static_assert(sizeof levels_shared_row == LEVEL_ROW_LENGTH + 1);

// Which rows are blocks of their own (the others point at the shared row or at another level's
// block), so that each block is freed exactly once.
uint8_t levels_row_owned[LEVELS_MAX][LEVEL_ROWS];

// The reading state of one load.
struct LEVELS_READ {
    LEVELS_FAIL_FN fail;
    int line;
    int level;
    int row;
    int lf_only;   // the file's lines end in LF alone: every message says so
};

void levels_fail(const LEVELS_READ *r, int with_line, const char *format, ...) __attribute__((format(printf, 3, 4)));

void levels_fail(const LEVELS_READ *r, int with_line, const char *format, ...)
{
    char message[600];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    size_t n = std::strlen(message);
    if (r->lf_only) std::snprintf(message + n, sizeof message - n, " (%s)", DEF_LINE_LF_HINT);
    if (r->fail) r->fail(with_line ? r->line : 0, message);
    else Game_Error("%s", message);
}

void levels_defaults()
{
    for (int n = 0; n < LEVELS_MAX; n++) {
        level_floor_type[n] = 1;
        level_border_type[n] = 1;
        level_background_type[n] = 1;
        level_enemy_type[n] = 1;
        level_enemy_frequency[n] = 100;
        level_speed_increase[n] = 100;
        level_max_speed[n] = 7500;
        level_initial_speed[n] = 6500;
        level_bonus_percentage[n] = 20;
        level_enemy_speed[n] = 100;
        level_enemy_max[n] = 50;
        for (int r = 0; r < LEVEL_ROWS; r++) level_rows[n][r] = levels_shared_row;
    }
}

// The value of a line read as a decimal integer the way the C library does, held within int so
// that messages show what was written wherever it fits.
int levels_number(const char *text)
{
    long v = std::strtol(text, nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

int16_t levels_short(int v)
{
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// A new row block holding `text` padded with spaces to the row length; null after the error.
char *levels_row_new(const LEVELS_READ *r, const char *text)
{
    char *row = static_cast<char *>(kx_mem_malloc(LEVEL_ROW_SIZE));
    if (!row) {
        levels_fail(r, 1, "Not enough memory for rows");
        return nullptr;
    }
    kx_mem_name(row, "level row");
    std::memset(row, 0, LEVEL_ROW_SIZE);
    std::memset(row, ' ', LEVEL_ROW_LENGTH);
    std::memcpy(row, text, std::strlen(text));
    return row;
}

int levels_row_set(LEVELS_READ *r, const char *text)
{
    char *row = levels_row_new(r, text);
    if (!row) return 0;
    level_rows[r->level][r->row] = row;
    levels_row_owned[r->level][r->row] = 1;
    r->row++;
    return 1;
}

// One line of the file; 0 after a fatal error.
int levels_line(LEVELS_READ *r, const char *line)
{
    const char *value = line + 1;
    int n = r->level;
    switch (line[0]) {
    case '!':
        if (r->row >= LEVEL_ROWS) {
            levels_fail(r, 1, "Too many rows in level %i", n);
            return 0;
        }
        if (std::strlen(value) > LEVEL_ROW_LENGTH) {
            levels_fail(r, 1, "Row %i is too long in level %i, maximun is %i", r->row, n, LEVEL_ROW_LENGTH);
            return 0;
        }
        return levels_row_set(r, value);
    case '@':
        if (r->row > LEVEL_ROWS) {
            levels_fail(r, 1, "Wrong ammount of rows in level %i", n);
            return 0;
        }
        while (r->row < LEVEL_ROWS)
            if (!levels_row_set(r, "")) return 0;
        level_initial_speed[n] = levels_short(levels_number(value));
        return 1;
    case '>': {
        int v = levels_number(value);
        if (v < level_initial_speed[n]) {
            levels_fail(r, 1, "Maximum speed cant be minor that initial speed in level %i", n);
            return 0;
        }
        level_max_speed[n] = levels_short(v);
        return 1;
    }
    case '<': {
        int v = levels_number(value);
        if (v < 0) {
            levels_fail(r, 1, "Wrong speed increase in level %i", n);
            return 0;
        }
        level_speed_increase[n] = levels_short(v);
        return 1;
    }
    case '#':
    case '$':
    case '%':
    case '&': {
        int v = levels_number(value);
        int top = line[0] == '%' ? 8 : 4;
        if (v < 1 || v > top) {
            const char *what = line[0] == '#' ? "floor" : line[0] == '$' ? "border" : line[0] == '%' ? "background" : "enemy";
            levels_fail(r, 1, "Wrong %s type %i in level %i", what, v, n);
            return 0;
        }
        int16_t *table = line[0] == '#'   ? level_floor_type
                         : line[0] == '$' ? level_border_type
                         : line[0] == '%' ? level_background_type
                                          : level_enemy_type;
        table[n] = static_cast<int16_t>(v);
        return 1;
    }
    case '*': {
        int v = levels_number(value);
        if (v < 1) {
            levels_fail(r, 1, "Wrong enemy frecuency %i in level %i", v, n);
            return 0;
        }
        level_enemy_frequency[n] = levels_short(v);
        return 1;
    }
    case '{': {
        int v = levels_number(value);
        if (v < 0) {
            levels_fail(r, 1, "Wrong enemy speed %i in level %i", v, n);
            return 0;
        }
        level_enemy_speed[n] = levels_short(v);
        return 1;
    }
    case '^': {
        int v = levels_number(value);
        if (v < 0 || v > 100) {
            levels_fail(r, 1, "Wrong bonus percentage %i in level %i", v, n);
            return 0;
        }
        level_bonus_percentage[n] = static_cast<int16_t>(v);
        return 1;
    }
    case '}': {
        int v = levels_number(value);
        if (v < 0 || v > 50) {
            levels_fail(r, 1, "Wrong enemy maximum %i in level %i", v, n);
            return 0;
        }
        level_enemy_max[n] = static_cast<int16_t>(v);
        r->level++;
        r->row = 0;
        if (r->level >= LEVELS_MAX) {
            levels_fail(r, 1, "Too many levels");
            return 0;
        }
        return 1;
    }
    default:
        return 1;
    }
}

// Levels from the count on become copies of the last level read, each with a background of its
// own. Rows that an unfinished last block allocated are freed before their level is overwritten.
void levels_fill()
{
    int last = level_count - 1;
    for (int n = level_count; n < LEVELS_MAX; n++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            if (levels_row_owned[n][r]) kx_mem_free(level_rows[n][r]);
            levels_row_owned[n][r] = 0;
            level_rows[n][r] = level_rows[last][r];
        }
        level_floor_type[n] = level_floor_type[last];
        level_border_type[n] = level_border_type[last];
        level_background_type[n] = static_cast<int16_t>(n % 4 + 1);
        level_enemy_type[n] = level_enemy_type[last];
        level_enemy_frequency[n] = level_enemy_frequency[last];
        level_speed_increase[n] = level_speed_increase[last];
        level_max_speed[n] = level_max_speed[last];
        level_initial_speed[n] = level_initial_speed[last];
        level_bonus_percentage[n] = level_bonus_percentage[last];
        level_enemy_speed[n] = level_enemy_speed[last];
        level_enemy_max[n] = level_enemy_max[last];
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int Levels_Read(KX_IO *file, LEVELS_FAIL_FN fail)
{
    Levels_Free();
    levels_defaults();
    level_count = 1;
    LEVELS_READ r{fail, 0, 1, 0, def_line_ends_lf(file)};
    char *line = static_cast<char *>(kx_mem_malloc(LEVELS_LINE_SIZE));
    if (!line) {
        levels_fail(&r, 0, "Not enough memory for buffer in Levels_Init()");
        return 0;
    }
    kx_mem_name(line, "aux buffer for load levels information");
    int ok = 1;
    for (;;) {
        r.line++;
        int got = def_line_read(file, line, LEVELS_LINE_SIZE);
        if (got == 1) break;
        if (got == DEF_LINE_TOO_LONG) {
            levels_fail(&r, 1, "Line %i is too long in levels.txt, maximum is %i characters", r.line, LEVELS_LINE_SIZE - 1);
            ok = 0;
            break;
        }
        if (!levels_line(&r, line)) {
            ok = 0;
            break;
        }
    }
    kx_mem_free(line);
    if (!ok) return 0;
    level_count = r.level;
    levels_fill();
    return 1;
}

int Levels_Load(const char *file_name, LEVELS_FAIL_FN fail)
{
    KX_IO *file = kx_io_fopen(file_name, "rb");
    if (!file) {
        Levels_Free();
        levels_defaults();
        level_count = 1;
        LEVELS_READ r{fail, 0, 1, 0, 0};
        levels_fail(&r, 0, "Cant open levels.txt file");
        return 0;
    }
    int ok = Levels_Read(file, fail);
    kx_io_fclose(file);
    return ok;
}

int Levels_Init()
{
    return Levels_Load("data\\levels.txt", nullptr);
}

void Levels_Free()
{
    for (int n = 0; n < LEVELS_MAX; n++) {
        for (int r = 0; r < LEVEL_ROWS; r++) {
            if (levels_row_owned[n][r]) kx_mem_free(level_rows[n][r]);
            levels_row_owned[n][r] = 0;
            level_rows[n][r] = levels_shared_row;
        }
    }
}
