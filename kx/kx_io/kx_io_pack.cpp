// kx_io_pack: the data pack reader. Loads the table of contents of either pack form, checks
// every field against the file before trusting it, and finds entries by name.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

static uint32_t kx_io_le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

static void kx_io_upper(char *text)
{
    for (; *text; text++)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

// Size of an open stream, or -1.
static long long kx_io_stream_size(FILE *f)
{
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f);
    return size < 0 ? -1 : size;
}

static bool kx_io_read_at(FILE *f, long long pos, void *out, size_t size)
{
    return std::fseek(f, static_cast<long>(pos), SEEK_SET) == 0 && std::fread(out, 1, size, f) == size;
}

int kx_io_pack_companion_name(const char *pack_name, const char *ext, char *out, size_t size)
{
    if (!pack_name || !ext) return 0;
    const char *dot = std::strrchr(pack_name, '.');
    const char *sep1 = std::strrchr(pack_name, '\\');
    const char *sep2 = std::strrchr(pack_name, '/');
    const char *sep = sep1 > sep2 ? sep1 : sep2;
    size_t base = dot && dot > sep ? static_cast<size_t>(dot - pack_name) : std::strlen(pack_name);
    size_t ext_len = std::strlen(ext);
    if (base + 1 + ext_len + 1 > size) return 0;
    std::memcpy(out, pack_name, base);
    out[base] = '.';
    std::memcpy(out + base + 1, ext, ext_len + 1);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Scrambling of the outside table
// ---------------------------------------------------------------------------------------------

static uint32_t kx_io_pack_step(uint32_t state, uint32_t word, const uint32_t *t)
{
    for (int i = 0; i < 4; i++) state = (state >> 8) ^ t[(state ^ (word >> (8 * i))) & 255];
    return state;
}

void kx_io_pack_words_descramble(uint8_t *data, uint32_t size, const uint32_t *t)
{
    uint32_t state = 0;
    for (uint32_t i = 0; i + 4 <= size; i += 4) {
        uint32_t w = kx_io_le32(data + i) ^ state;
        for (int b = 0; b < 4; b++) data[i + b] = static_cast<uint8_t>(w >> (8 * b));
        state = kx_io_pack_step(state, w, t);
    }
}

void kx_io_pack_words_scramble(uint8_t *data, uint32_t size, const uint32_t *t)
{
    uint32_t state = 0;
    for (uint32_t i = 0; i + 4 <= size; i += 4) {
        uint32_t w = kx_io_le32(data + i);
        uint32_t stored = w ^ state;
        for (int b = 0; b < 4; b++) data[i + b] = static_cast<uint8_t>(stored >> (8 * b));
        state = kx_io_pack_step(state, w, t);
    }
}

// ---------------------------------------------------------------------------------------------
// Table of contents
// ---------------------------------------------------------------------------------------------

// Smallest entry: two empty names and the 13 bytes of offset, size, reserved and key.
constexpr uint32_t KX_IO_PACK_MIN_ENTRY = 15;

int kx_io_pack_toc_parse(uint8_t *table, uint32_t table_size, uint32_t count, uint32_t data_end,
                         int uppercase, KX_IO_PACK_TOC *toc)
{
    *toc = KX_IO_PACK_TOC{};
    if (count > table_size / KX_IO_PACK_MIN_ENTRY) {
        kx_mem_free(table);
        kx_io_raise(0, KX_IO_ERR_PACK, "table of contents too short for %u entries", count);
        return 0;
    }
    KX_IO_PACK_ENTRY *entries = static_cast<KX_IO_PACK_ENTRY *>(kx_mem_calloc(count + 1, sizeof(KX_IO_PACK_ENTRY)));
    if (!entries) {
        kx_mem_free(table);
        kx_io_raise(0, KX_IO_ERR_PACK_MEMORY);
        return 0;
    }
    kx_mem_name(entries, "kx_io resource index");
    uint32_t pos = 0;
    for (uint32_t i = 0; i < count; i++) {
        KX_IO_PACK_ENTRY &e = entries[i];
        char *names[2];
        for (char *&n : names) {
            const void *end = pos < table_size ? std::memchr(table + pos, 0, table_size - pos) : nullptr;
            if (!end) goto damaged;
            n = reinterpret_cast<char *>(table + pos);
            pos = static_cast<uint32_t>(static_cast<const uint8_t *>(end) - table) + 1;
        }
        if (table_size - pos < 13) goto damaged;
        e.name = names[0];
        e.alt_name = names[1];
        e.offset = kx_io_le32(table + pos);
        e.size = kx_io_le32(table + pos + 4);
        e.reserved = kx_io_le32(table + pos + 8);
        e.key = table[pos + 12];
        pos += 13;
        if (e.offset > data_end || e.size > data_end - e.offset) goto damaged;
        if (uppercase) {
            kx_io_upper(e.name);
            kx_io_upper(e.alt_name);
        }
    }
    toc->table = table;
    toc->table_size = table_size;
    toc->entries = entries;
    toc->count = count;
    return 1;

damaged:
    kx_mem_free(entries);
    kx_mem_free(table);
    kx_io_raise(0, KX_IO_ERR_PACK, "damaged table of contents");
    return 0;
}

// Reads `size` bytes at `pos` of `f` into a new block; code 9 when the file is too short.
static uint8_t *kx_io_pack_block_read(FILE *f, long long file_size, long long pos, uint32_t size)
{
    if (pos < 0 || pos > file_size || size > file_size - pos) {
        kx_io_raise(0, KX_IO_ERR_PACK, "table outside the file");
        return nullptr;
    }
    uint8_t *block = static_cast<uint8_t *>(kx_mem_malloc(size ? size : 1));
    if (!block) {
        kx_io_raise(0, KX_IO_ERR_PACK_MEMORY);
        return nullptr;
    }
    kx_mem_name(block, "kx_io resource table");
    if (!kx_io_read_at(f, pos, block, size)) {
        kx_mem_free(block);
        kx_io_raise(0, KX_IO_ERR_PACK, "short read");
        return nullptr;
    }
    return block;
}

// The outside form: T from the "TOM" companion, the scrambled table from the "ROM" companion.
static uint8_t *kx_io_pack_outside_table(const char *pack_name, uint32_t *table_size)
{
    char tom_name[KX_IO_PATH_MAX], rom_name[KX_IO_PATH_MAX];
    if (!kx_io_pack_companion_name(pack_name, "TOM", tom_name, sizeof tom_name) ||
        !kx_io_pack_companion_name(pack_name, "ROM", rom_name, sizeof rom_name)) {
        kx_io_raise(0, KX_IO_ERR_PACK, "%s", pack_name);
        return nullptr;
    }
    FILE *tom = plat_files_fopen(tom_name, "rb");
    FILE *rom = plat_files_fopen(rom_name, "rb");
    uint8_t *table = nullptr;
    uint32_t t[256];
    uint8_t raw[1024];
    long long tom_size = tom ? kx_io_stream_size(tom) : -1;
    long long rom_size = rom ? kx_io_stream_size(rom) : -1;
    if (!tom || !rom) {
        kx_io_raise(0, KX_IO_ERR_PACK, "%s", tom ? rom_name : tom_name);
    } else if (tom_size < 2048 || rom_size < 2048 || !kx_io_read_at(tom, 2044, raw, 4) ||
               kx_io_le32(raw) > tom_size - 1024 || !kx_io_read_at(tom, kx_io_le32(raw), raw, 1024)) {
        kx_io_raise(0, KX_IO_ERR_PACK, "%s", tom_name);
    } else {
        for (int i = 0; i < 256; i++) t[i] = kx_io_le32(raw + 4 * i);
        uint8_t word[4];
        long long at = 0;
        if (!kx_io_read_at(rom, 2044, word, 4) || (at = kx_io_le32(word)) > rom_size - 4 ||
            !kx_io_read_at(rom, at, word, 4)) {
            kx_io_raise(0, KX_IO_ERR_PACK, "%s", rom_name);
        } else {
            *table_size = kx_io_le32(word);
            table = kx_io_pack_block_read(rom, rom_size, at + 4, *table_size);
            if (table) kx_io_pack_words_descramble(table, *table_size, t);
        }
    }
    if (tom) std::fclose(tom);
    if (rom) std::fclose(rom);
    return table;
}

int kx_io_pack_toc_read(const char *pack_name, int uppercase, KX_IO_PACK_TOC *toc)
{
    *toc = KX_IO_PACK_TOC{};
    FILE *f = pack_name ? plat_files_fopen(pack_name, "rb") : nullptr;
    if (!f) {
        kx_io.last_error = KX_IO_ERR_OPEN;
        return 0;
    }
    long long size = kx_io_stream_size(f);
    uint8_t trailer[KX_IO_PACK_TRAILER];
    if (size <= 8 || size < KX_IO_PACK_TRAILER || size > 0xFFFFFFFFll ||
        !kx_io_read_at(f, size - KX_IO_PACK_TRAILER, trailer, sizeof trailer)) {
        std::fclose(f);
        kx_io_raise(0, KX_IO_ERR_PACK, "%s", pack_name);
        return 0;
    }
    uint32_t magic = kx_io_le32(trailer);
    uint32_t table_offset = kx_io_le32(trailer + 4);
    uint32_t count = kx_io_le32(trailer + 8);
    uint8_t key = trailer[12];
    uint32_t data_end = static_cast<uint32_t>(size - KX_IO_PACK_TRAILER);

    uint8_t *table = nullptr;
    uint32_t table_size = 0;
    if (magic == KX_IO_PACK_INSIDE) {
        if (table_offset >= size - KX_IO_PACK_TRAILER) {
            kx_io_raise(0, KX_IO_ERR_PACK, "%s", pack_name);
        } else {
            table_size = static_cast<uint32_t>(size - table_offset - KX_IO_PACK_TRAILER);
            table = kx_io_pack_block_read(f, size, table_offset, table_size);
            data_end = table_offset;
        }
    } else if (magic == KX_IO_PACK_OUTSIDE) {
        table = kx_io_pack_outside_table(pack_name, &table_size);
    } else {
        kx_io_raise(0, KX_IO_ERR_PACK, "%s", pack_name);
    }
    std::fclose(f);
    if (!table) return 0;
    for (uint32_t i = 0; i < table_size; i++) table[i] ^= key;
    if (!kx_io_pack_toc_parse(table, table_size, count, data_end, uppercase, toc)) return 0;
    toc->magic = magic;
    return 1;
}

void kx_io_pack_toc_free(KX_IO_PACK_TOC *toc)
{
    if (!toc) return;
    if (toc->entries) kx_mem_free(toc->entries);
    if (toc->table) kx_mem_free(toc->table);
    *toc = KX_IO_PACK_TOC{};
}

// ---------------------------------------------------------------------------------------------
// Lookup
// ---------------------------------------------------------------------------------------------

uint32_t kx_io_pack_find(const char *name)
{
    if (!kx_io.toc.entries || !name || !*name) return 0;
    char upper[KX_IO_PATH_MAX];
    if (!kx_io_strcpy(upper, sizeof upper, name)) return 0;
    kx_io_upper(upper);
    for (uint32_t i = 0; i < kx_io.toc.count; i++) {
        const KX_IO_PACK_ENTRY &e = kx_io.toc.entries[i];
        if (std::strcmp(e.name, upper) == 0 || std::strcmp(e.alt_name, upper) == 0) return i + 1;
    }
    return 0;
}
