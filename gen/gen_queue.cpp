// gen_queue: the frame's drawing queue (see gen_queue.h).
//
// At the end of a frame the picture is cut into blocks of GEN_BLOCK x GEN_BLOCK pixels, and each
// block gets a fingerprint of the primitives that touch it, in drawing order. A block whose
// fingerprint is that of the frame on show holds the same pixels. When nothing changed, the
// frame is neither drawn nor shown. When the driver keeps the back buffer's pixels across a swap
// (the back end checks), only the changed blocks are cleared and drawn again, in rectangles.
// A backdrop (the picture drawn first under a world) leaves out the rows that faces drawn later
// with solid textures cover from side to side.
// Colours go to the driver in the vertex records, beside the positions (one array, one stride, as
// the browser's OpenGL emulation wants), so that runs which differ only in colour are drawn by one
// call.
#include "gen/gen_queue.h"

#include "gen/gen_bit.h"
#include "kx/kx_mem/kx_mem.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <climits>
#include <cstring>
#include <iterator>

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

namespace {

// What a run is to the backdrop's cut.
enum : uint32_t {
    ROLE_PLAIN = 0,
    ROLE_BACKDROP = 1,   // part of the backdrop
    ROLE_COVER = 2,      // faces that hide what lies below them, but along their edges
};

// Consecutive primitives drawn with one call, and the window pixels they may touch.
struct GEN_RUN {
    uint32_t mode, texture, blend, space, role;
    GEN_COLOR color;
    int32_t first, count;
    int32_t x0, y0, x1, y1;   // bounds in blocks, inclusive; x0 > x1 before they are known
};

struct GEN_RECT {
    int x0, y0, x1, y1;   // blocks, inclusive
};

// Part of the picture in pixels, rows counted from the top, x1 and y1 excluded.
struct GEN_SPAN {
    int x0, y0, x1, y1;
};

// Runs drawn with one call after the queue's runs were put in a new order: the first and last
// of them (linked through gen_queue.group_next) and the blocks they reach together.
struct GEN_GROUP {
    int head, tail;
    GEN_RECT reach;   // x0 > x1 for none
    bool fixed;       // keeps its place: nothing is drawn with it or moved past it
};

// Groups looked back over for one a run can be drawn with.
constexpr int REGROUP_LOOKBACK = 24;

// The backdrop is drawn through at most this many rectangles around the pixels left open.
constexpr int CUT_PARTS_MAX = 8;
// Rectangles of a backdrop looked at to tell whether it fills the picture (see backdrop_fills).
constexpr int BACKDROP_TILES_MAX = 64;
// The rows of the picture are looked at in at most this many bands.
constexpr int CUT_BANDS_MAX = 24;
// Pixels around the open ones the backdrop is drawn over too (see cut_parts).
constexpr int CUT_MARGIN = 2;
// Corners of the largest face the cut covers in one pass; larger ones go triangle by triangle.
constexpr int COVER_CORNERS_MAX = 8;
// Pictures wider than this are not cut.
constexpr int GEN_CUT_WIDTH_MAX = 8192;

// What the back buffer holds.
enum : int {
    BACK_UNKNOWN = 0,   // nothing known (after a swap that does not keep it)
    BACK_SHOWN = 1,     // the picture on show
    BACK_STARTED = 2,   // this frame, begun on a cleared buffer
};

constexpr int RECTS_MAX = 8;
// Beyond this share of changed blocks (in percent) they are drawn again as one rectangle round
// them all, in one pass: when the camera moves, the world changes but the sky above it and what
// is drawn over the sky (a title) often do not.
constexpr int PATCH_SHARE_MAX = 60;
// Beyond this share of the picture (in percent) that rectangle is not worth it: the whole picture
// is drawn.
constexpr int BOUND_SHARE_MAX = 90;

struct GEN_QUEUE {
    GEN_VERTEX *vertices;
    int vertex_count, vertex_capacity;
    // By the first vertex of each primitive of a mergeable run: the blocks it may touch (x0 > x1
    // for none), so that a changed part is drawn again from only the primitives that reach it.
    GEN_RECT *reach;
    int reach_capacity;
    bool reach_known;   // reach holds the queued frame's primitives
    GEN_RUN *runs;
    int run_count, run_capacity;
    // Room to put the runs in a new order (see runs_regroup).
    GEN_VERTEX *spare_vertices;
    GEN_RECT *spare_reach;
    GEN_RUN *spare_runs;
    GEN_GROUP *groups;
    int *group_next;
    int spare_vertex_capacity, spare_reach_capacity, spare_run_capacity, group_capacity, next_capacity;
    bool backdrop;       // runs queued now belong to the backdrop
    uint64_t *covered;   // the backdrop's cut: a bit by picture pixel, set where a cover hides it
    int covered_capacity;
    int covered_words;   // 64-bit words a row
    // The parts of the picture the backdrop was last cut to, by a fingerprint of the covers'
    // corners and the viewport: a world seen from a camera that did not move is not cut again.
    GEN_SPAN cut[CUT_PARTS_MAX];
    int cut_count;
    uint64_t cut_print;
    bool cut_known;
    bool cut_on;   // the queued frame's backdrop is drawn over the cut's parts only
    // The picture's viewport in window pixels (OpenGL's origin, bottom left) and its blocks.
    int vx, vy, vw, vh;
    int columns, rows;
    uint64_t *blocks, *shown_blocks;
    int block_capacity;
    bool unsealed;      // the last run draws from a packed texture, not yet placed in its page
    bool shown_valid;   // shown_blocks describe the picture on show
    bool must_draw;     // the picture on show changed besides the queue: draw all of it
    int back;           // BACK_*
    int kept = -1;      // the driver keeps the back buffer across swaps: -1 unknown, 0 no, 1 yes
    GEN_RECT rects[RECTS_MAX];
    int rect_count;
    long draws;
    int last_frame;     // GEN_FRAME_*
    // OpenGL state as the last run left it.
    uint32_t blend, space;
    bool textured;
    bool replace;   // textures replace the colour instead of being multiplied by it
    int array_base;   // the vertex the arrays given to the driver start at
};

GEN_QUEUE gen_queue;

constexpr int FIRST_VERTICES = 4096, FIRST_RUNS = 256;
// Quads drawn by one call at most, as triangles through 16-bit indices.
constexpr int QUADS_A_CALL = 16384;
constexpr uint64_t HASH_START = 0xCBF29CE484222325ull, HASH_PRIME = 0x100000001B3ull;

bool mergeable(uint32_t mode)
{
    return mode == GL_QUADS || mode == GL_POINTS || mode == GL_LINES;
}

// Vertices of one primitive of a mergeable run.
int primitive_size(uint32_t mode)
{
    return mode == GL_QUADS ? 4 : mode == GL_LINES ? 2 : 1;
}

bool same_color(const GEN_COLOR &a, const GEN_COLOR &b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Grows an array of `size`-byte items to hold at least `need`; false when it cannot.
bool grow(void **items, int *capacity, int need, int first, size_t size, const char *name)
{
    if (need <= *capacity) return true;
    int wanted = *capacity ? *capacity : first;
    while (wanted < need) wanted *= 2;
    void *grown = kx_mem_realloc(*items, size * static_cast<size_t>(wanted));
    if (!grown) return false;
    kx_mem_name(grown, name);
    *items = grown;
    *capacity = wanted;
    return true;
}

// Folds 32-bit words into a fingerprint (the queue holds only 32-bit fields).
uint64_t hash_words(uint64_t h, const void *data, size_t bytes)
{
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        uint32_t w;
        std::memcpy(&w, p + i, 4);
        h = (h ^ w) * HASH_PRIME;
    }
    return h;
}

bool mergeable_after(const GEN_RUN &a, const GEN_RUN &b)
{
    return mergeable(b.mode) && a.mode == b.mode && a.texture == b.texture && a.blend == b.blend &&
           a.space == b.space && a.role == b.role && same_color(a.color, b.color) && a.first + a.count == b.first;
}

// The last run's texture coordinates moved into its texture's part of an atlas page (clamped
// to the texture, as the page does not clamp); then it joins the run before when it can.
void seal()
{
    GEN_QUEUE &q = gen_queue;
    if (!q.unsealed) return;
    q.unsealed = false;
    GEN_RUN &run = q.runs[q.run_count - 1];
    uint32_t texture = 0;
    float part[4];
    if (!gen_texture_place(run.texture, &texture, part)) {
        q.vertex_count = run.first;
        q.run_count--;
        return;
    }
    for (int i = run.first; i < run.first + run.count; i++) {
        GEN_VERTEX &v = q.vertices[i];
        v.s = part[0] + std::clamp(v.s, 0.0f, 1.0f) * (part[2] - part[0]);
        v.t = part[1] + std::clamp(v.t, 0.0f, 1.0f) * (part[3] - part[1]);
    }
    run.texture = texture;
    if (q.run_count >= 2 && mergeable_after(q.runs[q.run_count - 2], run)) {
        q.runs[q.run_count - 2].count += run.count;
        q.run_count--;
    }
}

// ---------------------------------------------------------------------------------------------
// Blocks
// ---------------------------------------------------------------------------------------------

// The window pixel of a vertex; false when it has none (behind the eye, or not a number).
bool window_point(const GEN_VERTEX &v, uint32_t space, double *x, double *y)
{
    const GEN_QUEUE &q = gen_queue;
    if (space == GEN_SPACE_PICTURE) {
        *x = q.vx + static_cast<double>(v.x);
        *y = q.vy + q.vh - static_cast<double>(v.y);
    } else {
        if (!(v.w > 0.0f)) return false;
        *x = q.vx + (static_cast<double>(v.x) / v.w + 1.0) * q.vw / 2.0;
        *y = q.vy + (static_cast<double>(v.y) / v.w + 1.0) * q.vh / 2.0;
    }
    return std::isfinite(*x) && std::isfinite(*y);
}

// The blocks a primitive of `count` vertices may touch (a pixel around its corners included),
// clamped to the picture; false when it lies outside. A primitive without a window position
// counts as touching every block.
bool primitive_blocks(const GEN_VERTEX *v, int count, uint32_t space, GEN_RECT *r)
{
    const GEN_QUEUE &q = gen_queue;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (int i = 0; i < count; i++) {
        double x, y;
        if (!window_point(v[i], space, &x, &y)) {
            *r = {0, 0, q.columns - 1, q.rows - 1};
            return true;
        }
        if (i == 0 || x < x0) x0 = x;
        if (i == 0 || x > x1) x1 = x;
        if (i == 0 || y < y0) y0 = y;
        if (i == 0 || y > y1) y1 = y;
    }
    x0 = std::floor(x0) - 1 - q.vx, x1 = std::ceil(x1) + 1 - q.vx;
    y0 = std::floor(y0) - 1 - q.vy, y1 = std::ceil(y1) + 1 - q.vy;
    if (x1 < 0 || y1 < 0 || x0 >= q.vw || y0 >= q.vh) return false;
    r->x0 = static_cast<int>(std::max(0.0, x0)) / GEN_BLOCK;
    r->y0 = static_cast<int>(std::max(0.0, y0)) / GEN_BLOCK;
    r->x1 = static_cast<int>(std::min<double>(q.vw - 1, x1)) / GEN_BLOCK;
    r->y1 = static_cast<int>(std::min<double>(q.vh - 1, y1)) / GEN_BLOCK;
    return true;
}

// Fingerprints the queued frame into gen_queue.blocks, and notes each run's bounds.
void blocks_build()
{
    GEN_QUEUE &q = gen_queue;
    const int n = q.columns * q.rows;
    std::fill(q.blocks, q.blocks + n, HASH_START);
    q.reach_known = grow(reinterpret_cast<void **>(&q.reach), &q.reach_capacity, q.vertex_count, FIRST_VERTICES,
                            sizeof(GEN_RECT), "gen queue reach");
    for (int i = 0; i < q.run_count; i++) {
        GEN_RUN &run = q.runs[i];
        run.x0 = run.y0 = 0;
        run.x1 = run.y1 = -1;
        uint64_t state = hash_words(HASH_START, &run, offsetof(GEN_RUN, first));
        const int step = mergeable(run.mode) ? primitive_size(run.mode) : run.count;
        for (int first = run.first; first + step <= run.first + run.count; first += step) {
            GEN_RECT r;
            const bool inside = primitive_blocks(&q.vertices[first], step, run.space, &r);
            if (q.reach_known) q.reach[first] = inside ? r : GEN_RECT{0, 0, -1, -1};
            if (!inside) continue;
            uint64_t h = state;
            for (int v = first; v < first + step; v++) h = hash_words(h, &q.vertices[v], offsetof(GEN_VERTEX, r));
            for (int y = r.y0; y <= r.y1; y++)
                for (int x = r.x0; x <= r.x1; x++) {
                    uint64_t &b = q.blocks[y * q.columns + x];
                    b = (b ^ h) * HASH_PRIME;
                }
            if (run.x0 > run.x1) {
                run.x0 = r.x0, run.y0 = r.y0, run.x1 = r.x1, run.y1 = r.y1;
            } else {
                run.x0 = std::min(run.x0, r.x0), run.y0 = std::min(run.y0, r.y0);
                run.x1 = std::max(run.x1, r.x1), run.y1 = std::max(run.y1, r.y1);
            }
        }
    }
}

int rect_area(const GEN_RECT &r)
{
    return (r.x1 - r.x0 + 1) * (r.y1 - r.y0 + 1);
}

GEN_RECT rect_union(const GEN_RECT &a, const GEN_RECT &b)
{
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool rect_empty(const GEN_RECT &r)
{
    return r.x0 > r.x1;
}

bool rects_overlap(const GEN_RECT &a, const GEN_RECT &b)
{
    return !rect_empty(a) && !rect_empty(b) && a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

// Whether run b can go to the driver in the same call as run a, once beside it.
bool same_call(const GEN_RUN &a, const GEN_RUN &b)
{
    return a.mode == b.mode && a.texture == b.texture && a.blend == b.blend && a.space == b.space;
}

// Puts the queued runs in an order that needs fewer calls and draws the same pixels. Two runs
// that reach no common block give the same picture in either order, so a run joins the last
// group before it of the same state when no group between them reaches any block it reaches:
// the faces of a world around the sprites standing among them then go in one call instead of
// one call between each two sprites. The backdrop and the runs that are not lists of primitives
// keep their places. Runs that touch no block of the picture draw nothing and go anywhere.
void runs_regroup()
{
    GEN_QUEUE &q = gen_queue;
    if (!q.reach_known || q.run_count < 3) return;
    const int n = q.run_count;
    if (!grow(reinterpret_cast<void **>(&q.groups), &q.group_capacity, n, FIRST_RUNS, sizeof(GEN_GROUP),
              "gen queue groups") ||
        !grow(reinterpret_cast<void **>(&q.group_next), &q.next_capacity, n, FIRST_RUNS, sizeof(int),
              "gen queue group links"))
        return;
    int groups = 0;
    bool moved = false;
    for (int i = 0; i < n; i++) {
        const GEN_RUN &r = q.runs[i];
        const GEN_RECT reach = {r.x0, r.y0, r.x1, r.y1};
        q.group_next[i] = -1;
        const bool fixed = r.role == ROLE_BACKDROP || !mergeable(r.mode);
        int joined = -1;
        for (int g = groups - 1; !fixed && g >= 0 && g >= groups - REGROUP_LOOKBACK; g--) {
            const GEN_GROUP &group = q.groups[g];
            if (group.fixed) break;
            if (same_call(q.runs[group.head], r)) {
                joined = g;
                break;
            }
            if (rects_overlap(group.reach, reach)) break;
        }
        if (joined < 0) {
            q.groups[groups++] = {i, i, reach, fixed};
            continue;
        }
        GEN_GROUP &group = q.groups[joined];
        moved = moved || joined != groups - 1;
        q.group_next[group.tail] = i;
        group.tail = i;
        if (rect_empty(group.reach)) group.reach = reach;
        else if (!rect_empty(reach)) group.reach = rect_union(group.reach, reach);
    }
    if (!moved) return;
    if (!grow(reinterpret_cast<void **>(&q.spare_vertices), &q.spare_vertex_capacity, q.vertex_count, FIRST_VERTICES,
              sizeof(GEN_VERTEX), "gen queue vertices") ||
        !grow(reinterpret_cast<void **>(&q.spare_reach), &q.spare_reach_capacity, q.vertex_count, FIRST_VERTICES,
              sizeof(GEN_RECT), "gen queue reach") ||
        !grow(reinterpret_cast<void **>(&q.spare_runs), &q.spare_run_capacity, n, FIRST_RUNS, sizeof(GEN_RUN),
              "gen queue runs"))
        return;
    int runs = 0, vertices = 0;
    for (int g = 0; g < groups; g++)
        for (int i = q.groups[g].head; i >= 0; i = q.group_next[i]) {
            GEN_RUN r = q.runs[i];
            std::copy(q.vertices + r.first, q.vertices + r.first + r.count, q.spare_vertices + vertices);
            std::copy(q.reach + r.first, q.reach + r.first + r.count, q.spare_reach + vertices);
            r.first = vertices;
            vertices += r.count;
            q.spare_runs[runs++] = r;
        }
    std::swap(q.vertices, q.spare_vertices);
    std::swap(q.vertex_capacity, q.spare_vertex_capacity);
    std::swap(q.reach, q.spare_reach);
    std::swap(q.reach_capacity, q.spare_reach_capacity);
    std::swap(q.runs, q.spare_runs);
    std::swap(q.run_capacity, q.spare_run_capacity);
}

// Adds a rectangle of changed blocks; past RECTS_MAX the two whose union grows least are merged.
void rect_add(GEN_RECT r)
{
    GEN_QUEUE &q = gen_queue;
    // A rectangle just below with the same columns is extended instead.
    for (int i = 0; i < q.rect_count; i++) {
        GEN_RECT &o = q.rects[i];
        if (o.x0 == r.x0 && o.x1 == r.x1 && o.y1 + 1 == r.y0) {
            o.y1 = r.y1;
            return;
        }
    }
    if (q.rect_count < RECTS_MAX) {
        q.rects[q.rect_count++] = r;
        return;
    }
    int best_i = -1, best_j = -1, best_growth = 0;
    GEN_RECT all[RECTS_MAX + 1];
    std::copy(q.rects, q.rects + RECTS_MAX, all);
    all[RECTS_MAX] = r;
    for (int i = 0; i <= RECTS_MAX; i++)
        for (int j = i + 1; j <= RECTS_MAX; j++) {
            int growth = rect_area(rect_union(all[i], all[j])) - rect_area(all[i]) - rect_area(all[j]);
            if (best_i < 0 || growth < best_growth) best_i = i, best_j = j, best_growth = growth;
        }
    all[best_i] = rect_union(all[best_i], all[best_j]);
    all[best_j] = all[RECTS_MAX];
    std::copy(all, all + RECTS_MAX, q.rects);
}

// The changed blocks as at most RECTS_MAX rectangles; returns how many blocks changed.
int rects_build()
{
    GEN_QUEUE &q = gen_queue;
    q.rect_count = 0;
    int changed = 0;
    for (int y = 0; y < q.rows; y++)
        for (int x = 0; x < q.columns;) {
            if (q.blocks[y * q.columns + x] == q.shown_blocks[y * q.columns + x]) {
                x++;
                continue;
            }
            int end = x;
            while (end + 1 < q.columns && q.blocks[y * q.columns + end + 1] != q.shown_blocks[y * q.columns + end + 1])
                end++;
            changed += end - x + 1;
            rect_add({x, y, end, y});
            x = end + 1;
        }
    return changed;
}

// The changed blocks' rectangles become the one rectangle round them all.
void rects_bound()
{
    GEN_QUEUE &q = gen_queue;
    for (int i = 1; i < q.rect_count; i++) q.rects[0] = rect_union(q.rects[0], q.rects[i]);
    q.rect_count = std::min(q.rect_count, 1);
}

// Whether every rectangle lies below window row `floor` (OpenGL's count), where the window menu
// draws nothing: drawing the rectangles again leaves the menu as it is.
bool rects_below(int floor)
{
    const GEN_QUEUE &q = gen_queue;
    for (int i = 0; i < q.rect_count; i++)
        if (q.vy + std::min(q.vh, (q.rects[i].y1 + 1) * GEN_BLOCK) > floor) return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// The backdrop's cut
// ---------------------------------------------------------------------------------------------

// Sets bits `from` to `to` (inclusive) of a row of 64-bit words.
void bits_set(uint64_t *row, int from, int to)
{
    for (int w = from / 64; w <= to / 64; w++) {
        const int lo = std::max(from, w * 64) - w * 64, hi = std::min(to, w * 64 + 63) - w * 64;
        row[w] |= (hi - lo == 63 ? ~0ull : ((1ull << (hi - lo + 1)) - 1)) << lo;
    }
}

// Marks in gen_queue.covered the pixels whose centres lie inside the convex polygon of n corners
// (picture pixels, rows from the top), as the rasteriser counts them: a centre on an edge shared
// by two polygons belongs to one of them, so faces that meet leave no pixel open between them (an
// edge's crossing with a row is worked out from its end points in one order, whichever polygon it
// belongs to). A convex polygon marks what the triangles it is drawn as mark together.
void polygon_cover(const double *x, const double *y, int n)
{
    GEN_QUEUE &q = gen_queue;
    double top = 1e30, bottom = -1e30;
    for (int i = 0; i < n; i++) top = std::min(top, y[i]), bottom = std::max(bottom, y[i]);
    // Rows whose centres lie in [top, bottom).
    const int r0 = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int r1 = std::min(q.vh - 1, static_cast<int>(std::ceil(bottom - 0.5)) - 1);
    if (r0 > r1) return;
    // The edges that are not level, each from its upper end (the left one on a tie), with the
    // change of x a row.
    struct EDGE {
        double x, y, y_end, slope;
    } edges[COVER_CORNERS_MAX];
    int count = 0;
    for (int i = 0; i < n; i++) {
        int lo = i, hi = (i + 1) % n;
        if (y[lo] > y[hi] || (y[lo] == y[hi] && x[lo] > x[hi])) std::swap(lo, hi);
        if (y[lo] == y[hi]) continue;
        edges[count++] = {x[lo], y[lo], y[hi], (x[hi] - x[lo]) / (y[hi] - y[lo])};
    }
    uint64_t *row = q.covered + static_cast<size_t>(r0) * q.covered_words;
    for (int r = r0; r <= r1; r++, row += q.covered_words) {
        const double yc = r + 0.5;
        double left = 1e30, right = -1e30;
        for (int i = 0; i < count; i++) {
            const EDGE &e = edges[i];
            if (yc < e.y || yc > e.y_end) continue;
            const double xe = e.x + (yc - e.y) * e.slope;
            left = std::min(left, xe), right = std::max(right, xe);
        }
        // Columns whose centres lie in [left, right).
        const double c0 = std::max(0.0, std::ceil(left - 0.5));
        const double c1 = std::min<double>(q.vw - 1, std::ceil(right - 0.5) - 1);
        if (c0 <= c1) bits_set(row, static_cast<int>(c0), static_cast<int>(c1));
    }
}

// Whether the polygon of n corners turns one way at every corner (a convex one; turns of zero
// allowed).
bool convex(const double *x, const double *y, int n)
{
    bool left = false, right = false;
    for (int i = 0; i < n; i++) {
        const int j = (i + 1) % n, k = (i + 2) % n;
        const double turn = (x[j] - x[i]) * (y[k] - y[j]) - (y[j] - y[i]) * (x[k] - x[j]);
        left = left || turn > 0, right = right || turn < 0;
    }
    return !(left && right);
}

// A queued clip-space vertex's place in picture pixels, rows counted from the top; false when it
// has none.
bool picture_point(const GEN_VERTEX &v, double *x, double *y)
{
    const GEN_QUEUE &q = gen_queue;
    if (!window_point(v, GEN_SPACE_CLIP, x, y)) return false;
    *x -= q.vx;
    *y = q.vy + q.vh - *y;
    return true;
}

// Marks what a queued quad or fan of n corners from `first` covers: in one pass when it is
// convex, else triangle by triangle round its first corner, as it is drawn. A triangle with a
// corner without a window position marks nothing.
void face_cover(const GEN_VERTEX *first, int n)
{
    double x[COVER_CORNERS_MAX], y[COVER_CORNERS_MAX];
    bool placed = n <= COVER_CORNERS_MAX;
    for (int i = 0; placed && i < n; i++) placed = picture_point(first[i], &x[i], &y[i]);
    if (placed && convex(x, y, n)) {
        polygon_cover(x, y, n);
        return;
    }
    for (int k = 1; k + 1 < n; k++) {
        double tx[3], ty[3];
        if (picture_point(first[0], &tx[0], &ty[0]) && picture_point(first[k], &tx[1], &ty[1]) &&
            picture_point(first[k + 1], &tx[2], &ty[2]))
            polygon_cover(tx, ty, 3);
    }
}

int span_area(const GEN_SPAN &s)
{
    return (s.x1 - s.x0) * (s.y1 - s.y0);
}

GEN_SPAN span_union(const GEN_SPAN &a, const GEN_SPAN &b)
{
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

// Whether column c is open in a row of `open` bits.
bool bit_at(const uint64_t *open, int c)
{
    return (open[c / 64] >> (c % 64)) & 1;
}

// From gen_queue.covered, rectangles that hold every open pixel: bands of rows, each over the
// columns from its first to its last open pixel, or in two where a wide covered stretch parts
// them (the sides of the picture left open beside a floor); then the two whose union grows least
// merged until at most CUT_PARTS_MAX are left, and further while that costs next to nothing
// (each part costs a call for each backdrop texture it meets).
void cut_parts()
{
    GEN_QUEUE &q = gen_queue;
    const int band = std::max(GEN_BLOCK, (q.vh + CUT_BANDS_MAX - 1) / CUT_BANDS_MAX);
    const int words = q.covered_words, tail = q.vw % 64;
    const uint64_t end_mask = tail ? (1ull << tail) - 1 : ~0ull;
    GEN_SPAN parts[CUT_BANDS_MAX * 2];
    int n = 0;
    uint64_t open[(GEN_CUT_WIDTH_MAX + 63) / 64];
    for (int y = 0; y < q.vh; y += band) {
        // The columns open in any row of the band, and its first and last row with one.
        std::fill(open, open + words, uint64_t{0});
        int y0 = -1, y1 = -1;
        for (int r = y; r < std::min(q.vh, y + band); r++) {
            const uint64_t *row = q.covered + static_cast<size_t>(r) * words;
            uint64_t any = 0;
            for (int w = 0; w < words; w++) {
                const uint64_t bits = ~row[w] & (w + 1 == words ? end_mask : ~0ull);
                open[w] |= bits;
                any |= bits;
            }
            if (!any) continue;
            if (y0 < 0) y0 = r;
            y1 = r + 1;
        }
        if (y0 < 0) continue;
        int first = 0, last = q.vw - 1;
        while (!bit_at(open, first)) first++;
        while (!bit_at(open, last)) last--;
        // The widest covered stretch between them.
        int gap0 = 0, gap1 = 0;
        for (int c = first; c <= last;) {
            if (bit_at(open, c)) {
                c++;
                continue;
            }
            int e = c;
            while (!bit_at(open, e)) e++;
            if (e - c > gap1 - gap0) gap0 = c, gap1 = e;
            c = e;
        }
        // A margin of CUT_MARGIN pixels: where a face's edge crosses a pixel's centre to within
        // the rasteriser's rounding, the backdrop is drawn below it all the same.
        y0 = std::max(0, y0 - CUT_MARGIN), y1 = std::min(q.vh, y1 + CUT_MARGIN);
        first = std::max(0, first - CUT_MARGIN), last = std::min(q.vw - 1, last + CUT_MARGIN);
        if (gap1 - gap0 >= 2 * GEN_BLOCK) {
            parts[n++] = {first, y0, gap0 + CUT_MARGIN, y1};
            parts[n++] = {gap1 - CUT_MARGIN, y0, last + 1, y1};
        } else {
            parts[n++] = {first, y0, last + 1, y1};
        }
    }
    const int small = GEN_BLOCK * GEN_BLOCK * 4;
    while (n > 1) {
        int best_i = 0, best_j = 1, best_growth = INT_MAX;
        for (int i = 0; i < n; i++)
            for (int j = i + 1; j < n; j++) {
                const int growth = span_area(span_union(parts[i], parts[j])) - span_area(parts[i]) - span_area(parts[j]);
                if (growth < best_growth) best_i = i, best_j = j, best_growth = growth;
            }
        if (n <= CUT_PARTS_MAX && best_growth > small) break;
        parts[best_i] = span_union(parts[best_i], parts[best_j]);
        parts[best_j] = parts[--n];
    }
    q.cut_count = n;
    std::copy(parts, parts + n, q.cut);
}

// Leaves out of the backdrop what the covers queued after it hide: it is drawn through scissors
// over rectangles that hold every pixel left open (its vertices stay as they are, so that every
// pixel drawn samples the texel it did).
void backdrop_cut()
{
    GEN_QUEUE &q = gen_queue;
    int last = -1;
    bool covers = false;
    for (int i = 0; i < q.run_count; i++) {
        if (q.runs[i].role == ROLE_BACKDROP) last = i, covers = false;
        if (q.runs[i].role == ROLE_COVER && last >= 0) covers = true;
    }
    if (!covers || q.vw <= 0 || q.vh <= 0 || q.vw > GEN_CUT_WIDTH_MAX) return;
    const int view[4] = {q.vx, q.vy, q.vw, q.vh};
    uint64_t print = hash_words(HASH_START, view, sizeof view);
    for (int i = last + 1; i < q.run_count; i++) {
        const GEN_RUN &run = q.runs[i];
        if (run.role != ROLE_COVER) continue;
        print = hash_words(print, &run.mode, sizeof run.mode);
        for (int v = run.first; v < run.first + run.count; v++) print = hash_words(print, &q.vertices[v].x, 4 * sizeof(float));
    }
    if (q.cut_known && print == q.cut_print) {
        q.cut_on = true;
        return;
    }
    if (!grow(reinterpret_cast<void **>(&q.covered), &q.covered_capacity, (q.vw + 63) / 64 * q.vh,
              (q.vw + 63) / 64 * q.vh, sizeof(uint64_t), "gen queue backdrop cut"))
        return;
    q.covered_words = (q.vw + 63) / 64;
    std::fill(q.covered, q.covered + static_cast<size_t>(q.covered_words) * q.vh, uint64_t{0});
    for (int i = last + 1; i < q.run_count; i++) {
        const GEN_RUN &run = q.runs[i];
        if (run.role != ROLE_COVER) continue;
        // Quads and fans alike are fans of triangles round their first vertex.
        const int step = run.mode == GL_QUADS ? 4 : run.count;
        for (int first = run.first; first + step <= run.first + run.count; first += step)
            face_cover(&q.vertices[first], step);
    }
    cut_parts();
    q.cut_print = print;
    q.cut_known = q.cut_on = true;
}

// Whether the backdrop writes every pixel of the picture as it is: its runs are opaque
// rectangles (strips of four corners) that do not overlap and whose parts inside the picture add
// up to all of it. Where it is left out, covers write the pixels, so a part of the picture drawn
// again over such a backdrop needs no clearing first.
bool backdrop_fills()
{
    const GEN_QUEUE &q = gen_queue;
    struct BOX {
        double x0, y0, x1, y1;
    } boxes[BACKDROP_TILES_MAX];
    int n = 0;
    double area = 0.0;
    for (int i = 0; i < q.run_count; i++) {
        const GEN_RUN &run = q.runs[i];
        if (run.role != ROLE_BACKDROP) continue;
        if (run.mode != GL_TRIANGLE_STRIP || run.count != 4 || run.blend != GEN_BLEND_OPAQUE || run.color.a < 1.0f ||
            run.space != GEN_SPACE_PICTURE || n == static_cast<int>(std::size(boxes)))
            return false;
        const GEN_VERTEX *v = &q.vertices[run.first];
        if (v[0].y != v[1].y || v[2].y != v[3].y || v[0].x != v[2].x || v[1].x != v[3].x) return false;
        BOX b = {std::max(0.0, double(std::min(v[0].x, v[1].x))), std::max(0.0, double(std::min(v[0].y, v[2].y))),
                 std::min(double(q.vw), double(std::max(v[0].x, v[1].x))),
                 std::min(double(q.vh), double(std::max(v[0].y, v[2].y)))};
        if (b.x0 >= b.x1 || b.y0 >= b.y1) continue;
        for (int j = 0; j < n; j++)
            if (std::min(b.x1, boxes[j].x1) > std::max(b.x0, boxes[j].x0) &&
                std::min(b.y1, boxes[j].y1) > std::max(b.y0, boxes[j].y0))
                return false;
        boxes[n++] = b;
        area += (b.x1 - b.x0) * (b.y1 - b.y0);
    }
    return n > 0 && area >= double(q.vw) * q.vh - 1e-3;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

void blend_apply(uint32_t blend)
{
    if (blend == gen_queue.blend) return;
    gen_queue.blend = blend;
    if (blend == GEN_BLEND_ALPHA || blend == GEN_BLEND_KEYED) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    if (blend == GEN_BLEND_KEYED || blend == GEN_BLEND_CUT) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, blend == GEN_BLEND_CUT ? 0.5f : 0.0f);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
}

// The picture space uses the projection gen_wrap_resize set; the clip space none.
void space_apply(uint32_t space)
{
    if (space == gen_queue.space) return;
    gen_queue.space = space;
    glMatrixMode(GL_PROJECTION);
    if (space == GEN_SPACE_CLIP) {
        glPushMatrix();
        glLoadIdentity();
    } else {
        glPopMatrix();
    }
    glMatrixMode(GL_MODELVIEW);
}

void texture_apply(uint32_t texture)
{
    if (texture) {
        if (!gen_queue.textured) glEnable(GL_TEXTURE_2D);
        bind_texture(GL_TEXTURE_2D, texture);
    } else if (gen_queue.textured) {
        glDisable(GL_TEXTURE_2D);
    }
    gen_queue.textured = texture != 0;
}

bool white(const GEN_COLOR &c)
{
    return same_color(c, {1.0f, 1.0f, 1.0f, 1.0f});
}

// A texture multiplied by white is itself: a call whose runs are all white takes the texture as
// it is, which spares the rasteriser the colour's interpolation and product at every pixel.
void colour_apply(bool all_white)
{
    if (all_white == gen_queue.replace || !gen_queue.textured) return;
    gen_queue.replace = all_white;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, all_white ? GL_REPLACE : GL_MODULATE);
}

void scissor_blocks(const GEN_RECT &r)
{
    const GEN_QUEUE &q = gen_queue;
    int x = q.vx + r.x0 * GEN_BLOCK, y = q.vy + r.y0 * GEN_BLOCK;
    int w = std::min(q.vw - r.x0 * GEN_BLOCK, (r.x1 - r.x0 + 1) * GEN_BLOCK);
    int h = std::min(q.vh - r.y0 * GEN_BLOCK, (r.y1 - r.y0 + 1) * GEN_BLOCK);
    glScissor(x, y, w, h);
}

// The viewport scissor, as gen_wrap_resize set it.
void scissor_restore()
{
    const GEN_QUEUE &q = gen_queue;
    glScissor(q.vx, q.vy, q.vw, q.vh);
}

// The scissor of `clip` (the whole picture for none) narrowed to part `part` of the backdrop's
// cut, and the blocks it meets in *blocks; false when nothing is left of it.
bool scissor_part(const GEN_RECT *clip, const GEN_SPAN &part, GEN_RECT *blocks)
{
    const GEN_QUEUE &q = gen_queue;
    // Window pixels, OpenGL's way: x0, y0 included, x1, y1 excluded.
    int x0 = part.x0, x1 = part.x1, y0 = q.vh - part.y1, y1 = q.vh - part.y0;
    if (clip) {
        x0 = std::max(x0, clip->x0 * GEN_BLOCK), x1 = std::min(x1, (clip->x1 + 1) * GEN_BLOCK);
        y0 = std::max(y0, clip->y0 * GEN_BLOCK), y1 = std::min(y1, (clip->y1 + 1) * GEN_BLOCK);
    }
    if (x0 >= x1 || y0 >= y1) return false;
    glScissor(q.vx + x0, q.vy + y0, x1 - x0, y1 - y0);
    *blocks = {x0 / GEN_BLOCK, y0 / GEN_BLOCK, (x1 - 1) / GEN_BLOCK, (y1 - 1) / GEN_BLOCK};
    return true;
}

// Whether run b can be drawn by the same call as run a, before it: all but the colour agree.
bool batchable_after(const GEN_RUN &a, const GEN_RUN &b)
{
    return mergeable(b.mode) && same_call(a, b) && a.first + a.count == b.first;
}

bool rect_meets(const GEN_RECT &r, const GEN_RECT &clip)
{
    return r.x0 <= r.x1 && r.x1 >= clip.x0 && r.x0 <= clip.x1 && r.y1 >= clip.y0 && r.y0 <= clip.y1;
}

bool run_reaches(const GEN_RUN &r, const GEN_RECT *clip)
{
    return !clip || rect_meets({r.x0, r.y0, r.x1, r.y1}, *clip);
}

// Points the driver's vertex, texture coordinate and colour arrays at queued vertex `base`.
void arrays_point(int base)
{
    GEN_QUEUE &q = gen_queue;
    if (q.array_base == base) return;
    q.array_base = base;
    const GLsizei stride = sizeof(GEN_VERTEX);
    glVertexPointer(4, GL_FLOAT, stride, &q.vertices[base].x);
    glTexCoordPointer(2, GL_FLOAT, stride, &q.vertices[base].s);
    glColorPointer(4, GL_FLOAT, stride, &q.vertices[base].r);
}

// The triangles of QUADS_A_CALL quads, each split along the diagonal from its first corner.
const uint16_t *quad_indices()
{
    static uint16_t indices[QUADS_A_CALL * 6];
    static bool made = false;
    if (!made) {
        for (int k = 0; k < QUADS_A_CALL; k++) {
            const uint16_t v = static_cast<uint16_t>(k * 4);
            const uint16_t quad[6] = {v, static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 2),
                                      v, static_cast<uint16_t>(v + 2), static_cast<uint16_t>(v + 3)};
            std::copy(quad, quad + 6, indices + k * 6);
        }
        made = true;
    }
    return indices;
}

// One call for `count` vertices from `first`. Quads go to the driver as two triangles each, split
// along the diagonal from their first corner: a driver splits GL_QUADS its own way, which may
// change with the size of the call, and a quad whose corners do not lie in one plane (rolling
// ground) must look the same in every batch, in every driver, and as the backdrop's cut counts it.
void draw(uint32_t mode, int first, int count)
{
    GEN_QUEUE &q = gen_queue;
    if (mode != GL_QUADS) {
        arrays_point(0);
        glDrawArrays(mode, first, count);
        q.draws++;
        return;
    }
    for (int done = 0; done + 4 <= count; done += QUADS_A_CALL * 4) {
        const int quads = std::min((count - done) / 4, QUADS_A_CALL);
        arrays_point(first + done);
        glDrawElements(GL_TRIANGLES, quads * 6, GL_UNSIGNED_SHORT, quad_indices());
        q.draws++;
    }
}

// Draws the primitives of `count` vertices from `first` (a mergeable mode) that reach `clip`,
// in stretches of neighbours.
void primitives_draw(uint32_t mode, int first, int count, const GEN_RECT &clip)
{
    GEN_QUEUE &q = gen_queue;
    const int step = primitive_size(mode);
    int from = -1;
    for (int v = first; v <= first + count; v += step) {
        const bool meets = v < first + count && rect_meets(q.reach[v], clip);
        if (meets && from < 0) from = v;
        if (!meets && from >= 0) {
            draw(mode, from, v - from);
            from = -1;
        }
    }
}

// Gives every queued vertex its run's colour (callers fill in only positions and texture
// coordinates).
void colors_fill()
{
    GEN_QUEUE &q = gen_queue;
    for (int i = 0; i < q.run_count; i++) {
        const GEN_RUN &r = q.runs[i];
        for (GEN_VERTEX *v = q.vertices + r.first; v < q.vertices + r.first + r.count; v++)
            v->r = r.color.r, v->g = r.color.g, v->b = r.color.b, v->a = r.color.a;
    }
}

// Draws the queued runs in order: all of them, or (with `clip`) those that reach it. Runs that
// follow one another and differ only in colour go in one call (the colour is the same at every
// vertex of a primitive, so it is interpolated to itself).
void runs_draw(const GEN_RECT *clip)
{
    GEN_QUEUE &q = gen_queue;
    if (q.run_count == 0) return;
    colors_fill();
    q.blend = GEN_BLEND_OPAQUE;
    q.space = GEN_SPACE_PICTURE;
    q.textured = false;
    q.replace = false;
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    q.array_base = -1;
    arrays_point(0);
    for (int i = 0; i < q.run_count;) {
        const GEN_RUN &r = q.runs[i];
        // The backdrop's runs, one after another, through the scissors of its cut.
        if (r.role == ROLE_BACKDROP && q.cut_on) {
            int end = i + 1;
            while (end < q.run_count && q.runs[end].role == ROLE_BACKDROP) end++;
            // Runs know the blocks they reach once the frame's blocks were fingerprinted.
            const bool bounded = q.columns > 0 && q.rows > 0;
            for (int p = 0; p < q.cut_count; p++) {
                GEN_RECT blocks;
                if (!scissor_part(clip, q.cut[p], &blocks)) continue;
                for (int k = i; k < end; k++) {
                    const GEN_RUN &b = q.runs[k];
                    if (bounded && !run_reaches(b, &blocks)) continue;
                    space_apply(b.space);
                    texture_apply(b.texture);
                    blend_apply(b.blend);
                    colour_apply(white(b.color));
                    draw(b.mode, b.first, b.count);
                }
            }
            clip ? scissor_blocks(*clip) : scissor_restore();
            i = end;
            continue;
        }
        int end = i + 1, count = r.count;
        bool reaches = run_reaches(r, clip), all_white = white(r.color);
        for (; end < q.run_count && batchable_after(q.runs[end - 1], q.runs[end]); end++) {
            count += q.runs[end].count;
            reaches = reaches || run_reaches(q.runs[end], clip);
            all_white = all_white && white(q.runs[end].color);
        }
        i = end;
        if (!reaches) continue;
        space_apply(r.space);
        texture_apply(r.texture);
        blend_apply(r.blend);
        colour_apply(all_white);
        if (clip && q.reach_known && mergeable(r.mode)) {
            primitives_draw(r.mode, r.first, count, *clip);
            continue;
        }
        draw(r.mode, r.first, count);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (q.replace) glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    space_apply(GEN_SPACE_PICTURE);
    texture_apply(0);
    blend_apply(GEN_BLEND_OPAQUE);
}

// Clears the whole back buffer (the bars beside the picture too) to start a frame.
void back_clear()
{
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    gen_queue.back = BACK_STARTED;
}

void queue_clear()
{
    gen_queue.cut_on = false;
    gen_queue.reach_known = false;
    gen_queue.vertex_count = 0;
    gen_queue.run_count = 0;
}


} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

GEN_VERTEX *gen_queue_add(uint32_t mode, uint32_t texture, GEN_COLOR color, uint32_t blend, uint32_t space, int count)
{
    GEN_QUEUE &q = gen_queue;
    if (count <= 0) return nullptr;
    seal();
    if (q.vertex_count + count > GEN_QUEUE_VERTICES_MAX) gen_queue_flush();
    if (!grow(reinterpret_cast<void **>(&q.vertices), &q.vertex_capacity, q.vertex_count + count, FIRST_VERTICES,
              sizeof(GEN_VERTEX), "gen queue vertices") ||
        !grow(reinterpret_cast<void **>(&q.runs), &q.run_capacity, q.run_count + 1, FIRST_RUNS, sizeof(GEN_RUN),
              "gen queue runs"))
        return nullptr;
    // Faces in clip space whose every texel and colour is opaque hide the backdrop below them.
    uint32_t role = ROLE_PLAIN;
    if (q.backdrop) role = ROLE_BACKDROP;
    else if (space == GEN_SPACE_CLIP && (mode == GL_QUADS || mode == GL_TRIANGLE_FAN) && color.a >= 1.0f &&
             texture && gen_texture_opaque(texture))
        role = ROLE_COVER;
    const GEN_RUN run = {mode, texture, blend, space, role, color, q.vertex_count, count, 0, 0, -1, -1};
    if (q.run_count && mergeable_after(q.runs[q.run_count - 1], run)) q.runs[q.run_count - 1].count += count;
    else q.runs[q.run_count++] = run;
    q.unsealed = (texture & GEN_TEXTURE_PACKED) != 0;
    GEN_VERTEX *v = &q.vertices[q.vertex_count];
    q.vertex_count += count;
    return v;
}

void gen_queue_backdrop(int on)
{
    seal();
    gen_queue.backdrop = on != 0;
}

uint32_t gen_queue_blend(uint32_t texture, float alpha, uint32_t wanted)
{
    return alpha >= 1.0f && (texture == 0 || gen_texture_opaque(texture)) ? GEN_BLEND_OPAQUE : wanted;
}

void gen_queue_viewport(int x, int y, int width, int height)
{
    GEN_QUEUE &q = gen_queue;
    q.vx = x, q.vy = y, q.vw = std::max(width, 0), q.vh = std::max(height, 0);
    q.columns = (q.vw + GEN_BLOCK - 1) / GEN_BLOCK;
    q.rows = (q.vh + GEN_BLOCK - 1) / GEN_BLOCK;
    q.shown_valid = false;
    q.must_draw = true;
    int need = q.columns * q.rows;
    if (need > q.block_capacity) {
        void *a = kx_mem_realloc(q.blocks, sizeof(uint64_t) * static_cast<size_t>(need));
        if (a) {
            kx_mem_name(a, "gen queue blocks");
            q.blocks = static_cast<uint64_t *>(a);
        }
        void *b = kx_mem_realloc(q.shown_blocks, sizeof(uint64_t) * static_cast<size_t>(need));
        if (b) {
            kx_mem_name(b, "gen queue shown blocks");
            q.shown_blocks = static_cast<uint64_t *>(b);
        }
        q.block_capacity = a && b ? need : 0;
        if (!a || !b) q.columns = q.rows = 0;
    }
}

void gen_queue_flush()
{
    GEN_QUEUE &q = gen_queue;
    seal();
    if (q.run_count == 0 || !gen_gl_ready()) return;
    if (q.back != BACK_STARTED) back_clear();
    runs_draw(nullptr);
    queue_clear();
}

void gen_queue_discard()
{
    gen_queue.unsealed = false;
    queue_clear();
}

void gen_queue_cleared()
{
    gen_queue.back = BACK_STARTED;
}

int gen_queue_frame_end(int menu_changed, int menu_floor)
{
    GEN_QUEUE &q = gen_queue;
    seal();
    if (!gen_gl_ready()) {
        queue_clear();
        return GEN_FRAME_NONE;
    }
    const bool blocks = q.columns > 0 && q.rows > 0;
    if (blocks) blocks_build();
    const int n = q.columns * q.rows;
    int result = GEN_FRAME_FULL;
    if (q.back == BACK_STARTED) {
        // Part of the frame is drawn already, on a cleared buffer: draw the rest over it.
        runs_regroup();
        backdrop_cut();
        runs_draw(nullptr);
        q.shown_valid = false;
    } else {
        const bool comparable = blocks && q.shown_valid && !q.must_draw;
        const int changed = comparable ? rects_build() : n;
        if (comparable && changed == 0 && !menu_changed) {
            queue_clear();
            return q.last_frame = GEN_FRAME_NONE;
        }
        // What the frame draws, not what it is compared by: a frame that is not drawn skips both.
        runs_regroup();
        backdrop_cut();
        if (comparable && changed * 100 > n * PATCH_SHARE_MAX) rects_bound();
        if (comparable && q.kept == 1 && q.back == BACK_SHOWN && !menu_changed && rects_below(menu_floor) &&
            (changed * 100 <= n * PATCH_SHARE_MAX || rect_area(q.rects[0]) * 100 <= n * BOUND_SHARE_MAX)) {
            // A scissored clear costs the rasteriser a quad: it is left out where every pixel is
            // written anyway.
            const bool clear = !backdrop_fills();
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            for (int i = 0; i < q.rect_count; i++) {
                scissor_blocks(q.rects[i]);
                if (clear) glClear(GL_COLOR_BUFFER_BIT);
                runs_draw(&q.rects[i]);
            }
            scissor_restore();
            result = GEN_FRAME_PATCHED;
        } else {
            back_clear();
            runs_draw(nullptr);
        }
        q.shown_valid = blocks;
    }
    if (blocks) std::swap(q.blocks, q.shown_blocks);
    q.must_draw = false;
    queue_clear();
    return q.last_frame = result;
}

void gen_queue_swapped()
{
    gen_queue.back = gen_queue.kept == 1 ? BACK_SHOWN : BACK_UNKNOWN;
}

void gen_queue_kept_set(int kept)
{
    gen_queue.kept = kept;
    gen_queue.back = BACK_UNKNOWN;
    gen_queue.must_draw = true;
}

int gen_queue_kept()
{
    return gen_queue.kept;
}

int gen_queue_started()
{
    return gen_queue.back == BACK_STARTED;
}

void gen_queue_invalidate()
{
    gen_queue.must_draw = true;
}

void gen_queue_free()
{
    GEN_QUEUE &q = gen_queue;
    for (void *p : {static_cast<void *>(q.vertices), static_cast<void *>(q.reach), static_cast<void *>(q.covered),
                    static_cast<void *>(q.runs), static_cast<void *>(q.blocks), static_cast<void *>(q.shown_blocks),
                    static_cast<void *>(q.spare_vertices), static_cast<void *>(q.spare_reach),
                    static_cast<void *>(q.spare_runs), static_cast<void *>(q.groups), static_cast<void *>(q.group_next)})
        if (p) kx_mem_free(p);
    q = GEN_QUEUE{};
    q.must_draw = true;
}

long gen_queue_draw_count()
{
    return gen_queue.draws;
}

int gen_queue_last_frame()
{
    return gen_queue.last_frame;
}
