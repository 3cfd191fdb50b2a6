// kx_font lookups and drawing: character search, glyph frames, text extent and printing with
// centring, stretching, proportional spacing and the choice of blitter.
#include "kx/kx_font/kx_font_local.h"

#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int FONT_BINARY_SEARCH_FROM = 10;

// Frame 1 of the character and the width it takes in a line of text (gap included).
int char_advance(const KX_FONT *font, uint32_t code, int flags, KX_BITMAP **bitmap, KX_FONT_PLACE *place)
{
    *bitmap = kx_font_glyph(font, code, 1, place);
    if (!*bitmap) return 0;
    int width = (flags & KX_FONT_PROPORTIONAL) ? place->extent.width : font->width;
    return width + ((flags & KX_FONT_NO_GAP) ? 0 : 1);
}

// Width of box `i` of `count` in stretched text.
int stretch_box(const KX_FONT *font, const KX_RECT &rect, int flags, int i, int count)
{
    if (flags & KX_FONT_CELL_RATIO) return font->width * rect.height / font->height - 1;
    return rect.width / count + (i < rect.width % count ? 1 : 0);
}

// Decodes a text into the module's code-point array.
int decode(const KX_FONT *font, const char *text)
{
    return kx_font_utf_8_to_unicode(&kx_font_state.codes, &kx_font_state.capacity, text, kx_font_utf_mode(font));
}

// Total width of the decoded text as it would be laid out in `rect`.
long line_width(const KX_FONT *font, const KX_RECT &rect, int flags, int count)
{
    long total = 0;
    for (int i = 0; i < count; i++) {
        KX_BITMAP *bitmap;
        KX_FONT_PLACE place;
        if (flags & KX_FONT_STRETCH)
            total += stretch_box(font, rect, flags, i, count) + ((flags & KX_FONT_NO_GAP) ? 0 : 1);
        else
            total += char_advance(font, kx_font_state.codes[i], flags, &bitmap, &place);
    }
    return total;
}

} // namespace

int kx_font_find(const KX_FONT *font, uint32_t code)
{
    if (!font || !font->chars || font->count <= 0) return 0;
    if (font->count >= FONT_BINARY_SEARCH_FROM) {
        int lo = 0, hi = font->count - 1;
        while (lo <= hi) {
            int mid = lo + (hi - lo) / 2;
            uint32_t c = font->chars[mid].code;
            if (c == code) return mid + 1;
            if (c < code)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
    } else {
        for (int i = 0; i < font->count; i++)
            if (font->chars[i].data && font->chars[i].code == code) return i + 1;
    }
    return font->default_char;
}

KX_BITMAP *kx_font_glyph(const KX_FONT *font, uint32_t code, int frame, KX_FONT_PLACE *place)
{
    int index = kx_font_find(font, code);
    if (index < 1 || index > font->count) return nullptr;
    KX_FONT_CHAR_DATA *data = font->chars[index - 1].data;
    if (!data || data->frame_count == 0) return nullptr;
    int f = (frame < 1 ? 0 : frame - 1) % data->frame_count;
    if (place) *place = data->frames[f].place;
    return &data->frames[f].bitmap;
}

int kx_font_extent(const KX_FONT *font, const char *text, KX_RECT *size, int flags)
{
    if (size) *size = {0, 0, 0, 0};
    if (!font || !font->width || !text || !size) return 0;
    int count = decode(font, text);
    if (count == 0) return 0;
    KX_RECT none = {0, 0, 0, static_cast<int16_t>(font->height)};
    long width = line_width(font, none, flags & ~KX_FONT_STRETCH, count);
    size->width = static_cast<int16_t>(width < INT16_MAX ? width : INT16_MAX);
    size->height = static_cast<int16_t>(font->height);
    return 1;
}

int kx_font_print(const KX_FONT *font, KX_BITMAP *target, const KX_RECT *rect, int flags, const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    int drawn = kx_font_print_v(font, target, rect, flags, format, ap);
    va_end(ap);
    return drawn;
}

int kx_font_print_v(const KX_FONT *font, KX_BITMAP *target, const KX_RECT *rect, int flags, const char *format,
                    va_list args)
{
    if (!font || !font->width || !font->height || !target || !format) return 0;
    char local[KX_FONT_TEXT_SIZE];
    char *text = kx_font_state.text ? kx_font_state.text : local;
    std::vsnprintf(text, KX_FONT_TEXT_SIZE, format, args);
    int count = decode(font, text);

    KX_RECT box = rect ? *rect : KX_RECT{0, 0, target->width, target->height};
    if (count == 0 || box.width <= 0 || box.height <= 0) return 0;
    if (box.x >= target->width || box.y >= target->height || box.x + box.width <= 0 || box.y + box.height <= 0) return 0;

    bool stretch = (flags & KX_FONT_STRETCH) != 0;
    int gap = (flags & KX_FONT_NO_GAP) ? 0 : 1;
    int right = box.x + box.width;
    int x = box.x;
    if (flags & KX_FONT_CENTER) {
        long total = line_width(font, box, flags, count);
        if (total < box.width) x += static_cast<int>((box.width - total) / 2);
    }
    int options = ((flags & KX_FONT_BLIT_ASPECT) ? KX_BIT_COPY_ASPECT : 0) | (stretch ? KX_BIT_COPY_SCALE : 0);
    int start = x;
    for (int i = 0; i < count && x < right; i++) {
        KX_BITMAP *bitmap;
        KX_FONT_PLACE place;
        int advance = char_advance(font, kx_font_state.codes[i], flags, &bitmap, &place);
        if (!bitmap) continue;
        KX_RECT src = {0, 0, bitmap->width, bitmap->height};
        if (flags & KX_FONT_PROPORTIONAL) {
            src.x = place.extent.x;
            src.width = place.extent.width;
        }
        KX_RECT dest = {static_cast<int16_t>(x), box.y, src.width, box.height};
        if (stretch) {
            dest.width = static_cast<int16_t>(stretch_box(font, box, flags, i, count));
            advance = dest.width + gap;
        } else if (dest.height > src.height) {
            dest.height = src.height;
        }
        if (dest.x + dest.width > right) dest.width = static_cast<int16_t>(right - dest.x);
        if (dest.width > 0) {
            if (flags & KX_FONT_TRANSPARENT)
                kx_bit_copy_transp(target, bitmap, &dest, &src, options | 64);
            else
                kx_bit_copy(target, bitmap, &dest, &src, options);
        }
        x += advance;
    }
    return (x < right ? x : right) - start;
}
