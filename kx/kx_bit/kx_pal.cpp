// kx_pal: colour tables of the palette depths, shared by reference count, the shared gray
// palettes and palette files.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

// The shared gray palettes handed out by kx_pal_grayscale_get; each holds one extra reference
// for this list.
static KX_PALETTE **kx_pal_grays = nullptr;
static int kx_pal_gray_count = 0;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static KX_PALETTE *kx_pal_make(const KX_PALETTE *source, int count, int options,
                               const char *record_name, const char *color_name)
{
    if (count < 1 || count > 65535) return nullptr;
    uint16_t type = (options & 1) ? KX_PALETTE_RGB : KX_PALETTE_RGBA;
    int stride = type == KX_PALETTE_RGB ? 3 : 4;
    auto *pal = static_cast<KX_PALETTE *>(kx_mem_calloc(1, sizeof(KX_PALETTE)));
    if (!pal) return nullptr;
    pal->colors = static_cast<uint8_t *>(kx_mem_calloc(size_t(count), size_t(stride)));
    if (!pal->colors) {
        kx_mem_free(pal);
        return nullptr;
    }
    if (record_name) kx_mem_name(pal, record_name);
    if (color_name) kx_mem_name(pal->colors, color_name);
    pal->references = 1;
    pal->count = uint16_t(count);
    pal->type = type;
    if (stride == 4)
        for (int i = 0; i < count; i++) pal->colors[i * 4 + 3] = 255;

    if (source && source->colors) {
        int n = count < source->count ? count : source->count;
        int sstride = source->type == KX_PALETTE_RGB ? 3 : 4;
        for (int i = 0; i < n; i++) {
            std::memcpy(pal->colors + i * stride, source->colors + i * sstride, 3);
            if (stride == 4) pal->colors[i * 4 + 3] = sstride == 4 ? source->colors[i * 4 + 3] : 255;
        }
    } else if (!source && (options & 4)) {
        // Gray ramp; a one-colour ramp is black, and the top step is held at white.
        int step = count > 1 ? 256 / (count - 1) : 0;
        for (int i = 0; i < count; i++) {
            int v = i * step;
            uint8_t g = uint8_t(v > 255 ? 255 : v);
            pal->colors[i * stride] = pal->colors[i * stride + 1] = pal->colors[i * stride + 2] = g;
        }
    }
    return pal;
}

KX_PALETTE *kx_pal_alloc(const KX_PALETTE *source, int count, int options)
{
    bool named = kx_bit_report();
    return kx_pal_make(source, count, options, named ? "KX_DSP pal_alloc mypalette buffer" : nullptr,
                       !named ? nullptr
                       : (options & 1) ? "KX_DSP pal_alloc mypalette->color buffer"
                                       : "KX_DSP pal_alloc mypalette->color_alpha buffer");
}

KX_PALETTE *kx_pal_alloc_at(const char *file, int line, const KX_PALETTE *source, int count,
                            int options)
{
    char record[300], colors[300];
    std::snprintf(record, sizeof record, "kx_pal_alloc (KX_PALETTE *) file %s, line %d", file, line);
    std::snprintf(colors, sizeof colors, "kx_pal_alloc (%s) file %s, line %d",
                  (options & 1) ? "KX_PALETTE_RGB *" : "KX_PALETTE_RGBA *", file, line);
    return kx_pal_make(source, count, options, record, colors);
}

void kx_pal_free(KX_PALETTE *palette)
{
    if (!palette) return;
    if (palette->type != KX_PALETTE_RGB && palette->type != KX_PALETTE_RGBA) {
        kx_bit_alert(KX_BIT_ERR_PAL_TYPE);
        kx_mem_free(palette);
        return;
    }
    if (palette->references > 1) {
        palette->references--;
        return;
    }
    kx_mem_free(palette->colors);
    kx_mem_free(palette);
}

KX_PALETTE *kx_pal_grayscale_get(int count)
{
    for (int i = 0; i < kx_pal_gray_count; i++) {
        if (kx_pal_grays[i]->count == count) {
            kx_pal_grays[i]->references++;
            return kx_pal_grays[i];
        }
    }
    void *grown = kx_mem_realloc(kx_pal_grays, sizeof(KX_PALETTE *) * size_t(kx_pal_gray_count + 1));
    if (!grown) return nullptr;
    kx_pal_grays = static_cast<KX_PALETTE **>(grown);
    kx_mem_name(kx_pal_grays, "kx_pal_grayscale_get list");
    KX_PALETTE *pal = kx_pal_make(nullptr, count, 1 | 4, "kx_pal_grayscale_get", "kx_pal_grayscale_get");
    if (!pal) return nullptr;
    pal->references++;
    kx_pal_grays[kx_pal_gray_count++] = pal;
    return pal;
}

// Drops the list's reference on every shared gray palette (display shut-down).
void kx_pal_grayscale_clear()
{
    for (int i = 0; i < kx_pal_gray_count; i++) kx_pal_free(kx_pal_grays[i]);
    if (kx_pal_grays) kx_mem_free(kx_pal_grays);
    kx_pal_grays = nullptr;
    kx_pal_gray_count = 0;
}

KX_PALETTE *kx_pal_decode(const uint8_t *data, size_t size)
{
    if (!data || size < 768) return nullptr;
    KX_PALETTE *pal = kx_pal_alloc(nullptr, 256, 1);
    if (pal) std::memcpy(pal->colors, data + size - 768, 768);
    return pal;
}

KX_PALETTE *kx_pal_load(const char *file_name)
{
    size_t size = 0;
    uint8_t *data = kx_bit_file_load(file_name, &size);
    if (!data) return nullptr;
    KX_PALETTE *pal = kx_pal_decode(data, size);
    kx_mem_free(data);
    if (pal && kx_bit_report()) {
        char name[300];
        std::snprintf(name, sizeof name, "(kx_pal_load (%s)", file_name);
        kx_mem_name(pal, name);
    }
    return pal;
}
