// A probe preloaded into the game that counts what the rasteriser is asked to fill: for every
// glDrawArrays and glDrawElements, the window pixels its primitives cover (each primitive taken through the current
// matrices and viewport, cut to the scissor box, its area summed), by how the pixels are written:
// blended, alpha-tested without blending, or written as they are; glClear's pixels apart. Frames
// are counted at each SDL_GL_SwapWindow. When the game ends it appends one line:
//   frames   frames counted (those after frame VM_PROBE_FROM, default 0)
//   fill_x   pixels filled per frame over the viewport's pixels (the overdraw: 1.0 is every pixel
//            once), and its parts blend_x, test_x, opaque_x; clear_x the cleared pixels
//   full_pct the share of frames drawn anew over a cleared picture (the others patch the picture
//            on show, or are not drawn)
//   draws    draw calls per frame
// to the file VM_PROBE_OUT, or to standard error. Only presented frames count: a still picture,
// neither drawn nor shown again, adds nothing.
#include <GL/gl.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

struct SDL_Window;

namespace {

struct Point {
    double x, y, z, w;
};

struct Probe {
    long from = 0, frames = 0;
    const GLfloat *vertices = nullptr;
    GLint size = 4;
    GLsizei stride = 0;
    // Pixels of the counted frames: blended, alpha-tested, written as they are, cleared.
    double blend = 0, test = 0, opaque = 0, clear = 0, viewport = 0;
    long draws = 0;
    double frame_clear = 0;   // pixels cleared in the frame being drawn
    long full = 0;            // frames cleared in full (drawn anew, not patched)
} probe;

template <typename F>
F next(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool counting()
{
    return probe.frames >= probe.from;
}

// out = m * v, m column-major as OpenGL keeps it.
Point transform(const GLfloat m[16], const Point &v)
{
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w, m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
            m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w, m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};
}

// Keeps the part of a polygon where side(p, k) >= 0 (Sutherland-Hodgman against one plane).
std::vector<Point> cut(const std::vector<Point> &in, double (*side)(const Point &, double), double k)
{
    std::vector<Point> out;
    for (size_t i = 0; i < in.size(); i++) {
        const Point &p = in[i], &q = in[(i + 1) % in.size()];
        double dp = side(p, k), dq = side(q, k);
        if (dp >= 0) out.push_back(p);
        if ((dp >= 0) != (dq >= 0)) {
            double t = dp / (dp - dq);
            out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t, p.w + (q.w - p.w) * t});
        }
    }
    return out;
}

double area(const std::vector<Point> &p)
{
    double a = 0;
    for (size_t i = 0; i < p.size(); i++) a += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    return a < 0 ? -a / 2 : a / 2;
}

// The window pixels one polygon (clip coordinates) covers inside the box x0, y0, x1, y1.
double polygon_pixels(std::vector<Point> poly, const GLint vp[4], const double box[4])
{
    poly = cut(poly, [](const Point &p, double) { return p.w - 1e-6; }, 0);
    for (Point &p : poly) p = {vp[0] + (p.x / p.w + 1) * vp[2] / 2, vp[1] + (p.y / p.w + 1) * vp[3] / 2, 0, 1};
    poly = cut(poly, [](const Point &p, double k) { return p.x - k; }, box[0]);
    poly = cut(poly, [](const Point &p, double k) { return k - p.x; }, box[2]);
    poly = cut(poly, [](const Point &p, double k) { return p.y - k; }, box[1]);
    poly = cut(poly, [](const Point &p, double k) { return k - p.y; }, box[3]);
    return poly.size() >= 3 ? area(poly) : 0;
}

// The primitives of n vertices: from `first` on, or those `indices` (of `type`) name.
void count(GLenum mode, GLint first, GLsizei n, const GLvoid *indices = nullptr, GLenum type = 0)
{
    GLfloat proj[16], model[16];
    GLint vp[4], sc[4];
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    glGetIntegerv(GL_VIEWPORT, vp);
    glGetIntegerv(GL_SCISSOR_BOX, sc);
    double box[4] = {double(vp[0]), double(vp[1]), double(vp[0] + vp[2]), double(vp[1] + vp[3])};
    if (glIsEnabled(GL_SCISSOR_TEST)) {
        box[0] = std::max(box[0], double(sc[0])), box[1] = std::max(box[1], double(sc[1]));
        box[2] = std::min(box[2], double(sc[0] + sc[2])), box[3] = std::min(box[3], double(sc[1] + sc[3]));
    }
    auto vertex = [&](GLint i) {
        const GLsizei stride = probe.stride ? probe.stride : probe.size * GLsizei(sizeof(GLfloat));
        const GLfloat *f = reinterpret_cast<const GLfloat *>(reinterpret_cast<const char *>(probe.vertices) + i * stride);
        Point p = {f[0], f[1], probe.size > 2 ? f[2] : 0.0, probe.size > 3 ? f[3] : 1.0};
        return transform(proj, transform(model, p));
    };
    double pixels = 0;
    auto polygon = [&](std::initializer_list<GLint> at) {
        std::vector<Point> p;
        for (GLint i : at) {
            GLint v = first + i;
            if (indices && type == GL_UNSIGNED_SHORT) v = static_cast<const GLushort *>(indices)[i];
            else if (indices && type == GL_UNSIGNED_INT) v = GLint(static_cast<const GLuint *>(indices)[i]);
            else if (indices) v = static_cast<const GLubyte *>(indices)[i];
            p.push_back(vertex(v));
        }
        pixels += polygon_pixels(p, vp, box);
    };
    switch (mode) {
    case GL_QUADS:
        for (GLint i = 0; i + 4 <= n; i += 4) polygon({i, i + 1, i + 2, i + 3});
        break;
    case GL_TRIANGLES:
        for (GLint i = 0; i + 3 <= n; i += 3) polygon({i, i + 1, i + 2});
        break;
    case GL_TRIANGLE_STRIP:
        for (GLint i = 0; i + 3 <= n; i++) polygon({i, i + 1, i + 2});
        break;
    case GL_TRIANGLE_FAN:
        for (GLint i = 1; i + 2 <= n; i++) polygon({0, i, i + 1});
        break;
    default:
        pixels = n;   // points and lines: about a pixel a vertex
    }
    double &kind = glIsEnabled(GL_BLEND) ? probe.blend : glIsEnabled(GL_ALPHA_TEST) ? probe.test : probe.opaque;
    kind += pixels;
    probe.draws++;
}

__attribute__((constructor)) void probe_start()
{
    const char *from = std::getenv("VM_PROBE_FROM");
    probe.from = from ? std::max(0L, std::atol(from)) : 0;
}

__attribute__((destructor)) void probe_report()
{
    const long frames = probe.frames - probe.from;
    if (frames <= 0 || probe.viewport <= 0) return;
    const char *out = std::getenv("VM_PROBE_OUT");
    FILE *f = out ? std::fopen(out, "a") : stderr;
    if (!f) return;
    const double v = probe.viewport;
    std::fprintf(f, "frames %ld fill_x %.3f blend_x %.3f test_x %.3f opaque_x %.3f clear_x %.3f full_pct %.1f draws %.1f\n", frames,
                 (probe.blend + probe.test + probe.opaque) / v, probe.blend / v, probe.test / v, probe.opaque / v,
                 probe.clear / v, 100.0 * double(probe.full) / double(frames), double(probe.draws) / double(frames));
    if (out) std::fclose(f);
}

} // namespace

extern "C" {

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer)
{
    static auto real = next<void (*)(GLint, GLenum, GLsizei, const GLvoid *)>("glVertexPointer");
    probe.size = size, probe.stride = stride, probe.vertices = type == GL_FLOAT ? static_cast<const GLfloat *>(pointer) : nullptr;
    real(size, type, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei n)
{
    static auto real = next<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    if (counting() && probe.vertices) count(mode, first, n);
    real(mode, first, n);
}

void glDrawElements(GLenum mode, GLsizei n, GLenum type, const GLvoid *indices)
{
    static auto real = next<void (*)(GLenum, GLsizei, GLenum, const GLvoid *)>("glDrawElements");
    if (counting() && probe.vertices && indices) count(mode, 0, n, indices, type);
    real(mode, n, type, indices);
}

void glClear(GLbitfield mask)
{
    static auto real = next<void (*)(GLbitfield)>("glClear");
    if (counting() && (mask & GL_COLOR_BUFFER_BIT)) {
        GLint vp[4], sc[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        glGetIntegerv(GL_SCISSOR_BOX, sc);
        const double pixels = glIsEnabled(GL_SCISSOR_TEST) ? double(sc[2]) * sc[3] : double(vp[2]) * vp[3];
        probe.clear += pixels;
        probe.frame_clear += pixels;
    }
    real(mask);
}

void SDL_GL_SwapWindow(SDL_Window *window)
{
    static auto real = next<void (*)(SDL_Window *)>("SDL_GL_SwapWindow");
    if (counting()) {
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        probe.viewport += double(vp[2]) * vp[3];
        probe.full += probe.frame_clear >= double(vp[2]) * vp[3];
    }
    probe.frame_clear = 0;
    probe.frames++;
    real(window);
}
}
