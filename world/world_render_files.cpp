// The renderer's data files: the transparency tables ("data\\transp.tab": a count byte and that
// many 256 x 256 blend tables) and the editor font ("data\\font.dat": 224 glyphs of 7 row bytes,
// 5 pixels each with bit 4 leftmost), and the drawing of editor texts as white points.
#include "world/world_render.h"
#include "world/world_render_local.h"

#include "world/world.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

uint8_t world_table_count;
uint8_t *world_tables;
uint8_t *world_editor_font;

namespace {

// Signs after a-z, A-Z and 0-9 in the editor font, in glyph order from 62.
const char FONT_SIGNS[] = " !\"#$%&'()*+,-./:;=?@";
static_assert(sizeof FONT_SIGNS - 1 == 21, "the font has 21 signs");

constexpr int GLYPH_BYTES = 7;

} // namespace

// ---------------------------------------------------------------------------------------------
// Transparency tables
// ---------------------------------------------------------------------------------------------

int load_transparency_tables(const char *file_name)
{
    free_transparency_tables();
    KX_IO *file = file_name ? kx_io_fopen(file_name, "rb") : nullptr;
    if (!file) {
        world_fatal("Cant open transparency table %d\n", 0);
        return 0;
    }
    uint8_t count = 0;
    if (kx_io_fread(&count, 1, 1, file) != 1 || count == 0) {
        kx_io_fclose(file);
        world_fatal("Cant open transparency table %d\n", 0);
        return 0;
    }
    world_tables = static_cast<uint8_t *>(kx_mem_malloc(static_cast<size_t>(count) * WORLD_TABLE_BYTES));
    if (!world_tables) {
        kx_io_fclose(file);
        world_fatal("Not enough memory for transparency tables");
        return 0;
    }
    kx_mem_name(world_tables, "transparency tables");
    // A short file names the first table it lacks rather than leaving garbage behind.
    for (int t = 0; t < count; t++) {
        if (kx_io_fread(world_tables + static_cast<size_t>(t) * WORLD_TABLE_BYTES, 1, WORLD_TABLE_BYTES, file) !=
            static_cast<size_t>(WORLD_TABLE_BYTES)) {
            kx_io_fclose(file);
            free_transparency_tables();
            world_fatal("Cant open transparency table %d\n", t);
            return 0;
        }
    }
    kx_io_fclose(file);
    world_table_count = count;
    return 1;
}

void free_transparency_tables()
{
    if (world_tables) kx_mem_free(world_tables);
    world_tables = nullptr;
    world_table_count = 0;
}

// ---------------------------------------------------------------------------------------------
// Editor font
// ---------------------------------------------------------------------------------------------

int load_editor_font(const char *file_name)
{
    free_editor_font();
    KX_IO *file = file_name ? kx_io_fopen(file_name, "rb") : nullptr;
    if (!file) {
        world_fatal("Cant open the file %s\n", file_name ? file_name : "(null)");
        return 0;
    }
    world_editor_font = static_cast<uint8_t *>(kx_mem_calloc(WORLD_FONT_GLYPHS, GLYPH_BYTES));
    if (!world_editor_font) {
        kx_io_fclose(file);
        world_fatal("Not enough RAM to load the font %s\n", file_name);
        return 0;
    }
    kx_mem_name(world_editor_font, "editor font");
    size_t got = kx_io_fread(world_editor_font, 1, WORLD_FONT_GLYPHS * GLYPH_BYTES, file);
    kx_io_fclose(file);
    if (got != static_cast<size_t>(WORLD_FONT_GLYPHS * GLYPH_BYTES)) {
        free_editor_font();
        world_fatal("Cant open the file %s\n", file_name);
        return 0;
    }
    return 1;
}

void free_editor_font()
{
    if (world_editor_font) kx_mem_free(world_editor_font);
    world_editor_font = nullptr;
}

int world_font_glyph(unsigned char ch)
{
    if (ch >= 'a' && ch <= 'z') return ch - 'a';
    if (ch >= 'A' && ch <= 'Z') return 26 + ch - 'A';
    if (ch >= '0' && ch <= '9') return 52 + ch - '0';
    const char *at = ch ? std::strchr(FONT_SIGNS, ch) : nullptr;
    return at ? 62 + static_cast<int>(at - FONT_SIGNS) : -1;
}

void world_font_text(const char *text, int x, int y)
{
    if (!world_editor_font || !text) return;
    float xy[2 * 35];
    for (; *text; text++, x += WORLD_FONT_ADVANCE) {
        int glyph = world_font_glyph(static_cast<unsigned char>(*text));
        if (glyph < 0) continue;
        int n = 0;
        for (int row = 0; row < GLYPH_BYTES; row++) {
            uint8_t bits = world_editor_font[glyph * GLYPH_BYTES + row];
            for (int col = 0; col < 5; col++)
                if (bits & (0x10 >> col)) {
                    xy[2 * n] = static_cast<float>(x + col);
                    xy[2 * n + 1] = static_cast<float>(y + row);
                    n++;
                }
        }
        world_sink()->points(xy, n);
    }
}
