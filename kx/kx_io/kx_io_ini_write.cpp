// kx_io_ini_write: writing keys of INI-style string files. A write builds the whole new file
// beside the old one, forces it to the disk and renames it over the old one, so the old
// settings stay intact until the new ones are complete, whenever the program dies.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

// One line of a file held in memory: its text and its ending ("\r\n", "\n", "\r" or none).
struct KX_IO_INI_SPAN {
    const char *text;
    size_t length;
    const char *ending;
    size_t ending_length;
};

// Splits off the line at `pos`; false at the end of the data.
static bool kx_io_ini_next_line(const char *data, size_t size, size_t *pos, KX_IO_INI_SPAN *line)
{
    if (*pos >= size) return false;
    size_t start = *pos, i = start;
    while (i < size && data[i] != '\n' && data[i] != '\r') i++;
    line->text = data + start;
    line->length = i - start;
    line->ending = data + i;
    line->ending_length = 0;
    if (i < size) {
        line->ending_length = 1;
        if (i + 1 < size && data[i] == '\r' && data[i + 1] == '\n') line->ending_length = 2;
    }
    *pos = i + line->ending_length;
    return true;
}

static bool kx_io_ini_span_is_section(const KX_IO_INI_SPAN &line, const char *section)
{
    size_t n = std::strlen(section);
    return line.length >= n + 2 && line.text[0] == '[' && std::memcmp(line.text + 1, section, n) == 0 &&
           line.text[n + 1] == ']';
}

static bool kx_io_ini_span_is_key(const KX_IO_INI_SPAN &line, const char *key)
{
    size_t n = std::strlen(key);
    return line.length >= n + 1 && std::memcmp(line.text, key, n) == 0 && line.text[n] == '=';
}

// The new file being written: a stream and whether every write so far succeeded.
struct KX_IO_INI_OUT {
    FILE *f;
    bool ok;
    const char *eol;
};

static void kx_io_ini_put(KX_IO_INI_OUT *out, const char *text, size_t length)
{
    if (length && std::fwrite(text, 1, length, out->f) != length) out->ok = false;
}

static void kx_io_ini_put_line(KX_IO_INI_OUT *out, const KX_IO_INI_SPAN &line)
{
    kx_io_ini_put(out, line.text, line.length);
    // The last line may have no ending; it gets one, or the next line would join it.
    if (line.ending_length)
        kx_io_ini_put(out, line.ending, line.ending_length);
    else
        kx_io_ini_put(out, out->eol, std::strlen(out->eol));
}

static void kx_io_ini_put_key(KX_IO_INI_OUT *out, const char *key, const char *value)
{
    kx_io_ini_put(out, key, std::strlen(key));
    kx_io_ini_put(out, "=", 1);
    kx_io_ini_put(out, value, std::strlen(value));
    kx_io_ini_put(out, out->eol, std::strlen(out->eol));
}

// Writes the old contents with the key set: an existing key keeps its line's place; a new key
// goes at the end of the section's first block of lines; a new section goes at the end.
static void kx_io_ini_rewrite(KX_IO_INI_OUT *out, const char *data, size_t size, const char *section,
                              const char *key, const char *value)
{
    KX_IO_INI_SPAN line;
    size_t pos = 0;
    bool in_section = false;
    while (!in_section && kx_io_ini_next_line(data, size, &pos, &line)) {
        kx_io_ini_put_line(out, line);
        in_section = kx_io_ini_span_is_section(line, section);
    }
    if (!in_section) {
        kx_io_ini_put(out, out->eol, std::strlen(out->eol));
        kx_io_ini_put(out, "[", 1);
        kx_io_ini_put(out, section, std::strlen(section));
        kx_io_ini_put(out, "]", 1);
        kx_io_ini_put(out, out->eol, std::strlen(out->eol));
        kx_io_ini_put_key(out, key, value);
        return;
    }

    // Is the key already somewhere in this section?
    bool exists = false;
    size_t look = pos;
    KX_IO_INI_SPAN probe;
    while (!exists && kx_io_ini_next_line(data, size, &look, &probe) && !(probe.length && probe.text[0] == '['))
        exists = kx_io_ini_span_is_key(probe, key);

    bool written = false;
    while (kx_io_ini_next_line(data, size, &pos, &line)) {
        if (!written) {
            bool ends_block = line.length == 0 || line.text[0] == '[';
            if (exists ? kx_io_ini_span_is_key(line, key) : ends_block) {
                kx_io_ini_put_key(out, key, value);
                written = true;
                if (exists) continue;
            }
        }
        kx_io_ini_put_line(out, line);
    }
    if (!written) kx_io_ini_put_key(out, key, value);
}

// Reads a whole disk file into a new block (with a terminating NUL). Null with *missing set
// when there is no such file; null alone when it exists but cannot be read.
static char *kx_io_ini_disk_load(const char *path, size_t *size, bool *missing)
{
    *missing = !plat_files_exists(path);
    if (*missing) return nullptr;
    FILE *f = plat_files_fopen(path, "rb");
    if (!f) return nullptr;
    char *data = nullptr;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    if (length >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
        data = static_cast<char *>(kx_mem_malloc(static_cast<size_t>(length) + 1));
        if (data && std::fread(data, 1, static_cast<size_t>(length), f) != static_cast<size_t>(length)) {
            kx_mem_free(data);
            data = nullptr;
        }
    }
    std::fclose(f);
    if (data) {
        data[length] = 0;
        *size = static_cast<size_t>(length);
    }
    return data;
}

// Where a write of `file` goes on disk; 0 when the path does not fit.
static int kx_io_ini_write_path(const char *file, char *path)
{
    if (kx_io_write_folder_get(file, path)) return kx_io_join(path, KX_IO_PATH_MAX, path, file);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Holding the writes to one file
// ---------------------------------------------------------------------------------------------

static char kx_io_ini_held[KX_IO_PATH_MAX];     // the held file's path, "" when none
static char kx_io_ini_stage[KX_IO_PATH_MAX];    // its staging copy
static bool kx_io_ini_staged;                   // a held write has made the staging copy
static int kx_io_ini_depth;                     // holds of the held file not yet ended

int kx_io_ini_hold(const char *file)
{
    if (!file || !*file) return 0;
    char path[KX_IO_PATH_MAX];
    if (!kx_io_ini_write_path(file, path)) return 0;
    if (kx_io_ini_held[0]) {
        if (std::strcmp(path, kx_io_ini_held) != 0) return 0;
        kx_io_ini_depth++;
        return 1;
    }
    if (!kx_io_join(kx_io_ini_stage, sizeof kx_io_ini_stage, path, ".new")) return 0;
    std::strcpy(kx_io_ini_held, path);
    kx_io_ini_staged = false;
    kx_io_ini_depth = 1;
    return 1;
}

int kx_io_ini_hold_end()
{
    if (kx_io_ini_depth > 1) {
        kx_io_ini_depth--;
        return 1;
    }
    int ok = !kx_io_ini_staged || plat_files_replace(kx_io_ini_stage, kx_io_ini_held) == 0;
    kx_io_ini_depth = 0;
    kx_io_ini_held[0] = 0;
    kx_io_ini_staged = false;
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

int kx_io_ini_set_string(const char *section, const char *key, const char *value, const char *file)
{
    if (!section || !key || !value || !file || !*file) return 0;
    if (kx_io_exists(file, KX_IO_WHERE_KX) & 1) return kx_io_ini_replace(section, key, value, file);

    // A held file is read from its staging copy once there is one, and written to it.
    char path[KX_IO_PATH_MAX], source[KX_IO_PATH_MAX], temp[KX_IO_PATH_MAX];
    if (!kx_io_ini_write_path(file, path)) return 0;
    const bool held = kx_io_ini_held[0] && std::strcmp(path, kx_io_ini_held) == 0;
    std::strcpy(source, held && kx_io_ini_staged ? kx_io_ini_stage : path);
    if (held) std::strcpy(path, kx_io_ini_stage);
    if (!kx_io_join(temp, sizeof temp, path, ".tmp")) return 0;

    size_t size = 0;
    bool missing = false;
    char *old = kx_io_ini_disk_load(source, &size, &missing);
    if (!old && !missing) {
        kx_io_raise(0, KX_IO_ERR_READ, "%s", source);
        return 0;
    }

    KX_IO_INI_OUT out = {plat_files_fopen(temp, "wb"), true, "\n"};
    if (!out.f) {
        if (old) kx_mem_free(old);
        kx_io_raise(0, KX_IO_ERR_OPEN, "%s", temp);
        return 0;
    }
    if (!old) {
        kx_io_ini_put(&out, "[", 1);
        kx_io_ini_put(&out, section, std::strlen(section));
        kx_io_ini_put(&out, "]\n", 2);
        kx_io_ini_put_key(&out, key, value);
    } else {
        // New lines follow the file's own line ending.
        const char *nl = static_cast<const char *>(std::memchr(old, '\n', size));
        if (nl && nl > old && nl[-1] == '\r') out.eol = "\r\n";
        kx_io_ini_rewrite(&out, old, size, section, key, value);
        kx_mem_free(old);
    }
    if (plat_files_sync(out.f) != 0) out.ok = false;
    if (std::fclose(out.f) != 0) out.ok = false;
    if (!out.ok || plat_files_replace(temp, path) != 0) {
        plat_files_remove(temp);
        kx_io_raise(0, KX_IO_ERR_WRITE, "%s", path);
        return 0;
    }
    if (held) kx_io_ini_staged = true;
    return 1;
}

int kx_io_ini_set_int(const char *section, const char *key, int value, const char *file)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d", value);
    return kx_io_ini_set_string(section, key, text, file);
}

int kx_io_ini_set_float(const char *section, const char *key, float value, const char *file)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return kx_io_ini_set_string(section, key, text, file);
}

// ---------------------------------------------------------------------------------------------
// Replacing in place
// ---------------------------------------------------------------------------------------------

int kx_io_ini_replace(const char *section, const char *key, const char *value, const char *file)
{
    if (!section || !key || !value || !file) return 0;
    KX_IO *f = kx_io_fopen(file, "r+t");
    if (!f) return 0;

    char line[1024];
    bool found = false;
    while (!found && kx_io_fgets(line, sizeof line, f)) {
        size_t n = std::strlen(section);
        found = line[0] == '[' && std::strncmp(line + 1, section, n) == 0 && line[n + 1] == ']';
    }
    if (!found) {
        kx_io_raise(0, KX_IO_ERR_INI_SECTION, "%s, [%s]", file, section);
        kx_io_fclose(f);
        return 0;
    }

    size_t key_length = std::strlen(key);
    long pos = kx_io_ftell(f);
    while (kx_io_fgets(line, sizeof line, f)) {
        if (line[0] == 0 || line[0] == '[') break;
        if (std::strncmp(line, key, key_length) == 0 && line[key_length] == '=') {
            char text[1024];
            int length = std::snprintf(text, sizeof text, "%s=%s", key, value);
            int rc = 0;
            if (length < 0 || static_cast<size_t>(length) != std::strlen(line)) {
                kx_io_raise(0, KX_IO_ERR_INI_SIZE, "%s, [%s]%s=%s", file, section, key, value);
            } else if (kx_io_fseek(f, pos, 0) == 0 && kx_io_fputs(text, f) >= 0) {
                rc = 1;
            }
            if (kx_io_fclose(f) != 0) rc = 0;
            return rc;
        }
        pos = kx_io_ftell(f);
    }
    kx_io_raise(0, KX_IO_ERR_INI_KEY, "%s, [%s]%s", file, section, key);
    kx_io_fclose(f);
    return 0;
}
