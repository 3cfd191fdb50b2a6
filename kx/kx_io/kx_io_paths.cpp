// kx_io_paths: where files are read and written (pack, override folder, per-user folder,
// current directory), whole-file helpers, the settings file's path and starting other programs.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Folders
// ---------------------------------------------------------------------------------------------

int kx_io_fgetdir(const char *path, char *out, int size)
{
    if (!path || !out || size <= 0) return 0;
    const char *a = std::strrchr(path, '\\');
    const char *b = std::strrchr(path, ':');
    const char *end = a > b ? a : b;
    if (!end) {
        out[0] = 0;
        return 0;
    }
    int length = static_cast<int>(end - path) + 1;
    if (length >= size) {
        out[0] = 0;
        kx_io_raise(0, KX_IO_ERR_BUFFER, "kx_io_fgetdir (%s)", path);
        return -1;
    }
    std::memcpy(out, path, static_cast<size_t>(length));
    out[length] = 0;
    return length;
}

// The disk path under which a name is found: the private folder for a bare name, else the name
// as given. 0 when it is on neither.
static int kx_io_disk_path(const char *name, char *out, size_t size)
{
    if (kx_io_is_bare(name) && kx_io_private_path(name, out, size) && plat_files_exists(out)) return 1;
    if (plat_files_exists(name)) return kx_io_strcpy(out, size, name);
    return 0;
}

int kx_io_write_folder_get(const char *name, char *out)
{
    if (!out) return 0;
    if (!name || !kx_io_is_bare(name)) {
        kx_io_strcpy(out, KX_IO_PATH_MAX, name ? name : "");
        return 0;
    }
    const char *folder = "";
    if (kx_io_exists(name, KX_IO_WHERE_KX) & 1)
        folder = kx_io.start_dir;
    else if (kx_io.override_dir[0])
        folder = kx_io.override_dir;
    else if (kx_io.user_dir[0])
        folder = kx_io.user_dir;
    kx_io_strcpy(out, KX_IO_PATH_MAX, folder);
    return 1;
}

const char *kx_io_settings_path_get()
{
    const char *folder = kx_io.override_dir[0] ? kx_io.override_dir : kx_io.settings_dir[0] ? kx_io.settings_dir : kx_io.user_dir;
    if (!kx_io_join(kx_io.settings_path, sizeof kx_io.settings_path, folder, kx_io.settings_name))
        kx_io_strcpy(kx_io.settings_path, sizeof kx_io.settings_path, kx_io.settings_name);
    return kx_io.settings_path;
}

const char *kx_io_user_folder_get()
{
    return kx_io.user_dir[0] ? kx_io.user_dir : nullptr;
}

const char *kx_io_settings_folder_get()
{
    return kx_io.settings_dir[0] ? kx_io.settings_dir : nullptr;
}

const char *kx_io_override_folder_get()
{
    return kx_io.override_dir[0] ? kx_io.override_dir : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Whole files
// ---------------------------------------------------------------------------------------------

int kx_io_exists(const char *name, int where)
{
    if (!name || !*name) return 0;
    // A quiet lookup: the same places kx_io_fopen would try, without opening anything, so that
    // asking never raises "Could not open file" (the alert path itself asks this question).
    int found = 0;
    char path[KX_IO_PATH_MAX];
    if (where & KX_IO_WHERE_KX) {
        if (kx_io_pack_find(name))
            found |= 1;
        else if (kx_io_disk_path(name, path, sizeof path))
            found |= 2;
    }
    if ((where & KX_IO_WHERE_DISK) && kx_io_disk_path(name, path, sizeof path)) found |= 2;
    return found;
}

// Reads a whole disk file (a real path) into a new block; null when it cannot.
static uint8_t *kx_io_disk_load(const char *path, uint32_t *size)
{
    FILE *f = plat_files_fopen(path, "rb");
    if (!f) return nullptr;
    uint8_t *data = nullptr;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    if (length >= 0 && length <= 0x7FFFFFFF && std::fseek(f, 0, SEEK_SET) == 0) {
        data = static_cast<uint8_t *>(kx_mem_malloc(static_cast<size_t>(length) + 1));
        if (data && std::fread(data, 1, static_cast<size_t>(length), f) != static_cast<size_t>(length)) {
            kx_mem_free(data);
            data = nullptr;
        }
    }
    std::fclose(f);
    if (data) *size = static_cast<uint32_t>(length);
    return data;
}

// Writes a whole file beside its destination, forces it to the disk and renames it over the
// destination, so that a write cut short (a crash, a kill, a full disk) never leaves a damaged
// file under the real name: afterwards the name holds either the old or the new contents.
static int kx_io_replace_write(const char *destination, const void *data, uint32_t size)
{
    char dest[KX_IO_PATH_MAX], temp[KX_IO_PATH_MAX];
    if (!kx_io_is_bare(destination) || !kx_io_private_path(destination, dest, sizeof dest))
        kx_io_strcpy(dest, sizeof dest, destination);
    int ok = 0;
    for (int attempt = 0; attempt < 2 && !ok; attempt++) {
        if (attempt == 1) {
            if (std::strcmp(dest, destination) == 0) break;
            kx_io_strcpy(dest, sizeof dest, destination);
        }
        if (!kx_io_join(temp, sizeof temp, dest, ".tmp")) continue;
        FILE *f = plat_files_fopen(temp, "wb");
        if (!f) continue;
        bool written = std::fwrite(data, 1, size, f) == size && plat_files_sync(f) == 0;
        written = std::fclose(f) == 0 && written;
        if (written && plat_files_replace(temp, dest) == 0)
            ok = 1;
        else
            plat_files_remove(temp);
    }
    return ok;
}

int kx_io_copy(const char *destination, const char *source, int where)
{
    if (!destination || !source) return 0;
    uint32_t size = 0;
    uint8_t *data = nullptr;
    if (where & KX_IO_WHERE_KX) {
        data = static_cast<uint8_t *>(kx_io_load(source, &size));
    } else {
        char path[KX_IO_PATH_MAX];
        if (kx_io_disk_path(source, path, sizeof path)) data = kx_io_disk_load(path, &size);
    }
    if (!data) return 0;

    int ok = kx_io_replace_write(destination, data, size);
    if (!ok) kx_io_raise(0, KX_IO_ERR_WRITE, "%s", destination);
    kx_mem_free(data);
    return ok;
}

void *kx_io_load(const char *name, uint32_t *size)
{
    KX_IO *f = kx_io_fopen(name, "rb");
    if (!f) return nullptr;
    uint8_t *data = nullptr;
    long length = -1;
    if (kx_io_fseek(f, 0, 2) == 0) length = kx_io_ftell(f);
    if (length >= 0 && length <= 0x7FFFFFFF) {
        kx_io_rewind(f);
        data = static_cast<uint8_t *>(kx_mem_malloc(static_cast<size_t>(length) + 1));
        if (!data) {
            kx_io_raise(0, KX_IO_ERR_MALLOC, "%s", name);
        } else if (kx_io_fread(data, 1, static_cast<size_t>(length), f) != static_cast<size_t>(length)) {
            kx_io_raise(0, KX_IO_ERR_READ, "%s", name);
            kx_mem_free(data);
            data = nullptr;
        }
    }
    kx_io_fclose(f);
    if (data && size) *size = static_cast<uint32_t>(length);
    return data;
}

int kx_io_save(const char *name, const void *data, uint32_t size)
{
    if (!name || !*name || (size && !data)) return 0;
    if (kx_io_pack_find(name)) {
        kx_io_raise(0, KX_IO_ERR_READ_ONLY, "%s", name);
        return 0;
    }
    int ok = kx_io_replace_write(name, data, size);
    if (!ok) kx_io_raise(0, KX_IO_ERR_WRITE, "%s", name);
    return ok;
}

int kx_io_folder_make(const char *name)
{
    return name && *name && plat_files_mkdir(name);
}

int kx_io_folder_list(const char *name, void (*fn)(const char *file_name, void *context), void *context)
{
    return name && *name ? plat_files_list(name, fn, context) : -1;
}

int kx_io_private_path_get(const char *name, char *out)
{
    if (!name || !out) return 0;
    if (kx_io_private_path(name, out, KX_IO_PATH_MAX)) return 1;
    return kx_io_strcpy(out, KX_IO_PATH_MAX, name);
}

long long kx_io_file_time(const char *name)
{
    return plat_files_mtime(name);
}

int kx_io_remove(const char *name)
{
    KX_IO *f = kx_io_fopen(name, "rb");
    if (!f) return -1;
    if (f->entry) {
        kx_io_fclose(f);
        return 0;
    }
    char path[KX_IO_PATH_MAX];
    kx_io_strcpy(path, sizeof path, f->full_path ? f->full_path : name);
    kx_io_fclose(f);
    int rc = plat_files_remove(path);
    if (rc != 0) kx_io_raise(0, KX_IO_ERR_REMOVE, "%s", name);
    return rc;
}

// ---------------------------------------------------------------------------------------------
// Other programs
// ---------------------------------------------------------------------------------------------

static int kx_io_start(const char *program, int wait)
{
    char path[KX_IO_PATH_MAX], dir[KX_IO_PATH_MAX];
    if (!program || !kx_io_disk_path(program, path, sizeof path)) return -1;
    // The program runs in its own folder, as it would when started from there.
    if (kx_io_fgetdir(path, dir, sizeof dir) <= 0) dir[0] = 0;
    return plat_files_run(path, dir, wait);
}

int kx_io_run(const char *program)
{
    return kx_io_start(program, 0);
}

int kx_io_run_wait(const char *program)
{
    return kx_io_start(program, 1);
}
