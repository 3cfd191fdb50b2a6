// kx_io: file access for the engine. One way to open a file by name, whether it lies inside the
// read-only data pack or on disk; memory files; whole-file helpers; the per-user folder and the
// settings file; INI-style string files; running the set-up tools; the pack writer of the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Types and constants
// ---------------------------------------------------------------------------------------------

// Settings handed to kx_io_init; kept by pointer for the module's lifetime.
struct KX_IO_SETTINGS {
    int32_t report;              // nonzero: errors are reported through kx_error
    int32_t spare;
    const char *pack_name;       // data pack file; null or empty: everything comes from disk
    const char *settings_name;   // the engine's settings file (may be set later, see below)
};

// Access bits of a handle.
enum : uint32_t {
    KX_IO_READ = 1,
    KX_IO_WRITE = 2,
    KX_IO_MEMORY = 16,
};

// One open file. Callers treat it as opaque and go through the functions below.
struct KX_IO {
    FILE *stream;          // disk file, or this handle's own stream on the pack file
    char *name;            // the name the caller passed
    char *full_path;       // the path that opened, when found in a per-user folder
    uint32_t open;         // 1 once the open succeeded
    uint32_t entry;        // 0: disk file; else the 1-based index of the pack entry
    uint32_t access;       // KX_IO_READ | KX_IO_WRITE | KX_IO_MEMORY
    uint8_t *mem_data;     // contents of a memory file (a kx_mem block owned by the handle)
    uint32_t mem_size;
    uint32_t mem_pos;      // position in a memory file or a pack entry
    uint32_t offset;       // pack entry: first byte in the pack
    uint32_t size;         // pack entry: length
    uint8_t key;           // pack entry: scramble key
    KX_IO *next;           // the module's open-file list
};

// Error codes of the "File I/O" module.
enum {
    KX_IO_ERR_MALLOC = 0,
    KX_IO_ERR_OPEN = 1,
    KX_IO_ERR_WRITE = 2,
    KX_IO_ERR_READ = 3,
    KX_IO_ERR_CLOSE = 4,
    KX_IO_ERR_RENAME = 5,
    KX_IO_ERR_REMOVE = 6,
    KX_IO_ERR_NULL_HANDLE = 7,
    KX_IO_ERR_NOT_CLOSED = 8,
    KX_IO_ERR_PACK = 9,
    KX_IO_ERR_PACK_MEMORY = 10,
    KX_IO_ERR_PACK_OPEN = 11,
    KX_IO_ERR_INI_SECTION = 13,
    KX_IO_ERR_INI_KEY = 14,
    KX_IO_ERR_INI_SIZE = 15,
    KX_IO_ERR_NO_MEMORY = 16,
    KX_IO_ERR_BUFFER = 17,
    KX_IO_ERR_MODE = 18,
    KX_IO_ERR_READ_ONLY = 19,
    KX_IO_ERR_WRITE_ONLY = 20,
    KX_IO_ERR_INI_NULL = 21,
    KX_IO_ERR_INI_OPEN = 22,
    KX_IO_ERR_INI_NOT_OPEN = 23,
    KX_IO_ERR_PACK_END = 24,
    KX_IO_ERR_PACK_WRITE = 25,
    KX_IO_ERR_8_3 = 26,
    KX_IO_ERR_SLASH = 27,
};

// Where kx_io_exists, kx_io_copy look.
enum {
    KX_IO_WHERE_KX = 1,      // through kx_io_fopen: pack first, then disk
    KX_IO_WHERE_DISK = 2,    // on disk only
};

// Data pack magics.
constexpr uint32_t KX_IO_PACK_INSIDE = 0xBABEFACEu;    // table of contents inside the pack
constexpr uint32_t KX_IO_PACK_OUTSIDE = 0xCDCEDECDu;   // table in the ROM/TOM companions
constexpr int KX_IO_PACK_TRAILER = 13;
constexpr int KX_IO_PATH_MAX = 1024;

// INI modes of kx_io_ini_set_mode.
enum {
    KX_IO_INI_KEEP_OPEN = 1,
    KX_IO_INI_KEEP_CLOSE = 2,
    KX_IO_INI_QUIET_KEY_ON = 4,
    KX_IO_INI_QUIET_KEY_OFF = 8,
    KX_IO_INI_QUIET_SECTION_ON = 16,
    KX_IO_INI_QUIET_SECTION_OFF = 32,
};

// ---------------------------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------------------------

int kx_io_init(KX_IO_SETTINGS *settings);
int kx_io_deinit();

// The last error code this module raised (-1: none since kx_io_error_clear). For tools and tests.
int kx_io_error_get();
void kx_io_error_clear();
const char *kx_io_error_text(int code);

long kx_io_bytes_read_get();
void kx_io_bytes_read_set(long bytes);

// ---------------------------------------------------------------------------------------------
// Handles
// ---------------------------------------------------------------------------------------------

KX_IO *kx_io_fopen(const char *name, const char *mode);
// A read-only handle over `data` (a kx_mem block that the handle owns and frees on close).
KX_IO *kx_io_mem_open(const char *name, void *data, uint32_t size);
int kx_io_fclose(KX_IO *file);
size_t kx_io_fread(void *buffer, size_t size, size_t count, KX_IO *file);
long kx_io_fwrite(const void *buffer, size_t size, size_t count, KX_IO *file);
int kx_io_fgetc(KX_IO *file);
char *kx_io_fgets(char *buffer, int size, KX_IO *file);
int kx_io_fputc(int c, KX_IO *file);
int kx_io_fputs(const char *text, KX_IO *file);
int kx_io_fprintf(KX_IO *file, const char *format, ...);
int kx_io_flush(KX_IO *file);
int kx_io_fseek(KX_IO *file, long offset, int origin);
long kx_io_ftell(KX_IO *file);
void kx_io_rewind(KX_IO *file);
int kx_io_feof(KX_IO *file);
int kx_io_open_count();

// ---------------------------------------------------------------------------------------------
// Folders and whole files
// ---------------------------------------------------------------------------------------------

int kx_io_fgetdir(const char *path, char *out, int size);
int kx_io_exists(const char *name, int where);
int kx_io_copy(const char *destination, const char *source, int where);
void *kx_io_load(const char *name, uint32_t *size);
// Writes a whole file (a bare name goes to the per-user folder) through a temporary file that is
// forced to the disk and renamed over the name: a crash mid-write leaves the old or the new file.
int kx_io_save(const char *name, const void *data, uint32_t size);
int kx_io_remove(const char *name);
// Creates a disk folder (one level); 1 when it exists afterwards.
int kx_io_folder_make(const char *name);
// Calls `fn` with the name of every file in a disk folder; how many, or -1 when it cannot be read.
int kx_io_folder_list(const char *name, void (*fn)(const char *file_name, void *context), void *context);
// The disk path of a name relative to the per-user folder (the override folder when there is
// one), such as "levels\\mine.txt"; the name itself when files go to the current directory. `out`
// holds KX_IO_PATH_MAX bytes; 0 when the path does not fit.
int kx_io_private_path_get(const char *name, char *out);
// Last change of a disk file, in nanoseconds since 1970 (for ordering); -1 when it is missing.
long long kx_io_file_time(const char *name);
// `out` holds KX_IO_PATH_MAX bytes. 1: out is a folder to put before the name; 0: out is the name.
int kx_io_write_folder_get(const char *name, char *out);
// The settings file: in the override folder when there is one, else in the settings folder, else
// in the per-user folder, else the bare name (current directory).
const char *kx_io_settings_path_get();
int kx_io_run(const char *program);
int kx_io_run_wait(const char *program);

// The per-user folder (…\Pellovar\<title>\), the settings folder (<config home>\<title in
// lower case>\) and the settings file; see kx_io_settings.cpp.
int kx_io_app_folder_init(const char *settings_name, const char *title);
int kx_io_settings_prepare(const char *settings_name, const char *title);
const char *kx_io_user_folder_get();      // null when files go to the current directory
const char *kx_io_settings_folder_get();  // null when the settings file stays with the others
const char *kx_io_override_folder_get();  // null unless U3_APP_DATA_PATH is set
// The title with the characters a folder name may not hold replaced by '_'.
void kx_io_title_to_folder(const char *title, char *out, size_t size);

// ---------------------------------------------------------------------------------------------
// INI string files
// ---------------------------------------------------------------------------------------------

// `buffer` holds size + 1 bytes: at most `size` characters are stored and then the terminating
// zero, so a caller with an array passes sizeof array - 1.
int kx_io_ini_get_string(const char *section, const char *key, char *buffer, int size, const char *file);
int kx_io_ini_get_int(const char *section, const char *key, int *value, const char *file);
int kx_io_ini_get_float(const char *section, const char *key, float *value, const char *file);
int kx_io_ini_set_string(const char *section, const char *key, const char *value, const char *file);
int kx_io_ini_set_int(const char *section, const char *key, int value, const char *file);
int kx_io_ini_set_float(const char *section, const char *key, float value, const char *file);
int kx_io_ini_replace(const char *section, const char *key, const char *value, const char *file);
int kx_io_ini_set_mode(const char *file, int mode);
int kx_io_ini_failed(int query);
// Holds the writes to one settings file: from kx_io_ini_hold until kx_io_ini_hold_end, every key
// written to `file` goes to a staging copy beside it, and the end renames that copy over the file
// in one step. A crash in between leaves the file as it was before the hold. Reads during the
// hold still see the file as it was. One file at a time: a hold of another file is refused (0),
// a hold of the held file nests and only the outermost end writes. The end also works after
// kx_io_deinit.
int kx_io_ini_hold(const char *file);
// 1 when nothing was due yet or the staging copy replaced the file; 0 when the rename failed.
int kx_io_ini_hold_end();

// ---------------------------------------------------------------------------------------------
// Data pack
// ---------------------------------------------------------------------------------------------

// One entry of a pack's table of contents.
struct KX_IO_PACK_ENTRY {
    char *name;        // as stored (uppercased by kx_io_init for lookups)
    char *alt_name;
    uint32_t offset;
    uint32_t size;
    uint32_t reserved;
    uint8_t key;
};

// A parsed table of contents. `entries` has `count` + 1 items; the last is all zero.
struct KX_IO_PACK_TOC {
    uint8_t *table;             // descrambled table bytes (the names point into it)
    uint32_t table_size;
    KX_IO_PACK_ENTRY *entries;
    uint32_t count;
    uint32_t magic;
};

// Reads the table of contents of the pack `pack_name` without touching the module's own pack.
// Names keep their stored case unless `uppercase`. Returns 1, or 0 with kx_io_error_get() at
// 1 (no pack), 9 (damaged) or 10 (no memory); nothing is kept on failure.
int kx_io_pack_toc_read(const char *pack_name, int uppercase, KX_IO_PACK_TOC *toc);
void kx_io_pack_toc_free(KX_IO_PACK_TOC *toc);

// Parses `count` entries from descrambled table bytes (taken over by `toc` on success, freed on
// failure) and checks every entry against `data_end`, the first byte after the entry data.
int kx_io_pack_toc_parse(uint8_t *table, uint32_t table_size, uint32_t count, uint32_t data_end,
                         int uppercase, KX_IO_PACK_TOC *toc);

// Descrambling of the outside-table form: the word-wise step with the 256-word table `t`.
void kx_io_pack_words_descramble(uint8_t *data, uint32_t size, const uint32_t *t);
void kx_io_pack_words_scramble(uint8_t *data, uint32_t size, const uint32_t *t);

// Companion file name of a pack: the extension replaced by `ext` ("ROM" or "TOM").
int kx_io_pack_companion_name(const char *pack_name, const char *ext, char *out, size_t size);

// Source of one entry for the pack writer.
struct KX_IO_PACK_SOURCE {
    const char *name;        // stored name, with backslashes
    const char *alt_name;    // second name, may be empty
    const char *disk_path;   // where the bytes come from
};

// Writes a pack in the form given by `magic` from `count` sources, in the order given. Keys
// come from the names, so the same input gives the same bytes. 1 on success; on failure 0 and
// `error` (if not null, 256 bytes) says why; no partial pack is left behind.
int kx_io_pack_write(const char *pack_name, uint32_t magic, const KX_IO_PACK_SOURCE *sources,
                     uint32_t count, char *error);
