// kx_io_file: file handles over disk files, data pack entries and memory files: open, read,
// write, seek and close, with reads of a pack entry kept inside the entry.
#include "kx/kx_io/kx_io_local.h"

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

#include <cstdarg>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------------------------

static char *kx_io_strdup(const char *text)
{
    size_t n = std::strlen(text);
    char *copy = static_cast<char *>(kx_mem_malloc(n + 1));
    if (copy) std::memcpy(copy, text, n + 1);
    return copy;
}

static void kx_io_handle_free(KX_IO *file)
{
    kx_mem_free(file->name);
    if (file->full_path) kx_mem_free(file->full_path);
    kx_mem_free(file);
}

static uint32_t kx_io_access_bits(const char *mode)
{
    uint32_t bits = 0;
    if (std::strpbrk(mode, "+wa")) bits |= KX_IO_WRITE;
    if (std::strchr(mode, 'r') || std::strchr(mode, '+')) bits |= KX_IO_READ;
    return bits;
}

static void kx_io_list_add(KX_IO *file)
{
    file->next = kx_io.open_list;
    kx_io.open_list = file;
    kx_io.open_count++;
}

static void kx_io_list_remove(KX_IO *file)
{
    for (KX_IO **p = &kx_io.open_list; *p; p = &(*p)->next) {
        if (*p == file) {
            *p = file->next;
            break;
        }
    }
    kx_io.open_count--;
}

KX_IO *kx_io_fopen(const char *name, const char *mode)
{
    if (!name || !*name || !mode) {
        kx_io_raise(0, KX_IO_ERR_OPEN, "(null)");
        return nullptr;
    }
    if (std::strchr(name, '/')) kx_io_raise(0, KX_IO_ERR_SLASH, "%s", name);

    KX_IO *file = static_cast<KX_IO *>(kx_mem_calloc(1, sizeof(KX_IO)));
    char *copy = file ? kx_io_strdup(name) : nullptr;
    if (!copy) {
        if (file) kx_mem_free(file);
        kx_io_raise(0, KX_IO_ERR_MALLOC, "%s", name);
        return nullptr;
    }
    file->name = copy;

    uint32_t index = kx_io_pack_find(name);
    if (index) {
        // Every handle on an entry reads the pack through its own stream. Whatever the caller's
        // mode, the pack itself is only ever opened for reading: writes are refused per call.
        const KX_IO_PACK_ENTRY &e = kx_io.toc.entries[index - 1];
        file->stream = plat_files_fopen(kx_io.pack_path, "rb");
        if (!file->stream || std::fseek(file->stream, static_cast<long>(e.offset), SEEK_SET) != 0) {
            if (file->stream) std::fclose(file->stream);
            kx_io_raise(0, KX_IO_ERR_PACK_OPEN, "%s", name);
            kx_io_handle_free(file);
            return nullptr;
        }
        file->entry = index;
        file->offset = e.offset;
        file->size = e.size;
        file->key = e.key;
    } else {
        char path[KX_IO_PATH_MAX];
        if (kx_io_is_bare(name) && kx_io_private_path(name, path, sizeof path)) {
            file->stream = plat_files_fopen(path, mode);
            if (file->stream) file->full_path = kx_io_strdup(path);
        }
        if (!file->stream) file->stream = plat_files_fopen(name, mode);
    }
    if (!file->stream) {
        kx_io_raise(0, KX_IO_ERR_OPEN, "%s", name);
        kx_io_handle_free(file);
        return nullptr;
    }

    file->open = 1;
    file->access = kx_io_access_bits(mode);
    if (!file->access) kx_io_raise(0, KX_IO_ERR_MODE, "%s", name);
    kx_io_list_add(file);
    return file;
}

KX_IO *kx_io_mem_open(const char *name, void *data, uint32_t size)
{
    KX_IO *file = static_cast<KX_IO *>(kx_mem_calloc(1, sizeof(KX_IO)));
    char *copy = file ? kx_io_strdup(name ? name : "") : nullptr;
    if (!copy) {
        if (file) kx_mem_free(file);
        kx_io_raise(0, KX_IO_ERR_MALLOC, "%s", name ? name : "(null)");
        return nullptr;
    }
    file->name = copy;
    file->open = 1;
    file->access = KX_IO_READ | KX_IO_MEMORY;
    file->mem_data = static_cast<uint8_t *>(data);
    file->mem_size = data ? size : 0;
    kx_io_list_add(file);
    return file;
}

int kx_io_fclose(KX_IO *file)
{
    if (!file) {
        kx_io_raise(0, KX_IO_ERR_NULL_HANDLE);
        return -1;
    }
    if (file->access & KX_IO_MEMORY) {
        if (file->mem_data) kx_mem_free(file->mem_data);
    } else {
        int rc = std::fclose(file->stream);
        if (rc != 0) {
            kx_io_raise(0, KX_IO_ERR_CLOSE, "%s", file->name);
            return rc;
        }
    }
    kx_io_list_remove(file);
    kx_io_handle_free(file);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

static bool kx_io_can_read(KX_IO *file, const char *function)
{
    if (file && (file->access & KX_IO_READ)) return true;
    kx_io_raise(0, KX_IO_ERR_WRITE_ONLY, "File: %s in %s", file && file->name ? file->name : "(null)", function);
    return false;
}

// Bytes left in a pack entry from the handle's position.
static uint32_t kx_io_entry_left(KX_IO *file)
{
    return file->mem_pos < file->size ? file->size - file->mem_pos : 0;
}

size_t kx_io_fread(void *buffer, size_t size, size_t count, KX_IO *file)
{
    if (!kx_io_can_read(file, "kx_io_fread")) return 0;
    if (!buffer || size == 0 || count == 0) return 0;
    uint8_t *out = static_cast<uint8_t *>(buffer);
    if (file->access & KX_IO_MEMORY) {
        size_t fit = (file->mem_size - file->mem_pos) / size;
        if (count > fit) count = fit;
        std::memcpy(out, file->mem_data + file->mem_pos, count * size);
        file->mem_pos += static_cast<uint32_t>(count * size);
        kx_io.bytes_read += static_cast<long>(count * size);
        return count;
    }
    if (file->entry) {
        size_t fit = kx_io_entry_left(file) / size;
        if (count > fit) count = fit;
        if (count < 1) return 0;
        size_t got = std::fread(out, size, count, file->stream);
        for (size_t i = 0; i < got * size; i++) out[i] ^= file->key;
        file->mem_pos += static_cast<uint32_t>(got * size);
        kx_io.bytes_read += static_cast<long>(got * size);
        return got;
    }
    size_t got = std::fread(out, size, count, file->stream);
    kx_io.bytes_read += static_cast<long>(got * size);
    return got;
}

// One byte of any kind of handle, -1 at the end; the read bit is checked by the caller.
static int kx_io_getc_raw(KX_IO *file)
{
    if (file->access & KX_IO_MEMORY) {
        if (file->mem_pos >= file->mem_size) return -1;
        return file->mem_data[file->mem_pos++];
    }
    if (file->entry) {
        if (!kx_io_entry_left(file)) return -1;
        int c = std::fgetc(file->stream);
        if (c < 0) return -1;
        file->mem_pos++;
        return c ^ file->key;
    }
    int c = std::fgetc(file->stream);
    return c < 0 ? -1 : c;
}

// Steps back over the byte just read by kx_io_getc_raw.
static void kx_io_ungetc_raw(KX_IO *file, int c)
{
    if (file->access & KX_IO_MEMORY) {
        file->mem_pos--;
    } else if (file->entry) {
        std::ungetc(c ^ file->key, file->stream);
        file->mem_pos--;
    } else {
        std::ungetc(c, file->stream);
    }
}

int kx_io_fgetc(KX_IO *file)
{
    if (!kx_io_can_read(file, "kx_io_fgetc")) return 0;
    int c = kx_io_getc_raw(file);
    if (c >= 0) kx_io.bytes_read++;
    return c;
}

char *kx_io_fgets(char *buffer, int size, KX_IO *file)
{
    if (!kx_io_can_read(file, "kx_io_fgets")) return nullptr;
    if (!buffer || size < 1) return nullptr;
    // Every kind of file reads the same way, so "\r\n", "\n\r", "\n" and a lone "\r" all end a
    // line on disk as well as in the pack.
    int n = 0;
    bool any = false;
    while (n < size - 1) {
        int c = kx_io_getc_raw(file);
        if (c < 0) break;
        any = true;
        if (c == '\n' || c == '\r') {
            int pair = c == '\n' ? '\r' : '\n';
            int d = kx_io_getc_raw(file);
            if (d >= 0 && d != pair) kx_io_ungetc_raw(file, d);
            break;
        }
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = 0;
    kx_io.bytes_read += n;
    return any ? buffer : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

static bool kx_io_can_write(KX_IO *file, const char *function)
{
    if (!file || !(file->access & KX_IO_WRITE)) {
        kx_io_raise(0, KX_IO_ERR_READ_ONLY, "File: %s in %s", file && file->name ? file->name : "(null)", function);
        return false;
    }
    if (file->entry) {
        kx_io_raise(1, KX_IO_ERR_PACK_WRITE, "%s", file->name);
        return false;
    }
    return true;
}

long kx_io_fwrite(const void *buffer, size_t size, size_t count, KX_IO *file)
{
    if (!kx_io_can_write(file, "kx_io_fwrite")) return -1;
    size_t put = std::fwrite(buffer, size, count, file->stream);
    if (put != count) kx_io_raise(0, KX_IO_ERR_WRITE, "%s", file->name);
    return static_cast<long>(put);
}

int kx_io_fputc(int c, KX_IO *file)
{
    if (!kx_io_can_write(file, "kx_io_fputc")) return -1;
    int rc = std::fputc(c, file->stream);
    if (rc != (c & 0xFF)) {
        kx_io_raise(0, KX_IO_ERR_WRITE, "%s", file->name);
        return -1;
    }
    return rc;
}

int kx_io_fputs(const char *text, KX_IO *file)
{
    if (!kx_io_can_write(file, "kx_io_fputs")) return -1;
    if (!text || std::fputs(text, file->stream) < 0) {
        kx_io_raise(0, KX_IO_ERR_WRITE, "%s", file->name);
        return -1;
    }
    return 0;
}

int kx_io_fprintf(KX_IO *file, const char *format, ...)
{
    if (!kx_io_can_write(file, "kx_io_fprintf")) return -1;
    va_list args;
    va_start(args, format);
    int rc = std::vfprintf(file->stream, format, args);
    va_end(args);
    if (rc < 0) kx_io_raise(0, KX_IO_ERR_WRITE, "%s", file->name);
    return rc < 0 ? -1 : rc;
}

int kx_io_flush(KX_IO *file)
{
    if (!file || !(file->access & KX_IO_WRITE)) {
        kx_io_raise(0, KX_IO_ERR_READ_ONLY, "File: %s in kx_io_flush", file && file->name ? file->name : "(null)");
        return -1;
    }
    if (file->entry) return 0;
    return std::fflush(file->stream) == 0 ? 0 : -1;
}

// ---------------------------------------------------------------------------------------------
// Positioning
// ---------------------------------------------------------------------------------------------

int kx_io_fseek(KX_IO *file, long offset, int origin)
{
    if (!file) return -1;
    if (file->access & KX_IO_MEMORY) {
        long long base = origin == 0 ? 0 : origin == 1 ? file->mem_pos : file->mem_size;
        long long target = base + offset;
        if (target < 0 || target > file->mem_size) target = offset < 0 ? 0 : file->mem_size;
        file->mem_pos = static_cast<uint32_t>(target);
        return 0;
    }
    if (file->entry) {
        // A position outside the entry would let the next read see another entry's bytes.
        long long base = origin == 0 ? 0 : origin == 1 ? file->mem_pos : file->size;
        long long target = base + offset;
        if (target < 0 || target > file->size) return -1;
        int rc = std::fseek(file->stream, static_cast<long>(file->offset + target), SEEK_SET);
        if (rc == 0) file->mem_pos = static_cast<uint32_t>(target);
        return rc;
    }
    return std::fseek(file->stream, offset, origin);
}

long kx_io_ftell(KX_IO *file)
{
    if (!file) return -1;
    if (file->access & KX_IO_MEMORY || file->entry) return file->mem_pos;
    return std::ftell(file->stream);
}

void kx_io_rewind(KX_IO *file)
{
    if (!file) return;
    if (file->access & KX_IO_MEMORY) {
        file->mem_pos = 0;
    } else if (file->entry) {
        if (std::fseek(file->stream, static_cast<long>(file->offset), SEEK_SET) == 0) file->mem_pos = 0;
    } else {
        std::rewind(file->stream);
    }
}

int kx_io_feof(KX_IO *file)
{
    if (!file) return 1;
    if (file->access & KX_IO_MEMORY) return file->mem_pos >= file->mem_size;
    if (file->entry) return file->mem_pos >= file->size;
    return std::feof(file->stream) != 0;
}
