// kx_bit module: start and stop, error texts and alerts, the link to the display, and the
// buffer helpers shared by allocation and the image readers.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_BIT_STATE kx_bit_state = {0, -1, {}, nullptr, 0};

static char kx_bit_message[512];

const char *const kx_bit_error_texts[KX_BIT_ERR_COUNT + 1] = {
    "1->4, 8, 16, 24, 32 BPP conversion parameter in function kx_bit_convert isn't supported yet.",
    "Can't convert from 4 bpp without a palette",
    "4->16 BPP conversion parameter in function kx_bit_convert isn't supported yet.",
    "Can't convert from 8 bpp without a palette",
    "15->8 BPP conversion parameter in function kx_bit_convert isn't supported yet.",
    "24->8 BPP conversion parameter in function kx_bit_convert isn't supported yet.",
    "32 -> 8 BPP conversion parameter in function kx_bit_convert isn't supported yet.",
    "Invalid BPP conversion parameter in function kx_bit_convert.",
    "Invalid conversion from %d to %d BPP in function kx_bit_convert.",
    "Not enough memory to allocate the bitmap conversion buffer.",
    "Invalid options in parameter of kx_bit_alloc ()",
    "KX_BIT_BPP4 isn't implemented yet in kx_bit_copy ()",
    "Unknown bitmap type in kx_bit_copy_soft_bitmap ()",
    "Unknown bitmap type in kx_bit_copy_transp_soft_bitmap ()",
    "Invalid bitmap pointer in kx_bit_resize\n",
    "Invalid rectangle pointers in kx_bit_resize\n",
    "Invalid rectangle destination size in kx_bit_resize\n",
    "Invalid rectangle source size in kx_bit_resize\n",
    "Can't allocate bitmap in kx_bit_resize\n",
    "Wrong palette type",
    "TGA format not supported yet. (File %s)",
    "PCX format not supported yet. (File %s)",
    "Sorry, it's not possible to take a snapshot under SGI's implementation of OpenGL.dll or "
    "OpenGL32.dll. I'm really sorry to have to say that you should replace it with Microsoft's "
    "OpenGL32.dll to take the pictures. Then you should put SGI's version back because it's much "
    "faster.",
    "Sorry, there are already 10000 snapshots in this directory. Please delete a few of them if "
    "you want to take new ones.",
    nullptr,
};

// ---------------------------------------------------------------------------------------------
// Module
// ---------------------------------------------------------------------------------------------

int kx_bit_init(int32_t *settings)
{
    kx_bit_state.report = settings ? settings[0] : 0;
    kx_bit_state.module = kx_error_register("Bitmap", kx_bit_error_texts);
    return 1;
}

void kx_pal_grayscale_clear();

int kx_bit_deinit()
{
    kx_pal_grayscale_clear();
    if (kx_bit_state.line) kx_mem_free(kx_bit_state.line);
    kx_bit_state.line = nullptr;
    kx_bit_state.line_size = 0;
    return 1;
}

void kx_bit_display_set(const KX_BIT_DISPLAY *display)
{
    if (display)
        kx_bit_state.display = *display;
    else
        kx_bit_state.display = KX_BIT_DISPLAY{};
}

const KX_BIT_DISPLAY *kx_bit_display_get() { return &kx_bit_state.display; }

const char *kx_bit_message_get() { return kx_bit_message; }

int kx_bit_report() { return kx_bit_state.display.report || kx_bit_state.report; }

void kx_bit_alert(int code, const char *format, ...)
{
    if (!format) format = kx_bit_error_texts[code];
    va_list args;
    va_start(args, format);
    std::vsnprintf(kx_bit_message, sizeof kx_bit_message, format, args);
    va_end(args);
    kx_error_raise(kx_bit_report(), kx_bit_state.module, code, "%s", kx_bit_message);
}

KX_BIT_FORMAT16 kx_bit_format16()
{
    const KX_BIT_DISPLAY &d = kx_bit_state.display;
    if (d.red_width <= 0 || d.green_width <= 0 || d.blue_width <= 0) return {11, 5, 5, 6, 0, 5};
    return {d.red_shift, d.red_width, d.green_shift, d.green_width, d.blue_shift, d.blue_width};
}

// ---------------------------------------------------------------------------------------------
// Buffers
// ---------------------------------------------------------------------------------------------

size_t kx_bit_row_bytes(int width, int depth)
{
    if (width <= 0) return 0;
    switch (depth) {
    case 1: return (size_t(width) + 7) / 8;
    case 2: return (size_t(width) + 3) / 4;
    case 4: return (size_t(width) + 1) / 2;
    default: return depth > 0 ? (size_t(width) * size_t(depth) + 7) / 8 : 0;
    }
}

size_t kx_bit_buffer_bytes(const KX_BITMAP *bitmap)
{
    if (!bitmap || bitmap->height <= 0) return 0;
    int depth = bitmap->depth == 15 ? 16 : bitmap->depth;
    return kx_bit_row_bytes(bitmap->width, depth) * size_t(bitmap->height);
}

bool kx_bit_size_ok(long width, long height, int depth)
{
    if (width < 1 || height < 1 || width > KX_BIT_MAX_SIDE || height > KX_BIT_MAX_SIDE) return false;
    if (depth < 1 || depth > 64) return false;
    size_t bytes = kx_bit_row_bytes(int(width), depth) * size_t(height);
    return bytes <= KX_BIT_MAX_BYTES;
}

int kx_bit_make(KX_BITMAP *bitmap, int width, int height, int depth, const char *name)
{
    *bitmap = KX_BITMAP{};
    if (!kx_bit_size_ok(width, height, depth == 15 ? 16 : depth)) return 0;
    size_t bytes = kx_bit_row_bytes(width, depth == 15 ? 16 : depth) * size_t(height);
    bitmap->pixels = static_cast<uint8_t *>(kx_mem_calloc(1, bytes));
    if (!bitmap->pixels) return 0;
    if (name) kx_mem_name(bitmap->pixels, name);
    bitmap->width = int16_t(width);
    bitmap->height = int16_t(height);
    bitmap->depth = int16_t(depth);
    return 1;
}

void kx_bit_clear(KX_BITMAP *bitmap)
{
    if (bitmap->pixels) kx_mem_free(bitmap->pixels);
    if (bitmap->palette) kx_pal_free(bitmap->palette);
    *bitmap = KX_BITMAP{};
}
