// kx_bit file level: choosing the reader by name, reading a whole file through kx_io, saving,
// and numbered screen snapshots.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cctype>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

uint8_t *kx_bit_file_load(const char *file_name, size_t *size)
{
    *size = 0;
    if (!file_name) return nullptr;
    KX_IO *file = kx_io_fopen(file_name, "rb");
    if (!file) return nullptr;
    uint8_t *data = nullptr;
    long length = -1;
    if (kx_io_fseek(file, 0, 2) == 0) length = kx_io_ftell(file);
    if (length >= 0 && kx_io_fseek(file, 0, 0) == 0) {
        data = static_cast<uint8_t *>(kx_mem_malloc(size_t(length) + 1));
        if (data) {
            kx_mem_name(data, file_name);
            size_t got = length ? kx_io_fread(data, 1, size_t(length), file) : 0;
            if (got != size_t(length)) {
                kx_mem_free(data);
                data = nullptr;
            } else {
                *size = got;
            }
        }
    }
    kx_io_fclose(file);
    return data;
}

// Reads the file and runs `decode` over it; the pixel buffer is named `name` when given.
template <typename Decode>
static int kx_bit_load_with(KX_BITMAP *bitmap, const char *file_name, const char *name, Decode decode)
{
    if (!bitmap) return 0;
    *bitmap = KX_BITMAP{};
    size_t size = 0;
    uint8_t *data = kx_bit_file_load(file_name, &size);
    if (!data) return 0;
    int ok = decode(data, size);
    kx_mem_free(data);
    if (ok && name) kx_mem_name(bitmap->pixels, name);
    return ok;
}

static int kx_bit_load_png_named(KX_BITMAP *bitmap, const char *file_name, int options, const char *name)
{
    return kx_bit_load_with(bitmap, file_name, name, [&](const uint8_t *d, size_t n) {
        return kx_bit_decode_png(bitmap, d, n, options);
    });
}

static int kx_bit_load_tga_named(KX_BITMAP *bitmap, const char *file_name, int options, const char *name)
{
    return kx_bit_load_with(bitmap, file_name, name, [&](const uint8_t *d, size_t n) {
        return kx_bit_decode_tga(bitmap, d, n, options, file_name);
    });
}

static int kx_bit_load_pcx_named(KX_BITMAP *bitmap, const char *file_name, int options, const char *name)
{
    return kx_bit_load_with(bitmap, file_name, name, [&](const uint8_t *d, size_t n) {
        return kx_bit_decode_pcx(bitmap, d, n, options, file_name);
    });
}

static int kx_bit_load_jpeg_named(KX_BITMAP *bitmap, const char *file_name, int options, const char *name)
{
    return kx_bit_load_with(bitmap, file_name, name, [&](const uint8_t *d, size_t n) {
        return kx_bit_decode_jpeg(bitmap, d, n, options);
    });
}

int kx_bit_load_png(KX_BITMAP *bitmap, const char *file_name, int options)
{
    return kx_bit_load_png_named(bitmap, file_name, options, file_name);
}

int kx_bit_load_tga(KX_BITMAP *bitmap, const char *file_name, int options)
{
    return kx_bit_load_tga_named(bitmap, file_name, options, file_name);
}

int kx_bit_load_pcx(KX_BITMAP *bitmap, const char *file_name, int options)
{
    return kx_bit_load_pcx_named(bitmap, file_name, options, file_name);
}

int kx_bit_load_jpeg(KX_BITMAP *bitmap, const char *file_name, int options)
{
    return kx_bit_load_jpeg_named(bitmap, file_name, options, file_name);
}

KX_BIT_READER kx_bit_reader_of(const char *file_name)
{
    if (!file_name) return KX_BIT_READER_NONE;
    char upper[KX_IO_PATH_MAX];
    std::snprintf(upper, sizeof upper, "%s", file_name);
    for (char *c = upper; *c; c++) *c = char(std::toupper(static_cast<unsigned char>(*c)));
    if (std::strstr(upper, ".PCX") || std::strstr(upper, ".PCC")) return KX_BIT_READER_PCX;
    if (std::strstr(upper, ".PNG")) return KX_BIT_READER_PNG;
    if (std::strstr(upper, ".TGA")) return KX_BIT_READER_TGA;
    if (std::strstr(upper, ".JPG") || std::strstr(upper, ".JPE")) return KX_BIT_READER_JPEG;
    return KX_BIT_READER_NONE;
}

static int kx_bit_load_named(KX_BITMAP *bitmap, const char *file_name, int options, const char *name)
{
    if (!bitmap || !file_name) return 0;
    switch (kx_bit_reader_of(file_name)) {
    case KX_BIT_READER_PCX: return kx_bit_load_pcx_named(bitmap, file_name, options, name);
    case KX_BIT_READER_PNG: return kx_bit_load_png_named(bitmap, file_name, options, name);
    case KX_BIT_READER_TGA: return kx_bit_load_tga_named(bitmap, file_name, options, name);
    case KX_BIT_READER_JPEG: return kx_bit_load_jpeg_named(bitmap, file_name, options, name);
    case KX_BIT_READER_NONE: break;
    }
    return 0;
}

int kx_bit_load(KX_BITMAP *bitmap, const char *file_name, int options)
{
    return kx_bit_load_named(bitmap, file_name, options, file_name);
}

int kx_bit_load_at(const char *file, int line, KX_BITMAP *bitmap, const char *file_name, int options)
{
    char name[600];
    std::snprintf(name, sizeof name, "%s (file %s, line %d)", file_name ? file_name : "", file, line);
    return kx_bit_load_named(bitmap, file_name, options, name);
}

int kx_bit_save(KX_BITMAP *bitmap, const char *file_name, KX_RECT *rect, int options)
{
    (void)options;
    if (!file_name) return 0;
    const KX_BIT_DISPLAY &d = kx_bit_state.display;
    // With a 3D display the screen has no bitmap: the back end reads its own picture.
    if (d.use_3d && d.save && (!bitmap || bitmap == d.screen)) {
        // The back end reads the screen itself; the file is only made sure to be writable.
        KX_IO *file = kx_io_fopen(file_name, "wb");
        if (!file) return 0;
        kx_io_fclose(file);
        return d.save(file_name, rect) ? 1 : 0;
    }
    if (!bitmap) return 0;
    uint8_t *data = nullptr;
    size_t size = 0;
    if (!kx_bit_encode(bitmap, rect, &data, &size)) return 0;
    KX_IO *file = kx_io_fopen(file_name, "wb");
    int ok = 0;
    if (file) {
        ok = kx_io_fwrite(data, 1, size, file) == long(size);
        if (kx_io_fclose(file) != 0) ok = 0;
    }
    kx_mem_free(data);
    return ok;
}

int kx_bit_snapshot_save(KX_BITMAP *screen, int display_depth, char *saved_name, size_t name_size)
{
    const KX_BIT_DISPLAY &d = kx_bit_state.display;
    if (!screen) screen = d.screen;
    if (d.use_3d && d.vendor && d.renderer && std::strcmp(d.vendor, "SGI") == 0 &&
        std::strstr(d.renderer, "Generic")) {
        kx_bit_alert(KX_BIT_ERR_SNAPSHOT_SGI);
        return 0;
    }
    if (!screen && !(d.use_3d && d.save)) return 0;
    const char *format = d.use_3d || display_depth > 8 ? "Snap%04d.tga" : "Snap%04d.pcx";
    // The existence test looks where the file will be written: the same folder kx_io_fopen
    // puts a bare name in.
    char folder[KX_IO_PATH_MAX];
    char name[KX_IO_PATH_MAX + 16];
    for (int n = 0; n < 10000; n++) {
        char bare[16];
        std::snprintf(bare, sizeof bare, format, n);
        if (kx_io_write_folder_get(bare, folder))
            std::snprintf(name, sizeof name, "%s%s", folder, bare);
        else
            std::snprintf(name, sizeof name, "%s", bare);
        if (kx_io_exists(name, KX_IO_WHERE_DISK)) continue;
        if (saved_name && name_size) std::snprintf(saved_name, name_size, "%s", name);
        return kx_bit_save(screen, name, nullptr, 0);
    }
    kx_bit_alert(KX_BIT_ERR_SNAPSHOT_FULL);
    return 0;
}
