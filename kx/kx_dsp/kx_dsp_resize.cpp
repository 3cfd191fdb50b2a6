// kx_dsp resize lists: rectangles and float points registered by their owners, kept in design
// coordinates and rescaled to the display after every change of its size.
#include "kx/kx_dsp/kx_dsp_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstdio>

namespace {

constexpr int GROWTH = 16;

template <typename T>
bool grow(T **list, int count, int *capacity, const char *name)
{
    if (count < *capacity) return true;
    auto *grown = static_cast<T *>(kx_mem_realloc(*list, sizeof(T) * static_cast<size_t>(*capacity + GROWTH)));
    if (!grown) return false;
    kx_mem_name(grown, name);
    *list = grown;
    *capacity += GROWTH;
    return true;
}

int rect_find(const KX_RECT *rect)
{
    for (int i = 0; i < kx_dsp.rect_count; i++)
        if (kx_dsp.rects[i].rect == rect) return i;
    return -1;
}

int point_find(const float *point)
{
    for (int i = 0; i < kx_dsp.point_count; i++)
        if (kx_dsp.points[i].point == point) return i;
    return -1;
}

double scale_x(int width)
{
    return kx_dsp.design_width > 0 && width > 0 ? double(width) / kx_dsp.design_width : 1.0;
}

double scale_y(int height)
{
    return kx_dsp.design_height > 0 && height > 0 ? double(height) / kx_dsp.design_height : 1.0;
}

// Rectangles scale in whole numbers (value * display / design, truncated), so that a size the
// display reaches exactly is not lost to a rounding error of the factor.
int16_t scale_int(int value, int size, int design)
{
    if (size <= 0 || design <= 0) return static_cast<int16_t>(value);
    return static_cast<int16_t>(static_cast<long>(value) * size / design);
}

void rect_scale(KX_DSP_RECT_REG &r, int width, int height)
{
    r.rect->x = scale_int(r.design.x, width, kx_dsp.design_width);
    r.rect->y = scale_int(r.design.y, height, kx_dsp.design_height);
    r.rect->width = scale_int(r.design.width, width, kx_dsp.design_width);
    r.rect->height = scale_int(r.design.height, height, kx_dsp.design_height);
}

void point_scale(KX_DSP_POINT_REG &p, double sx, double sy)
{
    p.point[0] = static_cast<float>(p.design[0] * sx);
    p.point[1] = static_cast<float>(p.design[1] * sy);
}

void warn(const char *format, const char *file, int line)
{
    char text[512];
    std::snprintf(text, sizeof text, format, file ? file : "", line);
    kx_dsp_alert(text, nullptr, 0);
}

} // namespace

int kx_dsp_rect_add(KX_RECT *rect)
{
    if (!rect || rect_find(rect) >= 0) return 0;
    if (!grow(&kx_dsp.rects, kx_dsp.rect_count, &kx_dsp.rect_capacity, "kx_dsp resize list (rectangles)")) return 0;
    KX_DSP_RECT_REG &r = kx_dsp.rects[kx_dsp.rect_count++];
    r.rect = rect;
    r.design = *rect;
    rect_scale(r, kx_dsp.width, kx_dsp.height);
    return 1;
}

int kx_dsp_rect_modify(KX_RECT *rect)
{
    int i = rect_find(rect);
    if (i < 0) return 0;
    kx_dsp.rects[i].design = *rect;
    rect_scale(kx_dsp.rects[i], kx_dsp.width, kx_dsp.height);
    return 1;
}

int kx_dsp_rect_add_at(const char *file, int line, KX_RECT *rect)
{
    if (rect && rect_find(rect) >= 0) {
        warn("Warning: Rectangle already added to the resize list. file %s, line %d", file, line);
        return 0;
    }
    return kx_dsp_rect_add(rect);
}

int kx_dsp_rect_modify_at(const char *file, int line, KX_RECT *rect)
{
    if (rect_find(rect) < 0) {
        warn("Warning: Rectangle not in the resize list. file %s, line %d", file, line);
        return 0;
    }
    return kx_dsp_rect_modify(rect);
}

int kx_dsp_rect_remove(KX_RECT *rect)
{
    int i = rect_find(rect);
    if (i < 0) return 0;
    kx_dsp.rects[i] = kx_dsp.rects[--kx_dsp.rect_count];
    return 1;
}

int kx_dsp_point_float_add(float *point)
{
    if (!point || point_find(point) >= 0) return 0;
    if (!grow(&kx_dsp.points, kx_dsp.point_count, &kx_dsp.point_capacity, "kx_dsp resize list (points)")) return 0;
    KX_DSP_POINT_REG &p = kx_dsp.points[kx_dsp.point_count++];
    p.point = point;
    p.design[0] = point[0];
    p.design[1] = point[1];
    point_scale(p, scale_x(kx_dsp.width), scale_y(kx_dsp.height));
    return 1;
}

int kx_dsp_point_float_modify(float *point)
{
    int i = point_find(point);
    if (i < 0) return 0;
    kx_dsp.points[i].design[0] = point[0];
    kx_dsp.points[i].design[1] = point[1];
    point_scale(kx_dsp.points[i], scale_x(kx_dsp.width), scale_y(kx_dsp.height));
    return 1;
}

int kx_dsp_point_float_add_at(const char *file, int line, float *point)
{
    if (point && point_find(point) >= 0) {
        warn("Warning: Point_float already added to the resize list. file %s, line %d", file, line);
        return 0;
    }
    return kx_dsp_point_float_add(point);
}

int kx_dsp_point_float_modify_at(const char *file, int line, float *point)
{
    if (point_find(point) < 0) {
        warn("Warning: Point_float not in the resize list. file %s, line %d", file, line);
        return 0;
    }
    return kx_dsp_point_float_modify(point);
}

int kx_dsp_point_float_remove(float *point)
{
    int i = point_find(point);
    if (i < 0) return 0;
    kx_dsp.points[i] = kx_dsp.points[--kx_dsp.point_count];
    return 1;
}

void kx_dsp_resize_lists_clear()
{
    if (kx_dsp.rects) kx_mem_free(kx_dsp.rects);
    if (kx_dsp.points) kx_mem_free(kx_dsp.points);
    kx_dsp.rects = nullptr;
    kx_dsp.points = nullptr;
    kx_dsp.rect_count = kx_dsp.rect_capacity = kx_dsp.point_count = kx_dsp.point_capacity = 0;
}

void kx_dsp_resize_lists_apply(int width, int height)
{
    double sx = scale_x(width), sy = scale_y(height);
    for (int i = 0; i < kx_dsp.rect_count; i++) rect_scale(kx_dsp.rects[i], width, height);
    for (int i = 0; i < kx_dsp.point_count; i++) point_scale(kx_dsp.points[i], sx, sy);
}
