// The effects file. Lines start (after blanks) with @ (number of effects), ! (the next effect and
// its number of definitions), # (a field of the current definition: the second character names
// it, the value starts at the fourth) or % (a particle texture); anything else is a comment.
// Every error names the file and stops the reading; nothing is skipped over.
#include "world/particle.h"
#include "world/particle_local.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int MAX_TOKENS = 32;

struct PARSER {
    const char *name;
    int fx;        // the current effect, -1 before the first !
    int def;       // the current definition of that effect, -1 before its first ##
};

// ---------------------------------------------------------------------------------------------
// Tokens and numbers
// ---------------------------------------------------------------------------------------------

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

// A whole token as a decimal integer with an optional sign, within 32 bits.
bool parse_int(const char *s, const char *end, int32_t *out)
{
    const char *p = s;
    if (p < end && (*p == '+' || *p == '-')) p++;
    if (p == end) return false;
    for (const char *q = p; q < end; q++)
        if (*q < '0' || *q > '9') return false;
    long long v = 0;
    for (const char *q = p; q < end; q++) {
        v = v * 10 + (*q - '0');
        if (v > static_cast<long long>(INT32_MAX) + 1) return false;
    }
    if (*s == '-') v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

bool parse_int(const char *s, int32_t *out)
{
    return parse_int(s, s + std::strlen(s), out);
}

// "250" or "100#200".
bool parse_random(const char *s, PARTICLE_RANDOM *out)
{
    const char *hash = std::strchr(s, '#');
    if (!hash) {
        out->type = 0;
        out->b = 0;
        return parse_int(s, &out->a);
    }
    out->type = 1;
    return parse_int(s, hash, &out->a) && parse_int(hash + 1, &out->b);
}

// Splits `text` (modified in place) at blanks. Returns the count, at most MAX_TOKENS.
int split_blanks(char *text, char **tokens)
{
    int n = 0;
    char *p = text;
    while (*p) {
        while (blank(*p)) p++;
        if (!*p) break;
        if (n == MAX_TOKENS) return n + 1;
        tokens[n++] = p;
        while (*p && !blank(*p)) p++;
        if (*p) *p++ = 0;
    }
    return n;
}

bool random_at_least(const PARTICLE_RANDOM &r, int lowest_fixed)
{
    if (r.type == 0) return r.a >= lowest_fixed;
    return r.a >= 0 && r.b >= 0;
}

// ---------------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------------

bool line_count(PARSER &p, const char *value)
{
    if (particle_fx_table) {
        particle_error("%s : the number of particle fx has been defined already", p.name);
        return false;
    }
    int32_t n = 0;
    if (!parse_int(value, &n) || n < 0 || n > PARTICLE_MAX_EFFECTS) {
        particle_error("Not enough memory for buffer in particle_fx");
        return false;
    }
    particle_fx_table = static_cast<PARTICLE_FX *>(kx_mem_calloc(static_cast<size_t>(n) + 1, sizeof(PARTICLE_FX)));
    if (!particle_fx_table) {
        particle_error("Not enough memory for buffer in particle_fx");
        return false;
    }
    kx_mem_name(particle_fx_table, "particle fx");
    particle_fx_count = n;
    return true;
}

bool line_effect(PARSER &p, const char *value)
{
    if (!particle_fx_table) {
        particle_error("%s : the number of particle fx has to be defined before creating emiters", p.name);
        return false;
    }
    if (p.fx + 1 >= particle_fx_count) {
        particle_error("%s: Too many particle fx, try increasing the number", p.name);
        return false;
    }
    p.fx++;
    p.def = -1;
    int32_t n = 0;
    if (!parse_int(value, &n) || n < 1) {
        particle_error("%s : the number of emiters cant be less than 1 on particle fx number %i", p.name, p.fx);
        return false;
    }
    PARTICLE_DEF *defs = n > 255 ? nullptr : static_cast<PARTICLE_DEF *>(kx_mem_calloc(static_cast<size_t>(n), sizeof(PARTICLE_DEF)));
    if (!defs) {
        particle_error("%s : Not enough memory for particle_fx_emiter in particle fx number %i, maybe using a number that is too big?",
                       p.name, p.fx);
        return false;
    }
    kx_mem_name(defs, "particle_fx_emiter");
    particle_fx_table[p.fx] = {static_cast<uint8_t>(n), defs};
    return true;
}

// One value field that must be there and be a random value of at least `lowest` (fixed form).
bool field_random(PARSER &p, char **tok, int n, PARTICLE_RANDOM *out, int lowest, const char *missing, const char *wrong)
{
    if (n < 1) {
        particle_error(missing, p.name, p.fx, p.def);
        return false;
    }
    if (!parse_random(tok[0], out) || !random_at_least(*out, lowest)) {
        particle_error(wrong, p.name, p.fx, p.def);
        return false;
    }
    return true;
}

bool field_plain(PARSER &p, char field, char **tok, int n, int32_t *out, int32_t lowest, int32_t highest)
{
    if (n < 1 || !parse_int(tok[0], out) || *out < lowest || *out > highest) {
        particle_error("%s: wrong parameter for #%c, on particle fx %i, emiter %i", p.name, field, p.fx, p.def);
        return false;
    }
    return true;
}

bool field_movement(PARSER &p, PARTICLE_DEF &d, char **tok, int n)
{
    if (n < 1) {
        particle_error("%s: movement type requires at least 1 parameter, on particle fx %i, emiter %i", p.name, p.fx, p.def);
        return false;
    }
    int32_t type = 0;
    if (!parse_int(tok[0], &type)) {
        particle_error("%s: wrong parameter %i for movement type, on particle fx %i, emiter %i", p.name, 0, p.fx, p.def);
        return false;
    }
    if (type < 0 || type > 5) {
        particle_error("%s: movement type out of range (%i), on particle fx %i, emiter %i", p.name, type, p.fx, p.def);
        return false;
    }
    int values = n - 1;
    int wanted = type == 0 ? 0 : type == 2 ? 3 : (type == 1 || type == 3) ? 5 : -1;
    if (values > MAX_TOKENS - 1 || (wanted >= 0 && values != wanted)) {
        particle_error("%s: wrong number of parameters (%i) for that movement type, on particle fx %i, emiter %i", p.name,
                       values, p.fx, p.def);
        return false;
    }
    d.move_type = type;
    for (int i = 0; i < PARTICLE_MOVE_VALUES; i++) d.move[i] = {0, 0, 0};
    for (int i = 0; i < values; i++) {
        PARTICLE_RANDOM r;
        if (!parse_random(tok[1 + i], &r)) {
            particle_error("%s: wrong parameter %i for movement type, on particle fx %i, emiter %i", p.name, i + 1, p.fx, p.def);
            return false;
        }
        if (i < PARTICLE_MOVE_VALUES) d.move[i] = r;
    }
    return true;
}

bool field_look(PARSER &p, PARTICLE_DEF &d, char **tok, int n)
{
    if (n < PARTICLE_LOOK_VALUES) {
        particle_error("%s: the appearance requires %i parameters but %i were found, on particle fx %i, emiter %i", p.name,
                       PARTICLE_LOOK_VALUES, n, p.fx, p.def);
        return false;
    }
    for (int i = 0; i < PARTICLE_LOOK_VALUES; i++) {
        bool ok = parse_random(tok[i], &d.look[i]);
        // The texture number must name one of the texture slots.
        if (ok && i == 0) {
            const PARTICLE_RANDOM &t = d.look[0];
            ok = t.a >= 0 && t.a < PARTICLE_TEXTURES && (t.type == 0 || (t.b >= 0 && t.b < PARTICLE_TEXTURES));
        }
        if (!ok) {
            particle_error("%s: wrong parameter %i for texture, on particle fx %i, emiter %i", p.name, i + 1, p.fx, p.def);
            return false;
        }
    }
    return true;
}

bool line_field(PARSER &p, char *line)
{
    if (p.fx < 0) {
        particle_error("%s : No emiter defined yet", p.name);
        return false;
    }
    char field = line[1];
    char *value = std::strlen(line) >= 3 ? line + 3 : line + std::strlen(line);
    char *tok[MAX_TOKENS];
    int n = split_blanks(value, tok);
    PARTICLE_FX &fx = particle_fx_table[p.fx];
    if (field == '#') {
        if (p.def + 1 >= fx.count) {
            particle_error("%s: Too many emiters for particle fx number %i, try increasing the number", p.name, p.fx);
            return false;
        }
        p.def++;
        int32_t role = 0;
        if (n < 1 || !parse_int(tok[0], &role) || role < 0 || role > 2) {
            particle_error("%s: wrong role parameter, on particle fx %i, emiter %i", p.name, p.fx, p.def);
            return false;
        }
        fx.defs[p.def].role = static_cast<uint8_t>(role);
        return true;
    }
    if (p.def < 0) {
        particle_error("%s : No emiter defined yet", p.name);
        return false;
    }
    PARTICLE_DEF &d = fx.defs[p.def];
    switch (field) {
    case 'A':
        return field_random(p, tok, n, &d.life, PARTICLE_LIFE_UNTIL_DONE,
                            "%s: life of particle or emiter creates requires a parameter, on particle fx %i, emiter %i",
                            "%s: wrong particle life parameter, on particle fx %i, emiter %i");
    case 'B':
        if (n < 2) {
            particle_error("%s: position of emiter requires 2 parameters (x and y)separated by spaces, on particle fx %i, emiter %i",
                           p.name, p.fx, p.def);
            return false;
        }
        for (int i = 0; i < 2; i++)
            if (!parse_random(tok[i], i == 0 ? &d.x : &d.y)) {
                particle_error("%s: wrong parameter %i for position, on particle fx %i, emiter %i", p.name, i + 1, p.fx, p.def);
                return false;
            }
        return true;
    case 'C':
        return field_plain(p, field, tok, n, &d.max_particles, 0, PARTICLE_MAX_SLOTS);
    case 'D':
        return field_plain(p, field, tok, n, &d.total, INT32_MIN, INT32_MAX);
    case 'E':
        return field_plain(p, field, tok, n, &d.interval, INT32_MIN, INT32_MAX);
    case 'F':
        return field_random(p, tok, n, &d.start_creating, -3,
                            "%s: time_before_start_creating requires a parameter, on particle fx %i, emiter %i",
                            "%s: wrong time_before_start_creating parameter, on particle fx %i, emiter %i");
    case 'G':
        return field_movement(p, d, tok, n);
    case 'H':
        return field_random(p, tok, n, &d.start_moving, 0,
                            "%s: time_before_start_moving requires a parameter, on particle fx %i, emiter %i",
                            "%s: wrong time_before_start_moving parameter, on particle fx %i, emiter %i");
    case 'I':
        return field_look(p, d, tok, n);
    case 'J':
        return field_random(p, tok, n, &d.creates, 0,
                            "%s: type of particle emiter creates requires a parameters, on particle fx %i, emiter %i",
                            "%s: wrong particle type parameter, on particle fx %i, emiter %i");
    default:
        particle_error("%s: unknown field #%c, on particle fx %i, emiter %i", p.name, field, p.fx, p.def);
        return false;
    }
}

// The bitmap slot of a file, loading it on first use; -1 after an error.
int texture_bitmap(PARSER &p, const char *file, int number)
{
    int slot = particle_fx_bitmap_search(file);
    if (slot >= 0) return slot;
    uint32_t texture = 0;
    if (!particle_texture_load(&texture, file)) {
        particle_error("%s : cant load bitmap %s in texture num %i", p.name, file, number);
        return -1;
    }
    return particle_fx_bitmap_add(file, texture);
}

bool line_texture(PARSER &p, char *line)
{
    char *s = line + 1;
    while (blank(*s)) s++;
    char *digits = s;
    if (*s == '-' || *s == '+') s++;
    while (*s >= '0' && *s <= '9') s++;
    int32_t number = 0;
    if (s == digits || !parse_int(digits, s, &number)) {
        particle_error("%s : missing a texture num", p.name);
        return false;
    }
    if (number < 0 || number >= PARTICLE_TEXTURES) {
        particle_error("%s : texture num %i is out of range", p.name, number);
        return false;
    }
    PARTICLE_TEXTURE &t = particle_textures[number];
    if (t.frames != -1) {
        particle_error("%s : texture num %i is already defined", p.name, number);
        return false;
    }
    while (blank(*s) || *s == '=') s++;
    // Items between commas, blanks dropped: file, then time and file pairs.
    char *items[2 * PARTICLE_MAX_FRAMES + 2];
    int count = 0;
    for (char *item = s;;) {
        char *comma = std::strchr(item, ',');
        if (comma) *comma = 0;
        char *out = item;
        for (char *q = item; *q; q++)
            if (!blank(*q)) *out++ = *q;
        *out = 0;
        if (count == 2 * PARTICLE_MAX_FRAMES + 1) {
            particle_error("%s : texture num %i has too many frames", p.name, number);
            return false;
        }
        items[count++] = item;
        if (!comma) break;
        item = comma + 1;
    }
    int32_t time = 0;
    for (int i = 0; i < count; i += 2)
        if (!items[i][0]) {
            particle_error("%s : texture num %i is missing a filename", p.name, number);
            return false;
        }
    if (count == 2 && parse_int(items[1], &time)) {
        particle_error("%s : texture num %i has only 1 frame so it doesnt need the time parameter", p.name, number);
        return false;
    }
    if (count > 1) {
        if (count % 2) {
            particle_error("%s : texture num %i is missing a time parameter", p.name, number);
            return false;
        }
        for (int i = 1; i < count; i += 2) {
            if (!parse_int(items[i], &time)) {
                particle_error("%s : texture num %i is missing a time parameter", p.name, number);
                return false;
            }
            if (time <= 0) {
                particle_error("%s : texture num %i has a wrong time parameter (has to be more than 0)", p.name, number);
                return false;
            }
        }
    }
    int frames = (count + 1) / 2;
    if (frames > PARTICLE_MAX_FRAMES) {
        particle_error("%s : texture num %i has too many frames", p.name, number);
        return false;
    }
    if (frames == 1) {
        int slot = texture_bitmap(p, items[0], number);
        if (slot < 0) return false;
        t.bitmap = static_cast<int16_t>(slot);
        t.frames = 1;
        return true;
    }
    t.frame_bitmaps = static_cast<int16_t *>(kx_mem_calloc(static_cast<size_t>(frames), sizeof(int16_t)));
    t.frame_times = static_cast<float *>(kx_mem_calloc(static_cast<size_t>(frames), sizeof(float)));
    if (!t.frame_bitmaps || !t.frame_times) {
        particle_error("%s : not enough memory for texture animation in particle_fx_init", p.name);
        return false;
    }
    kx_mem_name(t.frame_bitmaps, "particle texture frames");
    kx_mem_name(t.frame_times, "particle texture times");
    for (int f = 0; f < frames; f++) {
        int slot = texture_bitmap(p, items[2 * f], number);
        if (slot < 0) return false;
        parse_int(items[2 * f + 1], &time);
        t.frame_bitmaps[f] = static_cast<int16_t>(slot);
        t.frame_times[f] = static_cast<float>(time);
    }
    t.bitmap = t.frame_bitmaps[0];
    t.frames = frames;
    return true;
}

bool parse_line(PARSER &p, char *line)
{
    while (blank(*line)) line++;
    switch (line[0]) {
    case '@': return line_count(p, line + 1 + std::strspn(line + 1, " \t"));
    case '!': return line_effect(p, line + 1 + std::strspn(line + 1, " \t"));
    case '#': return line_field(p, line);
    case '%': return line_texture(p, line);
    default: return true;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

int particle_fx_init_text(const char *name, const char *text, long size)
{
    particle_fx_tables_free();
    particle_error_clear();
    if (!name) name = "";
    char *line = static_cast<char *>(kx_mem_malloc(PARTICLE_LINE));
    if (!line) {
        particle_error("Not enough memory for buffer in particle_fx_init");
        return 0;
    }
    kx_mem_name(line, "particle line");
    particle_textures = static_cast<PARTICLE_TEXTURE *>(kx_mem_calloc(PARTICLE_TEXTURES, sizeof(PARTICLE_TEXTURE)));
    particle_bitmaps = static_cast<PARTICLE_BITMAP *>(kx_mem_calloc(PARTICLE_MAX_BITMAPS, sizeof(PARTICLE_BITMAP)));
    bool ok = true;
    if (!particle_textures) {
        particle_error("Not enough memory for particle textures in particle_fx_init");
        ok = false;
    } else if (!particle_bitmaps) {
        particle_error("Not enough memory for particle bitmaps in particle_fx_init");
        ok = false;
    } else {
        kx_mem_name(particle_textures, "particle textures");
        kx_mem_name(particle_bitmaps, "particle bitmaps");
        for (int i = 0; i < PARTICLE_TEXTURES; i++) particle_textures[i].frames = -1;
    }
    PARSER p = {name, -1, -1};
    long at = 0, number = 0;
    while (ok && text && at < size) {
        long start = at;
        while (at < size && text[at] != '\n') at++;
        long length = at - start;
        if (at < size) at++;
        number++;
        if (length > 0 && text[start + length - 1] == '\r') length--;
        if (length >= PARTICLE_LINE) {
            particle_error("%s : line %li is too long (at most %i characters)", name, number, PARTICLE_LINE - 1);
            ok = false;
            break;
        }
        std::memcpy(line, text + start, static_cast<size_t>(length));
        line[length] = 0;
        // A zero byte inside a line ends it, as it would for any reader of text.
        ok = parse_line(p, line);
    }
    kx_mem_free(line);
    if (ok && !particle_fx_table) {
        particle_fx_table = static_cast<PARTICLE_FX *>(kx_mem_calloc(1, sizeof(PARTICLE_FX)));
        if (particle_fx_table) kx_mem_name(particle_fx_table, "particle fx");
        particle_fx_count = 0;
        ok = particle_fx_table != nullptr;
        if (!ok) particle_error("Not enough memory for buffer in particle_fx");
    }
    if (!ok) particle_fx_tables_free();
    return ok ? 1 : 0;
}

int particle_fx_init(const char *file_name)
{
    uint32_t size = 0;
    char *text = file_name ? static_cast<char *>(kx_io_load(file_name, &size)) : nullptr;
    if (!text) {
        particle_fx_tables_free();
        particle_error("Cant open %s file", file_name ? file_name : "(null)");
        return 0;
    }
    int ok = particle_fx_init_text(file_name, text, static_cast<long>(size));
    kx_mem_free(text);
    return ok;
}
