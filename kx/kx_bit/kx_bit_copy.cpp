// kx_bit copies of one picture onto another: plain, transparent, centred, scaled in 16.16 fixed
// point (optionally keeping the aspect), doubled (optionally with scan lines); and resizing.
#include "kx/kx_bit/kx_bit_local.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// What one copy needs to know about its pixels.
struct KX_BIT_SPAN {
    int bpp;          // bytes per pixel of source and destination
    bool transp;      // skip transparent source pixels
    int depth;        // source depth (chooses the transparency test)
    uint16_t key16;   // transparent word of 16-bit pictures
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

static inline bool kx_bit_pixel_transparent(const KX_BIT_SPAN &s, const uint8_t *p)
{
    switch (s.bpp) {
    case 1: return p[0] == 0;
    case 2: return uint16_t(p[0] | p[1] << 8) == s.key16;
    case 3: return p[0] == 255 && p[1] == 0 && p[2] == 255;
    default: return p[3] == 0 || (p[0] == 255 && p[1] == 0 && p[2] == 255);
    }
}

// Writes n pixels of `src` to `dst`, skipping transparent ones when asked.
static void kx_bit_span_put(const KX_BIT_SPAN &s, uint8_t *dst, const uint8_t *src, int n)
{
    if (n <= 0) return;
    if (!s.transp) {
        std::memmove(dst, src, size_t(n) * size_t(s.bpp));
        return;
    }
    for (int i = 0; i < n; i++, dst += s.bpp, src += s.bpp)
        if (!kx_bit_pixel_transparent(s, src)) std::memcpy(dst, src, size_t(s.bpp));
}

// The scale line buffer, grown as needed.
static uint8_t *kx_bit_line(size_t bytes)
{
    if (bytes <= kx_bit_state.line_size) return kx_bit_state.line;
    void *grown = kx_mem_realloc(kx_bit_state.line, bytes);
    if (!grown) return nullptr;
    kx_bit_state.line = static_cast<uint8_t *>(grown);
    kx_bit_state.line_size = bytes;
    kx_mem_name(grown, "KX_DSP bit_copy_transp_soft realloc scale line buffer");
    return kx_bit_state.line;
}

static inline uint8_t *kx_bit_at(KX_BITMAP *b, int bpp, int x, int y)
{
    return b->pixels + (size_t(y) * size_t(b->width) + size_t(x)) * size_t(bpp);
}

// Clips [pos, pos + len) to [lo, hi); returns how much was cut from the front, len updated.
static int kx_bit_clip(int &pos, int &len, int lo, int hi)
{
    int cut = 0;
    if (pos < lo) {
        cut = lo - pos;
        len -= cut;
        pos = lo;
    }
    if (pos + len > hi) len = hi - pos;
    return cut;
}

static int kx_bit_copy_soft(KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect, KX_RECT *src_rect,
                            int options, bool transp)
{
    int bpp;
    switch (src->depth) {
    case 8: bpp = 1; break;
    case 15:
    case 16: bpp = 2; break;
    case 24: bpp = 3; break;
    case 32: bpp = 4; break;
    case 4: kx_bit_alert(KX_BIT_ERR_COPY_4); return 0;
    default: bpp = 0; break;
    }
    int dest_bpp = dest->depth == 8 ? 1 : dest->depth == 15 || dest->depth == 16 ? 2
                 : dest->depth == 24 ? 3 : dest->depth == 32 ? 4 : 0;
    if (!bpp || bpp != dest_bpp || ((src->flags | dest->flags) & KX_BIT_FLAG_FOREIGN)) {
        kx_bit_alert(transp ? KX_BIT_ERR_COPY_TRANSP_UNKNOWN : KX_BIT_ERR_COPY_UNKNOWN);
        return 0;
    }
    if (!src->pixels || !dest->pixels) return 0;

    KX_RECT d = dest_rect ? *dest_rect : KX_RECT{0, 0, dest->width, dest->height};
    KX_RECT s = src_rect ? *src_rect : KX_RECT{0, 0, src->width, src->height};
    // The source rectangle never reaches outside the source picture.
    int sx = s.x, sy = s.y, sw = s.width, sh = s.height;
    kx_bit_clip(sx, sw, 0, src->width);
    kx_bit_clip(sy, sh, 0, src->height);
    int dx = d.x, dy = d.y, dw = d.width, dh = d.height;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return 1;

    KX_BIT_FORMAT16 f = kx_bit_format16();
    KX_BIT_SPAN span = {bpp, transp, src->depth, 0};
    if (src->depth == 15)
        span.key16 = 0x7C1F;
    else if (src->depth == 16)
        span.key16 = uint16_t((255 >> (8 - f.rw)) << f.rs | (255 >> (8 - f.bw)) << f.bs);

    // The output is clipped to the destination rectangle and to the destination picture.
    int clip_x0 = dx > 0 ? dx : 0, clip_y0 = dy > 0 ? dy : 0;
    int clip_x1 = dx + dw < dest->width ? dx + dw : dest->width;
    int clip_y1 = dy + dh < dest->height ? dy + dh : dest->height;
    if (clip_x0 >= clip_x1 || clip_y0 >= clip_y1) return 1;

    if (options & KX_BIT_COPY_SCALE) {
        int64_t step_x = int64_t(sw) * 65536 / dw, step_y = int64_t(sh) * 65536 / dh;
        int ow = dw, oh = dh;
        if (options & KX_BIT_COPY_ASPECT) {
            step_x = step_y = (options & KX_BIT_COPY_ASPECT_HEIGHT) ? step_y : step_x;
            if (step_x < 1) step_x = step_y = 1;
            int64_t fw = int64_t(sw) * 65536 / step_x, fh = int64_t(sh) * 65536 / step_y;
            ow = fw < dw ? int(fw) : dw;
            oh = fh < dh ? int(fh) : dh;
            if (options & KX_BIT_COPY_CENTER) {
                dx += (dw - ow) / 2;
                dy += (dh - oh) / 2;
            }
        }
        int ox = dx, oy = dy, w = ow, h = oh;
        int cut_x = kx_bit_clip(ox, w, clip_x0, clip_x1);
        int cut_y = kx_bit_clip(oy, h, clip_y0, clip_y1);
        if (w <= 0 || h <= 0) return 1;
        uint8_t *line = kx_bit_line(size_t(w) * size_t(bpp));
        if (!line) return 0;
        for (int j = 0; j < h; j++) {
            int64_t ry = (int64_t(j + cut_y) * step_y) >> 16;
            int row = sy + int(ry < sh ? ry : sh - 1);
            const uint8_t *in = kx_bit_at(src, bpp, 0, row);
            uint8_t *o = line;
            for (int i = 0; i < w; i++, o += bpp) {
                int64_t rx = (int64_t(i + cut_x) * step_x) >> 16;
                int col = sx + int(rx < sw ? rx : sw - 1);
                std::memcpy(o, in + size_t(col) * size_t(bpp), size_t(bpp));
            }
            kx_bit_span_put(span, kx_bit_at(dest, bpp, ox, oy + j), line, w);
        }
        return 1;
    }

    if (options & KX_BIT_COPY_DOUBLE) {
        if (sw > dw / 2) sw = dw / 2;
        if (sh > dh / 2) sh = dh / 2;
        if (sw <= 0 || sh <= 0) return 1;
        int ox = dx, w = sw * 2;
        int cut_x = kx_bit_clip(ox, w, clip_x0, clip_x1);
        if (w <= 0) return 1;
        uint8_t *line = kx_bit_line(size_t(w) * size_t(bpp));
        if (!line) return 0;
        bool scan_lines = (options & KX_BIT_COPY_ASPECT) != 0;
        for (int j = 0; j < sh; j++) {
            const uint8_t *in = kx_bit_at(src, bpp, sx, sy + j);
            uint8_t *o = line;
            for (int i = 0; i < w; i++, o += bpp)
                std::memcpy(o, in + size_t((i + cut_x) >> 1) * size_t(bpp), size_t(bpp));
            for (int k = 0; k < (scan_lines ? 1 : 2); k++) {
                int y = dy + j * 2 + k;
                if (y < clip_y0 || y >= clip_y1) continue;
                kx_bit_span_put(span, kx_bit_at(dest, bpp, ox, y), line, w);
            }
        }
        return 1;
    }

    int w = sw, h = sh;
    if (options & KX_BIT_COPY_CENTER) {
        if (sw <= dw) {
            dx += (dw - sw) / 2;
        } else {
            sx += (sw - dw) / 2;
            w = dw;
        }
        if (sh <= dh) {
            dy += (dh - sh) / 2;
        } else {
            sy += (sh - dh) / 2;
            h = dh;
        }
    } else {
        if (w > dw) w = dw;
        if (h > dh) h = dh;
    }
    sx += kx_bit_clip(dx, w, clip_x0, clip_x1);
    sy += kx_bit_clip(dy, h, clip_y0, clip_y1);
    if (w <= 0 || h <= 0) return 1;
    for (int j = 0; j < h; j++)
        kx_bit_span_put(span, kx_bit_at(dest, bpp, dx, dy + j), kx_bit_at(src, bpp, sx, sy + j), w);
    return 1;
}

static int kx_bit_copy_any(KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect, KX_RECT *src_rect,
                           int options, bool transp)
{
    if (!dest || !src) return 0;
    const KX_BIT_DISPLAY &d = kx_bit_state.display;
    if (d.use_3d && d.put && !(options & KX_BIT_COPY_SOFT) && dest == d.screen)
        return d.put(src, dest_rect, src_rect, transp ? options | 0x100 : options);
    return kx_bit_copy_soft(dest, src, dest_rect, src_rect, options, transp);
}

int kx_bit_copy(KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect, KX_RECT *src_rect, int options)
{
    return kx_bit_copy_any(dest, src, dest_rect, src_rect, options, false);
}

int kx_bit_copy_transp(KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect, KX_RECT *src_rect, int options)
{
    return kx_bit_copy_any(dest, src, dest_rect, src_rect, options, true);
}

int kx_bit_copy_at(const char *file, int line, KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect,
                   KX_RECT *src_rect, int options)
{
    std::snprintf(kx_error_pending.detail, sizeof kx_error_pending.detail, "kx_bit_copy (), file %s, line %d",
                  file, line);
    return kx_bit_copy_any(dest, src, dest_rect, src_rect, options, false);
}

int kx_bit_copy_transp_at(const char *file, int line, KX_BITMAP *dest, KX_BITMAP *src, KX_RECT *dest_rect,
                          KX_RECT *src_rect, int options)
{
    std::snprintf(kx_error_pending.detail, sizeof kx_error_pending.detail,
                  "kx_bit_copy_transp (), file %s, line %d", file, line);
    return kx_bit_copy_any(dest, src, dest_rect, src_rect, options, true);
}

int kx_bit_resize(KX_BITMAP *bitmap, KX_RECT *dest, KX_RECT *src, int options)
{
    (void)options;
    if (!bitmap) {
        kx_bit_alert(KX_BIT_ERR_RESIZE_BITMAP);
        return 0;
    }
    if (!dest && !src) {
        kx_bit_alert(KX_BIT_ERR_RESIZE_RECTS);
        return 0;
    }
    if (dest && (dest->width <= 0 || dest->height <= 0)) {
        kx_bit_alert(KX_BIT_ERR_RESIZE_DEST);
        return 0;
    }
    if (src && (src->width <= 0 || src->height <= 0 || src->x > bitmap->width || src->y > bitmap->height)) {
        kx_bit_alert(KX_BIT_ERR_RESIZE_SOURCE);
        return 0;
    }
    KX_BITMAP fresh;
    if (!kx_bit_alloc(&fresh, dest ? dest : src, bitmap->depth)) {
        kx_bit_alert(KX_BIT_ERR_RESIZE_ALLOC);
        return 0;
    }
    if (bitmap->palette) {
        fresh.palette = bitmap->palette;
        fresh.palette->references++;
    }
    fresh.flags = bitmap->flags;
    fresh.transparent = bitmap->transparent;
    KX_RECT whole = {0, 0, fresh.width, fresh.height};
    if (!kx_bit_copy_soft(&fresh, bitmap, &whole, src, KX_BIT_COPY_SCALE | KX_BIT_COPY_SOFT, false)) {
        kx_bit_free(&fresh);
        return 0;
    }
    kx_bit_free(bitmap);
    *bitmap = fresh;
    return 1;
}
