// kx_io_pack_write: builds a data pack in either form from a list of files. The keys and the
// word table are derived from the names, so the same input always gives the same bytes. Each
// file is written under a temporary name and renamed into place once complete.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

#include <cstdarg>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

static void kx_io_pw_error(char *error, const char *format, ...)
{
    if (!error) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(error, 256, format, args);
    va_end(args);
}

static uint32_t kx_io_pw_hash(uint32_t h, const char *text)
{
    for (; *text; text++) {
        char c = *text;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    return h;
}

static uint8_t kx_io_pw_key(uint32_t h)
{
    uint8_t k = static_cast<uint8_t>(h ^ h >> 8 ^ h >> 16 ^ h >> 24);
    return k ? k : 0xA5;
}

static uint32_t kx_io_pw_random(uint32_t *state)
{
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *state = x;
}

static void kx_io_pw_put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

static bool kx_io_pw_same_name(const char *a, const char *b)
{
    for (;; a++, b++) {
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
        if (!x) return true;
    }
}

// Writes `size` bytes to a temporary file beside `name`, syncs it and renames it over `name`.
static bool kx_io_pw_file_write(const char *name, const uint8_t *data, uint32_t size, char *error)
{
    char temp[KX_IO_PATH_MAX];
    if (!kx_io_join(temp, sizeof temp, name, ".tmp")) {
        kx_io_pw_error(error, "%s: name too long", name);
        return false;
    }
    FILE *f = plat_files_fopen(temp, "wb");
    bool ok = f && std::fwrite(data, 1, size, f) == size && plat_files_sync(f) == 0;
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok || plat_files_replace(temp, name) != 0) {
        plat_files_remove(temp);
        kx_io_pw_error(error, "%s: cannot write", name);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------------------------

int kx_io_pack_write(const char *pack_name, uint32_t magic, const KX_IO_PACK_SOURCE *sources,
                     uint32_t count, char *error)
{
    if (error) error[0] = 0;
    if (!pack_name || (magic != KX_IO_PACK_INSIDE && magic != KX_IO_PACK_OUTSIDE) || (count && !sources)) {
        kx_io_pw_error(error, "bad arguments");
        return 0;
    }
    if (count == 0 && magic == KX_IO_PACK_INSIDE) {
        kx_io_pw_error(error, "nothing to pack");
        return 0;
    }

    // Names: present, no '/', unique whatever their case (lookups ignore case).
    uint64_t table_size = 0;
    uint32_t table_hash = 2166136261u ^ count;
    for (uint32_t i = 0; i < count; i++) {
        const KX_IO_PACK_SOURCE &s = sources[i];
        const char *alt = s.alt_name ? s.alt_name : "";
        if (!s.name || !*s.name || !s.disk_path || std::strchr(s.name, '/') || std::strchr(alt, '/')) {
            kx_io_pw_error(error, "entry %u: bad name", i);
            return 0;
        }
        for (uint32_t j = 0; j < i; j++) {
            if (kx_io_pw_same_name(sources[j].name, s.name)) {
                kx_io_pw_error(error, "'%s' and '%s' differ only in case", sources[j].name, s.name);
                return 0;
            }
        }
        table_size += std::strlen(s.name) + std::strlen(alt) + 2 + 13;
        table_hash = kx_io_pw_hash(table_hash, s.name);
    }
    if (table_size > 0x7FFFFFFF) {
        kx_io_pw_error(error, "table of contents too large");
        return 0;
    }
    uint8_t table_key = kx_io_pw_key(table_hash);

    uint8_t *table = static_cast<uint8_t *>(kx_mem_malloc(table_size + 4));
    uint8_t *buffer = static_cast<uint8_t *>(kx_mem_malloc(65536));
    char temp[KX_IO_PATH_MAX];
    FILE *out = nullptr;
    FILE *in = nullptr;
    uint64_t pos = 0;
    uint32_t tpos = 0;
    int ok = 0;
    if (!table || !buffer) {
        kx_io_pw_error(error, "not enough memory");
        goto done;
    }
    if (!kx_io_join(temp, sizeof temp, pack_name, ".tmp") || !(out = plat_files_fopen(temp, "wb"))) {
        kx_io_pw_error(error, "%s: cannot create", pack_name);
        goto done;
    }

    for (uint32_t i = 0; i < count; i++) {
        const KX_IO_PACK_SOURCE &s = sources[i];
        const char *alt = s.alt_name ? s.alt_name : "";
        uint8_t key = kx_io_pw_key(kx_io_pw_hash(2166136261u, s.name));
        in = plat_files_fopen(s.disk_path, "rb");
        if (!in) {
            kx_io_pw_error(error, "%s: cannot read", s.disk_path);
            goto done;
        }
        uint64_t start = pos;
        size_t got;
        while ((got = std::fread(buffer, 1, 65536, in)) > 0) {
            for (size_t b = 0; b < got; b++) buffer[b] ^= key;
            if (std::fwrite(buffer, 1, got, out) != got) {
                kx_io_pw_error(error, "%s: cannot write", pack_name);
                goto done;
            }
            pos += got;
            if (pos + table_size + KX_IO_PACK_TRAILER > 0xFFFFFFFFull) {
                kx_io_pw_error(error, "pack would exceed 4 GB");
                goto done;
            }
        }
        if (std::ferror(in)) {
            kx_io_pw_error(error, "%s: cannot read", s.disk_path);
            goto done;
        }
        std::fclose(in);
        in = nullptr;

        size_t n = std::strlen(s.name) + 1, a = std::strlen(alt) + 1;
        std::memcpy(table + tpos, s.name, n);
        std::memcpy(table + tpos + n, alt, a);
        tpos += static_cast<uint32_t>(n + a);
        kx_io_pw_put32(table + tpos, static_cast<uint32_t>(start));
        kx_io_pw_put32(table + tpos + 4, static_cast<uint32_t>(pos - start));
        kx_io_pw_put32(table + tpos + 8, 0);
        table[tpos + 12] = key;
        tpos += 13;
    }
    for (uint32_t i = 0; i < tpos; i++) table[i] ^= table_key;

    {
        uint8_t trailer[KX_IO_PACK_TRAILER];
        kx_io_pw_put32(trailer, magic);
        kx_io_pw_put32(trailer + 4, static_cast<uint32_t>(pos));
        kx_io_pw_put32(trailer + 8, count);
        trailer[12] = table_key;

        if (magic == KX_IO_PACK_OUTSIDE) {
            // Companions: 2044 bytes of filler, then the position of their payload at 2044.
            uint32_t seed = table_hash | 1;
            uint32_t t[256];
            uint8_t tom[2048 + 1024];
            for (uint32_t &w : t) w = kx_io_pw_random(&seed);
            for (int i = 0; i < 2044; i++) tom[i] = static_cast<uint8_t>(kx_io_pw_random(&seed));
            kx_io_pw_put32(tom + 2044, 2048);
            for (int i = 0; i < 256; i++) kx_io_pw_put32(tom + 2048 + 4 * i, t[i]);
            kx_io_pack_words_scramble(table, tpos, t);

            uint8_t *rom = static_cast<uint8_t *>(kx_mem_malloc(2048 + 4 + tpos));
            char rom_name[KX_IO_PATH_MAX], tom_name[KX_IO_PATH_MAX];
            if (!rom) {
                kx_io_pw_error(error, "not enough memory");
                goto done;
            }
            for (int i = 0; i < 2044; i++) rom[i] = static_cast<uint8_t>(kx_io_pw_random(&seed));
            kx_io_pw_put32(rom + 2044, 2048);
            kx_io_pw_put32(rom + 2048, tpos);
            std::memcpy(rom + 2052, table, tpos);
            bool written = kx_io_pack_companion_name(pack_name, "ROM", rom_name, sizeof rom_name) &&
                           kx_io_pack_companion_name(pack_name, "TOM", tom_name, sizeof tom_name) &&
                           kx_io_pw_file_write(tom_name, tom, sizeof tom, error) &&
                           kx_io_pw_file_write(rom_name, rom, 2052 + tpos, error);
            kx_mem_free(rom);
            if (!written) {
                if (error && !error[0]) kx_io_pw_error(error, "%s: name too long", pack_name);
                goto done;
            }
        } else if (std::fwrite(table, 1, tpos, out) != tpos) {
            kx_io_pw_error(error, "%s: cannot write", pack_name);
            goto done;
        }
        if (std::fwrite(trailer, 1, sizeof trailer, out) != sizeof trailer || plat_files_sync(out) != 0) {
            kx_io_pw_error(error, "%s: cannot write", pack_name);
            goto done;
        }
    }
    ok = std::fclose(out) == 0;
    out = nullptr;
    if (!ok || plat_files_replace(temp, pack_name) != 0) {
        ok = 0;
        kx_io_pw_error(error, "%s: cannot write", pack_name);
    }

done:
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    if (!ok && table && buffer) plat_files_remove(temp);
    if (table) kx_mem_free(table);
    if (buffer) kx_mem_free(buffer);
    return ok;
}
