// gen_wrap: context start-up and shut-down, display modes, the viewport, screen clearing, the
// end of a frame and the snapshots taken there, and the operation table of the 3D interface.
#include "gen/gen_wrap.h"

#include "gen/gen_bit.h"
#include "gen/gen_info.h"
#include "gen/gen_queue.h"
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_display.h"
#include "platform/plat_gl.h"
#include "platform/plat_menu.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

namespace {

struct GEN_WRAP {
    KX_RECT viewport;
    int viewport_gl_y;                 // bottom edge of the viewport as OpenGL counts it
    char vendor[KX_DSP_3D_NAME_MAX];
    char renderer[KX_DSP_3D_NAME_MAX];
    bool started;
    bool quiet;                        // no history lines
    bool snapshot_pending;
    char snapshot_name[KX_IO_PATH_MAX];
    KX_RECT snapshot_rect;
};

GEN_WRAP gen_wrap;

const char SGI_SNAPSHOT[] =
    "Sorry, it's not possible to take a snapshot under SGI's implementation of OpenGL.dll or "
    "OpenGL32.dll. I'm really sorry to have to say that you should replace it with Microsoft's "
    "OpenGL32.dll to take the pictures. Then you should put SGI's version back because it's much faster.";

// The window's bottom left pixel of the back buffer.
void corner_read(GLubyte rgb[3])
{
    if (!gen_wrap_pixels_read(0, 0, 1, 1, rgb)) rgb[0] = rgb[1] = rgb[2] = 0;
}

// Whether the driver keeps the back buffer's pixels across a swap, tested on a frame about to
// be shown: its bottom left pixel is changed a little (`mark` keeps the new colour), and read
// again after the swap.
void kept_mark(GLubyte mark[3])
{
    corner_read(mark);
    for (int i = 0; i < 3; i++) mark[i] ^= 1;
    glScissor(0, 0, 1, 1);
    glClearColor(mark[0] / 255.0f, mark[1] / 255.0f, mark[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(gen_wrap.viewport.x, gen_wrap.viewport_gl_y, gen_wrap.viewport.width, gen_wrap.viewport.height);
}

int kept_check(const GLubyte mark[3])
{
    GLubyte rgb[3] = {0, 0, 0};
    corner_read(rgb);
    return rgb[0] == mark[0] && rgb[1] == mark[1] && rgb[2] == mark[2];
}

const char *gl_text(GLenum name)
{
    const GLubyte *s = glGetString(name);
    return s ? reinterpret_cast<const char *>(s) : "";
}

const char *glu_text(GLenum name)
{
    const GLubyte *s = gluGetString(name);
    return s ? reinterpret_cast<const char *>(s) : "";
}

// The lowest window row the window menu draws this frame, as OpenGL counts rows (the drawable's
// height when it draws nothing).
int menu_floor()
{
    int h = 0;
    plat_gl_drawable_size(nullptr, &h);
    return h - plat_menu_bottom();
}

// Draws what the frame queued so far.
int flush()
{
    gen_queue_flush();
    return 1;
}

// Reads the snapshot rectangle of the back buffer and writes it as a 24-bit picture.
void snapshot_take()
{
    gen_wrap.snapshot_pending = false;
    KX_RECT r = gen_wrap.snapshot_rect;
    if (r.width <= 0 || r.height <= 0) return;
    KX_BITMAP picture{};
    KX_RECT size{0, 0, r.width, r.height};
    if (!kx_bit_alloc(&picture, &size, KX_BIT_BPP24)) return;
    int gl_x, gl_y;
    gen_wrap_window_point(r.x, r.y + r.height - 1, &gl_x, &gl_y);
    glFinish();
    size_t row = static_cast<size_t>(r.width) * 3;
    uint8_t *rows = static_cast<uint8_t *>(kx_mem_malloc(row * r.height));
    // A picture that cannot be read is not saved: no file means no confirmation on the screen.
    if (rows && !gen_wrap_pixels_read(gl_x, gl_y, r.width, r.height, rows)) {
        gen_history("snapshot: the picture could not be read\n");
        kx_mem_free(rows);
        rows = nullptr;
    }
    if (rows) {
        // OpenGL counts rows from the bottom.
        for (int y = 0; y < r.height; y++) std::memcpy(picture.pixels + row * y, rows + row * (r.height - 1 - y), row);
        kx_mem_free(rows);
        uint8_t *data = nullptr;
        size_t bytes = 0;
        // Written whole or not at all: a file under the name is a complete picture.
        if (kx_bit_encode(&picture, nullptr, &data, &bytes)) {
            if (bytes <= UINT32_MAX) kx_io_save(gen_wrap.snapshot_name, data, static_cast<uint32_t>(bytes));
            kx_mem_free(data);
        }
    }
    kx_bit_free(&picture);
}

constexpr KX_DSP_3D gen_wrap_operations = {
    gen_wrap_init,         gen_wrap_deinit,         gen_wrap_video_mode_set, gen_wrap_resize,
    flush,                 gen_wrap_bitmap_put,     gen_wrap_snapshot_request, gen_wrap_bitmap_free,
    gen_wrap_screen_clear, gen_wrap_display_update, gen_draw_pixel,          gen_draw_line,
    gen_draw_rectangle,    gen_draw_circle,         gen_get_pixel,
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

const KX_DSP_3D *gen_wrap_table()
{
    return &gen_wrap_operations;
}

void gen_wrap_install()
{
    kx_dsp_3d_interface_set(&gen_wrap_operations);
}

int gen_wrap_init(void *window, KX_RECT *viewport, char *renderer, char *vendor)
{
    (void)window;
    if (!plat_gl_create()) {
        kx_dsp_alert("ChoosePixelFormat failed", "Error", KX_DSP_ALERT_ERROR);
        kx_dsp_quit_failed();
        return 0;
    }
    if (!plat_gl_make_current()) {
        kx_dsp_alert("SetPixelFormat failed", "Error", KX_DSP_ALERT_ERROR);
        kx_dsp_quit_failed();
        return 0;
    }
    std::snprintf(gen_wrap.vendor, sizeof gen_wrap.vendor, "%s", gl_text(GL_VENDOR));
    std::snprintf(gen_wrap.renderer, sizeof gen_wrap.renderer, "%s", gl_text(GL_RENDERER));
    if (renderer) std::snprintf(renderer, KX_DSP_3D_NAME_MAX, "%s", gen_wrap.renderer);
    if (vendor) std::snprintf(vendor, KX_DSP_3D_NAME_MAX, "%s", gen_wrap.vendor);

    if (!gen_wrap.quiet) {
        gen_history("gl info:\n");
        gen_history("vendor: %s\n", gen_wrap.vendor);
        gen_history("renderer: %s\n", gen_wrap.renderer);
        gen_history("version: %s\n", gl_text(GL_VERSION));
        gen_history("extensions: %s\n", gl_text(GL_EXTENSIONS));
        gen_history("glu info:\n");
        gen_history("version: %s\n", glu_text(GLU_VERSION));
        gen_history("extensions: %s\n", glu_text(GLU_EXTENSIONS));
    }

    reset_texture_binding();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(500.0);
    glClearIndex(0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    KX_RECT first{0, 0, 0, 0};
    if (viewport) {
        first = *viewport;
    } else {
        int w = 0, h = 0;
        plat_gl_drawable_size(&w, &h);
        first = {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)};
    }
    gen_wrap.viewport = first;
    gen_wrap.started = true;
    gen_queue_kept_set(-1);
    gen_wrap_screen_clear();
    plat_gl_swap();
    gen_wrap_screen_clear();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gen_wrap_resize(first.x, first.y, first.width, first.height);
    // A software renderer still works: the result then lacks only the hardware bit.
    return std::strstr(gen_wrap.renderer, "Generic") ? 1 : KX_DSP_3D_HARDWARE;
}

void gen_wrap_history_set(int on)
{
    gen_wrap.quiet = !on;
}

int gen_wrap_deinit()
{
    const char *settings = kx_io_settings_path_get();
    if (settings && settings[0]) {
        kx_io_ini_set_string("System", "Vendor", gen_wrap.vendor, settings);
        kx_io_ini_set_string("System", "Renderer", gen_wrap.renderer, settings);
        kx_io_ini_set_int("System", "TextureRamMax", static_cast<int>(gen_texture_ram_max()), settings);
        kx_io_ini_set_int("System", "TextureRamCurrent", static_cast<int>(gen_texture_ram_current()), settings);
    }
    if (gen_gl_ready()) glDisable(GL_SCISSOR_TEST);
    gen_queue_discard();
    gen_texture_delete_all();
    gen_queue_free();
    gen_wrap.started = false;
    gen_wrap.snapshot_pending = false;
    return 1;
}

int gen_wrap_mode_result(int code)
{
    const char *text = nullptr;
    switch (code) {
    case GEN_MODE_SUCCESSFUL:
        return 1;
    case GEN_MODE_BADMODE:
    case GEN_MODE_BADPARAM:
        text = "The graphics mode is not supported.";
        break;
    case GEN_MODE_BADFLAGS:
        text = "An invalid set of flags was passed in.";
        break;
    case GEN_MODE_NOTUPDATED:
        text = "Unable to write settings to the registry.";
        break;
    case GEN_MODE_RESTART:
        text = "The computer must be restarted in order for the graphics mode to work.";
        break;
    case GEN_MODE_FAILED:
        return 0;
    default:
        text = "Unknown error:";
        break;
    }
    kx_dsp_alert(text, "ChangeDisplaySettings Failed", 0);
    return 0;
}

int gen_wrap_video_mode_set(const KX_DSP_VIDEO_MODE *mode, int fullscreen)
{
    if (!mode || mode->width <= 0 || mode->height <= 0 || mode->depth <= 0 || mode->depth > 32)
        return gen_wrap_mode_result(GEN_MODE_BADMODE);
    PLAT_DISPLAY_MODE wanted{};
    if (!plat_display_desktop(&wanted)) wanted = PLAT_DISPLAY_MODE{};
    wanted.width = mode->width;
    wanted.height = mode->height;
    wanted.depth = mode->depth;
    wanted.refresh = mode->refresh;
    int ok = plat_display_mode_set(&wanted, fullscreen ? 1 : 0);
    reset_texture_binding();
    // Another mode may show frames another way: the back buffer is tested again.
    gen_queue_kept_set(-1);
    return gen_wrap_mode_result(ok ? GEN_MODE_SUCCESSFUL : GEN_MODE_FAILED);
}

int gen_wrap_resize(int16_t x, int16_t y, int16_t width, int16_t height)
{
    // What was queued is drawn where it was meant to go.
    gen_queue_flush();
    gen_wrap.viewport = {x, y, width, height};
    int drawable_h = 0;
    plat_gl_drawable_size(nullptr, &drawable_h);
    // The menu bar, when shown, sits above the picture.
    gen_wrap.viewport_gl_y = drawable_h - plat_menu_bar_height() - y - height;
    gen_queue_viewport(x, gen_wrap.viewport_gl_y, width, height);
    if (!gen_gl_ready()) return 1;
    glViewport(x, gen_wrap.viewport_gl_y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(x, x + width, y + height, y, -1.0, 1.0);
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glScissor(x, gen_wrap.viewport_gl_y, width, height);
    glEnable(GL_SCISSOR_TEST);
    return 1;
}

void gen_wrap_viewport_get(KX_RECT *rect)
{
    if (rect) *rect = gen_wrap.viewport;
}

void gen_wrap_window_point(int x, int y, int *gl_x, int *gl_y)
{
    if (gl_x) *gl_x = gen_wrap.viewport.x + x;
    if (gl_y) *gl_y = gen_wrap.viewport_gl_y + gen_wrap.viewport.height - 1 - y;
}

int gen_wrap_snapshot_request(const char *file_name, KX_RECT *rect)
{
    if (!file_name || gen_wrap.snapshot_pending) return 0;
    if (std::strcmp(gen_wrap.vendor, "SGI") == 0 && std::strstr(gen_wrap.renderer, "Generic")) {
        kx_dsp_alert(SGI_SNAPSHOT, nullptr, 0);
        return 0;
    }
    if (std::snprintf(gen_wrap.snapshot_name, sizeof gen_wrap.snapshot_name, "%s", file_name) >=
        static_cast<int>(sizeof gen_wrap.snapshot_name))
        return 0;
    gen_wrap.snapshot_rect = rect ? *rect : KX_RECT{0, 0, gen_wrap.viewport.width, gen_wrap.viewport.height};
    gen_wrap.snapshot_pending = true;
    return 1;
}

int gen_wrap_snapshot_pending()
{
    return gen_wrap.snapshot_pending;
}

int gen_wrap_screen_clear()
{
    if (!gen_gl_ready()) return 0;
    // The clear covers whatever was queued before it.
    gen_queue_discard();
    gen_queue_cleared();
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    return 1;
}

// Shows the frame: what changed of the queued drawing, then the window menu over it when the
// whole picture was drawn. A frame that shows exactly what is on show already (a still screen)
// is neither drawn nor swapped.
int gen_wrap_display_update()
{
    if (!gen_gl_ready()) return 0;
    // A lost picture may come back in new buffers: whether they are kept is tested again.
    if (plat_gl_picture_lost_take()) gen_queue_kept_set(-1);
    if (gen_wrap.snapshot_pending) gen_queue_invalidate();
    int drawn = gen_queue_frame_end(plat_menu_changed(), menu_floor());
    if (drawn == GEN_FRAME_NONE) return 1;
    if (drawn == GEN_FRAME_FULL) plat_menu_render();
    if (gen_wrap.snapshot_pending) snapshot_take();
    GLubyte mark[3];
    if (gen_queue_kept() < 0 && plat_gl_back_kept() == 0) gen_queue_kept_set(0);
    const bool test = gen_queue_kept() < 0;
    if (test) kept_mark(mark);
    plat_gl_swap();
    if (test) gen_queue_kept_set(kept_check(mark));
    gen_queue_swapped();
    return 1;
}
